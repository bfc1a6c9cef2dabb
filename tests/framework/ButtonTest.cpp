#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/SDI.h"
#include "framework/xPlButton.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QTest>

TEST(PlButtonArithmetic, GradientRows)
{
    struct Case { QColor begin, end; int y, h; QColor expected; };
    const Case cases[] = {
        {QColor(255, 255, 255), QColor(182, 182, 182), 0, 26, QColor(255, 255, 255)},
        {QColor(255, 255, 255), QColor(182, 182, 182), 25, 26, QColor(182, 182, 182)},
        // 255 + 10 * (182 - 255) / 25 = 255 - 29 (730 / 25 truncated toward zero)
        {QColor(255, 255, 255), QColor(182, 182, 182), 10, 26, QColor(226, 226, 226)},
        {QColor(0, 0, 0), QColor(192, 100, 7), 1, 4, QColor(64, 33, 2)},
        {QColor(10, 20, 30), QColor(200, 200, 200), 0, 1, QColor(10, 20, 30)}, // one pixel high
    };
    for (const Case &c : cases)
        EXPECT_EQ(GradientRowColor(c.begin, c.end, c.y, c.h), c.expected) << c.y << "/" << c.h;
}

TEST(PlButtonArithmetic, CaptionTops)
{
    struct Case { int h, a, b; bool hasA, hasB; int space; bool centre; int top; CaptionTops expected; };
    const Case cases[] = {
        {26, 12, 12, true, false, 4, true, 0, {8, 24, 8}},     // one line: (26 - 12) / 2 + 1
        {40, 12, 12, true, true, 4, true, 0, {6, 22, 6}},      // two lines: (40 - 24 - 4) / 2
        {40, 12, 12, false, true, 4, true, 0, {6, 14, 14}},    // only B: (40 - 12) / 2, kept in CaptionTop
        {40, 12, 12, true, true, 4, false, 7, {7, 23, 7}},     // CaptionTop 7: 7 and 7 + 12 + 4
        {40, 12, 12, false, true, 4, false, 7, {7, 7, 7}},
    };
    for (const Case &c : cases) {
        const CaptionTops t = ComputeCaptionTops(c.h, c.a, c.b, c.hasA, c.hasB, c.space, c.centre, c.top);
        EXPECT_EQ(t.topA, c.expected.topA);
        EXPECT_EQ(t.topB, c.expected.topB);
        EXPECT_EQ(t.captionTop, c.expected.captionTop);
    }
}

TEST(PlButtonArithmetic, EvenCaptionSpreadsCharacters)
{
    // "閉じる" on a 90-pixel button, characters 12 wide: w = 86, gaps (86 - 36) / 2 = 25.
    EXPECT_EQ(EvenCharPositions(90, 0, 0, {12, 12, 12}), (std::vector<int>{2, 39, 76}));
    // remainder 1 over 3 gaps: the first gap one pixel wider (w = 80 - 4, t = 36, 40 / 3 = 13 r 1)
    EXPECT_EQ(EvenCharPositions(80, 0, 0, {9, 9, 9, 9}), (std::vector<int>{2, 25, 47, 69}));
    // text wider than the space: negative remainder makes the first gaps one smaller
    EXPECT_EQ(EvenCharPositions(31, 0, 0, {12, 12, 12}), (std::vector<int>{2, 9, 17}));
    // margins
    EXPECT_EQ(EvenCharPositions(90, 5, 5, {12, 12}).front(), 7);
    // one character is centred
    EXPECT_EQ(EvenCharPositions(90, 0, 0, {12}), (std::vector<int>{39}));
}

TEST(PlButton, DefaultsAndCaptionLines)
{
    TxPlButton b;
    EXPECT_EQ(b.size(), QSize(75, 26));
    EXPECT_EQ(b.GradEndColor(), QColor(192, 192, 192));
    EXPECT_TRUE(b.CaptionVertCenter());
    b.setCaptionTop(7);
    EXPECT_FALSE(b.CaptionVertCenter());
    EXPECT_EQ(b.CaptionTop(), 7);

    TxPlBtnCaption c;
    c.setCaption(QStringLiteral("F8:印刷"));
    c.setAlignment(TxPlBtnAlignment::taLeft);
    b.setCaptionA(c);
    EXPECT_EQ(b.CaptionA().Caption(), QStringLiteral("F8:印刷"));
    EXPECT_EQ(b.CaptionA().Alignment(), TxPlBtnAlignment::taLeft);
}

TEST(PlButton, OnlyBitmapsAndIconsAreKept)
{
    TxPlButton b;
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    b.Image().setPicture(pm, QStringLiteral("png"));
    EXPECT_FALSE(b.Image().hasPicture());
    b.Image().setPicture(pm, QStringLiteral("bmp"));
    EXPECT_TRUE(b.Image().hasPicture());
    b.Image().setLeft(3);
    EXPECT_FALSE(b.Image().HorzCenter());
}

