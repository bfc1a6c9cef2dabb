#include "dbaccess/FbClient.h"
#include "platform/Cp932.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

const QStringList kParams = {QStringLiteral("user_name=DORVEL"), QStringLiteral("password=zoltup"),
                             QStringLiteral("lc_ctype=SJIS_0208")};
const QStringList kReadCommitted = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                    QStringLiteral("nowait")};

// The NAME of table T's first row in the database, which is then dropped.
QString firstNameAndDrop(const QString &databaseName)
{
    FbDatabase r;
    r.DatabaseName = databaseName;
    r.Params = kParams;
    r.open();
    FbTransaction rt(&r, kReadCommitted);
    rt.startTransaction();
    FbQuery rq(&r, &rt);
    rq.setSql(QStringLiteral("SELECT NAME FROM T"));
    rq.open();
    const QString name = rq.field(0).asString();
    rt.commit();
    r.dropDatabase();
    return name;
}

class FbClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = testenv::freshDir(QStringLiteral("fb")) + QStringLiteral("/t.fdb");
        FbDatabase::createDatabase(path, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
        db.DatabaseName = path;
        db.Params = kParams;
        db.open();
        ExecuteSqlScript(db, QStringLiteral(
            "-- a table of every kind of column\n"
            "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CODE CHAR(6),\n"
            "  AMOUNT NUMERIC(18,4), RATE NUMERIC(9,3), D DATE, TS TIMESTAMP, MEMO BLOB SUB_TYPE 1, PIC BLOB);\n"
            "SET TERM ^ ;\n"
            "CREATE PROCEDURE ADDUP (A INTEGER, B INTEGER) RETURNS (S INTEGER) AS\n"
            "BEGIN S = A + B; /* ; inside */ SUSPEND; END^\n"
            "SET TERM ; ^\n"
            "INSERT INTO T (ID, NAME) VALUES (1, 'first; with a semicolon');\n"
            "COMMIT;\n"));
        tr.setDatabase(&db);
        tr.Params = kReadCommitted;
        db.DefaultTransaction = &tr;
    }

    QString path;
    FbDatabase db;
    FbTransaction tr;
};

} // namespace

TEST_F(FbClientTest, TypedValuesRoundTrip)
{
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("INSERT INTO T (ID, NAME, CODE, AMOUNT, RATE, D, TS, MEMO, PIC) "
                            "VALUES (:ID, :NAME, :CODE, :AMOUNT, :RATE, :D, :TS, :MEMO, :PIC)"));
    q.paramByName(QStringLiteral("id")).setInteger(2);
    q.paramByName(QStringLiteral("NAME")).setString(QStringLiteral("①㈱～ｱｲｳ株式会社"));
    q.paramByName(QStringLiteral("CODE")).setString(QStringLiteral("AB"));
    Currency big;
    ASSERT_TRUE(Currency::tryParse(QStringLiteral("12345678901234.5678"), big));
    q.paramByName(QStringLiteral("AMOUNT")).setCurrency(big);
    q.paramByName(QStringLiteral("RATE")).setString(QStringLiteral("0.167"));
    q.paramByName(QStringLiteral("D")).setDate(QDate(2013, 4, 1));
    q.paramByName(QStringLiteral("TS")).setDateTime(QDateTime(QDate(2015, 3, 31), QTime(23, 59, 58)));
    q.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("一行目\r\n二行目"));
    q.paramByName(QStringLiteral("PIC")).setBytes(QByteArray("\x00\x01\xFF", 3));
    q.execSQL();
    EXPECT_EQ(q.rowsAffected(), 1);
    tr.commit();

    tr.startTransaction();
    FbQuery r(&db, &tr);
    r.setSql(QStringLiteral("SELECT NAME, CODE, AMOUNT, RATE, D, TS, MEMO, PIC, ID FROM T WHERE ID = :ID"));
    r.paramByName(QStringLiteral("ID")).setInteger(2);
    r.open();
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.fieldByName(QStringLiteral("name")).asString(), QStringLiteral("①㈱～ｱｲｳ株式会社"));
    EXPECT_EQ(r.fieldByName(QStringLiteral("CODE")).asString(), QStringLiteral("AB"));
    EXPECT_EQ(r.fieldByName(QStringLiteral("AMOUNT")).asCurrency(), big);
    EXPECT_EQ(r.fieldByName(QStringLiteral("AMOUNT")).asString(), QStringLiteral("12345678901234.5678"));
    EXPECT_EQ(r.fieldByName(QStringLiteral("RATE")).asCurrency().raw, 1670);
    EXPECT_EQ(r.fieldByName(QStringLiteral("D")).asDate(), QDate(2013, 4, 1));
    EXPECT_EQ(r.fieldByName(QStringLiteral("TS")).asDateTime(), QDateTime(QDate(2015, 3, 31), QTime(23, 59, 58)));
    EXPECT_EQ(r.fieldByName(QStringLiteral("MEMO")).asString(), QStringLiteral("一行目\r\n二行目"));
    EXPECT_EQ(r.fieldByName(QStringLiteral("PIC")).asBytes(), QByteArray("\x00\x01\xFF", 3));
    EXPECT_EQ(r.fieldByName(QStringLiteral("ID")).asInteger(), 2);
    r.next();
    EXPECT_TRUE(r.eof());

    // The values are retained and the statement runs again with a new one.
    r.paramByName(QStringLiteral("ID")).setInteger(1);
    r.open();
    EXPECT_EQ(r.field(0).asString(), QStringLiteral("first; with a semicolon"));
    EXPECT_TRUE(r.field(2).isNull());
    tr.commit();
}

