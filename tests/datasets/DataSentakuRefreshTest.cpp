// The data-selection screen's upkeep of its list: the refresh from the data
// folders, the incremental search, the upgrade test, the detail dialog and
// what it changes, and the keys and buttons that act.
#include "support/TestEnv.h"

#include "datasets/DataSentaku.h"
#include "datasets/DataSyosaiInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "framework/DorvelEdit.h"
#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "support/DbFixture.h"
#include "support/HeldDataSet.h"
#include "support/SchemaTemplates.h"
#include "../framework/FrameworkTestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <map>
#include <set>

namespace {

class DataSentakuRefreshTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DataRootDir = root.root;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("datatemp"));
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef());
        InstallDataInfoHooks();
        m_runner = ModalRunner;
        describeDataSet(1, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
        addCompany(2);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
        addCompany(3);
        setCompanyVersion(slot(3), 10, 5, 0);
        describeDataSet(3, QStringLiteral("旧版商事"), 1, 10, 5, QStringLiteral("C003"));
        SystemDef.DataDir = slot(1);
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        DbFixture::TearDown();
    }
    // The screen of processing type `type`, prepared as Execute prepares it.
    std::unique_ptr<TDataSentakuBox> screen(int type)
    {
        auto box = std::make_unique<TDataSentakuBox>();
        box->KeepOnClose = true;
        box->SetParams({QStringLiteral("SyoriType=%1").arg(type)});
        box->Prepare(true);
        return box;
    }
    static int rowOf(const TDataSentakuBox &box, const QString &folder)
    {
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
            if (box.RowFolderPath(i) == folder) return i;
        return -1;
    }
    // Lets the events run until the condition holds or the time is up.
    static void pump(const std::function<bool()> &done, int milliseconds)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < milliseconds) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
    }
    static QString iniValue(const QString &folder, const QString &section, const QString &key)
    {
        return platform::IniFile(TDataInfomation::IniFileOf(folder)).readString(section, key);
    }
    std::function<int(QDialog &)> m_runner;
};

} // namespace

TEST(DataSentakuRefreshRules, TheInformationOfAFolderOnItsListRecord)
{
    SystemDef.GroupNo = 10000;
    SystemDef.OpCode = 10000 * 10000 + 10;
    TDataInfomationRec info;
    info.Code = QStringLiteral("K01");
    info.Shougou = QStringLiteral("株式会社①");
    info.Nendo = 12;
    info.Kishu = QStringLiteral("2025/04/01");
    info.Kimatu = QStringLiteral("2026/03/31");
    info.DataKbn = 1;
    info.CodeKbn = 1;
    info.Status = 3;
    info.OpCode = 10000 * 10000 + 7;
    info.ShareStatus = 2;
    info.ShareOpCode = SystemDef.OpCode;
    info.VerMajor = 11;
    info.VerLabel = QStringLiteral("11.0");
    info.UpdateLock = 1;
    info.GassanKbn = 1;

    TDataListRec r;
    r.REC = 7;
    r.PASNAME = QStringLiteral("/d/0007");
    r.ENTTEXT = QStringLiteral("一覧の名前");
    r.DATA_STATUS = 1;
    SetListRecFromInfo(info, r, false);
    EXPECT_EQ(r.REC, 7);
    EXPECT_EQ(r.ENTTEXT, QStringLiteral("一覧の名前")); // the list keeps its own name
    EXPECT_EQ(r.DispName, r.ENTTEXT);
    EXPECT_EQ(r.SHOUGOU, info.Shougou);
    EXPECT_EQ(r.KISHU, QDate(2025, 4, 1));
    EXPECT_EQ(r.KIMATU, QDate(2026, 3, 31));
    EXPECT_FALSE(r.KikanText.isEmpty());
    EXPECT_EQ(r.DATALOCK, 7);
    EXPECT_EQ(r.KYOYULOCK, 1);
    EXPECT_EQ(r.UPDATE_LOCK, 1);
    EXPECT_EQ(r.GASSAN, 1);

    // An empty name becomes the company name, and so does a free area's name on a shared row.
    for (const auto &[netDrive, name, expected] :
         {std::tuple{0, "", "株式会社①"}, std::tuple{1, "空き領域", "株式会社①"}, std::tuple{0, "空き領域", "空き領域"}}) {
        TDataListRec s;
        s.NETDRIVE = netDrive;
        s.ENTTEXT = QString::fromUtf8(name);
        info.Kimatu = QStringLiteral("not a date");
        SetListRecFromInfo(info, s, false);
        EXPECT_EQ(s.ENTTEXT, QString::fromUtf8(expected)) << name;
        EXPECT_TRUE(s.KikanText.isEmpty());
    }

    // Reset: an empty row, a shared one a free area; number, folder and damaged mark stay.
    SetListRecFromInfo(info, r, true);
    EXPECT_EQ(r.REC, 7);
    EXPECT_EQ(r.PASNAME, QStringLiteral("/d/0007"));
    EXPECT_EQ(r.DATA_STATUS, 1);
    EXPECT_TRUE(r.ENTTEXT.isEmpty());
    EXPECT_TRUE(r.SHOUGOU.isEmpty());
    EXPECT_EQ(r.NENDO, 1);
    EXPECT_FALSE(r.KISHU.isValid());
    EXPECT_EQ(r.GASSAN, 0);
    TDataListRec shared;
    shared.NETDRIVE = 1;
    shared.ENTTEXT = QStringLiteral("本社");
    SetListRecFromInfo(info, shared, true);
    EXPECT_EQ(shared.ENTTEXT, QStringLiteral("空き領域"));
    EXPECT_EQ(shared.DispName, QStringLiteral("空き領域"));
    EXPECT_EQ(shared.KYOYULOCK, 1);
    SystemDef = TSystemDef();
}

