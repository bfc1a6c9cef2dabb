// The company steps 0.1.1 to 0.2.2 on the base schema of version 0.1.0: run in
// order through the upgrade runner and the Firebird SQL tool, the rows and
// objects they leave, and the statements a step leaves out when the database
// already holds a column it adds.
#include "dbupdate/CompanyStepDb.h"

#include "dbupdate/z5DbUpdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QTableWidget>

using namespace stepdb;

namespace {

const QString kDone = QStringLiteral("完了");

QStringList columnNames(Db &db, const QString &table)
{
    return db.names(QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '%1' "
                                   "ORDER BY RDB$FIELD_POSITION")
                        .arg(table));
}

bool hasTable(Db &db, const QString &table)
{
    return db.count(QStringLiteral("RDB$RELATIONS"), QStringLiteral("RDB$RELATION_NAME = '%1'").arg(table)) == 1;
}

// What every database at 0.2.2 holds, whichever way it got there.
void expectLayoutOf022(Db &db)
{
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, MAJOR, MINOR1, MINOR2 FROM ACCVERSION")),
              Rows({{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("2")}}));

    // The audit report: one header and one item.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, TITLE, NOTE, JIMUSHO, TANTOU FROM KANSA")),
              Rows({{QStringLiteral("1"), QStringLiteral("監査報告書"),
                     QStringLiteral("監査対象期間において、下記項目の監査が完了致しましたのでご報告申し上げます。"), QString(),
                     QString()}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, JUNJO, TEXT, NOTE, PRINT, CHECKMARK, CHOUBO, KENSAKU, SWK_KENSAKU FROM KANSA_ITEM")),
              Rows({{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("現・預金の残高確認"),
                     QStringLiteral("現・預金の残高を確認しました。"), QStringLiteral("0"), QStringLiteral("0"),
                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("<null>")}}));

    // The cash-flow masters, numbered 1 to 102 and 1 to 491 in the order written.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT CM_KIND, COUNT(*), MIN(CM_REC), MAX(CM_REC) FROM CASHFMST GROUP BY CM_KIND ORDER BY 1")),
              Rows({{QStringLiteral("0"), QStringLiteral("43"), QStringLiteral("60"), QStringLiteral("102")},
                    {QStringLiteral("1"), QStringLiteral("59"), QStringLiteral("1"), QStringLiteral("59")}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT CF_REC), MIN(CF_REC), MAX(CF_REC) FROM CASHFMKU")),
              Rows({{QStringLiteral("491"), QStringLiteral("491"), QStringLiteral("1"), QStringLiteral("491")}}));
    EXPECT_FALSE(hasTable(db, QStringLiteral("CASHFMST_SISETU")));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT CM_REC, CM_GROUP, CM_ORDER, CM_DEL, CM_MKU, CM_MARGIN, CM_NAME1, CM_HOSEI FROM CASHFMST "
                                     "WHERE CM_REC IN (1, 2, 24, 25, 58, 85, 102) ORDER BY CM_REC")),
              Rows({{"1", "10", "1", "1", "1", "0", "Ⅰ　営業活動によるキャッシュ・フロー", "0"},
                    {"2", "11", "1", "1", "1", "1", "税引前当期純利益（損失）", "0"},
                    {"24", "11", "23", "0", "0", "1", "その他資産・負債の増減額", "0"},
                    {"25", "12", "1", "1", "1", "2", "小　計", "0"},
                    {"58", "60", "1", "1", "0", "0", "Ⅵ　現金及び現金同等物の期首残高", "0"},
                    {"85", "30", "1", "1", "1", "0", "Ⅲ　財務活動によるキャッシュ・フロー", "0"},
                    {"102", "70", "1", "1", "0", "0", "Ⅶ　現金及び現金同等物の期末残高", "0"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT CF_REC, CF_CAL, CF_KCODE, CF_CTYPE FROM CASHFMKU WHERE CM_REC IN (2, 34) "
                                     "ORDER BY CF_REC")).mid(0, 2),
              Rows({{"1", "+", "9999", "1"}, {"84", "+", "1401", "4"}}));
    EXPECT_EQ(db.count(QStringLiteral("CASHFMKU"), QStringLiteral("CM_REC = 76 AND CF_KCODE = '1405'")), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(CNT, ',') FROM (SELECT CM_REC, COUNT(*) AS CNT FROM CASHFMKU "
                                       "WHERE CM_REC IN (24, 33, 65, 97) GROUP BY CM_REC ORDER BY CM_REC)")),
              QStringLiteral("27,14,45,23"));

    // Chart settings anew and empty; the blue-return changes.
    EXPECT_EQ(db.count(QStringLiteral("CHARTINF")), 0);
    EXPECT_EQ(columnNames(db, QStringLiteral("CHARTINF")).size(), 20);
    EXPECT_TRUE(columnNames(db, QStringLiteral("AO_SINKOKU")).contains(QStringLiteral("TEGAKI")));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, KIMATU, RISI FROM AO_RISI ORDER BY REC")),
              Rows({{"1", "<null>", "<null>"}, {"2", "<null>", "<null>"}}));
    EXPECT_EQ(db.count(QStringLiteral("AO_FUDOUSAN")), 0);
    EXPECT_TRUE(columnNames(db, QStringLiteral("AO_FUDOUSAN")).contains(QStringLiteral("SHUURYOU_MM")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM EXTERKS WHERE AO_KISHUZAN = 0 AND AO_KIMATUZAN = 0")), QStringLiteral("3"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CHUKI_TITLEPRINT FROM KESSAN WHERE REC = 1")), QStringLiteral("0"));

    // The account groups, the view and its procedures.
    EXPECT_EQ(db.count(QStringLiteral("KAMOKUMST"), QStringLiteral("GROUPM0 IS DISTINCT FROM GROUPM1")), 0);
    EXPECT_EQ(columnNames(db, QStringLiteral("KAMOKU_VIEW")),
              QStringList({"SCODE", "SNAME", "GROUPM0", "GROUPM1", "GROUPM2", "KCODE", "USERCODE", "KNAME", "DAC", "BCODE",
                           "BNAME", "BPFLG", "HCODE", "HNAME", "KAISIZAN"}));
    EXPECT_EQ(db.names(QStringLiteral("SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME STARTING WITH 'SP_' "
                                      "AND (RDB$PROCEDURE_NAME STARTING WITH 'SP_TOUZA' OR RDB$PROCEDURE_NAME CONTAINING 'ZAN' "
                                      "OR RDB$PROCEDURE_NAME CONTAINING 'YOS' OR RDB$PROCEDURE_NAME CONTAINING 'SISANHYO' "
                                      "OR RDB$PROCEDURE_NAME CONTAINING 'ZENKURI') ORDER BY 1")),
              QStringList({"SP_BUMONKAISIZAN_COUNT", "SP_BUMONKAISIZAN_LIST", "SP_GETZANDAKA", "SP_KAISIZAN_COUNT",
                           "SP_KAISIZAN_LIST", "SP_KANENDOZAN_YOMIKOMI", "SP_KANENDO_BUMON_GROUPZANDAKA",
                           "SP_KANENDO_BUMON_ZANDAKA", "SP_KANENDO_ZANDAKA", "SP_MB_SELECT_KANENDOZAN", "SP_MB_SELECT_YOSAN",
                           "SP_MB_SELECT_YOSOKU", "SP_MB_UPDATE_HASSEIYOSAN", "SP_MB_UPDATE_JISSEKIYOSAN", "SP_SISANHYO_BUMON",
                           "SP_SISANHYO_BUMON_GROUP", "SP_TOUZACHOSEIHYO_LISTDOWN", "SP_TOUZACHOSEIHYO_LISTUP",
                           "SP_TOUZACHOSEIHYO_ZENZAN",
                           // the base holds the writer of prior-year balances that a later step calls
                           "SP_UPDATE_KANENDOZAN_SUB", "SP_YOSAN_READ", "SP_ZENKURI"}));
    EXPECT_EQ(db.count(QStringLiteral("RDB$PROCEDURES"), QStringLiteral("RDB$PROCEDURE_NAME = 'ONE_TIME_PROC'")), 0);
    // Every procedure compiles against the new view: the facility's opening balances list every account.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT RECCOUNT FROM SP_KAISIZAN_COUNT(' ', 0)")),
              QString::number(db.count(QStringLiteral("KAMOKUMST"), QStringLiteral("KCODE <> '9901'"))));

    // The default journal settings written again, and those of the facility by GROUPM0.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*), MIN(REC), MAX(REC) FROM KS_SETSWK_INIT")),
              Rows({{QStringLiteral("70"), QStringLiteral("1"), QStringLiteral("70")}}));
    EXPECT_EQ(db.count(QStringLiteral("KS_SETSWK"), QStringLiteral("SCODE = ' '")), 31);
    EXPECT_EQ(db.count(QStringLiteral("RDB$PROCEDURE_PARAMETERS"),
                       QStringLiteral("RDB$PROCEDURE_NAME = 'SP_KS_INSSETSWK_CALL_SISETU' AND RDB$PARAMETER_NAME = 'PSCODE' "
                                      "AND RDB$FIELD_SOURCE IN (SELECT RDB$FIELD_NAME FROM RDB$FIELDS WHERE "
                                      "RDB$CHARACTER_LENGTH = 6 AND RDB$CHARACTER_SET_ID = 2)")),
              1);

    // The 27 breakdown tables with their fixed rows.
    const QStringList breakdown = db.names(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                                                          "WHERE RDB$RELATION_NAME STARTING WITH 'UTIWAKE' ORDER BY 1"));
    EXPECT_EQ(breakdown.size(), 27);
    QStringList filled;
    for (const QString &t : breakdown)
        if (const int n = db.count(t)) filled << QStringLiteral("%1:%2").arg(t).arg(n);
    EXPECT_EQ(filled, QStringList({"UTIWAKE05_INI:1", "UTIWAKE09B:4", "UTIWAKE10B:12", "UTIWAKE14B:1", "UTIWAKE17_TITLE:1"}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT TANAOROSI, YY, MM, DD FROM UTIWAKE05_INI")), Rows({{"0", "", "", ""}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT TEGAKI, SOUGAKU_KEI, KAZOKU_KEI FROM UTIWAKE14B")), Rows({{"0", "0", "0"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT MIN(REC), MAX(REC), SUM(KINGAKU) FROM UTIWAKE10B")), Rows({{"1", "12", "0"}}));
}

class UserStepsRunTest : public CompanyStepTest
{
protected:
    void SetUp() override
    {
        CompanyStepTest::SetUp();
        if (IsSkipped()) return;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("temp-data"));
        SystemDef.DocumentDir = testenv::freshDir(QStringLiteral("documents")) + QStringLiteral("/dorvelzaimu");
    }
};

} // namespace

