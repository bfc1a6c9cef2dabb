#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/DorvelEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

namespace {
int keyOf(QChar c)
{
    if (c.isDigit()) return Qt::Key_0 + (c.unicode() - u'0');
    if (c == u'.') return Qt::Key_Period;
    if (c == u'-') return Qt::Key_Minus;
    if (c == u'+') return Qt::Key_Plus;
    if (c == u'\b') return Qt::Key_Backspace;
    if (c.isLetter()) return Qt::Key_A + (c.toUpper().unicode() - u'A');
    return Qt::Key_unknown;
}

void typeKeys(QWidget *w, const QString &keys)
{
    for (QChar c : keys) {
        if (c == u'\b') fwtest::tap(w, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        else fwtest::tap(w, keyOf(c), Qt::NoModifier, QString(c));
    }
}

// A form with an edit between two plain edits, shown and active.
struct EditForm {
    QWidget form;
    QLineEdit *before, *after;
    TDorvelEdit *edit;
    EditForm()
    {
        before = new QLineEdit(&form);
        edit = new TDorvelEdit(&form);
        edit->setObjectName(QStringLiteral("txtKingaku"));
        after = new QLineEdit(&form);
        before->setGeometry(0, 0, 100, 22);
        edit->setGeometry(0, 30, 150, 22);
        after->setGeometry(0, 60, 100, 22);
        fwtest::showActive(&form);
        edit->setFocus();
        QApplication::processEvents();
    }
    // The amount field of the input dialog.
    void amount()
    {
        edit->EditStyle = TEditStyle::esNumericMinus;
        edit->OutputFormat = QStringLiteral("#,##0");
        edit->setComma(true);
        edit->setZero3Key(TZeroKey::zkDot);
        edit->setMaxLength(11);
        edit->setAlignment(Qt::AlignRight);
    }
};
} // namespace

TEST(DorvelEditTest, NumberPattern)
{
    const struct {
        double value;
        const char *pattern, *text;
    } cases[] = {{0, "#,##0", "0"},           {1000, "#,##0", "1,000"},          {-1500, "#,##0", "-1,500"},
                 {12345678901.0, "#,##0", "12,345,678,901"}, {999, "#,##0", "999"}, {1234.5, "#,##0", "1,235"},
                 {-0.4, "#,##0", "0"},        {1234.5, "#,##0.00", "1,234.50"}, {1234.5, "0.##", "1234.5"},
                 {2.5, "0", "3"},             {0.25, "#,##0.#", "0.3"}};
    for (const auto &c : cases)
        EXPECT_EQ(FormatNumber(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.text))
            << c.value << " " << c.pattern;
    EXPECT_EQ(NumberOfText(QStringLiteral("1,234")), 1234);
    EXPECT_EQ(NumberOfText(QStringLiteral("abc")), 0);
    EXPECT_EQ(NumberOfText(QString()), 0);
}

TEST(DorvelEditTest, AmountFieldKeys)
{
    const struct {
        const char *keys, *text;
        int caret; // -1: the end
    } cases[] = {
        {"1.", "1,000", 5},
        {"12..", "12,000,000", 10},
        {"1234", "1,234", 5},
        {"12345678901", "12,345,678,901", -1},
        {"123456789012", "12,345,678,901", -1},  // the twelfth digit is refused
        {"12345678901.", "12,345,678,901", -1},  // no room for "000"
        {"99999999.", "99,999,999,000", -1},     // exactly 11 digits
        {"999999999.", "99,999,999,900", -1},    // "000" cut to the room left
        {"1500-", "-1,500", -1},                 // the sign toggles, the caret goes to the end
        {"1500--", "1,500", -1},
        {"-", "-", 1},                           // minus on an empty field types "-"
        {"-5", "-5", 2},
        {"-5.", "-5,000", -1},
        {"1a2b", "12", 2},                       // letters are refused
        {"1234\b", "123", 3},                    // a comma that goes away moves the caret back
        {"0", "0", 1},
    };
    for (const auto &c : cases) {
        EditForm f;
        f.amount();
        typeKeys(f.edit, QString::fromUtf8(c.keys));
        const QString expected = QString::fromUtf8(c.text);
        EXPECT_EQ(f.edit->text(), expected) << c.keys;
        EXPECT_EQ(f.edit->cursorPosition(), c.caret < 0 ? expected.size() : c.caret) << c.keys;
        EXPECT_TRUE(f.edit->hasFocus()) << c.keys;
    }
}

TEST(DorvelEditTest, WithoutLiveCommasTheNumberIsFormattedOnLeaving)
{
    EditForm f;
    f.amount();
    f.edit->setComma(false);
    typeKeys(f.edit, QStringLiteral("1500-"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("-1500"));
    f.after->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.edit->text(), QStringLiteral("-1,500"));
    f.edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.edit->text(), QStringLiteral("-1500")); // the bare number, selected
    EXPECT_EQ(f.edit->selectedText(), QStringLiteral("-1500"));
}

TEST(DorvelEditTest, LeavingAnEmptyFieldFollowsAllowBlank)
{
    for (bool allowBlank : {false, true}) {
        EditForm f;
        f.amount();
        f.edit->AllowBlank = allowBlank;
        f.edit->setText(QString());
        f.after->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(f.edit->text(), allowBlank ? QString() : QStringLiteral("0"));
    }
    // A lone minus left behind reads as 0.
    EditForm f;
    f.amount();
    typeKeys(f.edit, QStringLiteral("-"));
    f.after->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.edit->text(), QStringLiteral("0"));
}

