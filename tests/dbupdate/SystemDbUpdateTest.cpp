// The upgrade steps of the system database: the base schema brought up by every
// step through the upgrade dialog and the Firebird SQL tool equals a fresh
// system database, and what the steps do holds on the upgraded database.
#include "support/TestEnv.h"

#include "SchemaMetadata.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"
#include "platform/Cp932.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>

namespace {

using Rows = QList<QStringList>;

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

void screenshot(QWidget &w, const QString &name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(dir + u'/' + name + QStringLiteral(".png"))) << name.toStdString();
}

// A fresh base system database of version 0.3.0 in a folder whose name holds
// an apostrophe, a blank and Japanese text.
class SystemDbUpdateTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
        baseDir = testenv::freshDir(QStringLiteral("o'hara 基本"));
        makeBase(baseDir);
        SystemDef.SysDir = baseDir;
        SystemDef.SqlDir = QStringLiteral(PROJECT_RESOURCES_DIR "/sqlsteps");
        SystemDef.TempDir = root.root + QStringLiteral("/temp-data");
        SystemDef.DocumentDir = testenv::freshDir(QStringLiteral("documents")) + QStringLiteral("/dorvelzaimu");
        SystemDef.PcName = QStringLiteral("PC'01");
        SystemDef.OpCode = 100010;
    }

    static void makeBase(const QString &folder)
    {
        const QString path = folder + QStringLiteral("/vqaccdef.fdb");
        FbDatabase::createDatabase(path, testenv::kDbUser, testenv::kDbPassword);
        QFile f(QStringLiteral(PROJECT_RESOURCES_DIR "/sql/system_0_3_0.sql"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        FbDatabase db;
        db.DatabaseName = path;
        db.Params = DatabaseParams();
        db.open();
        ExecuteSqlScript(db, QString::fromUtf8(f.readAll()));
        db.close();
    }

    QString basePath() const { return baseDir + QStringLiteral("/vqaccdef.fdb"); }
    Rows rows(const QString &sql) const { return schemameta::rows(basePath(), sql); }
    QString value(const QString &sql) const { return rows(sql).value(0).value(0); }
    void run(const QString &sql) const { schemameta::exec(basePath(), sql); }

    // Every pending step through the dialog, as the operator would run them.
    void upgradeAll()
    {
        ScriptedMessages boxes;
        TDbUpdateBox box;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        box.SetUpdateList(0, QString());
        ASSERT_EQ(box.DbVersion(), TDbVersionRec({0, 3, 0}));
        ASSERT_EQ(box.ListView1->rowCount(), 16);
        box.show();
        screenshot(box, QStringLiteral("dbupdate-system-steps"));
        box.btnOkClick();
        screenshot(box, QStringLiteral("dbupdate-system-done"));
        QStringList statuses;
        for (int i = 0; i < box.ListView1->rowCount(); ++i) statuses << box.RowStatus(i);
        ASSERT_EQ(statuses, QStringList(16, QStringLiteral("完了"))) << LastIsqlOutput().join(u'\n').toStdString();
        ASSERT_EQ(box.result(), 1);
        ASSERT_TRUE(boxes.shown.isEmpty());
        dm->IBDatabaseDEF.close();
    }

    // Runs one step function directly; false with the tool's output when it failed.
    static ::testing::AssertionResult step(int (*proc)(), int expected = DbUpdateDone)
    {
        const int rc = proc();
        if (rc == expected) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "result " << rc << "\n" << LastIsqlOutput().join(u'\n').toStdString();
    }

    QString baseDir;
};

} // namespace

