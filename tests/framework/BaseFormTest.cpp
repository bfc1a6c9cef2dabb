#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "framework/GamenKeyValue.h"
#include "framework/SDI.h"
#include "framework/xKeyControls.h"
#include "framework/xKikanPanel.h"
#include "framework/xPlButton.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

#include <memory>

namespace {
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A finished form as a subclass sets it up.
class SampleForm : public TBSDI
{
public:
    explicit SampleForm(TFormBorderStyle style = TFormBorderStyle::bsDialog) : TBSDI(nullptr, style)
    {
        setObjectName(QStringLiteral("SampleForm"));
        setWindowTitle(QStringLiteral("データ検索"));
        resize(520, 300);
        auto *label = new QLabel(QStringLiteral("会社名"), this);
        label->setGeometry(16, 18, 80, 20);
        edit = new TxEdit(this);
        edit->setObjectName(QStringLiteral("Edit1"));
        edit->setGeometry(100, 16, 200, 22);
        edit->setText(QStringLiteral("株式会社サンプル"));
        edit->setToolTip(QStringLiteral("会社名|検索する会社名の一部を入力します。"));
        combo = new TxComboBox(this);
        combo->setObjectName(QStringLiteral("ComboBox1"));
        combo->setGeometry(100, 46, 200, 22);
        combo->addItems({QStringLiteral("1:法人"), QStringLiteral("2:個人(一般)")});
        check = new TxCheckBox(QStringLiteral("削除済みも表示する"), this);
        check->setGeometry(100, 76, 200, 22);
        radio = new TxRadioButton(QStringLiteral("全データ"), this);
        radio->setGeometry(100, 104, 200, 22);
        memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("HintMemo"));
        memo->setGeometry(16, 140, 488, 60);
        HintMemo = memo;
        const QStringList keys{QStringLiteral("ESC:終了"), QStringLiteral("F1:ヘルプ"), QStringLiteral("F3:"),
                               QStringLiteral("F8:印刷"), QStringLiteral("F12:OK")};
        int x = 16;
        for (const QString &k : keys) {
            auto *b = new TxPlButton(this);
            b->setGeometry(x, 250, 90, 30);
            b->setGradEndColor(QColor(182, 182, 182));
            b->CaptionA().setCaption(k);
            x += 98;
            buttons << b;
        }
        btnEnd = buttons.last();
        btnEnd->setObjectName(QStringLiteral("btnOK"));
        EndButton = btnEnd;
        CreateDone = true;
    }
    TxEdit *edit;
    TxComboBox *combo;
    TxCheckBox *check;
    TxRadioButton *radio;
    QPlainTextEdit *memo;
    QList<TxPlButton *> buttons;
    TxPlButton *btnEnd;
};
} // namespace

TEST(BaseFormArithmetic, ScaleForTheOperatorsFont)
{
    struct Case { int design, user, screen; int percent, ppi, base; };
    const Case cases[] = {
        {8, 9, 96, 112, 108, 96},   // 112.5 truncated; 107.52 rounded up
        {10, 15, 96, 150, 144, 96}, // the design font of 10 points works from the screen's resolution
        {10, 10, 96, 100, 96, 96},
        {10, 12, 120, 115, 138, 120}, // 15 px over 13 px (12.5 rounded)
        {9, 9, 144, 100, 96, 96},
    };
    for (const Case &c : cases) {
        const TFormScale s = ComputeFormScale(c.design, c.user, c.screen);
        EXPECT_EQ(s.percent, c.percent) << c.design << "/" << c.user;
        EXPECT_EQ(s.ppi, c.ppi) << c.design << "/" << c.user;
        EXPECT_EQ(s.base, c.base) << c.design << "/" << c.user;
    }
}

TEST(BaseFormArithmetic, DefaultSizeAndHints)
{
    EXPECT_EQ(DefaultFormSize(96, 4), QSize(1012, 648));
    EXPECT_EQ(DefaultFormSize(108, 0), QSize(1138, 729));
    EXPECT_EQ(DefaultFormSize(96, 6), QSize(1008, 644));
    EXPECT_EQ(LongHint(QStringLiteral("短い|長い説明|続き")), QStringLiteral("長い説明|続き"));
    EXPECT_EQ(LongHint(QStringLiteral("説明のみ")), QStringLiteral("説明のみ"));
    EXPECT_EQ(TBSDI::InitFailedText(QStringLiteral("データ選択")),
              QStringLiteral("データ選択画面の初期化に失敗しました。\r処理を終了します。"));
}

