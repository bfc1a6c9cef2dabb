#include "print/Pager512_Imagedsp.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "framework/FrameworkFonts.h"
#include "framework/FrameworkMessages.h"
#include "framework/z5InputDlg.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "print/Pager512_Chart.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_ImageOut.h"
#include "print/Pager512_PrintJob.h"
#include "print/Pager512_PrinterDialog.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"
#include "print/Pager512_Yohaku.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace {

constexpr int kPaperTop = 10;     // the sheet's distance from the top of the scroll box
constexpr int kBottomMargin = 22; // the margin kept below the sheet
constexpr int kRightMargin = 14;  // and right of it

void logFailure(const char *operation, const std::exception &e)
{
    WriteErrorLog(QStringLiteral("%1:%2").arg(QString::fromUtf8(operation), exceptionText(e)));
}

// ---- tool-bar pictures ---------------------------------------------------------------

enum class Glyph { Close, Print, PrintSetup, Margin, Fit, Actual, ZoomIn, ZoomOut, First, Prev, Next, Last,
                   PrintPage, Save, Open, OpenCancel };

void drawPage(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void drawPrinter(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 2.5, 9, 6));
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(QRectF(2.5, 8.5, 15, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 12.5, 9, 5));
    p.setPen(QPen(QColor(0x00, 0xA0, 0x00), 1));
    p.drawPoint(QPointF(15, 10));
}

void drawMagnifier(QPainter &p, bool plus)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(0xE0, 0xF0, 0xFF));
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17, 17));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (plus)
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
}

void drawTriangle(QPainter &p, double x, bool left)
{
    QPainterPath path;
    if (left) {
        path.moveTo(x + 6, 4);
        path.lineTo(x, 10);
        path.lineTo(x + 6, 16);
    } else {
        path.moveTo(x, 4);
        path.lineTo(x + 6, 10);
        path.lineTo(x, 16);
    }
    path.closeSubpath();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0x40, 0x90));
    p.drawPath(path);
}

QIcon glyphIcon(Glyph g)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    switch (g) {
    case Glyph::Close:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.drawLine(QPointF(15, 5), QPointF(5, 15));
        break;
    case Glyph::Print:
        drawPrinter(p);
        break;
    case Glyph::PrintSetup:
        drawPrinter(p);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x00, 0x40, 0x90), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(15, 15), 3, 3);
        break;
    case Glyph::Margin:
        drawPage(p, QRectF(3.5, 1.5, 13, 17));
        p.setPen(QPen(Qt::blue, 1, Qt::DotLine));
        p.drawRect(QRectF(6.5, 4.5, 7, 11));
        break;
    case Glyph::Fit:
        drawPage(p, QRectF(5.5, 3.5, 9, 13));
        p.setPen(QPen(Qt::black, 1));
        for (const QLineF &l : {QLineF(1, 1, 4, 1), QLineF(1, 1, 1, 4), QLineF(19, 1, 16, 1), QLineF(19, 1, 19, 4),
                                QLineF(1, 19, 4, 19), QLineF(1, 19, 1, 16), QLineF(19, 19, 16, 19), QLineF(19, 19, 19, 16)})
            p.drawLine(l);
        break;
    case Glyph::Actual: {
        QFont f = p.font();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    case Glyph::ZoomIn:
        drawMagnifier(p, true);
        break;
    case Glyph::ZoomOut:
        drawMagnifier(p, false);
        break;
    case Glyph::First:
        p.fillRect(QRectF(4, 4, 2, 12), QColor(0x00, 0x40, 0x90));
        drawTriangle(p, 7, true);
        break;
    case Glyph::Prev:
        drawTriangle(p, 7, true);
        break;
    case Glyph::Next:
        drawTriangle(p, 7, false);
        break;
    case Glyph::Last:
        drawTriangle(p, 7, false);
        p.fillRect(QRectF(14, 4, 2, 12), QColor(0x00, 0x40, 0x90));
        break;
    case Glyph::PrintPage: {
        drawPage(p, QRectF(3.5, 1.5, 13, 17));
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x00, 0x40, 0x90));
        p.drawText(QRect(3, 1, 14, 18), Qt::AlignCenter, QStringLiteral("1"));
        break;
    }
    case Glyph::Save:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0x30, 0x50, 0xA0));
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        break;
    case Glyph::Open:
    case Glyph::OpenCancel:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(0xF0, 0xD0, 0x60));
        p.drawRect(QRectF(2.5, 6.5, 15, 10));
        p.drawRect(QRectF(2.5, 4.5, 6, 2));
        if (g == Glyph::OpenCancel) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2));
            p.drawLine(QPointF(10, 10), QPointF(17, 17));
            p.drawLine(QPointF(17, 10), QPointF(10, 17));
        }
        break;
    }
    p.end();
    return QIcon(pm);
}

// The zoom step as the per cent it shows: 10 is "100%".
QString zoomText(int zoom)
{
    return QString::number(zoom * 10) + u'%';
}

// A hint "short|long" shows its short part.
QString shortHint(const QString &hint)
{
    const int bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

// Writes lines as CP932 text with CR LF endings, atomically.
bool saveLines(const QString &path, const QStringList &lines)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += platform::toCp932(line) + "\r\n";
    f.write(bytes);
    return f.commit();
}

// Copies a file over a target, atomically; false when the source cannot be read.
bool copyOver(const QString &from, const QString &to)
{
    if (QFileInfo(from).absoluteFilePath() == QFileInfo(to).absoluteFilePath())
        return true;
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(in.readAll());
    return out.commit();
}

