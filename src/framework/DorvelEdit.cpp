#include "framework/DorvelEdit.h"

#include "core/Currency.h"
#include "core/SjisText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

QChar ZeroKeyChar(TZeroKey k)
{
    switch (k) {
    case TZeroKey::zkDot: return u'.';
    case TZeroKey::zkPlus: return u'+';
    case TZeroKey::zkMinus: return u'-';
    case TZeroKey::zkAsterisk: return u'*';
    case TZeroKey::zkSlash: return u'/';
    default: return QChar();
    }
}

QString FormatNumber(double value, const QString &pattern)
{
    const qsizetype dot = pattern.indexOf(u'.');
    const QString intPart = dot >= 0 ? pattern.left(dot) : pattern;
    const QString fracPart = dot >= 0 ? pattern.mid(dot + 1) : QString();
    const bool group = intPart.contains(u',');
    const int minInt = int(intPart.count(u'0'));
    const int fixedDec = int(fracPart.count(u'0'));
    const int maxDec = fixedDec + int(fracPart.count(u'#'));

    // Round half away from zero at maxDec decimals.
    const double scale = std::pow(10.0, maxDec);
    double r = std::round(std::fabs(value) * scale) / scale;
    const bool negative = value < 0 && r != 0;
    QString digits = QString::number(r, 'f', maxDec);
    QString ip = digits, fp;
    if (maxDec > 0) {
        ip = digits.section(u'.', 0, 0);
        fp = digits.section(u'.', 1);
        while (fp.size() > fixedDec && fp.endsWith(u'0')) fp.chop(1);
    }
    if (ip == QStringLiteral("0") && minInt == 0) ip.clear();
    while (ip.size() < minInt) ip.prepend(u'0');
    if (group)
        for (qsizetype i = ip.size() - 3; i > 0; i -= 3) ip.insert(i, u',');
    QString out = ip;
    if (!fp.isEmpty()) out += u'.' + fp;
    if (out.isEmpty()) out = QStringLiteral("0");
    return negative ? u'-' + out : out;
}