TEST(BaseForm, EscClosesADialogStyleForm)
{
    auto *f = new SampleForm;
    QPointer<SampleForm> guard(f);
    fwtest::showActive(f);
    fwtest::tap(f->edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(f->isVisible());
    fwtest::tap(f->edit, Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), 2);
    flushDeletes();
    EXPECT_TRUE(guard.isNull()); // freed unless kept
}

TEST(BaseForm, AFormOnTheStackOrInsideAnotherIsNotFreedByClosing)
{
    // Closed and the deferred deletions run while the forms still live: a
    // form that freed itself here would be destroyed twice.
    SampleForm onStack;
    struct Holder {
        SampleForm inside;
    };
    auto holder = std::make_unique<Holder>();
    for (SampleForm *f : {&onStack, &holder->inside}) {
        fwtest::showActive(f);
        fwtest::tap(f->edit, Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
    }
    QPointer<SampleForm> stackGuard(&onStack), insideGuard(&holder->inside);
    flushDeletes();
    EXPECT_FALSE(stackGuard.isNull());
    EXPECT_FALSE(insideGuard.isNull());
}

TEST(BaseForm, EscDoesNothingOnAResizableFormAndF12ClosesIt)
{
    SampleForm f(TFormBorderStyle::bsSizeable);
    f.KeepOnClose = true;
    f.WriteHistory = f.SaveFormSize = f.ReloadAccInfo = false; // no databases here
    fwtest::showActive(&f);
    fwtest::tap(f.edit, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_FALSE(f.isVisible());
}

TEST(BaseForm, F12ClicksTheEndButtonOnlyWhenItCanAct)
{
    SampleForm f;
    f.KeepOnClose = true;
    int clicks = 0;
    fwtest::showActive(&f);
    f.edit->setFocus();
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0); // no handler
    QObject::connect(f.btnEnd, &TxPlButton::clicked, [&] { ++clicks; });
    f.btnEnd->setEnabled(false);
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0);
    f.btnEnd->setEnabled(true);
    f.btnEnd->hide();
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 0);
    f.btnEnd->show();
    fwtest::tap(f.edit, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(clicks, 0);
    fwtest::tap(f.edit, Qt::Key_F12);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(QApplication::focusWidget(), f.btnEnd);
    EXPECT_TRUE(f.isVisible()); // the button has no modal result
}

TEST(BaseForm, HintMemoShowsTheLongHintOfTheFocusedControl)
{
    SampleForm f;
    f.KeepOnClose = true;
    fwtest::showActive(&f);
    f.edit->setFocus();
    EXPECT_EQ(f.memo->toPlainText(), QStringLiteral("検索する会社名の一部を入力します。"));
    f.check->setFocus();
    EXPECT_EQ(f.memo->toPlainText(), QString());
    const QString shot = fwtest::screenshot(&f, QStringLiteral("SampleForm"));
    EXPECT_FALSE(QImage(shot).isNull());
}

TEST(BaseForm, UnfinishedSetUpReportsAndCloses)
{
    class Broken : public TBSDI
    {
    public:
        Broken() { setWindowTitle(QStringLiteral("データ選択")); } // CreateDone never switched on
    };
    ScriptedMessages scripted;
    scripted.answer(mrYes);
    auto *f = new Broken;
    f->KeepOnClose = true;
    f->show();
    QApplication::processEvents();
    ASSERT_EQ(scripted.shown.size(), 1);
    EXPECT_EQ(scripted.shown[0].text, QStringLiteral("データ選択画面の初期化に失敗しました。\r処理を終了します。"));
    EXPECT_EQ(scripted.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_EQ(scripted.shown[0].buttons, TMsgDlgButtons(mbYes));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->result(), 2);
    delete f;
}

// ---- period panels ----