QStringList loadLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringList();
    return pager512::decodeLines(f.readAll());
}

// The number of a header value: decimal, or hexadecimal after "$"; the default
// when it is neither.
int headerNumber(const QString &value, int def)
{
    bool ok = false;
    const int n = value.startsWith(u'$') ? int(value.mid(1).toUInt(&ok, 16)) : value.toInt(&ok);
    return ok ? n : def;
}

// The value after the key on the first line that begins with it; empty when none.
QString headerValue(const QStringList &lines, const QString &key)
{
    for (const QString &line : lines)
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed();
    return QString();
}

int fieldNumber(const QString &line, int index)
{
    QString text;
    GetFieldText(line, u';', index, text);
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? n : 0;
}

QString fieldText(const QString &line, int index)
{
    QString text;
    GetFieldText(line, u';', index, text);
    return text;
}

} // namespace

// ---- the paint box -------------------------------------------------------------------------

TPreviewPaintBox::TPreviewPaintBox(TImageDispForm *form, QWidget *parent) : QWidget(parent), m_form(form)
{
    setObjectName(QStringLiteral("ImagePaintBox"));
    setToolTip(QStringLiteral("印刷可能範囲"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TPreviewPaintBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_form->ImagePaintBoxPaint(painter);
}

void TPreviewPaintBox::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && e->modifiers() == Qt::NoModifier)
        m_form->beginDrag(e->globalPosition().toPoint());
}

void TPreviewPaintBox::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() & Qt::LeftButton)
        m_form->dragTo(e->globalPosition().toPoint());
}

void TPreviewPaintBox::mouseReleaseEvent(QMouseEvent *)
{
    m_form->endDrag();
}

// ---- the window ------------------------------------------------------------------------------

TImageDispForm::TImageDispForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImageDispForm"));
    setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    setFont(MakeFont(QStringLiteral("ＭＳ 明朝"), -13));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    resize(1000, 720);

    SpeedBar = new QFrame(this);
    SpeedBar->setObjectName(QStringLiteral("SpeedBar"));
    SpeedBar->setFixedHeight(30);

    int x = 4;
    const auto button = [&](const char *name, Glyph glyph, const QString &hint, int gapBefore = 0) {
        x += gapBefore;
        auto *b = new QToolButton(SpeedBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        b->setGeometry(x, 2, 26, 26);
        b->setIcon(glyphIcon(glyph));
        b->setIconSize(QSize(20, 20));
        b->setToolTip(shortHint(hint));
        x += 26;
        return b;
    };
    const auto panel = [&](const char *name, int width, int gapBefore) {
        x += gapBefore;
        auto *l = new QLabel(SpeedBar);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, 4, width, 22);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, Qt::white);
        l->setPalette(pal);
        x += width;
        return l;
    };

    CloseButton = button("CloseButton", Glyph::Close, QStringLiteral("プレビューを中止する。"));
    PrintButton = button("PrintButton", Glyph::Print, QStringLiteral("印刷"), 8);
    PrintSetupButton = button("PrintSetupButton", Glyph::PrintSetup, QStringLiteral("ﾌﾟﾘﾝﾀ設定"));
    SB_MARGIN = button("SB_MARGIN", Glyph::Margin, QStringLiteral("上余白・左余白を設定します"));
    ZoomJustButton = button("ZoomJustButton", Glyph::Fit, QStringLiteral("全体を表示する"), 8);
    SpeedButton3 = button("SpeedButton3", Glyph::Actual, QStringLiteral("１００％表示"));
    ZoomInButton = button("ZoomInButton", Glyph::ZoomIn, QStringLiteral("拡大"));
    ZoomOutButton = button("ZoomOutButton", Glyph::ZoomOut, QStringLiteral("縮小"));
    DispZoom = panel("DispZoom", 52, 2);
    DispZoom->setText(QStringLiteral("100%"));
    PgJump = button("PgJump", Glyph::First, QStringLiteral("ﾍﾟｰｼﾞ指定"), 8);
    PgJump->setIcon(QIcon());
    PgJump->setText(QStringLiteral("Jmp"));
    PgJump->setStyleSheet(QStringLiteral("QToolButton { color: red; font-weight: bold; }"));
    PgJump->setFixedWidth(34);
    x += 8;
    TopPage = button("TopPage", Glyph::First, QStringLiteral("先頭ﾍﾟｰｼﾞ"));
    PrevPage = button("PrevPage", Glyph::Prev, QStringLiteral("前ﾍﾟｰｼﾞ"));
    NextPage = button("NextPage", Glyph::Next, QStringLiteral("次ﾍﾟｰｼﾞ"));
    LastPage = button("LastPage", Glyph::Last, QStringLiteral("最終ﾍﾟｰｼﾞ"));
    CurrentPage = button("CurrentPage", Glyph::PrintPage, QStringLiteral("現在のページを印刷"), 8);
    WherePage = panel("WherePage", 90, 2);
    const auto paperButton = [&](const char *name, const QString &caption) {
        auto *b = new QToolButton(SpeedBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        b->setText(caption);
        b->setGeometry(0, 2, 80, 26);
        return b;
    };
    PrevPaper = paperButton("PrevPaper", QStringLiteral("前の帳票"));
    NextPaper = paperButton("NextPaper", QStringLiteral("次の帳票"));
    PrevPaper->move(WherePage->geometry().right() + 1 + 20, 2);
    NextPaper->move(WherePage->geometry().right() + 1 + 102, 2);
    x = NextPaper->geometry().right() + 1 + 8;
    ImageOut = button("ImageOut", Glyph::Save, QStringLiteral("ファイルに保存"));
    ImageOpen = button("ImageOpen", Glyph::Open, QStringLiteral("ファイルの読込"));
    ImageOpenCancel = button("ImageOpenCancel", Glyph::OpenCancel, QStringLiteral("ファイルの読込を取り消す"));
    // Designed hidden and disabled.
    for (QToolButton *b : {ImageOut, ImageOpen, ImageOpenCancel}) {
        b->setVisible(false);
        b->setEnabled(false);
    }

    ImagePaintScrollBox = new QScrollArea(this);
    ImagePaintScrollBox->setObjectName(QStringLiteral("ImagePaintScrollBox"));
    ImagePaintScrollBox->setWidgetResizable(false);
    ImagePaintScrollBox->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollContent"));
    PaperPanel = new QFrame(content);
    PaperPanel->setObjectName(QStringLiteral("PaperPanel"));
    PaperPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    PaperPanel->setLineWidth(1);
    PaperPanel->setAutoFillBackground(true);
    QPalette paper = PaperPanel->palette();
    paper.setColor(QPalette::Window, Qt::white);
    PaperPanel->setPalette(paper);
    PaperPanel->move(15, kPaperTop);
    ImagePaintBox = new TPreviewPaintBox(this, PaperPanel);
    ImagePaintScrollBox->setWidget(content);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SpeedBar);
    layout->addWidget(ImagePaintScrollBox, 1);

    connect(CloseButton, &QToolButton::clicked, this, &TImageDispForm::CloseButtonClick);
    connect(PrintButton, &QToolButton::clicked, this, &TImageDispForm::PrintButtonClick);
    connect(PrintSetupButton, &QToolButton::clicked, this, &TImageDispForm::PrintSetupButtonClick);
    connect(SB_MARGIN, &QToolButton::clicked, this, &TImageDispForm::SB_MARGINClick);
    connect(ZoomJustButton, &QToolButton::clicked, this, &TImageDispForm::ZoomJustButtonClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &TImageDispForm::SpeedButton3Click);
    connect(ZoomInButton, &QToolButton::clicked, this, &TImageDispForm::ZoomInButtonClick);
    connect(ZoomOutButton, &QToolButton::clicked, this, &TImageDispForm::ZoomOutButtonClick);
    connect(PgJump, &QToolButton::clicked, this, &TImageDispForm::PgJumpClick);
    connect(TopPage, &QToolButton::clicked, this, &TImageDispForm::Top_PageClick);
    connect(PrevPage, &QToolButton::clicked, this, &TImageDispForm::DispPrev);
    connect(NextPage, &QToolButton::clicked, this, &TImageDispForm::DispNext);
    connect(LastPage, &QToolButton::clicked, this, &TImageDispForm::Bottom_PageClick);
    connect(CurrentPage, &QToolButton::clicked, this, &TImageDispForm::CurrentPageClick);
    connect(PrevPaper, &QToolButton::clicked, this, &TImageDispForm::PrevPaperClick);
    connect(NextPaper, &QToolButton::clicked, this, &TImageDispForm::NextPaperClick);
    connect(ImageOut, &QToolButton::clicked, this, &TImageDispForm::ImageSave_Click);
    connect(ImageOpen, &QToolButton::clicked, this, &TImageDispForm::ImageOpen_Click);
    connect(ImageOpenCancel, &QToolButton::clicked, this, &TImageDispForm::ImageOpenCancel_Click);

    m_ppi = logicalDpiX();
    m_hFactor = m_ppi / 254.0;
    m_vFactor = logicalDpiY() / 254.0;
}

