#include "framework/SDI.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "core/DateFormat.h"
#include "framework/WindowUtils.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/FormStore.h"
#include "framework/FrameworkFonts.h"
#include "framework/MessageDlg2.h"
#include "dbaccess/Kikan.h"
#include "framework/xKikanPanel.h"
#include "framework/xPlButton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeView>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QLayout>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>

#include <unordered_set>
#include <cmath>

QPointer<QWidget> MainFormWidget;
std::function<void(bool, int)> FormActivateHook;
std::function<int(int, const QString &)> MenuCallbackHook;
int MenuCallbackAnswer = 0;
bool ProcHistoryOpened = false;
std::function<void(int)> DataResetProc;
std::function<void(int, const QString &, int, const QString &)> DataInfoProc;
std::function<void(int, int)> DataCountProc;

namespace {
int screenPpi()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) return qRound(s->logicalDotsPerInch());
    return 96;
}

QRect workArea()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) return s->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

QSize mainClientSize()
{
    if (MainFormWidget) return MainFormWidget->size();
    return workArea().size();
}

bool plainKey(Qt::KeyboardModifiers m)
{
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}
} // namespace

void SetControlAlign(QWidget *control, TAlign align)
{
    control->setProperty("Align", int(align));
}

TAlign ControlAlign(const QWidget *control)
{
    return TAlign(control->property("Align").toInt());
}

void SetControlAnchors(QWidget *control, int anchors)
{
    control->setProperty("Anchors", anchors);
}

int ControlAnchors(const QWidget *control)
{
    const QVariant v = control->property("Anchors");
    return v.isValid() ? v.toInt() : (akLeft | akTop);
}

bool IsPanel(const QWidget *w)
{
    const QMetaObject *m = w->metaObject();
    return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject;
}

namespace {
bool holdsComponents(const QWidget *w)
{
    return IsPanel(w) || qobject_cast<const QGroupBox *>(w) || qobject_cast<const QStackedWidget *>(w);
}

void collectComponents(QWidget *parent, QList<QWidget *> &out)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow()) continue;
        out << w;
        if (holdsComponents(w)) collectComponents(w, out);
    }
}

// Inside a panel named "pnlSwkInA" or "pnlChoseiNasi", through any depth of panels.
bool insideKeptPanel(const QWidget *w, const QWidget *form)
{
    for (const QWidget *p = w->parentWidget(); p && p != form && IsPanel(p); p = p->parentWidget())
        if (p->objectName() == u"pnlSwkInA" || p->objectName() == u"pnlChoseiNasi") return true;
    return false;
}
} // namespace

QList<QWidget *> FormComponents(QWidget *form)
{
    QList<QWidget *> out;
    collectComponents(form, out);
    return out;
}

void CompensateFrame(QWidget *form, int d)
{
    if (d <= 0) return;
    for (QWidget *w : FormComponents(form)) {
        if (IsPanel(w) && ControlAlign(w) == TAlign::alLeft) {
            if (w->x() == 0)
                w->resize(w->width() - d, w->height());
            else if ((ControlAnchors(w) & AllAnchors) == AllAnchors)
                w->resize(w->width() + d, w->height());
            continue;
        }
        if (qobject_cast<QGroupBox *>(w->parentWidget()) || insideKeptPanel(w, form)) continue;
        w->move(qMax(0, w->x() - d), w->y());
    }
}

TFormScale ComputeFormScale(int designPoints, int userPoints, int ppiScreen)
{
    TFormScale s;
    s.base = designPoints == 10 ? ppiScreen : 96;
    const int a = int(std::lround(double(userPoints) * ppiScreen / 96.0));
    const int b = int(std::lround(double(designPoints) * ppiScreen / 96.0));
    s.percent = b > 0 ? int(100LL * a / b) : 100;
    // base * percent / 100 to four decimals, rounded up.
    const qint64 scaled = qint64(s.base) * s.percent * 100; // in 1/10000
    s.ppi = int((scaled + 9999) / 10000);
    return s;
}

QString LongHint(const QString &hint)
{
    const qsizetype p = hint.indexOf(u'|');
    return p >= 0 ? hint.mid(p + 1) : hint;
}