TEST(DataSentakuRefreshRules, KeysOfTheIncrementalSearch)
{
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_1, Qt::NoModifier), QChar(u'1'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_B, Qt::NoModifier), QChar(u'B'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_7, Qt::KeypadModifier), QChar(u'7'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_Asterisk, Qt::KeypadModifier), QChar(u'*'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_Colon, Qt::NoModifier), QChar(u':'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_At, Qt::NoModifier), QChar(u'@'));
    EXPECT_EQ(IncSearchKeyChar(Qt::Key_Backslash, Qt::NoModifier), QChar(u'\\'));
    for (int key : {int(Qt::Key_Space), int(Qt::Key_Return), int(Qt::Key_Down), int(Qt::Key_F5), int(Qt::Key_Escape)})
        EXPECT_TRUE(IncSearchKeyChar(key, Qt::NoModifier).isNull()) << key;
    EXPECT_TRUE(IncSearchKeyChar(Qt::Key_C, Qt::ControlModifier).isNull());
}

// Every key state the captions can take, shown on the screen: a key or button
// that is enabled has a command behind it, and a click runs exactly that one.
TEST_F(DataSentakuRefreshTest, NoKeyOrButtonIsEnabledWithoutACommandBehindIt)
{
    std::set<QString> seen;
    QList<TDataKeyState> states;
    const std::pair<int, int> kinds[] = {{0, 0}, {1, 1}, {2, 2}, {10, 1}, {10, 2}};
    const char *names[] = {"", "空き領域", "新しい領域", "本社"};
    for (int mode = 0; mode <= 2; ++mode)
        for (int type = 0; type <= 5; ++type)
            for (int flags = 0; flags < (1 << 9); ++flags)
                for (const auto &[gassan, parent] : kinds)
                    for (const char *name : names) {
                        TDataKeyInput in;
                        in.ConnectMode = mode;
                        in.SyoriType = type;
                        in.GridActive = flags & 1;
                        in.GridEnabled = flags & 2;
                        in.HasRow = flags & 4;
                        in.CopyPending = flags & 8;
                        in.KyoyuAutoVisible = flags & 16;
                        in.KyoyuAuto = flags & 32;
                        in.NETDRIVE = (flags & 64) ? 1 : 0;
                        in.KYOYULOCK = (flags & 128) ? 1 : 0;
                        in.DATA_STATUS = (flags & 256) ? 1 : 0;
                        in.GASSAN = gassan;
                        in.ParentGASSAN = parent;
                        in.ENTTEXT = QString::fromUtf8(name);
                        const TDataKeyState s = ComputeDataSentakuKeys(in);
                        const QString key = s.Captions.join(u'|') + QStringLiteral("|%1%2%3%4")
                                                .arg(s.KeyState).arg(s.KyoyuUpEnabled).arg(s.KyoyuDownEnabled).arg(s.SearchEnabled);
                        if (seen.insert(key).second) states << s;
                    }
    ASSERT_GT(states.size(), 20);

    auto box = screen(0);
    // The commands the screen carries, replaced by recorders; the missing stay missing.
    int ran = -1;
    for (int k = dkF1; k <= dkF8; ++k)
        if (box->KeyCommands[k]) box->KeyCommands[k] = [&ran, k] { ran = k; };
    bool kyoyuRan = false;
    // The screen carries its shared-data commands; a build without them keeps both buttons off.
    EXPECT_TRUE(bool(box->KyoyuUpCommand));
    EXPECT_TRUE(bool(box->KyoyuDownCommand));
    for (bool withKyoyu : {false, true}) {
        SCOPED_TRACE(withKyoyu ? "with the shared-data commands" : "without them");
        if (withKyoyu) {
            box->KyoyuUpCommand = [&] { kyoyuRan = true; };
            box->KyoyuDownCommand = [&] { kyoyuRan = true; };
        } else {
            box->KyoyuUpCommand = nullptr;
            box->KyoyuDownCommand = nullptr;
        }
        for (const TDataKeyState &s : states) {
            box->ApplyKeyState(s);
            for (int k = dkF1; k <= dkF8; ++k) {
                box->ApplyKeyState(s); // an acting key shows the screen's own state afterwards
                TxPlButton *b = box->Keys[k];
                if (b->isEnabled()) {
                    ASSERT_TRUE(bool(box->KeyCommands[k])) << b->CaptionA().Caption().toStdString();
                    EXPECT_EQ(b->CaptionA().Caption(), s.Captions[k]);
                } else {
                    EXPECT_TRUE(IsBareKeyCaption(b->CaptionA().Caption()) || !box->KeyCommands[k]);
                }
                // The key's state before the press: an acting key recomputes them all afterwards.
                const bool enabled = b->isEnabled();
                const QString caption = b->CaptionA().Caption();
                ran = -1;
                box->F1Click(b);
                EXPECT_EQ(ran, enabled ? k : -1) << caption.toStdString();
            }
            for (TxPlButton *b : {box->btnKyoyuDataUp, box->btnKyoyuDataDown}) {
                box->ApplyKeyState(s);
                const bool expected = withKyoyu && s.KeyState == 1 &&
                                      (b == box->btnKyoyuDataUp ? s.KyoyuUpEnabled : s.KyoyuDownEnabled);
                EXPECT_EQ(b->isEnabled(), expected);
                kyoyuRan = false;
                b->click();
                EXPECT_EQ(kyoyuRan, expected);
            }
            EXPECT_EQ(box->btnSearch->isEnabled(), s.SearchEnabled);
            // The data places have no dialog in this build: their controls stay off.
            EXPECT_FALSE(box->cmbDataMan->isEnabled());
            EXPECT_FALSE(box->btnDataMan->isEnabled());
        }
    }
    // The details and the refresh are always there, each with its own command.
    EXPECT_TRUE(box->btnDataInfo->isEnabled());
    EXPECT_TRUE(box->btnListUpdate->isEnabled());
    QString dialog;
    ModalRunner = [&dialog](QDialog &d) {
        dialog = d.windowTitle();
        return 2;
    };
    box->PerfectGrid1->setCurrentCell(rowOf(*box, slot(1)), dcName);
    box->btnDataInfo->click();
    EXPECT_EQ(dialog, QStringLiteral("データの詳細情報"));
    ScriptedMessages boxes;
    boxes.answer(mrNo);
    box->btnListUpdate->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("データリストの更新を行います。\rよろしいですか？"));

    // A disabled grid refuses both.
    box->PerfectGrid1->setEnabled(false);
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    box->btnDataInfo->click();
    box->btnListUpdate->click();
    ASSERT_EQ(boxes.shown.size(), 3);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("データリストが応答状態ではないので処理は行えません。"));
    EXPECT_EQ(boxes.shown[2].text, QStringLiteral("データリストが応答状態ではないので処理は行えません。"));
}