TImageDispForm::~TImageDispForm() = default;

int TImageDispForm::currentPage() const
{
    return Engine().CurrentPage;
}

int TImageDispForm::totalPages() const
{
    return Engine().PageCount;
}

void TImageDispForm::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (m_shown)
        return;
    m_shown = true;
    if (QLayout *l = layout())
        l->activate();
    FormShow();
    FormCreate();
}

void TImageDispForm::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    if (m_shown)
        FormResize();
}

void TImageDispForm::FormShow()
{
    m_ppi = logicalDpiX();
    m_hFactor = m_ppi / 254.0;
    m_vFactor = logicalDpiY() / 254.0;
    try {
        const QString form = Engine().FormFileName;
        if (!form.isEmpty() && QFileInfo(form).isFile())
            ReadFormVersion(form);
        HensuuYomikomi(form, 0, 0, m_hFactor, m_vFactor);
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.FormShow", ex);
    }
}

void TImageDispForm::FormCreate()
{
    try {
        CloseResult = PrevPaper->isVisibleTo(this) ? 0 : 1;
        m_zoom = P512Def().Zoom;
        DispZoom->setText(zoomText(m_zoom));
        InitPageCounts();
        Engine().PageNumber = Engine().CurrentPage;
        FormResize();
        showPageLabel();
        const int n = fittedZoom();
        if (n > 0) {
            m_zoom = n;
            DispZoom->setText(zoomText(m_zoom));
            FormResize();
        }
        loadPageOrientations();
        ApplyPageOrientation();
        ImagePaintBox->update();
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.FormCreate", ex);
    }
}

void TImageDispForm::activatedAgain()
{
    FormCreate();
}

void TImageDispForm::loadPageOrientations()
{
    const QString text = GetPageOrientations(Engine().DataFileName, P512Def().Orientation);
    m_orientations = text.isEmpty() ? QStringList() : text.split(u'\n');
}

