#pragma once
// The period selector panels: a row of small cells in which the operator
// chooses a range of periods of the fiscal year with the mouse (click, or
// press and drag) or with the arrow keys (Shift widens the range).
//
//   TxKikanPanel16  sixteen cells: months and the four closings
//   TxKikanPanel12  twelve month cells
//   TxKikanPanel4   four quarter buttons, or two half-year buttons
//
// One widget draws all three; the choosing itself lives in KikanSelection.
// A completed choice is reported through mouseUp (left button; 0, 0 for a
// report from the keyboard): on releasing a pressed cell, on Enter, and on
// leaving the panel after an unreported keyboard change.
#include "framework/KikanSelection.h"

#include <QWidget>

class TxKikanPanel : public QWidget
{
    Q_OBJECT
public:
    ~TxKikanPanel() override;

    // Rebuilds the cells for a fiscal year (closing day 1..28 or 99; the months
    // before booksBegin cannot be chosen). A closing day outside those beeps.
    void SetKikan(int closingDay, const QDate &start, const QDate &end, const QDate &booksBegin);

    int Stno() const { return m_sel.Stno(); }
    void setStno(int v);
    int Edno() const { return m_sel.Edno(); }
    void setEdno(int v);
    // Both ends at once (the owner's initial choice).
    void setRange(int st, int ed);
    bool KikanMove() const { return m_sel.KikanMove(); }
    void setKikanMove(bool on);
    bool KBDMOUSE() const { return m_sel.KBDMOUSE(); }

    QColor BackColor() const { return m_sel.BackColor; }
    void setBackColor(const QColor &c);
    QColor FontColor() const { return m_sel.FontColor; }
    void setFontColor(const QColor &c);

    // The selection logic behind the panel (cells, captions, range).
    const KikanSelection &selection() const { return m_sel; }
    // The cell under a point of the panel, -1 for none.
    int cellAt(const QPoint &p) const { return m_sel.cellAt(p); }
    QRect cellRect(int i) const { return m_sel.cell(i).Rect; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // A cell was pressed (button, modifiers, position in the panel).
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // A choice was completed: read Stno and Edno now.
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void doubleClicked();

protected:
    TxKikanPanel(TKikanPanelKind kind, int width, QWidget *parent);

    // Shared by the sixteen- and twelve-cell panels.
    int LastNo() const { return m_sel.LastNo(); }
    bool KakuteiMode() const { return m_sel.KakuteiMode; }
    void setKakuteiMode(bool on);
    int KakuteiMNo() const { return m_sel.KakuteiMNo; }
    void setKakuteiMNo(int n);
    QColor KakuteiBackColor() const { return m_sel.KakuteiBackColor; }
    void setKakuteiBackColor(const QColor &c);
    QColor KakuteiFontColor() const { return m_sel.KakuteiFontColor; }
    void setKakuteiFontColor(const QColor &c);

    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;

    KikanSelection m_sel;

    // Repaints now when shown (the cells appear at once), later otherwise.
    void refresh();
    void relayout();

private:
    void takePaletteColours();
    void reportCompletion();
    QFont captionFont() const;
    bool m_focused = false;
};

class TxKikanPanel16 : public TxKikanPanel
{
    Q_OBJECT
public:
    explicit TxKikanPanel16(QWidget *parent = nullptr);

    // The year-end closing cell can be chosen.
    bool KESSAN() const { return m_sel.KESSAN(); }
    void setKESSAN(bool on);
    QColor DisabelColor() const { return m_sel.DisabelColor; }
    void setDisabelColor(const QColor &c);
    // Period numbers (0..15, the year-end closing always 15) of Stno and Edno.
    int StMonthNo() const { return m_sel.StMonthNo(); }
    int EdMonthNo() const { return m_sel.EdMonthNo(); }

    using TxKikanPanel::LastNo;
    using TxKikanPanel::KakuteiMode;
    using TxKikanPanel::setKakuteiMode;
    using TxKikanPanel::KakuteiMNo;
    using TxKikanPanel::setKakuteiMNo;
    using TxKikanPanel::KakuteiBackColor;
    using TxKikanPanel::setKakuteiBackColor;
    using TxKikanPanel::KakuteiFontColor;
    using TxKikanPanel::setKakuteiFontColor;
};

class TxKikanPanel12 : public TxKikanPanel
{
    Q_OBJECT
public:
    explicit TxKikanPanel12(QWidget *parent = nullptr);

    // Period numbers of Stno and Edno in the sixteen-period numbering.
    int StMonNo() const { return m_sel.StMonthNo(); }
    int EdMonNo() const { return m_sel.EdMonthNo(); }

    using TxKikanPanel::LastNo;
    using TxKikanPanel::KakuteiMode;
    using TxKikanPanel::setKakuteiMode;
    using TxKikanPanel::KakuteiMNo;
    using TxKikanPanel::setKakuteiMNo;
    using TxKikanPanel::KakuteiBackColor;
    using TxKikanPanel::setKakuteiBackColor;
    using TxKikanPanel::KakuteiFontColor;
    using TxKikanPanel::setKakuteiFontColor;
};

class TxKikanPanel4 : public TxKikanPanel
{
    Q_OBJECT
public:
    explicit TxKikanPanel4(QWidget *parent = nullptr);

    // 4 quarter buttons or 2 half-year buttons ("上", "下"); other values are ignored.
    int BtnCnt() const { return m_sel.BtnCnt(); }
    void setBtnCnt(int n);
};