QString ShortHint(const QString &hint)
{
    const qsizetype p = hint.indexOf(u'|');
    return p >= 0 ? hint.left(p) : hint;
}

QSize DefaultFormSize(int ppi, int frameHeight)
{
    int h = 648 * ppi / 96, w = 1012 * ppi / 96;
    if (2 * frameHeight > 8) {
        h -= 2 * frameHeight - 8;
        w -= 2 * frameHeight - 8;
    }
    return {w, h};
}

QString TBSDI::InitFailedText(const QString &caption)
{
    return caption + QStringLiteral("画面の初期化に失敗しました。\r処理を終了します。");
}

TBSDI::TBSDI(QWidget *parent, TFormBorderStyle style)
    : QDialog(parent),
      IBTransactionDAT(DM ? &DM->IBDatabaseDAT : nullptr,
                       {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")}),
      m_style(style)
{
    // Creation: options by border style.
    const bool resizable = !isDialogStyle();
    WriteHistory = SkipProcessCheck = SaveFormSize = ReloadAccInfo = NotifyActivate = resizable;
    setWindowTitle(QStringLiteral("( W=1005 * H=620 )"));
    setFont(DesignFont());
    if (isDialogStyle()) setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    const TSysDefSettings &sd = SystemDef.SysDef;
    if (sd.FontSize > 0) {
        m_userFont = MakeFont(sd.FontName, sd.FontSize);
        m_userFont.setBold(sd.FontStyle & 1);
        m_userFont.setItalic(sd.FontStyle & 2);
        m_hasUserFont = true;
    } else {
        m_userFont = DesignFont();
    }
    FormatSettings.ShortDateFormat = QStringLiteral("yyyy/MM/dd");
    m_hintsOn = sd.ShowHint != 0 || !sd.LoadedFlag;
    SetOwnerWindow(nullptr);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &TBSDI::onFocusChanged);
}

TBSDI::~TBSDI()
{
    // The dialog's own destruction moves the focus: no handler of this form may
    // run once it is no longer a whole form.
    if (qApp) {
        qApp->removeEventFilter(this);
        disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    }
}

void TBSDI::SetOwnerWindow(QWidget *window)
{
    OwnerWindow = window;
    OwnerCaption = window ? window->windowTitle() : QString();
}

void TBSDI::ShowHintInMemo(QWidget *control, QPlainTextEdit *memo)
{
    if (!memo) return;
    if (!control || control->toolTip().isEmpty()) {
        memo->clear();
        return;
    }
    memo->setPlainText(LongHint(control->toolTip()));
}

void TBSDI::onFocusChanged(QWidget *, QWidget *now)
{
    if (HintMemo && now && now->window() == this) ShowHintInMemo(now, HintMemo);
}

// ---- showing ----

void TBSDI::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        // Keys typed before the form appeared do not act on it.
        FlushInputMessages(this);
        MenuCallbackAnswer = 0;
        if (MenuCallbackHook && UseMenuCallback) {
            if (MenuCallbackHook(10, QString()) > 0) UseMenuCallback = false;
            if (UseMenuCallback) {
                MenuCallbackAnswer = MenuCallbackHook(11, QStringLiteral("CorvenaMenu"));
                MenuCallbackHook(4, QString());
            }
        }
    }
    if (!ShownOnce) {
        if (!m_kikanPanelsDone) InitKikanPanels();
        try {
            FormShow();
        } catch (const std::exception &) {
            // Database errors were reported where they happened.
        }
        ShownOnce = true;
        if (!CreateDone) {
            MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbYes);
            QTimer::singleShot(0, this, [this] { done(2); });
        }
    }
    QApplication::restoreOverrideCursor();
}

