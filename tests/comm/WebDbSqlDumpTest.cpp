// The SQL dump of a company database: value forms, the file against a golden
// file, the variants of the catalogue, the failures, and a load into a real
// MySQL-compatible server.
#include "MariaDbServer.h"

#include "comm/WebDbSqlDump.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kGolden = QStringLiteral(WEBDB_FIXTURES "/webdb_dump.golden.sql");

class WebDbSqlDumpTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SystemDef.BaseDir = QStringLiteral(PROJECT_RESOURCES_DIR);
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("dumptemp"));
        SystemDef.AppDispName = QStringLiteral("連動ﾃﾞｰﾀの作成");
        SystemDef.AppVersion = QStringLiteral("11.0.0");
        AccInf.DATATYPE = 1;
        AccInf.MAJOR = 11;
        AccInf.MINOR1 = 0;
        AccInf.MINOR2 = 0;
        AccInf.zzKISHU = QDate(2023, 4, 1);
        AccInf.zKISHU = QDate(2024, 4, 1);
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    }

    // Journal rows with the texts that matter: Japanese (with 0x5C trail
    // bytes in Shift-JIS), an apostrophe, a backslash, NULLs and the
    // date-time limits.
    void fillJournal(int rows)
    {
        FbTransaction tr(&dm->IBDatabaseDAT, {QStringLiteral("concurrency"), QStringLiteral("nowait")});
        tr.startTransaction();
        FbQuery q(&dm->IBDatabaseDAT, &tr);
        q.setSql(QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, HIZUKE, KNAME, HNAME, "
                                "KINGAKU, RIT, TEKTEXT, COMMENT, CTIME, RTIME) VALUES (:REC, :SWKREC, :NO, :HIZUKE, "
                                ":KNAME, :HNAME, :KIN, :RIT, :TEK, :COMMENT, :CTIME, :RTIME)"));
        for (int i = 1; i <= rows; ++i) {
            q.paramByName(QStringLiteral("REC")).setInteger(i);
            q.paramByName(QStringLiteral("SWKREC")).setInteger((i + 1) / 2);
            q.paramByName(QStringLiteral("NO")).setInteger(i);
            q.paramByName(QStringLiteral("HIZUKE")).setDate(QDate(2025, 4, 1).addDays(i % 300));
            q.paramByName(QStringLiteral("KNAME")).setString(i == 1 ? QStringLiteral("O'Neil") : QStringLiteral("現金"));
            q.paramByName(QStringLiteral("HNAME")).setString(i == 2 ? QStringLiteral("C:\\data\\") : QStringLiteral("表ソ能十"));
            q.paramByName(QStringLiteral("KIN")).setString(QStringLiteral("%1.5").arg(i * 1000));
            q.paramByName(QStringLiteral("RIT")).setString(QStringLiteral("0.10"));
            if (i == 3) q.paramByName(QStringLiteral("TEK")).clear();
            else q.paramByName(QStringLiteral("TEK")).setString(QStringLiteral("摘要～㈱ソルテア①%1").arg(i));
            if (i == 4) q.paramByName(QStringLiteral("COMMENT")).setString(QStringLiteral("行1\r\n行2 \\' end"));
            else q.paramByName(QStringLiteral("COMMENT")).clear();
            switch (i) {
            case 1: q.paramByName(QStringLiteral("CTIME")).setDateTime(QDateTime(QDate(1970, 1, 1), QTime(0, 0))); break;
            case 2: q.paramByName(QStringLiteral("CTIME")).setDateTime(QDateTime(QDate(1970, 1, 1), QTime(12, 0))); break;
            case 3: q.paramByName(QStringLiteral("CTIME")).setDateTime(QDateTime(QDate(2038, 1, 1), QTime(0, 0))); break;
            case 4: q.paramByName(QStringLiteral("CTIME")).clear(); break;
            default: q.paramByName(QStringLiteral("CTIME")).setDateTime(QDateTime(QDate(2025, 5, 1), QTime(9, 30, 15)));
            }
            q.paramByName(QStringLiteral("RTIME")).setDateTime(QDateTime(QDate(2015, 4, 1), QTime(0, 0)));
            q.execSQL();
        }
        tr.commit();
    }

    void fillMasters()
    {
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME, XSTR, KENSAKU_KEY) VALUES ('001', "
                                                      "'営業部''s\\', NULL, 'eigyo')"));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID) VALUES (200, 'QmVelda1')"));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID) VALUES (200, 'QmSiwake')"));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID) VALUES (1200, 'QmKessan')"));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HKANA, HNAME, REC, RTIME) VALUES "
                                                      "('1101', '01', 'ｿﾙﾃｱ', 'ソルテア十能', 1, '2015-04-01 00:00:00')"));
    }

    QString dumpText(const QString &path)
    {
        return QString::fromUtf8(testenv::readFile(path));
    }

    QByteArray writeDump(TWebDbSqlDump &dump)
    {
        dump.DatabaseName = QStringLiteral("velda_d_AB123_3");
        EXPECT_TRUE(dump.WriteDumpFile());
        return testenv::readFile(dump.DumpFilePath);
    }

    // The lines of a dump with the fields of time and place masked.
    static QList<QByteArray> masked(const QByteArray &bytes)
    {
        QList<QByteArray> lines = bytes.split('\n');
        static const QRegularExpression now(QStringLiteral("^\\(0,0,0,'[0-9: -]+'\\);\r$"));
        for (QByteArray &l : lines) {
            for (const char *prefix : {"--   Creation File   : ", "--   Creation Date   : ", "--   mysql importline: ",
                                       "--   Created Time: "})
                if (l.startsWith(prefix)) l = QByteArray(prefix) + "#MASKED#\r";
            if (now.match(QString::fromLatin1(l)).hasMatch()) l = "(0,0,0,#NOW#);\r";
        }
        return lines;
    }

    ScriptedMessages boxes;
};

