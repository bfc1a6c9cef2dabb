#include "print/Pager512_Tables.h"

#include "core/Messages.h"
#include "framework/FrameworkFonts.h"
#include "platform/Cp932.h"
#include "platform/StandardFolders.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Data.h"
#include "print/Pager512_Form.h"
#include "print/Pager512_Printer.h"
#include "print/Pager512_Imagedsp.h"
#include "print/Pager512_PrintJob.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <exception>

// ---- print files ---------------------------------------------------------------------

namespace {

// The decoded lines of a file. The counters, the orientation list and the job
// read the same file one after another: the lines of the last content decoded
// are kept.
QStringList readLines(const QString &fileName, bool &ok)
{
    struct Cached {
        QByteArray bytes;
        QStringList lines;
    };
    static Cached cache;
    QFile f(fileName);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok)
        return QStringList();
    const QByteArray bytes = f.readAll();
    if (bytes == cache.bytes)
        return cache.lines;
    // CR and LF never occur inside a CP932 character: decode once, then split.
    const QString text = platform::fromCp932(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(start, i - start);
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    cache = Cached{bytes, lines};
    return lines;
}

} // namespace

bool TPrintFile::open(const QString &fileName)
{
    close();
    bool ok = false;
    m_lines = readLines(fileName, ok);
    if (!ok)
        return false;
    m_fileName = fileName;
    m_open = true;
    return true;
}

void TPrintFile::close()
{
    m_lines.clear();
    m_pos = 0;
    m_open = false;
}

QString TPrintFile::readLine()
{
    return m_pos < m_lines.size() ? m_lines.at(m_pos++) : QString();
}

bool TPrintFile::pageHasAndTransfer() const
{
    for (qsizetype i = m_pos; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        const QChar c = line.isEmpty() ? QChar() : line.at(0).toUpper();
        if (c != u'E' && c != u'F' && c != u'I')
            continue;
        const QStringList f = pager512::splitRecordLine(line);
        const QString kind = f.value(0).toUpper();
        if (kind == QLatin1String("E"))
            break;
        if (kind == QLatin1String("FRECT") && pager512::fieldInt(f.value(6), 0) == 2)
            return true;
        if (kind == QLatin1String("IMAGE") && pager512::fieldInt(f.value(6), 0) != 0)
            return true;
    }
    return false;
}

TEngineState &Engine()
{
    static TEngineState state;
    return state;
}

int RoundEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

// ---- colours ---------------------------------------------------------------------------

namespace {

const TColor kBasicColours[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                  0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0xFF0000,
                                  0xFF00FF, 0xFFFF00, 0xFFFFFF, 0x00FFFF};

const char16_t *const kBasicWords[16] = {u"黒", u"栗", u"緑", u"黄緑", u"濃紺", u"紫",
                                         u"暗青緑", u"灰", u"銀", u"赤", u"濃緑", u"青",
                                         u"赤紫", u"空", u"白", u"黄"};

// The usual values of the system's display colours 0 to 20 (red lowest).
const TColor kSystemColours[21] = {0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF,
                                   0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4,
                                   0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
                                   0x000000, 0x000000, 0xFFFFFF};

bool isSystemColour(TColor c)
{
    return (static_cast<quint32>(c) & 0xFF000000u) == 0xFF000000u;
}

TColor systemToRgb(TColor c)
{
    const int i = static_cast<int>(static_cast<quint32>(c) & 0xFFu);
    return i <= 20 ? kSystemColours[i] : 0;
}

TColor wordValue(const QString &word)
{
    for (int i = 0; i < 16; ++i)
        if (word == QStringView(kBasicWords[i]))
            return kBasicColours[i];
    const TP512DEF &d = P512Def();
    if (word == QStringLiteral("薄網掛")) return d.NetColor1;
    if (word == QStringLiteral("濃網掛")) return d.NetColor2;
    const QString u = word.toUpper();
    if (u == QLatin1String("UCOLOR1")) return d.UserColor1;
    if (u == QLatin1String("UCOLOR2")) return d.UserColor2;
    if (u == QLatin1String("OCRGREEN")) return d.OcrGreen;
    if (u == QLatin1String("OCRBLUE")) return d.OcrBlue;
    if (u == QLatin1String("OCRBROWN")) return d.OcrBrown;
    if (u == QLatin1String("OCRPINK")) return d.OcrPink;
    if (u == QLatin1String("OCRORANGE")) return d.OcrOrange;
    if (u == QLatin1String("OCRVIOLET")) return d.OcrViolet;
    if (u == QLatin1String("OCRPURPLE")) return d.OcrPurple;
    const int n = pager512::fieldInt(word, 0);
    if (n >= 0 && n <= 15) return kBasicColours[n];
    if (n >= 16 && n <= 35) return static_cast<TColor>(0xFF000000u + static_cast<quint32>(n - 15));
    switch (n) {
    case 40: return d.NetColor1;
    case 41: return d.NetColor2;
    case 42: return d.UserColor1;
    case 43: return d.UserColor2;
    default: return n;
    }
}

} // namespace