// A program killed while it had the data set open leaves it "in use"; the
// detail dialog frees it and the screen then chooses it.
TEST_F(DataSentakuRefreshTest, ADataSetLeftInUseByAKilledProgramIsFreedAndChosen)
{
    {
        HeldDataSet killed(QStringLiteral(DATA_SET_HOLDER), slot(2), SystemDef.OpCode, SystemDef.OpName);
        ASSERT_TRUE(killed.held()) << killed.errors().toStdString();
        killed.kill();
    }
    ASSERT_EQ(iniValue(slot(2), QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("2"));

    ScriptedMessages boxes;
    boxes.answer(mrOk); // the lock report
    QString statusText;
    bool clearOffered = false;
    ModalRunner = [&](QDialog &d) {
        if (auto *dlg = dynamic_cast<TDataSyosaiInfoBox *>(&d)) {
            statusText = dlg->lblStatus->text();
            clearOffered = !dlg->cboxStatusClear->isHidden();
            dlg->cboxStatusClear->setChecked(true);
            dlg->btnOK->click();
            return dlg->result();
        }
        auto &box = static_cast<TDataSentakuBox &>(d);
        fwtest::showActive(&box);
        const int row = rowOf(box, slot(2));
        box.PerfectGrid1->setCurrentCell(row, dcName);
        box.F12->click();
        EXPECT_TRUE(box.isVisible()); // refused
        box.btnDataInfo->click();
        box.PerfectGrid1->setCurrentCell(row, dcName);
        box.F12->click();
        if (box.isVisible()) box.done(2);
        return box.result();
    };
    const int r = RunProcess(QStringLiteral("QmDataSenkaku"), 1,
                             QStringLiteral("SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=11"));
    QApplication::processEvents();
    ASSERT_GE(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(
        QStringLiteral("このデータは使用中のため処理が行えません。\r前回、異常終了した場合は情報ボタンを押してデータの状態をクリアして下さい。")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(statusText, QStringLiteral("使用中"));
    EXPECT_TRUE(clearOffered);
    EXPECT_EQ(iniValue(slot(2), QStringLiteral("DATASTS"), QStringLiteral("STATUS")), QStringLiteral("1"));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(SystemDef.DataDir, slot(2));
    EXPECT_EQ(boxes.shown.size(), 1);
}

TEST_F(DataSentakuRefreshTest, RenamingChangesTheGridTheInformationFileAndTheListRow)
{
    auto box = screen(0);
    const int row = rowOf(*box, slot(2));
    box->PerfectGrid1->setCurrentCell(row, dcName);
    ModalRunner = [](QDialog &d) {
        auto &dlg = dynamic_cast<TDataSyosaiInfoBox &>(d);
        dlg.txtListName->setText(QStringLiteral("さくら会（本部）"));
        dlg.cboxDataUpdateLock->setChecked(true);
        dlg.btnOK->click();
        return dlg.result();
    };
    box->btnDataInfo->click();
    EXPECT_EQ(box->PerfectGrid1->item(row, dcName)->text(), QStringLiteral("さくら会（本部）"));
    EXPECT_EQ(box->RowRecord(row)->ENTTEXT, QStringLiteral("さくら会（本部）"));
    EXPECT_EQ(iniValue(slot(2), QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME")), QStringLiteral("さくら会（本部）"));
    EXPECT_EQ(iniValue(slot(2), QStringLiteral("DATASTS"), QStringLiteral("UPDATE_LOCK")), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT||'/'||UPDATE_LOCK FROM DATALIST WHERE REC=2")),
              QStringLiteral("さくら会（本部）/1"));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(2), false));
    EXPECT_EQ(scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT TRIM(ENTTEXT)||'/'||DATALOCK FROM ACCDEF1 WHERE REC=1")),
              QStringLiteral("さくら会（本部）/1"));
    dm->fnAccDatDisConnected(slot(2), false, false);
    // The data set is up to date: its prohibition of upgrades greys nothing.
    EXPECT_EQ(box->PerfectGrid1->item(row, dcUpdate)->text(), QStringLiteral("0"));

    // A data set in use by another program keeps its name: nothing is written.
    holdByAnotherOperator(slot(2), 100000007, QStringLiteral("佐藤"));
    ModalRunner = [](QDialog &d) {
        auto &dlg = dynamic_cast<TDataSyosaiInfoBox &>(d);
        dlg.txtListName->setText(QStringLiteral("別の名前"));
        dlg.btnOK->click();
        return dlg.result();
    };
    box->btnDataInfo->click();
    EXPECT_EQ(box->PerfectGrid1->item(row, dcName)->text(), QStringLiteral("さくら会（本部）"));
    EXPECT_EQ(iniValue(slot(2), QStringLiteral("DATAINFO"), QStringLiteral("DATALISTNAME")), QStringLiteral("さくら会（本部）"));
}

TEST_F(DataSentakuRefreshTest, ARefreshEmptiesTheRowOfARemovedDatabaseAndDeletesItsInformationFile)
{
    auto box = screen(0);
    TDataInfomation info;
    TDataInfomationRec rec;
    info.ReadIniInfo(slot(3), rec); // writes the information file
    ASSERT_TRUE(QFileInfo::exists(TDataInfomation::IniFileOf(slot(3))));
    QFile::remove(slot(3) + QStringLiteral("/vqacc.fdb"));
    ScriptedMessages boxes;
    boxes.answer(mrYes);
    box->btnListUpdate->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    const int row = rowOf(*box, slot(3));
    EXPECT_TRUE(box->PerfectGrid1->item(row, dcName)->text().isEmpty());
    EXPECT_EQ(box->PerfectGrid1->item(row, dcKikan)->text(), QStringLiteral("～"));
    EXPECT_FALSE(QFileInfo::exists(TDataInfomation::IniFileOf(slot(3))));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT||'/'||SHOUGOU||'/'||VER_MAJOR FROM DATALIST WHERE REC=3")),
              QStringLiteral("//0"));
    // The rows that hold data take the values of their databases.
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(2), false));
    const QString company = scalar(QStringLiteral("ACCDAT"), QStringLiteral("SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1"));
    dm->fnAccDatDisConnected(slot(2), false, false);
    EXPECT_EQ(box->RowRecord(rowOf(*box, slot(2)))->SHOUGOU, company);
    EXPECT_EQ(box->PerfectGrid1->item(rowOf(*box, slot(2)), dcName)->text(), QStringLiteral("医療法人さくら会"));
}