int TImageDispForm::fittedZoom() const
{
    TVDBPrint *vdb = Engine().Vdb.get();
    if (!vdb)
        return 0;
    int w = 0, h = 0;
    GetPaperSizeMM(vdb->GetPaper(), w, h);
    if (vdb->GetOrientation() == 1)
        std::swap(w, h);
    const int boxW = ImagePaintScrollBox->width(), boxH = ImagePaintScrollBox->height();
    for (int n = 20; n >= 5; --n) {
        if (RoundEven(m_ppi * w / 25.4 * n / 10) + 15 <= boxW
            && RoundEven(m_ppi * h / 25.4 * n / 10) + PaperPanel->y() <= boxH)
            return n;
    }
    return 0;
}

void TImageDispForm::FormResize()
{
    try {
        ImagePaintScrollBox->horizontalScrollBar()->setValue(0);
        ImagePaintScrollBox->verticalScrollBar()->setValue(0);
        TEngineState &e = Engine();
        const TP512DEF &d = P512Def();
        int w = 0, h = 0;
        int printerPaper = 0;
        bool landscape = false;
        if (e.Vdb) {
            printerPaper = e.Vdb->GetPaper();
            GetPaperSizeMM(printerPaper, w, h);
            e.Vdb->ResetUserPaperSize();
            landscape = e.Vdb->GetOrientation() == 1;
        } else {
            GetPaperSizeMM(9, w, h);
        }
        if (landscape)
            std::swap(w, h);
        const int panelW = RoundEven(m_ppi * w / 25.4 * m_zoom / 10);
        const int panelH = RoundEven(m_ppi * h / 25.4 * m_zoom / 10);
        int left = RoundEven((width() - panelW - 15) / 2.0);
        if (left < 16)
            left = 15;
        PaperPanel->setGeometry(left, kPaperTop, panelW, panelH);

        QSizeF printable(w, h);
        if (const TPrinterDevice *p = printers::current())
            printable = p->printableSizeMM();
        const int boxW = RoundEven(printable.width() / 25.4 * m_ppi * m_zoom / 10) + 2;
        const int boxH = RoundEven(printable.height() / 25.4 * m_ppi * m_zoom / 10) + 2;
        ImagePaintBox->setGeometry(RoundEven((panelW - boxW) / 2.0), RoundEven((panelH - boxH) / 2.0), boxW, boxH);

        const int leftBorder = RoundEven((w - printable.width()) / 2) * 10;
        const int topBorder = RoundEven((h - printable.height()) / 2) * 10;
        m_leftOffset = d.LeftMargin - leftBorder;
        m_topOffset = d.TopMargin - topBorder;
        m_evenLeftOffset = d.EvenLeftOffset;
        e.LeftMargin = m_leftOffset;
        e.TopMargin = m_topOffset;
        e.EvenLeftMargin = m_evenLeftOffset;

        ImagePaintScrollBox->widget()->resize(left + panelW + kRightMargin, kPaperTop + panelH + kBottomMargin);
        ImagePaintBox->update();
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.FormResize", ex);
    }
}

void TImageDispForm::ZoomDisp()
{
    DispZoom->setText(zoomText(m_zoom));
    FormResize();
    ImagePaintBox->update();
}

void TImageDispForm::ZoomInButtonClick()
{
    if (m_zoom < 20) {
        ++m_zoom;
        ZoomDisp();
    }
}

void TImageDispForm::ZoomOutButtonClick()
{
    if (m_zoom > 5) {
        --m_zoom;
        ZoomDisp();
    }
}

void TImageDispForm::SpeedButton3Click()
{
    if (m_zoom != 10) {
        m_zoom = 10;
        ZoomDisp();
    }
}

void TImageDispForm::ZoomJustButtonClick()
{
    const int n = fittedZoom();
    if (n > 0) {
        m_zoom = n;
        ZoomDisp();
    }
}

void TImageDispForm::showPageLabel()
{
    WherePage->setText(QStringLiteral("%1/%2").arg(Engine().CurrentPage).arg(Engine().PageCount));
}

void TImageDispForm::setPage(int page)
{
    TEngineState &e = Engine();
    e.CurrentPage = page;
    e.PageNumber = page;
    ApplyPageOrientation();
    ImagePaintBox->update();
    showPageLabel();
}

void TImageDispForm::Top_PageClick()
{
    setPage(1);
}

void TImageDispForm::Bottom_PageClick()
{
    setPage(Engine().PageCount);
}

void TImageDispForm::DispPrev()
{
    const TEngineState &e = Engine();
    if (e.PageCount > 1 && e.CurrentPage > 1) {
        NextPage->setEnabled(true);
        setPage(e.CurrentPage - 1);
    }
    showPageLabel();
}

void TImageDispForm::DispNext()
{
    const TEngineState &e = Engine();
    if (e.PageCount > 1 && e.CurrentPage < e.PageCount) {
        PrevPage->setEnabled(true);
        setPage(e.CurrentPage + 1);
    }
    showPageLabel();
}

void TImageDispForm::PgJumpClick()
{
    const int before = Engine().CurrentPage;
    try {
        TInputDlgBox box(this);
        box.Caption = QStringLiteral("ページ指定");
        box.Message = QStringLiteral("表示したいページ番号を入力してください");
        box.Value = QStringLiteral("1");
        box.Prepare(true);
        const bool ok = ModalRunner(box) == 1;
        activatedAgain();
        int page = before;
        if (ok) {
            bool number = false;
            const int answer = box.Value.trimmed().toInt(&number);
            if (number && answer >= 1 && answer <= Engine().PageCount)
                page = answer;
        }
        // The page shown before stays unless a page of the job was named.
        setPage(qBound(1, page, Engine().PageCount));
    } catch (const std::exception &ex) {
        logFailure("ImageDispForm.PgJumpClick", ex);
    }
}

