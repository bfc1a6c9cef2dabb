#include "support/TestEnv.h"

#include "core/Currency.h"
#include "dbaccess/DbValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

TEST(Currency, ParsesAndPrintsExactly)
{
    struct Case { const char *text; bool ok; qint64 raw; const char *printed; };
    const Case cases[] = {
        {"0", true, 0, "0"},
        {"1234.5", true, 12345000, "1234.5"},
        {"-1,234.5678", true, -12345678, "-1234.5678"},
        {"0.00005", true, 1, "0.0001"},   // the fifth decimal rounds half away from zero
        {"-0.00005", true, -1, "-0.0001"},
        {"0.00004", true, 0, "0"},
        {"12345678901234.5678", true, 123456789012345678LL, "12345678901234.5678"},
        {".5", true, 5000, "0.5"},
        {"", false, 0, ""},
        {"1.2.3", false, 0, ""},
        {"abc", false, 0, ""},
    };
    for (const Case &c : cases) {
        Currency v;
        EXPECT_EQ(Currency::tryParse(QLatin1String(c.text), v), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(v.raw, c.raw) << c.text;
        EXPECT_EQ(v.toString(), QLatin1String(c.printed)) << c.text;
    }
}

TEST(Currency, ScalesAndConvertsInValues)
{
    EXPECT_EQ(Currency::fromScaled(12345, -2).raw, 1234500);   // 123.45
    EXPECT_EQ(Currency::fromScaled(123456, -6).raw, 1235);     // 0.123456 -> 0.1235
    EXPECT_EQ(Currency::fromScaled(-123455, -6).raw, -1235);
    EXPECT_EQ(Currency::fromScaled(7, 2).raw, 7000000);        // 700
    DbValue v;
    v.setScaled(1999999, -4);
    EXPECT_EQ(v.asInt64(), 199);                               // whole units, truncated
    EXPECT_EQ(v.asCurrency().raw, 1999999);
    v.setString(QStringLiteral(" 42 "));
    EXPECT_EQ(v.asInteger(), 42);
    v.setString(QStringLiteral("x"));
    EXPECT_THROW(v.asInteger(), std::exception);
    v.setString(QStringLiteral("2013/04/01"));
    EXPECT_EQ(v.asDate(), QDate(2013, 4, 1));
}

namespace {

Currency money(const char *text)
{
    Currency c;
    EXPECT_TRUE(Currency::tryParse(QLatin1String(text), c)) << text;
    return c;
}

constexpr RoundingMode kModes[] = {RoundingMode::Truncate, RoundingMode::HalfUp, RoundingMode::Up};

} // namespace

TEST(Currency, CompanySettingsGiveTheirRoundingMode)
{
    struct Case { int setting; RoundingMode mode; };
    const Case cases[] = {
        {0, RoundingMode::Truncate}, {1, RoundingMode::HalfUp}, {2, RoundingMode::Up},
        {3, RoundingMode::HalfUp},   {9, RoundingMode::HalfUp}, {-1, RoundingMode::HalfUp},
    };
    for (const Case &c : cases) EXPECT_EQ(RoundingModeOf(c.setting), c.mode) << c.setting;
}

TEST(Currency, RoundsToWholeYenByEveryMode)
{
    // results for truncate, half up, up
    struct Case { const char *amount; qint64 yen[3]; };
    const Case cases[] = {
        {"80", {80, 80, 80}},
        {"80.4", {80, 80, 81}},
        {"80.4999", {80, 80, 81}},
        {"80.5", {80, 81, 81}},
        {"80.5001", {80, 81, 81}},
        {"80.9999", {80, 81, 81}},
        {"-80.4", {-80, -80, -81}},
        {"-80.4999", {-80, -80, -81}},
        {"-80.5", {-80, -81, -81}},
        {"-80.5001", {-80, -81, -81}},
        {"0.0001", {0, 0, 1}},
        {"-0.0001", {0, 0, -1}},
        {"0.5", {0, 1, 1}},
        {"-0.5", {0, -1, -1}},
        {"0", {0, 0, 0}},
    };
    for (const Case &c : cases)
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(money(c.amount).units(kModes[m]), c.yen[m]) << c.amount << " mode " << m;
            EXPECT_EQ(money(c.amount).rounded(0, kModes[m]), Currency::fromUnits(c.yen[m])) << c.amount << " mode " << m;
        }
    // The smallest amount, -922337203685477.5808, has whole yen too.
    const Currency min = Currency::fromRaw(std::numeric_limits<qint64>::min());
    const qint64 minYen[3] = {-922337203685477, -922337203685478, -922337203685478};
    for (int m = 0; m < 3; ++m) EXPECT_EQ(min.units(kModes[m]), minYen[m]) << "mode " << m;
}

