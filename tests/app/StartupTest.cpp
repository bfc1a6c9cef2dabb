#include "support/TestEnv.h"

#include "app/Startup.h"
#include "datasets/AppIniCreate.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using platform::IniFile;
using platform::NamedLock;

TEST(Startup, SingleInstanceMarksInOrder)
{
    ScriptedMessages boxes;
    {
        NamedLock main(QStringLiteral("CORVENA000")), tools(QStringLiteral("CORVENA_TOOLS"));
        ASSERT_TRUE(main.tryAcquire());
        ASSERT_TRUE(tools.tryAcquire());
        NamedLock own(QStringLiteral("SOLTEA_RENDO"));
        boxes.answer(mrOk);
        EXPECT_FALSE(CheckSingleInstance(own));
        EXPECT_EQ(boxes.shown.last().text, QStringLiteral("Novaris財務が起動しています。同時に起動することは出来ません。"));
        EXPECT_EQ(boxes.shown.last().kind, TMsgDlgType::mtInformation);
        EXPECT_FALSE(own.isAcquired());
    }
    NamedLock first(QStringLiteral("SOLTEA_RENDO"));
    EXPECT_TRUE(CheckSingleInstance(first));
    NamedLock second(QStringLiteral("SOLTEA_RENDO"));
    boxes.answer(mrOk);
    EXPECT_FALSE(CheckSingleInstance(second));
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("アプリケーションは既に起動しています。"));
    EXPECT_TRUE(first.isAcquired()); // the first copy is untouched
}

TEST(Startup, CommandLineAndVersionTest)
{
    CallerInfo c;
    EXPECT_TRUE(ParseCommandLine({}, c));
    EXPECT_FALSE(c.hasCaller());
    EXPECT_TRUE(ParseCommandLine({QStringLiteral("caller-1,1025,7,/tmp/out.xml")}, c));
    EXPECT_TRUE(c.hasCaller());
    EXPECT_EQ(c.message, 1025);
    EXPECT_EQ(c.number, 7);
    EXPECT_EQ(c.file, QStringLiteral("/tmp/out.xml"));
    EXPECT_TRUE(ParseCommandLine({QStringLiteral("caller-1,1025")}, c));
    EXPECT_EQ(c.number, 0);
    EXPECT_TRUE(c.file.isEmpty());
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("a"), QStringLiteral("b")}, c));

    struct Case { const char *installed, *required; bool ok; };
    const Case cases[] = {
        {"11.0.0", "11.0.0", true}, {"10.9.99", "11.0.0", false}, {"12.1.3", "11.0.0", true},
        {"11.0", "11.0.0", true},   {"11", "11.0.0", true},       {"", "11.0.0", false},
        {"abc", "11.0.0", false},   {"1.2.3.4", "0.0.0", false},  {"11.0.0", "11.0.1", false},
    };
    for (const Case &k : cases)
        EXPECT_EQ(CompareVersion(QLatin1String(k.installed), QLatin1String(k.required)), k.ok) << k.installed;
}