void TImageDispForm::ApplyPageOrientation()
{
    const int page = Engine().CurrentPage;
    TVDBPrint *vdb = Engine().Vdb.get();
    if (!vdb || page <= 0 || m_orientations.size() < page)
        return;
    const int orientation = pager512::fieldInt(m_orientations.at(page - 1), P512Def().Orientation);
    if (orientation != vdb->GetOrientation()) {
        vdb->SetOrientation(orientation);
        FormResize();
    }
}

void TImageDispForm::CloseButtonClick()
{
    CloseResult = 0;
    done(QDialog::Accepted);
}

void TImageDispForm::PrevPaperClick()
{
    CloseResult = -1;
    done(QDialog::Accepted);
}

void TImageDispForm::NextPaperClick()
{
    CloseResult = 1;
    done(QDialog::Accepted);
}

// ---- drawing -------------------------------------------------------------------------------

void TImageDispForm::reportMissing(const QString &text)
{
    if (m_reported.contains(text))
        return;
    m_reported << text;
    // Never a modal box inside a paint event: shown once the paint is over.
    QTimer::singleShot(0, this, [text] { MessageDlg(text, TMsgDlgType::mtError, mbOK); });
}

void TImageDispForm::ImagePaintBoxPaint(QPainter &painter)
{
    if (!m_paintAttached)
        return;
    if (m_busy) {
        m_busy = false;
        return;
    }
    TEngineState &e = Engine();
    const QString formName = e.FormFileName;
    const QString dataName = e.DataFileName;
    if (!formName.isEmpty() && !QFileInfo(formName).isFile()) {
        reportMissing(u'<' + formName + QStringLiteral("> が見つかりません。"));
        return;
    }
    if (dataName.isEmpty()) {
        reportMissing(QStringLiteral("印刷ファイルの指定がありません。"));
        return;
    }
    if (!QFileInfo(dataName).isFile()) {
        reportMissing(u'"' + dataName + QStringLiteral("\"が見つかりません。"));
        return;
    }

    m_busy = true;
    // The print loop shares the engine's page state: kept and put back.
    const int savedLeft = e.LeftMargin, savedTop = e.TopMargin, savedEven = e.EvenLeftMargin;
    const int savedPageNumber = e.PageNumber;
    const QString savedMessage = e.PendingMessage;
    TPrintFile form, data;
    try {
        e.LeftMargin = m_leftOffset;
        e.TopMargin = m_topOffset;
        e.EvenLeftMargin = m_evenLeftOffset;
        const int page = e.CurrentPage;
        const bool even = page % 2 == 0;

        painter.setBrush(Qt::white);
        QPen frame(Qt::blue, 0, Qt::DotLine);
        painter.setPen(frame);
        painter.drawRect(0, 0, ImagePaintBox->width() - 1, ImagePaintBox->height() - 1);
        painter.setPen(QPen(Qt::black));
        painter.setBrush(Qt::NoBrush);

        TCanvas canvas(&painter, false, true);
        if (!formName.isEmpty() && form.open(formName) && SkipToPage(form, page, true))
            PaintPage(QStringLiteral("FOM"), form, canvas, m_ppi, m_hFactor, m_vFactor, m_zoom, even, 0, 0, 0);
        if (data.open(dataName)) {
            data.rewind();
            if (SkipToPage(data, page, false)) {
                const int cycle = FormFields().PageCounter + 1;
                painter.resetTransform();
                PaintPage(QStringLiteral("DAT"), data, canvas, m_ppi, m_hFactor, m_vFactor, m_zoom, even,
                          (page - 1) % cycle, 0, 0);
            }
        }
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.ImageBoxPaint", ex);
    }
    form.close();
    data.close();
    e.LeftMargin = savedLeft;
    e.TopMargin = savedTop;
    e.EvenLeftMargin = savedEven;
    e.PageNumber = savedPageNumber;
    e.PendingMessage = savedMessage;
    m_busy = false;
}

void TImageDispForm::beginDrag(const QPoint &globalPos)
{
    m_dragFrom = globalPos;
    m_dragging = true;
    ImagePaintBox->setCursor(Qt::SizeAllCursor);
}

void TImageDispForm::dragTo(const QPoint &globalPos)
{
    if (!m_dragging)
        return;
    QScrollBar *h = ImagePaintScrollBox->horizontalScrollBar();
    QScrollBar *v = ImagePaintScrollBox->verticalScrollBar();
    const QPoint delta = m_dragFrom - globalPos;
    h->setValue(qMax(0, h->value() + delta.x()));
    v->setValue(qMax(0, v->value() + delta.y()));
    m_dragFrom = globalPos;
}

void TImageDispForm::endDrag()
{
    m_dragging = false;
    m_dragFrom = QPoint();
    ImagePaintBox->unsetCursor();
}

// ---- printing ------------------------------------------------------------------------------