namespace {
// Puts the process-wide records these tests change back as they were.
struct GlobalsGuard {
    ~GlobalsGuard()
    {
        AccInf = TACCINF();
        SystemDef = TSystemDef();
        KikanMode = 0;
    }
};

// A company with the fiscal year April to March, closing at the month end,
// whose books begin in the given month of the year (1 = April).
void openCompany(int kaisiNo)
{
    AccInf = TACCINF();
    AccInf.SIME = 99;
    AccInf.KISHU = QDate(2024, 4, 1);
    AccInf.KIMATU = QDate(2025, 3, 31);
    AccInf.KAISI = QDate(2024, 4, 1).addMonths(kaisiNo - 1);
    AccInf.KAISINO = kaisiNo;
}

// A screen that creates its period panels in its own construction, after the
// base form's: the base fills them when they exist.
class PeriodForm : public TBSDI
{
public:
    explicit PeriodForm(bool kikanMove = true, bool adjustOwn = false)
    {
        setObjectName(QStringLiteral("PeriodForm"));
        setWindowTitle(QStringLiteral("期間指定"));
        resize(300, 160);
        p16 = new TxKikanPanel16(this);
        p16->setObjectName(QStringLiteral("KikanPanel16"));
        p16->move(8, 8);
        p12 = new TxKikanPanel12(this);
        p12->setObjectName(QStringLiteral("KikanPanel12"));
        p12->move(8, 40);
        p4 = new TxKikanPanel4(this);
        p4->setObjectName(QStringLiteral("KikanPanel4"));
        p4->move(8, 72);
        p2 = new TxKikanPanel4(this);
        p2->setObjectName(QStringLiteral("KikanPanel2"));
        p2->setBtnCnt(2);
        p2->move(100, 72);
        other = new TxKikanPanel16(this);
        other->setObjectName(QStringLiteral("KikanPanel16b")); // not one of the named panels
        other->move(8, 104);
        for (TxKikanPanel *p : {static_cast<TxKikanPanel *>(p16), static_cast<TxKikanPanel *>(p12),
                                static_cast<TxKikanPanel *>(p4), static_cast<TxKikanPanel *>(p2)})
            p->setKikanMove(kikanMove);
        if (adjustOwn) {
            InitKikanPanels();
            p16->setRange(5, 6);
        }
        CreateDone = true;
    }
    TxKikanPanel16 *p16, *other;
    TxKikanPanel12 *p12;
    TxKikanPanel4 *p4, *p2;
};
} // namespace

TEST(BaseFormPeriods, PanelsOpenOnTheCompanysYear)
{
    GlobalsGuard guard;
    using Range = std::pair<int, int>;
    struct Case {
        const char *what;
        int kaisiNo, mode;
        bool kikanMove;
        Range r16, r12, r4, r2;
        bool kessan;
        int startIndex;
    };
    const Case cases[] = {
        {"books from the first month", 1, 0, true, {0, 15}, {0, 11}, {0, 3}, {0, 1}, true, 0},
        {"books from month 4", 4, 0, true, {4, 15}, {3, 11}, {1, 3}, {0, 1}, true, 4},
        {"books from month 10", 10, 0, true, {12, 15}, {9, 11}, {3, 3}, {1, 1}, true, 12},
        {"single periods", 4, 0, false, {4, 4}, {3, 3}, {1, 1}, {0, 0}, true, 4},
        {"period mode: the first quarter", 1, 1, true, {0, 2}, {0, 2}, {0, 0}, {0, 0}, false, 0},
        {"period mode, single periods", 1, 1, false, {0, 0}, {0, 0}, {0, 0}, {0, 0}, false, 0},
    };
    for (const Case &c : cases) {
        openCompany(c.kaisiNo);
        KikanMode = c.mode;
        PeriodForm f(c.kikanMove);
        f.KeepOnClose = true;
        // Nothing is filled before the panels exist and the form is shown.
        EXPECT_EQ(f.p16->selection().cell(0).Caption, QStringLiteral("1")) << c.what;
        f.show();
        EXPECT_EQ(f.p16->selection().cell(0).Caption, QStringLiteral("4")) << c.what;
        EXPECT_EQ(Range(f.p16->Stno(), f.p16->Edno()), c.r16) << c.what;
        EXPECT_EQ(Range(f.p12->Stno(), f.p12->Edno()), c.r12) << c.what;
        EXPECT_EQ(Range(f.p4->Stno(), f.p4->Edno()), c.r4) << c.what;
        EXPECT_EQ(Range(f.p2->Stno(), f.p2->Edno()), c.r2) << c.what;
        EXPECT_EQ(f.p16->KESSAN(), c.kessan) << c.what;
        EXPECT_EQ(f.KikanStartIndex, c.startIndex) << c.what;
        // Other panels are the screen's own business.
        EXPECT_EQ(f.other->selection().cell(0).Caption, QStringLiteral("1")) << c.what;
        f.close();
    }
}

