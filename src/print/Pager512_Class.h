#pragma once
// The report component: a producer sets its properties, writes the pages of a
// report into a print-data file through its operations, closes the file and calls
// Preview or Print. Those copy the properties into the print definition and hand it
// to the preview window or the print loop through hooks that the renderer installs.
#include "core/EnvUtils.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFile;

// The page-number part of the print definition.
struct TPAGEBANGO {
    bool PageBango = false;
    qint32 PageBangoLeft = 0;
    qint32 PageBangoTop = 0;
    qint32 PageBangoAlignment = 0; // 0 left, 1 centre, 2 right
    QString PageBangoFontName;
    qint32 PageBangoFontSize = 0;
    QString PageBangoFormat;
    qint32 PageBangoCount = 0;     // number of "%D" in the format
};

// The print definition. A value of this type starts all zero or empty; the
// program-wide definition starts from InitialP512Def(). Text fields hold at most
// their size less one byte in CP932 (the sizes of the fixed character arrays).
struct TP512DEF {
    static constexpr int FormFileSize = 128, DataFileSize = 128, TitleSize = 64,
                         DocTitleSize = 64, PaperNameSize = 64;
    QString FormFile, DataFile, Title, DocTitle;
    qint32 PrinterNum = 0, PaperSize = 0, OutPutPaper = 0, VRATIO = 0, HRATIO = 0;
    QString PaperName;
    qint32 Orientation = 0, TopMargin = 0, LeftMargin = 0, EvenLeftOffset = 0, TopCorrect = 0,
           LeftCorrect = 0, FormTopMargin = 0, FormLeftMargin = 0, BinNum = 0;
    TColor NetColor1 = 0, NetColor2 = 0, UserColor1 = 0, UserColor2 = 0;
    TColor OcrGreen = 0, OcrBlue = 0, OcrBrown = 0, OcrPink = 0, OcrOrange = 0, OcrViolet = 0,
           OcrPurple = 0;
    bool PrintFom = false, PrnDlg = false;
    qint32 Zoom = 0;
    bool SizeChange = false, ImageOut = false, CurrentPage = false, PrevPaperButton = false,
         NextPaperButton = false, ModeSw = false;
    qint32 PaperLength = 0, PaperWidth = 0, Scale = 0, Copie = 0, PrintQuality = 0,
           ColorMode = 0, Duplex = 0, Collate = 0, YResolution = 0;
    bool Permit = false, GrayScale = false;
    qint32 DevFields = 0;
    TPAGEBANGO PageBango;
};

// The values the program-wide definition has at start.
TP512DEF InitialP512Def();
// The program-wide definition read by the renderer, the preview and the print loop.
TP512DEF &P512Def();

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

namespace pager512 {

struct TPrinterState {
    int Index = -1;
    int Copies = 1;
};

// Seams filled by the preview and print-loop units. Without a preview hook Preview
// shows nothing and answers false (close number 0); without a print hook Print
// prints nothing and answers false. Without a printer hook there is no printer:
// the printer index reads -1 and the copies keep their value.
extern std::function<int(TP512DEF &)> StartPreviewHook;
extern std::function<bool(TP512DEF &)> StartPrintHook;
extern std::function<std::optional<TPrinterState>()> CurrentPrinterHook;
// Whether a font family is installed; by default the font database is asked.
extern std::function<bool(const QString &)> FontInstalledHook;

} // namespace pager512

class TPager512
{
public:
    TPager512();
    ~TPager512();
    TPager512(const TPager512 &) = delete;
    TPager512 &operator=(const TPager512 &) = delete;

