#include "support/TestEnv.h"
#include "support/DbFixture.h"
#include "support/FakeCaller.h"
#include "support/TmpfsMount.h"

#include "SixMethodAssets.h"

#include "app/MainForm.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "datasets/DataSentaku.h"
#include "datasets/DataSentakuList.h"
#include "datasets/Logon.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "framework/xWizard.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/NamedLock.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>

#include <deque>

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
    // What the login leaves behind: the system database open, operator 10
    // with every right, the eras loaded.
    bool logIn(TForm1 &f)
    {
        if (!dm->fnAccDefConnected(QString(), true)) return false;
        f.LoggedIn = true;
        SystemDef.OpCode = 10000 * 10000 + 10;
        SystemDef.OpLevel = 9;
        dm->LoadGengo();
        return true;
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
        ASSERT_TRUE(logIn(f));
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
        ASSERT_EQ(f.dataInfoLines().size(), 4);
        EXPECT_EQ(f.dataInfoLines().value(1), QStringLiteral("会社名=サンプル株式会社"));
        EXPECT_EQ(f.dataInfoLines().value(2), QStringLiteral("会計年度=10期"));
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
        EXPECT_EQ(platform::IniFile(TDataInfomation::IniFileOf(root.companyDir)).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")),
                  QStringLiteral("1"));
    }
    // The export remembers its file.
    EXPECT_EQ(platform::IniFile(THojinZeiGenkaDataExport(0, QString()).SettingsFile()).readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE")), out);
    EXPECT_TRUE(boxes.allAnswered());
}

namespace {

// A read-only file system for the test's life (root can write anywhere else).
class ReadOnlyMount
{
public:
    explicit ReadOnlyMount(const QString &dir) : m_dir(dir)
    {
        QDir().mkpath(dir);
        m_mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                              QStringLiteral("ro,size=64k"), QStringLiteral("tmpfs"), dir}) == 0;
    }
    ~ReadOnlyMount()
    {
        if (m_mounted) QProcess::execute(QStringLiteral("umount"), {m_dir});
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_dir;
    bool m_mounted = false;
};

} // namespace

class FilePageTest : public MainWizardTest
{
protected:
    // Logged in, the company chosen and open, on the file page.
    void toFilePage(TForm1 &f)
    {
        ASSERT_TRUE(f.FormCreate({}, program));
        ASSERT_TRUE(logIn(f));
        RunProcessHook = [this](const QString &, int, const QString &) {
            SystemDef.DataDir = root.companyDir;
            return 1;
        };
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentakuClick();
        ASSERT_TRUE(f.DataSetOpen);
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page4"));
    }
    // Next on the file page with this text: the page it ends on.
    QString next(TForm1 &f, const QString &text)
    {
        f.Edit4a->setText(text);
        f.Wizard1->NextClick(f.Button2);
        return f.Wizard1->currentWidget()->objectName();
    }
};

TEST_F(FilePageTest, AFolderThatCannotTakeTheFileIsRefusedBeforeTheRun)
{
    ScriptedMessages boxes;
    TForm1 f;
    toFilePage(f);
    const QString out = testenv::freshDir(QStringLiteral("out"));
    struct Case {
        QString text;
        const char16_t *message;
    };
    const Case cases[] = {
        {out + QStringLiteral("/missing/RC25.xml"), u"指定されたﾌｫﾙﾀﾞが見つかりません。\r"},
        {out, u"指定された中間ﾌｧｲﾙはﾌｫﾙﾀﾞです。\r"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        boxes.answer(mrOk);
        EXPECT_EQ(next(f, c.text), QStringLiteral("page4"));
        ASSERT_FALSE(boxes.shown.isEmpty());
        EXPECT_TRUE(boxes.shown.last().text.startsWith(QString::fromUtf16(c.message))) << boxes.shown.last().text.toStdString();
        EXPECT_EQ(boxes.shown.last().kind, TMsgDlgType::mtWarning);
    }
    // The login and the chosen data set are still there.
    EXPECT_TRUE(f.LoggedIn);
    EXPECT_TRUE(f.DataSetOpen);
    EXPECT_EQ(f.dataInfoLines().size(), 4);

    // "~" is the home folder.
    EXPECT_EQ(next(f, QStringLiteral("~/RC25.xml")), QStringLiteral("page5"));
    EXPECT_EQ(f.Edit4a->text(), QDir::homePath() + QStringLiteral("/RC25.xml"));
    EXPECT_TRUE(f.Memo5b->toPlainText().contains(QStringLiteral("【中間ﾌｧｲﾙ】\n ") + QDir::homePath() + QStringLiteral("/RC25.xml")));
    f.ReleaseAll();
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(FilePageTest, AReadOnlyFolderIsRefusedBeforeTheRun)
{
    ReadOnlyMount ro(testenv::sandbox() + QStringLiteral("/readonly"));
    if (!ro.mounted()) GTEST_SKIP() << "a read-only tmpfs cannot be mounted here (needs root and mount rights)";
    ScriptedMessages boxes;
    TForm1 f;
    toFilePage(f);
    boxes.answer(mrOk);
    EXPECT_EQ(next(f, testenv::sandbox() + QStringLiteral("/readonly/RC25.xml")), QStringLiteral("page4"));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("指定されたﾌｫﾙﾀﾞにはﾌｧｲﾙを書き込めません。"))) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(f.DataSetOpen);
    f.ReleaseAll();
}

