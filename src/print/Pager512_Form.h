#pragma once
// Form files (".51F"): the fixed part of a report in the print-data record syntax,
// with definitions of named data fields ("&" lines) and total fields ("$" lines)
// into which "@" records of the data drop their values. Up to five form pages carry
// definitions; each has 201 data-field entries, entry 0 being its line spacing.
#include "core/EnvUtils.h"

#include <QString>

#include <array>
#include <functional>

struct TDataField {
    int Count = 0;          // uses on the current data page
    QString Name;           // upper-cased
    int X = 0;
    int Y = 0;
    QString FontName = QStringLiteral("ＭＳ 明朝");
    int Size = 10;
    QString Style;          // upper-cased
    TColor Color = 0;
    TColor Back = 0;        // background: the switch resolved
    int Align = 0;          // 0 left, 1 centre, 2 right
    int Span = 0;
    int Once = 0;           // 1: print only at the first use on a page
    int Mode = 0;           // 1: centre the text on its point
};

struct TTotalField {
    QString Name;
    int X = 0;
    int Y = 0;
    double Amount = 0;
    bool Used = false;
};

inline constexpr int kFormPages = 5;
inline constexpr int kFieldEntries = 201;
inline constexpr int kFieldLimit = 200;  // definitions stop when a page's count reaches it
inline constexpr int kFieldLookup = 100; // fields found by name: entries 1 to 100

struct TFormPageFields {
    std::array<TDataField, kFieldEntries> Data;
    std::array<TTotalField, kFieldEntries> Totals;
    int DataCount = 1;   // next free data entry
    int TotalCount = 0;
};

struct TFormFields {
    std::array<TFormPageFields, kFormPages> Pages;
    int PageCounter = 0; // form pages read (the form-cycle count shared with the print loop)

    void reset();
    // The line pitch of a form page (0.1 mm): the span of its entry 0.
    int lineFieldPitch(int page) const;
    // The field of that name among entries 1 to 100 of the page; nullptr when unknown,
    // for an empty name and for a page outside 0 to 4.
    TDataField *findField(int page, const QString &name);
    // At the start of a data page: use counts and totals of the form page back to 0.
    void resetUse(int page);
};

// The field tables in use by the renderer.
TFormFields &FormFields();

// How colour words and background switches of definitions become colour values:
// the engine's colour table without the form-layer grey; "1"/"OFF" mean no
// background (1), "ON" white.
TColor FormColorWord(const QString &word);
TColor FormSwitchWord(const QString &word);
// "CENTER" and "1" give 1, "RIGHT", "2" and "BOTTOM" give 2, anything else 0 (exact).
int FormAlignWord(const QString &word);

// Loads the field tables of a form file with the offsets added to every position.
// The two device factors have no effect. A missing file leaves the tables reset. A
// read failure is written to the error log and raised as platform::Error.
void HensuuYomikomi(const QString &fileName, int xOffset, int yOffset, double factorX = 1.0,
                    double factorY = 1.0);

// The format version of a form or data file: the number between the first pair of
// double quotes of the first line holding "VER" with a number above 0; 0.5 otherwise.
// A missing file shows "<name> が見つかりません。" and answers 0.5.
double ReadFormVersion(const QString &fileName);

// Appends "operation:message" to "Pager512_Error.log" in the documents folder.
void AppendPrintErrorLog(const QString &operation, const QString &message);

// The form page (1-based) drawn under a data page (1-based): the form's pages are
// reused in cycles. 0 when the form has no pages.
int FormPageForDataPage(int dataPage, int formPages);
