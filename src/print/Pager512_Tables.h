#pragma once
// The vocabulary and small services of the page renderer: colour words, background
// switches, alignments, style letters and font names; the paper table and the
// paper-conversion ratios; page counting, the page list and the orientation list;
// print files; the error log; the bitmap transfer; and the engine's start.
#include "core/EnvUtils.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;
class TVDBPrint;

// Style bits of StyleWordToFontStyle.
inline constexpr int fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

// An open print-data or form file, read line by line. The whole file is read and
// decoded from CP932 when it is opened.
class TPrintFile
{
public:
    bool open(const QString &fileName);
    void close();
    bool isOpen() const { return m_open; }
    bool atEnd() const { return m_pos >= m_lines.size(); }
    QString readLine();
    void rewind() { m_pos = 0; }
    qsizetype position() const { return m_pos; }
    void seek(qsizetype pos) { m_pos = qBound<qsizetype>(0, pos, m_lines.size()); }
    // Whether the page from the current position holds an AND transfer (a blended
    // "FRECT" or a transparent "IMAGE"); the position is kept.
    bool pageHasAndTransfer() const;
    QString fileName() const { return m_fileName; }

private:
    QStringList m_lines;
    qsizetype m_pos = 0;
    bool m_open = false;
    QString m_fileName;
};

// The state of the engine for the whole program.
struct TEngineState {
    // Installed font families per character set: Shift-JIS (128), symbol (2),
    // East European (238), OEM (255) and default (1).
    QSet<QString> FontsShiftJis, FontsSymbol, FontsEastEurope, FontsOem, FontsDefault;
    QStringList PageList;      // per data page its automatic number, "0" for none
    int NumberedPages = 1;     // the count of numbered pages
    int PageCount = 1;         // pages of the job
    int CurrentPage = 1;
    int PageNumber = 1;        // the page being drawn
    double HRatio = 0;         // paper ratios, per mille (0: no scaling)
    double VRatio = 0;
    int PaperSource = 0;       // 2 when GetPaperSizeMM did not know the paper
    // The page offsets the renderer adds (0.1 mm), set by the caller before a page.
    int LeftMargin = 0;
    int TopMargin = 0;
    int EvenLeftMargin = 0;
    QString PendingMessage;    // left by a "MESSAGE" record for the print loop
    QString FormFileName;
    QString DataFileName;
    bool Ready = false;
    std::unique_ptr<TVDBPrint> Vdb;
};
TEngineState &Engine();

// Rounds to the nearest integer, ties to even.
int RoundEven(double v);

// ---- colours ----------------------------------------------------------------------
// Colour values have red in the lowest byte; 0xFF000001 to 0xFF000014 are the
// system's display colours 1 to 20.
TColor ColorNameToColor(const QString &word, const QString &kind);
TColor GrayColor(TColor color);   // the grey conversion when GrayScale is on
TColor SwitchWordToColor(const QString &word);
int AlignWordToInt(const QString &word);
int StyleWordToFontStyle(const QString &word);
// A colour value as a drawing colour (system colours by their usual values).
QColor ToQColor(TColor color);

// ---- fonts ------------------------------------------------------------------------
QString ResolveFontName(const QString &name);
int GetFontCharset(const QString &name);
// The installed family that draws a font name of the records.
QString DrawingFamily(const QString &name);
// Fills the font lists from the installed fonts (the Windows Japanese face names
// count as Shift-JIS fonts when the faces that stand in for them are installed).
void FillFontLists();

// ---- paper ------------------------------------------------------------------------
// Width and height in mm of a paper number; any number outside the table gives the
// printer's printable size (height + 20) and sets the paper-source flag to 2.
void GetPaperSizeMM(int paper, int &width, int &height);
// True (and the size) when the paper number is in the table.
bool PaperTableSize(int paper, int &width, int &height);
void CalcPaperRatio();

// ---- pages ------------------------------------------------------------------------
bool SkipToPage(TPrintFile &file, int n, bool wrap);
int CountPages(const QString &fileName, bool buildList);
void InitPageCounts();
QString GetPageOrientations(const QString &fileName, int defaultOrientation);
bool AssignPrintFile(TPrintFile &file, const QString &name);

// ---- error log and bitmaps ----------------------------------------------------------
// Appends "yy/mm/dd hh:nn:ss  " and the text to "Pager512_Error.log" in the
// documents folder.
void WriteErrorLog(const QString &text);
// Draws the image stretched over the rectangle (device units), with the AND
// transfer when asked. A null image is logged under the name and nothing is drawn.
void StretchDrawBitmap(QPainter &painter, const QRect &rect, const QString &name, bool andMode,
                       const QImage &image, bool rasterTarget);
// Sets the AND transfer on a painter: the raster operation on a raster target,
// elsewhere the multiply blend (the same on white and on black).
void SetAndMode(QPainter &painter, bool rasterTarget);

QString BlankText(int n);   // at most 127 blanks

// ---- engine start -------------------------------------------------------------------
// Counters to 1, the page list emptied, the font lists filled, the printer helper
// created with its TrueType option 2. Answers the engine-ready flag.
bool InitPrintEngine();
void ClosePrintEngine();
