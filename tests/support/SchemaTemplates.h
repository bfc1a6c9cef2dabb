#pragma once
// The template databases of the test runs: one database per schema made from
// this build's scripts with the test user, kept in the build tree and shared by
// every test process, so a test copies its databases instead of running the
// scripts again.
#include <QString>
#include <QStringList>

namespace testenv {

// The database user and password of every test database.
inline const QString kDbUser = QStringLiteral("DORVEL");
inline const QString kDbPassword = QStringLiteral("zoltup");

// The schemas that have templates.
QStringList templateSchemas();

// The name of the folder of templates made with the user from the scripts (in
// the order of templateSchemas()): a digest, so other scripts or another user
// give another folder.
QString schemaTemplateKey(const QString &user, const QStringList &scripts);

struct SchemaTemplates {
    QString folder; // "<base>/<key>"
    bool made = false; // made by this call; false when another process had made it
};

// The templates of the current scripts below `base`, made by the first process
// that asks while the others wait for it. The folder appears in one rename, once
// its databases are complete and closed; whatever else is below `base` (the
// templates of other scripts, or what a process that died while making them
// left) is removed when they are made. Throws what making the databases throws.
SchemaTemplates findOrMakeSchemaTemplates(const QString &base);

// The folder of templates of this build tree, found or made once per process.
QString schemaTemplateFolder();

} // namespace testenv