TEST_F(FilePageTest, APathTheSettingsFileCannotHoldIsReported)
{
    ScriptedMessages boxes;
    const QString out = testenv::freshDir(QStringLiteral("out"));
    {
        TForm1 f;
        toFilePage(f);
        boxes.answer(mrOk);
        EXPECT_EQ(next(f, out + QStringLiteral("/보고서.xml")), QStringLiteral("page5")); // Hangul: no code page 932
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtInformation);
        EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Soltea.ini"))) << boxes.shown[0].text.toStdString();
        f.Export->KomonsakiName = QStringLiteral("サンプル株式会社");
        f.ReleaseAll();
    }
    // The other values are still written; the path is not.
    const platform::IniFile ini(THojinZeiGenkaDataExport(0, QString()).SettingsFile());
    EXPECT_EQ(ini.readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("KOMONSAKI")), QStringLiteral("サンプル株式会社"));
    EXPECT_NE(ini.readString(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("EXPORTFILE")), out + QStringLiteral("/보고서.xml"));
}

TEST_F(FilePageTest, DatabasesDataFoldersAndTheProgramsOwnFilesAreRefused)
{
    ScriptedMessages boxes;
    TForm1 f;
    toFilePage(f);
    const QString db = root.companyDir + QStringLiteral("/vqacc.fdb");
    const QByteArray dbHead = testenv::readFile(db).left(4096);
    const QString other = testenv::freshDir(QStringLiteral("other"));
    ASSERT_TRUE(QFile::link(db, other + QStringLiteral("/link.xml")));
    ASSERT_TRUE(QFile::link(root.sysDir, other + QStringLiteral("/datalink")));
    // A data folder of the list that lies outside the data root.
    const QString elsewhere = testenv::freshDir(QStringLiteral("elsewhere")) + QStringLiteral("/0009");
    QDir().mkpath(elsewhere);
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1' WHERE REC=2").arg(elsewhere));
    const QString sandboxRelative = root.companyDir.mid(testenv::sandbox().size());

    const QString database = QStringLiteral("指定されたﾌｧｲﾙはﾃﾞｰﾀﾍﾞｰｽのﾌｧｲﾙのため、中間ﾌｧｲﾙには指定できません。\r");
    const QString dataFolder = QStringLiteral("指定されたﾌｫﾙﾀﾞは会計ﾃﾞｰﾀのﾌｫﾙﾀﾞのため、中間ﾌｧｲﾙを作成できません。\r");
    const QString own = QStringLiteral("指定されたﾌｧｲﾙはｱﾌﾟﾘｹｰｼｮﾝが使用するﾌｧｲﾙのため、中間ﾌｧｲﾙには指定できません。\r");
    struct Case {
        const char *what;
        QString path;
        QString lead;
    };
    const Case cases[] = {
        {"the open company database", db, database},
        {"the open system database", root.sysDir + QStringLiteral("/vqaccdef.fdb"), database},
        {"a Firebird file by its name", other + QStringLiteral("/copy.FDB"), database},
        {"an old Firebird file by its name", other + QStringLiteral("/old.gdb"), database},
        {"a link to the company database", other + QStringLiteral("/link.xml"), database},
        {"the company database by \"..\"", other + QStringLiteral("/..") + sandboxRelative + QStringLiteral("/vqacc.fdb"), database},
        {"the data folder by \"..\"", other + QStringLiteral("/..") + sandboxRelative + QStringLiteral("/RC25.xml"), dataFolder},
        {"the data folder with doubled delimiters", root.companyDir + QStringLiteral("//sub/..//RC25.xml"), dataFolder},
        {"the data root", root.sysDir + QStringLiteral("/RC25.xml"), dataFolder},
        {"the data root through a link", other + QStringLiteral("/datalink/RC25.xml"), dataFolder},
        {"a listed data folder elsewhere", elsewhere + QStringLiteral("/RC25.xml"), dataFolder},
        {"a log file", SystemDef.LogDir + QStringLiteral("/ErrFbAccess.log"), own},
        {"the settings file", f.Export->SettingsFile(), own},
    };
    QDir().mkpath(root.companyDir + QStringLiteral("/sub"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        boxes.answer(mrOk);
        EXPECT_EQ(next(f, c.path), QStringLiteral("page4"));
        ASSERT_FALSE(boxes.shown.isEmpty());
        EXPECT_EQ(boxes.shown.last().text, c.lead + c.path + QStringLiteral("\r別のﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。\r"));
        EXPECT_EQ(boxes.shown.last().kind, TMsgDlgType::mtWarning);
        boxes.shown.clear();
    }
    EXPECT_TRUE(boxes.allAnswered());
    EXPECT_EQ(testenv::readFile(db).left(4096), dbHead);
    // A file of its own folder is taken.
    EXPECT_EQ(next(f, other + QStringLiteral("/RC25.xml")), QStringLiteral("page5"));
    EXPECT_TRUE(boxes.shown.isEmpty());
    f.ReleaseAll();
}

TEST_F(FilePageTest, SettingsThatCannotBeWrittenAreReportedWhenTheWizardCloses)
{
    ScriptedMessages boxes;
    TForm1 f;
    toFilePage(f);
    EXPECT_EQ(next(f, testenv::freshDir(QStringLiteral("out")) + QStringLiteral("/RC25.xml")), QStringLiteral("page5"));
    // The settings folder becomes a read-only place.
    TmpfsMount readOnly(f.Export->SettingsIniDir);
    if (!readOnly.mounted()) GTEST_SKIP() << "a read-only tmpfs cannot be mounted here (needs root and mount rights)";
    boxes.answer(mrOk);
    f.close();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtWarning);
    EXPECT_TRUE(boxes.shown[0].text.contains(f.Export->SettingsFile() + QStringLiteral(" に書き込めません。(読み取り専用の場所です)")))
        << boxes.shown[0].text.toStdString();
    // Said once; the end of the form writes nothing more.
    f.ReleaseAll();
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_FALSE(f.DataSetOpen);
}