TEST_F(FbClientTest, TextSjisCannotHoldIsRefusedAndNothingStored)
{
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("UPDATE T SET NAME = :NAME WHERE ID = 1"));
    q.paramByName(QStringLiteral("NAME")).setString(QStringLiteral("한국어"));
    try {
        q.execSQL();
        FAIL() << "no error";
    } catch (const FbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("保存できない文字"))) << e.message().toStdString();
    }
    tr.rollback();
    tr.startTransaction();
    FbQuery r(&db, &tr);
    r.setSql(QStringLiteral("SELECT NAME FROM T WHERE ID = 1"));
    r.open();
    EXPECT_EQ(r.field(0).asString(), QStringLiteral("first; with a semicolon"));
    tr.commit();
}

TEST_F(FbClientTest, NowaitConflictsCarryTheirCodes)
{
    // Two nowait transactions reserving the same table.
    QStringList reserving = kReadCommitted;
    reserving << QStringLiteral("lock_write=T") << QStringLiteral("protected");
    FbTransaction first(&db, reserving), second(&db, reserving);
    first.startTransaction();
    try {
        second.startTransaction();
        FAIL() << "no lock conflict";
    } catch (const FbError &e) {
        EXPECT_EQ(e.errorCode(), 335544345);
        EXPECT_EQ(e.sqlCode(), -901);
        EXPECT_TRUE(e.message().contains(QStringLiteral("lock conflict")));
    }
    first.commit();

    // Two nowait transactions updating one row.
    FbTransaction other(&db, kReadCommitted);
    tr.startTransaction();
    other.startTransaction();
    FbQuery a(&db, &tr), b(&db, &other);
    a.setSql(QStringLiteral("UPDATE T SET NAME = 'a' WHERE ID = 1"));
    b.setSql(QStringLiteral("UPDATE T SET NAME = 'b' WHERE ID = 1"));
    a.execSQL();
    try {
        b.execSQL();
        FAIL() << "no conflict";
    } catch (const FbError &e) {
        EXPECT_EQ(e.errorCode(), 335544336);
        EXPECT_EQ(e.sqlCode(), -913);
    }
    other.rollback();
    tr.commit();
}

TEST_F(FbClientTest, ProceduresErrorsAndTransactionGuard)
{
    tr.startTransaction();
    FbStoredProc sp(&db, &tr);
    sp.StoredProcName = QStringLiteral("ADDUP");
    sp.paramByName(QStringLiteral("A")).setInteger(40);
    sp.paramByName(QStringLiteral("B")).setInteger(2);
    sp.execProc();
    EXPECT_EQ(sp.fieldByName(QStringLiteral("S")).asInteger(), 42);
    tr.commit();

    {
        TransactionGuard g(tr);
        EXPECT_TRUE(g.startedHere());
        FbQuery q(&db, &tr);
        q.setSql(QStringLiteral("DELETE FROM T"));
        q.execSQL();
        TransactionGuard inner(tr);
        EXPECT_FALSE(inner.startedHere());
        inner.commit(); // commits nothing: not started here
        EXPECT_TRUE(tr.inTransaction());
    } // rolled back
    EXPECT_FALSE(tr.inTransaction());
    tr.startTransaction();
    FbQuery c(&db, &tr);
    c.setSql(QStringLiteral("SELECT COUNT(*) FROM T"));
    c.open();
    EXPECT_EQ(c.field(0).asInteger(), 1);
    c.setSql(QStringLiteral("SELECT NOPE FROM T"));
    EXPECT_THROW(c.open(), FbError);
    tr.commit();
}

