#include "framework/KikanSelection.h"

#include "dbaccess/Kikan.h"

#include <algorithm>

namespace {
// The month of a closing date; the books' date 0 (the null date) lies in December.
QString monthCaption(const QDate &d)
{
    return QString::number(d.isValid() ? d.month() : 12);
}

bool onlyShift(Qt::KeyboardModifiers m)
{
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == Qt::ShiftModifier;
}
} // namespace

bool KikanClosingDayValid(int closingDay)
{
    return (closingDay >= 1 && closingDay <= 28) || closingDay == ClosingDayMonthEnd;
}

int KikanMonthToCellNo(int closingDay, const QDate &start, const QDate &date)
{
    const int k = MonthsBetween(closingDay, start, date);
    if (k < 0 || k > 14) return 15;
    return k + k / 3;
}

int KikanMonthOffset(int closingDay, const QDate &start, const QDate &date)
{
    const int k = MonthsBetween(closingDay, start, date);
    return (k < 0 || k > 11) ? 11 : k;
}

KikanSelection::KikanSelection(TKikanPanelKind kind) : m_kind(kind)
{
    if (kind == TKikanPanelKind::Buttons) {
        captionButtons();
        m_stno = 0;
        m_edno = 3;
        m_lastNo = 3;
        syncAnchor();
        return;
    }
    const int year = QDate::currentDate().year();
    SetKikan(ClosingDayMonthEnd, QDate(year, 1, 1), QDate(year, 12, 31), QDate(year, 1, 1));
}

bool KikanSelection::SetKikan(int closingDay, const QDate &start, const QDate &end, const QDate &booksBegin)
{
    m_closingDay = closingDay;
    m_start = start;
    m_end = end;
    m_booksBegin = booksBegin;
    m_dragging = m_pressed = false;
    switch (m_kind) {
    case TKikanPanelKind::Cells16:
        setKikan16(start, end, booksBegin);
        break;
    case TKikanPanelKind::Cells12:
        setKikan12(start, end, booksBegin);
        break;
    case TKikanPanelKind::Buttons:
        setKikanButtons(start, end, booksBegin);
        break;
    }
    syncAnchor();
    return KikanClosingDayValid(closingDay);
}

void KikanSelection::setKikan16(const QDate &start, const QDate &end, const QDate &booksBegin)
{
    const int sime = m_closingDay;
    m_last = KikanMonthToCellNo(sime, start, end);
    if (m_kessan) {
        ++m_last;
        m_lastNo = m_last;
    } else {
        m_lastNo = m_last + 1;
    }
    m_first = KikanMonthToCellNo(sime, start, booksBegin);
    m_stno = m_first;
    m_edno = m_kikanMove ? m_last : m_first;

    for (int i = 0; i < 16; ++i) {
        TKikanCell &c = m_cells[size_t(i)];
        c = TKikanCell{};
        if (i < m_first) c.Enabled = false;
    }
    for (int j = 0; j <= std::min(m_lastNo, 15); ++j) {
        TKikanCell &c = m_cells[size_t(j)];
        if (j == m_lastNo || j == 15) {
            c.Caption = QStringLiteral("決");
            c.PeriodNo = 15;
        } else if (j == 3 || j == 7 || j == 11) {
            c.Caption = QStringLiteral("・");
            c.PeriodNo = j;
        } else {
            c.PeriodNo = j;
            c.Caption = monthCaption(ClosingDate(j - j / 4, sime, start));
        }
    }
    for (int i = std::max(0, m_kessan ? m_lastNo + 1 : m_lastNo); i < 16; ++i) {
        m_cells[size_t(i)].Enabled = false;
        m_cells[size_t(i)].Caption.clear();
    }
}

void KikanSelection::setKikan12(const QDate &start, const QDate &end, const QDate &booksBegin)
{
    const int sime = m_closingDay;
    m_last = KikanMonthOffset(sime, start, end);
    m_lastNo = m_last;
    m_first = KikanMonthOffset(sime, start, booksBegin);
    m_stno = m_first;
    m_edno = m_kikanMove ? m_last : m_first;
    for (int j = 0; j < 12; ++j) {
        TKikanCell &c = m_cells[size_t(j)];
        c = TKikanCell{};
        c.PeriodNo = j + j / 3;
        if (j <= m_last)
            c.Caption = monthCaption(ClosingDate(j, sime, start));
        else
            c.Enabled = false;
        if (j < m_first) c.Enabled = false;
    }
}

