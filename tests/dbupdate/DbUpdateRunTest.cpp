// The run of the upgrade dialog over stand-in steps that write real scripts
// for the Firebird SQL tool: the statuses, the backup taken before the steps,
// the restore after a failure, the refusal while others use the database, and
// the in-program frame of the steps.
#include "support/TestEnv.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "support/DbFixture.h"
#include "support/SchemaTemplates.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

// What the stand-in steps do: step n (version 12.0.n) creates table STEP_n and
// stamps the company database, unless it is the one told to fail, and how.
enum class Failure { None, ToolReportsError, MissingFile, ToolKilled, PreStepRaises, PostStepFails };
int g_failAt = 0;
Failure g_failure = Failure::None;
QList<int> g_ran;
QString g_realTool;
QString g_killingTool;
std::function<void()> g_duringStep; // extra work inside the failing step

template <int N>
int StandInStep()
{
    g_ran << N;
    const bool fails = N == g_failAt;
    if (fails && g_duringStep) g_duringStep();
    if (fails && g_failure == Failure::PreStepRaises)
        RunPreStep(TDbUpdateTarget::Company, [](FbQuery &q) { ExecEach(q, {QStringLiteral("SELECT * FROM NO_SUCH_TABLE")}); });
    TDbUpdateScript script(TDbUpdateTarget::Company, 12, 0, N);
    script.BeginStampLast(true);
    if (fails && g_failure == Failure::MissingFile) {
        const int r = script.AddFiles({QStringLiteral("vqzup01.sql")}, true);
        if (r != DbUpdateDone) return r;
    }
    script.Add(QStringLiteral("CREATE TABLE STEP_%1 (X INTEGER);").arg(N));
    if (fails && g_failure == Failure::ToolReportsError) script.Add(QStringLiteral("SELECT * FROM NO_SUCH_TABLE;"));
    script.EndStampLast();
    if (fails && g_failure == Failure::ToolKilled) SetIsqlToolPath(g_killingTool);
    int result = script.Run();
    SetIsqlToolPath(g_realTool);
    if (result == DbUpdateDone && fails && g_failure == Failure::PostStepFails)
        result = RunPostStep(TDbUpdateTarget::Company, [](FbQuery &q) { ExecEach(q, {QStringLiteral("DROP TABLE NO_SUCH_TABLE")}); });
    return result;
}

const TDbUpdateProc kStandIns[] = {StandInStep<1>, StandInStep<2>, StandInStep<3>, StandInStep<4>, StandInStep<5>};

TArrayDbUpdateListRec standInSteps(int needBackup)
{
    TArrayDbUpdateListRec list;
    for (int n = 1; n <= 5; ++n)
        list.push_back({12, 0, n, kStandIns[n - 1], needBackup, QStringLiteral("仮の更新 %1").arg(n),
                        QStringLiteral("１）表STEP_%1を作成します。\r２）版を12.0.%1にします。").arg(n)});
    return list;
}

void screenshot(QWidget &w, const QString &name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(dir + u'/' + name + QStringLiteral(".png"))) << name.toStdString();
}

class DbUpdateRunTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        g_realTool = FindIsqlTool();
        if (g_realTool.isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
        SystemDef.TempDir = root.root + QStringLiteral("/temp-data");
        SystemDef.DataDir = root.companyDir;
        SystemDef.SqlDir = testenv::freshDir(QStringLiteral("sql"));
        SystemDef.DocumentDir = testenv::freshDir(QStringLiteral("documents")) + QStringLiteral("/dorvelzaimu");
        SystemDef.OpCode = 100010;
        SetIsqlToolPath(g_realTool);
        // The tool does its work, then dies before it can say how it went.
        g_killingTool = testenv::freshDir(QStringLiteral("killing")) + QStringLiteral("/isql");
        testenv::writeFile(g_killingTool, "#!/bin/sh\n\"" + QFile::encodeName(g_realTool) + "\" \"$@\"\nkill -9 $$\n");
        QFile::setPermissions(g_killingTool, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        g_failAt = 0;
        g_failure = Failure::None;
        g_ran.clear();
        g_duringStep = nullptr;
    }
    void TearDown() override
    {
        SetIsqlToolPath(QString());
        g_duringStep = nullptr;
        DbFixture::TearDown();
    }

    // The dialog over the five stand-in steps, prepared for the company
    // database read from the open data set (at 11.0.0, so all five pend).
    void prepare(TDbUpdateBox &box)
    {
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        box.SetUpdateList(1, QString());
        ASSERT_TRUE(box.UpdateNeeded());
        ASSERT_EQ(box.ListView1->rowCount(), 5);
    }
    QStringList statuses(const TDbUpdateBox &box)
    {
        QStringList out;
        for (int i = 0; i < box.ListView1->rowCount(); ++i) out << box.RowStatus(i);
        return out;
    }
    // Read through a connection of its own, closed again at once.
    QString companyVersion()
    {
        const bool open = dm->IBDatabaseDAT.connected();
        if (!open) dm->fnAccDatConnected(QString(), root.companyDir, false);
        const QString v = scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT MAJOR||'.'||MINOR1||'.'||MINOR2 FROM ACCVERSION WHERE REC=1"));
        if (!open) dm->fnAccDatDisConnected(root.companyDir, false, false);
        return v;
    }
    QStringList stepTables()
    {
        const bool open = dm->IBDatabaseDAT.connected();
        if (!open) dm->fnAccDatConnected(QString(), root.companyDir, false);
        QStringList out;
        auto q = dm->CreateAccQuery(QStringLiteral("ACCDAT"), false);
        TransactionGuard g(*q->Transaction);
        q->setSql(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'STEP_' ORDER BY 1"));
        for (q->open(); !q->eof(); q->next()) out << q->field(0).asString();
        q->close();
        g.commit();
        q.reset();
        if (!open) dm->fnAccDatDisConnected(root.companyDir, false, false);
        return out;
    }
    QString backupPath() const { return SystemDef.TempDir + QStringLiteral("/dataup.fbk"); }
    QString errorText() const
    {
        return platform::fromCp932(testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.txt")));
    }
};

} // namespace

TEST_F(DbUpdateRunTest, EveryStepDoneStampsTheNewestVersionAndClosesWithOne)
{
    ScriptedMessages boxes;
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    prepare(box);
    EXPECT_EQ(box.BackupCount(), 5);
    box.show();
    screenshot(box, QStringLiteral("dbupdate-prepared"));
    EXPECT_FALSE(box.btnOk->isEnabled());
    box.cboxAgree->setChecked(true);
    // The backup is taken before the first step, where the steps can see it.
    QStringList seenBeforeSteps;
    bool guarded = false;
    g_duringStep = [&] {
        if (QFileInfo::exists(backupPath())) seenBeforeSteps << QFileInfo(backupPath()).fileName();
        screenshot(box, QStringLiteral("dbupdate-running"));
        // A second OK, Cancel or closing while the run is under way change nothing.
        box.btnOkClick();
        box.btnCancelClick();
        box.close();
        guarded = box.Running() && box.isVisible() && g_ran == QList<int>({1});
    };
    g_failAt = 1; // no failure kind: the hook only
    box.btnOk->click();

    EXPECT_EQ(box.result(), 1);
    EXPECT_TRUE(box.UpdateOk());
    EXPECT_EQ(g_ran, QList<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(statuses(box), QStringList(5, QStringLiteral("完了")));
    EXPECT_FALSE(box.ListView1->item(0, 2)->icon().isNull());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({12, 0, 5}));
    EXPECT_EQ(box.FirstIndex(), -1);
    EXPECT_EQ(seenBeforeSteps, QStringList({QStringLiteral("dataup.fbk")}));
    EXPECT_TRUE(guarded);
    EXPECT_FALSE(box.Running());
    EXPECT_FALSE(QFileInfo::exists(backupPath())); // the work backup is deleted
    // The data set is connected again, as the program held it.
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(companyVersion(), QStringLiteral("12.0.5"));
    EXPECT_EQ(stepTables(), QStringList({QStringLiteral("STEP_1"), QStringLiteral("STEP_2"), QStringLiteral("STEP_3"),
                                         QStringLiteral("STEP_4"), QStringLiteral("STEP_5")}));
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_FALSE(box.pnlProgress->isVisible());
}

struct FailCase {
    const char *name;
    int failAt;
    Failure failure;
    QStringList statuses;
    QString firstBox; // the step's own message, before the failure box
};

void PrintTo(const FailCase &c, std::ostream *os) { *os << c.name; }

class DbUpdateFailTest : public DbUpdateRunTest, public ::testing::WithParamInterface<FailCase>
{
};

// A failed step stops the run there; the database is the one from before the
// run, the later steps never ran, and the dialog closes with 4.
TEST_P(DbUpdateFailTest, AFailedStepStopsTheRunAndTheBackupIsPutBack)
{
    const FailCase c = GetParam();
    g_failAt = c.failAt;
    g_failure = c.failure;
    ScriptedMessages boxes;
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    prepare(box);
    box.show();
    box.cboxAgree->setChecked(true);
    if (!c.firstBox.isEmpty()) boxes.answer(mrOk);
    boxes.answer(mrOk); // the failure box
    box.btnOk->click();

    EXPECT_EQ(box.result(), 4);
    EXPECT_FALSE(box.UpdateOk());
    EXPECT_EQ(statuses(box), c.statuses);
    QList<int> ran;
    for (int n = 1; n <= c.failAt; ++n) ran << n;
    EXPECT_EQ(g_ran, ran);
    EXPECT_EQ(companyVersion(), QStringLiteral("11.0.0")); // the version row as before
    EXPECT_TRUE(stepTables().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(backupPath()));
    ASSERT_EQ(boxes.shown.size(), c.firstBox.isEmpty() ? 1 : 2);
    if (!c.firstBox.isEmpty()) {
        EXPECT_TRUE(boxes.shown[0].text.contains(c.firstBox)) << boxes.shown[0].text.toStdString();
    }
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("会計データの更新に失敗しました。"));
    EXPECT_EQ(boxes.shown.last().kind, TMsgDlgType::mtError);
    EXPECT_TRUE(boxes.allAnswered());
    if (c.statuses.value(2) == QStringLiteral("失敗") && c.failure == Failure::ToolReportsError)
        screenshot(box, QStringLiteral("dbupdate-third-failed"));
}