TEST_F(FbClientTest, ReconnectAndServices)
{
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM T"));
    q.open();
    db.close(); // rolls back and drops the statement
    EXPECT_FALSE(tr.inTransaction());
    EXPECT_FALSE(q.prepared());
    db.open();
    tr.startTransaction();
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);

    tr.commit();
    {
        FbDatabase second;
        second.DatabaseName = path;
        second.Params = kParams;
        second.open();
        EXPECT_EQ(second.otherAttachments(), 1);
        db.close();
        EXPECT_EQ(second.otherAttachments(), 0);
    }

    FbServices svc(QString(), QStringLiteral("DORVEL"), QStringLiteral("zoltup"));

    const QString fbk = QFileInfo(path).absolutePath() + QStringLiteral("/t.fbk");
    const QString restored = QFileInfo(path).absolutePath() + QStringLiteral("/r.fdb");
    int lines = 0;
    svc.backup(path, fbk, [&](const QString &) { ++lines; });
    EXPECT_GT(lines, 0);
    EXPECT_TRUE(QFileInfo(fbk).size() > 0);
    svc.restore(fbk, restored, false);
    EXPECT_EQ(firstNameAndDrop(restored), QStringLiteral("first; with a semicolon"));
    EXPECT_FALSE(QFileInfo::exists(restored));
}

namespace {

// Only possible when no attachment to the file is left anywhere in the process.
void dropAlone(const QString &path)
{
    FbDatabase last;
    last.DatabaseName = path;
    last.Params = kParams;
    last.open();
    EXPECT_EQ(last.otherAttachments(), 0);
    last.dropDatabase();
    EXPECT_FALSE(last.connected());
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace

TEST_F(FbClientTest, StatementsFailingMidwayLeaveTheConnectionUsableAndClosable)
{
    tr.startTransaction();
    FbQuery ins(&db, &tr);
    ins.setSql(QStringLiteral("INSERT INTO T (ID, MEMO, PIC) VALUES (:ID, :MEMO, :PIC)"));
    for (int id : {2, 3}) {
        ins.paramByName(QStringLiteral("ID")).setInteger(id);
        ins.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("メモ%1").arg(id).repeated(5000));
        ins.paramByName(QStringLiteral("PIC")).setBytes(QByteArray(70000, char(id)));
        ins.execSQL();
    }

    // The cursor fails on its third row, after blobs were read on the second.
    FbQuery sel(&db, &tr);
    sel.setSql(QStringLiteral("SELECT ID, MEMO, PIC, 10 / (ID - 3) FROM T WHERE ID > 0 ORDER BY ID"));
    sel.open();
    sel.next();
    ASSERT_FALSE(sel.eof());
    EXPECT_EQ(sel.field(1).asString(), QStringLiteral("メモ2").repeated(5000));
    EXPECT_EQ(sel.field(2).asBytes(), QByteArray(70000, char(2)));
    try {
        sel.next();
        FAIL() << "no error on the third row";
    } catch (const FbError &e) {
        EXPECT_EQ(e.sqlCode(), -802) << e.message().toStdString();
    }
    sel.close();
    EXPECT_FALSE(sel.active());
    // The same statement runs again.
    sel.open();
    EXPECT_EQ(sel.field(0).asInteger(), 1);
    EXPECT_EQ(sel.field(3).asInteger(), 10 / (1 - 3));
    sel.close();

    // An insert fails on its key after its blobs were written.
    ins.paramByName(QStringLiteral("ID")).setInteger(3);
    ins.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("重複"));
    try {
        ins.execSQL();
        FAIL() << "a second row 3";
    } catch (const FbError &e) {
        EXPECT_EQ(e.sqlCode(), -803) << e.message().toStdString();
    }
    ins.paramByName(QStringLiteral("ID")).setInteger(4);
    ins.execSQL();
    EXPECT_EQ(ins.rowsAffected(), 1);

    // An insert refused while its input is being built: text SJIS cannot hold.
    ins.paramByName(QStringLiteral("ID")).setInteger(5);
    ins.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("한국어"));
    EXPECT_THROW(ins.execSQL(), FbError);

    tr.commit();
    tr.startTransaction();
    FbQuery cnt(&db, &tr);
    cnt.setSql(QStringLiteral("SELECT COUNT(*), SUM(ID) FROM T"));
    cnt.open();
    EXPECT_EQ(cnt.field(0).asInteger(), 4);
    EXPECT_EQ(cnt.field(1).asInteger(), 1 + 2 + 3 + 4);
    tr.commit();

    db.close();
    EXPECT_FALSE(sel.prepared());
    EXPECT_FALSE(ins.prepared());
    dropAlone(path);
}