// A value of each kind from a one-row select.
struct ValueCase {
    const char *expr;
    const char *kind;
    const char *expected;
};

TEST_F(WebDbSqlDumpTest, WritesEachKindOfValue)
{
    const ValueCase cases[] = {
        {"CAST(NULL AS INTEGER)", "", "null"},
        {"CAST(NULL AS VARCHAR(10))", "Q", "''"},
        {"CAST(NULL AS VARCHAR(10))", "STR", "null"},
        {"CAST(NULL AS TIMESTAMP)", "DATETIME", "'0000-00-00 00:00:00'"},
        {"CAST(NULL AS NUMERIC(16,4))", "CURR", "null"},
        {"CAST('O''Neil' AS VARCHAR(20))", "STR", "'O\\'Neil'"},
        {"CAST('O''Neil' AS VARCHAR(20))", "Q", "'O\\'Neil'"},
        {"CAST('C:\\dir\\' AS VARCHAR(20))", "Q", "'C:\\\\dir\\\\'"},
        {"CAST('表ソ能十' AS VARCHAR(20))", "STR", "'表ソ能十'"},
        {"CAST(1500.5 AS NUMERIC(16,4))", "", "1500.5"},
        {"CAST(0.95 AS NUMERIC(16,4))", "CURR", "0.95"},
        {"CAST(-12.5 AS NUMERIC(16,4))", "", "-12.5"},
        {"CAST(-0.0001 AS NUMERIC(16,4))", "", "-0.0001"},
        {"CAST(100 AS NUMERIC(16,4))", "", "100"},
        {"CAST(42 AS INTEGER)", "INT", "42"},
        {"CAST(0.25 AS DOUBLE PRECISION)", "DOUBLE", "0.25"},
        {"CAST('2015-04-01' AS DATE)", "Q", "'2015/04/01'"},
        {"CAST('2015-04-01 00:00:00' AS TIMESTAMP)", "DATETIME", "'2015/04/01'"},
        {"CAST('2015-04-01 13:05:09' AS TIMESTAMP)", "DATETIME", "'2015/04/01 13:05:09'"},
        {"CAST('1970-01-01 00:00:00' AS TIMESTAMP)", "DATETIME", "'1970-01-02 00:00:00'"},
        {"CAST('1899-12-30 00:00:00' AS TIMESTAMP)", "DATETIME", "'1970-01-02 00:00:00'"},
        {"CAST('1970-01-01 12:00:00' AS TIMESTAMP)", "DATETIME", "'1970/01/01 12:00:00'"},
        {"CAST('2038-01-01 00:00:00' AS TIMESTAMP)", "DATETIME", "'2038-01-01 00:00:00'"},
        {"CAST('2040-06-01 10:00:00' AS TIMESTAMP)", "DATETIME", "'2038-01-01 00:00:00'"},
        {"CAST('2015-04-01' AS DATE)", "DATETIME", "'2015/04/01'"},
    };
    FbTransaction tr(&dm->IBDatabaseDAT, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.startTransaction();
    for (const ValueCase &c : cases) {
        FbQuery q(&dm->IBDatabaseDAT, &tr);
        q.setSql(QStringLiteral("SELECT %1 AS V FROM RDB$DATABASE").arg(QString::fromUtf8(c.expr)));
        q.open();
        EXPECT_EQ(TWebDbSqlDump::FieldToSqlValue(q.field(0), QString::fromLatin1(c.kind)), QString::fromUtf8(c.expected))
            << c.expr << " as " << c.kind;
        q.close();
    }
    tr.commit();

    EXPECT_EQ(TWebDbSqlDump::EscapeSqlText(QStringLiteral("a'b\\c\r\nd")), QStringLiteral("a\\'b\\\\c\\r\\nd"));
    EXPECT_EQ(TWebDbSqlDump::DateToSqlValue(QStringLiteral("datetime"), QDateTime(QDate(2020, 2, 3), QTime(4, 5, 6))),
              QStringLiteral("'2020-02-03 04:05:06'"));
    EXPECT_EQ(TWebDbSqlDump::ColorToSqlInt(0x0000FF), QStringLiteral("16711680")); // red
    EXPECT_EQ(TWebDbSqlDump::ColorToSqlInt(0xFF0000), QStringLiteral("255"));      // blue
    EXPECT_EQ(TWebDbSqlDump::ColorToSqlInt(0x00FFFF), QStringLiteral("16776960")); // yellow
    EXPECT_EQ(TWebDbSqlDump::ColorToSqlInt(qint64(0x80000005)), QStringLiteral("16777215"));
    // Shift-JIS bytes are never escaped: 表 is 0x95 0x5C, written as UTF-8.
    EXPECT_EQ(TWebDbSqlDump::EncodeOutputText(QStringLiteral("表")), QByteArray("\xE8\xA1\xA8"));
}

TEST_F(WebDbSqlDumpTest, MatchesTheGoldenFile)
{
    fillMasters();
    fillJournal(101);
    TWebDbSqlDump dump;
    EXPECT_EQ(dump.DumpFilePath, SystemDef.TempDir + QStringLiteral("/DorvelVelda_Sql/vqacc.sql"));
    const QByteArray bytes = writeDump(dump);
    EXPECT_TRUE(boxes.shown.isEmpty());
    const QString actualCopy = testenv::sandbox() + QStringLiteral("/webdb_dump.actual.sql");
    testenv::writeFile(actualCopy, bytes);
    // SOLTEA_WRITE_GOLDEN=1 writes the golden file anew (to be reviewed before it is committed).
    if (qEnvironmentVariableIntValue("SOLTEA_WRITE_GOLDEN") == 1) testenv::writeFile(kGolden, bytes);

    QFile golden(kGolden);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << "no golden file; the dump is in " << actualCopy.toStdString();
    const QList<QByteArray> expected = masked(golden.readAll());
    const QList<QByteArray> actual = masked(bytes);
    ASSERT_EQ(actual.size(), expected.size()) << "see " << actualCopy.toStdString();
    for (qsizetype i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "line " << (i + 1) << " of " << actualCopy.toStdString();

    // Every line ends with CR LF, the header is Shift-JIS and the rows UTF-8.
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.contains(platform::toCp932(QStringLiteral("連動ﾃﾞｰﾀの作成"))));
    EXPECT_TRUE(bytes.contains(QStringLiteral("表ソ能十").toUtf8()));
    EXPECT_FALSE(bytes.contains(platform::toCp932(QStringLiteral("表ソ能十"))));
    // The transaction started for the dump is ended.
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());
    // The default budget rules were written to the company database.
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM TRIVO_YOSAN_KIHONRULE")), QStringLiteral("6"));
}

