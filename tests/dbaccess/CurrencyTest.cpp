#include "support/TestEnv.h"

#include "core/Currency.h"
#include "dbaccess/DbValue.h"

#include <gtest/gtest.h>

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
