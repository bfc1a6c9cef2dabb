#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "framework/KikanSelection.h"
#include "framework/xKeyControls.h"
#include "framework/xKikanPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <optional>
#include <vector>

namespace {
QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}

QStringList captions(const KikanSelection &s)
{
    QStringList out;
    for (int i = 0; i < s.cellCount(); ++i) out << s.cell(i).Caption;
    return out;
}

QString enabledMask(const KikanSelection &s)
{
    QString out;
    for (int i = 0; i < s.cellCount(); ++i) out += s.cell(i).Enabled ? u'1' : u'0';
    return out;
}

// A year April to March, closing at the month end, books from the given month.
KikanSelection aprilYear(TKikanPanelKind kind, int booksMonth = 4)
{
    KikanSelection s(kind);
    const QDate begin = booksMonth >= 4 ? d(2024, booksMonth, 1) : d(2025, booksMonth, 1);
    s.SetKikan(99, d(2024, 4, 1), d(2025, 3, 31), begin);
    s.arrange(242, 22);
    return s;
}
} // namespace

TEST(KikanDates, CellsAndOffsetsOfTheMonths)
{
    struct Case { int sime; QDate start, date; int cell16, offset; };
    const Case cases[] = {
        {99, d(2024, 4, 1), d(2024, 4, 30), 0, 0},
        {99, d(2024, 4, 1), d(2024, 6, 30), 2, 2},
        {99, d(2024, 4, 1), d(2024, 7, 1), 4, 3},   // the closing cell 3 is skipped
        {99, d(2024, 4, 1), d(2025, 3, 31), 14, 11},
        {99, d(2024, 4, 1), d(2025, 4, 30), 16, 11}, // a thirteenth month has no cell
        {99, d(2024, 4, 1), d(2024, 3, 31), 15, 11}, // before the year
        {20, d(2024, 3, 21), d(2024, 4, 20), 0, 0},  // closing on the 20th: the period ends on 4/20
        {20, d(2024, 3, 21), d(2024, 4, 21), 1, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(KikanMonthToCellNo(c.sime, c.start, c.date), c.cell16) << c.date.toString().toStdString();
        EXPECT_EQ(KikanMonthOffset(c.sime, c.start, c.date), c.offset) << c.date.toString().toStdString();
    }
    EXPECT_TRUE(KikanClosingDayValid(1));
    EXPECT_TRUE(KikanClosingDayValid(28));
    EXPECT_TRUE(KikanClosingDayValid(99));
    EXPECT_FALSE(KikanClosingDayValid(0));
    EXPECT_FALSE(KikanClosingDayValid(30));
}

TEST(KikanSelection, SixteenCellsOfAFiscalYear)
{
    struct Case {
        const char *what;
        int sime;
        QDate start, end, books;
        bool kessan;
        QStringList captions;
        QString enabled;
        int stno, edno, lastNo, stMonth, edMonth;
    };
    const QStringList aprilCaps{"4", "5", "6", "・", "7", "8", "9", "・", "10", "11", "12", "・", "1", "2", "3", "決"};
    const Case cases[] = {
        {"April to March", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1), true, aprilCaps, "1111111111111111", 0, 15, 15, 0, 15},
        {"books from October", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 10, 1), true, aprilCaps, "0000000011111111", 8, 15, 15, 8, 15},
        {"books from July", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 7, 1), true, aprilCaps, "0000111111111111", 4, 15, 15, 4, 15},
        {"April to March, no closing", 99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1), false,
         {"4", "5", "6", "・", "7", "8", "9", "・", "10", "11", "12", "・", "1", "2", "3", ""}, "1111111111111110", 0, 14, 15, 0, 14},
        {"six months", 99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1), true,
         {"4", "5", "6", "・", "7", "8", "9", "決", "", "", "", "", "", "", "", ""}, "1111111100000000", 0, 7, 7, 0, 15},
        {"six months, no closing", 99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1), false,
         {"4", "5", "6", "・", "7", "8", "9", "", "", "", "", "", "", "", "", ""}, "1111111000000000", 0, 6, 7, 0, 6},
        {"closing on the 20th", 20, d(2024, 3, 21), d(2025, 3, 20), d(2024, 3, 21), true,
         {"4", "5", "6", "・", "7", "8", "9", "・", "10", "11", "12", "・", "1", "2", "3", "決"}, "1111111111111111", 0, 15, 15, 0, 15},
        {"closing day 30", 30, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1), true,
         {"4", "4", "4", "・", "4", "4", "4", "・", "4", "4", "4", "・", "4", "4", "4", "決"}, "1111111111111111", 0, 15, 15, 0, 15},
    };
    for (const Case &c : cases) {
        KikanSelection s(TKikanPanelKind::Cells16);
        s.setKESSAN(c.kessan);
        const bool valid = s.SetKikan(c.sime, c.start, c.end, c.books);
        EXPECT_EQ(valid, c.sime != 30) << c.what;
        EXPECT_EQ(captions(s), c.captions) << c.what;
        EXPECT_EQ(enabledMask(s), c.enabled) << c.what;
        EXPECT_EQ(s.Stno(), c.stno) << c.what;
        EXPECT_EQ(s.Edno(), c.edno) << c.what;
        EXPECT_EQ(s.LastNo(), c.lastNo) << c.what;
        EXPECT_EQ(s.StMonthNo(), c.stMonth) << c.what;
        EXPECT_EQ(s.EdMonthNo(), c.edMonth) << c.what;
    }

    // The year-end closing keeps period 15 where it stands; it has no cell beyond 15.
    KikanSelection six(TKikanPanelKind::Cells16);
    six.SetKikan(99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1));
    EXPECT_EQ(six.cell(7).PeriodNo, 15);
    EXPECT_EQ(six.cell(8).PeriodNo, -1);
    // KESSAN off afterwards takes the closing cell out of the choice; on gives it back.
    six.setKESSAN(false);
    EXPECT_FALSE(six.cell(7).Enabled);
    EXPECT_EQ(six.cell(7).Caption, QString());
    EXPECT_EQ(six.lastSelectable(), 6);
    EXPECT_EQ(six.Edno(), 6);
    EXPECT_EQ(six.LastNo(), 7);
    six.setKESSAN(true);
    EXPECT_TRUE(six.cell(7).Enabled);
    EXPECT_EQ(six.cell(7).Caption, QStringLiteral("決"));
    EXPECT_EQ(six.lastSelectable(), 7);

    // Edno is held at LastNo; Stno is stored as given and answers itself as its period.
    KikanSelection s = aprilYear(TKikanPanelKind::Cells16);
    s.setEdno(20);
    EXPECT_EQ(s.Edno(), 15);
    s.setStno(20);
    EXPECT_EQ(s.Stno(), 20);
    EXPECT_EQ(s.StMonthNo(), 20);
    // KikanMove off leaves a single cell.
    s.setRange(4, 9);
    s.setKikanMove(false);
    EXPECT_EQ(s.Stno(), 4);
    EXPECT_EQ(s.Edno(), 4);
}

