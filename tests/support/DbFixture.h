#pragma once
// A fresh data root in the test's sandbox, the system record pointed at it, and
// a data module over it.
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

    DataRootInfo root;
    std::unique_ptr<TDM> dm;
};