TEST_F(DataSentakuRefreshTest, ARefreshListsTheCopiesOfAMergedDataSetFromItsSubFolders)
{
    addCompany(5);
    describeDataSet(5, QStringLiteral("合算グループ"), 1, 11, 0, QStringLiteral("E005"));
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), slot(5), false));
    dm->PutAccReg(QStringLiteral("基本設定"), QStringLiteral("合算データ区分"), QStringLiteral("整数"), 1);
    dm->fnAccDatDisConnected(slot(5), false, false);
    CreateCompanyDatabase(slot(5) + QStringLiteral("/001"), testenv::kDbUser, testenv::kDbPassword);
    QDir().mkpath(slot(5) + QStringLiteral("/002")); // no database: no copy
    CreateCompanyDatabase(slot(5) + QStringLiteral("/003"), testenv::kDbUser, testenv::kDbPassword);
    QDir().mkpath(slot(5) + QStringLiteral("/004"));
    testenv::writeFile(slot(5) + QStringLiteral("/004/vqacc.fdb"), QByteArray(8192, 'z')); // not a database

    auto box = screen(0);
    ScriptedMessages boxes;
    boxes.answer(mrYes);
    for (int i = 0; i < 8; ++i) boxes.answer(mrOk); // the reports of the copy that cannot be opened
    box->btnListUpdate->click();
    const int parent = rowOf(*box, slot(5));
    ASSERT_GE(parent, 0);
    QStringList names, folders;
    for (int i = parent + 1; i < box->PerfectGrid1->rowCount() && box->RowRecord(i)->GASSAN == 10; ++i) {
        names << box->PerfectGrid1->item(i, dcName)->text();
        folders << box->RowFolderPath(i);
    }
    ASSERT_EQ(folders, (QStringList{slot(5) + QStringLiteral("/001"), slot(5) + QStringLiteral("/003"),
                                    slot(5) + QStringLiteral("/004")}));
    EXPECT_TRUE(names[0].startsWith(QStringLiteral("01 ")));
    EXPECT_EQ(names[2], QStringLiteral("03 破損データ"));
    const int broken = parent + 3;
    EXPECT_EQ(box->RowRecord(broken)->DATA_STATUS, 1);
    EXPECT_EQ(box->PerfectGrid1->item(broken, dcName)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(box->RowRecord(broken)->SHOUGOU, box->RowRecord(parent)->SHOUGOU);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT LIST(ROWNO||':'||DATA_STATUS) FROM (SELECT ROWNO, DATA_STATUS FROM CHILD_DATALIST WHERE REC=5 ORDER BY ROWNO)")),
              QStringLiteral("1:0,2:0,3:1"));
    EXPECT_EQ(iniValue(slot(5) + QStringLiteral("/003"), QStringLiteral("DATASTS"), QStringLiteral("UPDATE_LOCK")), QStringLiteral("0"));
}