TEST(KikanSelection, TwelveCellsAndButtons)
{
    KikanSelection m = aprilYear(TKikanPanelKind::Cells12, 7);
    EXPECT_EQ(captions(m), QStringList({"4", "5", "6", "7", "8", "9", "10", "11", "12", "1", "2", "3"}));
    EXPECT_EQ(enabledMask(m), QStringLiteral("000111111111"));
    EXPECT_EQ(m.Stno(), 3);
    EXPECT_EQ(m.Edno(), 11);
    EXPECT_EQ(m.LastNo(), 11);
    EXPECT_EQ(m.StMonthNo(), 4); // the sixteen-period number of month 4
    EXPECT_EQ(m.EdMonthNo(), 14);
    // The pair is clamped to the year and ordered.
    m.setRange(14, -2);
    EXPECT_EQ(m.Stno(), 0);
    EXPECT_EQ(m.Edno(), 11);
    m.setStno(9);
    m.setEdno(5);
    EXPECT_EQ(m.Stno(), 5);
    EXPECT_EQ(m.Edno(), 9);

    // A nine-month year leaves the last three months out.
    KikanSelection nine(TKikanPanelKind::Cells12);
    nine.SetKikan(99, d(2024, 4, 1), d(2024, 12, 31), d(2024, 4, 1));
    EXPECT_EQ(enabledMask(nine), QStringLiteral("111111111000"));
    EXPECT_EQ(captions(nine).mid(8), QStringList({"12", "", "", ""}));

    struct ButtonCase { int btnCnt; int booksMonth; QDate end; QStringList caps; QString enabled; int stno, edno; };
    const ButtonCase buttons[] = {
        {4, 4, d(2025, 3, 31), {"1", "2", "3", "4"}, "1111", 0, 3},
        {4, 10, d(2025, 3, 31), {"1", "2", "3", "4"}, "0011", 2, 3},
        {4, 4, d(2024, 9, 30), {"1", "2", "3", "4"}, "1100", 0, 1},
        {2, 4, d(2025, 3, 31), {"上", "下", "", ""}, "1111", 0, 1},
        {2, 10, d(2025, 3, 31), {"上", "下", "", ""}, "0111", 1, 1},
    };
    for (const ButtonCase &c : buttons) {
        KikanSelection b(TKikanPanelKind::Buttons);
        b.setBtnCnt(c.btnCnt);
        b.SetKikan(99, d(2024, 4, 1), c.end, c.booksMonth >= 4 ? d(2024, c.booksMonth, 1) : d(2025, c.booksMonth, 1));
        EXPECT_EQ(captions(b), c.caps) << c.btnCnt << "/" << c.booksMonth;
        EXPECT_EQ(enabledMask(b), c.enabled) << c.btnCnt << "/" << c.booksMonth;
        EXPECT_EQ(b.Stno(), c.stno) << c.btnCnt << "/" << c.booksMonth;
        EXPECT_EQ(b.Edno(), c.edno) << c.btnCnt << "/" << c.booksMonth;
        EXPECT_EQ(b.cell(2).Visible, c.btnCnt == 4);
    }
    KikanSelection b(TKikanPanelKind::Buttons);
    EXPECT_EQ(b.Stno(), 0);
    EXPECT_EQ(b.Edno(), 3);
    EXPECT_FALSE(b.setBtnCnt(3));
    EXPECT_EQ(b.BtnCnt(), 4);
    EXPECT_TRUE(b.setBtnCnt(2));
    EXPECT_EQ(b.Edno(), 1);
}

