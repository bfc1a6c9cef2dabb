#include "print/Pager512_ImageOut.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "print/Pager512_Chart.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Tables.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <optional>
#include <exception>

using pager512::TRecord;
using pager512::TRecordKind;

TCanvas::TCanvas(QPainter *painter, bool printer, bool raster)
    : Painter(painter), Printer(printer), Raster(raster), Base(painter ? painter->transform() : QTransform())
{
}

namespace {

// The files being drawn, outermost first: a form already on this chain is not
// drawn again by a "FORM" record.
QStringList &drawingChain()
{
    static QStringList chain;
    return chain;
}

QString canonical(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? info.absoluteFilePath() : c;
}

Qt::PenStyle penStyle(int style)
{
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle brushStyle(int style)
{
    switch (style) {
    case 1: return Qt::NoBrush;
    case 2: return Qt::HorPattern;
    case 3: return Qt::VerPattern;
    case 4: return Qt::FDiagPattern;
    case 5: return Qt::BDiagPattern;
    case 6: return Qt::CrossPattern;
    case 7: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// A rectangle from its top-left corner to its bottom-right corner, the bottom-right
// edge excluded.
QRect spanRect(const QPoint &a, const QPoint &b)
{
    return QRect(a, b - QPoint(1, 1)).normalized();
}

// The outline of a shape whose edges lie on its first and last pixels.
QRectF outlineRect(const QPoint &a, const QPoint &b)
{
    const QRect r = spanRect(a, b);
    return QRectF(r.left(), r.top(), r.width() - 1, r.height() - 1);
}

constexpr double kAscent = 0.88;

class PageRenderer
{
public:
    PageRenderer(const QString &kind, TPrintFile &file, TCanvas &canvas, int ppi, double xf,
                 double yf, int zoom, bool even, int formPage, int originX, int originY)
        : m_kind(kind), m_file(file), m_canvas(canvas), m_p(*canvas.Painter), m_ppi(ppi), m_xf(xf),
          m_yf(yf), m_zoom(zoom), m_even(even), m_formPage(formPage), m_originX(originX),
          m_originY(originY)
    {
    }

    bool run();

private:
    void computeOffsets();
    int scaleH(int v) const;
    int scaleV(int v) const;
    int rx(int x) const { return RoundEven(x * m_xf); }
    int ry(int y) const { return RoundEven(y * m_yf); }
    QPoint point(int x, int y) const
    {
        return QPoint(scaleH(rx(x) + m_offX + m_originX), scaleV(ry(y) + m_offY + m_originY));
    }
    TColor colour(const QString &word) const { return ColorNameToColor(word, m_kind); }
    QPen pen(int width, int style, TColor c) const;
    // Sets the pen of lines and outlines; "LINEB" draws with the last one set.
    void setLinePen(const QPen &p)
    {
        m_linePen = p;
        if (!(m_p.pen() == p))
            m_p.setPen(p);
    }
    void setFont(const QString &name, int style, int pixelHeight, TColor c);
    int fontHeight(int size) const { return RoundEven(double(size) * m_ppi / 72.0); }
    void opaqueWhite();
    void setPenColour(const QColor &c);
    // The text cell of the current font: one em high, the baseline at the design
    // ascent of the Japanese faces (as the faces the reports were laid out with).
    int cellHeight() const { return m_p.font().pixelSize(); }
    int cellAscent() const { return RoundEven(m_p.font().pixelSize() * kAscent); }
    void transparent()
    {
        if (m_p.backgroundMode() != Qt::TransparentMode)
            m_p.setBackgroundMode(Qt::TransparentMode);
    }
    void setZoom();

    void draw(const TRecord &r);
    void drawText(const TRecord &r);
    void drawMemo(const TRecord &r);
    void drawSLine(const TRecord &r);
    void drawImage(const TRecord &r);
    void drawForm(const TRecord &r);
    void textAt(int x, int y, const QString &text, TColor back);

    QString m_kind;
    TPrintFile &m_file;
    TCanvas &m_canvas;
    QPainter &m_p;
    int m_ppi;
    double m_xf, m_yf;
    int m_zoom;
    bool m_even;
    int m_formPage;
    int m_originX, m_originY;
    int m_offX = 0, m_offY = 0;
    int m_savedLeft = 0, m_savedTop = 0;
    int m_maxFieldY = 0;
    int m_fontPx = 1;
    QPoint m_penPos;
    QPen m_linePen;
    QString m_lastFontName;
    int m_lastFontStyle = -1;
    int m_lastFontPx = 0;
    QFont m_lastFont;
};

void PageRenderer::computeOffsets()
{
    const TEngineState &e = Engine();
    const TP512DEF &d = P512Def();
    const int left = e.LeftMargin + (m_even ? e.EvenLeftMargin : 0);
    const bool form = m_kind == QLatin1String("FOM");
    int x = left, y = e.TopMargin;
    if (m_canvas.Printer) {
        x += d.LeftCorrect;
        y += d.TopCorrect;
    }
    if (form) {
        x += d.FormLeftMargin;
        y += d.FormTopMargin;
    }
    m_offX = rx(x);
    m_offY = ry(y);
}

int PageRenderer::scaleH(int v) const
{
    const double ratio = Engine().HRatio;
    if (ratio == 0 || (m_kind == QLatin1String("SUBFORM") && !P512Def().PrintFom))
        return v;
    return RoundEven(ratio * v * 0.001);
}

int PageRenderer::scaleV(int v) const
{
    const double ratio = Engine().VRatio;
    if (ratio == 0 || (m_kind == QLatin1String("SUBFORM") && !P512Def().PrintFom))
        return v;
    return RoundEven(ratio * v * 0.001);
}

QPen PageRenderer::pen(int width, int style, TColor c) const
{
    QPen p(ToQColor(c));
    p.setWidth(RoundEven(width * m_xf));
    p.setStyle(penStyle(style));
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

void PageRenderer::setFont(const QString &name, int style, int pixelHeight, TColor c)
{
    if (pixelHeight > 0)
        m_fontPx = pixelHeight;
    // The same font as the last text: nothing to build.
    const int px = qMax(1, m_fontPx);
    if (name == m_lastFontName && style == m_lastFontStyle && px == m_lastFontPx) {
        if (!(m_p.font() == m_lastFont))
            m_p.setFont(m_lastFont);
        setPenColour(ToQColor(c));
        return;
    }
    // Fonts by face, style and height: building one is costly on every target.
    static QHash<QString, QString> families;
    static QHash<QString, QFont> fonts;
    auto it = families.constFind(name);
    if (it == families.constEnd())
        it = families.insert(name, DrawingFamily(ResolveFontName(name)));
    const QString key = *it + u'\x1f' + QString::number(style) + u'\x1f' + QString::number(px);
    auto fit = fonts.constFind(key);
    if (fit == fonts.constEnd()) {
        QFont f(*it);
        f.setPixelSize(px);
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        f.setUnderline(style & fsUnderline);
        f.setStrikeOut(style & fsStrikeOut);
        f.setKerning(false);
        f.setStyleStrategy(QFont::NoAntialias);
        fit = fonts.insert(key, f);
    }
    const QFont &f = *fit;
    m_lastFontName = name;
    m_lastFontStyle = style;
    m_lastFontPx = px;
    m_lastFont = f;
    // Changing the font is costly on the PDF target: only when it differs.
    if (!(m_p.font() == f))
        m_p.setFont(f);
    setPenColour(ToQColor(c));
}

void PageRenderer::setPenColour(const QColor &c)
{
    const QPen &now = m_p.pen();
    if (now.color() != c || now.style() != Qt::SolidLine || now.widthF() != 1.0 || now.brush().style() != Qt::SolidPattern)
        m_p.setPen(QPen(c));
}

void PageRenderer::opaqueWhite()
{
    if (m_p.backgroundMode() != Qt::OpaqueMode)
        m_p.setBackgroundMode(Qt::OpaqueMode);
    if (m_p.background() != QBrush(Qt::white))
        m_p.setBackground(Qt::white);
}

void PageRenderer::setZoom()
{
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setRenderHint(QPainter::TextAntialiasing, false);
    m_p.setTransform(QTransform::fromScale(m_zoom / 10.0, m_zoom / 10.0) * m_canvas.Base);
}

bool PageRenderer::run()
{
    TEngineState &e = Engine();
    const TP512DEF &d = P512Def();
    bool result = true;
    e.PendingMessage.clear();
    computeOffsets();
    m_savedLeft = e.LeftMargin;
    m_savedTop = e.TopMargin;
    {
        int w = 0, h = 0;
        GetPaperSizeMM(e.Vdb ? e.Vdb->GetPaper() : 0, w, h);
        m_maxFieldY = (h - 10) * 10;
    }
    FormFields().resetUse(m_formPage);

    QStringList lines;
    // Automatic page number.
    const TPAGEBANGO &pb = d.PageBango;
    if (m_kind == QLatin1String("DAT") && pb.PageBango && (pb.PageBangoCount == 1 || pb.PageBangoCount == 2)) {
        const QString entry = e.PageList.value(e.PageNumber - 1);
        const int n = pager512::fieldInt(entry, 0);
        if (n != 0) {
            QList<int> args{n};
            if (pb.PageBangoCount == 2)
                args << e.NumberedPages;
            QString text;
            if (pager512::formatInts(pb.PageBangoFormat, args, text)) {
                pager512::TPageNumberStyle style;
                style.Left = pb.PageBangoLeft;
                style.Top = pb.PageBangoTop;
                style.Alignment = pb.PageBangoAlignment;
                style.FontName = pb.PageBangoFontName;
                style.FontSize = pb.PageBangoFontSize;
                lines << platform::fromCp932(pager512::autoPageNumberRecord(style, text));
            }
        } else if (!entry.isEmpty()) {
            lines << QStringLiteral("*");
        }
    }

    QString kindInHand;
    try {
        // Read the page.
        while (!m_file.atEnd()) {
            QString line = m_file.readLine();
            if (line.contains(u'"'))
                line.remove(u'"');
            if (!line.endsWith(u';'))
                line += u';';
            lines << line;
            const QStringView kind = QStringView(line).left(line.indexOf(u';'));
            if (kind.compare(u"E", Qt::CaseInsensitive) == 0)
                break;
        }
        if (m_kind == QLatin1String("DAT") && pb.PageBango && lines.size() < 3) {
            const auto hasAuto = [&](int i) { return lines[i].contains(QLatin1String("*AUTO*")); };
            const bool bare = (lines.size() == 1 && hasAuto(0))
                              || (lines.size() == 2 && hasAuto(0)
                                  && (lines[1].contains(QLatin1String("ORIENTATION"))
                                      || lines[1].contains(QLatin1String("LINE"))));
            if (bare)
                lines[0] = u'*' + lines[0];
        }

        QList<TRecord> records;
        records.reserve(lines.size());
        for (const QString &line : std::as_const(lines)) {
            TRecord r;
            if (pager512::parseRecord(line, r))
                records << r;
        }

        setZoom();
        m_penPos = QPoint(m_originX, m_originY);

        // First pass: the fills that lie under everything else.
        for (const TRecord &r : std::as_const(records)) {
            if (r.Kind == TRecordKind::FRect && r.num("mode") == 1) {
                kindInHand = r.Keyword;
                const QRect rect = spanRect(point(r.num("x1"), r.num("y1")),
                                            point(r.num("x2"), r.num("y2")));
                m_p.fillRect(rect, ToQColor(colour(r.text("colour"))));
            }
        }

        computeOffsets();
        for (const TRecord &r : std::as_const(records)) {
            kindInHand = r.Keyword;
            if (r.Kind == TRecordKind::PageEnd) {
                result = false;
                break;
            }
            draw(r);
        }
    } catch (const platform::Error &ex) {
        WriteErrorLog(QStringLiteral("ImageOut.(%1):%2").arg(kindInHand, ex.message()));
    } catch (const std::exception &ex) {
        WriteErrorLog(QStringLiteral("ImageOut.(%1):%2").arg(kindInHand, QString::fromLocal8Bit(ex.what())));
    }
    m_p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    e.LeftMargin = m_savedLeft;
    e.TopMargin = m_savedTop;
    return result;
}

void PageRenderer::draw(const TRecord &r)
{
    TEngineState &e = Engine();
    const auto n = [&](const char *name) { return r.num(name); };
    const auto t = [&](const char *name) { return r.text(name); };

    switch (r.Kind) {
    case TRecordKind::LeftMargin:
        if (n("n") != 0) {
            e.LeftMargin = m_savedLeft + n("n");
            computeOffsets();
        }
        break;
    case TRecordKind::TopMargin:
        if (n("n") != 0) {
            e.TopMargin = m_savedTop + n("n");
            computeOffsets();
        }
        break;
    case TRecordKind::Message:
        if (m_canvas.Printer)
            e.PendingMessage = t("text");
        break;
    case TRecordKind::Form:
        drawForm(r);
        break;
    case TRecordKind::Text:
    case TRecordKind::NText:
    case TRecordKind::UText:
    case TRecordKind::VText:
    case TRecordKind::Field:
        drawText(r);
        break;
    case TRecordKind::Memo:
        drawMemo(r);
        break;
    case TRecordKind::Line:
    case TRecordKind::ELine: {
        QPen p = pen(n("width"), n("style"), colour(t("colour")));
        if (r.Kind == TRecordKind::ELine)
            p.setWidth(RoundEven(n("width") * 0.1 * m_xf));
        setLinePen(p);
        transparent();
        m_p.drawLine(point(n("x1"), n("y1")), point(n("x2"), n("y2")));
        break;
    }
    case TRecordKind::Box:
    case TRecordKind::Circle: {
        setLinePen(pen(n("width"), n("style"), colour(t("colour"))));
        const TColor fill = r.Kind == TRecordKind::Box ? colour(t("fill")) : ColorNameToColor(t("fill"), QString());
        m_p.setBrush(QBrush(ToQColor(fill), brushStyle(n("fillstyle"))));
        opaqueWhite();
        const QRect rect = spanRect(point(n("x1"), n("y1")), point(n("x2"), n("y2")));
        if (r.Kind == TRecordKind::Box)
            m_p.drawRect(outlineRect(rect.topLeft(), rect.bottomRight() + QPoint(1, 1)));
        else
            m_p.drawEllipse(outlineRect(rect.topLeft(), rect.bottomRight() + QPoint(1, 1)));
        break;
    }
    case TRecordKind::SLine:
        drawSLine(r);
        break;
    case TRecordKind::RRect: {
        setLinePen(pen(n("width"), n("style"), colour(t("colour"))));
        m_p.setBrush(QBrush(ToQColor(ColorNameToColor(t("fill"), QString())), brushStyle(n("fillstyle"))));
        opaqueWhite();
        const QPoint a(scaleH(rx(n("x1")) + m_offX), scaleV(ry(n("y1")) + m_offY));
        const QPoint b(scaleH(rx(n("x2")) + m_offX), scaleV(ry(n("y2")) + m_offY));
        const int cw = scaleH(rx(n("cornerwidth")) + 1);
        const int ch = scaleV(RoundEven(n("cornerheight") * m_yf) + 1);
        m_p.drawRoundedRect(outlineRect(a, b), cw / 2.0, ch / 2.0, Qt::AbsoluteSize);
        break;
    }
    case TRecordKind::FRect: {
        const int mode = n("mode");
        if (mode == 1)
            break;
        const QColor c = ToQColor(colour(t("colour")));
        const QRect rect = spanRect(point(n("x1"), n("y1")), point(n("x2"), n("y2")));
        m_p.setBrush(QBrush(c));
        opaqueWhite();
        if (mode == 2) {
            const QPainter::CompositionMode old = m_p.compositionMode();
            SetAndMode(m_p, m_canvas.Raster);
            m_p.fillRect(rect, c);
            m_p.setCompositionMode(old);
        } else {
            m_p.fillRect(rect, c);
        }
        break;
    }
    case TRecordKind::MaruMoji: {
        const int size = n("size") > 0 ? n("size") : 10;
        const QString style = t("style").toUpper();
        const TColor c = colour(t("colour"));
        setFont(t("font"), StyleWordToFontStyle(style), fontHeight(size), c);
        transparent();
        const QFontMetrics fm = m_p.fontMetrics();
        const QString text = t("text");
        const int w = fm.horizontalAdvance(text);
        const int x = rx(n("x")), y = ry(n("y"));
        const QPoint top(scaleH(x - RoundEven(w / 2.0) + m_offX + m_originX),
                         scaleV(y - RoundEven(m_fontPx / 2.0) + m_offY + m_originY));
        m_p.drawText(top.x(), top.y() + cellAscent(), text);
        QPen p(ToQColor(c));
        p.setWidth(RoundEven((style == QLatin1String("B") ? 2 : 1) * m_xf));
        m_p.setPen(p);
        m_p.setBrush(Qt::NoBrush);
        const int rad = RoundEven(n("diameter") * 0.5 * m_yf);
        const QPoint a(scaleH(x - rad + m_offX + m_originX), scaleV(y - rad + m_offY + m_originY));
        const QPoint b(scaleH(x + rad + m_offX + m_originX), scaleV(y + rad + m_offY + m_originY));
        m_p.drawEllipse(outlineRect(a, b));
        setFont(t("font"), 0, 0, 0);
        opaqueWhite();
        break;
    }
    case TRecordKind::Image:
        drawImage(r);
        break;
    case TRecordKind::Chart: {
        if (!ChartFileExists(t("file")))
            break;
        const double k = m_zoom * 0.1;
        const QRect rect(QPoint(RoundEven(n("x1") * m_xf * k), RoundEven(n("y1") * m_yf * k)),
                         QPoint(RoundEven(n("x2") * m_xf * k), RoundEven(n("y2") * m_yf * k)));
        m_p.setTransform(m_canvas.Base);
        PaintChart(m_p, rect, n("number"));
        setZoom();
        break;
    }
    case TRecordKind::BeginPath:
        m_originX = rx(n("x"));
        m_originY = ry(n("y"));
        setLinePen(pen(n("width"), n("style"), colour(t("colour"))));
        m_penPos = QPoint(scaleH(m_offX + m_originX), scaleV(m_offY + m_originY));
        break;
    case TRecordKind::LineB: {
        const QPoint to(scaleH(rx(n("x")) + m_originX), scaleV(ry(n("y")) + m_originY));
        if (!(m_p.pen() == m_linePen))
            m_p.setPen(m_linePen);
        m_p.drawLine(m_penPos, to);
        m_penPos = to;
        break;
    }
    default:
        break; // "ORIENTATION", definitions and anything else draw nothing
    }
}

void PageRenderer::drawForm(const TRecord &r)
{
    const QString file = r.text("file");
    if (!(P512Def().PrintFom || !m_canvas.Printer))
        return;
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    const QString path = canonical(file);
    if (drawingChain().contains(path)) {
        WriteErrorLog(QStringLiteral("ImageOut.(FORM):%1 は描画中のフォームのため描画しません。").arg(file));
        return;
    }
    if (r.text("readfields").toUpper() == QLatin1String("TRUE")) {
        ReadFormVersion(file);
        HensuuYomikomi(file, r.num("x"), r.num("y"), m_xf, m_yf);
    }
    TPrintFile sub;
    if (!sub.open(file))
        return;
    PaintPage(QStringLiteral("SUBFORM"), sub, m_canvas, m_ppi, m_xf, m_yf, m_zoom, m_even, 0,
              rx(r.num("x")), ry(r.num("y")));
    setZoom();
}

void PageRenderer::drawMemo(const TRecord &r)
{
    const auto n = [&](const char *name) { return r.num(name); };
    const auto t = [&](const char *name) { return r.text(name); };
    const TColor c = colour(t("colour"));
    setFont(t("font"), StyleWordToFontStyle(t("style")), fontHeight(n("size")), c);
    transparent();
    const QPoint a = point(n("x1"), n("y1"));
    const QPoint b = point(n("x2"), n("y2"));
    if (n("border") >= 0) {
        setLinePen(pen(n("border"), 0, c));
        m_p.setBrush(Qt::white);
        opaqueWhite();
        m_p.drawRect(outlineRect(a - QPoint(5, 5), b + QPoint(5, 5)));
        transparent();
    }
    m_p.setPen(ToQColor(c));
    const QFontMetrics fm = m_p.fontMetrics();
    const int width = b.x() - a.x();
    QStringList out;
    for (const QString &para : t("text").split(u'\n')) {
        if (para.isEmpty()) {
            out << QString();
            continue;
        }
        QString line;
        for (const QChar ch : para) {
            if (!line.isEmpty() && fm.horizontalAdvance(line + ch) > width) {
                out << line;
                line.clear();
            }
            line += ch;
        }
        out << line;
    }
    const int lineHeight = cellHeight();
    for (int k = 0; k < out.size(); ++k) {
        const int y = a.y() + k * lineHeight;
        if (y >= b.y() - lineHeight)
            break;
        m_p.drawText(a.x(), y + cellAscent(), out[k]);
    }
}

void PageRenderer::drawSLine(const TRecord &r)
{
    const auto n = [&](const char *name) { return r.num(name); };
    const auto t = [&](const char *name) { return r.text(name); };
    const QPen p = pen(n("width"), n("style"), colour(t("colour")));
    setFont(t("font"), 0, fontHeight(n("size")), 0);
    const int count = n("count");
    if (count < 1)
        return;
    const int w = m_p.fontMetrics().horizontalAdvance(QStringLiteral("000"));
    m_p.setPen(p);
    const QPoint top = point(n("x"), n("y1"));
    const int bottom = scaleV(RoundEven(n("y2") * m_xf) + m_offY + m_originY);
    for (int k = 1; k <= count; ++k) {
        const int x = top.x() - (k * w + 1);
        m_p.drawLine(x, top.y(), x, bottom);
    }
}

void PageRenderer::drawImage(const TRecord &r)
{
    const auto n = [&](const char *name) { return r.num(name); };
    const QString file = r.text("file");
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    const QString ext = QFileInfo(file).suffix().toUpper();
    if (ext != QLatin1String("BMP") && ext != QLatin1String("JPG"))
        return; // metafiles have no reader here
    QImageReader reader(file);
    reader.setQuality(m_canvas.Printer ? 100 : 0);
    const QImage image = reader.read();
    const QRect rect = spanRect(point(n("x1"), n("y1")), point(n("x2"), n("y2")));
    StretchDrawBitmap(m_p, rect, file, n("transparent") != 0, image, m_canvas.Raster);
}

// Draws one text (cut at TAB characters into lines) with its top-left at (x, y).
void PageRenderer::textAt(int x, int y, const QString &text, TColor back)
{
    if (back > 15) {
        const int w = m_p.fontMetrics().horizontalAdvance(text);
        m_p.fillRect(QRect(x, y, w, cellHeight()), ToQColor(back));
    }
    m_p.drawText(x, y + cellAscent(), text);
}

void PageRenderer::drawText(const TRecord &r)
{
    TFormFields &fields = FormFields();
    QString text, fontName, style;
    int x = 0, y = 0, size = 0, align = 0, span = 0, mode = 0, dy = 0;
    TColor c = 0, back = 1;
    const bool field = r.Kind == TRecordKind::Field;
    if (field) {
        TDataField *f = fields.findField(m_formPage, r.text("name"));
        text = r.text("text");
        size = r.num("size");
        style = r.text("style");
        dy = r.num("dy");
        if (!f || f->Name.isEmpty() || (f->Once == 1 && f->Count > 0)) {
            text.clear();
        }
        if (f) {
            x = f->X;
            y = f->Y;
            fontName = f->FontName;
            c = f->Color;
            if ((m_kind == QLatin1String("FOM") || m_kind == QLatin1String("SUBFORM")) && !P512Def().PrintFom)
                c = 0xE6E6E6;
            back = f->Back;
            align = f->Align;
            span = f->Span;
            mode = f->Mode;
            if (size == 0)
                size = f->Size;
            if (style.isEmpty())
                style = f->Style;
            const int pitch = fields.lineFieldPitch(m_formPage);
            if (pitch > 0) {
                y = qMin(f->Y + RoundEven(double(f->Count) * pitch), m_maxFieldY);
                ++f->Count;
            } else if (f->Once == 1) {
                ++f->Count;
            }
        }
    } else {
        x = r.num("x");
        y = r.num("y");
        text = r.text("text");
        fontName = r.text("font");
        size = r.num("size");
        style = r.text("style");
        c = colour(r.text("colour"));
        back = SwitchWordToColor(r.text("switch"));
        align = AlignWordToInt(r.text("align"));
        span = r.num("span");
        mode = r.num("mode");
    }

    // Font.
    const int styleBits = StyleWordToFontStyle(style);
    int height = 0;
    if (size > 0) {
        const double v = Engine().VRatio;
        height = (v != 1000 && v != 0) ? RoundEven(double(size) * m_ppi * v * 0.001) / 72 : fontHeight(size);
    }
    setFont(fontName, styleBits, height, c);
    const int lift = mode == 1 ? RoundEven(m_fontPx * 0.5 - 0.55) : 0;
    if (back > 15) {
        m_p.setBackgroundMode(Qt::OpaqueMode);
        m_p.setBackground(ToQColor(back));
    } else {
        transparent();
    }
    // Metrics only when a width is needed: most texts are left-aligned.
    std::optional<QFontMetrics> metrics;
    const auto fm = [&]() -> const QFontMetrics & {
        if (!metrics)
            metrics.emplace(m_p.fontMetrics());
        return *metrics;
    };
    const int X = scaleH(rx(x));
    int anchor = X;
    if (align == 1)
        anchor = X - RoundEven(fm().horizontalAdvance(text) / 2.0);
    else if (align == 2)
        anchor = X - fm().horizontalAdvance(text);
    else if (mode == 1 && !text.isEmpty())
        anchor = X - RoundEven(fm().horizontalAdvance(text.left(1)) * 0.5);
    const int Y = ry(y);

    // Every record that draws text sets its own font and colour: only the
    // background goes back to opaque.
    const auto finish = [&] { opaqueWhite(); };
    if (text.isEmpty()) {
        finish();
        return;
    }

    if (r.Kind == TRecordKind::VText) {
        const int count = static_cast<int>(text.size());
        const int h = cellHeight();
        const int step = count < 3 ? span - RoundEven(h / m_xf)
                                   : RoundEven((span - h / m_xf) / (count - 1));
        if (step >= 1) {
            const int left = scaleH(m_originX + m_offX) + anchor;
            for (int k = 0; k < count; ++k) {
                const int top = scaleV(RoundEven((y + k * step) * m_xf) + m_originY + m_offY - lift);
                const QChar ch = text.at(k);
                if (ch == u'ー') {
                    // The long-vowel mark stands upright in vertical writing.
                    const QFont keep = m_p.font();
                    QFont smaller = keep;
                    smaller.setPixelSize(qMax(1, m_fontPx - fontHeight(1)));
                    m_p.setFont(smaller);
                    const QFontMetrics sm = m_p.fontMetrics();
                    m_p.save();
                    const double cx = left + sm.horizontalAdvance(u'一') / 2.0;
                    const double cy = top + smaller.pixelSize() / 2.0;
                    m_p.translate(cx, cy);
                    m_p.rotate(90);
                    m_p.drawText(QPointF(-sm.horizontalAdvance(u'一') / 2.0, -smaller.pixelSize() / 2.0 + RoundEven(smaller.pixelSize() * kAscent)),
                                 QStringLiteral("一"));
                    m_p.restore();
                    m_p.setFont(keep);
                } else {
                    textAt(left, top, QString(ch), back);
                }
            }
            finish();
            return;
        }
    }

    if (r.Kind == TRecordKind::UText || (field && span > 0)) {
        const int count = static_cast<int>(text.size());
        double pitch = 0;
        if (count >= 2) {
            const int bytes = platform::cp932Length(text);
            const int lastBytes = platform::cp932Length(text.right(1));
            const int wLast = fm().horizontalAdvance(text.right(1));
            if (bytes - lastBytes > 0)
                pitch = (span - wLast / m_xf) / (bytes - lastBytes);
        }
        if (field && fm().horizontalAdvance(text.left(1)) / m_xf > pitch && size > 1) {
            setFont(fontName, styleBits, fontHeight(size - 1), c);
            metrics.reset();
        }
        if (pitch > 0) {
            double pos = x;
            for (const QChar ch : text) {
                const int left = scaleH(RoundEven(pos * m_xf) + m_originX + m_offX);
                const int top = scaleV(Y + m_originY + m_offY - lift);
                textAt(left, top, QString(ch), back);
                pos += platform::cp932Length(QString(ch)) > 1 ? 2 * pitch : pitch;
            }
            finish();
            return;
        }
    }

    // Plain text.
    const int left = scaleH(m_originX + m_offX) + anchor;
    if (style.toUpper() == QLatin1String("DU")) {
        // The underline of as many half-width blanks as the text has bytes, 0.4 mm
        // below the first one. The faces here have narrow blanks and proportional
        // letters: the line takes the width of half-width characters, or of the
        // text when that is wider.
        const int blanks = qBound(1, platform::cp932Length(text), 126);
        const int top = scaleV(Y + m_originY + m_offY - lift) + RoundEven(m_yf * 4);
        const QFontMetrics &m = fm();
        const int width = qMax(RoundEven(blanks * m_fontPx / 2.0), m.horizontalAdvance(text));
        const int thickness = qMax(1, m.lineWidth());
        m_p.fillRect(QRect(left, top + cellAscent() + m.underlinePos(), width, thickness), m_p.pen().color());
    }
    if (text.contains(u'\t')) {
        const QStringList parts = text.split(u'\t');
        const int lineHeight = cellHeight();
        const int shift = dy < 0 ? dy : 0;
        for (int k = 0; k < parts.size(); ++k) {
            if (parts[k].isEmpty())
                continue;
            const int top = scaleV(ry(y + shift) + m_originY + m_offY - lift) + k * lineHeight;
            textAt(left, top, parts[k], back);
        }
    } else {
        textAt(left, scaleV(Y + m_originY + m_offY - lift), text, back);
    }
    finish();
}

} // namespace

bool PaintPage(const QString &kind, TPrintFile &file, TCanvas &canvas, int pixelsPerInch,
               double xFactor, double yFactor, int zoom, bool evenPage, int formPage,
               int originX, int originY)
{
    if (!canvas.Painter)
        return true;
    QStringList &chain = drawingChain();
    chain << canonical(file.fileName());
    PageRenderer renderer(kind, file, canvas, pixelsPerInch, xFactor, yFactor, zoom, evenPage,
                          formPage, originX, originY);
    bool result = true;
    try {
        result = renderer.run();
    } catch (...) {
        chain.removeLast();
        throw;
    }
    chain.removeLast();
    return result;
}