TEST_F(FbClientTest, RefusedCommitKeepsTheTransactionForItsRollback)
{
    ExecuteSqlScript(db, QStringLiteral(
        "CREATE EXCEPTION E_REFUSED 'commit refused';\n"
        "SET TERM ^ ;\n"
        "CREATE TRIGGER REFUSE_COMMIT ON TRANSACTION COMMIT AS\n"
        "BEGIN IF (RDB$GET_CONTEXT('USER_TRANSACTION', 'REFUSE') = '1') THEN EXCEPTION E_REFUSED; END^\n"
        "SET TERM ; ^\n"));
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("INSERT INTO T (ID, MEMO) VALUES (7, :MEMO)"));
    q.paramByName(QStringLiteral("MEMO")).setString(QStringLiteral("取り消される行"));
    q.execSQL();
    FbQuery refuse(&db, &tr);
    refuse.setSql(QStringLiteral("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', 'REFUSE', '1') FROM RDB$DATABASE"));
    refuse.open(); // left open: the commit ends it first

    try {
        tr.commit();
        FAIL() << "the commit was not refused";
    } catch (const FbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("commit refused"))) << e.message().toStdString();
    }
    EXPECT_FALSE(refuse.active());
    ASSERT_TRUE(tr.inTransaction());
    // Still the same transaction: it sees its own row.
    FbQuery mine(&db, &tr);
    mine.setSql(QStringLiteral("SELECT MEMO FROM T WHERE ID = 7"));
    mine.open();
    ASSERT_FALSE(mine.eof());
    EXPECT_EQ(mine.field(0).asString(), QStringLiteral("取り消される行"));

    tr.rollback();
    EXPECT_FALSE(tr.inTransaction());
    tr.startTransaction();
    mine.open();
    EXPECT_TRUE(mine.eof());
    tr.commit();

    db.close();
    EXPECT_FALSE(db.connected());
    dropAlone(path);
}

TEST_F(FbClientTest, FailedServiceActionLeavesTheServicesUsable)
{
    FbServices svc(QString(), QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    const QString dir = QFileInfo(path).absolutePath();
    EXPECT_THROW(svc.backup(dir + QStringLiteral("/missing.fdb"), dir + QStringLiteral("/missing.fbk")), FbError);
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/missing.fbk")));

    // The next actions run on the same object.
    const QString fbk = dir + QStringLiteral("/t.fbk");
    int lines = 0;
    svc.backup(path, fbk, [&](const QString &) { ++lines; });
    EXPECT_GT(lines, 0);
    EXPECT_GT(QFileInfo(fbk).size(), 0);
    const QString restored = dir + QStringLiteral("/r.fdb");
    svc.restore(fbk, restored, false);
    EXPECT_NO_THROW(svc.validate(restored));
    dropAlone(restored);
}

TEST(SqlScript, SplitsOnTerminatorsOutsideQuotesAndComments)
{
    const QStringList s = SplitSqlScript(QStringLiteral(
        "SET NAMES SJIS_0208;\nCREATE TABLE A (X VARCHAR(5) DEFAULT ';');\n-- note; here\n"
        "SET TERM !! ;\nCREATE TRIGGER X FOR A AS BEGIN END!!\nSET TERM ; !!\nCOMMIT;\nINSERT INTO A VALUES ('a''b;');"));
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[0], QStringLiteral("CREATE TABLE A (X VARCHAR(5) DEFAULT ';')"));
    EXPECT_EQ(s[1], QStringLiteral("CREATE TRIGGER X FOR A AS BEGIN END"));
    EXPECT_EQ(s[2], QStringLiteral("INSERT INTO A VALUES ('a''b;')"));
}

// ---------------------------------------------------------------- file names beyond ASCII

