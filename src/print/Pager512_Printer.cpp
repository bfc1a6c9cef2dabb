#include "print/Pager512_Printer.h"

#include "platform/Error.h"
#include "platform/StandardFolders.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_Tables.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include <exception>

// ---- every printer ----------------------------------------------------------------

QSizeF TPrinterDevice::paperSizeMM(int number) const
{
    for (const TPaperInfo &p : papers())
        if (p.Number == number)
            return QSizeF(p.Width / 10.0, p.Length / 10.0);
    int w = 0, h = 0;
    if (PaperTableSize(number, w, h))
        return QSizeF(w, h);
    return QSizeF(210, 297);
}

QSizeF TPrinterDevice::printableSizeMM() const
{
    QSizeF s = paperSizeMM(m_devMode.PaperSize);
    if (m_devMode.Fields & DM_PAPERLENGTH && m_devMode.PaperLength > 0)
        s.setHeight(m_devMode.PaperLength / 10.0);
    if (m_devMode.Fields & DM_PAPERWIDTH && m_devMode.PaperWidth > 0)
        s.setWidth(m_devMode.PaperWidth / 10.0);
    return m_devMode.Orientation == 2 ? s.transposed() : s;
}

namespace {

// The papers of the engine's table, as a driver would list them.
QList<TPaperInfo> tablePapers()
{
    struct P { int number; const char *name; };
    static const P names[] = {{8, "A3"},          {9, "A4"},          {11, "A5"},
                              {12, "B4"},         {13, "B5"},         {16, "10x14"},
                              {17, "11x17"},      {44, "9x11"},       {45, "10x11"},
                              {46, "15x11"},      {90, "12x11"}};
    QList<TPaperInfo> out;
    for (const P &p : names) {
        int w = 0, h = 0;
        PaperTableSize(p.number, w, h);
        out << TPaperInfo{p.number, QString::fromLatin1(p.name), w * 10, h * 10};
    }
    return out;
}

// The page layout of a device mode: the paper (a user size when one is set) and
// the orientation, no margins.
QPageLayout layoutOf(const TPrinterDevice &printer, const TDevMode &mode)
{
    QSizeF size = printer.paperSizeMM(mode.PaperSize);
    if (mode.Fields & DM_PAPERLENGTH && mode.PaperLength > 0)
        size.setHeight(mode.PaperLength / 10.0);
    if (mode.Fields & DM_PAPERWIDTH && mode.PaperWidth > 0)
        size.setWidth(mode.PaperWidth / 10.0);
    return QPageLayout(QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       mode.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString safeFileName(QString title)
{
    static const QString bad = QStringLiteral("\\/:*?\"<>|\t\r\n");
    for (QChar &c : title)
        if (bad.contains(c))
            c = u'_';
    title = title.trimmed();
    return title.isEmpty() ? QStringLiteral("印刷") : title;
}

} // namespace

// ---- the built-in PDF printer -------------------------------------------------------

struct TPdfPrinter::Doc {
    QSaveFile file;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    TDevMode mode;
};

TPdfPrinter::TPdfPrinter()
{
    m_devMode.DeviceName = builtInName();
    m_devMode.Color = 2;
}

TPdfPrinter::~TPdfPrinter()
{
    abortDoc();
}

QString TPdfPrinter::builtInName()
{
    return QStringLiteral("PDF出力 (内蔵)");
}

QList<TPaperInfo> TPdfPrinter::papers() const
{
    return tablePapers();
}

bool TPdfPrinter::beginDoc(const QString &title)
{
    abortDoc();
    QString path = OutputFile;
    if (path.isEmpty()) {
        const QDir dir(platform::documentsDir());
        QDir().mkpath(dir.path());
        const QString base = safeFileName(title);
        path = dir.filePath(base + QStringLiteral(".pdf"));
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(base).arg(n));
    }
    auto doc = std::make_unique<Doc>();
    doc->file.setFileName(path);
    if (!doc->file.open(QIODevice::WriteOnly))
        return false;
    doc->writer = std::make_unique<QPdfWriter>(&doc->file);
    doc->writer->setResolution(m_resolution);
    doc->writer->setTitle(title);
    doc->writer->setCreator(QStringLiteral("PAGER512"));
    doc->writer->setPageLayout(layoutOf(*this, m_devMode));
    doc->mode = m_devMode;
    if (!doc->painter.begin(doc->writer.get()))
        return false;
    m_doc = std::move(doc);
    return true;
}

bool TPdfPrinter::newPage()
{
    if (!m_doc)
        return false;
    if (m_devMode.Orientation != m_doc->mode.Orientation || m_devMode.PaperSize != m_doc->mode.PaperSize) {
        m_doc->writer->setPageLayout(layoutOf(*this, m_devMode));
        m_doc->mode = m_devMode;
    }
    return m_doc->writer->newPage();
}

bool TPdfPrinter::endDoc()
{
    if (!m_doc)
        return false;
    m_doc->painter.end();
    m_doc->writer.reset();
    const bool ok = m_doc->file.commit();
    if (ok)
        m_lastFile = m_doc->file.fileName();
    m_doc.reset();
    return ok;
}

void TPdfPrinter::abortDoc()
{
    if (!m_doc)
        return;
    m_doc->painter.end();
    m_doc->writer.reset();
    m_doc->file.cancelWriting();
    m_doc.reset();
}

QPainter *TPdfPrinter::canvas()
{
    return m_doc ? &m_doc->painter : nullptr;
}

bool TPdfPrinter::printing() const
{
    return m_doc != nullptr;
}

// ---- the system's printers -----------------------------------------------------------

struct TSystemPrinter::Doc {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    TDevMode mode;
};

TSystemPrinter::TSystemPrinter(const QString &printerName)
    : m_name(printerName)
{
    m_devMode.DeviceName = printerName;
}

TSystemPrinter::~TSystemPrinter()
{
    abortDoc();
}

QList<TPaperInfo> TSystemPrinter::papers() const
{
    QList<TPaperInfo> out;
    const QPrinterInfo info = QPrinterInfo::printerInfo(m_name);
    for (const QPageSize &s : info.supportedPageSizes()) {
        const QSizeF mm = s.size(QPageSize::Millimeter);
        const int number = s.windowsId();
        int w = qRound(mm.width() * 10), h = qRound(mm.height() * 10);
        int tw = 0, th = 0;
        if (PaperTableSize(number, tw, th)) { // the engine's table decides the size
            w = tw * 10;
            h = th * 10;
        }
        out << TPaperInfo{number, s.name(), w, h};
    }
    return out;
}

int TSystemPrinter::resolution() const
{
    if (m_doc)
        return m_doc->printer.resolution();
    QPrinter p(QPrinter::HighResolution);
    p.setPrinterName(m_name);
    return p.resolution();
}

QSizeF TSystemPrinter::printableSizeMM() const
{
    QPrinter p(QPrinter::HighResolution);
    p.setPrinterName(m_name);
    p.setPageLayout(layoutOf(*this, m_devMode));
    return p.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

bool TSystemPrinter::beginDoc(const QString &title)
{
    abortDoc();
    auto doc = std::make_unique<Doc>();
    doc->printer.setPrinterName(m_name);
    doc->printer.setDocName(title);
    doc->printer.setFullPage(true);
    doc->printer.setPageLayout(layoutOf(*this, m_devMode));
    doc->printer.setCopyCount(qMax(1, m_devMode.Copies));
    doc->printer.setCollateCopies(m_devMode.Collate != 0);
    doc->printer.setColorMode(m_devMode.Color == 2 ? QPrinter::Color : QPrinter::GrayScale);
    if (m_devMode.Duplex == 2)
        doc->printer.setDuplex(QPrinter::DuplexLongSide);
    else if (m_devMode.Duplex == 3)
        doc->printer.setDuplex(QPrinter::DuplexShortSide);
    doc->mode = m_devMode;
    if (!doc->painter.begin(&doc->printer))
        return false;
    m_doc = std::move(doc);
    return true;
}

bool TSystemPrinter::newPage()
{
    if (!m_doc)
        return false;
    if (m_devMode.Orientation != m_doc->mode.Orientation || m_devMode.PaperSize != m_doc->mode.PaperSize) {
        m_doc->printer.setPageLayout(layoutOf(*this, m_devMode));
        m_doc->mode = m_devMode;
    }
    return m_doc->printer.newPage();
}

bool TSystemPrinter::endDoc()
{
    if (!m_doc)
        return false;
    const bool ok = m_doc->painter.end();
    m_doc.reset();
    return ok;
}

void TSystemPrinter::abortDoc()
{
    if (!m_doc)
        return;
    m_doc->printer.abort();
    m_doc->painter.end();
    m_doc.reset();
}

QPainter *TSystemPrinter::canvas()
{
    return m_doc ? &m_doc->painter : nullptr;
}

bool TSystemPrinter::printing() const
{
    return m_doc != nullptr;
}

// ---- the list of printers --------------------------------------------------------------

namespace printers {

std::function<TSystemList()> SystemListHook = [] {
    TSystemList list;
    if (qEnvironmentVariable("SOLTEA_SYSTEM_PRINTERS") == QLatin1String("none"))
        return list;
    list.Names = QPrinterInfo::availablePrinterNames();
    list.Default = QPrinterInfo::defaultPrinterName();
    return list;
};

namespace {

struct List {
    QList<std::shared_ptr<TPrinterDevice>> printers;
    int defaultIndex = -1;
    int current = -1;
};

List &list()
{
    static List l;
    return l;
}

} // namespace

void refresh()
{
    List &l = list();
    l.printers.clear();
    l.defaultIndex = -1;
    const TSystemList system = SystemListHook ? SystemListHook() : TSystemList();
    for (const QString &name : system.Names) {
        if (name == system.Default)
            l.defaultIndex = static_cast<int>(l.printers.size());
        l.printers << std::make_shared<TSystemPrinter>(name);
    }
    if (l.defaultIndex < 0 && !l.printers.isEmpty())
        l.defaultIndex = 0;
    l.printers << std::make_shared<TPdfPrinter>();
    if (l.defaultIndex < 0)
        l.defaultIndex = static_cast<int>(l.printers.size()) - 1;
    l.current = l.defaultIndex;
}

void setPrinters(QList<std::shared_ptr<TPrinterDevice>> printersList)
{
    List &l = list();
    l.printers = std::move(printersList);
    l.defaultIndex = l.printers.isEmpty() ? -1 : 0;
    l.current = l.defaultIndex;
}

QList<std::shared_ptr<TPrinterDevice>> all()
{
    return list().printers;
}

QStringList names()
{
    QStringList out;
    for (const auto &p : list().printers)
        out << p->name();
    return out;
}

int currentIndex()
{
    return list().current;
}

bool select(int index)
{
    List &l = list();
    if (index == -1) {
        l.current = l.defaultIndex;
        return true;
    }
    if (index < 0 || index >= l.printers.size())
        return false;
    l.current = index;
    return true;
}

TPrinterDevice *current()
{
    const List &l = list();
    return l.current >= 0 && l.current < l.printers.size() ? l.printers[l.current].get() : nullptr;
}

TPdfPrinter *pdfPrinter()
{
    for (const auto &p : list().printers)
        if (auto *pdf = dynamic_cast<TPdfPrinter *>(p.get()))
            return pdf;
    return nullptr;
}

} // namespace printers

// ---- the device-mode helper --------------------------------------------------------------

namespace {

TPrinterDevice &selected()
{
    TPrinterDevice *p = printers::current();
    if (!p)
        throw platform::Error(QStringLiteral("プリンタがありません。"));
    return *p;
}

void logFailure(const char *operation, const std::exception &e)
{
    const QString message = dynamic_cast<const platform::Error *>(&e)
                                ? static_cast<const platform::Error &>(e).message()
                                : QString::fromLocal8Bit(e.what());
    WriteErrorLog(QStringLiteral("%1:%2").arg(QString::fromLatin1(operation), message));
}

} // namespace

template <typename F>
void TVDBPrint::change(const char *operation, F &&f)
{
    try {
        TPrinterDevice &p = selected();
        TDevMode mode = p.devMode();
        f(mode);
        p.setDevMode(mode);
    } catch (const std::exception &e) {
        logFailure(operation, e);
    }
}

TVDBPrint::TVDBPrint()
{
    try {
        printers::select(-1);
        if (TPrinterDevice *p = printers::current()) {
            TDevMode mode = p->devMode();
            mode.TTOption = 1;
            p->setDevMode(mode);
        }
    } catch (const std::exception &e) {
        logFailure("Vdb.Create", e);
        throw;
    }
}

int TVDBPrint::GetPaperNumber(const QString &paperName, int paperLength, int defaultPaper,
                              int paperWidth)
{
    int answer = 0;
    try {
        const QList<TPaperInfo> papers = selected().papers();
        answer = defaultPaper;
        if (!paperName.isEmpty()) {
            for (const TPaperInfo &p : papers)
                if (p.Name == paperName)
                    return p.Number;
        }
        if (paperLength > 0 && paperWidth > 0) {
            for (const TPaperInfo &p : papers)
                if (std::abs(p.Length - paperLength) < 10 && std::abs(p.Width - paperWidth) < 10)
                    return p.Number;
        }
    } catch (const std::exception &e) {
        logFailure("Vdb.GetPaperNumber", e);
    }
    return answer;
}

int TVDBPrint::GetPaper()
{
    try {
        return selected().devMode().PaperSize;
    } catch (const std::exception &e) {
        logFailure("Vdb.GetPaper", e);
    }
    return 0;
}

void TVDBPrint::SetPaper(int paper)
{
    change("Vdb.SetPaper", [&](TDevMode &m) { m.PaperSize = static_cast<qint16>(paper); });
}

void TVDBPrint::SetTTOption(int option)
{
    change("Vdb.SetTTOption", [&](TDevMode &m) { m.TTOption = static_cast<qint16>(option); });
}

void TVDBPrint::SetCopies(int copies)
{
    change("Vdb.SetCopies", [&](TDevMode &m) {
        m.Fields |= DM_COPIES;
        m.Copies = qBound(1, copies, 99);
    });
}

void TVDBPrint::SetUserPaperSize(int length, int width)
{
    change("Vdb.SetUserPaperSize", [&](TDevMode &m) {
        m.Fields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
        m.PaperLength = static_cast<qint16>(length);
        m.PaperWidth = static_cast<qint16>(width);
    });
}

void TVDBPrint::ResetUserPaperSize()
{
    change("Vdb.ResetUserPaperSize", [&](TDevMode &m) {
        m.Fields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
        m.PaperLength = 0;
        m.PaperWidth = 0;
    });
}

void TVDBPrint::GetDevMode(TP512DEF &def)
{
    try {
        const TDevMode &m = selected().devMode();
        def.PrinterNum = printers::currentIndex();
        def.PaperLength = m.PaperLength;
        def.PaperWidth = m.PaperWidth;
        def.Orientation = m.Orientation - 1;
        def.Scale = m.Scale;
        def.Copie = m.Copies;
        def.PrintQuality = m.PrintQuality;
        def.Duplex = m.Duplex;
        def.Collate = m.Collate;
        def.BinNum = m.DefaultSource;
        def.YResolution = m.YResolution;
        def.DevFields = m.Fields;
    } catch (const std::exception &e) {
        logFailure("Vdb.GetDevMode", e);
    }
}

void TVDBPrint::SetDevMode(const TP512DEF &definition)
{
    const TP512DEF def = definition;
    change("Vdb.SetDevMode", [&](TDevMode &m) {
        m.Fields |= DM_COLLATE;
        m.Scale = def.Scale;
        m.Copies = def.Copie;
        if (def.ColorMode != 0)
            m.Color = def.ColorMode;
        if (def.Duplex != 0)
            m.Duplex = def.Duplex;
        if (def.PrintQuality != 0)
            m.PrintQuality = def.PrintQuality;
        m.Collate = def.Collate;
    });
}

int TVDBPrint::GetOrientation()
{
    try {
        return selected().devMode().Orientation == 2 ? 1 : 0;
    } catch (const std::exception &e) {
        logFailure("Vdb.GetOrientation", e);
    }
    return 0;
}

void TVDBPrint::SetOrientation(int orientation)
{
    change("Vdb.SetOrientation", [&](TDevMode &m) { m.Orientation = orientation == 1 ? 2 : 1; });
}