TColor GrayColor(TColor color)
{
    if (!P512Def().GrayScale)
        return color;
    if (isSystemColour(color))
        color = systemToRgb(color);
    if (color == 0x000000 || color == 0xFFFFFF)
        return color;
    const int r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    const int y = RoundEven(0.299 * r + 0.587 * g + 0.114 * b);
    return y | (y << 8) | (y << 16);
}

TColor ColorNameToColor(const QString &word, const QString &kind)
{
    if ((kind == QLatin1String("FOM") || kind == QLatin1String("SUBFORM")) && !P512Def().PrintFom)
        return 0xE6E6E6;
    return GrayColor(wordValue(word));
}

TColor SwitchWordToColor(const QString &word)
{
    if (word == QLatin1String("1") || word == QLatin1String("OFF"))
        return 1;
    if (word == QLatin1String("ON"))
        return 0xFFFFFF;
    return ColorNameToColor(word, QString());
}

int AlignWordToInt(const QString &word)
{
    return FormAlignWord(word);
}

int StyleWordToFontStyle(const QString &word)
{
    static const QHash<QString, int> styles = {
        {QStringLiteral("BIU"), 7}, {QStringLiteral("BIS"), 11}, {QStringLiteral("BI"), 3},
        {QStringLiteral("IU"), 6},  {QStringLiteral("IS"), 10},  {QStringLiteral("BU"), 5},
        {QStringLiteral("BS"), 9},  {QStringLiteral("B"), 1},    {QStringLiteral("I"), 2},
        {QStringLiteral("U"), 4},   {QStringLiteral("S"), 8},    {QStringLiteral("DU"), 4}};
    return styles.value(word.toUpper(), 0);
}

