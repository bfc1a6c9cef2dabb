#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/xKeyControls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>

namespace {
// A form with three controls in tab order: before, the control under test, after.
struct Form {
    QDialog dlg;
    QLineEdit *before = new QLineEdit(&dlg);
    QWidget *control = nullptr;
    QLineEdit *after = new QLineEdit(&dlg);
    explicit Form(QWidget *c) : control(c)
    {
        c->setParent(&dlg);
        QWidget::setTabOrder(before, c);
        QWidget::setTabOrder(c, after);
        before->move(0, 0);
        c->move(0, 30);
        after->move(0, 60);
        fwtest::showActive(&dlg);
        c->setFocus();
    }
    QWidget *focused() const { return QApplication::focusWidget(); }
};
} // namespace

TEST(KeyStyles, MovesByStyleAndModifiers)
{
    struct Case { TKeyStyles styles; int key; Qt::KeyboardModifiers mods; int move; };
    const Case cases[] = {
        {DefaultKeyStyles, Qt::Key_Return, Qt::NoModifier, 1},
        {DefaultKeyStyles, Qt::Key_Up, Qt::NoModifier, -1},
        {DefaultKeyStyles, Qt::Key_Up, Qt::ShiftModifier, 0},
        {DefaultKeyStyles, Qt::Key_Down, Qt::NoModifier, 0},
        {DefaultKeyStyles, Qt::Key_Left, Qt::NoModifier, 0},
        {DefaultKeyStyles, Qt::Key_Right, Qt::NoModifier, 0},
        {KeyStyleBit(TKeyStyle::ksLeft) | KeyStyleBit(TKeyStyle::ksRight) | KeyStyleBit(TKeyStyle::ksDown),
         Qt::Key_Left, Qt::NoModifier, -1},
        {KeyStyleBit(TKeyStyle::ksRight), Qt::Key_Right, Qt::NoModifier, 1},
        {KeyStyleBit(TKeyStyle::ksDown), Qt::Key_Down, Qt::ControlModifier, 0},
        {KeyStyleBit(TKeyStyle::ksDown), Qt::Key_Down, Qt::NoModifier, 1},
        {0, Qt::Key_Return, Qt::NoModifier, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(KeyStyleMove(c.styles, c.key, c.mods), c.move) << c.key;
}

TEST(KeyControls, CheckBoxMovesWithEnterAndUp)
{
    auto *box = new TxCheckBox(QStringLiteral("同意する"));
    Form f(box);
    fwtest::press(box, Qt::Key_Return);
    EXPECT_EQ(f.focused(), f.after);
    box->setFocus();
    fwtest::press(box, Qt::Key_Up);
    EXPECT_EQ(f.focused(), f.before);
    box->setFocus();
    fwtest::press(box, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(f.focused(), box);
    // Without a style an arrow keeps its ordinary meaning in a dialog.
    fwtest::press(box, Qt::Key_Down);
    EXPECT_EQ(f.focused(), f.after);
    box->setFocus();
    fwtest::press(box, Qt::Key_Left);
    EXPECT_EQ(f.focused(), f.before);
}

TEST(KeyControls, RadioButtonMovesWithEnter)
{
    auto *radio = new TxRadioButton(QStringLiteral("全体"));
    Form f(radio);
    fwtest::press(radio, Qt::Key_Return);
    EXPECT_EQ(f.focused(), f.after);
}

TEST(KeyControls, EditMovesSidewaysOnlyAtTheEdges)
{
    auto *edit = new TxEdit;
    edit->KeyStyles = DefaultKeyStyles | KeyStyleBit(TKeyStyle::ksLeft) | KeyStyleBit(TKeyStyle::ksRight);
    Form f(edit);
    edit->setText(QStringLiteral("abc"));
    edit->deselect();
    edit->setCursorPosition(3);
    fwtest::press(edit, Qt::Key_Right);
    EXPECT_EQ(f.focused(), edit); // caret at the end, nothing selected: stays
    fwtest::press(edit, Qt::Key_Left);
    EXPECT_EQ(f.focused(), edit);
    EXPECT_EQ(edit->cursorPosition(), 2); // moved the caret

    edit->selectAll();
    fwtest::press(edit, Qt::Key_Right);
    EXPECT_EQ(f.focused(), f.after);
    edit->setFocus(); // entering selects all (cpAllSel)
    EXPECT_EQ(edit->selectedText(), QStringLiteral("abc"));
    fwtest::press(edit, Qt::Key_Left);
    EXPECT_EQ(f.focused(), f.before);

    edit->setFocus();
    edit->clear();
    fwtest::press(edit, Qt::Key_Right);
    EXPECT_EQ(f.focused(), f.after);
}

TEST(KeyControls, EditNumbers)
{
    TxEdit e;
    e.setText(QStringLiteral("1,000"));
    EXPECT_EQ(e.Curr().raw, 0);
    e.setText(QStringLiteral("abc"));
    EXPECT_EQ(e.Long(), 0);
    e.setText(QStringLiteral("1234.5"));
    EXPECT_EQ(e.Curr().raw, 12345000);
    e.setCurr(Currency());
    EXPECT_EQ(e.text(), QStringLiteral("1234.5")); // 0 keeps the text
    e.setLong(42);
    EXPECT_EQ(e.Long(), 42);
}

TEST(KeyControls, EditLengthCountsShiftJisBytes)
{
    TxEdit e;
    e.setMaxBytes(8);
    e.insert(QStringLiteral("あいう"));
    e.insert(QStringLiteral("え")); // 8 bytes: still fits
    e.insert(QStringLiteral("お"));
    EXPECT_EQ(e.text(), QStringLiteral("あいうえ"));
    e.clear();
    e.insert(QStringLiteral("ｱｲｳｴｵｶｷｸｹ")); // half-width kana count one byte each: 9 bytes
    EXPECT_EQ(e.text(), QString());
    e.insert(QStringLiteral("ｱｲｳｴｵｶｷｸ"));
    EXPECT_EQ(e.text(), QStringLiteral("ｱｲｳｴｵｶｷｸ"));
    e.setMaxBytes(0);
    e.insert(QStringLiteral("あ"));
    EXPECT_EQ(e.text(), QStringLiteral("ｱｲｳｴｵｶｷｸあ"));
}

TEST(KeyControls, PasteBlockedOnlyWithTheInputMethodDisabled)
{
    auto *edit = new TxEdit;
    Form f(edit);
    QApplication::clipboard();
    edit->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("XYZ"));
    edit->ImeMode = TImeMode::imDisable;
    fwtest::press(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QString());
    edit->ImeMode = TImeMode::imClose;
    fwtest::press(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("XYZ"));
}

TEST(ComboSearch, KeyPart)
{
    struct Case { const char16_t *text; int keyLen; const char16_t *key; };
    const Case cases[] = {
        {u"002", 3, u"002"},      {u"002:Bank", 3, u"002"}, {u"1:Cash", 3, u"1"},
        {u":Cash", 3, u""},       {u"12345", 3, u"123"},    {u" 9 ", 3, u"9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ComboSearchKey(QString::fromUtf16(c.text), c.keyLen, QStringLiteral(":")), QString::fromUtf16(c.key));
}

TEST(ComboSearch, PrefixSearchWrapsFromTheCurrentItem)
{
    const QStringList items{QStringLiteral("001:Cash"), QStringLiteral("002:Bank"), QStringLiteral("010:Note")};
    EXPECT_EQ(ComboFindPrefix(items, QStringLiteral("00"), 1), 1);
    EXPECT_EQ(ComboFindPrefix(items, QStringLiteral("001"), 2), 0); // wraps to the top
    EXPECT_EQ(ComboFindPrefix(items, QStringLiteral("9"), 0), -1);
}

TEST(KeyControls, ComboCodeSearchRemembersAndLeavesWithTheItem)
{
    auto *combo = new TxComboBox;
    combo->KeyLen = 3;
    combo->addItems({QStringLiteral("001:Cash"), QStringLiteral("002:Bank")});
    combo->setCurrentIndex(-1);
    Form f(combo);
    combo->setEditText(QStringLiteral("002"));
    EXPECT_EQ(combo->rememberedIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), -1); // not yet selected
    EXPECT_EQ(combo->currentText(), QStringLiteral("002"));
    f.after->setFocus();
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("002:Bank"));

    combo->setFocus();
    combo->setEditText(QStringLiteral("9"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("9"));
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 1);
    f.after->setFocus(); // a failed search leaves with the item held before
    EXPECT_EQ(combo->currentIndex(), 1);

    combo->setFocus();
    combo->setEditText(QStringLiteral("現金"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("現金")); // a name: no search
}

TEST(KeyControls, ComboDeleteAtTheStartSelectsTheFirstItem)
{
    auto *combo = new TxComboBox;
    combo->KeyLen = 3;
    combo->addItems({QStringLiteral("001:Cash"), QStringLiteral("002:Bank")});
    Form f(combo);
    combo->setEditText(QStringLiteral("00"));
    combo->lineEdit()->setCursorPosition(1);
    fwtest::press(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->currentText(), QStringLiteral("0")); // deletes a character
    combo->lineEdit()->setCursorPosition(0);
    fwtest::press(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral("001:Cash"));
}