namespace {

// Japanese folder names as a user's home folder or data root may have them:
// JIS X 0208, an NEC special character, an IBM extension, and a character
// CP932 has not at all. File names are the file system's (UTF-8), so every
// one of them can hold a database.
const QStringList kFolders = {QStringLiteral("会計データ"), QStringLiteral("会計データ/データ①"),
                              QStringLiteral("髙橋ⅰ"), QStringLiteral("한국어")};

QString serverHost()
{
    return qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
}

// Creates, opens, uses, backs up, restores, validates and drops a database in
// each folder; `host` empty for the embedded engine, else through that server.
void workInFolders(const QString &host)
{
    const QString prefix = host.isEmpty() ? QString() : host + u':';
    for (const QString &folder : kFolders) {
        SCOPED_TRACE(folder.toStdString());
        const QString dir = testenv::freshDir(QStringLiteral("paths/") + folder);
        const QString path = dir + QStringLiteral("/t.fdb");
        FbDatabase::createDatabase(prefix + path, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
        ASSERT_TRUE(QFileInfo::exists(path));

        FbDatabase db;
        db.DatabaseName = prefix + path;
        db.Params = kParams;
        db.open();
        ExecuteSqlScript(db, QStringLiteral("CREATE TABLE T (NAME VARCHAR(20));\n"
                                            "INSERT INTO T VALUES ('①㈱の会計');\n"));
        FbTransaction tr(&db, kReadCommitted);
        tr.startTransaction();
        FbQuery q(&db, &tr);
        // The engine knows the file by its own name.
        q.setSql(QStringLiteral("SELECT CAST(MON$DATABASE_NAME AS VARCHAR(1000) CHARACTER SET OCTETS) FROM MON$DATABASE"));
        q.open();
        EXPECT_EQ(QString::fromUtf8(q.field(0).asBytes()), path);
        q.setSql(QStringLiteral("SELECT NAME FROM T"));
        q.open();
        EXPECT_EQ(q.field(0).asString(), QStringLiteral("①㈱の会計"));
        tr.commit();
        db.close();

        FbServices svc(host, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
        const QString fbk = dir + QStringLiteral("/t.fbk");
        const QString restored = dir + QStringLiteral("/r.fdb");
        QStringList report;
        svc.backup(path, fbk, [&](const QString &line) { report << line; });
        EXPECT_GT(QFileInfo(fbk).size(), 0);
        // The engine's report names the files as they are.
        EXPECT_TRUE(report.join(u'\n').contains(path)) << report.join(u'\n').toStdString();
        svc.restore(fbk, restored, false);
        EXPECT_TRUE(QFileInfo::exists(restored));
        EXPECT_NO_THROW(svc.validate(restored));

        EXPECT_EQ(firstNameAndDrop(prefix + restored), QStringLiteral("①㈱の会計"));
        EXPECT_FALSE(QFileInfo::exists(restored));

        db.open();
        db.dropDatabase();
        EXPECT_FALSE(QFileInfo::exists(path));

        // A file that is not there: the engine's message names it readably.
        FbDatabase missing;
        missing.DatabaseName = prefix + dir + QStringLiteral("/missing.fdb");
        missing.Params = kParams;
        try {
            missing.open();
            ADD_FAILURE() << "a missing file opened";
        } catch (const FbError &e) {
            EXPECT_EQ(e.errorCode(), 335544344);
            EXPECT_TRUE(e.message().contains(dir + QStringLiteral("/missing.fdb"))) << e.message().toStdString();
        }
    }
}

} // namespace

TEST(FbClientPaths, EmbeddedDatabasesInJapaneseFolders)
{
    workInFolders(QString());
}

TEST(FbClientPaths, ServerDatabasesInJapaneseFolders)
{
    if (serverHost().isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
    workInFolders(serverHost());
}

// A program started under the "C" locale (no LANG) takes such names too: the
// client library is made to read file names as UTF-8 before its first use.
TEST(FbClientPaths, JapaneseFoldersUnderTheCLocale)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANG", "LANGUAGE", "LC_CTYPE", "LC_MESSAGES"}) env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=FbClientPaths.EmbeddedDatabasesInJapaneseFolders")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

// A name UTF-8 cannot carry is refused with the name, never sent changed.
TEST(FbClientPaths, NamesThatCannotBeCarriedAreRefusedByName)
{
    const QString dir = testenv::freshDir(QStringLiteral("会計データ"));
    const QString names[] = {dir + QStringLiteral("/a") + QChar(0xD800) + QStringLiteral(".fdb"),
                             dir + QStringLiteral("/a") + QChar(0) + QStringLiteral("b.fdb")};
    for (const QString &name : names) {
        try {
            FbDatabase::createDatabase(name, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
            ADD_FAILURE() << "created";
        } catch (const FbError &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("ファイル名に使用できない文字"))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(name));
        }
        FbDatabase db;
        db.DatabaseName = name;
        db.Params = kParams;
        EXPECT_THROW(db.open(), FbError);
        FbServices svc(QString(), QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
        EXPECT_THROW(svc.backup(name, dir + QStringLiteral("/t.fbk")), FbError);
        EXPECT_THROW(svc.restore(dir + QStringLiteral("/t.fbk"), name, false), FbError);
    }
    // Nothing was made under another name ("a?.fdb", "a").
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList());
}

// ---------------------------------------------------------------- the database character set

namespace {

// Characters SJIS_0208 does not have though CP932 does (the IBM extensions and
// the user-defined rows), and characters CP932 has not at all.
const QStringList kRefused = {QStringLiteral("髙"), QStringLiteral("﨑"), QStringLiteral("ⅰ"), QStringLiteral("ⅹ"),
                              QStringLiteral("￤"), QStringLiteral("＇"), QStringLiteral("纊"), QString(QChar(0xE000)),
                              QStringLiteral("한"), QStringLiteral("😀")};
// The NEC special characters and others CP932 adds to JIS X 0208: SJIS_0208 holds them.
const QStringList kAccepted = {QStringLiteral("①"), QStringLiteral("⑳"), QStringLiteral("Ⅰ"), QStringLiteral("Ⅹ"),
                               QStringLiteral("㈱"), QStringLiteral("㈲"), QStringLiteral("㈹"), QStringLiteral("㍻"),
                               QStringLiteral("㌔"), QStringLiteral("№"), QStringLiteral("∵"), QStringLiteral("￢"),
                               QStringLiteral("～"), QStringLiteral("ｱ"), QStringLiteral("高"), QStringLiteral("崎")};

} // namespace

TEST(FbText, WhatTheDatabaseCharacterSetHolds)
{
    for (const QString &c : kRefused) {
        EXPECT_FALSE(fbtext::fitsDatabaseCharset(c)) << c.toStdString();
        EXPECT_FALSE(fbtext::fitsDatabaseCharset(QStringLiteral("株式会社") + c + QStringLiteral("商店"))) << c.toStdString();
    }
    for (const QString &c : kAccepted) EXPECT_TRUE(fbtext::fitsDatabaseCharset(c)) << c.toStdString();
    EXPECT_TRUE(fbtext::fitsDatabaseCharset(QStringLiteral("①㈱～ｱｲｳ株式会社abc")));
    EXPECT_TRUE(fbtext::fitsDatabaseCharset(QString()));

    // Upper case and the other conversions through Unicode: not the NEC special characters.
    for (const QString &c : kRefused) EXPECT_FALSE(fbtext::convertsThroughUnicode(c)) << c.toStdString();
    for (const QString &c : {QStringLiteral("①"), QStringLiteral("Ⅰ"), QStringLiteral("㈱"), QStringLiteral("㍻"),
                             QStringLiteral("№")})
        EXPECT_FALSE(fbtext::convertsThroughUnicode(QStringLiteral("会計") + c)) << c.toStdString();
    for (const QString &c : {QStringLiteral("∵"), QStringLiteral("￢"), QStringLiteral("～"), QStringLiteral("ｱ"),
                             QStringLiteral("会計データ")})
        EXPECT_TRUE(fbtext::convertsThroughUnicode(c)) << c.toStdString();
}

TEST_F(FbClientTest, TextTheDatabaseCannotHoldIsRefusedNamingTheFieldAndNothingStored)
{
    for (const QString &c : kRefused) {
        SCOPED_TRACE(c.toStdString());
        const QString text = QStringLiteral("株式会社") + c;
        tr.startTransaction();
        FbQuery q(&db, &tr);
        q.setSql(QStringLiteral("UPDATE T SET NAME = :NAME, MEMO = :MEMO WHERE ID = 1"));
        q.paramByName(QStringLiteral("NAME")).setString(QStringLiteral("正しい名前"));
        q.paramByName(QStringLiteral("MEMO")).setString(text);
        try {
            q.execSQL();
            ADD_FAILURE() << "stored";
        } catch (const FbError &e) {
            EXPECT_EQ(e.errorCode(), 0) << "the engine's error, not ours: " << e.message().toStdString();
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("データベースに保存できない文字が含まれています。")))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("項目 MEMO の「") + c + u'」')) << e.message().toStdString();
        }
        tr.rollback();

        // In the text of a statement, the statement is named and shown.
        try {
            ExecuteSqlScript(db, QStringLiteral("UPDATE T SET NAME = '%1' WHERE ID = 1;").arg(text));
            ADD_FAILURE() << "stored";
        } catch (const FbError &e) {
            EXPECT_EQ(e.errorCode(), 0) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("SQL文 の「") + c + u'」')) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("UPDATE T SET NAME"))) << e.message().toStdString();
        }
    }
    tr.startTransaction();
    FbQuery r(&db, &tr);
    r.setSql(QStringLiteral("SELECT NAME, MEMO FROM T WHERE ID = 1"));
    r.open();
    EXPECT_EQ(r.field(0).asString(), QStringLiteral("first; with a semicolon"));
    EXPECT_TRUE(r.field(1).isNull());
    tr.commit();
}

