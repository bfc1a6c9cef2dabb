#include "core/MojiBunkatu.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(MojiBunkatu, DelimitedSplitRules)
{
    struct Case { QString text; QStringList items; };
    const Case cases[] = {
        {QString(), {QString()}},
        {QStringLiteral("   "), {QString()}},
        {QStringLiteral("a,,b"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral(",a"), {QString(), QStringLiteral("a")}},
        {QStringLiteral("a,"), {QStringLiteral("a"), QString()}},
        {QStringLiteral("a b,c"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {QStringLiteral("\"x,y\",z"), {QStringLiteral("x,y"), QStringLiteral("z")}},
        {QStringLiteral("\"say \"\"hi\"\"\""), {QStringLiteral("say \"hi\"")}},
        {QStringLiteral("\"ab\"cd"), {QStringLiteral("ab"), QStringLiteral("cd")}},
        {QStringLiteral(" 株式会社 , ㈱①"), {QStringLiteral("株式会社"), QStringLiteral("㈱①")}},
        {QStringLiteral("\"open"), {QStringLiteral("open")}},
        {QStringLiteral("a,b") + QChar(0) + QStringLiteral(",c"), {QStringLiteral("a"), QStringLiteral("b")}}, // ends at NUL
    };
    TMojiBunkatu m;
    for (const Case &c : cases) {
        m.Split(c.text);
        EXPECT_EQ(m.Count, c.items.size()) << c.text.toStdString();
        EXPECT_EQ(m.Items(), c.items) << c.text.toStdString();
    }
    m.Split(QStringLiteral("a,b"));
    EXPECT_EQ(m.Item(2), QString());
    EXPECT_EQ(m.Item(-1), QString());
}

TEST(MojiBunkatu, OtherDelimiters)
{
    TMojiBunkatu m;
    m.Delimiter = u'.';
    m.Split(QStringLiteral("11.0.0"));
    EXPECT_EQ(m.Items(), QStringList({QStringLiteral("11"), QStringLiteral("0"), QStringLiteral("0")}));
    m.Delimiter = u'\\';
    m.Split(QStringLiteral("C:\\data\\001"));
    EXPECT_EQ(m.Count, 3);
    EXPECT_EQ(m.Item(2), QStringLiteral("001"));
    m.Clear();
    EXPECT_EQ(m.Count, 0);
}

TEST(MojiBunkatu, FixedWidthKeepsDoubleByteCharactersWhole)
{
    TMojiBunkatu m;
    m.SplitFixed(QStringLiteral("abc漢字"), 4); // byte 4 is the first half of 漢
    EXPECT_EQ(m.Items(), QStringList({QStringLiteral("abc"), QStringLiteral("漢字")}));
    m.SplitFixed(QStringLiteral("ｱｲｳｴ①"), 4);
    EXPECT_EQ(m.Items(), QStringList({QStringLiteral("ｱｲｳｴ"), QStringLiteral("①")}));
    m.SplitFixed(QStringLiteral("abcdefg"), 3);
    EXPECT_EQ(m.Items(), QStringList({QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("g")}));
    m.SplitFixed(QString(), 3);
    EXPECT_EQ(m.Count, 1);
    EXPECT_EQ(m.Item(0), QString());
}