TEST(BaseFormPeriods, AScreenThatAdjustsItsPanelsKeepsItsChoiceAndNoCompanyLeavesThemAlone)
{
    GlobalsGuard guard;
    openCompany(1);
    PeriodForm own(true, true);
    own.KeepOnClose = true;
    own.show();
    EXPECT_EQ(own.p16->Stno(), 5);
    EXPECT_EQ(own.p16->Edno(), 6);
    EXPECT_EQ(own.p16->selection().cell(0).Caption, QStringLiteral("4"));
    own.close();

    AccInf = TACCINF();
    PeriodForm none;
    none.KeepOnClose = true;
    none.show();
    EXPECT_EQ(none.p16->selection().cell(0).Caption, QStringLiteral("1")); // the calendar year stays
    EXPECT_EQ(none.p16->Edno(), 15);
    none.close();
}

// ---- frame compensation ----

TEST(BaseFormFrame, CompensationMovesControlsButKeepsPanelsAndGroupBoxChildren)
{
    QWidget form;
    auto make = [](QWidget *w, QWidget *parent, const char *name, QRect r) {
        w->setParent(parent);
        w->setObjectName(QLatin1String(name));
        w->setGeometry(r);
        return w;
    };
    QWidget *leftDock = make(new QWidget, &form, "pnlLeft", QRect(0, 0, 100, 200));
    SetControlAlign(leftDock, TAlign::alLeft);
    QWidget *inDock = make(new QLineEdit, leftDock, "Edit1", QRect(10, 10, 60, 20));
    QWidget *stretched = make(new QFrame, &form, "pnlSide", QRect(100, 0, 100, 200));
    SetControlAlign(stretched, TAlign::alLeft);
    SetControlAnchors(stretched, AllAnchors);
    QWidget *docked = make(new QWidget, &form, "pnlSide2", QRect(200, 0, 50, 200));
    SetControlAlign(docked, TAlign::alLeft);
    QWidget *edge = make(new QLineEdit, &form, "Edit2", QRect(2, 210, 60, 20));
    QWidget *label = make(new QLabel(QStringLiteral("科目")), &form, "Label1", QRect(50, 240, 40, 20));
    QWidget *group = make(new QGroupBox(QStringLiteral("出力")), &form, "GroupBox1", QRect(260, 10, 120, 80));
    QWidget *inGroup = make(new QCheckBox(QStringLiteral("印刷")), group, "CheckBox1", QRect(10, 20, 80, 20));
    QWidget *kept = make(new QWidget, &form, "pnlSwkInA", QRect(300, 100, 200, 100));
    QWidget *nested = make(new QFrame, kept, "Panel3", QRect(5, 5, 150, 80));
    QWidget *deep = make(new QLineEdit, nested, "Edit3", QRect(8, 8, 60, 20));
    QWidget *chosei = make(new QWidget, &form, "pnlChoseiNasi", QRect(300, 210, 100, 40));
    QWidget *inChosei = make(new QLineEdit, chosei, "Edit4", QRect(8, 8, 60, 20));
    auto *grid = static_cast<QTableWidget *>(make(new QTableWidget(3, 2), &form, "PerfectGrid1", QRect(20, 270, 200, 100)));
    const QPoint viewport = grid->viewport()->pos();

    const QList<QWidget *> comps = FormComponents(&form);
    EXPECT_EQ(comps.size(), 14); // no inner part of the grid
    EXPECT_TRUE(comps.indexOf(inDock) == comps.indexOf(leftDock) + 1); // depth first, in creation order

    CompensateFrame(&form, 4);
    struct Expect { QWidget *w; QRect r; };
    const Expect expected[] = {
        {leftDock, QRect(0, 0, 96, 200)},     // docked at the edge: narrower
        {inDock, QRect(6, 10, 60, 20)},
        {stretched, QRect(100, 0, 104, 200)}, // anchored on all sides: wider
        {docked, QRect(200, 0, 50, 200)},
        {edge, QRect(0, 210, 60, 20)},        // never below 0
        {label, QRect(46, 240, 40, 20)},
        {group, QRect(256, 10, 120, 80)},
        {inGroup, QRect(10, 20, 80, 20)},     // a group box child stays
        {kept, QRect(296, 100, 200, 100)},    // the named panel moves, what lies in it stays
        {nested, QRect(5, 5, 150, 80)},
        {deep, QRect(8, 8, 60, 20)},
        {chosei, QRect(296, 210, 100, 40)},
        {inChosei, QRect(8, 8, 60, 20)},
        {grid, QRect(16, 270, 200, 100)},
    };
    for (const Expect &e : expected) EXPECT_EQ(e.w->geometry(), e.r) << e.w->objectName().toStdString();
    EXPECT_EQ(grid->viewport()->pos(), viewport);
    CompensateFrame(&form, 0); // no frame offset: nothing moves
    EXPECT_EQ(label->x(), 46);
}