void KikanSelection::setKikanButtons(const QDate &start, const QDate &end, const QDate &booksBegin)
{
    const int s = KikanMonthOffset(m_closingDay, start, booksBegin);
    const int t = KikanMonthOffset(m_closingDay, start, end);
    for (int i = 0; i < m_btnCnt; ++i) {
        m_cells[size_t(i)].Visible = true;
        m_cells[size_t(i)].Enabled = false;
    }
    int st, ed;
    if (m_btnCnt == 2) {
        st = s < 6 ? 0 : 1;
        ed = t < 6 ? 0 : 1;
    } else {
        st = s / 3;
        ed = t / 3;
    }
    for (int i = st; i <= ed; ++i) m_cells[size_t(i)].Enabled = true;
    m_stno = st;
    m_edno = m_kikanMove ? ed : st;
}

void KikanSelection::captionButtons()
{
    for (int i = 0; i < 4; ++i) {
        TKikanCell &c = m_cells[size_t(i)];
        if (m_btnCnt == 4) {
            c.Caption = QString::number(i + 1);
            c.Visible = true;
        } else {
            c.Caption = i == 0 ? QStringLiteral("上") : (i == 1 ? QStringLiteral("下") : QString());
            c.Visible = i < 2;
        }
    }
}

int KikanSelection::visibleCount() const
{
    return m_kind == TKikanPanelKind::Buttons ? m_btnCnt : cellCount();
}

int KikanSelection::firstSelectable() const
{
    if (m_kind != TKikanPanelKind::Buttons) return m_first;
    for (int i = 0; i < m_btnCnt; ++i)
        if (m_cells[size_t(i)].Enabled && m_cells[size_t(i)].Visible) return i;
    return 0;
}

int KikanSelection::lastSelectable() const
{
    if (m_kind != TKikanPanelKind::Buttons) return m_last;
    for (int i = m_btnCnt - 1; i >= 0; --i)
        if (m_cells[size_t(i)].Enabled && m_cells[size_t(i)].Visible) return i;
    return 0;
}

int KikanSelection::periodOf(int cell) const
{
    if (m_kind == TKikanPanelKind::Buttons || cell < 0 || cell >= cellCount()) return cell;
    return m_cells[size_t(cell)].PeriodNo;
}

void KikanSelection::syncAnchor()
{
    if (m_dragging) return;
    m_anchor = m_stno;
    m_moving = m_edno;
}

void KikanSelection::applyPairRule()
{
    switch (m_kind) {
    case TKikanPanelKind::Cells16:
        m_edno = std::min(m_edno, m_lastNo);
        break;
    case TKikanPanelKind::Cells12:
        m_stno = std::clamp(m_stno, 0, std::max(0, m_last));
        m_edno = std::clamp(m_edno, 0, std::max(0, m_last));
        if (m_stno > m_edno) std::swap(m_stno, m_edno);
        break;
    case TKikanPanelKind::Buttons:
        break;
    }
}

bool KikanSelection::setStno(int v)
{
    if (v == m_stno) return false;
    return setRange(v, m_edno);
}

bool KikanSelection::setEdno(int v)
{
    if (v == m_edno) return false;
    return setRange(m_stno, v);
}

bool KikanSelection::setRange(int st, int ed)
{
    const int oldSt = m_stno, oldEd = m_edno;
    m_stno = st;
    m_edno = ed;
    applyPairRule();
    // Arrow keys continue from what the owner chose.
    syncAnchor();
    return m_stno != oldSt || m_edno != oldEd;
}

bool KikanSelection::setKikanMove(bool on)
{
    if (on == m_kikanMove) return false;
    m_kikanMove = on;
    if (!on) m_edno = m_stno;
    syncAnchor();
    return true;
}

bool KikanSelection::setKESSAN(bool on)
{
    if (m_kind != TKikanPanelKind::Cells16 || on == m_kessan) return false;
    m_kessan = on;
    if (!on) {
        if (m_last >= 0 && m_last < 16) {
            m_cells[size_t(m_last)].Enabled = false;
            m_cells[size_t(m_last)].Caption.clear();
        }
        --m_last;
        // The closing cell no longer belongs to the choice.
        if (m_last >= 0) {
            m_stno = std::min(m_stno, m_last);
            m_edno = std::min(m_edno, m_last);
        }
    } else {
        ++m_last;
        if (m_last >= 0 && m_last < 16) {
            m_cells[size_t(m_last)].Enabled = true;
            m_cells[size_t(m_last)].Caption = QStringLiteral("決");
        }
    }
    syncAnchor();
    return true;
}

bool KikanSelection::setBtnCnt(int n)
{
    if (m_kind != TKikanPanelKind::Buttons || (n != 2 && n != 4)) return false;
    m_btnCnt = n;
    captionButtons();
    m_stno = 0;
    m_edno = n - 1;
    m_lastNo = n - 1;
    syncAnchor();
    return true;
}

// ---- layout ----