void TImageDispForm::PrintButtonClick()
{
    TP512DEF &d = P512Def();
    if (!d.Permit)
        return;
    TEngineState &e = Engine();
    TVDBPrint *vdb = e.Vdb.get();
    const QString keptForm = d.FormFile, keptData = d.DataFile;
    const QString windowForm = e.FormFileName, windowData = e.DataFileName;
    const int keptOrientation = vdb ? vdb->GetOrientation() : 0;
    const int page = e.CurrentPage;
    const bool keptPrnDlg = d.PrnDlg;
    try {
        d.FormFile = windowForm;
        d.DataFile = windowData;
        d.PrnDlg = true;
        d.Zoom = 10;
        d.PrinterNum = printers::currentIndex();
        CalcPaperRatio();
        StartPrint(d);
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.印刷", ex);
    }
    // The progress dialog has closed: the window is active again.
    activatedAgain();
    d.FormFile = keptForm;
    d.DataFile = keptData;
    e.FormFileName = windowForm;
    e.DataFileName = windowData;
    d.PrnDlg = keptPrnDlg;
    if (vdb)
        vdb->SetOrientation(keptOrientation);
    InitPageCounts();
    setPage(qBound(1, page, e.PageCount));
    FormResize();
}

void TImageDispForm::CurrentPageClick()
{
    TP512DEF &d = P512Def();
    if (!d.Permit)
        return;
    TEngineState &e = Engine();
    TVDBPrint *vdb = e.Vdb.get();
    const QString keptForm = d.FormFile, keptData = d.DataFile;
    const QString windowForm = e.FormFileName, windowData = e.DataFileName;
    const int page = e.CurrentPage;
    try {
        d.FormFile = windowForm;
        d.DataFile = windowData;
        d.Zoom = 10;
        d.PrinterNum = printers::currentIndex();
        CalcPaperRatio();
        PrintCurrentPage(d, page, vdb ? vdb->GetOrientation() : d.Orientation);
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.現在のページ", ex);
    }
    activatedAgain();
    d.FormFile = keptForm;
    d.DataFile = keptData;
    e.FormFileName = windowForm;
    e.DataFileName = windowData;
    InitPageCounts();
    setPage(qBound(1, page, e.PageCount));
    FormResize();
}

void TImageDispForm::PrintSetupButtonClick()
{
    {
        TPrinterDialog dlg(TPrinterDialog::Kind::Setup, this);
        ExecutePrinterDialog(dlg);
    }
    activatedAgain();
    CalcPaperRatio();
    FormResize();
}

void TImageDispForm::SB_MARGINClick()
{
    try {
        TP512DEF &d = P512Def();
        TVDBPrint *vdb = Engine().Vdb.get();
        Tfmyohaku dlg(this);
        dlg.SetTopMargin(d.TopMargin);
        dlg.SetLeftMargin(d.LeftMargin);
        const bool samePaper = vdb && vdb->GetPaper() == d.PaperSize;
        if (auto *group = dlg.findChild<QGroupBox *>(QStringLiteral("GroupBox3")))
            group->setVisible(samePaper);
        if (samePaper) {
            dlg.SetVRatio(d.VRATIO);
            dlg.SetHRatio(d.HRATIO);
        }
        if (ModalRunner(dlg) == 1) {
            d.TopMargin = dlg.TopMargin;
            d.LeftMargin = dlg.LeftMargin;
            if (samePaper) {
                d.VRATIO = dlg.VRatio == 0 ? 1000 : dlg.VRatio;
                d.HRATIO = dlg.HRatio == 0 ? 1000 : dlg.HRatio;
            }
        }
        activatedAgain();
        CalcPaperRatio();
        FormResize();
        ImagePaintBox->update();
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.余白設定", ex);
    }
}

// ---- saved previews ------------------------------------------------------------------------

void TImageDispForm::rewriteFileReferences(QStringList &lines, const QString &key, const QString &dir,
                                           const QString &base)
{
    const QString stem = dir + u'/' + base;
    const bool withForm = !Engine().FormFileName.isEmpty();
    if (key == QLatin1String("*FORMFILE=")) {
        for (QString &line : lines) {
            if (line.startsWith(key)) {
                line = withForm ? QStringLiteral("*FORMFILE=%1.51F").arg(stem) : QStringLiteral("*FORMFILE=");
                break;
            }
        }
    } else if (key == QLatin1String("FORM;")) {
        int n = 0;
        for (QString &line : lines) {
            if (!line.startsWith(key))
                continue;
            ++n;
            const QString source = fieldText(line, 1);
            const QString target = QStringLiteral("%1_FORMAT-%2.51F").arg(stem).arg(n);
            line = QStringLiteral("FORM;%1;%2;%3;%4;")
                       .arg(target, fieldText(line, 2))
                       .arg(fieldNumber(line, 3))
                       .arg(fieldNumber(line, 4));
            copyOver(source, target);
        }
    } else if (key == QLatin1String("CHART;")) {
        for (QString &line : lines) {
            if (!line.startsWith(key))
                continue;
            const QString target = stem + QStringLiteral("_CHART.WMF");
            line = QStringLiteral("IMAGE;%1;%2;%3;%4;%5;0;")
                       .arg(fieldNumber(line, 2))
                       .arg(fieldNumber(line, 3))
                       .arg(fieldNumber(line, 4))
                       .arg(fieldNumber(line, 5))
                       .arg(target);
            SaveChartMetafile(target);
            break;
        }
    } else if (key == QLatin1String("IMAGE;")) {
        for (QString &line : lines) {
            if (!line.startsWith(key))
                continue;
            const QString source = fieldText(line, 5);
            const QString target = stem + u'_' + QFileInfo(source).fileName();
            // The transparency stays: the reopened page looks as the saved one.
            line = QStringLiteral("IMAGE;%1;%2;%3;%4;%5;%6;")
                       .arg(fieldNumber(line, 1))
                       .arg(fieldNumber(line, 2))
                       .arg(fieldNumber(line, 3))
                       .arg(fieldNumber(line, 4))
                       .arg(target)
                       .arg(fieldNumber(line, 6));
            copyOver(source, target);
        }
    }
}

