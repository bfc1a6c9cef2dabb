#include "support/TestEnv.h"

#include <QApplication>

#include "datasets/AppIniCreate.h"
#include "datasets/Logon.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "support/DbFixture.h"
#include "../framework/FrameworkTestUtil.h"

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

TEST_F(LogonTest, ServerSettingsRefuseBlanksAndStoreTheSection)
{
    ScriptedMessages boxes;
    TLogonBox logon;
    logon.btnCS->setChecked(true); // client/server: the button opens the settings
    ASSERT_EQ(ConnectMode, 1);
    platform::IniFile(SystemDef.AppIniFile).writeString(QStringLiteral("SERVER"), QStringLiteral("HOSTNAME"), QStringLiteral("fbhost"));

    struct Entry {
        const char16_t *host, *user, *password;
        const char16_t *refusal; // nullptr: stored
    };
    const Entry entries[] = {
        {u"  ", u"dorvel", u"zoltup", u"コンピュータ名が指定されていません。\r入力してください。"},
        {u"SERVER01", u"", u"zoltup", u"データベースのユーザーが指定されていません。\r入力してください。"},
        {u"SERVER01", u"dorvel", u"", u"データベースのパスワードが指定されていません。\r入力してください。"},
        {u"SERVER01", u"dorvel", u"ZoltUp", nullptr},
    };
    int runs = 0;
    const auto previous = ModalRunner;
    ModalRunner = [&](QDialog &d) {
        auto *box = qobject_cast<TAppIniCreateBox *>(&d);
        EXPECT_NE(box, nullptr);
        if (!box) return 2;
        box->show(); // shows the client/server section
        EXPECT_EQ(box->windowTitle(), QStringLiteral("データサーバーの設定"));
        EXPECT_EQ(box->txtHostName->text(), QStringLiteral("fbhost"));
        const Entry &e = entries[runs++];
        box->txtHostName->setText(QString::fromUtf16(e.host));
        box->cmbDrive->setCurrentText(QStringLiteral("C:"));
        box->txtDataPath->setText(QStringLiteral("/DorvelZaimu/Data"));
        box->txtUserName->setText(QString::fromUtf16(e.user));
        box->txtPassWord->setText(QString::fromUtf16(e.password));
        if (e.refusal) boxes.answer(mrYes);
        box->OKBtnClick();
        if (e.refusal) {
            EXPECT_EQ(boxes.shown.last().text, QString::fromUtf16(e.refusal));
            EXPECT_EQ(boxes.shown.last().buttons, mbYes);
            EXPECT_NE(box->result(), 1);
        } else {
            EXPECT_EQ(box->result(), 1);
        }
        return box->result();
    };
    for (std::size_t i = 0; i < std::size(entries); ++i) logon.btnServerSettei->click();
    ModalRunner = previous;
    EXPECT_EQ(runs, 4);

    // Host and password in lower case, user in upper case; the folder keeps its
    // case because the file system tells case apart.
    const platform::IniFile ini(SystemDef.AppIniFile);
    const QString s = QStringLiteral("SERVER");
    EXPECT_EQ(ini.readString(s, QStringLiteral("HOSTNAME")), QStringLiteral("server01"));
    EXPECT_EQ(ini.readString(s, QStringLiteral("SYSDIR")), QStringLiteral("C:/DorvelZaimu/Data"));
    EXPECT_EQ(ini.readString(s, QStringLiteral("USER")), QStringLiteral("DORVEL"));
    EXPECT_EQ(ini.readString(s, QStringLiteral("PASSWORD")), QStringLiteral("zoltup"));
    EXPECT_EQ(ini.readString(QStringLiteral("LOCAL"), QStringLiteral("SYSDIR")), root.sysDir); // the other section stays
    EXPECT_TRUE(boxes.allAnswered());
    ConnectMode = 0;
}

TEST_F(LogonTest, EnterGoesFromCodeToPasswordToOkAndLogsIn)
{
    ScriptedMessages boxes;
    TLogonBox box;
    fwtest::showActive(&box);
    EXPECT_EQ(QApplication::focusWidget(), box.txtOpCode);
    box.txtOpCode->setText(QStringLiteral("10"));
    fwtest::tap(box.txtOpCode, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box.txtPassword);
    fwtest::tap(box.txtPassword, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box.OKBtn);
    fwtest::tap(box.OKBtn, Qt::Key_Return);
    EXPECT_EQ(box.result(), 1);
    // The dialog is as large as its contents, not a default window size.
    EXPECT_EQ(box.size(), box.minimumSize());
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_LT(box.width(), 640);
    EXPECT_TRUE(boxes.shown.isEmpty());
}