TEST(BaseFormFrame, OnlyResizableFormsAreCompensatedWhenShown)
{
    GlobalsGuard guard;
    SystemDef.FrameHeight = 6; // offset 4
    for (TFormBorderStyle style : {TFormBorderStyle::bsDialog, TFormBorderStyle::bsSizeable}) {
        SampleForm f(style);
        f.KeepOnClose = true;
        f.WriteHistory = f.SaveFormSize = f.ReloadAccInfo = false;
        f.show();
        EXPECT_EQ(f.edit->x(), style == TFormBorderStyle::bsDialog ? 100 : 96);
        f.hide();
        f.show(); // once only
        EXPECT_EQ(f.edit->x(), style == TFormBorderStyle::bsDialog ? 100 : 96);
        f.close();
    }
}

// ---- sizes of grids and lists ----

namespace {
class ListForm : public TBSDI
{
public:
    ListForm(TFormBorderStyle style = TFormBorderStyle::bsDialog) : TBSDI(nullptr, style)
    {
        setObjectName(QStringLiteral("ListForm"));
        setWindowTitle(QStringLiteral("一覧"));
        resize(500, 390);
        grid = new QTableWidget(2, 4, this);
        grid->setObjectName(QStringLiteral("PerfectGrid1"));
        grid->setGeometry(8, 8, 380, 110);
        grid->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("コード"), QStringLiteral("会社名"), QString()});
        grid->verticalHeader()->setDefaultSectionSize(30);
        const int widths[] = {50, 70, 154, 30};
        for (int c = 0; c < 4; ++c) grid->setColumnWidth(c, widths[c]);
        grid->setColumnHidden(3, true);
        list = new QTreeWidget(this);
        list->setObjectName(QStringLiteral("ListView1"));
        list->setGeometry(8, 124, 380, 110);
        list->setHeaderLabels({QStringLiteral("ステータス"), QStringLiteral("情報")});
        list->header()->setStretchLastSection(false);
        list->header()->resizeSection(0, 80);
        list->header()->resizeSection(1, 500);
        auto *model = new QStandardItemModel(3, 2, this);
        table = new QTableView(this);
        table->setObjectName(QStringLiteral("StringGrid1"));
        table->setModel(model);
        table->setGeometry(8, 240, 380, 100);
        table->verticalHeader()->setDefaultSectionSize(30);
        table->setColumnWidth(0, 60);
        table->setColumnWidth(1, 90);
        button = new TxPlButton(this);
        button->CaptionA().setCaption(QStringLiteral("F12:閉じる"));
        button->setGeometry(390, 350, 100, 30);
        button->setProperty("Tag", 7);
        CreateDone = true;
    }
    QTableWidget *grid;
    QTreeWidget *list;
    QTableView *table;
    TxPlButton *button;
};
} // namespace