// The dialog's run over the registered steps 0.1.1 to 0.2.2, read from the
// database's own version: backup, every step through the SQL tool, no restore.
TEST_F(UserStepsRunTest, TheRunnerTakesTheBaseThroughEveryStepInOrder)
{
    TArrayDbUpdateListRec steps = UserDbUpdateSteps();
    ASSERT_EQ(versionText(steps[7]), QStringLiteral("0.2.2"));
    steps.resize(8);
    TDbUpdateBox box(SystemDbUpdateSteps(), steps);
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), dir, false));
    box.SetUpdateList(1, QString());
    dm->fnAccDatDisConnected(dir, false, false);
    ASSERT_TRUE(box.UpdateNeeded());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({0, 1, 0}));
    ASSERT_EQ(box.ListView1->rowCount(), 8);
    EXPECT_EQ(box.BackupCount(), 7); // 0.2.0 needs none

    ScriptedMessages boxes;
    EXPECT_EQ(box.ExecuteUpdate(), 1) << LastIsqlOutput().join(u'\n').toStdString();
    QStringList statuses;
    for (int i = 0; i < 8; ++i) statuses << box.RowStatus(i);
    EXPECT_EQ(statuses, QStringList(8, kDone));
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({0, 2, 2}));
    box.show();
    const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(box.grab().save(shots + QStringLiteral("/dbupdate-company-010-to-022.png")));

    Db db(dir);
    expectLayoutOf022(db);
}

