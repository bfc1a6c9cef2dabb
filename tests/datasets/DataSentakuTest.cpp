#include "support/TestEnv.h"

#include "datasets/DataListKensakuBox.h"
#include "datasets/DataSentaku.h"
#include "datasets/z5DataSentakuPrintDlg.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/xCheckedComboBox.h"
#include "framework/xPlButton.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "print/Pager512_Class.h"
#include "support/DbFixture.h"
#include "../framework/FrameworkTestUtil.h"

#include "framework/xKeyControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

namespace {

QStringList captionsOf(const TDataKeyState &s) { return s.Captions; }

const QStringList kAllOn = {QStringLiteral("ESC:ｷｬﾝｾﾙ"), QStringLiteral("F1:ヘルプ"), QStringLiteral("F2:コピー"),
                            QStringLiteral("F3:新規作成"), QStringLiteral("F4:割当解除"), QStringLiteral("F5:ﾃﾞｰﾀ削除"),
                            QStringLiteral("F6:保存"), QStringLiteral("F7:復元"), QStringLiteral("F8:印刷"),
                            QStringLiteral("F12:選択")};

// The captions with the listed keys at their bare labels and the given replacements.
QStringList expected(std::initializer_list<int> off, std::initializer_list<std::pair<int, const char *>> set = {})
{
    QStringList c = kAllOn;
    for (int k : off) c[k] = DataSentakuBareKey(k);
    for (const auto &[k, t] : set) c[k] = QString::fromUtf8(t);
    return c;
}

} // namespace

TEST(DataSentakuKeys, CaptionsFollowTheRowTheModeAndTheProcessingType)
{
    struct Case {
        const char *what;
        TDataKeyInput in;
        QStringList captions;
        int keyState;
    };
    auto row = [](int mode, int type, const char *name, int gassan = 0, int parent = 0, int status = 0) {
        TDataKeyInput in;
        in.ConnectMode = mode;
        in.SyoriType = type;
        in.GridActive = true;
        in.HasRow = true;
        in.ENTTEXT = QString::fromUtf8(name);
        in.GASSAN = gassan;
        in.ParentGASSAN = parent;
        in.DATA_STATUS = status;
        return in;
    };
    TDataKeyInput copying = row(0, 0, "");
    copying.CopyPending = true;
    TDataKeyInput disabled = row(0, 0, "本社");
    disabled.GridEnabled = false;
    TDataKeyInput noRow = row(0, 0, "");
    noRow.HasRow = false;
    const Case cases[] = {
        {"wizard road", row(0, 3, "本社"), expected({1, 2, 3, 4, 5, 6, 7, 8}), 1},
        {"wizard road, damaged row", row(0, 3, "本社", 0, 0, 1), expected({1, 2, 3, 4, 5, 6, 7, 8, 9}), 1},
        {"local data row", row(0, 0, "本社"), expected({3, 4}), 1},
        {"local empty row", row(0, 0, ""), expected({2, 4, 5, 6}), 1},
        {"local merged row", row(0, 0, "合算", 1, 1), expected({4}, {{3, "F3:分散追加"}}), 1},
        {"child of merged branch data", row(0, 0, "支店", 10, 2), expected({3, 4, 5}), 1},
        {"damaged local row", row(0, 0, "本社", 0, 0, 1), expected({2, 3, 4, 6, 9}), 1},
        {"server mode data row", row(1, 0, "本社"), expected({}, {{3, "F3:持ち出し"}, {4, "F4:領域追加"}}), 1},
        {"server mode empty row", row(1, 0, ""), expected({2, 5, 6}, {{4, "F4:領域追加"}}), 1},
        {"copy waits for its target", copying, expected({4, 5, 6}, {{2, "F2:貼り付け"}}), 2},
        {"grid disabled", disabled, expected({2, 3, 4, 5, 6, 7, 8, 9}), 0},
        {"no current row", noRow, expected({2, 3, 4, 5, 6, 7}), 0},
        {"target choice", row(0, 4, ""), expected({1, 2, 3, 4, 5, 6, 7, 8}), 1},
    };
    for (const Case &c : cases) {
        const TDataKeyState s = ComputeDataSentakuKeys(c.in);
        EXPECT_EQ(captionsOf(s), c.captions) << c.what;
        EXPECT_EQ(s.KeyState, c.keyState) << c.what;
        EXPECT_EQ(s.SearchEnabled, c.in.SyoriType != 3) << c.what;
    }
    EXPECT_TRUE(ComputeDataSentakuKeys(copying).PasteHint);
}