    // ---- properties accepting any value ----
    QString DataFile;
    QString FormFile;
    QString Title;
    QString DocTitle;
    TColor OcrGreen = 0x2CBE00, OcrBlue = 0xAC661F, OcrPink = 0x7F02F0, OcrBrown = 0x23234D,
           OcrOrange = 0x41B3FE, OcrViolet = 0x903D57, OcrPurple = 0x741A82;
    int Orientation = 0;
    int PaperSize = 9;
    int OutPutPaper = 0;
    QString PaperName = QStringLiteral("A4");
    int LeftMargin = 0, TopMargin = 0, EvenLeftMargin = 0;
    int LeftCorrect = 0, TopCorrect = 0;
    int FormLeftMargin = 0, FormTopMargin = 0;
    int PageNo = 1;
    bool PrintFom = true;
    bool PrnDlg = true;
    int PrinterNum = -1;
    int BinNum = 0;
    TColor NetColor1 = 0xC0C0C0, NetColor2 = 0xC0C0C0;
    TColor UserColor1 = 0, UserColor2 = 0;
    bool SizeChange = false;
    int PaperLength = 2970, PaperWidth = 2100;
    bool ModeSw = false;
    bool Permit = true;
    int PosCenter = 0;
    bool CurrentPage = true;
    bool ImageOut = false;
    int LineMaxCount = 0;
    bool DelFile = true;
    int BlankPage = 0;
    bool GrayScale = false;
    bool PageBango = false;
    int PageBangoLeft = 0, PageBangoTop = 0;
    QString PageBangoFontName = QStringLiteral("ＭＳ 明朝");
    int PageBangoFontSize = 10;
    bool PrevPaperButton = false, NextPaperButton = false;

    // ---- properties whose setters keep limits ----
    QString OcrFontName() const { return m_ocrFontName; }
    void SetOcrFontName(const QString &name);
    int Copie() const { return m_copie; }
    void SetCopie(int value);          // 1 to 99
    int Zoom() const { return m_zoom; }
    void SetZoom(int value);           // 5 to 20
    int Scale() const { return m_scale; }
    void SetScale(int value);          // 50 to 150
    int PrintQuality() const { return m_printQuality; }
    void SetPrintQuality(int value);   // -4 to -1
    int ColorMode() const { return m_colorMode; }
    void SetColorMode(int value);      // outside 0 to 2 becomes 0
    int Duplex() const { return m_duplex; }
    void SetDuplex(int value);         // 1 to 3
    int Collate() const { return m_collate; }
    void SetCollate(int value);        // 0 or 1
    int VRATIO() const { return m_vratio; }
    void SetVRATIO(int value);
    int HRATIO() const { return m_hratio; }
    void SetHRATIO(int value);
    QString PageBangoFormat() const { return m_pageBangoFormat; }
    void SetPageBangoFormat(const QString &format);
    int PageBangoCount() const { return m_pageBangoCount; }
    TAlignment PageBangoAlignment() const;
    void SetPageBangoAlignment(TAlignment alignment);
    int PageBangoAlignmentCode() const { return m_pageBangoAlignment; }
    int PreviewCloseNum() const { return m_previewCloseNum; }

    // Seams for the header: the version text and the date (today when null).
    QString VersionText = QString::fromLatin1("5.01.00");
    QDate HeaderDate;

    // ---- writer operations (raise platform::Error on input/output failure) ----
    // The data file stays open for appending between OpenDataFile and CloseDataFile.
    void OpenDataFile(bool makeTempName);
    void WriteHeader();
    void TextOut(int x, int y, const QString &text, const QString &font, int size,
                 const QString &style, const QString &colour, const QString &sw,
                 const QString &align, int width);
    void DrawLine(int x1, int y1, int x2, int y2, int width, int style, const QString &colour,
                  bool fine);
    void DrawBox(int x1, int y1, int x2, int y2, int width, int style, const QString &colour,
                 const QString &fill, int fillStyle);
    void NewPage();
    void CloseDataFile();
    bool IsDataFileOpen() const;

    bool Preview();
    bool Print();

    // Copies the properties into a definition (all but BinNum; the previous/next
    // buttons only when asked).
    void FillDefinition(TP512DEF &def, bool withPaperButtons) const;

private:
    void writeLine(const QByteArray &line);
    void afterOutput(TP512DEF &def);
    static int ratio(int value);

    QString m_ocrFontName;
    int m_copie = 1;
    int m_zoom = 10;
    int m_scale = 100;
    int m_printQuality = 0;
    int m_colorMode = 0;
    int m_duplex = 0;
    int m_collate = 0;
    int m_vratio = 1000;
    int m_hratio = 1000;
    QString m_pageBangoFormat = QStringLiteral("(%d/%d)");
    int m_pageBangoCount = 0;
    int m_pageBangoAlignment = 2;
    int m_previewCloseNum = 0;
    std::unique_ptr<QFile> m_file;
    bool m_headerWritten = false;
};
