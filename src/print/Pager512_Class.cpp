#include "print/Pager512_Class.h"

#include "core/SjisText.h"
#include "platform/Error.h"
#include "print/Pager512_Data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTemporaryFile>

namespace pager512 {

std::function<int(TP512DEF &)> StartPreviewHook;
std::function<bool(TP512DEF &)> StartPrintHook;
std::function<std::optional<TPrinterState>()> CurrentPrinterHook;
std::function<bool(const QString &)> FontInstalledHook = [](const QString &family) {
    if (!QGuiApplication::instance())
        return false;
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
};

} // namespace pager512

using namespace pager512;

TP512DEF InitialP512Def()
{
    TP512DEF d;
    d.PrinterNum = -1;
    d.PaperName = QStringLiteral("A4");
    d.VRATIO = d.HRATIO = 1000;
    d.Scale = 100;
    d.Copie = 1;
    d.PrintQuality = -4;
    d.Duplex = 1;
    d.NetColor1 = d.NetColor2 = 0xC0C0C0;
    d.OcrGreen = 0x2CBE00;
    d.OcrBlue = 0xAC661F;
    d.OcrPink = 0x7F02F0;
    d.OcrBrown = 0x23234D;
    d.OcrOrange = 0x41B3FE;
    d.OcrViolet = 0x903D57;
    d.OcrPurple = 0x741A82;
    d.PrintFom = d.PrnDlg = d.CurrentPage = d.ModeSw = d.Permit = true;
    d.Zoom = 10;
    d.PaperLength = 2970;
    d.PaperWidth = 2100;
    d.BinNum = 7;
    d.PageBango.PageBangoAlignment = 2;
    d.PageBango.PageBangoFontName = QStringLiteral("ＭＳ 明朝");
    d.PageBango.PageBangoFontSize = 10;
    d.PageBango.PageBangoFormat = QStringLiteral("(%d/%d)");
    return d;
}

TP512DEF &P512Def()
{
    static TP512DEF def = InitialP512Def();
    return def;
}

