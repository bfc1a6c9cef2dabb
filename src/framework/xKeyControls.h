#pragma once
// The framework's edit box, combo box, check box and radio button. They share
// one keyboard convention, the key styles: Enter and the arrow keys move the
// focus to the next or previous control of the form.
#include "core/Currency.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

enum class TKeyStyle { ksEnter, ksLeft, ksUp, ksRight, ksDown };
using TKeyStyles = unsigned; // bit per TKeyStyle
inline constexpr TKeyStyles KeyStyleBit(TKeyStyle s) { return 1u << unsigned(s); }
inline constexpr TKeyStyles DefaultKeyStyles = KeyStyleBit(TKeyStyle::ksEnter) | KeyStyleBit(TKeyStyle::ksUp);

enum class TCursorPoss { cpAllSel, cpLeft, cpRight };
enum class TBorderStyle { bsNone, bsSingle };
// Input-method modes of an edit (only "disabled" matters to paste blocking).
enum class TImeMode { imDisable, imClose, imOpen, imDontCare };

// The focus move a key asks for under the key styles: +1 next, -1 previous, 0 none.
// Arrows move only without Shift, Ctrl or Alt.
int KeyStyleMove(TKeyStyles styles, int key, Qt::KeyboardModifiers modifiers);

// Moves the focus from a control to the next (or previous) control of its form.
void MoveFocusFrom(QWidget *control, bool next);

// The key part of a combo-box text for the code search: the text before KeyTerm
// when that lies within the first keyLen characters, else the first keyLen
// characters; trimmed.
QString ComboSearchKey(const QString &text, int keyLen, const QString &keyTerm);
// The case-insensitive prefix search of the combo box: starts at the current item,
// wraps to the top, and searches once more from the top when nothing was found and
// the current item was not the first. -1 when not found.
int ComboFindPrefix(const QStringList &items, const QString &key, int current);

class TxCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit TxCheckBox(QWidget *parent = nullptr) : QCheckBox(parent) {}
    explicit TxCheckBox(const QString &text, QWidget *parent = nullptr) : QCheckBox(text, parent) {}
    TKeyStyles KeyStyles = DefaultKeyStyles;

protected:
    void keyPressEvent(QKeyEvent *e) override;
};

class TxRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit TxRadioButton(QWidget *parent = nullptr) : QRadioButton(parent) {}
    explicit TxRadioButton(const QString &text, QWidget *parent = nullptr) : QRadioButton(text, parent) {}
    TKeyStyles KeyStyles = DefaultKeyStyles;

protected:
    void keyPressEvent(QKeyEvent *e) override;
};

class TxEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TxEdit(QWidget *parent = nullptr);

    TKeyStyles KeyStyles = DefaultKeyStyles;
    TCursorPoss CursorPos = TCursorPoss::cpAllSel;
    bool KanaSw = false;
    bool KillPaste = true;
    TImeMode ImeMode = TImeMode::imDontCare;

    TBorderStyle KeyEdit3D() const { return m_border; }
    void setKeyEdit3D(TBorderStyle s);

    // The text as a currency value (0 when it is not a number); writing 0 keeps the text.
    Currency Curr() const;
    void setCurr(Currency c);
    qint32 Long() const;
    void setLong(qint32 v);
    // The collected reading as half-width katakana.
    QString kana() const;
    void setKana(const QString &k);
    // The longest text in Shift-JIS bytes (0: no limit); longer input is refused.
    int MaxBytes() const { return m_maxBytes; }
    void setMaxBytes(int n);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    bool pasteBlocked() const { return KillPaste && ImeMode == TImeMode::imDisable; }
    TBorderStyle m_border = TBorderStyle::bsSingle;
    QString m_reading;
    bool m_collecting = false;
    int m_maxBytes = 0;
};

class TxComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TxComboBox(QWidget *parent = nullptr);

    TKeyStyles KeyStyles = DefaultKeyStyles;
    int DropDownWidth = 0;
    int KeyLen = 0;
    QString KeyTerm = QStringLiteral(":");

    // The remembered item (-1 none).
    int rememberedIndex() const { return m_remembered; }
    // Selects an item; an index >= 0 is also remembered.
    void setItemIndex(int index);
    bool droppedDown() const { return m_dropped; }

    void showPopup() override;
    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void codeSearch(const QString &text);
    int m_remembered = -1;
    bool m_dropped = false;
    bool m_inSearch = false;
};
