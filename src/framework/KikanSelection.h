#pragma once
// The selection logic of the period panels, without a window: the cells of a
// fiscal year (captions, period numbers, which of them may be chosen), the
// chosen range, and what a click, a drag or an arrow key does to it. The panel
// widget (xKikanPanel) draws the cells and passes its mouse and key events
// through here.
//
// Three kinds of panel share it:
//   - sixteen cells: the twelve months with a closing cell after every third
//     month (cells 3, 7, 11) and the year-end closing (cell 15, period 15);
//   - twelve cells: the months only, with the fixed period numbers
//     0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14;
//   - four buttons: the quarters, or two half-years.
#include <QColor>
#include <QDate>
#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

#include <array>

enum class TKikanPanelKind { Cells16, Cells12, Buttons };

struct TKikanCell {
    QString Caption;
    int PeriodNo = -1; // -1 outside the year
    bool Enabled = true;
    bool Visible = true;
    QRect Rect;
};

struct TKikanCellPaint {
    QColor Back;
    QColor Text;
};

// Whether a closing day is one the date computations accept (1..28, or 99 for
// the month's end). Every other value leaves the dates unchanged.
bool KikanClosingDayValid(int closingDay);
// The sixteen-cell index of the accounting month of a date, counted from the
// year start: months 0-2 are cells 0-2, 3-5 cells 4-6, 6-8 cells 8-10, 9-11
// cells 12-14, 12-14 cells 16-18 (no cell), anything else 15.
int KikanMonthToCellNo(int closingDay, const QDate &start, const QDate &date);
// The month of a date counted from the year start, 0..11; 11 outside.
int KikanMonthOffset(int closingDay, const QDate &start, const QDate &date);

class KikanSelection
{
public:
    explicit KikanSelection(TKikanPanelKind kind);

    TKikanPanelKind kind() const { return m_kind; }
    int cellCount() const { return m_kind == TKikanPanelKind::Cells16 ? 16 : (m_kind == TKikanPanelKind::Cells12 ? 12 : 4); }
    const TKikanCell &cell(int i) const { return m_cells[size_t(i)]; }

    // Rebuilds the cells for the fiscal year from start to end; the months
    // before booksBegin cannot be chosen. False when the closing day is not
    // one the date computations accept (the caller beeps).
    bool SetKikan(int closingDay, const QDate &start, const QDate &end, const QDate &booksBegin);
    int closingDay() const { return m_closingDay; }
    QDate periodStart() const { return m_start; }
    QDate periodEnd() const { return m_end; }
    QDate booksBegin() const { return m_booksBegin; }

    int Stno() const { return m_stno; }
    int Edno() const { return m_edno; }
    // The setters answer whether anything changed (the panel then repaints).
    // Sixteen cells: Stno is stored as given, Edno at most LastNo. Twelve
    // cells: the pair is clamped to the selectable cells and ordered. Buttons:
    // stored as given.
    bool setStno(int v);
    bool setEdno(int v);
    // Both ends at once, with the rule of the kind applied once to the pair.
    bool setRange(int st, int ed);
    // Period numbers of Stno and Edno (sixteen and twelve cells); the cell
    // index itself when it has no cell.
    int StMonthNo() const { return periodOf(m_stno); }
    int EdMonthNo() const { return periodOf(m_edno); }
    int LastNo() const { return m_lastNo; }

    bool KikanMove() const { return m_kikanMove; }
    bool setKikanMove(bool on);
    // Sixteen cells: whether the year-end closing cell can be chosen.
    bool KESSAN() const { return m_kessan; }
    bool setKESSAN(bool on);
    // Buttons: 2 or 4; other values are ignored (false).
    int BtnCnt() const { return m_btnCnt; }
    bool setBtnCnt(int n);

    // A keyboard change of the selection not reported yet.
    bool KBDMOUSE() const { return m_kbdMouse; }

    int firstSelectable() const;
    int lastSelectable() const;
    int anchor() const { return m_anchor; }
    int moving() const { return m_moving; }
    bool dragging() const { return m_dragging; }

    // Colours; the panel keeps ButtonFace and WindowText in step with its palette.
    QColor BackColor = QColor(0, 0, 128);
    QColor FontColor = Qt::white;
    QColor DisabelColor = QColor(192, 192, 192);
    bool KakuteiMode = false;
    int KakuteiMNo = 0;
    QColor KakuteiBackColor = QColor(255, 128, 64);
    QColor KakuteiFontColor = Qt::white;
    QColor ButtonFace = QColor(240, 240, 240);
    QColor WindowText = Qt::black;

    // Layout: the cells side by side inside a 4-pixel margin (3 at the top and
    // bottom); the first cells take one pixel each of what is left over.
    void arrange(int width, int height);
    int snappedWidth(int width) const;
    int cellWidth() const { return m_cellW; }
    int cellHeight() const { return m_cellH; }
    // The visible cell under a point of the panel, -1 for none.
    int cellAt(const QPoint &p) const;

    // Mouse. A press answers whether a cell took it (the panel then fires its
    // mouse-down event). A move answers whether the dragged range changed. A
    // release answers whether a selection was completed (the mouse-up report).
    bool mousePress(int cell, Qt::MouseButton button);
    bool mouseMove(const QPoint &p);
    bool mouseRelease(Qt::MouseButton button);

    // Keys.
    enum class KeyResult { NotMine, Handled, FocusPrevious, CompleteAndFocusNext };
    KeyResult keyPress(int key, Qt::KeyboardModifiers modifiers);
    // Releasing Shift puts Stno and Edno in order; true when they changed.
    bool keyRelease(int key);
    // Focus. Leaving answers whether an unreported keyboard change must be reported now.
    void focusIn();
    bool focusOut();

    // The colours of a cell as they are shown now.
    TKikanCellPaint paintOf(int i, bool panelEnabled) const;
    // The range shown selected (the dragged range while dragging).
    int shownLow() const;
    int shownHigh() const;

private:
    void setKikan16(const QDate &start, const QDate &end, const QDate &booksBegin);
    void setKikan12(const QDate &start, const QDate &end, const QDate &booksBegin);
    void setKikanButtons(const QDate &start, const QDate &end, const QDate &booksBegin);
    void captionButtons();
    void applyPairRule();
    void syncAnchor();
    int periodOf(int cell) const;
    int visibleCount() const;

    TKikanPanelKind m_kind;
    std::array<TKikanCell, 16> m_cells{};
    int m_closingDay = 99;
    QDate m_start, m_end, m_booksBegin;
    int m_first = 0, m_last = 0;
    int m_stno = 0, m_edno = 0, m_lastNo = 0;
    bool m_kikanMove = true;
    bool m_kessan = true;
    int m_btnCnt = 4;
    bool m_kbdMouse = false;
    int m_anchor = 0, m_moving = 0;
    bool m_dragging = false;
    bool m_pressed = false;
    int m_cellW = 18, m_cellH = 18;
};
