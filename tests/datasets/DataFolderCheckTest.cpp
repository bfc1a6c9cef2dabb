#include "support/TestEnv.h"

#include "datasets/DataFolderCheck.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"
#include "support/DbFixture.h"

namespace {

class DataFolderCheckTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        InstallDataInfoHooks();
    }
    void TearDown() override
    {
        ConnectMode = 0;
        DbFixture::TearDown();
    }
    // Marks the company data set with a status held by an operator.
    void mark(int status, int opCode = 100000007, const QString &opName = QStringLiteral("佐藤"))
    {
        TDataInfomation info;
        TDataInfomationRec rec;
        info.ReadIniInfo(root.companyDir, rec); // creates the file from the database
        rec.Status = quint8(status);
        rec.OpCode = opCode;
        rec.OpName = opName;
        info.WriteIniFile(root.companyDir, QString(), rec);
    }
    QList<TDataLockReport> reports;
    TDataFolderCheck check()
    {
        TDataFolderCheck c;
        c.ShowLockReport = [this](const TDataLockReport &r) { reports << r; };
        return c;
    }
};

} // namespace

TEST(DataFolderStatuses, AllowedByConnectionMode)
{
    for (int s = 0; s <= 10; ++s) {
        EXPECT_EQ(TDataFolderCheck::IsAllowedStatus(s, 0), s == 1) << s;
        EXPECT_EQ(TDataFolderCheck::IsAllowedStatus(s, 1), s == 1 || s == 2) << s;
        EXPECT_EQ(TDataFolderCheck::IsAllowedStatus(s, 2), s == 1 || s == 2) << s;
        EXPECT_FALSE(TDataFolderCheck::IsAllowedStatus(s, 3)) << s;
    }
}

TEST_F(DataFolderCheckTest, FolderWithoutCompanyDatabase)
{
    const QString empty = testenv::freshDir(QStringLiteral("nodata"));
    TDataFolderCheck c = check();
    {
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_EQ(c.CheckDataStatus(empty, true, QString(), true), 0);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("このフォルダには財務データがありません。\r"));
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtWarning);
    }
    {
        ScriptedMessages boxes;
        EXPECT_EQ(c.CheckDataStatus(empty, false, QString(), true), 1);
        EXPECT_TRUE(boxes.shown.isEmpty());
        // Types 2 and 4 look at the file alone.
        c.SyoriType = 2;
        EXPECT_EQ(c.CheckDataFolder(empty), DataFolderNoDatabase);
    }
}

TEST_F(DataFolderCheckTest, FreeDataIsUsable)
{
    TDataFolderCheck c = check();
    for (int type : {0, 1, 2, 3, 4, 5}) {
        c.SyoriType = type;
        EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderUsable) << type;
    }
    EXPECT_EQ(c.CurrentInfo.Shougou, QStringLiteral("サンプル株式会社"));
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(DataFolderCheckTest, InUseIsRefusedLocallyWithTheLockReport)
{
    mark(2, 100000007, QStringLiteral("佐藤"));
    TDataFolderCheck c = check();
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderRefused);
    ASSERT_EQ(reports.size(), 1);
    const TDataLockReport &r = reports[0];
    EXPECT_EQ(r.Title, QStringLiteral("選択データの状態"));
    EXPECT_EQ(r.Text, QStringLiteral("このデータは使用中のため処理が行えません。\r"
                                     "前回、異常終了した場合は情報ボタンを押してデータの状態をクリアして下さい。"));
    EXPECT_EQ(r.Lines, (QStringList{QStringLiteral("【データフォルダ】"), QStringLiteral("　") + root.companyDir,
                                    QString(), QStringLiteral("【オペレータ】"), QStringLiteral("　7"), QString(),
                                    QStringLiteral("【オペレータ名】"), QStringLiteral("　佐藤")}));
    EXPECT_EQ(c.CurrentInfo.OpCode, 100000007);

    // With the damaged flag raised the answer is "damaged".
    SystemDef.DataDamaged = true;
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderDamaged);
    // Types 2 and 4 neither ask nor report, type 5 does not read the status.
    reports.clear();
    SystemDef.DataDamaged = false;
    c.SyoriType = 4;
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderRefused);
    c.SyoriType = 5;
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderUsable);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(DataFolderCheckTest, ReportTextsByStatus)
{
    const struct {
        int status;
        bool reported;
        const char *text;
    } cases[] = {{0, false, ""}, {10, false, ""}, {3, true, "このデータはデータロック中のため処理が行えません。"},
                 {4, true, "このデータは保存中のため処理が行えません。"},
                 {9, true, "このデータは新規作成中のため処理が行えません。"}};
    for (const auto &k : cases) {
        mark(k.status);
        reports.clear();
        TDataFolderCheck c = check();
        EXPECT_EQ(c.CheckDataStatus(root.companyDir, true, QString(), true), k.status);
        ASSERT_EQ(reports.size(), k.reported ? 1 : 0) << k.status;
        if (k.reported) {
            EXPECT_EQ(reports[0].Text, QString::fromUtf8(k.text));
        }
        EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderRefused) << k.status;
        // Without report no box at all.
        reports.clear();
        EXPECT_EQ(c.CheckDataStatus(root.companyDir, true, QString(), false), k.status);
        EXPECT_TRUE(reports.isEmpty());
    }
}

TEST_F(DataFolderCheckTest, EmptyPathAndUnknownMode)
{
    TDataFolderCheck c = check();
    c.SyoriType = 3;
    EXPECT_EQ(c.CheckDataFolder(QStringLiteral(" 　 ")), DataFolderEmptyPath);
    c.SyoriType = 0;
    try {
        c.CheckDataFolder(QString());
        FAIL() << "no error";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("データフォルダパスが不正です。\r処理を中止します。"));
    }
    ConnectMode = 3;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderRefused);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("製品タイプ不整合のためデータを起動できませんでした。\r"));
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
}

TEST_F(DataFolderCheckTest, ServerModesRefuseProcessingType5)
{
    // Type 5 (restore) never takes a folder of the server modes, whatever it holds.
    ConnectMode = 1;
    TDataFolderCheck c = check();
    c.SyoriType = 5;
    EXPECT_EQ(c.CheckDataFolder(root.companyDir), DataFolderRefused);
    EXPECT_TRUE(reports.isEmpty());
}
