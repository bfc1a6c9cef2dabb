#include "support/TestEnv.h"

#include "datasets/AppIniCreate.h"
#include "datasets/Logon.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "framework/xKeyControls.h"
#include "platform/IniFile.h"
#include "support/DbFixture.h"

namespace {

class LogonTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.AppIniFile = root.root + QStringLiteral("/vqzaimu.ini");
        TAppIniSettings::WriteIniFile(true); // LOCAL: this data root's system folder
    }
};

} // namespace

TEST_F(LogonTest, RefusesBadCodesAndLogsTheOperatorIn)
{
    ScriptedMessages boxes;
    TLogonBox box;
    ASSERT_TRUE(box.Usable);
    EXPECT_TRUE(box.btnSA->isChecked());
    EXPECT_FALSE(box.txtGroupID->isVisible());

    // A code below 10 is refused before any database work.
    box.txtOpCode->setText(QStringLiteral("5"));
    boxes.answer(mrOk);
    box.OKBtnClick();
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("コードまたはパスワードが違います。\r正しいコードまたはパスワードを入力して下さい。"));
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());

    // A wrong password: the dialog stays.
    box.txtOpCode->setText(QStringLiteral("10"));
    box.txtPassword->setText(QStringLiteral("wrong"));
    boxes.answer(mrOk);
    box.OKBtnClick();
    EXPECT_EQ(boxes.shown.size(), 2);
    EXPECT_NE(box.result(), 1);

    // The right one logs in.
    box.txtPassword->setText(QString());
    box.OKBtnClick();
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(SystemDef.OpCode, 10000 * 10000 + 10);
    EXPECT_EQ(SystemDef.LoginNo, 10);
    EXPECT_EQ(SystemDef.OpLevel, 9);
    EXPECT_FALSE(SystemDef.OpName.isEmpty());
    EXPECT_TRUE(dm->IBDatabaseDEF.connected());
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM LOGONUSERLIST WHERE OPCODE=100000010")),
              QStringLiteral("1"));
    EXPECT_EQ(platform::IniFile(SystemDef.AppIniFile).readString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT")),
              QStringLiteral("0"));
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(LogonTest, ClientServerWithoutAHostIsRefused)
{
    ScriptedMessages boxes;
    TLogonBox box;
    box.btnCS->setChecked(true);
    EXPECT_EQ(box.GetConnectMode(), 1);
    box.txtOpCode->setText(QStringLiteral("10"));
    boxes.answer(mrOk);
    box.OKBtnClick();
    EXPECT_EQ(boxes.shown.last().text,
              QStringLiteral("データサーバーのコンピュータ名が設定されていません。\r[サーバー設定]ボタンを押して正しい情報を入力して下さい。"));
    EXPECT_NE(box.result(), 1);
    ConnectMode = 0;
}