TEST_F(SystemDbUpdateTest, TheUpgradedBaseEqualsAFreshSystemDatabase)
{
    upgradeAll();
    // A new system database of today's schema alone (a data root adds the
    // server's file procedures where the server has them).
    const QString freshPath = testenv::freshDir(QStringLiteral("fresh")) + QStringLiteral("/vqaccdef.fdb");
    CreateSchemaDatabase(freshPath, QStringLiteral("system"), testenv::kDbUser, testenv::kDbPassword);
    const schemameta::Snapshot upgraded = schemameta::read(basePath());
    const schemameta::Snapshot fresh = schemameta::read(freshPath);
    EXPECT_EQ(upgraded.keys(), fresh.keys());
    for (auto it = fresh.begin(); it != fresh.end(); ++it)
        EXPECT_EQ(upgraded.value(it.key()), it.value()) << it.key().toStdString();
    // The comparison sees what it should.
    EXPECT_EQ(fresh.value(QStringLiteral("tables")).size(), 21);
    EXPECT_EQ(fresh.value(QStringLiteral("procedures")).size(), 4);
    EXPECT_EQ(fresh.value(QStringLiteral("triggers")).size(), 1);
    EXPECT_TRUE(fresh.value(QStringLiteral("columns")).contains(
        QStringLiteral("GENGO.GNAME|37/0/20/0/0/10/5|0|1|DEFAULT ''||")));

    // One stamp per step after the base's own, numbered by the trigger.
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) || ':' || MIN(REC) || '-' || MAX(REC) FROM VERSION")), QStringLiteral("17:1-17"));
    EXPECT_EQ(rows(QStringLiteral("SELECT FIRST 1 MAJOR, MINOR1, MINOR2 FROM VERSION ORDER BY REC DESC")),
              Rows({{QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("4")}}));
    EXPECT_FALSE(QFile::exists(SystemDef.TempDir + QStringLiteral("/dataup.fbk")));
}