TEST(Currency, RoundsToDecimalsByEveryMode)
{
    // results for truncate, half up, up
    struct Case { const char *amount; int decimals; const char *rounded[3]; };
    const Case cases[] = {
        {"1.2345", 3, {"1.234", "1.235", "1.235"}},
        {"1.2344", 3, {"1.234", "1.234", "1.235"}},
        {"1.2346", 3, {"1.234", "1.235", "1.235"}},
        {"-1.2345", 3, {"-1.234", "-1.235", "-1.235"}},
        {"-1.2344", 3, {"-1.234", "-1.234", "-1.235"}},
        {"0.125", 2, {"0.12", "0.13", "0.13"}},
        {"0.1249", 2, {"0.12", "0.12", "0.13"}},
        {"0.1251", 2, {"0.12", "0.13", "0.13"}},
        {"-0.125", 2, {"-0.12", "-0.13", "-0.13"}},
        {"-0.1251", 2, {"-0.12", "-0.13", "-0.13"}},
        {"2.05", 1, {"2", "2.1", "2.1"}},
        {"-2.0499", 1, {"-2", "-2", "-2.1"}},
        {"9.9999", 3, {"9.999", "10", "10"}},
        {"1.23", 2, {"1.23", "1.23", "1.23"}},
        {"1.2345", 4, {"1.2345", "1.2345", "1.2345"}},
        {"1.2345", 6, {"1.2345", "1.2345", "1.2345"}},
    };
    for (const Case &c : cases)
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(money(c.amount).rounded(c.decimals, kModes[m]).toString(), QLatin1String(c.rounded[m]))
                << c.amount << " to " << c.decimals << " mode " << m;
    EXPECT_THROW(money("1.5").rounded(-1, RoundingMode::HalfUp), std::invalid_argument);
    EXPECT_THROW(Currency::fromRaw(std::numeric_limits<qint64>::max()).rounded(0, RoundingMode::Up), std::overflow_error);
}