void TBSDI::FormShow()
{
    if (WriteHistory) {
        PutProcRirekiInfo(0);
        ProcHistoryOpened = true;
    }
    if (ReloadAccInfo && DM && DM->IBDatabaseDAT.connected()) DM->fnGetAccInfo();

    // Frame compensation of resizable forms.
    const int fh = SystemDef.FrameHeight;
    if (!isDialogStyle()) CompensateFrame(this, fh > 4 ? 2 * (fh - 4) : 0);

    if (m_designSize.isEmpty()) m_designSize = size();
    if (SaveFormSize && !isDialogStyle()) setMinimumSize(int(width() * 0.6), int(height() * 0.6));
    // A form of fixed size (its layout sets it) keeps it.
    const bool fixed = layout() && layout()->sizeConstraint() == QLayout::SetFixedSize;
    if (screenPpi() <= 96 && !fixed) {
        if (QScreen *s = QGuiApplication::primaryScreen()) setMaximumSize(s->size());
    }
    // The table of control sizes; a grid first takes back the scaling of a
    // design font of 10 points (no change then, as the base is the screen's).
    const int base = DesignFontPoints == 10 ? screenPpi() : 96;
    buildSizeTable(double(base) / screenPpi());
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!m_hintsOn) w->setToolTip(QString());
        if (AccInf.Medical)
            if (auto *label = qobject_cast<QLabel *>(w)) {
                QString t = label->text();
                t.replace(QStringLiteral("本・支店"), QStringLiteral("施設")).replace(QStringLiteral("支店"), QStringLiteral("施設"));
                label->setText(t);
            }
    }
    applyScaling();
    if (SaveFormSize) GetFormSize();
}

void TBSDI::applyScaling()
{
    const int design = DesignFontPoints;
    const int user = m_hasUserFont ? SystemDef.SysDef.FontSize : design;
    const TFormScale s = ComputeFormScale(design, user, screenPpi());
    m_ppi = s.ppi;
    ScalePercent = AppliedScalePercent = s.percent;
    setUpdatesEnabled(false);
    if (s.ppi != s.base) {
        const double f = double(s.ppi) / s.base;
        auto sc = [f](int v) { return int(v * f); };
        for (QWidget *w : findChildren<QWidget *>()) {
            if (w->isWindow()) continue;
            w->setGeometry(sc(w->x()), sc(w->y()), sc(w->width()), sc(w->height()));
        }
        resize(sc(width()), sc(height()));
    }
    // Row heights and column widths follow the font: f(v) = v * ppi / 96.
    const int ppi = s.ppi;
    auto f = [ppi](int v) { return int(qint64(v) * ppi / 96); };
    auto setDefault = [](QHeaderView *h, int size) {
        // A new default resizes every visible section: the widths are set again afterwards.
        if (h->defaultSectionSize() != size) h->setDefaultSectionSize(size);
    };
    for (const TControlSizeRec &r : m_sizeTable) {
        QWidget *w = r.Control;
        if (!w) continue;
        switch (r.kind) {
        case TControlSizeRec::Kind::Grid: {
            auto *g = static_cast<QTableWidget *>(w);
            g->setFont(m_userFont);
            std::vector<int> widths;
            for (int c = 0; c < g->columnCount(); ++c) widths.push_back(g->isColumnHidden(c) ? -1 : g->columnWidth(c));
            setDefault(g->verticalHeader(), f(g->verticalHeader()->defaultSectionSize()));
            setDefault(g->horizontalHeader(), f(g->horizontalHeader()->defaultSectionSize()));
            for (int c = 0; c < int(widths.size()); ++c)
                if (widths[size_t(c)] >= 0) g->setColumnWidth(c, f(widths[size_t(c)]));
            break;
        }
        case TControlSizeRec::Kind::StringGrid: {
            auto *g = static_cast<QTableView *>(w);
            setDefault(g->verticalHeader(), f(r.DefHeight));
            for (int c = 0; c < int(r.ColWidths.size()); ++c)
                if (r.ColWidths[size_t(c)] >= 0) g->setColumnWidth(c, f(r.ColWidths[size_t(c)]));
            break;
        }
        case TControlSizeRec::Kind::ListView: {
            QHeaderView *h = static_cast<QTreeView *>(w)->header();
            for (int c = 0; c < int(r.ColWidths.size()); ++c)
                if (r.ColWidths[size_t(c)] >= 0) h->resizeSection(c, f(r.ColWidths[size_t(c)]));
            break;
        }
        case TControlSizeRec::Kind::Other:
            if (auto *b = qobject_cast<TxPlButton *>(w))
                if (!b->Image().hasPicture()) {
                    b->setCaptionVertCenter(true);
                    b->Image().setVertCenter(true);
                }
            break;
        }
    }
    setUpdatesEnabled(true);
    if (m_hasUserFont) setFont(m_userFont);
}