TEST_F(FilePageTest, EnterThatNoControlTakesGoesToTheNextPage)
{
    ScriptedMessages boxes;
    TForm1 f;
    ASSERT_TRUE(f.FormCreate({}, program));
    ASSERT_TRUE(logIn(f));
    f.show();
    QTest::keyClick(f.Memo1b, Qt::Key_Return);
    EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page2"));
    // A focused button takes Enter itself: the data choice opens.
    int runs = 0;
    RunProcessHook = [&](const QString &, int, const QString &) {
        ++runs;
        return 2;
    };
    f.btnDataSentaku->setFocus();
    QTest::keyClick(f.btnDataSentaku, Qt::Key_Return);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page2"));
    // With nothing chosen the page refuses to be left, by Enter as by the button.
    boxes.answer(mrOk);
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_EQ(f.Wizard1->currentWidget()->objectName(), QStringLiteral("page2"));
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(MainWizardTest, AnOldDataVersionIsAskedAboutAndReleased)
{
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCVERSION SET MAJOR=10,MINOR1=5,MINOR2=0"));
    dm->IBDatabaseDAT.close();
    ScriptedMessages boxes;
    TForm1 f;
    ASSERT_TRUE(f.FormCreate({}, program));
    ASSERT_TRUE(logIn(f));
    int runs = 0;
    RunProcessHook = [&](const QString &, int, const QString &) {
        ++runs;
        SystemDef.DataDir = root.companyDir;
        return 1;
    };
    const QString status = TDataInfomation::IniFileOf(root.companyDir);
    // First answer: choose again (the same old data set), then give up.
    boxes.answer(mrOk);
    boxes.answer(mrCancel);
    f.btnDataSentakuClick();
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このプログラムで処理できるデータバージョンに達していません。\rデータバージョン:11.0.0以降")));
    EXPECT_FALSE(f.DataSetOpen);
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(f.dataInfoLines().size(), 0);
    EXPECT_EQ(platform::IniFile(status).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("1"));
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(MainWizardTest, CancellingTheScreenKeepsTheChosenDataSetOpen)
{
    ScriptedMessages boxes;
    TForm1 f;
    ASSERT_TRUE(f.FormCreate({}, program));
    ASSERT_TRUE(logIn(f));
    int answer = 1;
    RunProcessHook = [&](const QString &, int, const QString &) {
        if (answer == 1) SystemDef.DataDir = root.companyDir;
        return answer; // a cancelled screen leaves the folder as it was
    };
    const QString status = TDataInfomation::IniFileOf(root.companyDir);
    f.btnDataSentakuClick();
    ASSERT_TRUE(f.DataSetOpen);
    answer = 2;
    f.btnDataSentakuClick(); // releases the data set, then the screen is cancelled
    EXPECT_TRUE(f.DataSetOpen);
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(SystemDef.DataDir, root.companyDir);
    EXPECT_EQ(f.dataInfoLines().size(), 4);
    EXPECT_EQ(platform::IniFile(status).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("2"));
    EXPECT_TRUE(f.CheckDataSelected());
    f.ReleaseAll();
    EXPECT_EQ(platform::IniFile(status).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("1"));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(MainWizardTest, ASharedDataSetIsFetchedForTheRunAndStoredBackAtTheEnd)
{
    const QString area = testenv::freshDir(QStringLiteral("share")) + QStringLiteral("/data/sv0001");
    CreateCompanyDatabase(area, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET PASNAME='%1',NETDRIVE=1,KYOYULOCK=0,ENTTEXT='共有商事',"
                                                  "KISHU='2025-04-01',KIMATU='2026-03-31' WHERE REC=12").arg(area));
    auto lockOf = [this] { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT KYOYULOCK FROM DATALIST WHERE REC=12")); };
    ScriptedMessages boxes;
    TForm1 f;
    ASSERT_TRUE(f.FormCreate({}, program));
    ASSERT_TRUE(logIn(f));
    QList<int> answers;
    RunProcessHook = [&](const QString &, int, const QString &) {
        const int a = answers.takeFirst();
        if (a == 1) SystemDef.DataDir = slot(12); // the work folder of the shared row
        return a;
    };

    // Without the automation the data set must be fetched by hand first.
    SystemDef.SysDef.KyoyuDataAuto = 0;
    answers = {1, 2};
    boxes.answer(mrOk);
    f.btnDataSentakuClick();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("このデータは共有取得が行われていません。データ選択画面を開きます。"));
    EXPECT_TRUE(answers.isEmpty()); // the screen opened again
    EXPECT_FALSE(f.DataSetOpen);
    EXPECT_EQ(lockOf(), QStringLiteral("0"));

    // With it, the area is fetched, opened, and stored back when the wizard ends.
    SystemDef.SysDef.KyoyuDataAuto = 1;
    answers = {1};
    f.btnDataSentakuClick();
    ASSERT_TRUE(f.DataSetOpen);
    EXPECT_EQ(lockOf(), QStringLiteral("1"));
    EXPECT_EQ(f.dataInfoLines().size(), 4);
    f.ReleaseAll();
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    EXPECT_EQ(lockOf(), QStringLiteral("0"));
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniFileOf(area)).readString(QStringLiteral("DATASTS"), QStringLiteral("SHARE_STATUS")),
              QStringLiteral("1"));
    EXPECT_EQ(boxes.shown.size(), 1);
    SystemDef.SysDef.KyoyuDataAuto = 0;
}