TEST(KikanSelection, CellsShareTheWidth)
{
    KikanSelection s(TKikanPanelKind::Cells16);
    EXPECT_EQ(s.cellWidth(), 18);
    s.arrange(242, 22); // 234 over 16: 14 each, the first 10 one pixel wider
    EXPECT_EQ(s.cellWidth(), 14);
    EXPECT_EQ(s.cell(0).Rect, QRect(4, 3, 15, 16));
    EXPECT_EQ(s.cell(9).Rect, QRect(4 + 9 * 15, 3, 15, 16));
    EXPECT_EQ(s.cell(10).Rect, QRect(4 + 10 * 15, 3, 14, 16));
    EXPECT_EQ(s.cell(15).Rect.right(), 242 - 4 - 1);
    EXPECT_EQ(s.snappedWidth(242), 232);
    EXPECT_EQ(s.cellAt(QPoint(5, 10)), 0);
    EXPECT_EQ(s.cellAt(QPoint(2, 10)), -1);
    EXPECT_EQ(s.cellAt(QPoint(20, 1)), -1);

    KikanSelection b(TKikanPanelKind::Buttons);
    b.setBtnCnt(2);
    b.arrange(80, 22);
    EXPECT_EQ(b.cell(1).Rect, QRect(40, 3, 36, 16));
    EXPECT_TRUE(b.cell(2).Rect.isEmpty());
}