TEST_F(DataSentakuRefreshTest, TypingTheBeginningOfACodeMovesToTheNextRowWithIt)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET DATACODE='120' WHERE REC=5"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET DATACODE='12b' WHERE REC=7"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET DATACODE='130' WHERE REC=9"));
    auto box = screen(0);
    fwtest::showActive(box.get());
    box->PerfectGrid1->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(box->PerfectGrid1->hasFocus());
    auto type = [&box](const QString &text) {
        for (QChar c : text) fwtest::press(box->PerfectGrid1, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    };
    auto rec = [&box] { return box->RowRecord(box->PerfectGrid1->currentRow())->REC; };
    box->PerfectGrid1->setCurrentCell(0, dcName);

    type(QStringLiteral("1"));
    EXPECT_EQ(box->IncSerchTimer->interval(), 500);
    EXPECT_TRUE(box->txtIncSerch->isVisible());
    type(QStringLiteral("2"));
    EXPECT_EQ(box->IncSerchTimer->interval(), 1000);
    EXPECT_TRUE(box->IncSerchTimer->isActive());
    EXPECT_EQ(box->txtIncSerch->text(), QStringLiteral("12"));
    const QRect grid = box->PerfectGrid1->geometry();
    EXPECT_EQ(box->txtIncSerch->pos(), QPoint(grid.left() + grid.width() / 10 + 4, grid.top() - 12));
    box->IncSerchTimerTimer();
    EXPECT_EQ(rec(), 5);
    EXPECT_FALSE(box->txtIncSerch->isVisible());
    EXPECT_FALSE(box->IncSerchTimer->isActive());
    EXPECT_TRUE(box->IncSearchText().isEmpty());
    type(QStringLiteral("12b")); // letters without regard to case
    box->IncSerchTimerTimer();
    EXPECT_EQ(rec(), 7);
    type(QStringLiteral("12"));
    box->IncSerchTimerTimer();
    EXPECT_EQ(rec(), 5); // wrapped to the top
    // The timer itself ends the search.
    type(QStringLiteral("13"));
    pump([&] { return rec() == 9; }, 3000);
    EXPECT_EQ(rec(), 9);

    // A ninth character is kept but neither shown nor re-timed.
    type(QStringLiteral("ABCDEFGH"));
    const int left = box->IncSerchTimer->remainingTime();
    pump([] { return false; }, 120);
    type(QStringLiteral("I"));
    EXPECT_EQ(box->IncSearchText(), QStringLiteral("ABCDEFGHI"));
    EXPECT_EQ(box->txtIncSerch->text(), QStringLiteral("ABCDEFGH"));
    EXPECT_LT(box->IncSerchTimer->remainingTime(), left - 60);
    box->IncSerchTimerTimer();
    box->hide();
}