void KikanSelection::arrange(int width, int height)
{
    const int n = visibleCount();
    const int inner = std::max(0, width - 8);
    const int w = inner / n;
    const int leftover = inner - w * n;
    const int h = std::max(0, height - 6);
    int x = 4;
    for (int i = 0; i < cellCount(); ++i) {
        if (i >= n) {
            m_cells[size_t(i)].Rect = QRect();
            continue;
        }
        const int cw = w + (i < leftover ? 1 : 0);
        m_cells[size_t(i)].Rect = QRect(x, 3, cw, h);
        x += cw;
    }
    m_cellW = w;
    m_cellH = h;
}

int KikanSelection::snappedWidth(int width) const
{
    const int n = visibleCount();
    return std::max(0, width - 8) / n * n + 8;
}

int KikanSelection::cellAt(const QPoint &p) const
{
    for (int i = 0; i < visibleCount(); ++i) {
        const TKikanCell &c = m_cells[size_t(i)];
        if (c.Visible && c.Rect.contains(p)) return i;
    }
    return -1;
}

// ---- mouse ----

bool KikanSelection::mousePress(int cell, Qt::MouseButton button)
{
    if (cell < 0 || cell >= visibleCount()) return false;
    const TKikanCell &c = m_cells[size_t(cell)];
    if (!c.Enabled || !c.Visible) return false; // a cell that cannot be chosen takes no press
    if (button == Qt::LeftButton) {
        m_pressed = true;
        if (cell > lastSelectable()) {
            m_anchor = m_stno;
            m_moving = m_edno;
        } else {
            m_anchor = m_moving = cell;
            m_dragging = true;
        }
    }
    return true;
}

bool KikanSelection::mouseMove(const QPoint &p)
{
    if (!m_dragging || !m_kikanMove) return false;
    for (int i = 0; i < visibleCount(); ++i) {
        const TKikanCell &c = m_cells[size_t(i)];
        if (!c.Visible || !c.Rect.contains(p)) continue;
        if (!c.Enabled || i == m_moving) return false; // a disabled cell stops the search
        m_moving = i;
        return true;
    }
    return false;
}

bool KikanSelection::mouseRelease(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !m_pressed) return false;
    m_pressed = false;
    m_dragging = false;
    m_stno = std::min(m_anchor, m_moving);
    m_edno = std::max(m_anchor, m_moving);
    return true;
}

// ---- keys and focus ----

KikanSelection::KeyResult KikanSelection::keyPress(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        m_kbdMouse = true;
        const bool left = key == Qt::Key_Left;
        const int first = firstSelectable();
        const int last = std::min(lastSelectable(), visibleCount() - 1);
        if (m_kikanMove && onlyShift(modifiers)) {
            // Shift moves the far end; the pair stays as it is until Shift goes up.
            if (left && m_moving > first)
                --m_moving;
            else if (!left && m_moving < last)
                ++m_moving;
            m_stno = m_anchor;
            m_edno = m_moving;
        } else {
            if (left && m_anchor > first)
                m_anchor = m_moving = m_anchor - 1;
            else if (!left && m_anchor < last)
                m_anchor = m_moving = m_anchor + 1;
            m_stno = std::min(m_anchor, m_moving);
            m_edno = std::max(m_anchor, m_moving);
        }
        return KeyResult::Handled;
    }
    if (key == Qt::Key_Up) return KeyResult::FocusPrevious;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // The twelve-cell and button panels keep the mark, so that leaving reports once more.
        if (m_kind == TKikanPanelKind::Cells16) m_kbdMouse = false;
        return KeyResult::CompleteAndFocusNext;
    }
    return KeyResult::NotMine;
}

bool KikanSelection::keyRelease(int key)
{
    if (key != Qt::Key_Shift || m_stno <= m_edno) return false;
    std::swap(m_stno, m_edno);
    return true;
}

void KikanSelection::focusIn()
{
    m_kbdMouse = false;
}

bool KikanSelection::focusOut()
{
    const bool report = m_kbdMouse;
    m_kbdMouse = false;
    return report;
}

// ---- colours ----

int KikanSelection::shownLow() const
{
    return m_dragging ? std::min(m_anchor, m_moving) : std::min(m_stno, m_edno);
}

int KikanSelection::shownHigh() const
{
    return m_dragging ? std::max(m_anchor, m_moving) : std::max(m_stno, m_edno);
}

TKikanCellPaint KikanSelection::paintOf(int i, bool panelEnabled) const
{
    const bool inside = i >= shownLow() && i <= shownHigh();
    if (!panelEnabled) {
        const QColor range = m_kind == TKikanPanelKind::Cells16 ? DisabelColor : QColor(192, 192, 192);
        return {inside ? range : ButtonFace, QColor(128, 128, 128)};
    }
    if (inside) return {BackColor, FontColor};
    if (KakuteiMode && m_kind != TKikanPanelKind::Buttons && i <= KakuteiMNo - 1) return {KakuteiBackColor, KakuteiFontColor};
    return {ButtonFace, WindowText};
}