// The choices the operator makes with the mouse and the keys, as a table.
namespace {
enum class Op { Press, PressRight, Move, Release, Key, KeyUp, FocusIn, FocusOut };
struct Step {
    Op op;
    int arg = 0; // cell, or key
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};
struct Year {
    int sime;
    QDate start, end, books;
};
struct SelectionCase {
    const char *what;
    TKikanPanelKind kind;
    Year year;
    std::vector<Step> steps;
    int stno, edno;
    int stMonth, edMonth; // -99: not checked
    int reports;          // completion reports
    bool kikanMove = true;
    int btnCnt = 4;
};

Step press(int cell) { return {Op::Press, cell}; }
Step move(int cell) { return {Op::Move, cell}; }
Step release() { return {Op::Release}; }
Step key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { return {Op::Key, k, m}; }
Step keyUp(int k) { return {Op::KeyUp, k}; }

const Year april{99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1)};
const Year aprilFromJuly{99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 7, 1)};
const Year sixMonths{99, d(2024, 4, 1), d(2024, 9, 30), d(2024, 4, 1)};

int runSteps(KikanSelection &s, const std::vector<Step> &steps, std::vector<std::pair<int, int>> *during = nullptr)
{
    int reports = 0;
    for (const Step &st : steps) {
        switch (st.op) {
        case Op::Press:
        case Op::PressRight:
            s.mousePress(st.arg, st.op == Op::Press ? Qt::LeftButton : Qt::RightButton);
            break;
        case Op::Move:
            s.mouseMove(s.cell(st.arg).Rect.center());
            break;
        case Op::Release:
            reports += s.mouseRelease(Qt::LeftButton) ? 1 : 0;
            break;
        case Op::Key:
            if (s.keyPress(st.arg, st.mods) == KikanSelection::KeyResult::CompleteAndFocusNext) {
                ++reports;
                reports += s.focusOut() ? 1 : 0; // the focus moves on
            }
            break;
        case Op::KeyUp:
            s.keyRelease(st.arg);
            break;
        case Op::FocusIn:
            s.focusIn();
            break;
        case Op::FocusOut:
            reports += s.focusOut() ? 1 : 0;
            break;
        }
        if (during) during->push_back({s.shownLow(), s.shownHigh()});
    }
    return reports;
}
} // namespace

