#pragma once
// Makes a fresh data root from the schema scripts: the system database and the
// file-manager database in "<root>/data", the list of data-set slots, and one
// company data set in the first slot. Used by the demo, the tests and set-up.
#include <QString>

struct DataRootInfo {
    QString root;       // the data root
    QString sysDir;     // "<root>/data": system and file-manager databases
    QString companyDir; // the folder of the first data set
    bool fileProcedures = false; // the server-side file procedures could be declared
};

// The script text of one schema ("system", "fileman", "company").
QString SchemaScript(const QString &name);

// Creates the databases with the given database user; throws FbError or platform::Error.
DataRootInfo CreateDataRoot(const QString &root, const QString &user, const QString &password);

// Creates a company database in the folder from the company schema.
void CreateCompanyDatabase(const QString &folder, const QString &user, const QString &password);
