#pragma once
// The metadata of a database as read from its RDB$ tables, one text line per
// object or column, so that two databases made in different ways (a fresh one
// from the schema script, an old one brought up by the upgrade steps) can be
// compared section by section.
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace schemameta {

// Sections: "tables", "columns", "keys", "indexes", "triggers", "procedures",
// "parameters", "functions", "generators", "domains", "exceptions", "views".
// Columns keep their order in the table; everything else is sorted by name.
// Names the engine makes up (RDB$...) and source texts are normalised: blanks
// and line breaks collapse to one blank, and comments are dropped.
using Snapshot = QMap<QString, QStringList>;

// Opens the database file with the test user, reads it and closes it again.
Snapshot read(const QString &databasePath);

// The rows of a query on the database file, each value as text ("<null>").
QList<QStringList> rows(const QString &databasePath, const QString &sql,
                        const QList<QPair<QString, QString>> &params = {});

// One statement in its own transaction.
void exec(const QString &databasePath, const QString &sql);

} // namespace schemameta
