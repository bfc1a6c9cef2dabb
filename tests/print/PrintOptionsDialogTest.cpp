#include "print/z5PrintDlg.h"

#include "core/Messages.h"
#include "dbaccess/Globals.h"
#include "dbaccess/StyleColorStore.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_ColorSet.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QGroupBox>
#include <QLabel>
#include <QTest>

namespace {

class PrintOptionsDialog : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        SystemDef.LoginNo = 10;
        ASSERT_TRUE(dm->fnGetSysDef());
        TSysDefSettings &env = SystemDef.SysDef;
        env.PLineColor1 = 0x000080;
        env.PLineColor2 = 0x808080;
        env.NetColor1 = 0xC0FFC0;
        env.NetColor2 = 0xFFE0E0;
        savedRunner = ModalRunner;
        savedPicker = TPrnColorSetBox::PickColorHook;
        TPrintDlgBox::InitDefaultPrintRec(rec);
        rec.StyleName = QStringLiteral("DataSentakuList");
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        TPrnColorSetBox::PickColorHook = savedPicker;
        DbFixture::TearDown();
    }
    // A dialog as the data-set list sets it up: every group shown, colours stored.
    void setUp(TPrintDlgBox &dlg)
    {
        dlg.PrintRec = &rec;
        dlg.Caption = QStringLiteral("データリストの印刷");
        dlg.MainText = QStringLiteral("データリストを印刷します。");
        dlg.StoredColors = true;
        dlg.ShowColorGroup = dlg.ShowStartPage = dlg.ShowBothSides = dlg.ShowPreview = true;
        dlg.Prepare(1);
    }
    QString stored(const QString &column)
    {
        return scalar(QStringLiteral("ACCDEF"),
                      QStringLiteral("SELECT %1 FROM STYLECOLOR WHERE OPCODE=100010 AND STYLENAME='020-DATASENTAKULIST'")
                          .arg(column));
    }
    int rows()
    {
        return scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT COUNT(*) FROM STYLECOLOR WHERE OPCODE=100010")).toInt();
    }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

    TDefaultPrintRec rec;
    std::function<int(QDialog &)> savedRunner;
    std::function<bool(QColor &, QWidget *)> savedPicker;
};

TEST_F(PrintOptionsDialog, DefaultsTakeTheEnvironmentColours)
{
    TDefaultPrintRec r;
    r.StartPage = 9;
    TPrintDlgBox::InitDefaultPrintRec(r);
    EXPECT_TRUE(r.StyleName.isEmpty());
    EXPECT_EQ(r.ColorMode, 0);
    EXPECT_EQ(r.StartPage, 1);
    EXPECT_EQ(r.BothSides, 0);
    EXPECT_EQ(r.FontSize1, 16);
    EXPECT_EQ(r.FontSize2, 9);
    EXPECT_EQ(r.FontSize3, 10);
    EXPECT_EQ(r.LineColor1, 0x000080);
    EXPECT_EQ(r.LineColor2, 0x808080);
    EXPECT_EQ(r.NetColor1, 0xC0FFC0);
    EXPECT_EQ(r.NetColor2, 0xFFE0E0);
}