TEST_F(FbClientTest, CharactersTheDatabaseHoldsAreStoredAsTheyAre)
{
    int id = 100;
    for (const QString &c : kAccepted) {
        SCOPED_TRACE(c.toStdString());
        const QString text = QStringLiteral("株式会社") + c;
        ++id;
        tr.startTransaction();
        FbQuery q(&db, &tr);
        q.setSql(QStringLiteral("INSERT INTO T (ID, NAME, MEMO) VALUES (:ID, :NAME, :NAME)"));
        q.paramByName(QStringLiteral("ID")).setInteger(id);
        q.paramByName(QStringLiteral("NAME")).setString(text);
        q.execSQL();
        tr.commit();
        // As a literal the engine reads it through its own tables.
        ExecuteSqlScript(db, QStringLiteral("INSERT INTO T (ID, NAME) VALUES (%1, '%2');").arg(id + 1000).arg(text));

        tr.startTransaction();
        FbQuery r(&db, &tr);
        r.setSql(QStringLiteral("SELECT NAME, MEMO, CHAR_LENGTH(NAME) FROM T WHERE ID IN (:A, :B) ORDER BY ID"));
        r.paramByName(QStringLiteral("A")).setInteger(id);
        r.paramByName(QStringLiteral("B")).setInteger(id + 1000);
        r.open();
        ASSERT_FALSE(r.eof());
        EXPECT_EQ(r.field(0).asString(), text);
        EXPECT_EQ(r.field(1).asString(), text);
        EXPECT_EQ(r.field(2).asInteger(), 5);
        r.next();
        ASSERT_FALSE(r.eof());
        EXPECT_EQ(r.field(0).asString(), text);
        tr.commit();
    }
}