void TImageDispForm::ImageSave_Click()
{
    if (m_busy)
        return;
    m_busy = true;
    m_paintAttached = false;
    try {
        QString folder;
        GetSpecialFolder(5, folder);
        const QString proposed = QStringLiteral("%1/%2%3").arg(folder, QFileInfo(P512Def().Title).completeBaseName(),
                                                               QStringLiteral(".512"));
        QString chosen = FileChooser::instance().chooseSaveFile(QStringLiteral("印刷（プレビュー）ファイルの保存"), proposed,
                                                                QStringLiteral("印刷（プレビュー）ファイルの保存 (*.512)"));
        if (!chosen.isEmpty()) {
            if (QFileInfo(chosen).suffix().isEmpty())
                chosen += QStringLiteral(".512");
            const QFileInfo info(chosen);
            const QString dir = info.absolutePath();
            const QString base = info.completeBaseName();
            TEngineState &e = Engine();
            QStringList lines = loadLines(e.DataFileName);
            for (const char *key : {"*FORMFILE=", "FORM;", "IMAGE;", "CHART;"})
                rewriteFileReferences(lines, QString::fromLatin1(key), dir, base);
            const QString target = dir + u'/' + base + QStringLiteral(".512");
            if (!saveLines(target, lines))
                throw platform::Error(QStringLiteral("ファイルに書き込めません。%1").arg(target));
            if (!e.FormFileName.isEmpty()) {
                const QString form = dir + u'/' + base + QStringLiteral(".51F");
                if (!copyOver(e.FormFileName, form))
                    throw platform::Error(QStringLiteral("ファイルに書き込めません。%1").arg(form));
            }
        }
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.Text作成", ex);
    }
    FormResize();
    m_paintAttached = true;
    m_busy = false;
}

void TImageDispForm::ImageOpen_Click()
{
    if (m_busy)
        return;
    m_busy = true;
    m_paintAttached = false;
    try {
        QString folder;
        GetSpecialFolder(5, folder);
        const QString chosen = FileChooser::instance().chooseOpenFile(QStringLiteral("印刷（プレビュー）ファイルの読込"), folder,
                                                                      QStringLiteral("印刷（プレビュー）ファイルの読込 (*.512)"));
        if (!chosen.isEmpty()) {
            TP512DEF &d = P512Def();
            m_kept = Kept{d.PaperSize, d.OutPutPaper, d.Orientation, d.TopMargin, d.LeftMargin,
                          d.NetColor1, d.NetColor2, d.UserColor1, d.UserColor2, d.PrintFom};
            const QStringList lines = QFileInfo(chosen).isFile() ? loadLines(chosen) : QStringList();
            if (lines.isEmpty() || !lines.first().startsWith(QLatin1String("*PAGER512*"))) {
                MessageDlg(QStringLiteral("[PAGER512]印刷ファイルではありません。"), TMsgDlgType::mtError, mbOK);
            } else {
                const QString form = headerValue(lines, QStringLiteral("*FORMFILE="));
                if (form.isEmpty() || QFileInfo(form).isFile()) {
                    TEngineState &e = Engine();
                    e.FormFileName = form;
                    e.DataFileName = chosen;
                    const auto number = [&](const char *key, int def) {
                        return headerNumber(headerValue(lines, QString::fromLatin1(key)), def);
                    };
                    d.PaperSize = number("*PAPERSIZE=", 9);
                    d.OutPutPaper = number("*OUTPUTPAPER=", 9);
                    d.Orientation = number("*ORIENTATION=", 0);
                    d.TopMargin = number("*TOPMARGIN=", 0);
                    d.LeftMargin = number("*LEFTMARGIN=", 0);
                    d.NetColor1 = number("*NETC1=", 0);
                    d.NetColor2 = number("*NETC2=", 0);
                    d.UserColor1 = number("*USERC1=", 0);
                    d.UserColor2 = number("*USERC2=", 0);
                    d.PrintFom = headerValue(lines, QStringLiteral("*FORMPRINT=")) == QLatin1String("TRUE");
                    InitPageCounts();
                    e.PageNumber = e.CurrentPage;
                    showPageLabel();
                    if (!form.isEmpty())
                        ReadFormVersion(form);
                    HensuuYomikomi(form, 0, 0, m_hFactor, m_vFactor);
                    loadPageOrientations();
                    ApplyPageOrientation();
                    m_reported.clear();
                    ImageOpenCancel->setEnabled(true);
                }
            }
        }
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.Text読込", ex);
    }
    FormResize();
    m_paintAttached = true;
    m_busy = false;
    ImagePaintBox->update();
}

void TImageDispForm::ImageOpenCancel_Click()
{
    if (m_busy)
        return;
    try {
        ImageOpenCancel->setEnabled(false);
        TEngineState &e = Engine();
        TP512DEF &d = P512Def();
        // Back to the job when a saved preview is shown (its form or its data differ).
        if (e.FormFileName != d.FormFile.trimmed() || e.DataFileName != d.DataFile) {
            m_paintAttached = false;
            e.FormFileName = d.FormFile.trimmed();
            e.DataFileName = d.DataFile;
            d.PaperSize = m_kept.PaperSize;
            d.OutPutPaper = m_kept.OutPutPaper;
            d.Orientation = m_kept.Orientation;
            d.TopMargin = m_kept.TopMargin;
            d.LeftMargin = m_kept.LeftMargin;
            d.NetColor1 = m_kept.NetColor1;
            d.NetColor2 = m_kept.NetColor2;
            d.UserColor1 = m_kept.UserColor1;
            d.UserColor2 = m_kept.UserColor2;
            d.PrintFom = m_kept.PrintFom;
            InitPageCounts();
            e.PageNumber = e.CurrentPage;
            showPageLabel();
            if (!e.FormFileName.isEmpty() && QFileInfo(e.FormFileName).isFile())
                ReadFormVersion(e.FormFileName);
            HensuuYomikomi(e.FormFileName, 0, 0, m_hFactor, m_vFactor);
            loadPageOrientations();
            ApplyPageOrientation();
            m_reported.clear();
            FormResize();
            m_paintAttached = true;
            ImagePaintBox->update();
        }
    } catch (const std::exception &ex) {
        m_paintAttached = true;
        logFailure("PREVIEW.読込取消", ex);
    }
}

