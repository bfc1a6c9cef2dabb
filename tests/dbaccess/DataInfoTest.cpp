#include "support/TestEnv.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/SitenList.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "support/DbFixture.h"

#include <QFile>
#include <QFileInfo>

using platform::IniFile;

namespace {

class DataInfoTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        InstallDataInfoHooks();
        ini = TDataInfomation::IniFileOf(root.companyDir);
    }
    QString ini;
};

} // namespace

TEST_F(DataInfoTest, OpeningAndClosingMarkTheInformationFile)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, true));
    IniFile f(ini);
    EXPECT_EQ(f.readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("2"));
    EXPECT_EQ(f.readString(QStringLiteral("DATASTS"), QStringLiteral("OPCODE")), QStringLiteral("100010"));
    EXPECT_EQ(f.readString(QStringLiteral("DATASTS"), QStringLiteral("OPERATOR")), QStringLiteral("山田"));
    EXPECT_EQ(f.readString(QStringLiteral("DATAINFO"), QStringLiteral("SHOUGOU")), QStringLiteral("サンプル株式会社"));
    EXPECT_EQ(f.readString(QStringLiteral("DATAINFO"), QStringLiteral("VERSION1")), QStringLiteral("11.0.0"));
    EXPECT_EQ(f.readString(QStringLiteral("DATAINFO"), QStringLiteral("KISHU")), QStringLiteral("2024/04/01"));
    EXPECT_EQ(f.readSection(QStringLiteral("DATASTS")),
              QStringList({QStringLiteral("STATUS"), QStringLiteral("OPCODE"), QStringLiteral("OPERATOR"),
                           QStringLiteral("SHARE_STATUS"), QStringLiteral("UPDATE_LOCK")}));
    ASSERT_TRUE(dm->fnAccDatDisConnected(root.companyDir, true, false));
    f.reload();
    EXPECT_EQ(f.readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("1"));
    EXPECT_FALSE(f.valueExists(QStringLiteral("DATASTS"), QStringLiteral("OPCODE")));
}

TEST_F(DataInfoTest, ReadingTheInformation)
{
    // A data folder without an information file gets one by a mere read.
    TDataInfomation info;
    TDataInfomationRec rec;
    ASSERT_FALSE(QFileInfo::exists(ini));
    EXPECT_EQ(info.ReadIniInfo(root.companyDir, rec), 1);
    EXPECT_TRUE(QFileInfo::exists(ini));
    EXPECT_EQ(rec.Status, 1);
    EXPECT_EQ(rec.ListName, QStringLiteral("サンプル株式会社")); // no list name: the company name
    EXPECT_EQ(rec.VerMajor, 11);

    // Statuses and operators.
    info.SetDataStatus(root.companyDir, 4);
    info.ReadIniInfo(root.companyDir, rec);
    EXPECT_EQ(rec.Status, 4);
    EXPECT_EQ(rec.OpCode, 100010);
    EXPECT_EQ(DataStatusText(rec.Status), QStringLiteral("保存中"));
    info.SetDataStatus(root.companyDir, 1);
    EXPECT_FALSE(IniFile(ini).valueExists(QStringLiteral("DATASTS"), QStringLiteral("OPERATOR")));
    EXPECT_TRUE(info.ChangeShareStatus(root.companyDir, 2));
    EXPECT_FALSE(info.ChangeShareStatus(root.companyDir, 2));
    info.ReadIniInfo(root.companyDir, rec);
    EXPECT_EQ(rec.ShareStatus, 2);

    // Neither database nor file: 0 and a cleared record.
    EXPECT_EQ(info.ReadIniInfo(root.sysDir + QStringLiteral("/0099"), rec), 0);
    EXPECT_EQ(rec.Status, 1);
    EXPECT_TRUE(rec.Shougou.isEmpty());
}

TEST_F(DataInfoTest, VersionLabelsAndRights)
{
    platform::RegistryStore::writeString(platform::RegRoot::LocalMachine, AppInfo.Application.RegKey + QStringLiteral("\\DORVELZAIMU12"),
                                         QStringLiteral("Version"), QStringLiteral("12.1.0"));
    platform::RegistryStore::writeString(platform::RegRoot::LocalMachine, AppInfo.Application.RegKey + QStringLiteral("\\DORVELZAIMU12"),
                                         QStringLiteral("Type"), QStringLiteral("12版"));
    TDataInfomation info;
    EXPECT_EQ(info.VersionLabel(0, 5), QStringLiteral("評価版"));
    EXPECT_EQ(info.VersionLabel(3, 0), QStringLiteral("11版"));
    EXPECT_EQ(info.VersionLabel(12, 1), QStringLiteral("12版"));
    EXPECT_EQ(info.VersionLabel(11, 0), QStringLiteral("11.0"));
    TSeihinVersionList list;
    list.FirstEntryText = QStringLiteral("選択なし");
    list.Execute(1);
    EXPECT_EQ(list.GetTypeName(0), QStringLiteral("選択なし"));
    EXPECT_TRUE(list.VersionText(0).isEmpty());
    EXPECT_EQ(list.GetTypeName(1), QStringLiteral("12版")); // newest first after the first entry

    // A bound operator without a default facility may not use the data.
    SystemDef.OpLevel = 1;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(info.IsUseData(root.companyDir));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このデータを扱う権限がありません。")));
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
    SystemDef.OpLevel = 9;
    EXPECT_TRUE(info.IsUseData(root.companyDir));

    // Without branches, branch lines only: one line for the company itself.
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    ASSERT_TRUE(dm->fnGetAccInfo());
    TSitenList siten;
    siten.Selection = 4;
    siten.Execute(SystemDef.OpCode);
    ASSERT_EQ(siten.Count, 1);
    EXPECT_EQ(siten.Lines[0], AccInf.SHOUGOU);
}