void TBSDI::buildSizeTable(double gridFactor)
{
    const QList<QWidget *> components = FormComponents(this);
    if (int(components.size()) == m_sizeTableCount) return;
    m_sizeTable.clear();
    m_sizeTableCount = int(components.size());
    auto columns = [](QHeaderView *h, auto hidden) {
        std::vector<int> widths;
        for (int c = 0; c < h->count(); ++c) widths.push_back(hidden(c) ? -1 : h->sectionSize(c));
        return widths;
    };
    for (QWidget *w : components) {
        TControlSizeRec r;
        r.Control = w;
        r.Tag = w->property("Tag").toInt();
        if (auto *combo = qobject_cast<QComboBox *>(w)) r.ItemHeight = combo->count() > 0 ? combo->view()->sizeHintForRow(0) : 0;
        if (auto *grid = qobject_cast<QTableWidget *>(w)) {
            r.kind = TControlSizeRec::Kind::Grid;
            grid->resize(int(grid->width() * gridFactor), int(grid->height() * gridFactor));
            r.DefHeight = grid->verticalHeader()->defaultSectionSize();
            r.DefWidth = grid->horizontalHeader()->defaultSectionSize();
            r.ColWidths = columns(grid->horizontalHeader(), [grid](int c) { return grid->isColumnHidden(c); });
        } else if (auto *table = qobject_cast<QTableView *>(w)) {
            r.kind = TControlSizeRec::Kind::StringGrid;
            r.DefHeight = table->verticalHeader()->defaultSectionSize();
            r.DefWidth = table->horizontalHeader()->defaultSectionSize();
            r.ColWidths = columns(table->horizontalHeader(), [table](int c) { return table->isColumnHidden(c); });
        } else if (auto *list = qobject_cast<QTreeView *>(w)) {
            r.kind = TControlSizeRec::Kind::ListView;
            r.ColWidths = columns(list->header(), [list](int c) { return list->isColumnHidden(c); });
        }
        r.Left = w->x();
        r.Top = w->y();
        r.Width = w->width();
        r.Height = w->height();
        m_sizeTable.push_back(std::move(r));
    }
}

// ---- period panels ----

void TBSDI::InitKikanPanels()
{
    m_kikanPanelsDone = true;
    const TACCINF &a = AccInf;
    if (!a.KISHU.isValid() || !a.KIMATU.isValid()) return; // no company open
    const bool firstQuarter = KikanMode > 0;
    if (auto *p = findChild<TxKikanPanel16 *>(QStringLiteral("KikanPanel16"))) {
        p->SetKikan(a.SIME, a.KISHU, a.KIMATU, a.KAISI);
        if (firstQuarter) {
            p->setKESSAN(false);
            p->setRange(0, p->KikanMove() ? 2 : 0);
        } else {
            KikanStartIndex = MonthToPeriodIndex(a.KAISINO);
            p->setRange(KikanStartIndex, p->KikanMove() ? 15 : KikanStartIndex);
        }
    }
    if (auto *p = findChild<TxKikanPanel12 *>(QStringLiteral("KikanPanel12"))) {
        p->SetKikan(a.SIME, a.KISHU, a.KIMATU, a.KAISI);
        if (firstQuarter) {
            p->setRange(0, p->KikanMove() ? 2 : 0);
        } else {
            const int start = a.KAISINO - 1;
            p->setRange(start, p->KikanMove() ? 11 : start);
        }
    }
    for (const QString &name : {QStringLiteral("KikanPanel4"), QStringLiteral("KikanPanel2")})
        if (auto *p = findChild<TxKikanPanel4 *>(name)) {
            p->SetKikan(a.SIME, a.KISHU, a.KIMATU, a.KAISI);
            if (firstQuarter) p->setRange(0, 0);
        }
}