const QString kDone = QStringLiteral("完了");
const QString kFailed = QStringLiteral("失敗");

INSTANTIATE_TEST_SUITE_P(
    Failures, DbUpdateFailTest,
    ::testing::Values(
        FailCase{"ToolReportsError", 3, Failure::ToolReportsError, {kDone, kDone, kFailed, QString(), QString()},
                 QStringLiteral("Ver 12.0.3のデータベース更新に失敗しました。")},
        FailCase{"MissingFile", 2, Failure::MissingFile, {kDone, QStringLiteral("ﾌｧｲﾙ不足"), QString(), QString(), QString()}, QString()},
        FailCase{"ToolKilled", 2, Failure::ToolKilled, {kDone, kFailed, QString(), QString(), QString()},
                 QStringLiteral("Ver 12.0.2のデータベース更新に失敗しました。")},
        FailCase{"PreStepRaises", 4, Failure::PreStepRaises, {kDone, kDone, kDone, kFailed, QString()},
                 QStringLiteral("Ver 12.0.4のデータベース更新に失敗しました。")},
        FailCase{"PostStepFails", 5, Failure::PostStepFails, {kDone, kDone, kDone, kDone, kFailed}, QString()}),
    [](const ::testing::TestParamInfo<FailCase> &info) { return std::string(info.param.name); });

// What a failed run keeps for the operator: the tool's output with the
// password masked, and what the killed tool could not say.
TEST_F(DbUpdateRunTest, TheErrorFilesOfAFailedRun)
{
    g_failAt = 2;
    g_failure = Failure::ToolKilled;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    prepare(box);
    box.cboxAgree->setChecked(true);
    box.btnOkClick();
    const QString kept = errorText();
    EXPECT_TRUE(kept.contains(QStringLiteral("CREATE TABLE STEP_2 (X INTEGER);"))) << kept.toStdString();
    EXPECT_TRUE(kept.contains(QStringLiteral("PASSWORD '********';"))) << kept.toStdString();
    EXPECT_FALSE(kept.contains(testenv::kDbPassword));
    EXPECT_TRUE(kept.endsWith(QStringLiteral("(SQLツールが異常終了しました。)\r\n")));
    const QString log = platform::fromCp932(testenv::readFile(SystemDef.LogDir + QStringLiteral("/ErrDataup.log")));
    EXPECT_FALSE(log.contains(testenv::kDbPassword));
    EXPECT_TRUE(log.contains(QStringLiteral("CREATE TABLE STEP_2")));
}

