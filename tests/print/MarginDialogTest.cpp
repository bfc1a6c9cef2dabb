#include "print/Pager512_Edit.h"
#include "print/Pager512_Yohaku.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct KeyCase {
    const char *text;
    char16_t key;
    bool whole;
    bool passes;
};

TEST(NumericKeyFilter, SignedIntegerRules)
{
    const KeyCase cases[] = {
        {"", u'-', false, true},      // an empty edit takes a sign
        {"-3", u'-', false, false},   // never a second sign
        {"12", u'-', false, false},   // never after a digit
        {"12", u'-', true, true},     // replaces a wholly selected text
        {"0", u'0', false, false},    // no "00"
        {"-", u'0', false, false},    // no "-0"
        {"0", u'0', true, true},      // replaces the selected "0"
        {"0", u'5', false, true},     // "05" can be typed
        {"5", u'0', false, true},
        {"-1", u'0', false, true},
        {"", u'0', false, true},
        {"12", u'\b', false, true},
        {"12", u'a', false, false},
        {"12", u'.', false, false},
        {"12", u'+', false, false},
        {"", u'１', false, false},    // full-width digits are refused
    };
    for (const KeyCase &c : cases) {
        const QChar got = FilterNumericKey(QString::fromUtf8(c.text), QChar(c.key), c.whole);
        SCOPED_TRACE(QStringLiteral("text=\"%1\" key=%2 whole=%3")
                         .arg(QString::fromUtf8(c.text)).arg(int(c.key)).arg(c.whole).toStdString());
        if (c.passes)
            EXPECT_EQ(got, QChar(c.key));
        else
            EXPECT_TRUE(got.isNull());
    }
}

class MarginDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.activateWindow();
    }
    // Focuses an edit with its text wholly selected, as entering it does.
    void enter(TEdit512 *edit)
    {
        edit->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        edit->selectAll();
    }
    TUpDown *upDown(const char *name) { return dlg.findChild<TUpDown *>(QString::fromLatin1(name)); }

    Tfmyohaku dlg;
};

TEST_F(MarginDialog, NamesAndInitialState)
{
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("設定"));
    for (const char *name : {"UpDown1", "UpDown2", "UpDown3", "UpDown4"})
        ASSERT_NE(upDown(name), nullptr) << name;
    EXPECT_EQ(upDown("UpDown1")->associate(), dlg.leftEdit());
    EXPECT_EQ(upDown("UpDown2")->associate(), dlg.topEdit());
    EXPECT_EQ(upDown("UpDown3")->associate(), dlg.vRatioEdit());
    EXPECT_EQ(upDown("UpDown4")->associate(), dlg.hRatioEdit());
    for (TEdit512 *e : {dlg.topEdit(), dlg.leftEdit(), dlg.vRatioEdit(), dlg.hRatioEdit()}) {
        EXPECT_EQ(e->text(), QStringLiteral("0"));
        EXPECT_EQ(e->Alignment(), Qt::AlignRight);
        EXPECT_EQ(e->KeyEdit3D(), 0);
    }
    EXPECT_EQ(dlg.TopMargin, 0);
    EXPECT_EQ(dlg.VRatio, 0);
}

TEST_F(MarginDialog, MarginEditTakesMinusHundredByKeyboard)
{
    enter(dlg.topEdit());
    QTest::keyClicks(dlg.topEdit(), QStringLiteral("-100"));
    EXPECT_EQ(dlg.topEdit()->text(), QStringLiteral("-100"));
    // A second sign and a leading "00" are refused while typing.
    enter(dlg.leftEdit());
    QTest::keyClicks(dlg.leftEdit(), QStringLiteral("-3-"));
    EXPECT_EQ(dlg.leftEdit()->text(), QStringLiteral("-3"));
    enter(dlg.vRatioEdit());
    QTest::keyClicks(dlg.vRatioEdit(), QStringLiteral("0x0"));
    EXPECT_EQ(dlg.vRatioEdit()->text(), QStringLiteral("0"));
    // The corrections keep three characters: "-50" fits, "-500" does not.
    enter(dlg.hRatioEdit());
    QTest::keyClicks(dlg.hRatioEdit(), QStringLiteral("-500"));
    EXPECT_EQ(dlg.hRatioEdit()->text(), QStringLiteral("-50"));
}

struct ExitCase {
    int edit; // 0 top, 1 left, 2 vertical, 3 horizontal
    const char *typed;
    const char *shown;
    int stored;
};