bool TBSDI::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && FormActivateHook) FormActivateHook(NotifyActivate, 0);
    return QDialog::event(e);
}

// ---- keys ----

bool TBSDI::eventFilter(QObject *watched, QEvent *e)
{
    const QEvent::Type t = e->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ToolTip) return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != this) return false;
    if (t == QEvent::ToolTip) {
        // A hint is "short|long": the pop-up shows the short part, the memo the long one.
        const QString tip = m_hintsOn ? ShortHint(w->toolTip()) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent *>(e)->globalPos(), tip, w);
        return true;
    }
    auto *k = static_cast<QKeyEvent *>(e);
    if (t == QEvent::KeyPress) {
        if (k->key() != Qt::Key_Escape && k->key() != Qt::Key_F12) return false;
        if (k->key() == Qt::Key_Escape && plainKey(k->modifiers()))
            for (TxPlButton *b : findChildren<TxPlButton *>())
                if (b->Cancel() && b->dialogKey(Qt::Key_Escape, k->modifiers())) return true;
        return true; // Esc and F12 act when the key goes up
    }
    if (k->isAutoRepeat()) return false;
    return FormKeyUp(k->key(), k->modifiers());
}

bool TBSDI::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (!plainKey(modifiers) || !isVisible()) return false;
    if (key == Qt::Key_Escape) {
        if (isDialogStyle()) done(2);
        return true;
    }
    if (key == Qt::Key_F12) {
        if (!isDialogStyle()) {
            done(2);
            return true;
        }
        TxPlButton *b = EndButton;
        if (b && b->isVisible() && b->isEnabled() && b->hasClickHandler()) {
            if (FocusEndButton) b->setFocus(Qt::OtherFocusReason);
            b->click();
            return true;
        }
    }
    return false;
}

// ---- closing ----

void TBSDI::done(int r)
{
    if (m_closing) return;
    m_closing = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        FormClose();
    } catch (const std::exception &) {
        // Reported where it happened; the final steps still run.
    }
    QApplication::restoreOverrideCursor();
    QDialog::done(r);
    m_closing = false;
    freeOnClose();
}

namespace {

// The forms made with new, by their address: only those may free themselves.
std::unordered_set<const void *> &heapForms()
{
    static std::unordered_set<const void *> forms;
    return forms;
}

} // namespace

void *TBSDI::operator new(std::size_t size)
{
    void *p = ::operator new(size);
    heapForms().insert(p);
    return p;
}

void TBSDI::operator delete(void *p) noexcept
{
    heapForms().erase(p);
    ::operator delete(p);
}

void TBSDI::freeOnClose()
{
    // The whole object's address: a form class may have more than one base.
    if (!KeepOnClose && heapForms().count(dynamic_cast<const void *>(this))) deleteLater();
}

void TBSDI::FormClose()
{
    if (SaveFormSize) PutFormSize();
    if (WriteHistory) PutProcRirekiInfo(1);
}

// ---- operation log ----

void TBSDI::PutProcRirekiInfo(int state)
{
    if (!DM || !DM->IBDatabaseDAT.connected()) return;
    if (!IBTransactionDAT.database()) IBTransactionDAT.setDatabase(&DM->IBDatabaseDAT);
    formstore::writeOperationLog(IBTransactionDAT, SystemDef.OpCode, SjisLeft(windowTitle(), 80), SystemDef.PcName, state);
}

// ---- stored bounds ----

void TBSDI::GetFormSize()
{
    if (!SaveFormSize || !DM || !DM->IBDatabaseDEF.connected()) return;
    QRect bounds;
    if (!formstore::readBounds(objectName(), SystemDef.OpCode, DefaultFormSize(m_ppi, SystemDef.FrameHeight), bounds)) return;
    move(bounds.topLeft());
    resize(bounds.size());
}