// ---------------------------------------------------------------- the whole program

namespace {

// Stands in for the data-selection screen: chooses the company folder.
class FakeDataSelection : public QWidget, public IProcessForm
{
    Q_OBJECT
public:
    explicit FakeDataSelection(QWidget *parent = nullptr) : QWidget(parent) {}
    int Execute(bool) override
    {
        ++runs;
        SystemDef.DataDir = chosen;
        deleteLater();
        return 1;
    }
    void SetParams(const QStringList &p) override { params = p; }

    static inline QString chosen;
    static inline QStringList params;
    static inline int runs = 0;
};

// Counts the wizard windows that were shown.
class ShowCounter : public QObject
{
public:
    ShowCounter() { qApp->installEventFilter(this); }
    ~ShowCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && qobject_cast<TForm1 *>(o)) ++shown;
        return false;
    }
    int shown = 0;
};

TForm1 *theWizard()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *f = qobject_cast<TForm1 *>(w)) return f;
    return nullptr;
}

QString pageOf(TForm1 &f)
{
    return f.Wizard1->currentWidget()->objectName();
}

// Saved beside the test program, to be looked at.
void screenshot(QWidget &w, const QString &name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(dir + u'/' + name + QStringLiteral(".png"))) << name.toStdString();
}

class ProgramTest : public MainWizardTest
{
protected:
    void SetUp() override
    {
        MainWizardTest::SetUp();
        setVersion(QStringLiteral("11.2.0"));
        // The application ini of this computer: stand-alone, on the fixture's data root.
        const QString dataRoot = ExcludePathDelim(platform::commonAppDataDir()) + u'/' + NativePath(AppInfo.Rirev.HomeDir);
        QDir().mkpath(dataRoot);
        platform::IniFile ini(dataRoot + u'/' + AppInfo.Rirev.AppName + QStringLiteral(".ini"));
        ini.writeString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), QStringLiteral("0"));
        ini.writeString(QStringLiteral("LOCAL"), QStringLiteral("HOSTNAME"), QString());
        ini.writeString(QStringLiteral("LOCAL"), QStringLiteral("SYSDIR"), root.sysDir);
        ini.writeString(QStringLiteral("LOCAL"), QStringLiteral("USER"), QStringLiteral("DORVEL"));
        ini.writeString(QStringLiteral("LOCAL"), QStringLiteral("PASSWORD"), QStringLiteral("zoltup"));

        saved = ProcessRegistry();
        ProcessRegistry().clear();
        RegisterProcessClass<FakeDataSelection>(QStringLiteral("QmDataSenkaku"));
        FakeDataSelection::chosen = root.companyDir;
        FakeDataSelection::runs = 0;
        socket = QStringLiteral("soltea-wizard-caller-%1").arg(QCoreApplication::applicationPid());
    }
    void TearDown() override
    {
        ProcessRegistry() = saved;
        MainWizardTest::TearDown();
    }

    // Runs the program; the login is answered with operator 10 and the empty
    // password (or cancelled), then drive() works the wizard inside the loop.
    int runProgram(const QStringList &args, bool login, std::function<void(TForm1 &)> drive = {})
    {
        const auto previous = ModalRunner;
        ModalRunner = [&](QDialog &d) {
            if (auto *box = qobject_cast<TDataSentakuBox *>(&d)) return selectData(*box);
            auto *logon = qobject_cast<TLogonBox *>(&d);
            EXPECT_NE(logon, nullptr) << "an unexpected dialog";
            if (!logon || !login) return 2;
            logon->show();
            if (drive) screenshot(*logon, QStringLiteral("login"));
            logon->txtOpCode->setText(QStringLiteral("10"));
            logon->txtPassword->clear();
            logon->OKBtnClick();
            if (logon->result() == 1 && drive)
                QMetaObject::invokeMethod(qApp, [drive] {
                    TForm1 *f = theWizard();
                    ASSERT_NE(f, nullptr);
                    drive(*f);
                }, Qt::QueuedConnection);
            return logon->result();
        };
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the wizard did not end";
            QCoreApplication::exit(99);
        });
        watchdog.start(120000);
        const int rc = RunWizardProgram(args, program);
        ModalRunner = previous;
        return rc;
    }
    QString callerArg(const QString &file) const { return socket + QStringLiteral(",32769,5,") + file; }

    // The real data-selection screen, worked by the next queued step.
    int selectData(TDataSentakuBox &box)
    {
        box.show();
        QApplication::processEvents();
        if (selections.empty()) {
            ADD_FAILURE() << "the data-selection screen opened once too often";
            box.done(2);
        } else {
            auto step = std::move(selections.front());
            selections.pop_front();
            step(box);
            if (box.isVisible()) box.done(2);
        }
        return box.result();
    }
    static QStringList listedData(const TDataSentakuBox &box)
    {
        QStringList names;
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i) names << box.PerfectGrid1->item(i, dcName)->text();
        return names;
    }
    static void choose(TDataSentakuBox &box, const QString &name)
    {
        const int row = listedData(box).indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        box.PerfectGrid1->setCurrentCell(row, dcName);
        box.F12->click();
    }
    QString statusOf(int rec) const
    {
        return platform::IniFile(TDataInfomation::IniFileOf(slot(rec))).readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS"));
    }

    std::deque<std::function<void(TDataSentakuBox &)>> selections;

    void makeCompany()
    {
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='A&B<C>D㈱'"));
        for (const AssetRow &r : SixMethodAssets()) exec(QStringLiteral("ACCDAT"), AssetInsertSql(r));
        dm->IBDatabaseDAT.close();
    }

    // The written file equals the export's expected file but for the caller's number.
    void expectTheExpectedFile(const QString &path, int functionId)
    {
        QStringList actual = flatten(platform::fromCp932(testenv::readFile(path)));
        QStringList expected = flatten(platform::fromCp932(testenv::readFile(QStringLiteral(APP_FIXTURES_DIR "/six-methods.xml"))));
        const QString id = QStringLiteral("REPORT/SYSTEM/FUNCTIONID=");
        EXPECT_EQ(expected.removeAll(id + u'7'), 1);
        EXPECT_EQ(actual.removeAll(id + QString::number(functionId)), 1) << actual.filter(id).join(u' ').toStdString();
        ASSERT_EQ(actual.size(), expected.size());
        for (qsizetype i = 0; i < actual.size(); ++i)
            if (actual[i] != expected[i]) {
                ADD_FAILURE() << "line " << i << ": " << actual[i].toStdString() << " != " << expected[i].toStdString();
                break;
            }
    }

    TProcessRegistry saved;
    QString socket;
};