// ---- starting the preview --------------------------------------------------------------------

TImageDispForm *CreatePreviewForm()
{
    for (int attempt = 0;; ++attempt) {
        try {
            return new TImageDispForm;
        } catch (const std::exception &ex) {
            WriteErrorLog(QStringLiteral("%1:%2(%3)").arg(QStringLiteral("PREVIEW.CreateForm"), exceptionText(ex)).arg(attempt));
            if (attempt >= 5)
                throw;
        }
    }
}

int StartPreview(TP512DEF &definition)
{
    TEngineState &e = Engine();
    if (!e.Ready || !e.Vdb)
        return 0;
    std::unique_ptr<TImageDispForm> form;
    try {
        TP512DEF &d = P512Def();
        e.FormFileName = definition.FormFile.trimmed();
        e.DataFileName = definition.DataFile;
        if (&definition != &d) {
            d.FormFile = definition.FormFile;
            d.DataFile = definition.DataFile;
            d.Title = definition.Title;
            d.PrinterNum = definition.PrinterNum;
            d.PaperSize = definition.PaperSize;
            d.OutPutPaper = definition.OutPutPaper;
            d.PaperName = definition.PaperName;
            d.Orientation = definition.Orientation;
            d.TopMargin = definition.TopMargin;
            d.LeftMargin = definition.LeftMargin;
            d.EvenLeftOffset = definition.EvenLeftOffset;
            d.TopCorrect = definition.TopCorrect;
            d.LeftCorrect = definition.LeftCorrect;
            d.FormTopMargin = definition.FormTopMargin;
            d.FormLeftMargin = definition.FormLeftMargin;
            d.NetColor1 = definition.NetColor1;
            d.NetColor2 = definition.NetColor2;
            d.UserColor1 = definition.UserColor1;
            d.UserColor2 = definition.UserColor2;
            d.PrintFom = definition.PrintFom;
            d.PrnDlg = definition.PrnDlg;
            d.Zoom = definition.Zoom;
            d.ModeSw = definition.ModeSw;
            d.PaperLength = definition.PaperLength;
            d.PaperWidth = definition.PaperWidth;
            d.Scale = definition.Scale;
            d.Copie = definition.Copie;
            d.PrintQuality = definition.PrintQuality;
            d.ColorMode = definition.ColorMode;
            d.Duplex = definition.Duplex;
            d.Collate = definition.Collate;
            d.YResolution = definition.YResolution;
            d.Permit = definition.Permit;
        }
        e.PageNumber = 1;
        e.HRatio = e.VRatio = 0;

        if (!QFileInfo(e.DataFileName).isFile()) {
            MessageDlg(u'<' + e.DataFileName + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
            return 0;
        }
        if (!e.FormFileName.isEmpty() && !QFileInfo(e.FormFileName).isFile()) {
            MessageDlg(u'<' + e.FormFileName + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
            return 0;
        }

        if (!printers::select(d.PrinterNum))
            printers::select(-1);
        if (d.Copie < 1 || d.Copie > 99)
            d.Copie = 1;
        if (d.Zoom < 5 || d.Zoom > 20)
            d.Zoom = 10;
        if (d.PaperSize == 0)
            d.PaperSize = e.Vdb->GetPaperNumber(d.PaperName.left(64), d.PaperLength, 9, d.PaperWidth);

        form.reset(CreatePreviewForm());
        if (!d.Title.isEmpty())
            form->setWindowTitle(d.Title.left(64));
        const bool paperButtons = definition.PrevPaperButton || definition.NextPaperButton;
        form->PrevPaper->setVisible(paperButtons);
        form->NextPaper->setVisible(paperButtons);
        if (paperButtons) {
            form->PrevPaper->setEnabled(definition.PrevPaperButton);
            form->NextPaper->setEnabled(definition.NextPaperButton);
        }
        if (!d.Permit) {
            form->PrintButton->setEnabled(false);
            form->PrintSetupButton->setEnabled(false);
            form->CurrentPage->setEnabled(false);
        }
        form->CurrentPage->setVisible(definition.CurrentPage);

        e.Vdb->SetPaper(d.OutPutPaper != 0 ? d.OutPutPaper : d.PaperSize);
        e.Vdb->SetOrientation(d.Orientation);
        e.Vdb->SetDevMode(d);
        CalcPaperRatio();
        form->FormResize();

        form->setWindowState(Qt::WindowMaximized);
        ModalRunner(*form);
        return form->CloseResult;
    } catch (const std::exception &ex) {
        logFailure("PREVIEW.開始", ex);
    }
    return form ? form->CloseResult : 0;
}

void InstallBigHintWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QFont f = DesignFont();
    f.setPointSize(12);
    f.setBold(true);
    QToolTip::setFont(f);
}