void TBSDI::PutFormSize()
{
    if (!SaveFormSize) return;
    m_sizeTable.clear();
    m_sizeTableCount = -1;
    if (!DM || !DM->IBDatabaseDEF.connected()) return;
    const QSize mainSize = mainClientSize();
    const int fh = SystemDef.FrameHeight;
    int top, left, w, h;
    if (isMaximized()) {
        top = left = 0;
        w = mainSize.width() - fh;
        h = mainSize.height() - fh;
    } else {
        top = qMax(0, y());
        left = qMax(0, x());
        w = width();
        h = height();
    }
    if (top > mainSize.height()) top = 0;
    if (left > mainSize.width()) left = 0;
    formstore::writeBounds(objectName(), SystemDef.OpCode, QRect(left, top, w, h));
}

// ---- positioning ----

void TBSDI::SetFormPosition(int x, int y, int width, int height, int mode)
{
    const QRect wa = workArea();
    const int right = wa.right() + 1, bottom = wa.bottom() + 1;
    if (!FirstPositioning && this->x() > 0 && this->y() > 0 && this->x() < right && this->y() < bottom) return;
    int left = this->x(), top = this->y();
    bool centre = true;
    QWidget *main = MainFormWidget;
    const int fh = SystemDef.FrameHeight;
    if (mode == 1 && main && main->isVisible()) {
        centre = false;
        left = main->x() + 2 * fh + x + width / 2 - this->width() / 2;
        top = main->y() + 2 * (fh + SystemDef.CaptionHeight) + SystemDef.MenuHeight + y + height / 2 - this->height() / 2;
    } else if (mode == 2 && main && main->isVisible()) {
        centre = false;
        left = main->x() + (main->width() - this->width()) / 2;
        top = main->y() + (main->height() - this->height()) / 2;
    }
    if (centre) {
        left = wa.x() + (wa.width() - this->width()) / 2;
        top = wa.y() + (wa.height() - this->height()) / 2;
    }
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (left + this->width() > right) left = right - this->width();
    if (top + this->height() > bottom) top = bottom - this->height();
    if (isDialogStyle()) {
        if (left < 0) left = 0;
        if (top < 0) top = 0;
    }
    move(left, top);
}

// ---- queries and screen values ----

std::unique_ptr<FbQuery> TBSDI::NewQuery()
{
    try {
        if (!DM) return nullptr;
        return std::make_unique<FbQuery>(&DM->IBDatabaseDAT, &IBTransactionDAT);
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<FbStoredProc> TBSDI::NewStoredProc(const QString &procName)
{
    try {
        if (!DM) return nullptr;
        auto sp = std::make_unique<FbStoredProc>(&DM->IBDatabaseDAT, &IBTransactionDAT);
        sp->StoredProcName = procName;
        return sp;
    } catch (...) {
        return nullptr;
    }
}

void TBSDI::GetGamenValue()
{
    m_gamen.FukugenValue(objectName(), GamenValue);
}

void TBSDI::PutGamenValue()
{
    m_gamen.HozonValue(objectName(), GamenValue);
}

TGridColors SetPerfectGridColors(QTableWidget *grid, int kind)
{
    const auto colour = TColorToQColor;
    const TSysDefSettings &o = SystemDef.SysDef;
    TGridColors c;
    c.FixedBack = colour(o.ColHeaderColor);
    c.FixedBorder = c.Border = c.Disabled = colour(8421504);
    c.Back = c.OddRowBack = colour(o.ClientColor);
    c.FocusBorder = colour(o.ActiveColor);
    c.ThruBorder = (Edition == 1 || Edition == 2) ? colour(2386943) : colour(32768);
    c.VoidArea = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    if (kind != 1) {
        c.Back = colour(o.ClientColor1);
        c.OddRowBack = colour(o.ClientColor2);
    }
    if (grid) {
        grid->setStyleSheet(QStringLiteral("QTableWidget { gridline-color: %1; }"
                                           "QHeaderView::section { background-color: %2; border: 1px solid %1; padding: 2px; }")
                                .arg(c.Border.name(), c.FixedBack.name()));
        QPalette pal = grid->palette();
        pal.setColor(QPalette::Base, c.Back);
        pal.setColor(QPalette::AlternateBase, c.OddRowBack);
        pal.setColor(QPalette::Window, c.VoidArea);
        grid->setPalette(pal);
    }
    return c;
}