TEST_F(WebDbSqlDumpTest, BatchesJournalRowsByHundred)
{
    struct Case {
        int rows;
        QList<int> statements; // rows of each INSERT statement of SIWAKE
    };
    for (const Case &c : {Case{0, {}}, Case{100, {100}}, Case{101, {100, 1}}, Case{250, {100, 100, 50}}}) {
        exec(QStringLiteral("ACCDAT"), QStringLiteral("DELETE FROM SIWAKE"));
        fillJournal(c.rows);
        TWebDbSqlDump dump;
        const QString text = QString::fromUtf8(writeDump(dump));
        const qsizetype start = text.indexOf(QStringLiteral("DELETE FROM SIWAKE;\r\n"));
        const qsizetype end = text.indexOf(QStringLiteral("DELETE FROM SIWAKE2;\r\n"));
        ASSERT_GT(start, 0);
        const QStringList lines = text.mid(start, end - start).split(QStringLiteral("\r\n"));
        QList<int> statements;
        for (int i = 1; i < lines.size(); ++i) {
            if (lines[i] != QStringLiteral("INSERT INTO SIWAKE VALUES")) continue;
            const QString rows = lines.value(i + 1);
            EXPECT_TRUE(rows.endsWith(u';'));
            statements << int(rows.count(QStringLiteral("),(")) + 1);
        }
        EXPECT_EQ(statements, c.statements) << c.rows << " rows";
        if (c.rows == 0) {
            EXPECT_EQ(lines.value(1), QString());
        } // the DELETE line and one empty line
    }
}