TEST(PlButton, RoundStylesShapeTheWindow)
{
    TxPlButton b;
    b.setButtonStyle(TxPlButtonStyle::bsRoundRect);
    EXPECT_FALSE(b.mask().isEmpty());
    EXPECT_FALSE(b.mask().contains(QPoint(0, 0))); // the corner is cut
    b.setButtonStyle(TxPlButtonStyle::bsNormal);
    EXPECT_TRUE(b.mask().isEmpty());
}

TEST(PlButton, ModalResultClosesTheFormAfterTheHandler)
{
    QDialog form;
    auto *ok = new TxPlButton(&form);
    auto *other = new TxPlButton(&form);
    ok->setModalResult(1);
    int clicks = 0;
    bool visibleInHandler = false;
    QObject::connect(ok, &TxPlButton::clicked, [&] { ++clicks; visibleInHandler = form.isVisible(); });
    form.show();
    other->click();
    EXPECT_TRUE(form.isVisible()); // result 0 leaves the form open
    ok->click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(visibleInHandler);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), 1);
}

TEST(PlButton, FocusRules)
{
    QDialog form;
    auto *edit = new QWidget(&form);
    edit->setFocusPolicy(Qt::StrongFocus);
    auto *b = new TxPlButton(&form);
    b->move(0, 40);
    int clicks = 0;
    QObject::connect(b, &TxPlButton::clicked, [&] { ++clicks; });
    fwtest::showActive(&form);
    edit->setFocus();

    // Enter clicks only the focused button, with or without modifiers.
    b->setFocus();
    EXPECT_TRUE(b->dialogKey(Qt::Key_Return, Qt::NoModifier));
    EXPECT_EQ(clicks, 1);
    fwtest::press(b, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks, 2);

    // Esc only with Cancel on and no modifier.
    EXPECT_FALSE(b->dialogKey(Qt::Key_Escape, Qt::NoModifier));
    b->setCancel(true);
    EXPECT_FALSE(b->dialogKey(Qt::Key_Escape, Qt::ShiftModifier));
    EXPECT_TRUE(b->dialogKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_EQ(clicks, 3);

    // HasFocus off: out of the focus chain, no dialog keys.
    edit->setFocus();
    b->setHasFocus(false);
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(b->dialogKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_EQ(clicks, 3);
}

TEST(PlButton, EscClicksTheCancelButtonWhereverTheFocusIs)
{
    auto *form = new TBSDI;
    form->CreateDone = true;
    form->KeepOnClose = true;
    auto *edit = new QWidget(form);
    edit->setFocusPolicy(Qt::StrongFocus);
    auto *cancel = new TxPlButton(form);
    cancel->move(0, 40);
    cancel->setCancel(true);
    int clicks = 0;
    QObject::connect(cancel, &TxPlButton::clicked, [&] { ++clicks; });
    fwtest::showActive(form);
    edit->setFocus();
    fwtest::press(edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(clicks, 0);
    fwtest::press(edit, Qt::Key_Escape);
    EXPECT_EQ(clicks, 1);
    delete form;
}

TEST(PlButton, PaintsGradientAndDisabledCaption)
{
    TxPlButton b;
    b.resize(90, 26);
    b.CaptionA().setCaption(QStringLiteral("閉じる"));
    const QImage img = b.grab().toImage();
    EXPECT_EQ(img.pixelColor(45, 2), GradientRowColor(Qt::white, QColor(192, 192, 192), 2, 26));
    // some caption pixels are dark
    int dark = 0;
    for (int x = 0; x < 90; ++x)
        for (int y = 5; y < 21; ++y)
            if (img.pixelColor(x, y).lightness() < 80) ++dark;
    EXPECT_GT(dark, 10);
}

TEST(PlButton, BareKeyLabelMarksTheCommandUnavailable)
{
    struct Case { const char16_t *caption; bool bare; };
    const Case cases[] = {{u"F3:", true}, {u"ESC:", true}, {u"F12:", true}, {u"F8:印刷", false},
                          {u"F1:ヘルプ", false}, {u"", false}};
    for (const Case &c : cases) EXPECT_EQ(IsBareKeyCaption(QString::fromUtf16(c.caption)), c.bare);
}

TEST(PlButton, AcceleratorMarkIsShownPlainAndAltKeyClicks)
{
    EXPECT_EQ(PlainCaption(QStringLiteral("< 戻る(&B)")), QStringLiteral("< 戻る(B)"));
    EXPECT_EQ(PlainCaption(QStringLiteral("A&&B")), QStringLiteral("A&B"));
    EXPECT_EQ(PlainCaption(QStringLiteral("終了&")), QStringLiteral("終了&"));

    auto *form = new TBSDI;
    form->CreateDone = true;
    form->KeepOnClose = true;
    auto *edit = new QWidget(form);
    edit->setFocusPolicy(Qt::StrongFocus);
    auto *next = new TxPlButton(form);
    next->move(0, 40);
    next->CaptionA().setCaption(QStringLiteral("次へ(&N) >"));
    int clicks = 0;
    QObject::connect(next, &TxPlButton::clicked, [&] { ++clicks; });
    fwtest::showActive(form);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    next->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    delete form;
}