TEST(BaseFormSizes, GridAndListColumnsFollowTheOperatorsFont)
{
    GlobalsGuard guard;
    struct Case { int userFont; std::vector<int> grid; std::vector<int> list; std::vector<int> table; int rowHeight; };
    const Case cases[] = {
        {0, {50, 70, 154}, {80, 500}, {60, 90}, 30},    // the design font: unchanged
        {15, {75, 105, 231}, {120, 750}, {90, 135}, 45}, // 15 over 10 points: one and a half
        {9, {45, 63, 139}, {72, 453}, {54, 81}, 27},     // 90 percent: 87 pixels per inch (86.4 rounded up)
    };
    for (const Case &c : cases) {
        SystemDef = TSystemDef();
        SystemDef.SysDef.FontName = QStringLiteral("ＭＳ Ｐゴシック");
        SystemDef.SysDef.FontSize = c.userFont;
        ListForm f;
        f.KeepOnClose = true;
        f.show();
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f.grid->columnWidth(i), c.grid[size_t(i)]) << c.userFont;
        EXPECT_TRUE(f.grid->isColumnHidden(3));
        EXPECT_EQ(f.grid->verticalHeader()->defaultSectionSize(), c.rowHeight) << c.userFont;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(f.list->header()->sectionSize(i), c.list[size_t(i)]) << c.userFont;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(f.table->columnWidth(i), c.table[size_t(i)]) << c.userFont;
        EXPECT_EQ(f.table->verticalHeader()->defaultSectionSize(), c.rowHeight) << c.userFont;
        EXPECT_EQ(f.grid->font().pointSize(), f.userFont().pointSize());
        EXPECT_TRUE(f.button->CaptionVertCenter());

        // The table holds the sizes as laid out.
        const std::vector<TControlSizeRec> &t = f.sizeTable();
        ASSERT_EQ(t.size(), 4u);
        EXPECT_EQ(t[0].kind, TControlSizeRec::Kind::Grid);
        EXPECT_EQ(t[0].DefHeight, 30);
        EXPECT_EQ(t[0].ColWidths, std::vector<int>({50, 70, 154, -1}));
        EXPECT_EQ(t[1].kind, TControlSizeRec::Kind::ListView);
        EXPECT_EQ(t[1].ColWidths, std::vector<int>({80, 500}));
        EXPECT_EQ(t[2].kind, TControlSizeRec::Kind::StringGrid);
        EXPECT_EQ(t[2].ColWidths, std::vector<int>({60, 90}));
        EXPECT_EQ(QRect(t[3].Left, t[3].Top, t[3].Width, t[3].Height), QRect(390, 350, 100, 30));
        EXPECT_EQ(t[3].Tag, 7);
        if (c.userFont == 15) {
            const QString shot = fwtest::screenshot(&f, QStringLiteral("ListFormLargeFont"));
            EXPECT_FALSE(QImage(shot).isNull());
        }
        f.close();
    }
}

TEST(BaseFormSizes, SavingTheBoundsReleasesTheTable)
{
    GlobalsGuard guard;
    ListForm f(TFormBorderStyle::bsSizeable);
    f.KeepOnClose = true;
    f.WriteHistory = f.ReloadAccInfo = false; // no databases here
    f.show();
    EXPECT_EQ(f.sizeTable().size(), 4u);
    f.close();
    EXPECT_TRUE(f.sizeTable().empty());
}

class BaseFormDbTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        SystemDef.OpCode = 100010;
    }
};

TEST_F(BaseFormDbTest, StoresTheSizePerOperatorAndAppliesItNextTime)
{
    {
        SampleForm f(TFormBorderStyle::bsSizeable);
        f.KeepOnClose = true;
        f.WriteHistory = false;
        f.show();
        EXPECT_EQ(scalar("ACCDEF", "SELECT FMWIDTH||','||FMHEIGHT||','||FMTOP||','||FMLEFT||','||FMDEFWIDTH FROM FORMRSIZE "
                                   "WHERE OPCODE=100010 AND FMNAME='SampleForm'"),
                  QStringLiteral("1012,648,0,0,1012"));
        EXPECT_EQ(f.size(), QSize(1012, 648).boundedTo(f.maximumSize())); // at 96 dpi no larger than the screen
        EXPECT_EQ(f.minimumSize(), QSize(312, 180)); // 0.6 of 520 x 300
        f.move(30, 40);
        f.resize(700, 500);
        f.close();
    }
    EXPECT_EQ(scalar("ACCDEF", "SELECT FMWIDTH||','||FMHEIGHT||','||FMTOP||','||FMLEFT FROM FORMRSIZE "
                               "WHERE OPCODE=100010 AND FMNAME='SampleForm'"),
              QStringLiteral("700,500,40,30"));
    SampleForm again(TFormBorderStyle::bsSizeable);
    again.KeepOnClose = true;
    again.WriteHistory = false;
    again.show();
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.pos(), QPoint(30, 40));
    // Another operator has a row of its own.
    again.close();
    SystemDef.OpCode = 100020;
    SampleForm other(TFormBorderStyle::bsSizeable);
    other.KeepOnClose = true;
    other.WriteHistory = false;
    other.show();
    EXPECT_EQ(other.size(), QSize(1012, 648).boundedTo(other.maximumSize()));
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM FORMRSIZE"), QStringLiteral("2"));
    other.close();
}

