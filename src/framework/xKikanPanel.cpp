#include "framework/xKikanPanel.h"

#include "framework/xKeyControls.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <climits>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

TxKikanPanel::TxKikanPanel(TKikanPanelKind kind, int width, QWidget *parent) : QWidget(parent), m_sel(kind)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(width, 22);
    takePaletteColours();
    relayout();
}

TxKikanPanel::~TxKikanPanel() = default;

QSize TxKikanPanel::sizeHint() const
{
    return {m_sel.snappedWidth(m_sel.kind() == TKikanPanelKind::Buttons ? 80 : 242), 22};
}

void TxKikanPanel::takePaletteColours()
{
    m_sel.ButtonFace = palette().color(QPalette::Button);
    m_sel.WindowText = palette().color(QPalette::WindowText);
}

void TxKikanPanel::refresh()
{
    if (isVisible())
        repaint();
    else
        update();
}

void TxKikanPanel::relayout()
{
    m_sel.arrange(width(), height());
    refresh();
}

void TxKikanPanel::SetKikan(int closingDay, const QDate &start, const QDate &end, const QDate &booksBegin)
{
    if (!m_sel.SetKikan(closingDay, start, end, booksBegin)) QApplication::beep();
    relayout();
}

void TxKikanPanel::setStno(int v)
{
    if (m_sel.setStno(v)) refresh();
}

void TxKikanPanel::setEdno(int v)
{
    if (m_sel.setEdno(v)) refresh();
}

void TxKikanPanel::setRange(int st, int ed)
{
    if (m_sel.setRange(st, ed)) refresh();
}

void TxKikanPanel::setKikanMove(bool on)
{
    if (m_sel.setKikanMove(on)) refresh();
}

namespace {
bool setColour(QColor &field, const QColor &c)
{
    if (field == c) return false;
    field = c;
    return true;
}
} // namespace

void TxKikanPanel::setBackColor(const QColor &c)
{
    if (setColour(m_sel.BackColor, c)) refresh();
}

void TxKikanPanel::setFontColor(const QColor &c)
{
    if (setColour(m_sel.FontColor, c)) refresh();
}

void TxKikanPanel::setKakuteiMode(bool on)
{
    if (m_sel.KakuteiMode == on) return;
    m_sel.KakuteiMode = on;
    refresh();
}

void TxKikanPanel::setKakuteiMNo(int n)
{
    if (m_sel.KakuteiMNo == n) return;
    m_sel.KakuteiMNo = n;
    refresh();
}

void TxKikanPanel::setKakuteiBackColor(const QColor &c)
{
    if (setColour(m_sel.KakuteiBackColor, c)) refresh();
}

void TxKikanPanel::setKakuteiFontColor(const QColor &c)
{
    if (setColour(m_sel.KakuteiFontColor, c)) refresh();
}

// ---- drawing ----

void TxKikanPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // The panel's own background turns grey while it has the focus.
    p.fillRect(rect(), m_focused ? QColor(128, 128, 128) : m_sel.ButtonFace);
    qDrawWinPanel(&p, rect(), palette(), true); // lowered outer and inner bevels
    p.setFont(captionFont());
    for (int i = 0; i < m_sel.cellCount(); ++i) {
        const TKikanCell &c = m_sel.cell(i);
        if (!c.Visible || c.Rect.isEmpty()) continue;
        const TKikanCellPaint paint = m_sel.paintOf(i, isEnabled());
        p.fillRect(c.Rect, paint.Back);
        if (c.Caption.isEmpty()) continue;
        // A cell that cannot be chosen shows its caption greyed.
        p.setPen(c.Enabled ? paint.Text : QColor(128, 128, 128));
        p.drawText(c.Rect, Qt::AlignCenter, c.Caption);
    }
}

QFont TxKikanPanel::captionFont() const
{
    // Two-digit months must fit narrow cells: the font shrinks until the widest caption does.
    const QFontMetrics fm(font());
    int widest = 0, room = INT_MAX;
    for (int i = 0; i < m_sel.cellCount(); ++i) {
        const TKikanCell &c = m_sel.cell(i);
        if (!c.Visible || c.Rect.isEmpty() || c.Caption.isEmpty()) continue;
        widest = std::max(widest, fm.horizontalAdvance(c.Caption));
        room = std::min(room, c.Rect.width() - 2);
    }
    if (widest == 0 || widest <= room) return font();
    QFont f = font();
    const int px = QFontInfo(font()).pixelSize();
    f.setPixelSize(std::max(6, px * std::max(room, 1) / widest));
    return f;
}