TEST_F(WebDbSqlDumpTest, FollowsTheDataKindAndTheVersion)
{
    fillMasters();
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO TRIVO_YOSAN_KANRI (FYOSAN_ID, FYOSAN_NAME, FYOSAN_HOUHOU, FZOUGENRITU) "
                                                  "VALUES (1, '予算', NULL, 2.5)"));
    for (int i = 1; i <= 12; ++i)
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO TRIVO_YOSAN_KIHONRULE (FKOMOKU, FROW, FKBN, FHIZUKE) VALUES "
                                                      "('納税', %1, '法人税', '2025-05-%2')")
                                           .arg(i)
                                           .arg(i, 2, 10, QLatin1Char('0')));
    {
        // Version 8.0.1 of a corporation.
        AccInf.MAJOR = 8;
        AccInf.MINOR1 = 0;
        AccInf.MINOR2 = 1;
        TWebDbSqlDump dump;
        EXPECT_EQ(dump.JobLevel, 200);
        const QString text = QString::fromUtf8(writeDump(dump));
        EXPECT_TRUE(text.contains(QStringLiteral("\r\nDELETE FROM JOBCONTROL;\r\nDELETE FROM KAKOSIWAKE1;\r\n")));
        EXPECT_TRUE(text.contains(QStringLiteral("DELETE FROM TRIVO_YOSAN_KANRI;\r\n\r\nDELETE FROM TRIVO_KAMOKU_YOSAN;")));
        EXPECT_TRUE(text.contains(QStringLiteral("DELETE FROM TRIVO_YOSAN_KIHONRULE;\r\n\r\nDELETE FROM KAMOKU_KOSEI_GROUP;\r\n\r\n"
                                                 "DELETE FROM KAMOKU_KOSEI_GROUP WHERE (FGNAME='未払金／未払費用');\r\n"
                                                 "DELETE FROM VELDA_YOJITU_HYOKARULE;\r\n\r\n")));
        // Without data kind 3: MB_JIGYOU 0, GROUPR repeats GROUPM and seven nulls close KAMOKUMST rows.
        EXPECT_TRUE(text.contains(QStringLiteral(",null,null,null,null,null,null,null),")));
        EXPECT_TRUE(text.contains(QStringLiteral("DELETE FROM MSD_HOUKOKU;\r\n\r\n")));
        // Nothing written to the company database below 8.0.2.
        EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM TRIVO_YOSAN_KIHONRULE")),
                  QStringLiteral("12"));
    }
    {
        // Data kind 3 of version 8.0.2: the JOBCONTROL rows of level 1200, written with 200.
        AccInf.MAJOR = 8;
        AccInf.MINOR1 = 0;
        AccInf.MINOR2 = 2;
        AccInf.DATATYPE = 3;
        TWebDbSqlDump dump;
        EXPECT_EQ(dump.JobLevel, 1200);
        const QString text = QString::fromUtf8(writeDump(dump));
        EXPECT_TRUE(text.contains(QStringLiteral("DELETE FROM JOBCONTROL;\r\nINSERT INTO JOBCONTROL VALUES\r\n(1,200,0,0,'','QmKessan');\r\n")));
        EXPECT_TRUE(text.contains(QStringLiteral("(1,'予算',null,0,0,2.5,0,0,0);")));
        // Twelve rules of 納税 give ten rows, after the three DELETE statements; FID goes on from group A.
        const qsizetype at = text.indexOf(QStringLiteral("DELETE FROM TRIVO_YOSAN_KIHONRULE WHERE (FKOMOKU='未払金／未払費用');\r\n"));
        ASSERT_GT(at, 0);
        const QStringList after = text.mid(at).split(QStringLiteral("\r\n"));
        EXPECT_TRUE(after.value(1).startsWith(QStringLiteral("INSERT INTO TRIVO_YOSAN_KIHONRULE(FID,")));
        EXPECT_EQ(after.value(2).count(QStringLiteral("'納税'")), 10);
        EXPECT_TRUE(after.value(2).startsWith(QStringLiteral("(1,'納税',1,")));
        EXPECT_TRUE(after.value(2).endsWith(QStringLiteral("'2025/05/10',0);")));
        EXPECT_EQ(after.value(3), QString());
        EXPECT_TRUE(after.value(4).startsWith(QStringLiteral("DELETE FROM KAMOKU_KOSEI_GROUP;")));
    }
}