TEST_F(BaseFormDbTest, OpeningAndClosingWriteTheOperationLog)
{
    SampleForm f(TFormBorderStyle::bsSizeable);
    f.KeepOnClose = true;
    f.SaveFormSize = false;
    f.ReloadAccInfo = false;
    f.show();
    EXPECT_EQ(scalar("ACCDAT", "SELECT OPCODE||','||JOBNAME||','||PCNAME FROM OPINF"), QStringLiteral("100010,データ検索,PC01"));
    EXPECT_FALSE(scalar("ACCDAT", "SELECT OPENTIME FROM OPINF").isEmpty());
    EXPECT_TRUE(ProcHistoryOpened);
    // A second show of a kept form writes nothing more.
    f.hide();
    f.show();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("1"));
    f.close();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("0"));
}

TEST_F(BaseFormDbTest, DialogStyleFormsKeepNeitherSizeNorLog)
{
    SampleForm f;
    f.KeepOnClose = true;
    f.show();
    f.close();
    EXPECT_EQ(scalar("ACCDAT", "SELECT COUNT(*) FROM OPINF"), QStringLiteral("0"));
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM FORMRSIZE"), QStringLiteral("0"));
}

TEST_F(BaseFormDbTest, SavedScreenValues)
{
    TGamenKeyValue v;
    QString out;
    v.HozonValue(QStringLiteral("DataPrint"), QStringLiteral("　1,0,2  "));
    v.FukugenValue(QStringLiteral("dataprint"), out);
    EXPECT_EQ(out, QStringLiteral("1,0,2"));
    EXPECT_EQ(scalar("ACCDEF", "SELECT STYLENAME||','||LINECOLOR1||','||NETCOLOR2 FROM STYLECOLOR"),
              QStringLiteral("020-DATAPRINT,-1,-1"));

    // Long keys are cut to 40 bytes: keys equal in their first 36 characters share a value.
    const QString base(36, u'K');
    v.HozonValue(base + QStringLiteral("AAAAAAAAAAAAAA"), QStringLiteral("first"));
    v.FukugenValue(base + QStringLiteral("BBBBBBBBBBBBBB"), out);
    EXPECT_EQ(out, QStringLiteral("first"));
    EXPECT_EQ(v.styleName().size(), 40);
    // a double-byte character that would straddle byte 40 is left out
    EXPECT_EQ(TGamenKeyValue::StyleNameOf(QString(35, u'x') + QStringLiteral("画面")), QStringLiteral("020-") + QString(35, u'X'));

    // Values are cut to 1,024 bytes, never inside a double-byte character.
    v.HozonValue(QStringLiteral("LONG"), QString(2000, u'a'));
    v.FukugenValue(QStringLiteral("LONG"), out);
    EXPECT_EQ(out.size(), 1024);
    v.HozonValue(QStringLiteral("LONG"), QStringLiteral("a") + QString(1000, u'あ'));
    v.FukugenValue(QStringLiteral("LONG"), out);
    EXPECT_EQ(out.size(), 1 + 511); // 1,023 bytes

    // The form keeps its value under its name.
    SampleForm f;
    f.GamenValue = QStringLiteral("3");
    f.PutGamenValue();
    f.GamenValue.clear();
    f.GetGamenValue();
    EXPECT_EQ(f.GamenValue, QStringLiteral("3"));

    // Without an operator nothing is read or saved.
    SystemDef.OpCode = 0;
    TGamenKeyValue none;
    none.HozonValue(QStringLiteral("NOOP"), QStringLiteral("x"));
    none.FukugenValue(QStringLiteral("DataPrint"), out);
    EXPECT_EQ(out, QString());
    EXPECT_EQ(scalar("ACCDEF", "SELECT COUNT(*) FROM STYLECOLOR WHERE STYLENAME='020-NOOP'"), QStringLiteral("0"));
}
