#pragma once
// What the company steps share: their statements kept as resources, the
// question about an existing column that steers a step while it writes its
// script, and the groups of settings columns of ACCDEF1 that several steps
// add when they are missing.
#include <QString>
#include <QStringList>

// The lines of a statement resource of the company steps (":/dbupdate/<name>").
// Throws platform::Error when the build does not carry it.
QStringList UserStepStatements(const QString &name);

// One question to the company database of the data set: it is opened for the
// question alone and closed again; a failed question counts as a missing column.
bool CompanyHasColumn(const QString &table, const QString &column);
// The same question for several columns of a table, asked over one opening:
// one answer per column, in order.
QList<bool> CompanyHasColumns(const QString &table, const QStringList &columns);

// The lines that add ACCDEF1.SDAI_HASUU3, and those that add KESSAN_KIKAN with
// the two cash-flow period columns, each group closed by "COMMIT;".
QStringList Accdef1Hasuu3Lines();
QStringList Accdef1KessanKikanLines();

class FbQuery;
class QDate;

// Company step 1.0.2 before its script: the opening balance of every
// combination written as the prior-year balance of the period before the data
// starts (period 0 for data from the first day of the year, which leaves out
// the profit-and-loss accounts and, for an individual business, the owner's
// accounts). Runs in the caller's transaction.
void RepairPriorYearBalances(FbQuery &q, int dataType, const QDate &kishu, const QDate &kaisi, int kaisino);

// Company step 2.0.4: the default fixed-asset settings of individual
// real-estate businesses written anew, then those of every listed facility.
QStringList KsSetSwkRebuildLines(const QStringList &facilities);
