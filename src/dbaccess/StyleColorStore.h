#pragma once
// The report colours of one operator and report (STYLECOLOR of the system
// database): frame lines, grid lines, heading rows and total rows, each -1 when
// the report follows the operator's environment colour, and the report's saved
// settings text. Database errors are raised to the caller.
#include "core/EnvUtils.h"

#include <QString>

namespace stylecolorstore {

struct TStyleColorRow {
    TColor LineColor1 = -1;
    TColor LineColor2 = -1;
    TColor NetColor1 = -1;
    TColor NetColor2 = -1;
    QString SSTR;
};

// The row of the operator and style name; false (the row untouched) when there
// is none. Runs in a transaction of its own when none is active, committed.
bool read(int opCode, const QString &styleName, TStyleColorRow &row);

// Updates the row, or inserts it when there is none; the colours the row does
// not carry (LINECOLOR3 to LINECOLOR5) are -1. A transaction started here is
// committed, or rolled back on failure.
void write(int opCode, const QString &styleName, const TStyleColorRow &row);

} // namespace stylecolorstore
