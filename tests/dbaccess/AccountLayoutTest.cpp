#include "support/TestEnv.h"

#include "dbaccess/AccountLayout.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

const TSikinguriRec *findRow(const QString &code)
{
    for (const TSikinguriRec &row : SikinguriRows)
        if (row.Code == code)
            return &row;
    return nullptr;
}

void expectRow(const QString &code, const QString &name, const QString &section)
{
    const TSikinguriRec *row = findRow(code);
    ASSERT_NE(nullptr, row) << code.toStdString();
    EXPECT_EQ(name, row->Name) << code.toStdString();
    EXPECT_EQ(section, row->Section) << code.toStdString();
}

// Codes run 0, then from 11 without gaps, then 99; no code twice.
void expectCodeRun(int lastLine)
{
    QStringList expected{QStringLiteral("0")};
    for (int c = 11; c <= lastLine; ++c)
        expected << QString::number(c);
    expected << QStringLiteral("99");
    QStringList codes;
    for (const TSikinguriRec &row : SikinguriRows)
        codes << row.Code;
    EXPECT_EQ(expected, codes);
}

void expectOpeningAndClosingRows()
{
    ASSERT_FALSE(SikinguriRows.isEmpty());
    EXPECT_EQ(QStringLiteral("0"), SikinguriRows.first().Code);
    EXPECT_EQ(QStringLiteral("－"), SikinguriRows.first().Name);
    EXPECT_EQ(QStringLiteral("99"), SikinguriRows.last().Code);
    EXPECT_EQ(QStringLiteral("流動性現預金"), SikinguriRows.last().Name);
}

class AccountLayout : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetupSisanhyouTables(false);
        SetupSikinguriTables(false);
    }
};

} // namespace

TEST_F(AccountLayout, GeneralCashFlowRows)
{
    SetupSikinguriTables(false);
    EXPECT_EQ(39, SikinguriRows.size());
    expectOpeningAndClosingRows();
    expectCodeRun(47);
    expectRow(QStringLiteral("11"), QStringLiteral("現金売上"), QStringLiteral("（経常収支）"));
    expectRow(QStringLiteral("12"), QStringLiteral("売掛金回収"), QStringLiteral("（経常収支）"));
    expectRow(QStringLiteral("18"), QStringLiteral("その他の収入"), QStringLiteral("（経常収支）"));
    expectRow(QStringLiteral("32"), QStringLiteral("その他の収入"), QStringLiteral("（設備等収支）"));
    expectRow(QStringLiteral("42"), QStringLiteral("その他の収入"), QStringLiteral("（財務収支）"));
    expectRow(QStringLiteral("47"), QStringLiteral("その他の支出"), QStringLiteral("（財務収支）"));
}

TEST_F(AccountLayout, MedicalCashFlowRows)
{
    SetupSikinguriTables(true);
    EXPECT_EQ(38, SikinguriRows.size());
    expectOpeningAndClosingRows();
    expectCodeRun(46);
    EXPECT_EQ(QStringLiteral("窓口収入"), findRow(QStringLiteral("11"))->Name);
    EXPECT_EQ(QStringLiteral("医業未収金回収"), findRow(QStringLiteral("12"))->Name);
    EXPECT_EQ(QStringLiteral("給与費"), findRow(QStringLiteral("18"))->Name);
    EXPECT_EQ(QStringLiteral("委託費"), findRow(QStringLiteral("20"))->Name);
    EXPECT_EQ(nullptr, findRow(QStringLiteral("47")));
}

// A line name that appears in more than one section is told apart by its suffix.
TEST_F(AccountLayout, NamesAreUniqueWithTheirSection)
{
    for (bool medical : {false, true}) {
        SetupSikinguriTables(medical);
        QSet<QString> seen;
        for (const TSikinguriRec &row : SikinguriRows) {
            const QString key = row.Name + row.Section;
            EXPECT_FALSE(seen.contains(key)) << row.Code.toStdString();
            seen.insert(key);
        }
    }
}

TEST_F(AccountLayout, SwitchingLayoutsReplacesTheRows)
{
    SetupSikinguriTables(true);
    SetupSikinguriTables(false);
    EXPECT_EQ(39, SikinguriRows.size());
    EXPECT_EQ(QStringLiteral("現金売上"), findRow(QStringLiteral("11"))->Name);
    SetupSikinguriTables(true);
    SetupSikinguriTables(true);
    EXPECT_EQ(38, SikinguriRows.size()); // refilled, not appended
    EXPECT_EQ(QStringLiteral("窓口収入"), findRow(QStringLiteral("11"))->Name);
}

TEST_F(AccountLayout, TotalsGroupsAreTheSameInBothLayouts)
{
    const std::array<QString, SisanhyouTotalCount> expected = {
        QStringLiteral("5880"), QStringLiteral("5580"), QStringLiteral("5680"),
        QStringLiteral("5780"), QStringLiteral("5688"), QStringLiteral("5790")};
    SetupSisanhyouTables(true);
    EXPECT_TRUE(SisanhyouMedical);
    EXPECT_EQ(expected, SisanhyouTotalCodes);
    SetupSisanhyouTables(false);
    EXPECT_FALSE(SisanhyouMedical);
    EXPECT_EQ(expected, SisanhyouTotalCodes);
}

TEST_F(AccountLayout, BudgetAndActualColumnNames)
{
    const QStringList &yosan = YosanColumnNames();
    ASSERT_EQ(45, yosan.size());
    EXPECT_EQ(QStringLiteral("YOSAN01"), yosan[0]);
    EXPECT_EQ(QStringLiteral("YOSAN15"), yosan[14]);
    EXPECT_EQ(QStringLiteral("YOSAN201"), yosan[15]);
    EXPECT_EQ(QStringLiteral("YOSAN215"), yosan[29]);
    EXPECT_EQ(QStringLiteral("YOSAN301"), yosan[30]);
    EXPECT_EQ(QStringLiteral("YOSAN315"), yosan[44]);

    ASSERT_EQ(16, JissekiColumnNames().size());
    EXPECT_EQ(QStringLiteral("JISSEKI01"), JissekiColumnNames().first());
    EXPECT_EQ(QStringLiteral("JISSEKI16"), JissekiColumnNames().last());
    ASSERT_EQ(16, JkubunColumnNames().size());
    EXPECT_EQ(QStringLiteral("JKUBUN01"), JkubunColumnNames().first());
    EXPECT_EQ(QStringLiteral("JKUBUN16"), JkubunColumnNames().last());
}
