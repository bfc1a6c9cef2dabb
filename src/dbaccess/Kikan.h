#pragma once
// Date arithmetic of the books (accounting months that end on a closing day,
// period numbers of the fiscal year) and dates in the Japanese era form.
//
// A fiscal year has twelve monthly periods and four closing periods, numbered
// 1 to 16: months 1-3 are 1-3, the first quarter's closing is 4, months 4-6 are
// 5-7, closing 8, months 7-9 are 9-11, closing 12, months 10-12 are 13-15 and
// the year-end closing is 16.
//
// Dates are QDate. The "date 0" of the books (1899-12-30) is the null QDate:
// the functions below read a null date as 1899-12-30 and give a null date back
// wherever their result is 1899-12-30.
#include <QDate>
#include <QList>
#include <QString>

// The books' date 0 read from a database column as the null date; other dates unchanged.
QDate NullIfDateZero(const QDate &d);
// The null date as the books' date 0, for writing to a date column.
QDate DateZeroIfNull(const QDate &d);

// Closing day of a company: 1 to 28 a day of the month, 99 the month's last day;
// any other value means calendar months.
inline constexpr int ClosingDayMonthEnd = 99;

// Whether the year is a leap year; false for a year outside 1..9999.
bool IsLeapYearSafe(int year);

// The date plus a number of days (negative allowed).
QDate AddDays(int days, const QDate &date);

// The day of the month.
int DayOfDate(const QDate &date);

// The date moved by a number of months (negative allowed); the day is clamped
// to the length of the target month.
QDate IncMonthClamp(int months, const QDate &date);

// The closing date of the accounting month that contains the date, moved by a
// number of months. A closing day outside 1..28 and 99 returns the date unchanged.
QDate ClosingDate(int monthOffset, int closingDay, const QDate &date);

// Accounting months from the month of the first date to the month of the second
// (negative when the second is earlier).
int MonthsBetween(int closingDay, const QDate &from, const QDate &to);

// The period number (1 to 16) of a date within the fiscal year, or -1 outside it.
// A date after the year end counts as the last month. closingEntry counts only
// when it is 1: the date then belongs to the closing period of its quarter (to
// 16 on the year-end date itself).
int PeriodNo(int closingDay, int closingEntry, const QDate &fiscalStart, const QDate &fiscalEnd,
             const QDate &date);

// The 0-based cell of a fiscal month 1-12 in the 16-cell period layout
// (0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14); 0 for any other value.
int MonthToPeriodIndex(int month);

// One era of the Japanese calendar.
struct TGengoRec {
    QString Name;       // "平成"
    QString ShortName;  // "H"
    QDate StartDate;    // first day of the era
    int StartYear = 0;  // western year of the era's first year
};

// The era table, newest era first.
using TGengoArray = QList<TGengoRec>;

// The one era table of the process. The data module fills it from the system
// table GENGO and falls back to InitGengoTable.
extern TGengoArray GengoTable;

// One built-in era row.
struct TGengo2Rec {
    const char16_t *Name;
    const char16_t *ShortName;
    const char16_t *StartDate; // "yyyy/mm/dd"
    int StartYear;
};

// Fills the era table with the four built-in eras (平成, 昭和, 大正, 明治).
void InitGengoTable();

// A date in the Japanese calendar.
struct TWarekiRec {
    QString GengoName;
    QString GengoShort;
    qint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
};

// Converts a date with the era table. A date before every era gets the oldest
// era; an empty table or the date 0 gives no era and the western year.
// Returns the day.
int DateToWareki(TWarekiRec &rec, const QDate &date);

// Date texts by format key ("yyyy/mm/dd", "yy/mm/dd", "yyyy/m/d", ...), in the
// era or the western form as the operator's date style chooses. Prefix kind of
// the era form: 0 none (the text trimmed), 1 the era name, 2 the short name,
// 3 the short name with every blank removed, other values the era name.
// A key unknown to the era form gives an empty text; in the western form it is
// used as a date pattern. The result is written to result and returned.
QString FormatWarekiDate(const QString &formatKey, int prefixKind, QString &result, const QDate &date);

// The same with the kanji keys ("yyyy年m月d日", "yy年mm月", ...). Prefix kind 3
// is the era name and keeps the blanks.
QString FormatWarekiDateKanji(const QString &formatKey, int prefixKind, QString &result, const QDate &date);

// A period text "start ～ end", each date as "H 27/04/01" in the era form or
// "2015/04/01" in the western form. The result is written to result and returned.
QString FormatKikan(QString &result, const QDate &start, const QDate &end);
