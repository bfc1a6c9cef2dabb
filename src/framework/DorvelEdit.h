#pragma once
// The edit box for amounts, codes and names: keys filtered by an input style,
// numbers formatted by a pattern with optional live thousands separators, a key
// that types "00" or "000", the minus key toggling the sign, automatic moves when
// the field is full, and the reading (kana) of what is typed collected.
#include "framework/xKeyControls.h"

#include <QBrush>
#include <QLineEdit>

#include <functional>

enum class TEditStyle { esNone, esNumeric, esFloat, esNumericMinus, esFloatMinus };
enum class TZeroKey { zkNone, zkDot, zkPlus, zkMinus, zkAsterisk, zkSlash };
enum class TKanaMode { kmNone, kmZenkaku, kmHankaku };
enum class TAutoNextCtl { acMaxLength, acTabKey, acDownKey, acSendEnter };
using TAutoNextCtls = unsigned; // bit per TAutoNextCtl
inline constexpr TAutoNextCtls AutoNextBit(TAutoNextCtl c) { return 1u << unsigned(c); }

// The key character of a zero key ("." "+" "-" "*" "/"); none for zkNone.
QChar ZeroKeyChar(TZeroKey k);

// A number formatted with a decimal pattern: "#,##0", "0.00", "#,##0.##" and the
// like (a comma in the integer part groups by thousands; "0" after the point is a
// fixed decimal, "#" an optional one; halves round away from zero).
QString FormatNumber(double value, const QString &pattern);
// The text without its thousands separators read as a number; 0 when it is none.
double NumberOfText(const QString &text);

class TDorvelEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TDorvelEdit(QWidget *parent = nullptr);

    TAutoNextCtls AutoNextCtls = 0;
    TAutoNextCtls AutoNextCtls_Result() const { return m_result; }
    TEditStyle EditStyle = TEditStyle::esNone;
    QString Kana;
    TKanaMode KanaMode = TKanaMode::kmNone;
    bool KillPaste = false;
    TImeMode ImeMode = TImeMode::imDontCare;
    TKeyStyles KeyStyles = KeyStyleBit(TKeyStyle::ksEnter);
    QString OutputFormat;
    bool AllowBlank = false;
    bool EnterKeyNoBeep = false;
    bool ImeOnFlg() const { return m_imeOn; }

    bool Comma() const { return m_comma; }
    void setComma(bool on);
    TZeroKey Zero2Key() const { return m_zero2; }
    void setZero2Key(TZeroKey k) { m_zero2 = k; }
    TZeroKey Zero3Key() const { return m_zero3; }
    void setZero3Key(TZeroKey k) { m_zero3 = k; }
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    QBrush Brush() const { return m_brush; }
    void setBrush(const QBrush &b);
    // The characters other than thousands separators (0: no limit).
    int MaxLength() const { return m_maxLength; }
    void setMaxLength(int n);

    std::function<void(QObject *sender)> OnImeStatusChange;
    std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseEnter;
    std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseLeave;

    bool isNumericStyle() const { return EditStyle != TEditStyle::esNone; }
    // Formats the text with OutputFormat (numeric styles only; an empty text stays
    // empty with AllowBlank) and widens the character limit by the commas.
    void ApplyOutputFormat();
    // Inserts a text at the caret as a typed key would (cut to the character limit).
    void InsertText(const QString &ins);
    // One typed character through the key-press rules (as from the keyboard).
    void typeChar(QChar c);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    bool focusNextPrevChild(bool) override { return false; } // Tab comes to the edit itself

private:
    // The key-press rules; true when the character was consumed.
    bool keyPressChar(QChar c);
    void changed(int caretAfter, const QString &before);
    void setTextKeepLimit(const QString &t);
    void addKana(const QString &reading);
    bool pasteBlocked() const { return KillPaste && ImeMode == TImeMode::imDisable; }

    TAutoNextCtls m_result = 0;
    bool m_comma = false;
    TZeroKey m_zero2 = TZeroKey::zkNone, m_zero3 = TZeroKey::zkNone;
    bool m_transparent = false;
    QBrush m_brush{Qt::white};
    int m_maxLength = 0;
    bool m_imeOn = false;
};