TEST_F(SystemDbUpdateTest, TheStepsExamplesHoldOnTheUpgradedDatabase)
{
    // What an installation of version 0.3.0 holds: menu rights, the office
    // row, two operators' dictionary switches and a data set.
    for (const char *r : {"1, 1, 0", "1, 1, 6", "5, 10, 1", "1001, 10, 10", "1001, 11, 9", "1001, 12, 0"})
        run(QStringLiteral("INSERT INTO JOBCONTROL (LEVELNO, PAGENO, MENUNO) VALUES (%1)").arg(QLatin1String(r)));
    run(QStringLiteral("INSERT INTO SYSTEMINI (REC, RESERVE1, RESERVE2, RESERVE3, RESERVE4, RESERVE5, SSTR) "
                       "VALUES (10, 1, 5, 0, 7, 8, 'NAME=山田会計事務所' || ASCII_CHAR(13) || 'FAX=03-1111-2222' || "
                       "ASCII_CHAR(13) || 'JYUSHO=東京都港区' || ASCII_CHAR(13) || 'TEL=03-1234-5678')"));
    run(QStringLiteral("INSERT INTO SYSDEF (OPCODE, DICTEKAUTO, DICTORAUTO) VALUES (100010, 0, 2)"));
    run(QStringLiteral("INSERT INTO SYSDEF (OPCODE, DICTEKAUTO, DICTORAUTO) VALUES (100020, 1, 0)"));
    run(QStringLiteral("INSERT INTO SYSREG (OPCODE, SCODE, STYPE, STEXT) VALUES (100010, '摘要項目の入力区分', '整数', '1')"));
    run(QStringLiteral("INSERT INTO DATALIST (REC, PASNAME) VALUES (1, '/Srv/Data/0001')"));
    upgradeAll();

    // 0.3.2 and 0.3.3: the system user, without a password.
    EXPECT_EQ(rows(QStringLiteral("SELECT OPNAME, PASWORD, JOBLEVEL, MYNUMBER_ADM, SHONIN FROM OPERATOR WHERE GROUPID = 10000 AND OPCODE = 1")),
              Rows({{QStringLiteral("システムユーザー"), QString(), QStringLiteral("9"), QStringLiteral("0"), QStringLiteral("0")}}));

    // 3.0.7: pages 10, 11 and 12 of the facility levels change places; 8.0.2:
    // the places with a process became rows of JOBCONTROL2.
    EXPECT_EQ(rows(QStringLiteral("SELECT LEVELNO, PAGENO, MENUNO FROM JOBCONTROL ORDER BY 1, 2, 3")),
              Rows({{"1", "1", "0"}, {"1", "1", "6"}, {"5", "10", "1"}, {"1001", "10", "0"}, {"1001", "11", "10"}, {"1001", "12", "9"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT LEVELNO, PROC_ID, PROC_OPTION FROM JOBCONTROL2 ORDER BY 1, 2")),
              Rows({{"1", "QmSiwake", "SyoriType=1"}, {"5", "QmVelda_HendouSoneki", ""}, {"1001", "QmFuzokuR01", ""},
                    {"1001", "QmGenkaKeisan09", ""}}));

    // 4.0.0 and 10.0.4: the eras and twenty code-system slots.
    EXPECT_EQ(rows(QStringLiteral("SELECT GNAME, GSIGN, CAST(STARTDATE AS DATE), YEAROFFSET FROM GENGO ORDER BY YEAROFFSET")),
              Rows({{"明治", "M", "1868/09/08", "1868"}, {"大正", "T", "1912/07/30", "1912"}, {"昭和", "S", "1926/12/25", "1926"},
                    {"平成", "H", "1989/01/08", "1989"}, {"令和", "R", "2019/05/01", "2019"}}));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) || ':' || MIN(RECNO) || '-' || MAX(RECNO) FROM USERCODE")), QStringLiteral("20:1-20"));

    // 4.0.0 then 7.0.0: the office row got the menu flags 63, then was written
    // again with name, address and telephone alone and the office flag.
    EXPECT_EQ(rows(QStringLiteral("SELECT RESERVE1, RESERVE2, RESERVE3, RESERVE4, RESERVE5, SSTR FROM SYSTEMINI WHERE REC = 10")),
              Rows({{"1", "63", "1", "0", "0", "NAME=山田会計事務所\rJYUSHO=東京都港区\rTEL=03-1234-5678\r"}}));

    // 5.0.0: a hundred data places, the standard one named after the system
    // folder (or "標準の場所" when that takes more than 40 bytes).
    const QString placeZero = platform::toCp932(baseDir).size() <= 40 ? baseDir : text(u"標準の場所");
    EXPECT_EQ(rows(QStringLiteral("SELECT REC, ORDERKBN, NAME, PATH FROM DATAPLACEMAN WHERE REC IN (0, 7, 99) ORDER BY REC")),
              Rows({{QStringLiteral("0"), QStringLiteral("1"), placeZero, baseDir},
                    {QStringLiteral("7"), QStringLiteral("8"), QString(), baseDir + QStringLiteral("07")},
                    {QStringLiteral("99"), QStringLiteral("100"), QString(), baseDir + QStringLiteral("99")}}));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM DATAPLACEMAN")), QStringLiteral("100"));
    // A folder of 40 single-byte characters fits the name.
    run(QStringLiteral("UPDATE DATAPLACEMAN SET NAME = '%1' WHERE REC = 1").arg(QString(40, u'x')));

    // The list slots: the local list after its highest slot, a place's list from 1.
    EXPECT_EQ(rows(QStringLiteral("SELECT REC, PATHNAME FROM SP_DATALIST_INSERT(0, '/p', 3)")),
              Rows({{"2", "/p/0002"}, {"3", "/p/0003"}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT REC, PASNAME, GROUPID, CAST(KISHU AS DATE) FROM DATALIST WHERE REC > 1 ORDER BY REC")),
              Rows({{"2", "/p/0002", "10000", "1899/12/30"}, {"3", "/p/0003", "10000", "1899/12/30"}}));
    EXPECT_TRUE(rows(QStringLiteral("SELECT REC FROM SP_DATALIST_INSERT(0, '/p', 3)")).isEmpty());
    EXPECT_EQ(rows(QStringLiteral("SELECT REC, PATHNAME FROM SP_DATALIST_INSERT(7, '/q', 2)")), Rows({{"1", "/q/0001"}, {"2", "/q/0002"}}));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC = 7")), QStringLiteral("2"));

    // The list-folder procedure counts the rows in a folder and keeps their names.
    EXPECT_EQ(value(QStringLiteral("SELECT RECCNT FROM SP_DATALIST_UPDATE('/SRV/DATA')")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("SELECT PASNAME FROM DATALIST WHERE REC = 1")), QStringLiteral("/Srv/Data/0001"));

    // 9.0.4: the dictionary switches became the eight open settings.
    const auto settings = [this](int op) {
        QStringList out;
        for (const char16_t *key : {u"摘要＿辞書開く区分", u"摘要＿連想開く区分", u"摘要＿自動開く区分", u"摘要＿入力なし区分",
                                    u"取引先＿辞書開く区分", u"取引先＿連想開く区分", u"取引先＿自動開く区分", u"取引先＿入力なし区分"})
            out << value(QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE = %1 AND SCODE = '%2'").arg(op).arg(text(key)));
        return out.join(u',');
    };
    EXPECT_EQ(settings(100010), QStringLiteral("1,0,0,1,0,1,1,0"));
    EXPECT_EQ(settings(100020), QStringLiteral("1,0,1,0,1,0,0,0"));
    EXPECT_EQ(value(QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE = 100020 AND SCODE = '取引先項目の入力区分'")),
              QStringLiteral("0"));

    // The version rows are numbered by the trigger, from 1 on an empty table.
    run(QStringLiteral("INSERT INTO VERSION (MAJOR, MINOR1, MINOR2) VALUES (10, 0, 5)"));
    EXPECT_EQ(value(QStringLiteral("SELECT REC FROM VERSION WHERE MAJOR = 10 AND MINOR2 = 5")), QStringLiteral("18"));
    run(QStringLiteral("DELETE FROM VERSION"));
    run(QStringLiteral("INSERT INTO VERSION (REC, MAJOR) VALUES (99, 1)"));
    EXPECT_EQ(value(QStringLiteral("SELECT REC FROM VERSION")), QStringLiteral("1"));

    // A deleted list row takes its child rows; a deleted group its shared-server
    // rows with their child rows and its data-place rows.
    run(QStringLiteral("INSERT INTO CHILD_DATALIST (REC, ROWNO, PASNAME) VALUES (2, 1, '/p/0002/01')"));
    run(QStringLiteral("DELETE FROM DATALIST WHERE REC = 2"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM CHILD_DATALIST")), QStringLiteral("0"));
    run(QStringLiteral("INSERT INTO USERGROUP (GROUPID, GROUPNAME) VALUES (20000, '第二')"));
    run(QStringLiteral("INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, PASNAME) VALUES (20000, 'S', 1, 'sv0001')"));
    run(QStringLiteral("INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO) VALUES (20000, 'S', 1, 1)"));
    run(QStringLiteral("INSERT INTO DATALIST_EX (DATAPLACEREC, REC, GROUPID) VALUES (7, 9, 20000)"));
    run(QStringLiteral("DELETE FROM USERGROUP WHERE GROUPID = 20000"));
    EXPECT_EQ(value(QStringLiteral("SELECT (SELECT COUNT(*) FROM SERVERDATALIST) || '/' || (SELECT COUNT(*) FROM CHILD_SERVERDATALIST) "
                                   "|| '/' || (SELECT COUNT(*) FROM DATALIST_EX) FROM RDB$DATABASE")),
              QStringLiteral("0/0/2"));
}

// The session's office fields come from the row the step read.
TEST_F(SystemDbUpdateTest, TheOfficeRowOfAnInstallationWithoutOfficeStaysAsItWas)
{
    const QString sstr = QStringLiteral("NAME=A=B\rJYUSHO=港区\rFAX=1\r");
    run(QStringLiteral("INSERT INTO SYSTEMINI (REC, RESERVE1, RESERVE2, RESERVE3, SSTR) VALUES (10, 0, 5, 2, '%1')").arg(sstr));
    SystemDef.SysDef.OfficeTel = QStringLiteral("stale");
    RunPreStep(TDbUpdateTarget::System, [](FbQuery &) { RewriteOfficeRecord(); });
    EXPECT_EQ(rows(QStringLiteral("SELECT RESERVE1, RESERVE2, RESERVE3, SSTR FROM SYSTEMINI WHERE REC = 10")),
              Rows({{QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("2"), sstr}}));
    const TSysDefSettings &o = SystemDef.SysDef;
    EXPECT_EQ(QStringList({o.OfficeName, o.OfficeAddress, o.OfficeTel}), QStringList({QStringLiteral("A=B"), QStringLiteral("港区"), QString()}));
    EXPECT_EQ(QList<int>({o.Office1, o.Office2, o.Office3}), QList<int>({0, 5, 0}));
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}

// In the client/server mode steps 1.0.1 and 4.0.2 call the list-folder
// procedure with the system folder in upper case, its apostrophe doubled, and
// the folder names of the list keep their letter cases.
TEST_F(SystemDbUpdateTest, ClientServerStepsKeepTheFolderNames)
{
    run(QStringLiteral("INSERT INTO DATALIST (REC, PASNAME) VALUES (1, '%1/0001')").arg(SqlText(baseDir)));
    ConnectMode = 1;
    ASSERT_TRUE(step(SystemDbUpdate031));
    ASSERT_TRUE(step(SystemDbUpdate101));
    const QString call = QStringLiteral("SELECT * FROM SP_DATALIST_UPDATE('%1');").arg(SqlText(baseDir.toUpper()));
    EXPECT_TRUE(LastIsqlOutput().contains(call)) << LastIsqlOutput().join(u'\n').toStdString();
    for (auto proc : {SystemDbUpdate300, SystemDbUpdate305, SystemDbUpdate400, SystemDbUpdate402}) ASSERT_TRUE(step(proc));
    EXPECT_TRUE(LastIsqlOutput().contains(call));
    EXPECT_EQ(value(QStringLiteral("SELECT PASNAME || '|' || DATA_STATUS FROM DATALIST")), baseDir + QStringLiteral("/0001|0"));
    EXPECT_EQ(value(QStringLiteral("SELECT LIST(MAJOR || '.' || MINOR1 || '.' || MINOR2, ' ') FROM (SELECT * FROM VERSION ORDER BY REC)")),
              QStringLiteral("0.3.0 0.3.1 1.0.1 3.0.0 3.0.5 4.0.0 4.0.2"));

    // Stand-alone, step 1.0.1 stamps the version only; the federation editions'
    // step 4.0.2 adds no list columns.
    const QString other = testenv::freshDir(QStringLiteral("other"));
    makeBase(other);
    SystemDef.SysDir = other;
    ConnectMode = 0;
    Edition = 1;
    ASSERT_TRUE(step(SystemDbUpdate031));
    ASSERT_TRUE(step(SystemDbUpdate101));
    EXPECT_FALSE(LastIsqlOutput().join(u'\n').contains(QStringLiteral("SP_DATALIST_UPDATE")));
    for (auto proc : {SystemDbUpdate300, SystemDbUpdate305, SystemDbUpdate400, SystemDbUpdate402}) ASSERT_TRUE(step(proc));
    EXPECT_EQ(schemameta::rows(other + QStringLiteral("/vqaccdef.fdb"),
                               QStringLiteral("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$FIELD_NAME = 'DATA_STATUS'")),
              Rows({{QStringLiteral("0")}}));
}

// Steps 7.0.0 and 7.0.4 go on without their file; 8.0.0, 8.0.2 and 10.0.4 end
// with 18 and run nothing; a conversion that fails after its script gives 19.
TEST_F(SystemDbUpdateTest, MissingScriptFilesAndAFailedConversion)
{
    SystemDef.SqlDir = testenv::freshDir(QStringLiteral("sql"));
    ASSERT_TRUE(step(SystemDbUpdate031));
    ASSERT_TRUE(step(SystemDbUpdate700));
    ASSERT_TRUE(step(SystemDbUpdate704));
    for (auto proc : {SystemDbUpdate800, SystemDbUpdate802, SystemDbUpdate1004}) {
        ScriptedMessages boxes;
        EXPECT_TRUE(step(proc, DbUpdateFileMissing));
        EXPECT_TRUE(boxes.shown.isEmpty());
        EXPECT_FALSE(QFile::exists(SystemDef.WinTempDir + QStringLiteral("/vqzdataup.sql")));
    }
    EXPECT_EQ(value(QStringLiteral("SELECT LIST(MAJOR || '.' || MINOR1 || '.' || MINOR2, ' ') FROM (SELECT * FROM VERSION ORDER BY REC)")),
              QStringLiteral("0.3.0 0.3.1 7.0.0 7.0.4"));

    // A file of 8.0.2 that does not make JOBCONTROL2: the script succeeds, the
    // conversion cannot write, and the stamp stays.
    QDir().mkpath(SystemDef.SqlDir + QStringLiteral("/802"));
    testenv::writeFile(SystemDef.SqlDir + QStringLiteral("/802/sysup01.sql"), "/* nothing */\r\n");
    run(QStringLiteral("INSERT INTO JOBCONTROL (LEVELNO, PAGENO, MENUNO) VALUES (1, 1, 0)"));
    EXPECT_TRUE(step(SystemDbUpdate802, DbUpdatePostStepError));
    EXPECT_EQ(value(QStringLiteral("SELECT MAX(MAJOR) FROM VERSION")), QStringLiteral("8"));
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}

struct DictionaryCase {
    int dictionarySwitch, input;
    TDictionaryOpen open;
};

TEST(SystemDbUpdateRules, DictionaryOpenSettings)
{
    const DictionaryCase cases[] = {
        {0, 0, {1, 0, 0, 0}}, {0, 1, {1, 0, 0, 1}}, {1, 0, {1, 0, 1, 0}}, {1, 2, {1, 0, 1, 1}},
        {2, 0, {0, 1, 1, 0}}, {2, 1, {0, 1, 1, 1}}, {3, 0, {1, 0, 0, 0}}, {0, -1, {1, 0, 0, 0}},
    };
    for (const DictionaryCase &c : cases)
        EXPECT_EQ(DictionaryOpenOf(c.dictionarySwitch, c.input), c.open) << c.dictionarySwitch << "," << c.input;
}

TEST(SystemDbUpdateRules, TheStandardPlaceIsNamedAfterAFolderOfAtMost40Bytes)
{
    const QString ascii40 = QStringLiteral("/") + QString(39, u'a');
    const QString kanji20 = QString(20, QChar(0x6F22)); // 漢 twenty times: 40 bytes
    const struct {
        QString folder;
        QString name;
    } cases[] = {
        {QStringLiteral("/srv/data"), QStringLiteral("/srv/data")},
        {ascii40, ascii40},
        {ascii40 + u'a', text(u"標準の場所")},
        {kanji20, kanji20},
        {kanji20 + u'x', text(u"標準の場所")},
        {QStringLiteral("/ｶﾅ") + QString(37, u'b'), QStringLiteral("/ｶﾅ") + QString(37, u'b')}, // half-width kana: one byte each
    };
    for (const auto &c : cases) EXPECT_EQ(DataPlaceZeroName(c.folder), c.name) << c.folder.toStdString();
}

TEST(SystemDbUpdateRules, ThePlaceStatementsDoubleApostrophes)
{
    const QStringList sql = DataPlaceInserts(QStringLiteral("/srv/o'hara"));
    ASSERT_EQ(sql.size(), 101);
    EXPECT_EQ(sql[0], QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(0,1,'/srv/o''hara','/srv/o''hara');"));
    EXPECT_EQ(sql[7], QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(07,08,'','/srv/o''hara07');"));
    EXPECT_EQ(sql[99], QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(99,100,'','/srv/o''hara99');"));
    EXPECT_EQ(sql[100], QStringLiteral("COMMIT;"));
}

// The federation editions' step 5.0.0 imports their code-system templates
// before its script, up to the first that cannot be imported, and sets the
// trial-balance output setting of every operator.
TEST_F(SystemDbUpdateTest, FederationEditionsImportTheirCodeSystems)
{
    const TAppInfoRec saved = AppInfo;
    AppInfo.Application.OEM = QStringLiteral("Corvena");
    AppInfo.Application.ZeqAlias = QStringLiteral("Z");
    Edition = 1;
    SystemDef.SqlDir = testenv::freshDir(QStringLiteral("sql"));
    QDir().mkpath(SystemDef.SqlDir + QStringLiteral("/500"));
    const auto definition = [](const char16_t *file, const char16_t *name) {
        testenv::writeFile(SystemDef.SqlDir + QStringLiteral("/500/") + text(file),
                           platform::toCp932(QStringLiteral("1,%1,1,1,v,CorvenaZ\r\n2,1101,現金\r\n").arg(text(name))));
    };
    definition(u"販売業.txt", u"販売業");
    definition(u"製造業.txt", u"製造業");
    definition(u"運送業.txt", u"運送業"); // after the missing 建設業.txt: not imported
    run(QStringLiteral("INSERT INTO SYSREG (OPCODE, SCODE, STYPE, STEXT) VALUES (100010, '試算表集計出力区分', '整数', '0')"));

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    ASSERT_TRUE(step(SystemDbUpdate031));
    ASSERT_TRUE(step(SystemDbUpdate500));
    AppInfo = saved;
    EXPECT_TRUE(boxes.allAnswered());
    EXPECT_EQ(value(QStringLiteral("SELECT LIST(RECNO || ':' || NAME, ' ') FROM (SELECT * FROM USERCODE WHERE NAME > '' ORDER BY RECNO)")),
              QStringLiteral("1:販売業 2:製造業"));
    EXPECT_EQ(value(QStringLiteral("SELECT STEXT FROM SYSREG WHERE OPCODE = 100010 AND SCODE = '試算表集計出力区分'")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM DATAPLACEMAN")), QStringLiteral("100"));
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}

// The tool opens the database by a file name, which it reads in UTF-8; the
// statements stay in the database's character set.
TEST(SystemDbUpdateScript, TheConnectLineNamesTheFileInUtf8)
{
    const TSystemDef saved = SystemDef;
    SystemDef.SysDir = QStringLiteral("/srv/基本");
    SystemDef.DbUser = QStringLiteral("DORVEL");
    SystemDef.DbPassword = QStringLiteral("zoltup");
    TDbUpdateScript script(TDbUpdateTarget::System, 5, 0, 0);
    script.BeginStampLast(true);
    script.Add(QStringLiteral("UPDATE SYSREG SET STEXT='1' WHERE SCODE='試算表集計出力区分';"));
    script.EndStampLast();
    const QString path = testenv::freshDir(QStringLiteral("script")) + QStringLiteral("/vqzdataup.sql");
    script.Save(path);
    SystemDef = saved;
    const QList<QByteArray> lines = testenv::readFile(path).split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[2], QStringLiteral("CONNECT '/srv/基本/vqaccdef.fdb' USER 'DORVEL' PASSWORD 'zoltup';\r").toUtf8());
    EXPECT_EQ(lines[4], platform::toCp932(u"UPDATE SYSREG SET STEXT='1' WHERE SCODE='試算表集計出力区分';") + '\r');
}