TEST_F(DataSentakuRefreshTest, AnOutdatedDataSetThatForbidsUpgradesIsGreyAndRefused)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET UPDATE_LOCK=1 WHERE REC IN (1, 3)"));
    auto box = screen(0);
    box->PerfectGrid1->setCurrentCell(rowOf(*box, slot(2)), dcName);
    const int outdated = rowOf(*box, slot(3)), current = rowOf(*box, slot(1));
    EXPECT_EQ(box->PerfectGrid1->item(outdated, dcName)->foreground().color(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(box->PerfectGrid1->item(outdated, dcUpdate)->text(), QStringLiteral("1"));
    EXPECT_EQ(box->PerfectGrid1->item(current, dcName)->foreground().color(), box->ForeColor);
    EXPECT_EQ(box->PerfectGrid1->item(current, dcUpdate)->text(), QStringLiteral("0"));
    EXPECT_TRUE(box->CheckRowDbUpdate(outdated, false));
    EXPECT_FALSE(box->CheckRowDbUpdate(current, true));

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box->PerfectGrid1->setCurrentCell(outdated, dcName);
    box->F12Click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このデータは、「データの更新」処理を行うことが禁止されています。")));
    EXPECT_EQ(box->result(), 0);
    box->PerfectGrid1->setCurrentCell(current, dcName);
    box->F12Click();
    EXPECT_EQ(box->result(), 1);
    EXPECT_EQ(box->SelectedFolder(), slot(1));
}

// In the server modes the server answers for the files; the list is renumbered
// and reloaded first, and an information file is not the screen's to delete.
TEST_F(DataSentakuRefreshTest, ARefreshInTheServerModesAsksTheServerForTheFiles)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1"); // this machine: the databases open without a server
    SystemDef.OpCode = 10000 * 10000 + 10;
    auto box = screen(0);
    TDataInfomation info;
    TDataInfomationRec rec;
    ConnectMode = 0;
    info.ReadIniInfo(slot(3), rec); // an information file beside the database
    ConnectMode = 1;
    QFile::remove(slot(3) + QStringLiteral("/vqacc.fdb"));
    box->PerfectGrid1->setCurrentCell(rowOf(*box, slot(2)), dcName);
    ScriptedMessages boxes;
    boxes.answer(mrYes);
    box->btnListUpdate->click();
    ASSERT_EQ(boxes.shown.size(), 1);
    const int row = rowOf(*box, slot(3));
    EXPECT_TRUE(box->PerfectGrid1->item(row, dcName)->text().isEmpty());
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT||'/'||SHOUGOU FROM DATALIST WHERE REC=3")),
              QStringLiteral("/"));
    EXPECT_TRUE(QFileInfo::exists(TDataInfomation::IniFileOf(slot(3))));
    // The current row is found again after the reload.
    EXPECT_EQ(box->RowFolderPath(box->PerfectGrid1->currentRow()), slot(2));
    EXPECT_EQ(box->PerfectGrid1->item(rowOf(*box, slot(2)), dcName)->text(), QStringLiteral("医療法人さくら会"));
}

TEST_F(DataSentakuRefreshTest, TheCancelButtonStopsTheRefreshBeforeTheNextRow)
{
    auto box = screen(0);
    QFile::remove(slot(3) + QStringLiteral("/vqacc.fdb"));
    // The cancel button is pressed as soon as the window lets events through.
    QTimer::singleShot(0, box.get(), [&box] {
        if (TxProgressForm *w = box->xAnimeProgressDialog1->Handle()) w->btnCancel->click();
    });
    ScriptedMessages boxes;
    boxes.answer(mrYes);
    box->btnListUpdate->click();
    EXPECT_TRUE(box->xAnimeProgressDialog1->Cancelled());
    EXPECT_EQ(box->PerfectGrid1->item(rowOf(*box, slot(3)), dcName)->text(), QStringLiteral("旧版商事"));
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=3")), QStringLiteral("旧版商事"));
}
