#include "print/Pager512_ColorSet.h"

#include "core/Messages.h"
#include "dbaccess/Globals.h"
#include "framework/xPlButton.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QColorDialog>
#include <QTest>

namespace {

class ReportColorDialog : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 100010;
        SystemDef.LoginNo = 10;
        ASSERT_TRUE(dm->fnGetSysDef()); // makes the operator's settings row
        TSysDefSettings &env = SystemDef.SysDef;
        env.PLineColor1 = 0x000080;
        env.PLineColor2 = 0x808080;
        env.NetColor1 = 0xC0FFC0;
        env.NetColor2 = 0xFFE0E0;
        saved = TPrnColorSetBox::PickColorHook;
    }
    void TearDown() override
    {
        TPrnColorSetBox::PickColorHook = saved;
        DbFixture::TearDown();
    }
    // The picker answers with this colour and puts one custom colour in slot B.
    void pickerChooses(const QColor &c)
    {
        TPrnColorSetBox::PickColorHook = [c](QColor &color, QWidget *) {
            color = c;
            QColorDialog::setCustomColor(1, QColor(0x12, 0x34, 0x56));
            return true;
        };
    }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

    std::function<bool(QColor &, QWidget *)> saved;
    ScriptedMessages messages;
};

TEST_F(ReportColorDialog, FirstUseOffersWhiteCustomColoursAndModeZeroHidesTheLink)
{
    QColorDialog::setCustomColor(3, Qt::black);
    TPrnColorSetBox box;
    box.Mode = 0;
    box.Prepare(1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::white)) << i;
    EXPECT_FALSE(box.findChild<QLabel *>(QStringLiteral("lblKankyoColor"))->isVisible());
    EXPECT_EQ(box.panelColor(0), 0x000080);
    EXPECT_EQ(box.panelColor(3), 0xFFE0E0);
    if (const QByteArray dir = qgetenv("SOLTEA_SCREENSHOT_DIR"); !dir.isEmpty())
        box.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/report-colour-mode0.png"));
    box.done(2);
}

TEST_F(ReportColorDialog, CancelKeepsTheColoursButSavesTheCustomColours)
{
    TPrnColorSetBox box;
    box.Mode = 1;
    box.SetLineColor1(0x0000FF);
    box.Prepare(1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    pickerChooses(QColor(0x11, 0x22, 0x33));
    click(box.findChild<TxPlButton *>(QStringLiteral("btnLineColor1")));
    EXPECT_EQ(box.panelColor(0), 0x332211); // BGR
    click(box.findChild<TxPlButton *>(QStringLiteral("btnCancel")));
    EXPECT_EQ(box.result(), 2);
    EXPECT_EQ(box.LineColor1, 0x0000FF);
    const QString stored = dm->GetStyleColor(100010, QStringLiteral("Pallet_CustomColor"));
    EXPECT_TRUE(stored.startsWith(QStringLiteral("ColorA=FFFFFF\rColorB=563412\rColorC=FFFFFF\r"))) << stored.toStdString();
    EXPECT_EQ(stored.count(u'\r'), 16);

    // The next dialog of the operator starts with them.
    QColorDialog::setCustomColor(1, Qt::white);
    TPrnColorSetBox again;
    again.Prepare(1);
    EXPECT_EQ(QColorDialog::customColor(1), QColor(0x12, 0x34, 0x56));
}

TEST_F(ReportColorDialog, OkInModeZeroChangesAndWritesTheEnvironmentColours)
{
    TPrnColorSetBox box;
    box.Mode = 0;
    box.Prepare(1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    pickerChooses(QColor(0x00, 0x00, 0xFF));
    click(box.findChild<TxPlButton *>(QStringLiteral("btnNetColor2")));
    click(box.findChild<TxPlButton *>(QStringLiteral("btnOK")));
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(box.NetColor2, 0xFF0000);
    EXPECT_EQ(SystemDef.SysDef.NetColor2, 0xFF0000);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"),
                     QStringLiteral("SELECT NETCOLOR2 || ',' || PLINECOLOR1 FROM SYSDEF WHERE OPCODE=100010")),
              QStringLiteral("%1,%2").arg(0xFF0000).arg(0x000080));
    // A later dialog starts on the new environment colour.
    TPrnColorSetBox later;
    later.Prepare(1);
    EXPECT_EQ(later.panelColor(3), 0xFF0000);
}

TEST_F(ReportColorDialog, ModeOneResetsToTheEnvironmentColoursOnYes)
{
    TPrnColorSetBox box;
    box.Mode = 1;
    box.SetLineColor2(0x111111);
    box.SetNetColor1(0x222222);
    box.Prepare(1);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    auto *link = box.findChild<QLabel *>(QStringLiteral("lblKankyoColor"));
    ASSERT_TRUE(link->isVisible());
    if (const QByteArray dir = qgetenv("SOLTEA_SCREENSHOT_DIR"); !dir.isEmpty())
        box.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/report-colour-mode1.png"));
    messages.answer(mrNo);
    click(link);
    EXPECT_EQ(box.panelColor(1), 0x111111);
    messages.answer(mrYes);
    click(link);
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("帳票の色を環境設定の色に戻します。\r\nよろしいですか？"));
    EXPECT_EQ(box.panelColor(1), 0x808080);
    EXPECT_EQ(box.panelColor(2), 0xC0FFC0);
    const QString rowBefore = scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT PLINECOLOR2 FROM SYSDEF WHERE OPCODE=100010"));
    ASSERT_NE(rowBefore, QString::number(0x808080));
    click(box.findChild<TxPlButton *>(QStringLiteral("btnOK")));
    EXPECT_EQ(box.LineColor2, 0x808080);
    // Mode 1 leaves the operator's settings row alone.
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT PLINECOLOR2 FROM SYSDEF WHERE OPCODE=100010")),
              rowBefore);
}

} // namespace