TEST(KikanSelection, MouseAndKeySequences)
{
    using K = TKikanPanelKind;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const std::vector<SelectionCase> cases = {
        {"a single month", K::Cells16, april, {press(5), release()}, 5, 5, 5, 5, 1},
        {"drag over a quarter boundary", K::Cells16, april, {press(1), move(2), move(3), move(5), release()}, 1, 5, 1, 5, 1},
        {"drag backwards over two boundaries", K::Cells16, april, {press(9), move(6), move(2), release()}, 2, 9, 2, 9, 1},
        {"the whole year", K::Cells16, april, {press(0), move(8), move(15), release()}, 0, 15, 0, 15, 1},
        {"the year-end closing alone", K::Cells16, april, {press(15), release()}, 15, 15, 15, 15, 1},
        {"the closing of a six-month year is period 15", K::Cells16, sixMonths, {press(4), move(7), release()}, 4, 7, 4, 15, 1},
        {"a cell outside the year takes no press", K::Cells16, sixMonths, {press(2), release(), press(10), release()}, 2, 2, 2, 2, 1},
        {"a disabled cell stops the drag", K::Cells16, aprilFromJuly, {press(6), move(5), move(2), release()}, 5, 6, 5, 6, 1},
        {"no range without KikanMove", K::Cells16, april, {press(2), move(6), release()}, 2, 2, 2, 2, 1, false},
        {"Shift+Right three times", K::Cells16, april,
         {press(5), release(), key(Qt::Key_Right, shift), key(Qt::Key_Right, shift), key(Qt::Key_Right, shift), keyUp(Qt::Key_Shift)},
         5, 8, 5, 8, 1},
        {"Shift+Left keeps the order open until Shift goes up", K::Cells16, april,
         {press(5), release(), key(Qt::Key_Left, shift), key(Qt::Key_Left, shift), keyUp(Qt::Key_Shift)}, 3, 5, 3, 5, 1},
        {"Shift+Left stops at the first cell of the books", K::Cells16, aprilFromJuly,
         {press(6), release(), key(Qt::Key_Left, shift), key(Qt::Key_Left, shift), key(Qt::Key_Left, shift), keyUp(Qt::Key_Shift)},
         4, 6, 4, 6, 1},
        {"Right from the whole year", K::Cells16, april, {key(Qt::Key_Right)}, 1, 1, 1, 1, 0},
        {"Right steps onto the closing", K::Cells16, april, {press(14), release(), key(Qt::Key_Right), key(Qt::Key_Right)}, 15, 15, 15, 15, 1},
        {"Left stops at the first cell", K::Cells16, april, {press(1), release(), key(Qt::Key_Left), key(Qt::Key_Left)}, 0, 0, 0, 0, 1},
        {"Shift without KikanMove steps the single cell", K::Cells16, april,
         {press(5), release(), key(Qt::Key_Right, shift), keyUp(Qt::Key_Shift)}, 6, 6, 6, 6, 1, false},
        {"Ctrl+Shift is no range key", K::Cells16, april,
         {press(5), release(), key(Qt::Key_Right, shift | Qt::ControlModifier)}, 6, 6, 6, 6, 1},
        {"Enter reports once (sixteen cells)", K::Cells16, april, {{Op::FocusIn}, key(Qt::Key_Right), key(Qt::Key_Return)}, 1, 1, 1, 1, 1},
        {"leaving after a key change reports", K::Cells16, april, {{Op::FocusIn}, key(Qt::Key_Right), {Op::FocusOut}}, 1, 1, 1, 1, 1},
        {"leaving without a key change is quiet", K::Cells16, april, {{Op::FocusIn}, press(3), release(), {Op::FocusOut}}, 3, 3, 3, 3, 1},
        {"the right button chooses nothing", K::Cells16, april, {{Op::PressRight, 4}, release()}, 0, 15, 0, 15, 0},
        {"twelve cells: drag over a quarter", K::Cells12, april, {press(1), move(4), release()}, 1, 4, 1, 5, 1},
        {"twelve cells: Enter reports and leaving reports again", K::Cells12, april,
         {{Op::FocusIn}, key(Qt::Key_Right), key(Qt::Key_Enter)}, 1, 1, 1, 1, 2},
        {"buttons: a half year", K::Buttons, april, {press(0), move(1), release()}, 0, 1, -99, -99, 1},
        {"buttons: Right stops at the last button", K::Buttons, april,
         {press(2), release(), key(Qt::Key_Right), key(Qt::Key_Right), key(Qt::Key_Right)}, 3, 3, -99, -99, 1},
        {"buttons: Left stops at the first enabled button", K::Buttons, aprilFromJuly,
         {press(3), release(), key(Qt::Key_Left), key(Qt::Key_Left), key(Qt::Key_Left)}, 1, 1, -99, -99, 1},
        {"two buttons: the second half", K::Buttons, april, {press(1), release()}, 1, 1, -99, -99, 1, true, 2},
    };
    for (const SelectionCase &c : cases) {
        KikanSelection s(c.kind);
        if (c.kind == K::Buttons) s.setBtnCnt(c.btnCnt);
        s.setKikanMove(c.kikanMove);
        s.SetKikan(c.year.sime, c.year.start, c.year.end, c.year.books);
        s.arrange(c.kind == K::Buttons ? 80 : 242, 22);
        const int reports = runSteps(s, c.steps);
        EXPECT_EQ(s.Stno(), c.stno) << c.what;
        EXPECT_EQ(s.Edno(), c.edno) << c.what;
        if (c.stMonth != -99) {
            EXPECT_EQ(s.StMonthNo(), c.stMonth) << c.what;
            EXPECT_EQ(s.EdMonthNo(), c.edMonth) << c.what;
        }
        EXPECT_EQ(reports, c.reports) << c.what;
        EXPECT_FALSE(s.dragging()) << c.what;
    }
}

