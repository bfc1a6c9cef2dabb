// The print-options dialog of the data list: its layout, the paper orientation
// it offers and keeps with the operator's settings of the report.
#include "support/DbFixture.h"
#include "support/TestEnv.h"
#include "../framework/FrameworkTestUtil.h"

#include "datasets/z5DataSentakuPrintDlg.h"
#include "dbaccess/Globals.h"
#include "dbaccess/StyleColorStore.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

const QString kStyle = QStringLiteral("020-DATASENTAKULIST");

class DataSentakuPrintDlgTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        SystemDef.LoginNo = 10;
        ASSERT_TRUE(dm->fnGetSysDef());
    }
    // The dialog as the data-selection screen sets it up.
    void setUp(TDataSentakuPrintDlg &dlg)
    {
        TPrintDlgBox::InitDefaultPrintRec(rec);
        rec.StyleName = QStringLiteral("DataSentakuList");
        dlg.PrintRec = &rec;
        dlg.StoredColors = false;
        dlg.Caption = QStringLiteral("データリストの印刷");
        dlg.MainText = QStringLiteral("データリストを印刷します。");
        dlg.ShowPreview = true;
        dlg.ShowCopy = false;
        dlg.Prepare(1);
    }
    QString storedSettings()
    {
        stylecolorstore::TStyleColorRow row;
        EXPECT_TRUE(stylecolorstore::read(SystemDef.OpCode, kStyle, row));
        return row.SSTR;
    }
    void store(const QString &settings)
    {
        stylecolorstore::TStyleColorRow row;
        row.SSTR = settings;
        stylecolorstore::write(SystemDef.OpCode, kStyle, row);
    }

    TDefaultPrintRec rec;
};

} // namespace

TEST_F(DataSentakuPrintDlgTest, OffersOnlyTheOrientationAndThePreview)
{
    TDataSentakuPrintDlg dlg;
    setUp(dlg);
    fwtest::showActive(&dlg);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("データリストの印刷"));
    EXPECT_EQ(dlg.lblMain->text(), QStringLiteral("データリストを印刷します。"));
    EXPECT_EQ(dlg.size(), QSize(400, 219));
    EXPECT_EQ(dlg.Label2->text(), QStringLiteral("用紙向き:"));
    EXPECT_EQ(dlg.btnYousiTate->text(), QStringLiteral("縦"));
    EXPECT_EQ(dlg.btnYousiYoko->text(), QStringLiteral("横"));
    EXPECT_TRUE(dlg.btnYousiTate->isChecked());
    for (QWidget *hidden : std::initializer_list<QWidget *>{dlg.grpColor, dlg.lblColor, dlg.btnColorSelect, dlg.txtStartPage,
                                                            dlg.lblStartPage, dlg.chkBoth, dlg.btnCopy})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    for (QWidget *shown : std::initializer_list<QWidget *>{dlg.GroupBox1, dlg.btnPreview, dlg.btnOK, dlg.btnCancel})
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    // Nothing overlaps: the orientation lies above the hint and the buttons, inside the window.
    const QRect group = QRect(dlg.GroupBox1->mapTo(&dlg, QPoint()), dlg.GroupBox1->size());
    const QRect hint = QRect(dlg.HintArea->mapTo(&dlg, QPoint()), dlg.HintArea->size());
    const QRect ok = QRect(dlg.btnOK->mapTo(&dlg, QPoint()), dlg.btnOK->size());
    EXPECT_LT(group.bottom(), hint.top());
    EXPECT_LE(ok.bottom(), dlg.height());
    EXPECT_EQ(dlg.btnYousiYoko->toolTip(),
              QStringLiteral("印刷帳票の用紙の向きを選択します。|印刷帳票の用紙の向きを選択します。\r\n"
                             "[横]を選択したときに限り、帳票上にコード情報を出力します。"));
    EXPECT_EQ(dlg.btnOK->toolTip(), QStringLiteral("|[ﾌﾟﾚﾋﾞｭｰ]ﾎﾞﾀﾝを押すと画面上に印刷ｲﾒｰｼﾞを出力します。"));
    const QImage shot(fwtest::screenshot(&dlg, QStringLiteral("DataSentakuPrintDlg")));
    EXPECT_EQ(shot.size(), QSize(400, 219));
    dlg.btnCancel->click();
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.Result, 0);
}