TEST(DataSentakuKeys, GridHintsAndFolderText)
{
    EXPECT_EQ(DataSentakuGridHint(3, 1), QStringLiteral("［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。|"
                                                        "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\r\n空白行は選択できません。"));
    EXPECT_EQ(DataSentakuGridHint(2, 1), QStringLiteral("［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。|"
                                                        "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\r\n"));
    EXPECT_EQ(DataSentakuFolderText(QStringLiteral("/Users/Acc/Data/0001"), QStringLiteral("/users/acc/")),
              QStringLiteral("~/Data/0001"));
    EXPECT_EQ(DataSentakuFolderText(QStringLiteral("/other/0001"), QStringLiteral("/users/acc")),
              QStringLiteral("/other/0001"));
}

namespace {

class DataSentakuBoxTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        SetAppInfoDefaults(AppInfo);
        SystemDef.OpCode = 100010;
        SystemDef.OpName = QStringLiteral("山田");
        SystemDef.DataRootDir = root.root;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnGetSysDef()); // the operator's colours, as after a login
        InstallDataInfoHooks();
        m_runner = ModalRunner;
        // Slot 1: the fixture's company (corporation, 11.0.0); slot 2 a medical corporation
        // (11.0.0); slot 3 a corporation still on 10.5.0; slot 4 a sole proprietor (11.0.0).
        describeDataSet(1, QStringLiteral("サンプル株式会社"), 1, 11, 0, QStringLiteral("A001"));
        addCompany(2);
        describeDataSet(2, QStringLiteral("医療法人さくら会"), 3, 11, 0, QStringLiteral("B002"));
        addCompany(3);
        setCompanyVersion(slot(3), 10, 5, 0);
        describeDataSet(3, QStringLiteral("旧版商事"), 1, 10, 5, QStringLiteral("C003"));
        addCompany(4);
        describeDataSet(4, QStringLiteral("個人事業 田中"), 2, 11, 0, QStringLiteral("D004"));
        SystemDef.DataDir = slot(1);
    }
    void TearDown() override
    {
        ModalRunner = m_runner;
        DbFixture::TearDown();
    }
    // Runs the screen as the wizard does; `act` works on the shown screen.
    int runWizardScreen(const std::function<void(TDataSentakuBox &)> &act)
    {
        ModalRunner = [&act](QDialog &d) {
            auto &box = static_cast<TDataSentakuBox &>(d);
            fwtest::showActive(&box);
            act(box);
            if (box.isVisible()) box.done(2); // a test that left it open
            return box.result();
        };
        const int r = RunProcess(QStringLiteral("QmDataSenkaku"), 1,
                                 QStringLiteral("SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=11"));
        QApplication::processEvents(); // the closed screen frees itself
        return r;
    }
    static int rowOf(const TDataSentakuBox &box, const QString &folder)
    {
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i)
            if (box.RowFolderPath(i) == folder) return i;
        return -1;
    }
    static QStringList shownRows(const TDataSentakuBox &box)
    {
        QStringList names;
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i) names << box.PerfectGrid1->item(i, dcName)->text();
        return names;
    }
    static QStringList captions(const TDataSentakuBox &box)
    {
        QStringList c;
        for (TxPlButton *b : box.Keys) c << b->CaptionA().Caption();
        return c;
    }
    std::function<int(QDialog &)> m_runner;
};

} // namespace

