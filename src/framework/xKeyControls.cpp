#include "framework/xKeyControls.h"

#include "core/SjisText.h"
#include "platform/Cp932.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

int KeyStyleMove(TKeyStyles styles, int key, Qt::KeyboardModifiers modifiers)
{
    auto has = [&](TKeyStyle s) { return (styles & KeyStyleBit(s)) != 0; };
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return has(TKeyStyle::ksEnter) ? 1 : 0;
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return 0;
    if (QApplication::mouseButtons() != Qt::NoButton) return 0;
    switch (key) {
    case Qt::Key_Left: return has(TKeyStyle::ksLeft) ? -1 : 0;
    case Qt::Key_Up: return has(TKeyStyle::ksUp) ? -1 : 0;
    case Qt::Key_Right: return has(TKeyStyle::ksRight) ? 1 : 0;
    case Qt::Key_Down: return has(TKeyStyle::ksDown) ? 1 : 0;
    default: return 0;
    }
}

void MoveFocusFrom(QWidget *control, bool next)
{
    QWidget *form = control->window();
    if (!form || form == control) return;
    QWidget *w = control;
    for (int guard = 0; guard < 10000; ++guard) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == control) return;
        if (w->window() != form || w == form) continue;
        if (control->isAncestorOf(w) || w->focusProxy()) continue;
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(form)) continue;
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
}

QString ComboSearchKey(const QString &text, int keyLen, const QString &keyTerm)
{
    const int p = keyTerm.isEmpty() ? 0 : int(text.indexOf(keyTerm)) + 1;
    const QString key = (p >= 1 && p <= keyLen) ? text.left(p - 1) : text.left(keyLen);
    return key.trimmed();
}