void TxKikanPanel::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    // The cells share the width evenly: a free-standing panel snaps to it.
    const int snapped = m_sel.snappedWidth(width());
    const QLayout *owner = parentWidget() ? parentWidget()->layout() : nullptr;
    if (snapped != width() && !(owner && owner->indexOf(this) >= 0)) {
        resize(snapped, height());
        return;
    }
    relayout();
}

void TxKikanPanel::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    switch (e->type()) {
    case QEvent::PaletteChange:
        takePaletteColours();
        update();
        break;
    case QEvent::EnabledChange:
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
}

// ---- mouse ----

void TxKikanPanel::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const int c = m_sel.cellAt(pos);
    if (c < 0 || !m_sel.cell(c).Enabled) {
        e->ignore();
        return;
    }
    if (e->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    if (!m_sel.mousePress(c, e->button())) return;
    refresh();
    Q_EMIT mouseDown(e->button(), e->modifiers(), pos.x(), pos.y());
}

void TxKikanPanel::mouseMoveEvent(QMouseEvent *e)
{
    // Moves count only during a drag, which a press on a cell starts (and that
    // press gave the panel the focus).
    if (m_sel.mouseMove(e->position().toPoint())) refresh();
}

void TxKikanPanel::mouseReleaseEvent(QMouseEvent *e)
{
    if (!m_sel.mouseRelease(e->button())) return;
    refresh();
    const QPoint pos = e->position().toPoint();
    Q_EMIT mouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
}

void TxKikanPanel::mouseDoubleClickEvent(QMouseEvent *e)
{
    const int c = m_sel.cellAt(e->position().toPoint());
    if (c < 0 || !m_sel.cell(c).Enabled) {
        e->ignore();
        return;
    }
    Q_EMIT doubleClicked();
    // The second press of a double click presses the cell like the first.
    mousePressEvent(e);
}

// ---- keys and focus ----

void TxKikanPanel::reportCompletion()
{
    Q_EMIT mouseUp(Qt::LeftButton, Qt::NoModifier, 0, 0);
}

void TxKikanPanel::keyPressEvent(QKeyEvent *e)
{
    switch (m_sel.keyPress(e->key(), e->modifiers())) {
    case KikanSelection::KeyResult::Handled:
        e->accept();
        refresh();
        return;
    case KikanSelection::KeyResult::FocusPrevious:
        e->accept();
        MoveFocusFrom(this, false);
        return;
    case KikanSelection::KeyResult::CompleteAndFocusNext:
        e->accept();
        reportCompletion();
        MoveFocusFrom(this, true);
        return;
    case KikanSelection::KeyResult::NotMine:
        break;
    }
    QWidget::keyPressEvent(e);
}

void TxKikanPanel::keyReleaseEvent(QKeyEvent *e)
{
    if (m_sel.keyRelease(e->key())) refresh();
    QWidget::keyReleaseEvent(e);
}

namespace {
// Focus that comes and goes with the whole window is no entering or leaving of the panel.
bool windowSwitch(const QFocusEvent *e)
{
    return e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
}
} // namespace

void TxKikanPanel::focusInEvent(QFocusEvent *e)
{
    QWidget::focusInEvent(e);
    if (windowSwitch(e)) return;
    m_sel.focusIn();
    m_focused = true;
    refresh();
}

void TxKikanPanel::focusOutEvent(QFocusEvent *e)
{
    QWidget::focusOutEvent(e);
    if (windowSwitch(e)) return;
    m_focused = false;
    refresh();
    if (m_sel.focusOut()) reportCompletion();
}

// ---- the three panels ----

TxKikanPanel16::TxKikanPanel16(QWidget *parent) : TxKikanPanel(TKikanPanelKind::Cells16, 242, parent) {}

void TxKikanPanel16::setKESSAN(bool on)
{
    if (m_sel.setKESSAN(on)) refresh();
}

void TxKikanPanel16::setDisabelColor(const QColor &c)
{
    if (m_sel.DisabelColor == c) return;
    m_sel.DisabelColor = c;
    refresh();
}

TxKikanPanel12::TxKikanPanel12(QWidget *parent) : TxKikanPanel(TKikanPanelKind::Cells12, 242, parent) {}

TxKikanPanel4::TxKikanPanel4(QWidget *parent) : TxKikanPanel(TKikanPanelKind::Buttons, 80, parent) {}

void TxKikanPanel4::setBtnCnt(int n)
{
    if (m_sel.setBtnCnt(n)) relayout();
}