TEST_F(DataSentakuBoxTest, WizardRoadListsTheAllowedDataSetsAndChoosesOne)
{
    QStringList rows, keys, folders;
    QString shot;
    bool searchEnabled = true;
    QList<bool> keysEnabled;
    const int r = runWizardScreen([&](TDataSentakuBox &box) {
        rows = shownRows(box);
        keys = captions(box);
        for (TxPlButton *b : box.Keys) keysEnabled << b->isEnabled();
        searchEnabled = box.btnSearch->isEnabled();
        for (int i = 0; i < box.PerfectGrid1->rowCount(); ++i) folders << box.PerfectGrid1->item(i, dcFolder)->text();
        // Located on the data set chosen before, its row in the focus colour.
        EXPECT_EQ(box.PerfectGrid1->currentRow(), 0);
        EXPECT_EQ(box.PerfectGrid1->item(0, dcName)->foreground().color(), QColor(0xFF, 0x6B, 0x24));
        EXPECT_EQ(box.PerfectGrid1->item(1, dcName)->foreground().color(), box.ForeColor);
        shot = fwtest::screenshot(&box, QStringLiteral("DataSentakuBox"));
        box.PerfectGrid1->setCurrentCell(1, dcName);
        fwtest::tap(box.PerfectGrid1, Qt::Key_F12);
    });
    EXPECT_EQ(rows, (QStringList{QStringLiteral("サンプル株式会社"), QStringLiteral("医療法人さくら会")}));
    EXPECT_EQ(folders, (QStringList{QStringLiteral("~/data/0001"), QStringLiteral("~/data/0002")}));
    EXPECT_EQ(keys, expected({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(searchEnabled);
    // Only ESC and F12 act in this run; the bare keys, F1 among them, are off.
    EXPECT_EQ(keysEnabled, (QList<bool>{true, false, false, false, false, false, false, false, false, true}));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(SystemDef.DataDir, slot(2));
    EXPECT_EQ(DataSentakuSelectedKey, slot(2));
    const QImage img(shot);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(992, 564));
}

TEST_F(DataSentakuBoxTest, EscReturnsTwoAndKeepsTheDataFolder)
{
    SystemDef.SysDef.DataPlace = 2; // a server data place has no meaning on this computer
    const int r = runWizardScreen([](TDataSentakuBox &box) {
        box.PerfectGrid1->setCurrentCell(1, dcName);
        fwtest::tap(box.PerfectGrid1, Qt::Key_Escape);
    });
    EXPECT_EQ(r, 2);
    EXPECT_EQ(SystemDef.DataDir, slot(1));
    // Closing stores the operator's settings with the data place reset.
    EXPECT_EQ(SystemDef.SysDef.DataPlace, 0);
    SystemDef.SysDef.DataPlace = 2;
    ASSERT_TRUE(dm->fnGetSysDef());
    EXPECT_EQ(SystemDef.SysDef.DataPlace, 0);

    // A previous folder whose company database is gone is warned about and left as it was.
    QFile::remove(slot(1) + u'/' + Product.DataFile);
    SystemDef.DataDir = slot(1);
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    const int r2 = runWizardScreen([](TDataSentakuBox &box) { fwtest::tap(box.PerfectGrid1, Qt::Key_Escape); });
    EXPECT_EQ(r2, 2);
    EXPECT_EQ(SystemDef.DataDir, slot(1));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("このフォルダには財務データがありません。\r"));
}

TEST_F(DataSentakuBoxTest, ARefusedDataSetKeepsTheScreenOpenAndTheFolder)
{
    // Slot 2 is in use by another operator: the lock report refuses it.
    holdByAnotherOperator(slot(2), 100000007, QStringLiteral("佐藤"));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    bool stillOpen = false;
    const int r = runWizardScreen([&](TDataSentakuBox &box) {
        box.PerfectGrid1->setCurrentCell(1, dcName);
        box.F12->click();
        stillOpen = box.isVisible();
        EXPECT_TRUE(box.SelectedFolder().isEmpty());
        fwtest::tap(box.PerfectGrid1, Qt::Key_Escape);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(SystemDef.DataDir, slot(1));
    EXPECT_EQ(boxes.shown.size(), 1);
}

TEST_F(DataSentakuBoxTest, HeaderClicksSortAndMarkTheColumn)
{
    TDataSentakuBox box;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    auto header = [&box](int c) { return box.PerfectGrid1->horizontalHeaderItem(c)->text(); };
    auto firstCodes = [&box] {
        QStringList c;
        for (int i = 0; i < 4; ++i) c << box.PerfectGrid1->item(i, dcCode)->text();
        return c;
    };
    EXPECT_EQ(box.PerfectGrid1->rowCount(), 120); // the whole list of the group
    box.HeaderClick(1);
    EXPECT_EQ(header(1), QStringLiteral("コード▲"));
    EXPECT_EQ(firstCodes(), (QStringList{"A001", "B002", "C003", "D004"}));
    box.HeaderClick(1);
    EXPECT_EQ(header(1), QStringLiteral("コード▼"));
    EXPECT_EQ(firstCodes(), (QStringList{"D004", "C003", "B002", "A001"}));
    box.HeaderClick(2);
    EXPECT_EQ(header(1), QStringLiteral("コード"));
    EXPECT_EQ(header(2), QStringLiteral("データ名  ▲"));
    box.HeaderClick(0);
    EXPECT_EQ(header(2), QStringLiteral("データ名  "));
    EXPECT_EQ(box.SortCol(), 0);
    // All commands are offered here, but only those this build carries are live.
    box.UpdateFunctionKeys();
    EXPECT_EQ(captions(box), expected({2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(box.F3->isEnabled());
    EXPECT_TRUE(box.F1->isEnabled());
    EXPECT_TRUE(box.F8->isEnabled());
    box.KeepOnClose = true;
}

TEST_F(DataSentakuBoxTest, LockColumnLocksAndUnlocksInTheServerModes)
{
    ConnectMode = 1;
    SystemDef.HostName = QStringLiteral("127.0.0.1"); // this machine: the databases open without a server
    SystemDef.OpCode = 10000 * 10000 + 10;
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL) VALUES (10000, 7, '佐藤', 9)"));
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    auto lockOf = [this] { return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT DATALOCK FROM DATALIST WHERE REC=2")); };
    const int row = rowOf(box, slot(2));
    ASSERT_GE(row, 0);
    Q_EMIT box.PerfectGrid1->cellClicked(row, dcLockPic);
    EXPECT_EQ(lockOf(), QStringLiteral("10"));
    EXPECT_EQ(box.PerfectGrid1->item(row, dcLock)->text(), QStringLiteral("10"));
    EXPECT_EQ(box.RowRecord(row)->DATALOCK, 10);
    box.LockClick(row); // our own lock comes off again
    EXPECT_EQ(lockOf(), QStringLiteral("0"));

    // Another operator's lock stays, with the holder named.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("UPDATE DATALIST SET DATALOCK=7 WHERE REC=2"));
    box.Prepare(true);
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    box.LockClick(rowOf(box, slot(2)));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("ロックデータの状態"));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("このデータは違うオペレータによりロックされているため解除は行えません。\r【データフォルダ】")));
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QStringLiteral("【オペレータ名】\r　佐藤")));
    EXPECT_EQ(lockOf(), QStringLiteral("7"));

    // A row without a folder path is not written back.
    TDataListRec empty;
    EXPECT_THROW(box.SaveListRecord(empty), platform::Error);
}

TEST_F(DataSentakuBoxTest, ParametersSetTheTypeTheStyleAndTheFixedFilter)
{
    TDataSentakuBox box;
    box.KeepOnClose = false;
    try {
        box.SetParams({QStringLiteral("SyoriType=6")});
        FAIL() << "no error";
    } catch (const platform::Error &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("処理タイプに範囲外の値が設定されました。"));
    }
    box.SetParams({QStringLiteral("SyoriType=4")});
    box.SetParams({QStringLiteral("SyoriType=x"), QStringLiteral("FormStyle=2")});
    EXPECT_EQ(box.SyoriType(), 4);
    EXPECT_EQ(box.FormStyleKind(), 2);
    box.SetParams({QStringLiteral("ManualFree=1")});
    EXPECT_EQ(box.FormStyleKind(), 0);
    EXPECT_FALSE(box.KeepOnClose);
    EXPECT_FALSE(box.FixedFilterOn());
    box.SetParams({QStringLiteral("JyokenSet=1"), QStringLiteral("DataType=-13"), QStringLiteral("DataVerMore=10.5"),
                   QStringLiteral("DataVerMajor=11"), QStringLiteral("ManualFree=1")});
    EXPECT_TRUE(box.FixedFilterOn());
    EXPECT_EQ(box.FixedFilter().DataType, -13);
    EXPECT_EQ(box.FixedFilter().DataVer, QStringLiteral("10.5")); // DataVerMore comes last in reading order
    EXPECT_EQ(box.FixedFilter().VerCompMode, 2);
    EXPECT_EQ(box.FixedFilter().OpCode, 100010);
    EXPECT_TRUE(box.KeepOnClose);
    box.SetParams({QStringLiteral("SyoriType=5"), QStringLiteral("OnlySA_Syori=Restore"),
                   QStringLiteral("OnlySA_BackupPath=/media/usb")});
    EXPECT_EQ(box.BackupMode(), 1);
    EXPECT_EQ(box.BackupPath(), QStringLiteral("/media/usb"));
}