int ComboFindPrefix(const QStringList &items, const QString &key, int current)
{
    const int n = int(items.size());
    if (n == 0 || key.isEmpty()) return -1;
    const int start = current < 0 ? 0 : current;
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        if (items[i].startsWith(key, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

namespace {
bool handleKeyStyle(QWidget *w, TKeyStyles styles, QKeyEvent *e)
{
    const int move = KeyStyleMove(styles, e->key(), e->modifiers());
    if (move == 0) return false;
    MoveFocusFrom(w, move > 0);
    e->accept();
    return true;
}
} // namespace

// ---- check box and radio button ----

namespace {
bool isArrow(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}
} // namespace

void TxCheckBox::keyPressEvent(QKeyEvent *e)
{
    if (handleKeyStyle(this, KeyStyles, e)) return;
    // An arrow without a style keeps the dialog's meaning (the focus moves on),
    // but not with a modifier held.
    if (isArrow(e->key()) && (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        e->ignore();
        return;
    }
    QCheckBox::keyPressEvent(e);
}

void TxRadioButton::keyPressEvent(QKeyEvent *e)
{
    if (handleKeyStyle(this, KeyStyles, e)) return;
    // Without a key style an arrow keeps its meaning inside a group of radio
    // buttons, but never with a modifier held.
    if (isArrow(e->key()) && (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        e->ignore();
        return;
    }
    QRadioButton::keyPressEvent(e);
}

// ---- edit ----

namespace {

// Refuses a text longer than the given number of Shift-JIS bytes.
class Cp932LengthValidator : public QValidator
{
public:
    Cp932LengthValidator(int maxBytes, QObject *parent) : QValidator(parent), m_max(maxBytes) {}
    State validate(QString &input, int &) const override
    {
        return platform::cp932Length(input) <= m_max ? Acceptable : Invalid;
    }

private:
    int m_max;
};

} // namespace

TxEdit::TxEdit(QWidget *parent) : QLineEdit(parent) {}

void TxEdit::setMaxBytes(int n)
{
    m_maxBytes = qMax(0, n);
    delete validator();
    setValidator(m_maxBytes > 0 ? new Cp932LengthValidator(m_maxBytes, this) : nullptr);
}

void TxEdit::setKeyEdit3D(TBorderStyle s)
{
    m_border = s;
    setFrame(s == TBorderStyle::bsSingle);
}

void TxEdit::keyPressEvent(QKeyEvent *e)
{
    if (pasteBlocked() && (e->matches(QKeySequence::Paste) ||
                           (e->key() == Qt::Key_Insert && e->modifiers() == Qt::ShiftModifier))) {
        e->accept();
        return;
    }
    const int key = e->key();
    const int len = int(text().size());
    const int selStart = hasSelectedText() ? selectionStart() : cursorPosition();
    const int selLen = int(selectedText().size());
    bool allowed = true;
    if (key == Qt::Key_Left) allowed = selStart == 0 && (selLen == 0 || selLen == len);
    if (key == Qt::Key_Right) allowed = selLen == len;
    if (allowed && handleKeyStyle(this, KeyStyles, e)) return;
    if (m_collecting && !e->text().isEmpty() && e->text()[0].unicode() > 31 && key != Qt::Key_Delete)
        m_reading += e->text();
    QLineEdit::keyPressEvent(e);
}

void TxEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    switch (CursorPos) {
    case TCursorPoss::cpAllSel: selectAll(); break;
    case TCursorPoss::cpLeft: setCursorPosition(0); break;
    case TCursorPoss::cpRight: end(false); break;
    }
    m_reading.clear();
    m_collecting = KanaSw;
}

void TxEdit::focusOutEvent(QFocusEvent *e)
{
    m_collecting = false;
    QLineEdit::focusOutEvent(e);
}

void TxEdit::inputMethodEvent(QInputMethodEvent *e)
{
    // The reading of a finished composition as the input method hands it over.
    if (m_collecting && !e->commitString().isEmpty()) m_reading += e->commitString();
    QLineEdit::inputMethodEvent(e);
}

void TxEdit::contextMenuEvent(QContextMenuEvent *e)
{
    if (pasteBlocked()) {
        e->accept();
        return;
    }
    QLineEdit::contextMenuEvent(e);
}

void TxEdit::mousePressEvent(QMouseEvent *e)
{
    if (pasteBlocked() && e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    if (pasteBlocked() && e->button() == Qt::MiddleButton) { // selection paste
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

Currency TxEdit::Curr() const
{
    Currency c;
    const QString t = text().trimmed();
    if (t.contains(u',') || !Currency::tryParse(t, c)) return Currency();
    return c;
}

void TxEdit::setCurr(Currency c)
{
    if (c.raw == 0) return;
    setText(c.toString());
}

qint32 TxEdit::Long() const
{
    bool ok = false;
    const qint32 v = text().trimmed().toInt(&ok);
    return ok ? v : 0;
}

void TxEdit::setLong(qint32 v)
{
    if (v == 0) return;
    setText(QString::number(v));
}

QString TxEdit::kana() const
{
    return MapString(LCMAP_HALFWIDTH, MapString(LCMAP_KATAKANA, m_reading.left(1024)));
}

void TxEdit::setKana(const QString &k)
{
    if (!k.isEmpty()) m_reading = k;
}

// ---- combo box ----

TxComboBox::TxComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::editTextChanged, this, &TxComboBox::codeSearch);
    connect(this, &QComboBox::activated, this, [this](int i) { if (i >= 0) m_remembered = i; });
}

void TxComboBox::setItemIndex(int index)
{
    m_inSearch = true;
    setCurrentIndex(index);
    m_inSearch = false;
    if (index >= 0) m_remembered = index;
}

void TxComboBox::codeSearch(const QString &text)
{
    if (m_inSearch || KeyLen <= 0) return;
    const QString key = ComboSearchKey(text, KeyLen, KeyTerm);
    if (key.isEmpty()) return;
    const QByteArray bytes = platform::toCp932(QStringView(text).left(1));
    if (!bytes.isEmpty() && IsSjisLeadByte(uchar(bytes[0]))) { // typing a name
        m_remembered = currentIndex();
        return;
    }
    QStringList items;
    for (int i = 0; i < count(); ++i) items << itemText(i);
    int found = ComboFindPrefix(items, key, currentIndex());
    if (found < 0 && currentIndex() > 0) found = ComboFindPrefix(items, key, 0);
    if (found >= 0) {
        m_remembered = found;
    } else {
        m_inSearch = true;
        setCurrentIndex(-1); // leaving goes back to the remembered item
        if (isEditable()) {
            setEditText(key);
            lineEdit()->setCursorPosition(int(key.size()));
        }
        m_inSearch = false;
    }
    update();
}

void TxComboBox::showPopup()
{
    m_dropped = true;
    QComboBox::showPopup();
    if (DropDownWidth > 0 && view()) view()->setMinimumWidth(DropDownWidth);
}

void TxComboBox::hidePopup()
{
    QComboBox::hidePopup();
    m_dropped = false;
    if (KeyLen <= 0) return;
    m_inSearch = true;
    if (currentIndex() >= 0 || m_remembered < 0) {
        if (m_remembered >= 0) setEditText(itemText(m_remembered));
    } else {
        setCurrentIndex(m_remembered);
    }
    m_inSearch = false;
}

void TxComboBox::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Delete) {
        const bool atStart = !isEditable() || (lineEdit()->cursorPosition() == 0 && !lineEdit()->hasSelectedText());
        if (m_dropped || atStart || currentText().isEmpty()) {
            e->accept();
            if (count() > 0) {
                setItemIndex(0);
                m_inSearch = true;
                setEditText(itemText(0));
                m_inSearch = false;
            }
            return;
        }
    }
    const bool isArrow = e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || e->key() == Qt::Key_Up ||
                         e->key() == Qt::Key_Down;
    const bool isEnter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (!m_dropped && (isArrow || isEnter) && handleKeyStyle(this, KeyStyles, e)) return;
    QComboBox::keyPressEvent(e);
}

void TxComboBox::focusInEvent(QFocusEvent *e)
{
    m_remembered = currentIndex();
    // The code search chooses items; typed text is not completed behind its back.
    if (isEditable() && completer()) setCompleter(nullptr);
    QComboBox::focusInEvent(e);
}

void TxComboBox::focusOutEvent(QFocusEvent *e)
{
    if (KeyLen > 0) {
        m_inSearch = true;
        setCurrentIndex(m_remembered);
        if (m_remembered >= 0) setEditText(itemText(m_remembered));
        m_inSearch = false;
    }
    QComboBox::focusOutEvent(e);
}