TEST_F(PrintOptionsDialog, HeightFollowsTheGroupsShown)
{
    struct Case {
        bool colour, startPage, duplex;
        int height;
    };
    const Case cases[] = {{false, false, false, 200}, {true, false, false, 250}, {false, true, false, 300},
                          {true, false, true, 300},   {true, true, true, 300}};
    for (const Case &c : cases) {
        TPrintDlgBox dlg;
        dlg.PrintRec = &rec;
        dlg.ShowColorGroup = c.colour;
        dlg.ShowStartPage = c.startPage;
        dlg.ShowBothSides = c.duplex;
        dlg.Prepare(1);
        SCOPED_TRACE(c.height);
        EXPECT_EQ(dlg.height(), c.height);
        EXPECT_EQ(dlg.grpColor->isVisibleTo(&dlg), c.colour);
        EXPECT_EQ(dlg.btnColorSelect->isVisibleTo(&dlg), c.colour);
        EXPECT_EQ(dlg.txtStartPage->isVisibleTo(&dlg), c.startPage);
        EXPECT_EQ(dlg.chkBoth->isVisibleTo(&dlg), c.duplex);
        EXPECT_FALSE(dlg.btnPreview->isVisibleTo(&dlg));
        EXPECT_FALSE(dlg.btnCopy->isVisibleTo(&dlg));
        EXPECT_LE(dlg.btnOK->mapTo(&dlg, QPoint(0, dlg.btnOK->height())).y(), c.height);
        EXPECT_EQ(dlg.Result, 0);
    }
    EXPECT_EQ(rows(), 0); // no stored colours asked for
}

TEST_F(PrintOptionsDialog, ChoicesAreSavedAndRestoredAndOnlyTheChosenOnesWritten)
{
    {
        TPrintDlgBox dlg;
        setUp(dlg);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("データリストの印刷"));
        EXPECT_TRUE(dlg.btnMono->isChecked());
        EXPECT_EQ(dlg.txtStartPage->text(), QStringLiteral("1"));
        if (const QByteArray out = qgetenv("SOLTEA_SCREENSHOT_DIR"); !out.isEmpty())
            dlg.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/print-options.png"));
        dlg.btnColor->setChecked(true);
        dlg.chkBoth->setChecked(true);
        click(dlg.btnOK);
        EXPECT_EQ(dlg.result(), 1);
        EXPECT_EQ(dlg.Result, 1);
    }
    EXPECT_EQ(rec.ColorMode, 1);
    EXPECT_EQ(rec.BothSides, 1);
    EXPECT_EQ(rec.SSTR, QStringLiteral("C010=1\r\nC020=1"));
    EXPECT_EQ(stored(QStringLiteral("SSTR")), QStringLiteral("C010=1\r\nC020=1"));

    // The next time the choices come back, and unticking them leaves no line behind.
    TPrintDlgBox::InitDefaultPrintRec(rec);
    rec.StyleName = QStringLiteral("DataSentakuList");
    {
        TPrintDlgBox dlg;
        setUp(dlg);
        EXPECT_TRUE(dlg.btnColor->isChecked());
        EXPECT_TRUE(dlg.chkBoth->isChecked());
        EXPECT_EQ(rec.ColorMode, 1);
        dlg.btnMono->setChecked(true);
        dlg.chkBoth->setChecked(false);
        dlg.btnOKClick(2);
        EXPECT_EQ(dlg.Result, 2);
    }
    EXPECT_EQ(rec.ColorMode, 0);
    EXPECT_EQ(rec.SSTR, QString());
    EXPECT_EQ(stored(QStringLiteral("SSTR")), QString());
}

// A derived dialog adds one line of its own after the dialog's lines: saving
// twice still leaves one.
TEST_F(PrintOptionsDialog, DerivedDialogAppendsASingleLine)
{
    class OrientationDlg : public TPrintDlgBox
    {
    public:
        void SaveRestoreSettings(const QString &mode) override
        {
            TPrintDlgBox::SaveRestoreSettings(mode);
            if (mode.compare(QLatin1String("HOZON"), Qt::CaseInsensitive) == 0) {
                Settings << QStringLiteral("C030=1");
                PrintRec->SSTR = Settings.join(QStringLiteral("\r\n"));
            }
        }
    };
    for (int run = 0; run < 2; ++run) {
        OrientationDlg dlg;
        setUp(dlg);
        dlg.btnColor->setChecked(true);
        dlg.btnOKClick(1);
    }
    EXPECT_EQ(rec.SSTR, QStringLiteral("C010=1\r\nC030=1"));
    EXPECT_EQ(stored(QStringLiteral("SSTR")), QStringLiteral("C010=1\r\nC030=1"));
}

