#pragma once
// What the base form keeps in the databases: each operator's size and place of
// a form (FORMRSIZE of the system database) and the operation log of the open
// company data set (OPINF). Database errors are reported here under the base
// form's operation names.
#include <QRect>
#include <QSize>
#include <QString>

class FbTransaction;

namespace formstore {

// The stored bounds of the form for the operator. A form without a row gets
// one with the default size at the origin, and that is answered. False when a
// database error was reported (nothing is answered).
bool readBounds(const QString &formName, int opCode, const QSize &defaultSize, QRect &bounds);

// Stores the bounds of the form; false when a database error was reported.
bool writeBounds(const QString &formName, int opCode, const QRect &bounds);

// Records in the operation log that a job was opened (state 0) or closed (1),
// in the given transaction of the company database. A database error is
// reported and thrown on.
void writeOperationLog(FbTransaction &tr, int opCode, const QString &job, const QString &pcName, int state);

} // namespace formstore