TEST_F(MarginDialog, LeavingAnEditClampsAndStores)
{
    const ExitCase cases[] = {
        {0, "150", "100", 100},   {0, "-150", "-100", -100}, {1, "-42", "-42", -42},
        {1, "abc", "abc", 0},     {2, "60", "50", 1050},     {2, "-99", "-50", 950},
        {3, "7", "7", 1007},      {3, "-", "-", 1000},
    };
    for (const ExitCase &c : cases) {
        TEdit512 *edits[] = {dlg.topEdit(), dlg.leftEdit(), dlg.vRatioEdit(), dlg.hRatioEdit()};
        TEdit512 *edit = edits[c.edit];
        SCOPED_TRACE(c.typed);
        edit->setFocus();
        QApplication::processEvents();
        edit->setText(QString::fromLatin1(c.typed));
        // Leave by Tab, as the user does.
        QTest::keyClick(edit, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown));
        const int fields[] = {dlg.TopMargin, dlg.LeftMargin, dlg.VRatio, dlg.HRatio};
        EXPECT_EQ(fields[c.edit], c.stored);
    }
}

TEST_F(MarginDialog, RatioSettersShowTheCorrection)
{
    dlg.SetVRatio(1100);
    EXPECT_EQ(upDown("UpDown3")->Position(), 0);
    EXPECT_EQ(dlg.vRatioEdit()->text(), QStringLiteral("0"));
    EXPECT_EQ(dlg.VRatio, 1100);
    dlg.SetVRatio(960);
    EXPECT_EQ(upDown("UpDown3")->Position(), -40);
    EXPECT_EQ(dlg.vRatioEdit()->text(), QStringLiteral("-40"));
    dlg.SetHRatio(1050);
    EXPECT_EQ(dlg.hRatioEdit()->text(), QStringLiteral("50"));
    dlg.SetHRatio(949);
    EXPECT_EQ(dlg.hRatioEdit()->text(), QStringLiteral("0"));

    dlg.SetTopMargin(-30);
    dlg.SetLeftMargin(12);
    EXPECT_EQ(dlg.topEdit()->text(), QStringLiteral("-30"));
    EXPECT_EQ(upDown("UpDown1")->Position(), 12);
    EXPECT_EQ(dlg.TopMargin, -30);
}

TEST_F(MarginDialog, OkReadsTheEdits)
{
    dlg.SetTopMargin(25);
    dlg.SetLeftMargin(-8);
    dlg.SetVRatio(1000);
    dlg.SetHRatio(1000);
    // A value confirmed without leaving its edit is held to the range as well.
    dlg.hRatioEdit()->setText(QStringLiteral("80"));
    auto *ok = dlg.findChild<QPushButton *>(QStringLiteral("Button1"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.TopMargin, 25);
    EXPECT_EQ(dlg.LeftMargin, -8);
    EXPECT_EQ(dlg.VRatio, 1000);
    EXPECT_EQ(dlg.HRatio, 1050);
}

TEST_F(MarginDialog, UpDownStepsFromTheTypedNumberWithinItsRange)
{
    TUpDown *left = upDown("UpDown1");
    dlg.leftEdit()->setText(QStringLiteral("99"));
    QTest::mouseClick(left->upButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.leftEdit()->text(), QStringLiteral("100"));
    QTest::mouseClick(left->upButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.leftEdit()->text(), QStringLiteral("100"));
    dlg.vRatioEdit()->setText(QStringLiteral("-"));
    QTest::mouseClick(upDown("UpDown3")->downButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.vRatioEdit()->text(), QStringLiteral("-1"));
}

TEST_F(MarginDialog, EnterAndArrowsMoveBetweenEdits)
{
    enter(dlg.topEdit());
    QTest::keyClick(dlg.topEdit(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dlg.leftEdit());
    // Right with the caret inside the text stays in the edit.
    dlg.leftEdit()->setText(QStringLiteral("12"));
    dlg.leftEdit()->setCursorPosition(1);
    QTest::keyClick(dlg.leftEdit(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), dlg.leftEdit());
    QTest::keyClick(dlg.leftEdit(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), dlg.topEdit());
    // Tab is no character for the key filter.
    QTest::keyClick(dlg.topEdit(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dlg.leftEdit());
}

TEST_F(MarginDialog, EverythingFitsInTheWindow)
{
    for (QLabel *l : dlg.findChildren<QLabel *>()) {
        const QRect inDialog(l->mapTo(&dlg, QPoint(0, 0)), l->size());
        EXPECT_TRUE(dlg.rect().contains(inDialog)) << l->text().toStdString();
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    if (const QByteArray dir = qgetenv("SOLTEA_SCREENSHOT_DIR"); !dir.isEmpty())
        dlg.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/margin-dialog.png"));
}

} // namespace