QColor ToQColor(TColor color)
{
    if (isSystemColour(color))
        color = systemToRgb(color);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// ---- fonts ---------------------------------------------------------------------------------

QString ResolveFontName(const QString &name)
{
    if (name == QLatin1String("JAN"))
        return name; // the bar-code face; drawn with whatever stands in for it
    if (name.isEmpty())
        return QStringLiteral("ＭＳ 明朝");
    if (name == QLatin1String("OCR-B")) {
        const TEngineState &e = Engine();
        if (e.FontsDefault.contains(QStringLiteral("OCR-B")))
            return QStringLiteral("OCR-B");
        if (e.FontsDefault.contains(QStringLiteral("OCRB")))
            return QStringLiteral("OCRB");
        return QStringLiteral("ＭＳ ゴシック");
    }
    return name;
}

int GetFontCharset(const QString &name)
{
    const TEngineState &e = Engine();
    if (e.FontsShiftJis.contains(name)) return 128;
    if (e.FontsSymbol.contains(name)) return 2;
    if (e.FontsEastEurope.contains(name)) return 238;
    if (e.FontsOem.contains(name)) return 255;
    return 0;
}

namespace {

const char16_t *const kWindowsJapaneseFaces[] = {u"ＭＳ 明朝", u"ＭＳ ゴシック", u"ＭＳ Ｐ明朝",
                                                  u"ＭＳ Ｐゴシック", u"MS UI Gothic", u"メイリオ"};

} // namespace

QString DrawingFamily(const QString &name)
{
    // The Mincho faces keep their serifs where the serif face is installed.
    static const bool serif = QGuiApplication::instance()
                              && QFontDatabase::families().contains(QStringLiteral("Noto Serif CJK JP"));
    if (serif && name.contains(QStringLiteral("明朝")))
        return QStringLiteral("Noto Serif CJK JP");
    return MapWindowsFontName(name);
}

void FillFontLists()
{
    TEngineState &e = Engine();
    e.FontsShiftJis.clear();
    e.FontsSymbol.clear();
    e.FontsEastEurope.clear();
    e.FontsOem.clear();
    e.FontsDefault.clear();
    if (!QGuiApplication::instance())
        return;
    const QStringList all = QFontDatabase::families();
    for (const QString &f : all)
        e.FontsDefault.insert(f);
    for (const QString &f : QFontDatabase::families(QFontDatabase::Japanese))
        e.FontsShiftJis.insert(f);
    for (const QString &f : QFontDatabase::families(QFontDatabase::Symbol))
        e.FontsSymbol.insert(f);
    for (const QString &f : QFontDatabase::families(QFontDatabase::Latin))
        e.FontsEastEurope.insert(f);
    for (const char16_t *face : kWindowsJapaneseFaces) {
        const QString name = QString::fromUtf16(face);
        if (all.contains(DrawingFamily(name))) {
            e.FontsShiftJis.insert(name);
            e.FontsDefault.insert(name);
        }
    }
}

// ---- paper ----------------------------------------------------------------------------------

bool PaperTableSize(int paper, int &width, int &height)
{
    struct Paper { int number, width, height; };
    static const Paper table[] = {{8, 297, 420},  {9, 210, 297},  {11, 148, 210}, {12, 250, 354},
                                  {13, 182, 257}, {16, 254, 356}, {17, 280, 432}, {44, 229, 280},
                                  {45, 254, 280}, {46, 381, 280}, {90, 305, 280}};
    for (const Paper &p : table) {
        if (p.number == paper) {
            width = p.width;
            height = p.height;
            return true;
        }
    }
    return false;
}

void GetPaperSizeMM(int paper, int &width, int &height)
{
    if (PaperTableSize(paper, width, height))
        return;
    QSizeF printable(0, 0);
    if (TPrinterDevice *p = printers::current())
        printable = p->printableSizeMM();
    width = RoundEven(printable.width());
    height = RoundEven(printable.height()) + 20;
    Engine().PaperSource = 2;
}

void CalcPaperRatio()
{
    TEngineState &e = Engine();
    const TP512DEF &d = P512Def();
    const int printerPaper = e.Vdb ? e.Vdb->GetPaper() : 0;
    if (printerPaper == d.PaperSize) {
        e.VRatio = d.VRATIO;
        e.HRatio = d.HRATIO;
        return;
    }
    struct Pair { int data, printer, v, h; };
    static const Pair pairs[] = {{8, 9, 707, 707},    {8, 12, 843, 842},  {9, 11, 707, 705},
                                 {9, 13, 865, 867},   {12, 13, 726, 728}, {12, 9, 839, 840},
                                 {13, 9, 1156, 1154}, {9, 12, 1192, 1190}, {9, 8, 1414, 1414},
                                 {12, 8, 1186, 1188}};
    for (const Pair &p : pairs) {
        if (p.data == d.PaperSize && p.printer == printerPaper) {
            e.VRatio = p.v;
            e.HRatio = p.h;
            return;
        }
    }
}

// ---- pages ------------------------------------------------------------------------------------

namespace {

bool isPageEnd(const QString &line)
{
    return line.left(2).toUpper() == QLatin1String("E;");
}

} // namespace

bool SkipToPage(TPrintFile &file, int n, bool wrap)
{
    int counter = 1;
    while (!file.atEnd() && counter < n) {
        const QString line = file.readLine();
        if (wrap && file.atEnd()) {
            file.rewind();
            ++counter;
        } else if (isPageEnd(line)) {
            ++counter;
        }
    }
    return counter >= n;
}

int CountPages(const QString &fileName, bool buildList)
{
    TEngineState &e = Engine();
    const bool numbering = P512Def().PageBango.PageBango;
    if (buildList)
        e.PageList.clear();
    TPrintFile file;
    if (!AssignPrintFile(file, fileName))
        return 1;
    int pages = 1;
    int numbered = 0;
    QStringList lines;
    const auto addEntry = [&] {
        const bool blank = lines.isEmpty()
                           || (lines.size() == 1 && (lines.first().contains(QLatin1String("ORIENTATION"))
                                                     || lines.first().contains(QLatin1String("LINE"))));
        e.PageList << (blank ? QStringLiteral("0") : QString::number(++numbered));
        lines.clear();
    };
    while (!file.atEnd()) {
        const QString line = file.readLine();
        const bool end = isPageEnd(line);
        if (end)
            ++pages;
        if (!buildList || !numbering)
            continue;
        if (end)
            addEntry();
        else
            lines << line;
    }
    if (buildList && numbering) {
        addEntry();
        e.NumberedPages = numbered;
    }
    return pages;
}

void InitPageCounts()
{
    TEngineState &e = Engine();
    const int forms = CountPages(e.FormFileName, false);
    const int data = CountPages(e.DataFileName, true);
    if (forms < data)
        e.PageCount = (data + forms - 1) / forms * forms;
    else
        e.PageCount = forms;
    e.CurrentPage = 1;
}

QString GetPageOrientations(const QString &fileName, int defaultOrientation)
{
    TPrintFile file;
    QStringList out;
    if (!file.open(fileName))
        return QString();
    int value = defaultOrientation;
    while (!file.atEnd()) {
        const QString line = file.readLine();
        const QChar c = line.isEmpty() ? QChar() : line.at(0).toUpper();
        if (c != u'E' && c != u'O')
            continue; // only page ends and orientations count (header lines begin with "*")
        const QStringList f = pager512::splitRecordLine(line);
        const QString kind = f.isEmpty() ? QString() : f.first().toUpper();
        if (kind == QLatin1String("ORIENTATION")) {
            value = pager512::fieldInt(f.value(1), defaultOrientation);
        } else if (kind == QLatin1String("E")) {
            out << QString::number(value);
            value = defaultOrientation;
        }
    }
    out << QString::number(value);
    return out.join(u'\n');
}

bool AssignPrintFile(TPrintFile &file, const QString &name)
{
    if (name.isEmpty())
        return false;
    const QString path = QFileInfo(name).absoluteFilePath();
    if (QFileInfo(path).isFile() && file.open(path))
        return true;
    MessageDlg(u'<' + name + QStringLiteral("> が見つかりません。"), TMsgDlgType::mtError, mbOK);
    return false;
}

// ---- error log and bitmaps --------------------------------------------------------------------

void WriteErrorLog(const QString &text)
{
    const QString dir = platform::documentsDir();
    QDir().mkpath(dir);
    QFile log(dir + QStringLiteral("/Pager512_Error.log"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yy/MM/dd hh:mm:ss"));
    log.write(platform::toCp932(stamp + QStringLiteral("  ") + text) + "\r\n");
}

void SetAndMode(QPainter &painter, bool rasterTarget)
{
    painter.setCompositionMode(rasterTarget ? QPainter::RasterOp_SourceAndDestination
                                            : QPainter::CompositionMode_Multiply);
}

void StretchDrawBitmap(QPainter &painter, const QRect &rect, const QString &name, bool andMode,
                       const QImage &image, bool rasterTarget)
{
    try {
        if (image.isNull()) {
            WriteErrorLog(name + QStringLiteral(" ビットマップイメージの取得ができない　GETDIB()"));
            return;
        }
        const QPainter::CompositionMode old = painter.compositionMode();
        if (andMode)
            SetAndMode(painter, rasterTarget);
        painter.drawImage(rect, image);
        painter.setCompositionMode(old);
    } catch (const std::bad_alloc &) {
        WriteErrorLog(name + QStringLiteral(" [BMP]メモリー不足です。 GlobalAlloc[ %1 ]").arg(image.sizeInBytes()));
    } catch (const std::exception &ex) {
        WriteErrorLog(QStringLiteral("%1:%2").arg(name, QString::fromLocal8Bit(ex.what())));
    }
}

QString BlankText(int n)
{
    return QString(qBound(0, n, 127), u' ');
}

// ---- engine start -------------------------------------------------------------------------------

bool InitPrintEngine()
{
    TEngineState &e = Engine();
    e.Ready = false;
    try {
        e.PageCount = e.CurrentPage = e.PageNumber = e.NumberedPages = 1;
        e.PageList.clear();
        FillFontLists();
        if (printers::all().isEmpty())
            printers::refresh();
        e.Vdb = std::make_unique<TVDBPrint>();
        e.Vdb->SetTTOption(2);
        if (!pager512::CurrentPrinterHook) {
            pager512::CurrentPrinterHook = []() -> std::optional<pager512::TPrinterState> {
                const TPrinterDevice *p = printers::current();
                if (!p)
                    return std::nullopt;
                return pager512::TPrinterState{printers::currentIndex(), p->devMode().Copies};
            };
        }
        if (!pager512::StartPrintHook)
            pager512::StartPrintHook = [](TP512DEF &def) { return StartPrint(def); };
        if (!pager512::StartPreviewHook)
            pager512::StartPreviewHook = [](TP512DEF &def) { return StartPreview(def); };
        InstallBigHintWindow();
        e.Ready = true;
    } catch (const std::exception &ex) {
        WriteErrorLog(QStringLiteral("%1:%2").arg(QStringLiteral("Vdb.Create"), QString::fromLocal8Bit(ex.what())));
    }
    return e.Ready;
}

void ClosePrintEngine()
{
    TEngineState &e = Engine();
    e.Ready = false;
    e.Vdb.reset();
    e.PageList.clear();
}