TEST(KikanSelection, WhatIsShownWhileChoosing)
{
    KikanSelection s = aprilYear(TKikanPanelKind::Cells16);
    std::vector<std::pair<int, int>> shown;
    runSteps(s, {press(6), move(9), move(4), release()}, &shown);
    const std::vector<std::pair<int, int>> expected{{6, 6}, {6, 9}, {4, 6}, {4, 6}};
    EXPECT_EQ(shown, expected);
    // While Shift is held the ends may stand the wrong way round; what is shown is the range between them.
    shown.clear();
    runSteps(s, {key(Qt::Key_Left, Qt::ShiftModifier), key(Qt::Key_Left, Qt::ShiftModifier)}, &shown);
    EXPECT_EQ(s.Stno(), 6); // the drag ended on 4: Shift widens from there
    EXPECT_EQ(s.Edno(), 2);
    EXPECT_EQ(shown.back(), std::make_pair(2, 6));
    EXPECT_EQ(s.keyPress(Qt::Key_Up, Qt::NoModifier), KikanSelection::KeyResult::FocusPrevious);
    EXPECT_EQ(s.keyPress(Qt::Key_A, Qt::NoModifier), KikanSelection::KeyResult::NotMine);
    EXPECT_EQ(s.keyPress(Qt::Key_Down, Qt::NoModifier), KikanSelection::KeyResult::NotMine);
}

TEST(KikanSelection, CellColours)
{
    KikanSelection s = aprilYear(TKikanPanelKind::Cells16);
    s.setRange(4, 6);
    const QColor face = s.ButtonFace, text = s.WindowText;
    const QColor navy(0, 0, 128), silver(192, 192, 192), grey(128, 128, 128), orange(255, 128, 64);
    struct Case { int cell; bool enabled; bool kakutei; QColor back, fore; };
    const Case cases[] = {
        {5, true, false, navy, Qt::white},
        {2, true, false, face, text},
        {2, true, true, orange, Qt::white}, // confirmed: the first three cells
        {3, true, true, face, text},
        {5, true, true, navy, Qt::white},
        {5, false, false, silver, grey},
        {2, false, false, face, grey},
    };
    for (const Case &c : cases) {
        s.KakuteiMode = c.kakutei;
        s.KakuteiMNo = 3;
        const TKikanCellPaint p = s.paintOf(c.cell, c.enabled);
        EXPECT_EQ(p.Back, c.back) << c.cell << c.enabled << c.kakutei;
        EXPECT_EQ(p.Text, c.fore) << c.cell << c.enabled << c.kakutei;
    }
    // The twelve-cell panel shows a disabled range in silver whatever DisabelColor says.
    KikanSelection m = aprilYear(TKikanPanelKind::Cells12);
    m.DisabelColor = Qt::red;
    EXPECT_EQ(m.paintOf(0, false).Back, silver);
}

// ---- the widgets ----

namespace {
void mouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button, held, mods);
    QApplication::sendEvent(w, &e);
}

struct Reports {
    int downs = 0, ups = 0, doubles = 0;
    std::vector<std::pair<int, int>> atUp; // Stno, Edno read in the handler
};

// A form with the panels and an edit before and after them.
class PanelForm : public QDialog
{
public:
    PanelForm()
    {
        setWindowTitle(QStringLiteral("期間の選択"));
        auto *lay = new QVBoxLayout(this);
        before = new QLineEdit(this);
        lay->addWidget(before);
        auto row = [&](const QString &text, TxKikanPanel *p, const QString &name) {
            p->setObjectName(name);
            lay->addWidget(new QLabel(text, this));
            lay->addWidget(p);
        };
        p16 = new TxKikanPanel16;
        p12 = new TxKikanPanel12;
        p4 = new TxKikanPanel4;
        p2 = new TxKikanPanel4;
        p2->setBtnCnt(2);
        row(QStringLiteral("月次・決算（16区分）"), p16, QStringLiteral("KikanPanel16"));
        row(QStringLiteral("月次（12区分）"), p12, QStringLiteral("KikanPanel12"));
        row(QStringLiteral("四半期"), p4, QStringLiteral("KikanPanel4"));
        row(QStringLiteral("半期"), p2, QStringLiteral("KikanPanel2"));
        after = new QLineEdit(this);
        lay->addWidget(after);
        for (TxKikanPanel *p : {static_cast<TxKikanPanel *>(p16), static_cast<TxKikanPanel *>(p12),
                                static_cast<TxKikanPanel *>(p4), static_cast<TxKikanPanel *>(p2)})
            p->SetKikan(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 4, 1));
    }
    QLineEdit *before, *after;
    TxKikanPanel16 *p16;
    TxKikanPanel12 *p12;
    TxKikanPanel4 *p4, *p2;
};