namespace {

// A text as it fits a zero-terminated character array of the given size.
QString cut(const QString &text, int size)
{
    return SjisLeft(text, size - 1);
}

// Each "%D" found is taken out before the next search, so "%%DD" holds two.
int countPercentD(const QString &format)
{
    QString text = format.toUpper();
    int n = 0;
    for (qsizetype at = text.indexOf(QLatin1String("%D")); at >= 0; at = text.indexOf(QLatin1String("%D"))) {
        text.remove(at, 2);
        ++n;
    }
    return n;
}

// The folder part of a file name, without a trailing separator ("" for a bare name).
QString folderOf(const QString &path)
{
    const int slash = static_cast<int>(path.lastIndexOf(u'/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

} // namespace

TPager512::TPager512()
{
    if (CurrentPrinterHook) {
        if (const auto p = CurrentPrinterHook())
            PrinterNum = p->Index;
    }
    SetOcrFontName(QString());
}

TPager512::~TPager512() = default;

void TPager512::SetOcrFontName(const QString &name)
{
    const auto installed = [](const QString &f) { return FontInstalledHook && FontInstalledHook(f); };
    if (!name.isEmpty()) {
        if (installed(name))
            m_ocrFontName = name;
        return;
    }
    if (installed(QStringLiteral("OCR-B")))
        m_ocrFontName = QStringLiteral("OCR-B");
    else if (installed(QStringLiteral("OCRB")))
        m_ocrFontName = QStringLiteral("OCRB");
    else
        m_ocrFontName = QStringLiteral("ＭＳ ゴシック");
}

void TPager512::SetCopie(int value)
{
    if (value >= 1 && value <= 99)
        m_copie = value;
}

void TPager512::SetZoom(int value)
{
    if (value >= 5 && value <= 20)
        m_zoom = value;
}

void TPager512::SetScale(int value)
{
    if (value >= 50 && value <= 150)
        m_scale = value;
}

void TPager512::SetPrintQuality(int value)
{
    if (value >= -4 && value <= -1)
        m_printQuality = value;
}

void TPager512::SetColorMode(int value)
{
    m_colorMode = (value >= 0 && value <= 2) ? value : 0;
}

void TPager512::SetDuplex(int value)
{
    if (value >= 1 && value <= 3)
        m_duplex = value;
}

void TPager512::SetCollate(int value)
{
    if (value == 0 || value == 1)
        m_collate = value;
}

int TPager512::ratio(int value)
{
    if (value >= -50 && value <= 50)
        return 1000 + value;
    if (value >= 950 && value <= 1050)
        return value;
    return 1000;
}

void TPager512::SetVRATIO(int value)
{
    m_vratio = ratio(value);
}

void TPager512::SetHRATIO(int value)
{
    m_hratio = ratio(value);
}

void TPager512::SetPageBangoFormat(const QString &format)
{
    m_pageBangoCount = countPercentD(format);
    QString trial;
    bool ok = false;
    if (m_pageBangoCount == 1)
        ok = formatInts(format, {1}, trial);
    else if (m_pageBangoCount == 2)
        ok = formatInts(format, {1, 1}, trial);
    if (ok) {
        m_pageBangoFormat = format;
    } else {
        PageBango = false;
        m_pageBangoFormat = QStringLiteral("(%d/%d)");
    }
}

TAlignment TPager512::PageBangoAlignment() const
{
    switch (m_pageBangoAlignment) {
    case 0: return TAlignment::taLeftJustify;
    case 1: return TAlignment::taCenter;
    default: return TAlignment::taRightJustify;
    }
}

void TPager512::SetPageBangoAlignment(TAlignment alignment)
{
    switch (alignment) {
    case TAlignment::taLeftJustify: m_pageBangoAlignment = 0; break;
    case TAlignment::taCenter: m_pageBangoAlignment = 1; break;
    case TAlignment::taRightJustify: m_pageBangoAlignment = 2; break;
    }
}

// ---- writer ------------------------------------------------------------------------

bool TPager512::IsDataFileOpen() const
{
    return m_file && m_file->isOpen();
}

void TPager512::OpenDataFile(bool makeTempName)
{
    CloseDataFile();
    if (makeTempName) {
        QString folder = folderOf(DataFile);
        QTemporaryFile temp((folder.isEmpty() ? QStringLiteral(".") : folder)
                            + QStringLiteral("/~XXXXXX.tmp"));
        temp.setAutoRemove(false);
        if (!temp.open())
            throw platform::Error(QStringLiteral("一時ファイルを作成できません。: %1").arg(temp.errorString()));
        const QString name = QFileInfo(temp.fileName()).fileName();
        DataFile = folder.isEmpty() ? name : folder + u'/' + name;
        temp.close();
    }
    m_file = std::make_unique<QFile>(DataFile);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString message = m_file->errorString();
        m_file.reset();
        throw platform::Error(QStringLiteral("ファイルを作成できません。%1: %2").arg(DataFile, message));
    }
    m_headerWritten = false;
    WriteHeader();
}

void TPager512::writeLine(const QByteArray &line)
{
    if (!IsDataFileOpen())
        throw platform::Error(QStringLiteral("ファイルが開かれていません。"));
    const QByteArray bytes = line + "\r\n";
    if (m_file->write(bytes) != bytes.size())
        throw platform::Error(QStringLiteral("ファイルに書き込めません。%1: %2").arg(DataFile, m_file->errorString()));
}

void TPager512::WriteHeader()
{
    if (m_headerWritten)
        return;
    THeader h;
    h.Path = folderOf(DataFile);
    h.Version = VersionText;
    const QDate date = HeaderDate.isValid() ? HeaderDate : QDate::currentDate();
    h.Date = date.toString(QStringLiteral("yyyy/MM/dd"));
    h.Title = Title;
    h.FormFile = FormFile;
    h.PaperSize = PaperSize;
    h.OutPutPaper = OutPutPaper;
    h.Orientation = Orientation;
    h.TopMargin = TopMargin;
    h.LeftMargin = LeftMargin;
    h.FormTopMargin = FormTopMargin;
    h.FormLeftMargin = FormLeftMargin;
    h.NetColor1 = NetColor1;
    h.NetColor2 = NetColor2;
    h.UserColor1 = UserColor1;
    h.UserColor2 = UserColor2;
    h.FormPrint = PrintFom;
    h.Copies = m_copie;
    h.PageNoSwitch = PageBango;
    h.PageNoLeft = PageBangoLeft;
    h.PageNoTop = PageBangoTop;
    h.PageNoAlignment = m_pageBangoAlignment;
    h.PageNoFormat = m_pageBangoFormat;
    QByteArray block = headerBlock(h);
    block.chop(2); // writeLine supplies the last CR LF
    writeLine(block);
    m_headerWritten = true;
}

void TPager512::TextOut(int x, int y, const QString &text, const QString &font, int size,
                        const QString &style, const QString &colour, const QString &sw,
                        const QString &align, int width)
{
    writeLine(textRecord(x, y, text, font, size, style, colour, sw, align, width));
}

void TPager512::DrawLine(int x1, int y1, int x2, int y2, int width, int style,
                         const QString &colour, bool fine)
{
    writeLine(lineRecord(fine, x1, y1, x2, y2, width, style, colour));
}

void TPager512::DrawBox(int x1, int y1, int x2, int y2, int width, int style,
                        const QString &colour, const QString &fill, int fillStyle)
{
    writeLine(boxRecord(x1, y1, x2, y2, width, style, colour, fill, fillStyle));
}

void TPager512::NewPage()
{
    ++PageNo;
    if (BlankPage != 0)
        writeLine(blankPageMark());
    writeLine(pageEnd());
}

void TPager512::CloseDataFile()
{
    if (m_file) {
        const bool ok = m_file->flush();
        m_file->close();
        const QString message = m_file->errorString();
        m_file.reset();
        m_headerWritten = false;
        if (!ok)
            throw platform::Error(QStringLiteral("ファイルに書き込めません。%1: %2").arg(DataFile, message));
    }
    m_headerWritten = false;
}

// ---- preview and print -----------------------------------------------------------

void TPager512::FillDefinition(TP512DEF &d, bool withPaperButtons) const
{
    d.FormFile = cut(FormFile, TP512DEF::FormFileSize);
    d.DataFile = cut(DataFile, TP512DEF::DataFileSize);
    d.Title = cut(Title, TP512DEF::TitleSize);
    d.PaperName = cut(PaperName, TP512DEF::PaperNameSize);
    QString doc = DocTitle;
    if (doc.isEmpty())
        doc = Title;
    if (doc.isEmpty())
        doc = QStringLiteral("PAGER512-") + VersionText;
    d.DocTitle = cut(doc, TP512DEF::DocTitleSize);
    d.PrinterNum = PrinterNum;
    d.PaperSize = PaperSize;
    d.OutPutPaper = OutPutPaper;
    d.Orientation = Orientation;
    d.Scale = m_scale;
    d.Copie = m_copie;
    d.PrintQuality = m_printQuality;
    d.ColorMode = m_colorMode;
    d.Duplex = m_duplex;
    d.Collate = m_collate;
    d.TopMargin = TopMargin;
    d.LeftMargin = LeftMargin;
    d.EvenLeftOffset = EvenLeftMargin == 0 ? 0 : EvenLeftMargin - LeftMargin;
    d.TopCorrect = TopCorrect;
    d.LeftCorrect = LeftCorrect;
    d.FormTopMargin = FormTopMargin;
    d.FormLeftMargin = FormLeftMargin;
    d.NetColor1 = NetColor1;
    d.NetColor2 = NetColor2;
    d.UserColor1 = UserColor1;
    d.UserColor2 = UserColor2;
    d.OcrGreen = OcrGreen;
    d.OcrBlue = OcrBlue;
    d.OcrBrown = OcrBrown;
    d.OcrPink = OcrPink;
    d.OcrOrange = OcrOrange;
    d.OcrViolet = OcrViolet;
    d.OcrPurple = OcrPurple;
    d.PrintFom = PrintFom;
    d.PrnDlg = PrnDlg;
    d.Zoom = m_zoom;
    d.SizeChange = SizeChange;
    d.ModeSw = ModeSw;
    d.PaperLength = PaperLength;
    d.PaperWidth = PaperWidth;
    d.Permit = Permit;
    d.ImageOut = ImageOut;
    d.CurrentPage = CurrentPage;
    d.VRATIO = m_vratio;
    d.HRATIO = m_hratio;
    d.GrayScale = GrayScale;
    if (withPaperButtons) {
        d.PrevPaperButton = PrevPaperButton;
        d.NextPaperButton = NextPaperButton;
    }
    d.PageBango.PageBango = PageBango;
    d.PageBango.PageBangoLeft = PageBangoLeft;
    d.PageBango.PageBangoTop = PageBangoTop;
    d.PageBango.PageBangoAlignment = m_pageBangoAlignment;
    d.PageBango.PageBangoFontName = PageBangoFontName;
    d.PageBango.PageBangoFontSize = PageBangoFontSize;
    d.PageBango.PageBangoFormat = m_pageBangoFormat;
    d.PageBango.PageBangoCount = m_pageBangoCount;
}

void TPager512::afterOutput(TP512DEF &def)
{
    if (DelFile) {
        if (!def.DataFile.isEmpty() && QFile::exists(def.DataFile))
            QFile::remove(def.DataFile);
        const QString folder = folderOf(def.DataFile);
        const QString chart = (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("CHART.WMF");
        if (QFile::exists(chart))
            QFile::remove(chart);
    }
    TP512DEF &global = P512Def();
    std::optional<TPrinterState> printer;
    if (CurrentPrinterHook)
        printer = CurrentPrinterHook();
    if (printer) {
        global.PrinterNum = PrinterNum = printer->Index;
        global.Copie = m_copie = printer->Copies;
    } else {
        global.PrinterNum = PrinterNum = -1;
        global.Copie = m_copie;
    }
    PageBango = false;
}

bool TPager512::Preview()
{
    TP512DEF &def = P512Def();
    FillDefinition(def, true);
    m_previewCloseNum = StartPreviewHook ? StartPreviewHook(def) : 0;
    const bool result = m_previewCloseNum != 0;
    afterOutput(def);
    return result;
}

bool TPager512::Print()
{
    TP512DEF def;
    FillDefinition(def, false);
    const bool printed = StartPrintHook ? StartPrintHook(def) : false;
    m_previewCloseNum = printed ? 1 : 0;
    afterOutput(def);
    return printed;
}
