#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include "app/MainForm.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "framework/xWizard.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>

using platform::RegRoot;
using platform::RegistryStore;

namespace {

class MainWizardTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        const QString dir = testenv::freshDir(QStringLiteral("program"));
        QFile::copy(QStringLiteral(PROJECT_RESOURCES_DIR "/AppInfo.ini"), dir + QStringLiteral("/AppInfo.ini"));
        program = dir + QStringLiteral("/soltea-rendo");
        SetAppInfoDefaults(AppInfo);
        setVersion(QStringLiteral("11.0.0"));
        InstallDataInfoHooks();
    }
    void setVersion(const QString &v)
    {
        const QString key = AppInfo.Application.RegKey + QStringLiteral("\\DORVELZAIMU11");
        RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Product"), QStringLiteral("ドルベル財務"));
        RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Version"), v);
    }
    QStringList pages(TForm1 &f)
    {
        QStringList out;
        for (int i = 0; i < f.Wizard1->count(); ++i) out << f.Wizard1->widget(i)->objectName();
        return out;
    }
    QString program;
};

} // namespace

TEST_F(MainWizardTest, StartUpRefusals)
{
    ScriptedMessages boxes;
    {
        TForm1 f;
        boxes.answer(mrOk);
        EXPECT_FALSE(f.FormCreate({QStringLiteral("a"), QStringLiteral("b")}, program));
        EXPECT_EQ(boxes.shown.last().text, QStringLiteral("不正な引数が渡されました。\r\rアプリケーションを強制終了します。"));
    }
    {
        setVersion(QStringLiteral("10.9.99"));
        TForm1 f;
        boxes.answer(mrOk);
        EXPECT_FALSE(f.FormCreate({}, program));
        EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("このアプリケーションはインストールされている「ドルベル財務」のバージョンに対応していません。")));
    }
    {
        TForm1 f;
        boxes.answer(mrOk);
        EXPECT_FALSE(f.FormCreate({}, testenv::sandbox() + QStringLiteral("/nowhere/prog")));
        EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。")));
    }
    setVersion(QStringLiteral("11.0.0"));
    TForm1 f;
    ASSERT_TRUE(f.FormCreate({QStringLiteral("nobody-listens,1025,5,/tmp/x.xml")}, program));
    EXPECT_EQ(pages(f), QStringList({QStringLiteral("page1"), QStringLiteral("page2"), QStringLiteral("page5")}));
    EXPECT_EQ(f.Export->FunctionId, 5);
    EXPECT_EQ(f.Memo1a->toPlainText(), QStringLiteral("『ドルベル財務』から『連結納税のソルテア（減価償却）』へデータの連動を行います。"));
}

TEST_F(MainWizardTest, ChoosesTheDataAndWritesTheFile)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral(
        "INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, GSHOUHOU, SYUTODATE, TAIYOUYY, SYUTOKIN, KISOKIN, SYOURITU, "
        "FUTUSYOUKIN, WARISYOUKIN, SYOUKINKEI, MATUMISYOUKIN, SYOUKIKANSTR, SYOUKIKANEND, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
        "VALUES (1, ' ', '0001', '1401', '本社ビル', 1, '2020-04-01', 50, 10000000, 10000000, 0.020, 200000, 0, 200000, 8800000, "
        "1, 12, NULL, NULL, NULL, NULL)"));
    dm->IBDatabaseDAT.close();
    ScriptedMessages boxes;
    const QString out = testenv::freshDir(QStringLiteral("out")) + QStringLiteral("/RC25.xml");
    {
        TForm1 f;
        ASSERT_TRUE(f.FormCreate({}, program));
        EXPECT_EQ(pages(f), QStringList({QStringLiteral("page1"), QStringLiteral("page2"), QStringLiteral("page4"), QStringLiteral("page5")}));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        f.LoggedIn = true;
        SystemDef.OpCode = 10000 * 10000 + 10;
        SystemDef.OpLevel = 9;
        dm->LoadGengo();
        // The data-selection screen chooses the first data set.
        RunProcessHook = [&](const QString &name, int mode, const QString &params) {
            EXPECT_EQ(name, QStringLiteral("QmDataSenkaku"));
            EXPECT_EQ(mode, 1);
            EXPECT_EQ(params, QStringLiteral("SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=11"));
            SystemDef.DataDir = root.companyDir;
            return 1;
        };

        f.Wizard1->NextClick(f.Button2); // to the data choice
        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // nothing chosen yet: refused
        EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page2"));
        EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("会計データの選択が行われていません。")));

        f.btnDataSentakuClick();
        ASSERT_TRUE(f.DataSetOpen);
        ASSERT_EQ(f.listDataInfo->count(), 4);
        EXPECT_EQ(f.listDataInfo->item(1)->text(), QStringLiteral("会社名=サンプル株式会社"));
        EXPECT_EQ(f.listDataInfo->item(2)->text(), QStringLiteral("会計年度=10期"));
        EXPECT_EQ(platform::IniFile(TDataInfomation::IniFileOf(root.companyDir)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")),
                  QStringLiteral("2"));

        f.Wizard1->NextClick(f.Button2); // to the file page
        EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page4"));
        f.Edit4a->setText(QStringLiteral("/RC25.xml"));
        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // the root of the system drive is refused
        EXPECT_TRUE(boxes.shown.last().text.startsWith(QStringLiteral("ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(/)直下にﾌｧｲﾙは指定できません。")));
        f.Edit4a->setText(out);
        f.Wizard1->NextClick(f.Button2); // to the summary
        EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page5"));
        EXPECT_TRUE(f.Memo5b->toPlainText().contains(QStringLiteral(" 会社名        : サンプル株式会社")));
        EXPECT_TRUE(f.Memo5b->toPlainText().contains(QStringLiteral("【中間ﾌｧｲﾙ】\n ") + out));

        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // finish
        EXPECT_EQ(boxes.shown.last().text, QStringLiteral("中間ファイルが作成されました。\r"));
        EXPECT_EQ(f.ResultCode, 0);
        EXPECT_TRUE(QFileInfo(out).size() > 0);
        f.ReleaseAll();
        EXPECT_FALSE(f.DataSetOpen);
        EXPECT_FALSE(dm->IBDatabaseDEF.connected());
    }
    // The export remembers its file.
    EXPECT_EQ(platform::IniFile(THojinZeiGenkaDataExport(0, QString()).SettingsFile()).readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE")), out);
    EXPECT_TRUE(boxes.allAnswered());
}
