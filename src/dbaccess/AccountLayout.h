#pragma once
// Report layouts of the books: the trial-balance totals groups, the cash-flow
// lines and the column names of the budget and actual tables. The general and
// the medical layout (data kind 3 with code system 1) differ; opening a company
// database switches the tables to the layout of its kind.
// Written on the main thread when a company database is opened, read everywhere.
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Trial balance: the totals groups whose additional name (PLUSNAME of
// ACCTOTALNAME) the company master load reads, in the order
// "5880", "5580", "5680", "5780", "5688", "5790"; the same in both layouts.
inline constexpr int SisanhyouTotalCount = 6;
extern std::array<QString, SisanhyouTotalCount> SisanhyouTotalCodes;
// The layout the trial-balance tables were last set to.
extern bool SisanhyouMedical;

// Sets the trial-balance tables to the medical or the general layout.
void SetupSisanhyouTables(bool medical);

// One cash-flow line: its code, its name and the suffix naming its section
// (such as "（経常収支）"; empty for the opening and closing lines).
struct TSikinguriRec {
    QString Code;
    QString Name;
    QString Section;
};
using TSikinguriRecArray = QList<TSikinguriRec>;

// The cash-flow lines of the current layout: 39 general or 38 medical rows, both
// from ("0", "－") to ("99", "流動性現預金").
extern TSikinguriRecArray SikinguriRows;

// Empties the cash-flow lines and fills them with the medical or the general rows.
void SetupSikinguriTables(bool medical);

// Column names of the budget table: "YOSAN01"-"YOSAN15", "YOSAN201"-"YOSAN215",
// "YOSAN301"-"YOSAN315" (45 names, in this order).
const QStringList &YosanColumnNames();
// Column names of the actual table: "JISSEKI01"-"JISSEKI16" (amounts) and
// "JKUBUN01"-"JKUBUN16" (categories), one per period of the fiscal year.
const QStringList &JissekiColumnNames();
const QStringList &JkubunColumnNames();