TEST(Currency, FixedDecimalTextIsExact)
{
    // results for truncate, half up, up
    struct Case { const char *amount; int decimals; const char *text[3]; };
    const Case cases[] = {
        {"0.1245", 3, {"0.124", "0.125", "0.125"}}, // a binary double would give 0.124 for half up
        {"0.2", 3, {"0.200", "0.200", "0.200"}},
        {"-3", 2, {"-3.00", "-3.00", "-3.00"}},
        {"12.5", 0, {"12", "13", "13"}},
        {"-0.0004", 3, {"0.000", "0.000", "-0.001"}}, // a value rounded to zero has no sign
        {"-0.0005", 3, {"0.000", "-0.001", "-0.001"}},
        {"1.5", 6, {"1.500000", "1.500000", "1.500000"}},
        {"123456789012.9951", 2, {"123456789012.99", "123456789013.00", "123456789013.00"}},
        {"0", 4, {"0.0000", "0.0000", "0.0000"}},
    };
    for (const Case &c : cases)
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(money(c.amount).toFixed(c.decimals, kModes[m]), QLatin1String(c.text[m]))
                << c.amount << " with " << c.decimals << " mode " << m;

    // Values with another number of decimals: rates in parts per 100,000.
    struct Scaled { qint64 value; int scale; int decimals; RoundingMode mode; const char *text; };
    const Scaled scaled[] = {
        {6552, 5, 5, RoundingMode::HalfUp, "0.06552"},
        {25000, 5, 3, RoundingMode::HalfUp, "0.250"},
        {100000, 5, 3, RoundingMode::Truncate, "1.000"},
        {0, 5, 5, RoundingMode::Up, "0.00000"},
        {12345, 5, 4, RoundingMode::HalfUp, "0.1235"},
        {-12345, 5, 4, RoundingMode::Truncate, "-0.1234"},
        {-12345, 5, 4, RoundingMode::Up, "-0.1235"},
        {7, 0, 2, RoundingMode::HalfUp, "7.00"},
        {std::numeric_limits<qint64>::min(), 4, 4, RoundingMode::HalfUp, "-922337203685477.5808"},
    };
    for (const Scaled &c : scaled)
        EXPECT_EQ(FixedDecimalText(c.value, c.scale, c.decimals, c.mode), QLatin1String(c.text)) << c.value << " " << c.scale;
    EXPECT_THROW(FixedDecimalText(1, 19, 2, RoundingMode::HalfUp), std::invalid_argument);
    EXPECT_THROW(FixedDecimalText(1, 2, -1, RoundingMode::HalfUp), std::invalid_argument);
}

TEST(Currency, MultipliesAndDividesByEveryMode)
{
    // results for truncate, half up, up
    struct Case { const char *amount; qint64 num, den; const char *result[3]; };
    const Case cases[] = {
        {"100", 8, 108, {"7.4074", "7.4074", "7.4075"}},       // 7.40740...
        {"-100", 8, 108, {"-7.4074", "-7.4074", "-7.4075"}},
        {"2", 1, 3, {"0.6666", "0.6667", "0.6667"}},
        {"1", 1, -3, {"-0.3333", "-0.3333", "-0.3334"}},
        {"0.0001", 1, 2, {"0", "0.0001", "0.0001"}},           // half of the last decimal
        {"-0.0001", 1, 2, {"0", "-0.0001", "-0.0001"}},
        {"0.0001", 4999, 10000, {"0", "0", "0.0001"}},         // just below half
        {"0.0001", 5001, 10000, {"0", "0.0001", "0.0001"}},    // just above half
        {"1000000", 6552, 100000, {"65520", "65520", "65520"}}, // a rate of the ordinance
        {"1234.5678", 2000, 10000, {"246.9135", "246.9136", "246.9136"}}, // a Currency rate 0.2
    };
    for (const Case &c : cases)
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(money(c.amount).mulDiv(c.num, c.den, kModes[m]).toString(), QLatin1String(c.result[m]))
                << c.amount << " x " << c.num << " / " << c.den << " mode " << m;
            EXPECT_EQ(money(c.amount).checkedMulDiv(c.num, c.den, kModes[m]), money(c.result[m]));
        }

    // The product may exceed 64 bits as long as the result fits.
    const Currency max = Currency::fromRaw(std::numeric_limits<qint64>::max());
    EXPECT_EQ(max.mulDiv(3, 3, RoundingMode::Truncate), max);
    EXPECT_EQ(max.checkedMulDiv(2, 1, RoundingMode::HalfUp), std::nullopt);
    EXPECT_EQ(money("1").checkedMulDiv(1, 0, RoundingMode::HalfUp), std::nullopt);
    EXPECT_THROW(max.mulDiv(2, 1, RoundingMode::HalfUp), std::overflow_error);
    EXPECT_THROW(money("1").mulDiv(1, 0, RoundingMode::HalfUp), std::overflow_error);
}