TEST_F(WebDbSqlDumpTest, RefusesNamesAndLeavesNothingOnFailure)
{
    TWebDbSqlDump dump;
    // An empty name: false, an earlier file stays.
    QDir().mkpath(QFileInfo(dump.DumpFilePath).absolutePath());
    testenv::writeFile(dump.DumpFilePath, "earlier");
    EXPECT_FALSE(dump.WriteDumpFile());
    EXPECT_EQ(testenv::readFile(dump.DumpFilePath), QByteArray("earlier"));
    EXPECT_TRUE(boxes.shown.isEmpty());

    // A name that is not plain: refused with a message, nothing written.
    for (const char *name : {"velda;DROP", "velda`x", "vel da", "ベルダ", "a-b"}) {
        boxes.answer(mrOk);
        dump.DatabaseName = QString::fromUtf8(name);
        EXPECT_FALSE(dump.WriteDumpFile()) << name;
        EXPECT_EQ(testenv::readFile(dump.DumpFilePath), QByteArray("earlier"));
        ASSERT_FALSE(boxes.shown.isEmpty());
        EXPECT_TRUE(boxes.shown.last().text.contains(QStringLiteral("は使用できません")));
    }

    // A failing section query: the message, false, no partial file and no open transaction.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("ALTER TABLE TAXMST DROP TAX_NAME2"));
    boxes.answer(mrOk);
    dump.DatabaseName = QStringLiteral("velda_d_X_1");
    EXPECT_FALSE(dump.WriteDumpFile());
    EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("SQLDumpファイルの作成に失敗しました。")));
    EXPECT_FALSE(QFileInfo::exists(dump.DumpFilePath));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());

    // A missing create script.
    boxes.answer(mrOk);
    dump.CreateScriptPath = testenv::sandbox() + QStringLiteral("/missing.sql");
    EXPECT_FALSE(dump.WriteDumpFile());
    EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("SQLDumpファイルの作成に失敗しました。")));
    EXPECT_FALSE(QFileInfo::exists(dump.DumpFilePath));
    EXPECT_TRUE(boxes.allAnswered());

    // A file that cannot be created raises its error to the caller.
    const QString blocker = testenv::freshDir(QStringLiteral("blocker")) + QStringLiteral("/file");
    testenv::writeFile(blocker, "x");
    dump.DumpFilePath = blocker + QStringLiteral("/vqacc.sql");
    try {
        dump.WriteDumpFile();
        ADD_FAILURE() << "no error raised";
    } catch (const platform::Error &e) {
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("\"") + dump.DumpFilePath + QStringLiteral("\"が使用中です。")));
    }
}