double NumberOfText(const QString &text)
{
    QString t = text;
    t.remove(u',');
    bool ok = false;
    const double v = t.trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

namespace {
int commaCount(const QString &t)
{
    return int(t.count(u','));
}
QString withoutCommas(QString t)
{
    return t.remove(u',');
}
bool isFloatStyle(TEditStyle s)
{
    return s == TEditStyle::esFloat || s == TEditStyle::esFloatMinus;
}
bool isMinusStyle(TEditStyle s)
{
    return s == TEditStyle::esNumericMinus || s == TEditStyle::esFloatMinus;
}
constexpr QChar kEsc(0x1b);
constexpr QChar kBackspace(0x08);
} // namespace

TDorvelEdit::TDorvelEdit(QWidget *parent) : QLineEdit(parent)
{
    setBrush(QBrush(Qt::white));
}

void TDorvelEdit::setComma(bool on)
{
    m_comma = on;
    if (!on) setMaxLength(m_maxLength);
}

void TDorvelEdit::setMaxLength(int n)
{
    m_maxLength = n;
    if (n <= 0) {
        QLineEdit::setMaxLength(32767);
        return;
    }
    const int limit = n + (m_comma ? commaCount(text()) : 0);
    QLineEdit::setMaxLength(qMax(limit, int(text().size())));
}

void TDorvelEdit::setTransparent(bool on)
{
    m_transparent = on;
    setBrush(m_brush);
}

void TDorvelEdit::setBrush(const QBrush &b)
{
    m_brush = b;
    QPalette pal = palette();
    pal.setBrush(QPalette::Base, m_transparent ? QBrush(Qt::transparent) : m_brush);
    setPalette(pal);
    setFrame(!m_transparent);
    update();
}

void TDorvelEdit::setTextKeepLimit(const QString &t)
{
    if (QLineEdit::maxLength() < t.size()) QLineEdit::setMaxLength(int(t.size()));
    setText(t);
}

void TDorvelEdit::ApplyOutputFormat()
{
    if (!isNumericStyle() || OutputFormat.isEmpty()) return;
    if (text().isEmpty() && AllowBlank) return;
    const QString s = FormatNumber(NumberOfText(text()), OutputFormat);
    if (m_maxLength > 0) QLineEdit::setMaxLength(qMax(m_maxLength + commaCount(s), int(s.size())));
    if (s != text()) setTextKeepLimit(s);
}

void TDorvelEdit::changed(int caretAfter, const QString &)
{
    if (!m_comma) return;
    // A lone sign stays while the number is being typed (it would read as 0).
    if (text() == QStringLiteral("-")) return;
    const bool wasEmpty = text().isEmpty();
    const int before = commaCount(text());
    ApplyOutputFormat();
    const int after = commaCount(text());
    int p = caretAfter;
    if (wasEmpty || after > before) ++p;
    else if (after < before) --p;
    setCursorPosition(qBound(0, p, int(text().size())));
}

void TDorvelEdit::InsertText(const QString &insert)
{
    QString ins = insert;
    QString t = text();
    int p = cursorPosition();
    const int c1 = commaCount(t);
    if (hasSelectedText()) {
        p = selectionStart();
        t.remove(p, selectedText().size());
    }
    if (m_maxLength > 0) {
        const int total = int(withoutCommas(t + ins).size());
        if (total > m_maxLength) ins.chop(qMin<int>(int(ins.size()), total - m_maxLength));
    }
    const QString nt = t.left(p) + ins + t.mid(p);
    setTextKeepLimit(nt);
    if (m_maxLength > 0) {
        const int len = int(m_comma ? withoutCommas(nt).size() : nt.size());
        if (len >= m_maxLength) {
            m_result |= AutoNextBit(TAutoNextCtl::acMaxLength);
            if (AutoNextCtls & AutoNextBit(TAutoNextCtl::acSendEnter)) m_result |= AutoNextBit(TAutoNextCtl::acSendEnter);
        }
    }
    changed(p + int(ins.size()), t);
    setCursorPosition(qBound(0, p + int(ins.size()) + (commaCount(text()) - c1), int(text().size())));
}

bool TDorvelEdit::keyPressChar(QChar c)
{
    update();
    const bool tabReport = c == u'\t' && (AutoNextCtls & AutoNextBit(TAutoNextCtl::acTabKey));
    const bool skipFilters = c == u'\r' || tabReport;
    bool inserted = false;
    if (!skipFilters && isNumericStyle()) {
        auto zeroKey = [&](TZeroKey k) {
            if (k == TZeroKey::zkNone || c != ZeroKeyChar(k)) return false;
            if (k == TZeroKey::zkDot && isFloatStyle(EditStyle)) return false;
            if (k == TZeroKey::zkMinus && isMinusStyle(EditStyle)) return false;
            return true;
        };
        if (zeroKey(m_zero2)) {
            InsertText(QStringLiteral("00"));
            inserted = true;
        } else if (zeroKey(m_zero3)) {
            InsertText(QStringLiteral("000"));
            inserted = true;
        }
        if (!inserted) {
            const bool pass = c == kBackspace || c == u'\t' || c == kEsc || (c >= u'0' && c <= u'9') ||
                              (c == u'.' && isFloatStyle(EditStyle)) || (c == u'-' && isMinusStyle(EditStyle));
            if (!pass) return true;
            if (c == u'-') {
                Currency value;
                if (!Currency::tryParse(withoutCommas(text()), value)) value = Currency();
                if (value.raw != 0) {
                    const QString before = text();
                    setTextKeepLimit((-value).toString());
                    setCursorPosition(int(text().size()));
                    changed(int(text().size()), before);
                    setCursorPosition(int(text().size()));
                    return true;
                }
            }
            if (c == u'.' && (text().isEmpty() || text().contains(u'.'))) return true;
        }
    }
    if (inserted) return true;
    if (c == kBackspace || c == kEsc || c.unicode() == 130) {
        m_result = 0;
        return c == kEsc;
    }
    if (tabReport) {
        m_result |= AutoNextBit(TAutoNextCtl::acTabKey) | AutoNextBit(TAutoNextCtl::acSendEnter);
        return true;
    }
    if (EnterKeyNoBeep && c == u'\r') return true;
    m_result &= ~(AutoNextBit(TAutoNextCtl::acMaxLength) | AutoNextBit(TAutoNextCtl::acSendEnter));
    if (c.unicode() >= 32 && (AutoNextCtls & AutoNextBit(TAutoNextCtl::acMaxLength)) && m_maxLength > 0) {
        const int len = int(m_comma ? withoutCommas(text()).size() : text().size());
        const int n = len + 1 - int(selectedText().size());
        if (n >= m_maxLength) {
            m_result |= AutoNextBit(TAutoNextCtl::acMaxLength);
            if (AutoNextCtls & AutoNextBit(TAutoNextCtl::acSendEnter)) {
                m_result |= AutoNextBit(TAutoNextCtl::acSendEnter);
                return false; // the owner reacts
            }
            InsertText(QString(c));
            MoveFocusFrom(this, true);
            return true;
        }
    }
    return false;
}

void TDorvelEdit::typeChar(QChar c)
{
    if (c.isNull()) return;
    if (keyPressChar(c)) return;
    if (c.unicode() < 32) return;
    const QString before = text();
    insert(QString(c));
    if (text() != before) changed(cursorPosition(), before);
}

void TDorvelEdit::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (key == 0) return;
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool plain = mods == Qt::NoModifier;
    auto has = [&](TKeyStyle s) { return (KeyStyles & KeyStyleBit(s)) != 0; };
    const bool tabReport = (AutoNextCtls & AutoNextBit(TAutoNextCtl::acTabKey)) != 0;

    // Key-down: the focus moves.
    switch (key) {
    case Qt::Key_Tab:
        if (plain && tabReport) break;
        if (plain) MoveFocusFrom(this, true);
        else if (mods == Qt::ShiftModifier) MoveFocusFrom(this, false);
        return;
    case Qt::Key_Backtab:
        MoveFocusFrom(this, false); // the Tab report covers a plain Tab only
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (has(TKeyStyle::ksEnter)) {
            MoveFocusFrom(this, true);
            return;
        }
        break;
    case Qt::Key_Up:
        if (has(TKeyStyle::ksUp)) {
            MoveFocusFrom(this, false);
            return;
        }
        break;
    case Qt::Key_Down:
        if (plain && (AutoNextCtls & AutoNextBit(TAutoNextCtl::acDownKey))) {
            m_result |= AutoNextBit(TAutoNextCtl::acDownKey) | AutoNextBit(TAutoNextCtl::acSendEnter);
            return;
        }
        if (has(TKeyStyle::ksDown)) {
            MoveFocusFrom(this, true);
            return;
        }
        break;
    case Qt::Key_Left:
        if (has(TKeyStyle::ksLeft) && !hasSelectedText() && cursorPosition() == 0) {
            MoveFocusFrom(this, false);
            return;
        }
        break;
    case Qt::Key_Right:
        if (has(TKeyStyle::ksRight) && !hasSelectedText() && cursorPosition() == text().size()) {
            MoveFocusFrom(this, true);
            return;
        }
        break;
    default: break;
    }

    // Copy and paste: refused in the numeric styles, paste also when blocked.
    const bool isPaste = e->matches(QKeySequence::Paste);
    if (isPaste && pasteBlocked()) return;
    if (isNumericStyle() && (isPaste || e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut))) return;

    // Key-press: the typed character.
    QChar c;
    if (key == Qt::Key_Backspace) c = kBackspace;
    else if (key == Qt::Key_Escape) c = kEsc;
    else if (key == Qt::Key_Return || key == Qt::Key_Enter) c = u'\r';
    else if (key == Qt::Key_Tab) c = u'\t';
    else if (e->text().size() == 1 && !(mods & (Qt::ControlModifier | Qt::AltModifier))) c = e->text().at(0);

    if (!c.isNull()) {
        if (keyPressChar(c)) return;
        if (c == u'\t') return;
        if (KanaMode != TKanaMode::kmNone && c.unicode() > 31 && !m_imeOn) addKana(QString(c));
    }
    const QString before = text();
    QLineEdit::keyPressEvent(e);
    if (text() != before) changed(cursorPosition(), before);
}

void TDorvelEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    m_result = 0;
    if (isNumericStyle() && !OutputFormat.isEmpty() && !m_comma) {
        setText(withoutCommas(text()));
        selectAll();
    }
}

void TDorvelEdit::focusOutEvent(QFocusEvent *e)
{
    ApplyOutputFormat();
    m_result = 0;
    QLineEdit::focusOutEvent(e);
}

void TDorvelEdit::addKana(const QString &reading)
{
    QString k = MapString(LCMAP_KATAKANA, (Kana + reading).left(1024));
    if (KanaMode == TKanaMode::kmHankaku) k = MapString(LCMAP_HALFWIDTH, k);
    Kana = k;
}

void TDorvelEdit::inputMethodEvent(QInputMethodEvent *e)
{
    const bool composing = !e->preeditString().isEmpty();
    if (composing && !m_imeOn) {
        m_imeOn = true;
        if (OnImeStatusChange) OnImeStatusChange(this);
    }
    if (!e->commitString().isEmpty() || (!composing && m_imeOn)) {
        if (KanaMode != TKanaMode::kmNone && !e->commitString().isEmpty()) addKana(e->commitString());
        if (m_imeOn) {
            m_imeOn = false;
            if (OnImeStatusChange) OnImeStatusChange(this);
        }
    }
    QLineEdit::inputMethodEvent(e);
}

void TDorvelEdit::contextMenuEvent(QContextMenuEvent *e)
{
    if (pasteBlocked()) return;
    QLineEdit::contextMenuEvent(e);
}

void TDorvelEdit::mousePressEvent(QMouseEvent *e)
{
    if (pasteBlocked() && e->button() != Qt::LeftButton) return;
    QLineEdit::mousePressEvent(e);
}

void TDorvelEdit::enterEvent(QEnterEvent *e)
{
    QLineEdit::enterEvent(e);
    const QPoint p = mapFromGlobal(QCursor::pos());
    if (OnMouseEnter) OnMouseEnter(this, QGuiApplication::queryKeyboardModifiers(), p.x(), p.y());
}

void TDorvelEdit::leaveEvent(QEvent *e)
{
    QLineEdit::leaveEvent(e);
    const QPoint p = mapFromGlobal(QCursor::pos());
    if (OnMouseLeave) OnMouseLeave(this, QGuiApplication::queryKeyboardModifiers(), p.x(), p.y());
}
