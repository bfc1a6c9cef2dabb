#pragma once
// The printer layer of the print engine: a printer is something with a device
// mode (paper, orientation, copies, ...), a list of the papers its driver knows,
// and a document it draws pages into. Three kinds exist: the system's printers
// (through Qt Print Support), a built-in PDF printer that writes into the
// documents folder, and the recording printer of the tests.
//
// TVDBPrint works on the device mode of the selected printer the way the engine
// expects: read it, change fields, hand it back.
#include <QList>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPainter;
struct TP512DEF;

// Bits of TDevMode::Fields.
inline constexpr int DM_ORIENTATION = 0x1;
inline constexpr int DM_PAPERSIZE = 0x2;
inline constexpr int DM_PAPERLENGTH = 0x4;
inline constexpr int DM_PAPERWIDTH = 0x8;
inline constexpr int DM_SCALE = 0x10;
inline constexpr int DM_COPIES = 0x100;
inline constexpr int DM_COLOR = 0x800;
inline constexpr int DM_DUPLEX = 0x1000;
inline constexpr int DM_COLLATE = 0x8000;

// The settings a printer takes for its next document. Sizes in 0.1 mm.
struct TDevMode {
    QString DeviceName;
    QString FormName;
    int Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES;
    int Orientation = 1;   // 1 portrait, 2 landscape
    int PaperSize = 9;     // paper number (9 = A4)
    int PaperLength = 0;
    int PaperWidth = 0;
    int Scale = 100;
    int Copies = 1;
    int DefaultSource = 7;
    int PrintQuality = -4;
    int Color = 1;         // 1 monochrome, 2 colour
    int Duplex = 1;
    int YResolution = 0;
    int TTOption = 0;
    int Collate = 0;
};

// One paper a driver lists: its number, name and size (0.1 mm, portrait).
struct TPaperInfo {
    int Number = 0;
    QString Name;
    int Width = 0;
    int Length = 0;
};

class TPrinterDevice
{
public:
    virtual ~TPrinterDevice() = default;

    virtual QString name() const = 0;
    // The papers the driver knows, in its order.
    virtual QList<TPaperInfo> papers() const = 0;
    // Dots per inch of the document's pages.
    virtual int resolution() const = 0;
    // The printable area of the current paper in mm (portrait or landscape as set).
    virtual QSizeF printableSizeMM() const;

    const TDevMode &devMode() const { return m_devMode; }
    virtual void setDevMode(const TDevMode &mode) { m_devMode = mode; }

    // A document: begin it, draw on canvas(), newPage() between sheets, end or
    // abort it. The orientation may change before newPage() (setDevMode).
    virtual bool beginDoc(const QString &title) = 0;
    virtual bool newPage() = 0;
    virtual bool endDoc() = 0;
    virtual void abortDoc() = 0;
    virtual QPainter *canvas() = 0;
    virtual bool printing() const = 0;
    // Whether the canvas is a raster (AND transfers work on it).
    virtual bool rasterCanvas() const { return false; }

    // The paper size in mm of a paper number: the driver's list, else the engine's table.
    QSizeF paperSizeMM(int number) const;

protected:
    TDevMode m_devMode;
};

// The built-in PDF printer: each document becomes a PDF file in the documents
// folder, named after the document's title. The file appears only when the
// document ends; an aborted document leaves nothing behind.
class TPdfPrinter : public TPrinterDevice
{
public:
    TPdfPrinter();
    ~TPdfPrinter() override;
    static QString builtInName();

    QString name() const override { return builtInName(); }
    QList<TPaperInfo> papers() const override;
    int resolution() const override { return m_resolution; }
    void setResolution(int dpi) { m_resolution = dpi; }
    bool beginDoc(const QString &title) override;
    bool newPage() override;
    bool endDoc() override;
    void abortDoc() override;
    QPainter *canvas() override;
    bool printing() const override;

    // Where the next document goes: empty means the documents folder under the
    // title's name (a free name is chosen when the file exists).
    QString OutputFile;
    // The file of the last document that ended.
    QString lastFile() const { return m_lastFile; }

private:
    struct Doc;
    std::unique_ptr<Doc> m_doc;
    int m_resolution = 600;
    QString m_lastFile;
};

// A printer of the system (CUPS through Qt Print Support).
class TSystemPrinter : public TPrinterDevice
{
public:
    explicit TSystemPrinter(const QString &printerName);
    ~TSystemPrinter() override;

    QString name() const override { return m_name; }
    QList<TPaperInfo> papers() const override;
    int resolution() const override;
    QSizeF printableSizeMM() const override;
    bool beginDoc(const QString &title) override;
    bool newPage() override;
    bool endDoc() override;
    void abortDoc() override;
    QPainter *canvas() override;
    bool printing() const override;

private:
    struct Doc;
    QString m_name;
    std::unique_ptr<Doc> m_doc;
};

// The printers the engine can choose from, the selected one first among equals.
namespace printers {

// The system's printers by name and which is its default (empty: none). Tests
// replace the source; by default Qt Print Support is asked, unless the
// environment variable SOLTEA_SYSTEM_PRINTERS is "none".
struct TSystemList {
    QStringList Names;
    QString Default;
};
extern std::function<TSystemList()> SystemListHook;

// Builds the list afresh: the system's printers, then the built-in PDF printer.
// The selection goes to the system's default printer, or to the PDF printer when
// the system lists none.
void refresh();
// Replaces the whole list (tests); the selection goes to the first printer.
void setPrinters(QList<std::shared_ptr<TPrinterDevice>> list);
QList<std::shared_ptr<TPrinterDevice>> all();
QStringList names();
// The selected printer's index; -1 when there is no printer at all.
int currentIndex();
// Selects a printer by index; -1 selects the default one. False for a bad index.
bool select(int index);
// The selected printer, or nullptr.
TPrinterDevice *current();
// The built-in PDF printer of the list (nullptr when the list has none).
TPdfPrinter *pdfPrinter();

} // namespace printers

// The helper on the selected printer's device mode. Every operation catches its
// failures and writes them to the engine's error log.
class TVDBPrint
{
public:
    TVDBPrint();

    int GetPaperNumber(const QString &paperName, int paperLength, int defaultPaper,
                       int paperWidth);
    int GetPaper();
    void SetPaper(int paper);
    void SetTTOption(int option);
    // The copies the printer makes of each document (1 to 99).
    void SetCopies(int copies);
    void SetUserPaperSize(int length, int width);
    void ResetUserPaperSize();
    void GetDevMode(TP512DEF &def);
    void SetDevMode(const TP512DEF &def);
    // Orientation of the selected printer: 0 portrait, 1 landscape.
    int GetOrientation();
    void SetOrientation(int orientation);

private:
    template <typename F>
    void change(const char *operation, F &&f);
};