TEST_F(PrintOptionsDialog, HiddenColourGroupKeepsMonochrome)
{
    stylecolorstore::TStyleColorRow row;
    row.SSTR = QStringLiteral("C010=1\r\nC020=1");
    stylecolorstore::write(100010, QStringLiteral("020-DATASENTAKULIST"), row);
    TPrintDlgBox dlg;
    dlg.PrintRec = &rec;
    dlg.StoredColors = true;
    dlg.ShowBothSides = true;
    dlg.Prepare(1);
    EXPECT_EQ(rec.ColorMode, 0);
    EXPECT_FALSE(dlg.btnColor->isChecked());
    EXPECT_EQ(rec.BothSides, 1);
    EXPECT_TRUE(dlg.chkBoth->isChecked());
}

TEST_F(PrintOptionsDialog, StartPageAndButtons)
{
    struct Case {
        const char *text;
        int page;
        const char *button;
        int result;
    };
    const Case cases[] = {{"0", 1, "btnOK", 1}, {"abc", 1, "btnPreview", 2}, {"5", 5, "btnCopy", 3}, {"", 1, "btnOK", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TPrintDlgBox dlg;
        setUp(dlg);
        dlg.ShowCopy = true;
        dlg.ArrangeControls();
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.txtStartPage->setText(QString::fromLatin1(c.text));
        click(dlg.findChild<TxPlButton *>(QString::fromLatin1(c.button)));
        EXPECT_EQ(dlg.Result, c.result);
        EXPECT_EQ(rec.StartPage, c.page);
    }
}

TEST_F(PrintOptionsDialog, CancelKeepsTheRecordButStoresTheRow)
{
    TPrintDlgBox dlg;
    setUp(dlg);
    dlg.btnColor->setChecked(true);
    click(dlg.btnCancel);
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.Result, 0);
    EXPECT_EQ(rec.ColorMode, 0);
    EXPECT_EQ(rows(), 1);
}

TEST_F(PrintOptionsDialog, ChosenColoursAreStoredAndEnvironmentColoursFollowLaterChanges)
{
    TPrnColorSetBox::PickColorHook = [](QColor &c, QWidget *) {
        c = QColor(0x10, 0x20, 0x30);
        return true;
    };
    int colourDialogMode = -1;
    ModalRunner = [&](QDialog &d) {
        auto *box = qobject_cast<TPrnColorSetBox *>(&d);
        EXPECT_NE(box, nullptr);
        if (!box)
            return 0;
        colourDialogMode = box->Mode;
        EXPECT_EQ(box->panelColor(2), 0xC0FFC0);
        click(box->findChild<TxPlButton *>(QStringLiteral("btnNetColor1")));
        click(box->findChild<TxPlButton *>(QStringLiteral("btnOK")));
        return box->result();
    };
    {
        TPrintDlgBox dlg;
        setUp(dlg);
        click(dlg.btnColorSelect);
        EXPECT_EQ(colourDialogMode, 1);
        EXPECT_EQ(rec.NetColor1, 0x302010);
        // Stored at once: only the colour that differs from the environment's.
        EXPECT_EQ(stored(QStringLiteral("NETCOLOR1")), QString::number(0x302010));
        EXPECT_EQ(stored(QStringLiteral("LINECOLOR1")), QStringLiteral("-1"));
        EXPECT_EQ(stored(QStringLiteral("NETCOLOR2")), QStringLiteral("-1"));
        EXPECT_EQ(stored(QStringLiteral("LINECOLOR3")), QStringLiteral("-1"));
        click(dlg.btnOK);
    }
    // The environment's frame colour changes: the report follows it, and keeps its own heading colour.
    SystemDef.SysDef.PLineColor1 = 0x0000FF;
    TPrintDlgBox::InitDefaultPrintRec(rec);
    rec.StyleName = QStringLiteral("DataSentakuList");
    TPrintDlgBox dlg;
    setUp(dlg);
    EXPECT_EQ(rec.LineColor1, 0x0000FF);
    EXPECT_EQ(rec.NetColor1, 0x302010);
    EXPECT_EQ(rec.NetColor2, 0xFFE0E0);
}