// Every character CP932 has, asked of the engine: SJIS_0208 text it cannot
// take to Unicode is what we refuse, and nothing else; what it cannot bring
// back from Unicode (as UPPER does) is told apart too.
TEST_F(FbClientTest, RefusedCharactersAreExactlyThoseTheEngineCannotTransliterate)
{
    tr.startTransaction();
    FbQuery ours(&db, &tr), toUnicode(&db, &tr), upper(&db, &tr);
    ours.setSql(QStringLiteral("SELECT CAST(:T AS VARCHAR(2)) FROM RDB$DATABASE"));
    // The bytes go unchecked and the engine reads them as SJIS_0208.
    toUnicode.setSql(QStringLiteral("SELECT CHAR_LENGTH(CAST(CAST(:B AS VARCHAR(2)) AS VARCHAR(2) CHARACTER SET UTF8)) "
                                    "FROM RDB$DATABASE"));
    upper.setSql(QStringLiteral("SELECT UPPER(CAST(:B AS VARCHAR(2))) FROM RDB$DATABASE"));
    const auto fails = [](FbQuery &q) {
        try {
            q.open();
            return false;
        } catch (const FbError &) {
            return true;
        }
    };
    QStringList differ;
    int refused = 0, notBack = 0, checked = 0;
    for (char32_t u = 0x20; u <= 0xFFFF; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        const QString c = QString::fromUcs4(&u, 1);
        bool cp932 = true;
        const QByteArray bytes = platform::toCp932(c, &cp932);
        if (!cp932) continue;
        ++checked;
        ours.paramByName(QStringLiteral("T")).setString(c);
        bool weRefuse = false;
        try {
            ours.open();
        } catch (const FbError &e) {
            weRefuse = e.errorCode() == 0;
        }
        toUnicode.paramByName(QStringLiteral("B")).setBytes(bytes);
        upper.paramByName(QStringLiteral("B")).setBytes(bytes);
        const bool engineRefuses = fails(toUnicode);
        const bool upperFails = fails(upper);
        refused += weRefuse;
        notBack += upperFails && !engineRefuses;
        if (weRefuse != engineRefuses || weRefuse == fbtext::fitsDatabaseCharset(c) ||
            upperFails == fbtext::convertsThroughUnicode(c))
            differ << QStringLiteral("U+%1 %2 %3").arg(uint(u), 4, 16, QLatin1Char('0')).arg(c, QString::fromLatin1(bytes.toHex()));
    }
    tr.commit();
    EXPECT_GT(checked, 9000);
    // The IBM extensions that are not also NEC or JIS characters (373) and the
    // user-defined rows (1880); the NEC special characters (74) go to Unicode
    // but not back.
    EXPECT_EQ(refused, 373 + 1880);
    EXPECT_EQ(notBack, 74);
    EXPECT_TRUE(differ.isEmpty()) << differ.size() << " differ: " << differ.mid(0, 20).join(u' ').toStdString();
}