// The dump loads into a MySQL-compatible server with the same rows and texts.
TEST_F(WebDbSqlDumpTest, LoadsIntoMariaDb)
{
    mariadbtest::MariaDbServer server;
    QString why;
    if (!server.start(&why)) GTEST_SKIP() << "MariaDB cannot run here: " << why.toStdString();

    fillMasters();
    fillJournal(250);
    exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO KAKOSIWAKE1 SELECT * FROM SIWAKE WHERE REC <= 120"));
    TWebDbSqlDump dump;
    writeDump(dump);
    QString message;
    ASSERT_TRUE(server.load(dump.DumpFilePath, &message)) << message.toStdString();
    const QString db = QStringLiteral("velda_d_AB123_3");

    // Tables whose rows are copied one to one.
    for (const char *table : {"ACCDEF1", "ACCDEF2", "ACCDEF5", "ACCTOTALNAME", "BUMONMST", "BUNSEKI_SYUKEIHYO", "EXTERKS",
                              "FINMST", "GROUPLIST", "GROUPMST", "HOJOMST", "KAKOSIWAKE1", "KAKOSIWAKE2", "KAKOZAN",
                              "KAMOKUMST", "KAMOKU_MS", "KAMOKU_SZ", "KAMOKU_TAX", "MB_KMKGROUP", "VELDA_HIKAKU",
                              "VELDA_HIKAKU_COL", "VELDA_YOJITUHENDOU", "SISETUBUM", "SISETUGROUP", "SISETUGROUPLIST",
                              "SISETUMST", "SIWAKE", "SIWAKE2", "SWK_SEARCH", "TAXMST", "TRIVO_YOSAN_KANRI",
                              "TRIVO_KAMOKU_YOSAN", "VELDA_YOJITU_HYOKARULE"}) {
        const QString t = QString::fromLatin1(table);
        EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM ") + t),
                  QStringList{scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM ") + t)})
            << table;
    }
    // The tables of the special rows.
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM ACCREG")),
              QStringList{QString::number(scalar(QStringLiteral("ACCDAT"),
                                                 QStringLiteral("SELECT COUNT(*) FROM ACCREG WHERE AGROUP<>'経営ベルダ'"))
                                              .toInt() +
                                          25)});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM ACCVERSION")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM CHARTINF")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT PROC_ID FROM JOBCONTROL ORDER BY REC")),
              QStringList({QStringLiteral("QmSiwake"), QStringLiteral("QmVelda1")}));
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM TRIVO_YOSAN_KIHONRULE")), QStringList{QStringLiteral("6")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM KAMOKU_KOSEI_GROUP")),
              QStringList{scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT COUNT(*) FROM KAMOKU_KOSEI_GROUP "
                                                                          "WHERE FGNAME<>'未払金／未払費用'"))});

    // Japanese texts, apostrophes, backslashes, line breaks and NULLs survive.
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT KNAME, HNAME, TEKTEXT FROM SIWAKE WHERE REC=1")),
              QStringList{QStringLiteral("O'Neil\t表ソ能十\t摘要～㈱ソルテア①1")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT HNAME FROM SIWAKE WHERE REC=2")), QStringList{QStringLiteral("C:\\data\\")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM SIWAKE WHERE TEKTEXT IS NULL")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT HEX(COMMENT) FROM SIWAKE WHERE REC=4")),
              QStringList{QString::fromLatin1(QStringLiteral("行1\r\n行2 \\' end").toUtf8().toHex().toUpper())});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT COUNT(*) FROM SIWAKE WHERE COMMENT IS NULL")), QStringList{QStringLiteral("249")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT KINGAKU, CTIME FROM SIWAKE WHERE REC=2")),
              QStringList{QStringLiteral("2000.5000\t1970-01-01 12:00:00")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT BNAME FROM BUMONMST WHERE BCODE='001'")),
              QStringList{QStringLiteral("営業部's\\")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT HNAME, RTIME FROM HOJOMST WHERE HCODE='01'")),
              QStringList{QStringLiteral("ソルテア十能\t2015-04-01 00:00:00")});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT SHOUGOU FROM ACCDEF1")),
              QStringList{scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SHOUGOU FROM ACCDEF1"))});
    EXPECT_EQ(server.query(db, QStringLiteral("SELECT KNAME FROM KAMOKUMST ORDER BY KCODE LIMIT 1")),
              QStringList{scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT FIRST 1 KNAME FROM KAMOKUMST ORDER BY KCODE"))});
}

} // namespace