// Steps without the backup flag: no backup is taken and nothing is put back;
// the run answers 0 (the steps before the failed one stay applied).
TEST_F(DbUpdateRunTest, StepsWithoutBackupAreNotPutBack)
{
    g_failAt = 3;
    g_failure = Failure::MissingFile;
    ScriptedMessages boxes;
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(0));
    prepare(box);
    EXPECT_EQ(box.BackupCount(), 0);
    dm->fnAccDatDisConnected(root.companyDir, false, false);
    bool backupSeen = false;
    g_duringStep = [&] { backupSeen = QFileInfo::exists(backupPath()); };
    EXPECT_EQ(box.ExecuteUpdate(), 0);
    EXPECT_FALSE(backupSeen);
    EXPECT_EQ(statuses(box), QStringList({kDone, kDone, QStringLiteral("ﾌｧｲﾙ不足"), QString(), QString()}));
    EXPECT_EQ(companyVersion(), QStringLiteral("12.0.2"));
    EXPECT_EQ(stepTables(), QStringList({QStringLiteral("STEP_1"), QStringLiteral("STEP_2")}));
    EXPECT_TRUE(boxes.shown.isEmpty());
    // Nothing pending: nothing runs.
    box.SetUpdateList(1, QStringLiteral("13.0.0"));
    g_ran.clear();
    EXPECT_EQ(box.ExecuteUpdate(), -1);
    EXPECT_TRUE(g_ran.isEmpty());
}

// A restore that fails leaves the database the steps left, never none.
TEST_F(DbUpdateRunTest, AFailedRestoreKeepsTheUpgradedDatabase)
{
    g_failAt = 2;
    g_failure = Failure::MissingFile;
    // The backup is spoilt while the steps run.
    g_duringStep = [this] { testenv::writeFile(backupPath(), "not a backup"); };
    ScriptedMessages boxes;
    boxes.answer(mrOk); // the restore's own error report
    boxes.answer(mrOk); // the failure box
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    prepare(box);
    box.cboxAgree->setChecked(true);
    box.btnOkClick();
    EXPECT_EQ(box.result(), 4);
    EXPECT_TRUE(box.JobResult().Error);
    ASSERT_GE(boxes.shown.size(), 2);
    const QString failure = boxes.shown.last().text;
    EXPECT_TRUE(failure.startsWith(QStringLiteral("会計データの更新に失敗しました。\r[エラー内容]\rデータベースの復元に失敗しました。")))
        << failure.toStdString();
    EXPECT_TRUE(QFileInfo::exists(root.companyDir + QStringLiteral("/vqacc.fdb")));
    EXPECT_EQ(companyVersion(), QStringLiteral("12.0.1"));
    EXPECT_EQ(stepTables(), QStringList({QStringLiteral("STEP_1")}));
    EXPECT_TRUE(QDir(root.companyDir).entryList({QStringLiteral("*.rs_")}, QDir::Files).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(backupPath()));
}

// Another attachment to the company database: the operator is told, no
// backup is made and nothing runs.
TEST_F(DbUpdateRunTest, AnotherAttachmentRefusesTheRun)
{
    ScriptedMessages boxes;
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    prepare(box);
    box.cboxAgree->setChecked(true);
    FbDatabase other;
    other.DatabaseName = root.companyDir + QStringLiteral("/vqacc.fdb");
    other.Params = DatabaseParams();
    other.open();
    boxes.answer(mrYes);
    box.btnOk->click();
    other.close();

    EXPECT_EQ(box.result(), 4);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("現在、他のオペレータが会計データを利用中です。\r"
                                                  "データベースの更新を行うには、会計データの利用を停止するようにご連絡して下さい。"));
    EXPECT_EQ(boxes.shown[0].buttons, TMsgDlgButtons(mbYes));
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtInformation);
    EXPECT_TRUE(g_ran.isEmpty());
    EXPECT_TRUE(box.BackupFile().isEmpty()); // the run never started
    EXPECT_FALSE(QFileInfo::exists(backupPath()));
    EXPECT_EQ(statuses(box), QStringList(5, QString()));
    EXPECT_EQ(companyVersion(), QStringLiteral("11.0.0"));
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
}

