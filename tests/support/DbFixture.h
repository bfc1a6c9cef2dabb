#pragma once
// A fresh data root in the test's sandbox (copies of the template databases),
// the system record pointed at it, and a data module over it. TearDown puts the
// process-wide records and hooks the database tests set back to their defaults.
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"

#include <gtest/gtest.h>

#include <memory>

class DbFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs one statement on the company (ACCDAT) or system (ACCDEF) database in its own transaction.
    void exec(const QString &selector, const QString &sql);
    // The first column of the first row of a select.
    QString scalar(const QString &selector, const QString &sql);

    // The folder of data set `rec` beside the system database ("<sysDir>/0002").
    QString slot(int rec) const;
    // A new company database in slot `rec`.
    void addCompany(int rec);
    // Stamps a company database with another data version.
    static void setCompanyVersion(const QString &folder, int major, int minor1, int minor2);
    // Marks the data set of the folder in use by another operator in its information file.
    static void holdByAnotherOperator(const QString &folder, int opCode, const QString &opName);
    // Fills the list row of data set `rec` (name, kind, version, code, a 2025 fiscal year).
    void describeDataSet(int rec, const QString &ent, int type, int major, int minor, const QString &code);

    DataRootInfo root;
    std::unique_ptr<TDM> dm;
};