// The rows the steps leave on their way: the audit report after 0.1.3, the
// cash-flow masters after 0.1.4, whatever the base held.
TEST_F(CompanyStepTest, AuditReportAndCashFlowMastersReplaceWhatWasThere)
{
    {
        Db db(dir);
        EXPECT_EQ(db.count(QStringLiteral("KANSA")), 2);
        EXPECT_EQ(db.count(QStringLiteral("CASHFMST_SISETU")), 2);
    }
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("0.1.3")));
    {
        Db db(dir);
        EXPECT_EQ(db.count(QStringLiteral("KANSA")), 1);
        EXPECT_EQ(db.count(QStringLiteral("KANSA_ITEM")), 1);
        EXPECT_EQ(db.count(QStringLiteral("CASHFMST")), 2); // not yet
        // The items' foreign keys: all set null on delete.
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM RDB$REF_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME STARTING WITH 'KANSA_ITEM_' "
                                           "AND RDB$UPDATE_RULE = 'CASCADE' AND RDB$DELETE_RULE = 'SET NULL'")),
                  QStringLiteral("8"));
    }
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.3"), QStringLiteral("0.1.4")));
    Db db(dir);
    EXPECT_EQ(db.count(QStringLiteral("CASHFMST")), 102);
    EXPECT_EQ(db.count(QStringLiteral("CASHFMKU")), 491);
    EXPECT_FALSE(hasTable(db, QStringLiteral("CASHFMST_SISETU")));
    EXPECT_EQ(db.count(QStringLiteral("RDB$TRIGGERS"), QStringLiteral("RDB$TRIGGER_NAME STARTING WITH 'CASHFMST_'")), 1);
    EXPECT_EQ(db.count(QStringLiteral("CASHFMST"), QStringLiteral("CM_NAME1 = '税引前当期純利益'")), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CM_NAME1 FROM CASHFMST WHERE CM_REC = 61")), QStringLiteral("営業収入"));
}