TEST(Startup, FirstStartWritesTheDefaultIniAndReadsItBack)
{
    SetAppInfoDefaults(AppInfo);
    SystemDef = TSystemDef();
    ConnectMode = 0;
    InitEnvironment();
    EXPECT_TRUE(SystemDef.DataRootDir.startsWith(testenv::sandbox()));
    EXPECT_TRUE(SystemDef.DataRootDir.endsWith(QStringLiteral("/quenta/dorvelzaimu")));
    EXPECT_EQ(SystemDef.AppIniFile, SystemDef.DataRootDir + QStringLiteral("/vqzaimu.ini"));
    EXPECT_TRUE(QFileInfo(SystemDef.LogDir).isDir());
    EXPECT_TRUE(SystemDef.HostName.isEmpty());
    EXPECT_EQ(SystemDef.DbUser, QStringLiteral("DORVEL"));
    EXPECT_EQ(SystemDef.DbPassword, QStringLiteral("zoltup"));
    EXPECT_EQ(SystemDef.GroupNo, 10000);
    EXPECT_EQ(SystemDef.SysDir, SystemDef.DataRootDir + QStringLiteral("/data"));
    const IniFile ini(SystemDef.AppIniFile);
    EXPECT_EQ(ini.readString(QStringLiteral("APPLICATION"), QStringLiteral("WIDTH")), QStringLiteral("1024"));
    EXPECT_EQ(ini.readString(QStringLiteral("SERVER"), QStringLiteral("USER")), QStringLiteral("DORVEL"));
    EXPECT_EQ(SystemDef.EChoboDir, qEnvironmentVariable("TEMP") + QStringLiteral("/vqzview"));

    // The stored values are normalised; a section of blanks counts as missing.
    IniFile edit(SystemDef.AppIniFile);
    edit.writeString(QStringLiteral("LOCAL"), QStringLiteral("USER"), QStringLiteral("dorvel"));
    edit.writeString(QStringLiteral("LOCAL"), QStringLiteral("PASSWORD"), QStringLiteral("SeCrEt"));
    InitEnvironment();
    EXPECT_EQ(SystemDef.DbUser, QStringLiteral("DORVEL"));
    EXPECT_EQ(SystemDef.DbPassword, QStringLiteral("secret"));
    testenv::writeFile(SystemDef.AppIniFile, "[APPLICATION]\r\nCONNECT=1\r\n[LOCAL]\r\n   \r\n");
    InitEnvironment();
    EXPECT_EQ(IniFile(SystemDef.AppIniFile).readString(QStringLiteral("LOCAL"), QStringLiteral("USER")), QStringLiteral("DORVEL"));

    // A TEMP that does not exist leaves the temporary folder as it was (empty).
    const QByteArray savedTemp = qgetenv("TEMP");
    qputenv("TEMP", "/no/such/temp");
    SystemDef = TSystemDef();
    InitEnvironment();
    EXPECT_EQ(SystemDef.EChoboDir, QStringLiteral("/vqzview"));
    qputenv("TEMP", savedTemp);
}

TEST(Startup, ConnectionSettingsFile)
{
    SetAppInfoDefaults(AppInfo);
    SystemDef = TSystemDef();
    ConnectMode = 0;
    SystemDef.AppIniFile = testenv::freshDir(QStringLiteral("appini")) + QStringLiteral("/vqzaimu.ini");
    SystemDef.SysDir = QStringLiteral("/srv/Data");
    SystemDef.DbUser = QStringLiteral("DORVEL");
    SystemDef.DbPassword = QStringLiteral("zoltup");
    TAppIniSettings::SaveConnectMode(1);
    ASSERT_TRUE(TAppIniSettings::WriteIniFile(true));
    const QByteArray once = testenv::readFile(SystemDef.AppIniFile);
    ASSERT_TRUE(TAppIniSettings::WriteIniFile(true));
    EXPECT_EQ(testenv::readFile(SystemDef.AppIniFile), once);
    EXPECT_EQ(TAppIniSettings::ReadConnectMode(), 0);
    TAppIniSettings::SaveConnectMode(2);
    EXPECT_EQ(TAppIniSettings::ReadConnectMode(), 2);
    TAppIniSettings::SaveConnectMode(5); // not a mode: nothing written
    EXPECT_EQ(TAppIniSettings::ReadConnectMode(), 2);

    // A mode without a section reads the defaults.
    TAppIniSettings::ReadServerSettings(2);
    EXPECT_TRUE(SystemDef.HostName.isEmpty());
    EXPECT_EQ(SystemDef.DbUser, QStringLiteral("DORVEL"));
    EXPECT_EQ(SystemDef.DbPassword, QStringLiteral("zoltup"));
    // The folder keeps its case.
    TAppIniSettings::ReadServerSettings(0);
    EXPECT_EQ(SystemDef.SysDir, QStringLiteral("/srv/Data"));
}
