#pragma once
// Makes a fresh data root from the schema scripts: the system database and the
// file-manager database in "<root>/data", the list of data-set slots, and one
// company data set in the first slot. Used by the demo, the tests and set-up.
//
// A database made from a script is the same wherever it is made, so a folder
// of such databases, made once, can stand in for the scripts: with a template
// folder set, each new database is a copy of the folder's file of its schema
// ("<schema>.fdb", made by CreateSchemaDatabase from the same scripts and with
// the same user), and only the steps that depend on the new database's place
// are run on it. What a script stamps with the time it runs (the version row
// of the system database) then tells the time the template was made.
#include <QString>

struct DataRootInfo {
    QString root;       // the data root
    QString sysDir;     // "<root>/data": system and file-manager databases
    QString companyDir; // the folder of the first data set
    bool fileProcedures = false; // the server-side file procedures could be declared
};

// The script text of one schema ("system", "fileman", "company").
QString SchemaScript(const QString &name);

// The folder of template databases copied instead of running the scripts; empty
// (the default) runs the scripts. A schema without a file in the folder is made
// from its script. Nobody may be attached to the templates while they are copied.
void SetSchemaTemplateFolder(const QString &folder);
QString SchemaTemplateFolder();

// The file name of a schema's database in a template folder ("company.fdb").
QString SchemaTemplateFile(const QString &schema);

// Creates the database file `path` from the schema (a copy of its template when
// there is one); throws platform::Error when `path` exists, FbError or
// platform::Error when it cannot be made.
void CreateSchemaDatabase(const QString &path, const QString &schema, const QString &user, const QString &password);

// Creates the databases with the given database user; throws FbError or
// platform::Error (a root whose path the data list cannot hold is refused,
// naming it, before anything is made).
DataRootInfo CreateDataRoot(const QString &root, const QString &user, const QString &password);

// Creates a company database in the folder from the company schema.
void CreateCompanyDatabase(const QString &folder, const QString &user, const QString &password);