void watch(TxKikanPanel *p, Reports &r)
{
    QObject::connect(p, &TxKikanPanel::mouseDown, [&r](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++r.downs; });
    QObject::connect(p, &TxKikanPanel::mouseUp, [&r, p](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        EXPECT_EQ(b, Qt::LeftButton);
        ++r.ups;
        r.atUp.push_back({p->Stno(), p->Edno()});
    });
    QObject::connect(p, &TxKikanPanel::doubleClicked, [&r] { ++r.doubles; });
}
} // namespace

TEST(KikanPanel, MouseDragAndClickOnTheWidget)
{
    PanelForm f;
    fwtest::showActive(&f);
    TxKikanPanel16 *p = f.p16;
    EXPECT_EQ(p->width(), 232); // its own width, the cells sharing it evenly
    Reports r;
    watch(p, r);
    // Drag from May over the first closing into August.
    mouse(p, QEvent::MouseButtonPress, p->cellRect(1).center());
    EXPECT_EQ(QApplication::focusWidget(), p);
    mouse(p, QEvent::MouseMove, p->cellRect(3).center());
    mouse(p, QEvent::MouseMove, p->cellRect(5).center());
    EXPECT_EQ(p->Stno(), 0); // the choice is made on release
    mouse(p, QEvent::MouseButtonRelease, p->cellRect(5).center());
    EXPECT_EQ(r.downs, 1);
    EXPECT_EQ(r.ups, 1);
    EXPECT_EQ(r.atUp.back(), std::make_pair(1, 5));
    EXPECT_EQ(p->StMonthNo(), 1);
    EXPECT_EQ(p->EdMonthNo(), 5);

    // A double click reports the double click and chooses the cell.
    mouse(p, QEvent::MouseButtonPress, p->cellRect(9).center());
    mouse(p, QEvent::MouseButtonRelease, p->cellRect(9).center());
    mouse(p, QEvent::MouseButtonDblClick, p->cellRect(9).center());
    mouse(p, QEvent::MouseButtonRelease, p->cellRect(9).center());
    EXPECT_EQ(r.doubles, 1);
    EXPECT_EQ(r.ups, 3);
    EXPECT_EQ(r.atUp.back(), std::make_pair(9, 9));

    // Outside the cells nothing happens.
    mouse(p, QEvent::MouseButtonPress, QPoint(1, 1));
    mouse(p, QEvent::MouseButtonRelease, QPoint(1, 1));
    EXPECT_EQ(r.downs, 3);
    EXPECT_EQ(r.ups, 3);
}

TEST(KikanPanel, KeysOnTheWidget)
{
    PanelForm f;
    fwtest::showActive(&f);
    Reports r16, r12;
    watch(f.p16, r16);
    watch(f.p12, r12);
    f.p16->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), f.p16);
    fwtest::press(f.p16, Qt::Key_Right);
    EXPECT_TRUE(f.p16->KBDMOUSE());
    fwtest::press(f.p16, Qt::Key_Right, Qt::ShiftModifier);
    fwtest::press(f.p16, Qt::Key_Right, Qt::ShiftModifier);
    fwtest::release(f.p16, Qt::Key_Shift);
    EXPECT_EQ(f.p16->Stno(), 1);
    EXPECT_EQ(f.p16->Edno(), 3);
    EXPECT_EQ(f.p16->EdMonthNo(), 3);
    // Enter reports and moves on to the next panel; the sixteen-cell panel reports once.
    fwtest::press(f.p16, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.p12);
    EXPECT_EQ(r16.ups, 1);
    EXPECT_EQ(r16.atUp.back(), std::make_pair(1, 3));
    // Up goes back.
    fwtest::press(f.p12, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), f.p16);
    // The twelve-cell panel reports on Enter and once more on leaving.
    f.p12->setFocus(Qt::TabFocusReason);
    fwtest::press(f.p12, Qt::Key_Right);
    fwtest::press(f.p12, Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), f.p4);
    EXPECT_EQ(r12.ups, 2);
    EXPECT_EQ(r12.atUp.back(), std::make_pair(1, 1));
    // A key change left unconfirmed is reported when the focus leaves.
    f.p16->setFocus(Qt::TabFocusReason);
    fwtest::press(f.p16, Qt::Key_Left);
    f.after->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(r16.ups, 2);
    EXPECT_EQ(r16.atUp.back(), std::make_pair(0, 0));
}