TEST_F(PrintOptionsDialog, NoStoreWithoutAKeyOrWithoutTheFlag)
{
    struct Case {
        const char *key;
        bool stored;
    };
    for (const Case c : {Case{"", true}, Case{"DataSentakuList", false}}) {
        TPrintDlgBox::InitDefaultPrintRec(rec);
        rec.StyleName = QString::fromLatin1(c.key);
        TPrintDlgBox dlg;
        setUp(dlg);
        dlg.StoredColors = c.stored;
        dlg.btnColor->setChecked(true);
        dlg.btnOKClick(1);
        EXPECT_EQ(rec.SSTR, QStringLiteral("C010=1"));
    }
    EXPECT_EQ(rows(), 0);
}

TEST_F(PrintOptionsDialog, StyleNameIsCutToFortyBytes)
{
    TPrintDlgBox dlg;
    rec.StyleName = QStringLiteral("帳票") + QString(40, u'x');
    dlg.PrintRec = &rec;
    const QString name = dlg.MakeStyleName();
    EXPECT_EQ(name, (QStringLiteral("020-帳票") + QString(32, u'X')));
    // 39 bytes and a double-byte character: never half of it.
    rec.StyleName = QStringLiteral("abcdefghijklmnopqrstuvwxyz012345678あい");
    EXPECT_EQ(dlg.MakeStyleName(), QStringLiteral("020-ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678"));
}

TEST_F(PrintOptionsDialog, ReadFailureIsReportedAndTheRecordKeepsItsDefaults)
{
    exec(QStringLiteral("ACCDEF"), QStringLiteral("DROP TABLE STYLECOLOR"));
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    TPrintDlgBox dlg;
    dlg.PrintRec = &rec;
    dlg.StoredColors = true;
    dlg.ShowColorGroup = true;
    dlg.Prepare(1);
    ASSERT_GE(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("ユーザー別帳票色情報の取得に失敗しました。"))
                || boxes.shown[0].title.contains(QStringLiteral("ユーザー別帳票色情報の取得に失敗しました。")))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(rec.NetColor1, 0xC0FFC0);
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());
    dlg.btnOKClick(1);
    ASSERT_GE(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("ユーザー別帳票色情報の更新に失敗しました。"))
                || boxes.shown[1].title.contains(QStringLiteral("ユーザー別帳票色情報の更新に失敗しました。")))
        << boxes.shown[1].text.toStdString();
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());
}

TEST(MonoPrintColors, GreysTheHatchesAndBlackensTheUserColours)
{
    struct Case {
        TColor net;
        TColor grey;
    };
    const Case cases[] = {{0x0064C8, 0x646464}, {0xFFFFFF, 0xFFFFFF}, {0x000000, 0x000000}, {0x808080, 0x808080}};
    for (const Case &c : cases) {
        TPager512 pager;
        pager.NetColor1 = c.net;
        pager.NetColor2 = c.net;
        pager.UserColor1 = 0x0000FF;
        pager.OcrGreen = 0x00FF00;
        SetMonoPrintColors(0, pager);
        EXPECT_EQ(pager.NetColor1, c.grey) << std::hex << c.net;
        EXPECT_EQ(pager.NetColor2, c.grey);
        EXPECT_EQ(pager.UserColor1, 0);
        EXPECT_EQ(pager.OcrGreen, 0);
        EXPECT_EQ(pager.OcrPurple, 0);
    }
    TPager512 colour;
    colour.NetColor1 = 0x0064C8;
    SetMonoPrintColors(1, colour);
    EXPECT_EQ(colour.NetColor1, 0x0064C8);
    EXPECT_EQ(colour.OcrBlue, 0xAC661F);
}

} // namespace
