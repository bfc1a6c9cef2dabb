#pragma once
// The print-data file: a CP932 text file of ";"-separated drawing records, one a
// line (CR LF), pages closed by "E;", with a header block between two
// "*PAGER512*" banners at the top. Form files (".51F") use the same records.
//
// This unit holds the byte-exact line formats of the writer, the text fitting by
// CP932 bytes, and a reader that turns lines into typed records. The reader never
// fails on damaged input: unknown kinds are dropped, bad numbers take defaults.
#include "core/EnvUtils.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pager512 {

// The engine's version text (seven characters), written after "*VERSION=".
inline constexpr char kVersionText[] = "5.01.00";

QByteArray openingBanner(); // "*PAGER512*" and 60 "*"
QByteArray closingBanner(); // 61 "*" and "PAGER512*"

// True when the bytes begin with "*PAGER512*".
bool isPrintData(const QByteArray &bytes);

// ---- writer side ---------------------------------------------------------------

// A text made safe for one field of a record: ";" becomes ":" and CR or LF a
// blank (either would split the record); tabs stay (they start a new text line).
QString recordText(const QString &text);
// A header value: CR and LF become blanks.
QString headerText(const QString &text);

// Fits CP932 bytes to a width in bytes for the given (upper-cased) alignment word.
// Width 0 or less, or "CENTER": unchanged. "RIGHT": a shorter text is padded on the
// left with blanks, a longer one keeps its last bytes. Otherwise: padded on the
// right, or cut to its first bytes. Padding is done only up to 126 bytes of width.
// No cut splits a double-byte character: the cut keeps one byte less instead.
QByteArray fitText(const QByteArray &text, int width, const QString &align);

// The record lines (without CR LF) exactly as the report component writes them.
QByteArray textRecord(int x, int y, const QString &text, const QString &font, int size,
                      const QString &style, const QString &colour, const QString &sw,
                      const QString &align, int width);
QByteArray lineRecord(bool fine, int x1, int y1, int x2, int y2, int width, int style,
                      const QString &colour);
QByteArray boxRecord(int x1, int y1, int x2, int y2, int width, int style,
                     const QString &colour, const QString &fill, int fillStyle);
QByteArray blankPageMark();   // the 0.1 mm box that keeps a page from being empty
QByteArray pageEnd();         // "E;"

// "$" and at least six upper-case hexadecimal digits of a colour value.
QString colorHex(TColor color);

// The values of the header block.
struct THeader {
    QString Path;
    QString Version;
    QString Date;        // "yyyy/mm/dd"
    QString Title;
    QString FormFile;
    int PaperSize = 9;
    int OutPutPaper = 0;
    int Orientation = 0;
    int TopMargin = 0;
    int LeftMargin = 0;
    int FormTopMargin = 0;
    int FormLeftMargin = 0;
    TColor NetColor1 = 0xC0C0C0;
    TColor NetColor2 = 0xC0C0C0;
    TColor UserColor1 = 0;
    TColor UserColor2 = 0;
    bool FormPrint = true;
    int Copies = 1;
    bool PageNoSwitch = false;
    int PageNoLeft = 0;
    int PageNoTop = 0;
    int PageNoAlignment = 2;
    QString PageNoFormat = QStringLiteral("(%d/%d)");
};

// The 26 header lines, each ended by CR LF.
QByteArray headerBlock(const THeader &header);

// Reads header values back from the "*KEY=" lines before the first page end.
// Keys that are missing keep the defaults above; a bad number keeps its default.
THeader readHeader(const QByteArray &bytes);

// ---- reader side ---------------------------------------------------------------

enum class TRecordKind {
    Text, NText, UText, VText, Field, Memo, Line, ELine, Box, SLine, RRect, FRect,
    Circle, MaruMoji, Image, Chart, BeginPath, LineB, LeftMargin, TopMargin, Form,
    Message, Orientation, PageEnd,
    FieldDef,   // "&" (form files)
    TotalDef,   // "$" (form files)
};

// One field of a parsed record: its name from the record table, and its value as
// text and (for numeric fields) as a number with the default applied.
struct TRecordField {
    QString Name;
    bool Numeric = false;
    int Number = 0;
    QString Text;
};

struct TRecord {
    TRecordKind Kind = TRecordKind::Text;
    QString Keyword;            // the kind as written in the table ("TEXT", "@", ...)
    QList<TRecordField> Fields; // every field of the kind, in order, defaults filled in
    QStringList Extra;          // fields after the last known one (e.g. "*AUTO*")

    const TRecordField *field(QStringView name) const;
    const TRecordField *field(QLatin1StringView name) const;
    int num(const QString &name) const;      // 0 for an unknown name
    QString text(const QString &name) const; // empty for an unknown name
    int num(const char *name) const { return numL(QLatin1StringView(name)); }
    QString text(const char *name) const { return textL(QLatin1StringView(name)); }
    int numL(QLatin1StringView name) const;
    QString textL(QLatin1StringView name) const;
};

// The field names of a record kind, in file order.
QStringList recordFieldNames(TRecordKind kind);

// Splits one line (decoded) by the reader's rules: double quotes removed, a final
// ";" supplied, fields up to each ";". The first element is the kind as written.
QStringList splitRecordLine(const QString &line);

// Parses one decoded line. False (record untouched) for a blank line, a header or
// comment line, and any kind the engine does not know.
bool parseRecord(const QString &line, TRecord &record);

// Integer of a field: optional blanks and sign, then decimal digits; anything else
// (empty, not a number, out of range) gives the default.
int fieldInt(const QString &text, int def);

struct TPage {
    QList<TRecord> Records; // known records before the page end, in file order
    bool Closed = false;    // ended by an "E" record (a last page may lack one)
};

// Splits CP932 bytes into lines (CR LF, lone LF or lone CR) and decodes them.
QStringList decodeLines(const QByteArray &bytes);

// Reads a whole print-data or form file. A page ends at every record of kind "E";
// records after the last page end make one more (unclosed) page.
QList<TPage> readPages(const QByteArray &bytes);

// The page counters' rule: a line counts as a page end when its first two
// characters, upper-cased, are "E;".
int countPageEnds(const QByteArray &bytes);

// ---- automatic page numbers ------------------------------------------------------

// Formats with integer arguments only, as the family's Format does: "%%", and
// "%[-][width][.prec]d|u|x" (also with an "index:" and "*" widths). False when the
// format asks for another type or for more arguments than given.
bool formatInts(const QString &format, const QList<int> &args, QString &out);

struct TPageNumberStyle {
    int Left = 0;
    int Top = 0;
    int Alignment = 2;          // stored code: 0 left, 1 centre, 2 right
    QString FontName = QStringLiteral("ＭＳ 明朝");
    int FontSize = 10;
};

// The record put in front of a numbered page:
// "TEXT;%d;%d;%s;%s;%d;%s;%s;%s;%d;0;0;%s" (the last field the marker "*AUTO*").
QByteArray autoPageNumberRecord(const TPageNumberStyle &style, const QString &pageText);

} // namespace pager512