// The system database in use elsewhere: the box names the operators logged on
// in the group, other than the operator himself.
TEST_F(DbUpdateRunTest, TheSystemDatabaseInUseNamesTheOperators)
{
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 3, '佐藤', 9)"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 12, '鈴木', 9)"));
    for (const char *l : {"100010, 'PC01', 0, 10000, 10", "100003, 'PC02', 0, 10000, 3", "100012, 'PC03', 0, 10000, 12"})
        exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO LOGONUSERLIST (OPCODE, PCNAME, APPVERSION, GROUPID, OPERATORCODE) "
                                                      "VALUES (%1)").arg(QLatin1String(l)));
    TArrayDbUpdateListRec system = standInSteps(1);
    TDbUpdateBox box(system, standInSteps(1));
    box.SetUpdateList(0, QStringLiteral("10.0.4"));
    ASSERT_EQ(box.ListView1->rowCount(), 5);
    EXPECT_TRUE(box.btnOk->isEnabled()); // no agreement for the system database
    box.show();
    screenshot(box, QStringLiteral("dbupdate-system"));

    FbDatabase other;
    other.DatabaseName = root.sysDir + QStringLiteral("/vqaccdef.fdb");
    other.Params = DatabaseParams();
    other.open();
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box.btnOkClick();
    other.close();

    EXPECT_EQ(box.result(), 4);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("情報"));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("現在、他のオペレータがシステムを利用中です。\r"
                                                  "データベースの更新を行うには、システムを終了するようにご連絡して下さい。\r"
                                                  "利用中のオペレータ (異常終了時のオペレータ含む)\r\r"
                                                  "[ 0003 ]:  佐藤\r[ 0012 ]:  鈴木"));
    EXPECT_TRUE(g_ran.isEmpty());
    EXPECT_TRUE(dm->IBDatabaseDEF.connected()); // opened again afterwards
    dm->IBDatabaseDEF.close();
}

TEST_F(DbUpdateRunTest, CancelAndEscCloseWithTwo)
{
    TDbUpdateBox box(SystemDbUpdateSteps(), standInSteps(1));
    box.SetUpdateList(1, QStringLiteral("11.0.0"));
    box.show();
    box.btnCancel->click();
    EXPECT_EQ(box.result(), 2);
    EXPECT_FALSE(box.isVisible());
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.result(), 2);
    EXPECT_TRUE(g_ran.isEmpty());
}

// ---- the in-program frame of a step -------------------------------------------

TEST_F(DbUpdateRunTest, APostStepThatFailsGivesNineteenAndKeepsWhatRanBefore)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("CREATE TABLE POST_ROWS (X INTEGER)"));
    dm->fnAccDatDisConnected(root.companyDir, false, false);

    EXPECT_EQ(RunPostStep(TDbUpdateTarget::Company,
                          [](FbQuery &q) {
                              ExecEach(q, {QStringLiteral("INSERT INTO POST_ROWS VALUES (1)"),
                                           QStringLiteral("INSERT INTO NO_SUCH_TABLE VALUES (2)"),
                                           QStringLiteral("INSERT INTO POST_ROWS VALUES (3)")});
                          }),
              DbUpdatePostStepError);
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(RunPostStep(TDbUpdateTarget::Company,
                          [](FbQuery &q) { ExecEach(q, {QStringLiteral("INSERT INTO POST_ROWS VALUES (4)")}); }),
              DbUpdateDone);
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());

    // A pre-step's error goes to its caller, with its work rolled back.
    EXPECT_THROW(RunPreStep(TDbUpdateTarget::Company,
                            [](FbQuery &q) {
                                ExecEach(q, {QStringLiteral("INSERT INTO POST_ROWS VALUES (5)"),
                                             QStringLiteral("INSERT INTO NO_SUCH_TABLE VALUES (6)")});
                            }),
                 FbError);
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
    QString kept;
    RunPreStep(TDbUpdateTarget::Company, [&kept](FbQuery &q) {
        q.setSql(QStringLiteral("SELECT LIST(X) FROM (SELECT X FROM POST_ROWS ORDER BY X)"));
        q.open();
        kept = q.field(0).asString();
        q.close();
    });
    EXPECT_EQ(kept, QStringLiteral("1,4"));

    // The system database is framed the same way.
    EXPECT_EQ(RunPostStep(TDbUpdateTarget::System, [](FbQuery &q) { ExecEach(q, {QStringLiteral("DELETE FROM NO_SUCH_TABLE")}); }),
              DbUpdatePostStepError);
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}