TEST_F(DataSentakuPrintDlgTest, SavedOrientationOpensTheDialog)
{
    struct Case {
        const char *settings;
        bool landscape;
    };
    const Case cases[] = {{"P010=1", true},  {"C010=1\r\nP010=1", true}, {"P010=2", false},
                          {"P010=0", false}, {"C020=1", false},          {"", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        store(QString::fromLatin1(c.settings));
        TDataSentakuPrintDlg dlg;
        setUp(dlg);
        EXPECT_EQ(dlg.btnYousiYoko->isChecked(), c.landscape);
        EXPECT_EQ(dlg.btnYousiTate->isChecked(), !c.landscape);
        EXPECT_EQ(dlg.Orientation, c.landscape ? 1 : 0);
        // The colour choice is not offered: a saved colour line leaves monochrome.
        EXPECT_EQ(rec.ColorMode, 0);
    }
    // Without a saved row: portrait.
    exec(QStringLiteral("ACCDEF"), QStringLiteral("DELETE FROM STYLECOLOR"));
    TDataSentakuPrintDlg dlg;
    setUp(dlg);
    EXPECT_TRUE(dlg.btnYousiTate->isChecked());
}

TEST_F(DataSentakuPrintDlgTest, ChosenOrientationIsSavedAsOneLineAndReopens)
{
    {
        TDataSentakuPrintDlg dlg;
        setUp(dlg);
        dlg.btnYousiYoko->setChecked(true);
        dlg.btnPreview->click();
        EXPECT_EQ(dlg.result(), 1);
        EXPECT_EQ(dlg.Result, 2);
        EXPECT_EQ(dlg.Orientation, 1);
    }
    EXPECT_EQ(rec.SSTR, QStringLiteral("P010=1"));
    EXPECT_EQ(storedSettings(), QStringLiteral("P010=1"));
    {
        TDataSentakuPrintDlg dlg;
        setUp(dlg);
        EXPECT_TRUE(dlg.btnYousiYoko->isChecked());
        // Back to portrait: the one line changes, no older line stays behind.
        dlg.btnYousiTate->setChecked(true);
        dlg.btnOK->click();
        EXPECT_EQ(dlg.Result, 1);
        EXPECT_EQ(dlg.Orientation, 0);
    }
    EXPECT_EQ(storedSettings(), QStringLiteral("P010=0"));
    {
        TDataSentakuPrintDlg dlg;
        setUp(dlg);
        EXPECT_TRUE(dlg.btnYousiTate->isChecked());
        fwtest::showActive(&dlg);
        dlg.btnYousiYoko->setFocus();
        dlg.btnYousiYoko->setChecked(true);
        fwtest::tap(dlg.btnYousiYoko, Qt::Key_F12); // the end key prints
        EXPECT_EQ(dlg.Result, 1);
    }
    EXPECT_EQ(storedSettings(), QStringLiteral("P010=1"));
    // A cancel keeps what was saved.
    {
        TDataSentakuPrintDlg dlg;
        setUp(dlg);
        dlg.btnYousiTate->setChecked(true);
        dlg.btnCancel->click();
    }
    EXPECT_EQ(storedSettings(), QStringLiteral("P010=1"));
    TDataSentakuPrintDlg dlg;
    setUp(dlg);
    EXPECT_TRUE(dlg.btnYousiYoko->isChecked());
}

TEST_F(DataSentakuPrintDlgTest, StaleOrientationLinesOfAnEarlierSaveAreDropped)
{
    // Settings left by an earlier build, with the orientation twice.
    store(QStringLiteral("P010=0\r\nP010=1"));
    TDataSentakuPrintDlg dlg;
    setUp(dlg);
    dlg.btnYousiYoko->setChecked(true);
    dlg.btnOK->click();
    EXPECT_EQ(storedSettings(), QStringLiteral("P010=1"));
}
