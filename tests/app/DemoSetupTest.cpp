// The demonstration set-up cut short (killed after a step) is completed by
// its next run, which leaves a root the program logs into; a complete root is
// kept as it is.
#include "support/KilledChildLock.h"
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"

#include "app/SampleAssets.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbaccess/LogonStore.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

namespace {

struct SetupRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString out;
};

class DemoSetupTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        DM = nullptr;
        SystemDef = TSystemDef();
        ConnectMode = 0;
    }

    // The set-up with its common application-data folder; stopAfter names
    // the step after which it is killed.
    static SetupRun runSetup(const QString &common, const QString &stopAfter = QString())
    {
        KilledChildLock lock;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SOLTEA_COMMON_APPDATA"), common);
        env.insert(QStringLiteral("SOLTEA_SCHEMA_TEMPLATES"), testenv::schemaTemplateFolder());
        env.remove(QStringLiteral("SOLTEA_DEMO_SETUP_STOP_AFTER"));
        if (!stopAfter.isEmpty()) env.insert(QStringLiteral("SOLTEA_DEMO_SETUP_STOP_AFTER"), stopAfter);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(DEMO_SETUP_PROGRAM), {});
        SetupRun r;
        if (!p.waitForFinished(180000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "the set-up did not end";
            return r;
        }
        r.status = p.exitStatus();
        r.code = p.exitCode();
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return r;
    }

    static QString rootOf(const QString &common) { return common + QStringLiteral("/quenta/dorvelzaimu"); }
    static QString markOf(const QString &common) { return rootOf(common) + QStringLiteral("/.demo-setup-unfinished"); }

    // The root as the program meets it: the ini in stand-alone mode on it, a
    // login of operator 10 without a password, the company listed in the
    // first of the list's slots and its database holding the sample assets.
    static void expectLoginReady(const QString &common)
    {
        const QString root = rootOf(common), sysDir = root + QStringLiteral("/data"), company = sysDir + QStringLiteral("/0001");
        EXPECT_FALSE(QFileInfo::exists(markOf(common)));
        const platform::IniFile ini(root + QStringLiteral("/vqzaimu.ini"));
        EXPECT_TRUE(QFileInfo::exists(ini.fileName()));
        EXPECT_EQ(ini.readString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT")), QStringLiteral("0"));
        EXPECT_EQ(ini.readString(QStringLiteral("LOCAL"), QStringLiteral("SYSDIR")), sysDir);

        SystemDef = TSystemDef();
        SystemDef.SysDir = sysDir;
        SystemDef.DbUser = QStringLiteral("DORVEL");
        SystemDef.DbPassword = QStringLiteral("zoltup");
        SystemDef.GroupNo = 10000;
        SystemDef.LogDir = testenv::freshDir(QStringLiteral("demo-log"));
        ConnectMode = 0;
        TDM dm;
        DM = &dm;
        ASSERT_TRUE(dm.fnAccDefConnected(QString(), false));
        const logonstore::LogonTestResult login = logonstore::logonUserTest(QStringLiteral("PC01"), 10000, 10, QString());
        EXPECT_TRUE(login.Num == 0 || login.Num == 1) << login.Num;
        EXPECT_EQ(login.LoginCode, 10);
        {
            TransactionGuard g(dm.IBTransactionDEF);
            dm.IBSQLDEF.setSql(QStringLiteral("SELECT COUNT(*), MIN(CASE WHEN REC=1 THEN PASNAME END), "
                                              "MIN(CASE WHEN REC=1 THEN ENTTEXT END) FROM DATALIST"));
            dm.IBSQLDEF.open();
            EXPECT_EQ(dm.IBSQLDEF.field(0).asInteger(), 120);
            EXPECT_EQ(dm.IBSQLDEF.field(1).asString(), company);
            EXPECT_FALSE(dm.IBSQLDEF.field(2).asString().trimmed().isEmpty()); // listed under a name
            dm.IBSQLDEF.close();
        }
        dm.IBDatabaseDEF.close();
        ASSERT_TRUE(dm.fnAccDatConnected(QString(), company, false));
        {
            TransactionGuard g(dm.IBTransactionDAT);
            dm.IBQACC1.setSql(QStringLiteral("SELECT COUNT(*) FROM KS_SISAN"));
            dm.IBQACC1.open();
            EXPECT_EQ(dm.IBQACC1.field(0).asInteger(), int(SixMethodAssets().size()));
            dm.IBQACC1.close();
        }
        dm.fnAccDatDisConnected(QString(), false, false);
        DM = nullptr;
    }
};

} // namespace

TEST_F(DemoSetupTest, ASetUpKilledHalfWayIsCompletedByTheNextRun)
{
    for (const char *step : {"databases", "assets"}) {
        SCOPED_TRACE(step);
        const QString common = testenv::freshDir(QStringLiteral("demo-") + QLatin1String(step));
        const SetupRun cut = runSetup(common, QLatin1String(step));
        ASSERT_EQ(cut.status, QProcess::CrashExit) << cut.out.toStdString();
        // What was cut short: the system database is there, the root is not finished.
        ASSERT_TRUE(QFileInfo::exists(rootOf(common) + QStringLiteral("/data/vqaccdef.fdb")));
        ASSERT_TRUE(QFileInfo::exists(markOf(common)));
        EXPECT_FALSE(QFileInfo::exists(rootOf(common) + QStringLiteral("/vqzaimu.ini")));

        const SetupRun next = runSetup(common);
        ASSERT_EQ(next.status, QProcess::NormalExit);
        ASSERT_EQ(next.code, 0) << next.out.toStdString();
        EXPECT_TRUE(next.out.contains(QStringLiteral("login: operator code 10, empty password"))) << next.out.toStdString();
        expectLoginReady(common);
    }
}

TEST_F(DemoSetupTest, ACompleteRootIsKept)
{
    const QString common = testenv::freshDir(QStringLiteral("demo-complete"));
    const SetupRun first = runSetup(common);
    ASSERT_EQ(first.status, QProcess::NormalExit);
    ASSERT_EQ(first.code, 0) << first.out.toStdString();
    // Something of the user's in the data folder, and a root that a previous
    // set-up or the package itself made has no mark either: all stays.
    const QString kept = rootOf(common) + QStringLiteral("/data/kept.txt");
    testenv::writeFile(kept, "mine");
    const SetupRun again = runSetup(common);
    ASSERT_EQ(again.code, 0) << again.out.toStdString();
    EXPECT_EQ(testenv::readFile(kept), QByteArray("mine"));
    expectLoginReady(common);
}