TEST_F(FbClientTest, FieldsReadTheRowTheCursorStandsOn)
{
    ExecuteSqlScript(db, QStringLiteral(
        "CREATE TABLE R (ID INTEGER NOT NULL, NAME VARCHAR(20), CODE CHAR(6), SMALL SMALLINT, BIG BIGINT,\n"
        "  AMOUNT NUMERIC(18,4), RATE NUMERIC(4,3), D DATE, T TIME, FLAG BOOLEAN, RAW VARCHAR(4) CHARACTER SET OCTETS,\n"
        "  MEMO BLOB SUB_TYPE 1);\n"
        "INSERT INTO R VALUES (1, 'ascii', 'AB', -7, 9000000000, 12.3456, 0.125, '2024-04-01', '12:34:56', TRUE, x'00FF', 'm1');\n"
        "INSERT INTO R VALUES (2, '株式会社①', 'ｱｲ', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);\n"
        "INSERT INTO R VALUES (3, NULL, '  ', 0, -1, -0.0001, 1, '1899-12-30', '00:00:00', FALSE, '', '');\n"));
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("SELECT ID, NAME, CODE, SMALL, BIG, AMOUNT, RATE, D, T, FLAG, RAW, MEMO, NAME AS name FROM R ORDER BY ID"));
    q.open();

    // Looked up once: any case, a repeated name gives its first column.
    const int name = q.fieldIndex(QStringLiteral("name"));
    EXPECT_EQ(name, 1);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("NAME")), 1);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("Rate")), 6);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("NONE")), -1);
    EXPECT_EQ(q.findField(QStringLiteral("code")), &q.field(2));

    struct Row {
        int id;
        QString name, code;
        bool smallNull;
        qint64 small, big;
        Currency amount;
        QString rate;
        QDate d;
        QTime t;
        bool flag;
        QByteArray raw;
        QString memo;
    };
    const Row rows[] = {
        {1, QStringLiteral("ascii"), QStringLiteral("AB"), false, -7, 9000000000LL, Currency::fromRaw(123456), QStringLiteral("0.125"),
         QDate(2024, 4, 1), QTime(12, 34, 56), true, QByteArray("\x00\xFF", 2), QStringLiteral("m1")},
        {2, QStringLiteral("株式会社①"), QStringLiteral("ｱｲ"), true, 0, 0, Currency(), QString(), QDate(), QTime(), false, QByteArray(),
         QString()},
        {3, QString(), QString(), false, 0, -1, Currency::fromRaw(-1), QStringLiteral("1"), QDate(1899, 12, 30), QTime(0, 0), false,
         QByteArray(), QString()},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.id);
        ASSERT_FALSE(q.eof());
        // Read in another order than the columns', some twice, some in two ways.
        EXPECT_EQ(q.field(12).isNull(), r.id == 3); // decoded whole before its text is asked for
        EXPECT_EQ(q.field(12).kind(), r.id == 3 ? DbValue::Kind::Null : DbValue::Kind::Text);
        EXPECT_EQ(q.field(2).kind(), DbValue::Kind::Text);
        EXPECT_EQ(q.field(11).asString(), r.memo);
        EXPECT_EQ(q.field(name).asString(), r.name);
        EXPECT_EQ(q.field(name).asString(), r.name);
        EXPECT_EQ(q.field(12).asString(), r.name);
        EXPECT_EQ(q.field(1).isNull(), r.id == 3);
        EXPECT_EQ(q.field(2).asString(), r.code); // CHAR without its padding
        EXPECT_EQ(q.field(3).isNull(), r.smallNull);
        EXPECT_EQ(q.field(3).asInteger(), r.small);
        EXPECT_EQ(q.field(3).kind(), r.smallNull ? DbValue::Kind::Null : DbValue::Kind::Integer);
        EXPECT_EQ(q.field(4).asInt64(), r.big);
        EXPECT_EQ(q.field(5).asCurrency(), r.amount);
        EXPECT_EQ(q.field(5).asString(), r.id == 2 ? QString() : r.amount.toString());
        EXPECT_EQ(q.field(6).asCurrency(), r.id == 2 ? Currency() : Currency::fromRaw(r.rate == u"1" ? 10000 : 1250));
        EXPECT_EQ(q.field(6).asInt64(), r.id == 3 ? 1 : 0);
        EXPECT_EQ(q.field(7).asDate(), r.d);
        EXPECT_EQ(q.field(7).asDateTime(), r.d.isValid() ? QDateTime(r.d, QTime(0, 0)) : QDateTime());
        EXPECT_EQ(q.field(8).asTime(), r.t);
        EXPECT_EQ(q.field(9).asBoolean(), r.flag);
        EXPECT_EQ(q.field(10).asBytes(), r.raw);
        EXPECT_EQ(q.field(10).kind(), r.id == 2 ? DbValue::Kind::Null : DbValue::Kind::Bytes);
        EXPECT_EQ(q.field(0).asVariant(), QVariant(qint64(r.id)));
        q.next();
    }
    EXPECT_TRUE(q.eof());
    q.close();
    tr.commit();
}