TEST(DorvelEditTest, StyleFilters)
{
    const struct {
        TEditStyle style;
        const char *keys, *text;
    } cases[] = {
        {TEditStyle::esFloat, ".", ""},            // a point on an empty field is refused
        {TEditStyle::esFloat, "1.5.2", "1.52"},    // and a second point
        {TEditStyle::esFloat, "-1", "1"},
        {TEditStyle::esNumeric, "1.5-x", "15"},
        {TEditStyle::esFloatMinus, "2.5-", "-2.5"},
        {TEditStyle::esNone, "a.-1", "a.-1"},
    };
    for (const auto &c : cases) {
        EditForm f;
        f.edit->EditStyle = c.style;
        typeKeys(f.edit, QString::fromUtf8(c.keys));
        EXPECT_EQ(f.edit->text(), QString::fromUtf8(c.text)) << c.keys;
    }
}

TEST(DorvelEditTest, ZeroKeys)
{
    const struct {
        TEditStyle style;
        TZeroKey zero2, zero3;
        const char *keys, *text;
    } cases[] = {
        {TEditStyle::esNumeric, TZeroKey::zkPlus, TZeroKey::zkDot, "5+.", "500000"},
        {TEditStyle::esNumericMinus, TZeroKey::zkMinus, TZeroKey::zkNone, "5-", "-5"}, // minus keeps its sign role
        {TEditStyle::esFloat, TZeroKey::zkNone, TZeroKey::zkDot, "1.5", "1.5"},         // the point keeps its role
        {TEditStyle::esNone, TZeroKey::zkNone, TZeroKey::zkDot, "1.", "1."},            // no zero keys without a style
    };
    for (const auto &c : cases) {
        EditForm f;
        f.edit->EditStyle = c.style;
        f.edit->setZero2Key(c.zero2);
        f.edit->setZero3Key(c.zero3);
        typeKeys(f.edit, QString::fromUtf8(c.keys));
        EXPECT_EQ(f.edit->text(), QString::fromUtf8(c.text)) << c.keys;
    }
}

TEST(DorvelEditTest, CopyAndPasteAreRefusedInNumericStyles)
{
    EditForm f;
    f.amount();
    QApplication::clipboard()->setText(QStringLiteral("999"));
    typeKeys(f.edit, QStringLiteral("12"));
    fwtest::tap(f.edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("12"));

    EditForm plain;
    plain.edit->KillPaste = true;
    plain.edit->ImeMode = TImeMode::imDisable;
    fwtest::tap(plain.edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(plain.edit->text(), QString());
    plain.edit->KillPaste = false;
    fwtest::tap(plain.edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(plain.edit->text(), QStringLiteral("999"));
}

TEST(DorvelEditTest, EscIsConsumedAndClearsTheAutoNextResult)
{
    EditForm f;
    f.edit->AutoNextCtls = AutoNextBit(TAutoNextCtl::acDownKey);
    fwtest::tap(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->AutoNextCtls_Result(),
              AutoNextBit(TAutoNextCtl::acDownKey) | AutoNextBit(TAutoNextCtl::acSendEnter));
    EXPECT_TRUE(f.edit->hasFocus());
    fwtest::tap(f.edit, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_EQ(f.edit->AutoNextCtls_Result(), 0u);
}

TEST(DorvelEditTest, AFullFieldMovesOnInTheSameKeystroke)
{
    EditForm f;
    f.edit->setMaxLength(3);
    f.edit->AutoNextCtls = AutoNextBit(TAutoNextCtl::acMaxLength);
    typeKeys(f.edit, QStringLiteral("ab"));
    EXPECT_TRUE(f.edit->hasFocus());
    typeKeys(f.edit, QStringLiteral("c"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("abc"));
    EXPECT_TRUE(f.after->hasFocus());

    // With acSendEnter the character is left to the edit and the owner reacts.
    EditForm g;
    g.edit->setMaxLength(3);
    g.edit->AutoNextCtls = AutoNextBit(TAutoNextCtl::acMaxLength) | AutoNextBit(TAutoNextCtl::acSendEnter);
    typeKeys(g.edit, QStringLiteral("abc"));
    EXPECT_EQ(g.edit->text(), QStringLiteral("abc"));
    EXPECT_TRUE(g.edit->hasFocus());
    EXPECT_EQ(g.edit->AutoNextCtls_Result(),
              AutoNextBit(TAutoNextCtl::acMaxLength) | AutoNextBit(TAutoNextCtl::acSendEnter));
}

TEST(DorvelEditTest, KeyStylesMoveTheFocus)
{
    {
        EditForm f;
        f.edit->KeyStyles = KeyStyleBit(TKeyStyle::ksEnter) | KeyStyleBit(TKeyStyle::ksLeft);
        f.edit->setText(QStringLiteral("12"));
        f.edit->selectAll();
        fwtest::tap(f.edit, Qt::Key_Left);
        EXPECT_TRUE(f.edit->hasFocus()); // with the text selected Left stays in the edit
        f.edit->setCursorPosition(0);
        fwtest::tap(f.edit, Qt::Key_Left);
        EXPECT_TRUE(f.before->hasFocus());
    }
    {
        EditForm f;
        fwtest::tap(f.edit, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        EXPECT_TRUE(f.after->hasFocus());
    }
    {
        EditForm f;
        fwtest::tap(f.edit, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_TRUE(f.before->hasFocus());
    }
}