TEST_F(DataSentakuBoxTest, TargetChoiceRefusesRowsWithData)
{
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=2")});
    box.Prepare(true);
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    box.PerfectGrid1->setCurrentCell(rowOf(box, slot(1)), dcName);
    box.F12Click();
    box.PerfectGrid1->setCurrentCell(rowOf(box, slot(2)), dcName);
    box.F12Click();
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("このデータは現在選択中のデータです。\r他の場所を選んで下さい。"));
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("選択したパスには既にデータが存在します。\r他の場所を選んで下さい。"));
    EXPECT_EQ(box.result(), 0);
    box.PerfectGrid1->setCurrentCell(rowOf(box, slot(9)), dcName);
    box.F12Click();
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(DataSentakuProcessResult, QStringLiteral("PATH1=") + slot(9) + QStringLiteral("\rPATH2=") + slot(9));
}

TEST_F(DataSentakuBoxTest, SearchConditionsNarrowTheListAndAreStored)
{
    {
        // The dialog shows what it is given and stores unknown choices as none.
        TDataListKensakuBox dlg;
        dlg.Cond.DataType = 2;
        dlg.Cond.CodeType = 4;
        dlg.Cond.Tanto = 424242; // no longer an operator
        dlg.SetMode(0);
        EXPECT_EQ(dlg.cmbDataKbn->currentText(), QStringLiteral("個人(農業)"));
        EXPECT_EQ(dlg.cmbTanto->currentText(), QStringLiteral("選択なし"));
        // The multi-select operator chooser is carried hidden and left empty.
        ASSERT_NE(dlg.findChild<TxCheckedComboBox *>(QStringLiteral("cmbTanto2")), nullptr);
        EXPECT_TRUE(dlg.cmbTanto2->isHidden());
        EXPECT_EQ(dlg.cmbTanto2->DisplayText(), QStringLiteral("未選択"));
        dlg.Cond.DataType = 5;
        dlg.ShowConditions();
        EXPECT_EQ(dlg.cmbDataKbn->currentText(), QStringLiteral("選択なし"));
        dlg.btnOKClick();
        EXPECT_EQ(dlg.Cond.Tanto, 0);
        EXPECT_EQ(dlg.Cond.DataType, 0);
    }
    ModalRunner = [](QDialog &d) {
        auto &dlg = static_cast<TDataListKensakuBox &>(d);
        dlg.cmbDataKbn->setCurrentIndex(4); // 医療法人
        dlg.txtCode->setText(QStringLiteral(" b"));
        dlg.cboxYukou->setChecked(true);
        dlg.btnOK->click();
        return dlg.result();
    };
    TDataSentakuBox box;
    box.KeepOnClose = true;
    box.SetParams({QStringLiteral("SyoriType=0")});
    box.Prepare(true);
    box.UpdateFunctionKeys();
    ASSERT_TRUE(box.btnSearch->isEnabled());
    box.btnSearch->click();
    ASSERT_EQ(box.PerfectGrid1->rowCount(), 1);
    EXPECT_EQ(box.PerfectGrid1->item(0, dcName)->text(), QStringLiteral("医療法人さくら会"));
    EXPECT_TRUE(box.btnSearchCancel->isEnabled());
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"),
                     QStringLiteral("SELECT DATATYPE||'/'||CODETYPE||'/'||JYOKENUSE FROM KENSAKUJYOKEN WHERE OPCODE=100010")),
              QStringLiteral("3/1/1"));
    // The next showing applies them again; the cancel button lifts them.
    box.ShowDataList();
    EXPECT_EQ(box.PerfectGrid1->rowCount(), 1);
    box.btnSearchCancel->click();
    EXPECT_EQ(box.PerfectGrid1->rowCount(), 120);
    EXPECT_FALSE(box.btnSearchCancel->isEnabled());
}