QStringList answered(int result, bool disabledFirst = true)
{
    QStringList lines;
    if (disabledFirst) lines << QStringLiteral("DISABLE");
    return lines << QStringLiteral("ENABLE") << QStringLiteral("FOREGROUND") << QStringLiteral("POST 32769 5 %1").arg(result);
}

} // namespace

TEST_F(ProgramTest, AloneWritesTheFileOfTheExportTests)
{
    makeCompany();
    ScriptedMessages boxes;
    const QString out = testenv::freshDir(QStringLiteral("alone")) + QStringLiteral("/RC25.xml");
    const int rc = runProgram({}, true, [&](TForm1 &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("連結納税のソルテア（平成25年度版 以降） from ドルベル財務（減価償却）"));
        screenshot(f, QStringLiteral("page1"));
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        EXPECT_EQ(FakeDataSelection::params.last(), QStringLiteral("FormStyle=2"));
        EXPECT_EQ(f.dataInfoLines().size(), 4);
        screenshot(f, QStringLiteral("page2"));
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page4"));
        f.Edit4a->setText(out);
        screenshot(f, QStringLiteral("page4"));
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page5"));
        screenshot(f, QStringLiteral("page5"));
        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // finish: the file, the box, the window closes
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(FakeDataSelection::runs, 1);
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("中間ファイルが作成されました。\r"));
    expectTheExpectedFile(out, 1); // alone the export names function 1
    EXPECT_FALSE(dm->IBDatabaseDEF.connected()); // the login was released
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(ProgramTest, FromLoginThroughTheDataSelectionScreenToTheFile)
{
    ProcessRegistry() = saved; // the real data-selection screen
    // Three data sets: the company with its assets, a sole proprietor, and a
    // company still on 10.5.0.
    makeCompany();
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    describeDataSet(1, QStringLiteral("サンプル商事"), 1, 11, 0, QStringLiteral("A001"));
    addCompany(2);
    describeDataSet(2, QStringLiteral("個人事業 田中"), 2, 11, 0, QStringLiteral("B002"));
    addCompany(3);
    setCompanyVersion(slot(3), 10, 5, 0);
    describeDataSet(3, QStringLiteral("旧版商事"), 1, 10, 5, QStringLiteral("C003"));
    dm->IBDatabaseDEF.close(); // the login opens it

    ScriptedMessages boxes;
    const QString out = testenv::freshDir(QStringLiteral("selected")) + QStringLiteral("/RC25.xml");
    QStringList firstList, secondList;
    QString heldWhileOpen, oldAfterQuestion;
    // First opening: only the company the conditions allow; closed with Esc.
    selections.push_back([&](TDataSentakuBox &box) {
        firstList = listedData(box);
        box.ESC->click();
    });
    // Second: the list still takes the old company for 11.0 (as after the
    // company was put back from an old backup); choosing it is refused by the
    // wizard's own version check.
    selections.push_back([&](TDataSentakuBox &box) {
        secondList = listedData(box);
        choose(box, QStringLiteral("旧版商事"));
    });
    // Third, after "choose again": the right company.
    selections.push_back([&](TDataSentakuBox &box) { choose(box, QStringLiteral("サンプル商事")); });

    const int rc = runProgram({}, true, [&](TForm1 &f) {
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        EXPECT_FALSE(f.DataSetOpen);
        EXPECT_EQ(f.dataInfoLines().size(), 0);

        exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET VER_MAJOR=11,VER_MINOR1=0,VER_TEXT='11.0.0' WHERE REC=3"));
        boxes.answer(mrOk); // choose again
        f.btnDataSentaku->click();
        oldAfterQuestion = statusOf(3);
        ASSERT_TRUE(f.DataSetOpen);
        heldWhileOpen = statusOf(1);
        EXPECT_EQ(f.dataInfoLines().size(), 4);
        EXPECT_TRUE(f.dataInfoLines().value(0).startsWith(QStringLiteral("データ区分=法人"))) << f.dataInfoLines().value(0).toStdString();
        EXPECT_EQ(f.dataInfoLines().value(1), QStringLiteral("会社名=A&B<C>D㈱"));
        EXPECT_EQ(f.dataInfoLines().value(2), QStringLiteral("会計年度=10期"));
        EXPECT_TRUE(f.dataInfoLines().value(3).startsWith(QStringLiteral("会計期間=")));
        screenshot(f, QStringLiteral("page2-chosen"));

        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page4"));
        f.Edit4a->setText(out);
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page5"));
        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // finish
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(firstList, QStringList({QStringLiteral("サンプル商事")}));
    EXPECT_EQ(secondList, QStringList({QStringLiteral("サンプル商事"), QStringLiteral("旧版商事")}));
    EXPECT_TRUE(selections.empty());
    ASSERT_GE(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このプログラムで処理できるデータバージョンに達していません。")));
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("中間ファイルが作成されました。\r"));
    EXPECT_EQ(oldAfterQuestion, QStringLiteral("1")); // released again
    EXPECT_EQ(heldWhileOpen, QStringLiteral("2"));   // in use while the wizard holds it
    EXPECT_EQ(statusOf(1), QStringLiteral("1"));     // released when the wizard closed
    expectTheExpectedFile(out, 1);
    EXPECT_TRUE(boxes.allAnswered());
}

// The company step 11.0.0 as its script files will hold it: stamped first.
static int StandInStep1100()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 11, 0, 0);
    script.BeginStampFirst(true);
    script.Add(QStringLiteral("SELECT COUNT(*) FROM ACCDEF1;"));
    script.EndStampFirst();
    return script.Run();
}

// A company data set still on 10.0.5: the upgrade dialog lists its one
// pending step and runs it through the SQL tool; the data set is then listed
// for the wizard, opened and exported.
TEST_F(ProgramTest, AnOldDataSetUpgradedByTheDialogIsOpenedAndExported)
{
    if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
    ProcessRegistry() = saved; // the real data-selection screen
    makeCompany();
    setCompanyVersion(root.companyDir, 10, 0, 5);
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    describeDataSet(1, QStringLiteral("サンプル商事"), 1, 10, 0, QStringLiteral("A001"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET VER_MINOR2=5,VER_TEXT='10.0.5' WHERE REC=1"));

    // The data set as the program holds it when the dialog runs.
    SystemDef.DataDir = root.companyDir;
    SystemDef.TempDir = root.root + QStringLiteral("/temp-data");
    SystemDef.SqlDir = QStringLiteral(PROJECT_RESOURCES_DIR "/sqlsteps");
    InstallDataListRowUpdater();
    TArrayDbUpdateListRec steps = UserDbUpdateSteps();
    // Until the step's script files are carried, a stand-in writes its script.
    if (steps.back().UpdateProc == &DbUpdateScriptUnavailable) steps.back().UpdateProc = &StandInStep1100;
    ScriptedMessages boxes;
    {
        TDbUpdateBox box(SystemDbUpdateSteps(), steps);
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        box.SetUpdateList(1, QString());
        ASSERT_EQ(box.ListView1->rowCount(), 1);
        EXPECT_EQ(box.ListView1->item(0, 0)->text(), QStringLiteral("11.0.0"));
        EXPECT_EQ(box.ListView1->item(0, 1)->text(), QStringLiteral("取引明細ファイルのインポートの機能強化 他"));
        box.show();
        box.cboxAgree->setChecked(true);
        screenshot(box, QStringLiteral("dbupdate-1100"));
        box.btnOk->click();
        EXPECT_EQ(box.result(), 1);
        EXPECT_EQ(box.RowStatus(0), QStringLiteral("完了"));
        screenshot(box, QStringLiteral("dbupdate-1100-done"));
    }
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT MAJOR||'.'||MINOR1||'.'||MINOR2 FROM ACCVERSION WHERE REC=1")),
              QStringLiteral("11.0.0"));
    // Closing the upgraded data set wrote its list row.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT VER_MAJOR||'.'||VER_MINOR1||'.'||VER_MINOR2 FROM DATALIST WHERE REC=1")),
              QStringLiteral("11.0.0"));
    dm->fnAccDatDisConnected(root.companyDir, false, false);
    dm->IBDatabaseDEF.close(); // the login opens it

    QStringList listed;
    selections.push_back([&](TDataSentakuBox &box) {
        listed = listedData(box);
        choose(box, QStringLiteral("サンプル商事"));
    });
    const QString out = testenv::freshDir(QStringLiteral("upgraded")) + QStringLiteral("/RC25.xml");
    const int rc = runProgram({}, true, [&](TForm1 &f) {
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        ASSERT_TRUE(f.DataSetOpen);
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page4"));
        f.Edit4a->setText(out);
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page5"));
        boxes.answer(mrOk);
        f.Wizard1->NextClick(f.Button2); // finish
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(listed, QStringList({QStringLiteral("サンプル商事")}));
    EXPECT_TRUE(selections.empty());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown.last().text, QStringLiteral("中間ファイルが作成されました。\r"));
    expectTheExpectedFile(out, 1);
}

TEST_F(ProgramTest, EscAfterARefusalLeavesTheOtherOperatorsDataSetAlone)
{
    ProcessRegistry() = saved; // the real data-selection screen
    makeCompany();
    ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    describeDataSet(1, QStringLiteral("サンプル商事"), 1, 11, 0, QStringLiteral("A001"));
    // The operator's last data set, which another operator holds now.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO SYSDEF (OPCODE, DataDir) VALUES (100000010, '%1')").arg(slot(1)));
    dm->IBDatabaseDEF.close();
    holdByAnotherOperator(slot(1), 100000007, QStringLiteral("佐藤"));

    ScriptedMessages boxes;
    bool refusedAndOpen = false;
    selections.push_back([&](TDataSentakuBox &box) {
        boxes.answer(mrOk); // the lock report of the choice
        choose(box, QStringLiteral("サンプル商事"));
        refusedAndOpen = box.isVisible();
        boxes.answer(mrOk); // and of the previous folder, checked again on leaving
        box.ESC->click();
    });
    QString openedWith;
    bool open = true, connected = true;
    QStringList summary{QStringLiteral("not read")};
    runProgram({}, true, [&](TForm1 &f) {
        openedWith = SystemDef.DataDir;
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        open = f.DataSetOpen;
        connected = DM->IBDatabaseDAT.connected();
        summary = f.dataInfoLines();
        boxes.answer(mrYes);
        f.btnCancel->click();
    });
    EXPECT_EQ(openedWith, slot(1)); // the operator's settings named it
    EXPECT_TRUE(refusedAndOpen);
    EXPECT_FALSE(open);
    EXPECT_FALSE(connected);
    EXPECT_TRUE(summary.isEmpty());
    const platform::IniFile ini(TDataInfomation::IniFileOf(slot(1)));
    EXPECT_EQ(ini.readString(QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("2"));
    EXPECT_EQ(ini.readString(QStringLiteral("DATASTS"), QStringLiteral("OPCODE")), QStringLiteral("100000007"));
    EXPECT_EQ(ini.readString(QStringLiteral("DATASTS"), QStringLiteral("OPERATOR")), QStringLiteral("佐藤"));
    EXPECT_TRUE(boxes.allAnswered());
}

TEST_F(ProgramTest, CallerGetsTheFileAndResultZero)
{
    makeCompany();
    ScriptedMessages boxes;
    FakeCaller caller(socket);
    const QString out = testenv::freshDir(QStringLiteral("called")) + QStringLiteral("/RC25.xml");
    const int rc = runProgram({callerArg(out)}, true, [&](TForm1 &f) {
        EXPECT_EQ(caller.lines(1), QStringList({QStringLiteral("DISABLE")}));
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        f.Wizard1->NextClick(f.Button2); // no file page
        ASSERT_EQ(pageOf(f), QStringLiteral("page5"));
        EXPECT_TRUE(f.Memo5b->toPlainText().contains(QStringLiteral(" 会社名        : A&B<C>D㈱")));
        f.Wizard1->NextClick(f.Button2); // finish: no box with a caller
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(caller.lines(4), answered(0));
    expectTheExpectedFile(out, 5);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ProgramTest, ACallersFileOnTheCompanyDatabaseIsRefused)
{
    makeCompany();
    ScriptedMessages boxes;
    FakeCaller caller(socket);
    const QString db = root.companyDir + QStringLiteral("/vqacc.fdb");
    boxes.answer(mrOk); // the refusal
    boxes.answer(mrOk); // the failed run
    runProgram({callerArg(db)}, true, [&](TForm1 &f) {
        f.Wizard1->NextClick(f.Button2);
        f.btnDataSentaku->click();
        f.Wizard1->NextClick(f.Button2);
        ASSERT_EQ(pageOf(f), QStringLiteral("page5"));
        f.Wizard1->NextClick(f.Button2); // finish
    });
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("指定されたﾌｧｲﾙはﾃﾞｰﾀﾍﾞｰｽのﾌｧｲﾙのため、中間ﾌｧｲﾙには指定できません。\r") + db + u'\r');
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("中間ファイルの作成に失敗しました。\r"));
    EXPECT_EQ(caller.lines(4), answered(2));
    // Still the engine's file: its header page (type 1, 8 KB pages, ODS 12), not XML.
    const QByteArray head = testenv::readFile(db).left(64);
    ASSERT_EQ(head.size(), 64);
    EXPECT_EQ(head.at(0), 1);
    EXPECT_EQ(head.mid(0x10, 4), QByteArray("\x00\x20\x0c\x80", 4));
}

TEST_F(ProgramTest, CancelAsksAndPostsOne)
{
    ScriptedMessages boxes;
    FakeCaller caller(socket);
    runProgram({callerArg(QStringLiteral("/nowhere/x.xml"))}, true, [&](TForm1 &f) {
        boxes.answer(mrNo);
        f.btnCancel->click(); // No: the wizard stays
        EXPECT_TRUE(f.isVisible());
        boxes.answer(mrYes);
        f.btnCancel->click();
    });
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("[キャンセル]ボタンが押されました。\r連動データの作成ウィザードを終了してもよろしいですか？\r"));
    EXPECT_EQ(boxes.shown[1].buttons, mbYes | mbNo);
    EXPECT_EQ(caller.lines(4), answered(1));
}

TEST_F(ProgramTest, EveryRefusedStartAnswersTheCallerWithTwo)
{
    struct Case {
        const char *what;
        const char *heldLock;      // a mark another program holds
        const char *version;       // the installed package's version
        bool secondArgument;
        bool programWithoutIdentity;
        bool loginRefused;
        const char16_t *text;      // the box (nullptr: none)
        bool disabledFirst;        // the argument was read before the end
    };
    const Case cases[] = {
        {"package runs", "CORVENA000", "11.2.0", false, false, false, u"Novaris財務が起動しています。同時に起動することは出来ません。", false},
        {"second copy", "SOLTEA_RENDO", "11.2.0", false, false, false, u"アプリケーションは既に起動しています。", false},
        {"two arguments", nullptr, "11.2.0", true, false, false, u"不正な引数が渡されました。\r\rアプリケーションを強制終了します。", false},
        {"no AppInfo.ini", nullptr, "11.2.0", false, true, false,
         u"アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。\rアプリケーションを強制終了します。", true},
        {"old package", nullptr, "10.9.99", false, false, false,
         u"このアプリケーションはインストールされている「ドルベル財務」のバージョンに対応していません。\rバージョン:11.0.0以降をインストールしてください。\r\rアプリケーションを強制終了します。", true},
        {"login refused", nullptr, "11.2.0", false, false, true, nullptr, true},
    };
    const QString good = program;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        setVersion(QLatin1String(c.version));
        program = c.programWithoutIdentity ? testenv::sandbox() + QStringLiteral("/nowhere/soltea-rendo") : good;
        platform::NamedLock other(c.heldLock ? QLatin1String(c.heldLock) : QStringLiteral("unused"));
        if (c.heldLock) {
            ASSERT_TRUE(other.tryAcquire());
        }
        ScriptedMessages boxes;
        if (c.text) boxes.answer(mrOk);
        FakeCaller caller(socket);
        ShowCounter windows;
        QStringList args{callerArg(QStringLiteral("/nowhere/x.xml"))};
        if (c.secondArgument) args << QStringLiteral("extra");
        EXPECT_EQ(runProgram(args, !c.loginRefused), 1);
        if (c.text) {
            ASSERT_EQ(boxes.shown.size(), 1);
            EXPECT_EQ(boxes.shown[0].text, QString::fromUtf16(c.text));
        } else {
            EXPECT_TRUE(boxes.shown.isEmpty());
        }
        EXPECT_EQ(windows.shown, c.loginRefused ? 1 : 0);
        EXPECT_EQ(caller.lines(4), answered(2, c.disabledFirst));
        EXPECT_FALSE(platform::NamedLock::isHeld(QStringLiteral("SOLTEA_RENDO")) && !c.heldLock);
    }
    program = good;
}

#include "WizardTest.moc"