TEST(KikanPanel, PropertiesRepaintAndFreeStandingPanelsSnap)
{
    TxKikanPanel16 p16;
    EXPECT_EQ(p16.Stno(), 0);
    EXPECT_EQ(p16.Edno(), 15);
    EXPECT_EQ(p16.LastNo(), 15);
    EXPECT_TRUE(p16.KESSAN());
    EXPECT_TRUE(p16.KikanMove());
    EXPECT_EQ(p16.BackColor(), QColor(0, 0, 128));
    EXPECT_EQ(p16.DisabelColor(), QColor(192, 192, 192));
    EXPECT_EQ(p16.KakuteiBackColor(), QColor(255, 128, 64));
    EXPECT_EQ(p16.selection().cell(0).Caption, QStringLiteral("1")); // the calendar year until SetKikan
    EXPECT_EQ(p16.selection().cell(15).Caption, QStringLiteral("決"));
    TxKikanPanel12 p12;
    EXPECT_EQ(p12.Edno(), 11);
    TxKikanPanel4 p4;
    EXPECT_EQ(p4.width(), 80);
    EXPECT_EQ(p4.Edno(), 3);
    p4.setBtnCnt(3);
    EXPECT_EQ(p4.BtnCnt(), 4);

    // A panel that stands free snaps to a width the cells share evenly.
    QWidget host;
    auto *p = new TxKikanPanel16(&host);
    host.resize(400, 100);
    host.show();
    QApplication::processEvents();
    EXPECT_EQ(p->width(), 232);
    p->resize(300, 22);
    EXPECT_EQ(p->width(), 296);
    EXPECT_EQ(p->cellRect(15).right(), 296 - 5);
}

TEST(KikanPanel, Screenshots)
{
    PanelForm f;
    f.p16->setRange(1, 5);
    f.p12->setKakuteiMode(true);
    f.p12->setKakuteiMNo(3);
    f.p12->setRange(4, 8);
    f.p4->SetKikan(99, d(2024, 4, 1), d(2025, 3, 31), d(2024, 10, 1));
    fwtest::showActive(&f);
    f.p2->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QString form = fwtest::screenshot(&f, QStringLiteral("KikanPanels"));
    EXPECT_FALSE(QImage(form).isNull());

    // Each panel on its own, one of them with the focus and one disabled.
    QImage p16 = QImage(fwtest::screenshot(f.p16, QStringLiteral("KikanPanel16")));
    ASSERT_FALSE(p16.isNull());
    EXPECT_EQ(p16.pixelColor(f.p16->cellRect(3).topLeft() + QPoint(1, 1)), QColor(0, 0, 128)); // chosen: navy
    EXPECT_EQ(p16.pixelColor(f.p16->cellRect(0).topLeft()), f.p16->selection().ButtonFace);
    QImage p12 = QImage(fwtest::screenshot(f.p12, QStringLiteral("KikanPanel12")));
    EXPECT_EQ(p12.pixelColor(f.p12->cellRect(0).topLeft()), QColor(255, 128, 64)); // confirmed
    QImage p2 = QImage(fwtest::screenshot(f.p2, QStringLiteral("KikanPanel2")));
    EXPECT_EQ(p2.pixelColor(2, f.p2->height() / 2), QColor(128, 128, 128)); // focused: grey background
    f.p4->setEnabled(false);
    QImage p4 = QImage(fwtest::screenshot(f.p4, QStringLiteral("KikanPanel4")));
    EXPECT_EQ(p4.pixelColor(f.p4->cellRect(3).topLeft()), QColor(192, 192, 192)); // disabled range: silver
}