TEST_F(DataSentakuBoxTest, F8PrintsOrPreviewsTheListShownInTheChosenOrientation)
{
    const auto savedPreview = pager512::StartPreviewHook;
    const auto savedPrint = pager512::StartPrintHook;
    SystemDef.WinTempDir = testenv::freshDir(QStringLiteral("print-temp"));
    QString printed;
    int previews = 0, prints = 0, orientation = -1;
    pager512::StartPreviewHook = [&](TP512DEF &d) {
        ++previews;
        printed = platform::fromCp932(testenv::readFile(d.DataFile));
        orientation = d.Orientation;
        return 1;
    };
    pager512::StartPrintHook = [&](TP512DEF &d) {
        ++prints;
        printed = platform::fromCp932(testenv::readFile(d.DataFile));
        orientation = d.Orientation;
        return true;
    };
    // The dialog is answered with the orientation and the button given.
    bool landscape = false;
    int button = 2;
    QString caption, mainText, hint;
    ModalRunner = [&](QDialog &d) {
        auto *dlg = qobject_cast<TDataSentakuPrintDlg *>(&d);
        EXPECT_NE(dlg, nullptr);
        if (!dlg) return 2;
        caption = dlg->windowTitle();
        mainText = dlg->lblMain->text();
        hint = dlg->toolTip();
        EXPECT_TRUE(dlg->btnPreview->isVisibleTo(dlg));
        EXPECT_FALSE(dlg->btnCopy->isVisibleTo(dlg));
        (landscape ? dlg->btnYousiYoko : dlg->btnYousiTate)->setChecked(true);
        (button == 1 ? dlg->btnOK : button == 2 ? dlg->btnPreview : dlg->btnCancel)->click();
        return dlg->result();
    };
    {
        TDataSentakuBox box;
        box.KeepOnClose = true;
        box.SetParams({QStringLiteral("SyoriType=0"), QStringLiteral("JyokenSet=1"), QStringLiteral("DataType=-13"),
                       QStringLiteral("DataVerMajor=11")});
        box.Prepare(true);
        box.UpdateFunctionKeys();
        ASSERT_EQ(box.F8->CaptionA().Caption(), QStringLiteral("F8:印刷"));
        ASSERT_TRUE(box.F8->isEnabled());

        landscape = true;
        box.F8->click();
        EXPECT_EQ(caption, QStringLiteral("データリストの印刷"));
        EXPECT_EQ(mainText, QStringLiteral("データリストを印刷します。"));
        EXPECT_TRUE(hint.startsWith(QStringLiteral("［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。")));
        EXPECT_EQ(previews, 1);
        EXPECT_EQ(orientation, 1);
        // The two data sets shown, with their codes (landscape), under the data root.
        EXPECT_TRUE(printed.contains(QStringLiteral("TEXT;250;405;A001;")));
        EXPECT_TRUE(printed.contains(QStringLiteral("TEXT;450;405;サンプル株式会社;")));
        EXPECT_TRUE(printed.contains(QStringLiteral("TEXT;450;449;医療法人さくら会;")));
        EXPECT_TRUE(printed.contains(QStringLiteral("TEXT;1800;449;~/data/0002;")));
        EXPECT_FALSE(printed.contains(QStringLiteral("旧版商事")));

        landscape = false;
        button = 1;
        box.F8->click();
        EXPECT_EQ(prints, 1);
        EXPECT_EQ(orientation, 0);
        EXPECT_FALSE(printed.contains(QStringLiteral("A001")));
        EXPECT_TRUE(printed.contains(QStringLiteral("TEXT;250;405;サンプル株式会社;")));

        button = 3;
        box.F8->click();
        EXPECT_EQ(previews + prints, 2);
        EXPECT_TRUE(box.F8->isEnabled());
    }
    {
        // A filter that leaves no row: refused with a message, no dialog.
        TDataSentakuBox box;
        box.KeepOnClose = true;
        box.SetParams({QStringLiteral("SyoriType=0"), QStringLiteral("JyokenSet=1"), QStringLiteral("DataVerMajor=99")});
        box.Prepare(true);
        ASSERT_EQ(box.PerfectGrid1->rowCount(), 0);
        ModalRunner = [](QDialog &) {
            ADD_FAILURE() << "no dialog expected";
            return 2;
        };
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        box.PrintDataList();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("データリストが絞り込みにより表示されていません。\r"));
    }
    EXPECT_EQ(previews + prints, 2);
    pager512::StartPreviewHook = savedPreview;
    pager512::StartPrintHook = savedPrint;
}