// Steps 0.2.1 and 0.2.2 over 0.2.0 run in sequence as the registered steps do.
TEST_F(CompanyStepTest, StepByStepReachesTheSameLayout)
{
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("0.2.2")));
    Db db(dir);
    expectLayoutOf022(db);
}

// ---- a database that already holds a column a step adds ------------------

struct ColumnCase {
    const char *name;
    QStringList base;   // statements run on the base
    QString from, to;   // the steps run
    QString query;      // what the database holds afterwards
    Rows expected;
};

void PrintTo(const ColumnCase &c, std::ostream *os) { *os << c.name; }

class ExistingColumnTest : public CompanyStepTest, public ::testing::WithParamInterface<ColumnCase>
{
protected:
    QStringList baseExtra() const override { return GetParam().base; }
};

// Adding a column twice fails the script: the step leaves the statement out
// and keeps the value the column has.
TEST_P(ExistingColumnTest, TheStepLeavesTheColumnAsItIs)
{
    const ColumnCase c = GetParam();
    ASSERT_TRUE(runSteps(c.from, c.to));
    Db db(dir);
    EXPECT_EQ(db.rows(c.query), c.expected);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION")), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ExistingColumnTest,
    ::testing::Values(
        ColumnCase{"AuditStepAddsBothSettingsGroups", {}, "0.1.2", "0.1.3",
                   "SELECT SDAI_HASUU3, KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2 FROM ACCDEF1", {{"0", "-1", "-1", "-1"}}},
        ColumnCase{"AuditStepKeepsAnExistingClosingPeriod",
                   {"ALTER TABLE ACCDEF1 ADD KESSAN_KIKAN INTEGER DEFAULT 5, ADD CASHFLOW_KIKAN1 INTEGER, ADD CASHFLOW_KIKAN2 INTEGER;",
                    "UPDATE ACCDEF1 SET KESSAN_KIKAN = 5, CASHFLOW_KIKAN1 = 6, CASHFLOW_KIKAN2 = 7;"},
                   "0.1.2", "0.1.4", "SELECT SDAI_HASUU3, KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2 FROM ACCDEF1",
                   {{"0", "5", "6", "7"}}},
        ColumnCase{"CashFlowStepAddsTheClosingPeriod", {}, "0.1.3", "0.1.4",
                   "SELECT KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2 FROM ACCDEF1", {{"-1", "-1", "-1"}}},
        ColumnCase{"NotesKeepTheirTitleFlag",
                   {"ALTER TABLE KESSAN ADD CHUKI_TITLEPRINT INTEGER DEFAULT 7;", "UPDATE KESSAN SET CHUKI_TITLEPRINT = 7;"},
                   "0.1.4", "0.1.5", "SELECT CHUKI_TITLEPRINT FROM KESSAN", {{"7"}}}),
    [](const ::testing::TestParamInfo<ColumnCase> &info) { return std::string(info.param.name); });

// A database that already has GROUPM0 gets the stamp of 0.2.2 and nothing else.
TEST_F(CompanyStepTest, AccountGroupStepOnlyStampsADatabaseWithGroupM0)
{
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("0.2.1")));
    {
        Db db(dir);
        db.exec(QStringLiteral("ALTER TABLE KAMOKUMST ADD GROUPM0 AC_CODE"));
        db.exec(QStringLiteral("UPDATE KAMOKUMST SET GROUPM0 = 'X'"));
    }
    ASSERT_TRUE(runStep(UserDbUpdate022));
    // The tool echoed the connection, the stamp and the closing lines only.
    QStringList statements;
    for (const QString &line : LastIsqlOutput())
        if (!line.trimmed().isEmpty() && !line.startsWith(QStringLiteral("/*"))) statements << line.section(u' ', 0, 0);
    EXPECT_EQ(statements, QStringList({"CONNECT", "UPDATE", "WHERE", "COMMIT;", "EXIT;"}));

    Db db(dir);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION")), QStringLiteral("0.2.2"));
    EXPECT_EQ(db.count(QStringLiteral("KAMOKUMST"), QStringLiteral("GROUPM0 <> 'X'")), 0);
    EXPECT_EQ(columnNames(db, QStringLiteral("CHARTINF")), QStringList({"OPCODE", "CTYPE", "BAKCOL", "FORCOL"}));
    EXPECT_EQ(db.count(QStringLiteral("CHARTINF")), 1);
    EXPECT_FALSE(columnNames(db, QStringLiteral("KAMOKU_VIEW")).contains(QStringLiteral("GROUPM0")));
    EXPECT_FALSE(hasTable(db, QStringLiteral("UTIWAKE01")));
}
