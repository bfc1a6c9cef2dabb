#include "support/TestEnv.h"

#include "platform/Cp932.h"
#include "print/Pager512_Data.h"

#include <gtest/gtest.h>

using namespace pager512;

namespace {

// Every record kind once, some with fields left out, with a header and comments.
const char16_t kEveryKind[] =
    u"*PAGER512*************************************************************\r\n"
    u"*[SETTING]\r\n"
    u"*TITLE=見本\r\n"
    u"*PAPERSIZE=8\r\n"
    u"*NETC1=$A0B0C0\r\n"
    u"*FORMPRINT=FALSE\r\n"
    u"*************************************************************PAGER512*\r\n"
    u"text;100;200;ABC\r\n"
    u"NTEXT;1;2;n;ＭＳ ゴシック;12;B;赤;ON;RIGHT;300;1;\r\n"
    u"UTEXT;3;4;\"u\";;0;;;;;500;;\r\n"
    u"VTEXT;5;6;縦;;x;\r\n"
    u"@;KINGAKU;1,000;9;BI;-20;\r\n"
    u"MEMO;10;20;30;40;メモ;-1;;11;U;青;\r\n"
    u"LINE;1;2;3;4\r\n"
    u"ELINE;1;2;3;4;25;2;緑;\r\n"
    u"BOX;1;2;3;4;;1;黒;白;1;\r\n"
    u"SLINE;500;10;90;4;1;0;黒;;10;\r\n"
    u"RRECT;1;2;3;4;5;6;7;0;黒;白;1;\r\n"
    u"FRECT;1;2;3;4;薄網掛;2;\r\n"
    u"CIRCLE;1;2;3;4;2;0;黒;赤;4;\r\n"
    u"MARUMOJI;50;60;40;済;;;;;\r\n"
    u"IMAGE;1;2;3;4;logo.bmp;1;\r\n"
    u"* a comment line\r\n"
    u"UNKNOWN;1;2;3;\r\n"
    u"E;\r\n"
    u"CHART;chart.wmf;1;2;3;4;2;\r\n"
    u"BP;100;100;2;0;黒;\r\n"
    u"LINEB;200;150;\r\n"
    u"LEFTMARGIN;-30;\r\n"
    u"TOPMARGIN;abc;\r\n"
    u"FORM;sub.51F;TRUE;10;20;\r\n"
    u"MESSAGE;用紙を替えてください;\r\n"
    u"ORIENTATION;1;\r\n"
    u"TEXT;10;20;1/2;ＭＳ 明朝;10;;黒;OFF;1;0;0;*AUTO*\r\n"
    u"e;\r\n";

QByteArray everyKindFile() { return platform::toCp932(QString::fromUtf16(kEveryKind)); }

struct Expect {
    const char *keyword;
    QStringList values; // every field of the kind, numbers written as their value
};

QStringList valuesOf(const TRecord &r)
{
    QStringList out;
    for (const TRecordField &f : r.Fields)
        out << (f.Numeric ? QString::number(f.Number) : f.Text);
    return out;
}

QStringList L(std::initializer_list<const char16_t *> v)
{
    QStringList out;
    for (const char16_t *s : v)
        out << QString::fromUtf16(s);
    return out;
}

} // namespace

TEST(PrintDataReader, EveryRecordKindWithItsFieldsAndDefaults)
{
    const QList<TPage> pages = readPages(everyKindFile());
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].Closed);
    EXPECT_TRUE(pages[1].Closed);

    const QList<Expect> page1 = {
        {"TEXT", L({u"100", u"200", u"ABC", u"", u"10", u"", u"", u"", u"", u"0", u"0"})},
        {"NTEXT", L({u"1", u"2", u"n", u"ＭＳ ゴシック", u"12", u"B", u"赤", u"ON", u"RIGHT", u"300", u"1"})},
        {"UTEXT", L({u"3", u"4", u"u", u"", u"0", u"", u"", u"", u"", u"500", u"0"})},
        {"VTEXT", L({u"5", u"6", u"縦", u"", u"10", u"", u"", u"", u"", u"0", u"0"})},
        {"@", L({u"KINGAKU", u"1,000", u"9", u"BI", u"-20"})},
        {"MEMO", L({u"10", u"20", u"30", u"40", u"メモ", u"-1", u"", u"11", u"U", u"青"})},
        {"LINE", L({u"1", u"2", u"3", u"4", u"1", u"0", u""})},
        {"ELINE", L({u"1", u"2", u"3", u"4", u"25", u"2", u"緑"})},
        {"BOX", L({u"1", u"2", u"3", u"4", u"1", u"1", u"黒", u"白", u"1"})},
        {"SLINE", L({u"500", u"10", u"90", u"4", u"1", u"0", u"黒", u"", u"10"})},
        {"RRECT", L({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"0", u"黒", u"白", u"1"})},
        {"FRECT", L({u"1", u"2", u"3", u"4", u"薄網掛", u"2"})},
        {"CIRCLE", L({u"1", u"2", u"3", u"4", u"2", u"0", u"黒", u"赤", u"4"})},
        {"MARUMOJI", L({u"50", u"60", u"40", u"済", u"", u"10", u"", u""})},
        {"IMAGE", L({u"1", u"2", u"3", u"4", u"logo.bmp", u"1"})},
    };
    const QList<Expect> page2 = {
        {"CHART", L({u"chart.wmf", u"1", u"2", u"3", u"4", u"2"})},
        {"BP", L({u"100", u"100", u"2", u"0", u"黒"})},
        {"LINEB", L({u"200", u"150"})},
        {"LEFTMARGIN", L({u"-30"})},
        {"TOPMARGIN", L({u"0"})},
        {"FORM", L({u"sub.51F", u"TRUE", u"10", u"20"})},
        {"MESSAGE", L({u"用紙を替えてください"})},
        {"ORIENTATION", L({u"1"})},
        {"TEXT", L({u"10", u"20", u"1/2", u"ＭＳ 明朝", u"10", u"", u"黒", u"OFF", u"1", u"0", u"0"})},
    };
    const QList<QList<Expect>> expected = {page1, page2};
    for (int p = 0; p < 2; ++p) {
        ASSERT_EQ(pages[p].Records.size(), expected[p].size()) << "page " << p + 1;
        for (int i = 0; i < expected[p].size(); ++i) {
            const TRecord &r = pages[p].Records[i];
            EXPECT_EQ(r.Keyword, QString::fromLatin1(expected[p][i].keyword)) << "page " << p + 1 << " record " << i;
            EXPECT_EQ(valuesOf(r), expected[p][i].values) << expected[p][i].keyword;
        }
    }
    EXPECT_EQ(pages[1].Records.last().Extra, QStringList{QStringLiteral("*AUTO*")});
    EXPECT_EQ(pages[0].Records[0].Kind, TRecordKind::Text);
    EXPECT_EQ(pages[0].Records[4].num(QStringLiteral("dy")), -20);
    EXPECT_EQ(countPageEnds(everyKindFile()), 2);

    const THeader h = readHeader(everyKindFile());
    EXPECT_EQ(h.Title, QStringLiteral("見本"));
    EXPECT_EQ(h.PaperSize, 8);
    EXPECT_EQ(h.NetColor1, 0xA0B0C0);
    EXPECT_FALSE(h.FormPrint);
    EXPECT_EQ(h.Copies, 1); // missing key keeps its default
}

TEST(PrintDataReader, LineRules)
{
    TRecord a, b;
    ASSERT_TRUE(parseRecord(QStringLiteral("TEXT;1;2;A\"B\""), a));
    ASSERT_TRUE(parseRecord(QStringLiteral("TEXT;1;2;AB;"), b));
    EXPECT_EQ(valuesOf(a), valuesOf(b));
    TRecord r;
    EXPECT_FALSE(parseRecord(QString(), r));
    EXPECT_FALSE(parseRecord(QStringLiteral("*PATH=x"), r));
    EXPECT_FALSE(parseRecord(QStringLiteral("PICTURE;1;2;"), r));
    EXPECT_FALSE(parseRecord(QStringLiteral(";;;"), r));
    EXPECT_EQ(splitRecordLine(QStringLiteral("A;;B")), (QStringList{"A", "", "B"}));
}

TEST(PrintDataReader, NumericFields)
{
    struct Case {
        const char *text;
        int def;
        int expected;
    } cases[] = {
        {"12", 0, 12}, {"-7", 0, -7}, {"+7", 0, 7}, {"  5", 0, 5}, {"", 10, 10}, {"abc", 1, 1},
        {"1.5", 3, 3}, {"5 ", 4, 4}, {"-", 9, 9}, {"2147483647", 0, 2147483647},
        {"-2147483648", 0, -2147483647 - 1}, {"2147483648", 6, 6}, {"99999999999999999999", 2, 2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fieldInt(QString::fromLatin1(c.text), c.def), c.expected) << c.text;
}

TEST(PrintDataReader, PageEnds)
{
    // "E" without ";" ends the page but is not counted; the last page needs no end.
    const QByteArray bytes("LINE;1;1;2;2;\r\nE\r\nLINE;3;3;4;4;\nE;\rBOX;0;0;1;1;");
    const QList<TPage> pages = readPages(bytes);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].Closed);
    EXPECT_TRUE(pages[1].Closed);
    EXPECT_FALSE(pages[2].Closed);
    EXPECT_EQ(pages[2].Records.first().Keyword, QStringLiteral("BOX"));
    EXPECT_EQ(countPageEnds(bytes), 1);
}

TEST(PrintDataReader, WrittenRecordsReadBack)
{
    TRecord r;
    ASSERT_TRUE(parseRecord(platform::fromCp932(textRecord(10, 20, QStringLiteral("a;b"), QStringLiteral("F"), 9,
                                                           QStringLiteral("B"), QStringLiteral("黒"),
                                                           QStringLiteral("赤"), QStringLiteral("right"), 0)),
                            r));
    EXPECT_EQ(valuesOf(r), L({u"10", u"20", u"a:b", u"F", u"9", u"B", u"黒", u"赤", u"RIGHT", u"0", u"0"}));
    ASSERT_TRUE(parseRecord(platform::fromCp932(blankPageMark()), r));
    EXPECT_EQ(valuesOf(r), L({u"100", u"100", u"101", u"101", u"0", u"0", u"黒", u"白", u"1"}));
}

TEST(PrintDataReader, HeaderRoundTrip)
{
    THeader h;
    h.Path = QStringLiteral("/tmp/x");
    h.Title = QStringLiteral("題\r名");
    h.FormFile = QStringLiteral("a.51F");
    h.OutPutPaper = 12;
    h.UserColor2 = 0x123456;
    h.PageNoSwitch = true;
    h.PageNoFormat = QStringLiteral("%d頁");
    const THeader r = readHeader(headerBlock(h) + "E;\r\n*TITLE=after the first page\r\n");
    EXPECT_EQ(r.Path, h.Path);
    EXPECT_EQ(r.Title, QStringLiteral("題 名"));
    EXPECT_EQ(r.FormFile, h.FormFile);
    EXPECT_EQ(r.OutPutPaper, 12);
    EXPECT_EQ(r.UserColor2, 0x123456);
    EXPECT_TRUE(r.PageNoSwitch);
    EXPECT_EQ(r.PageNoFormat, h.PageNoFormat);
}

TEST(PrintDataReader, AutomaticPageNumberRecord)
{
    TPageNumberStyle s;
    s.Left = 1000;
    s.Top = 2800;
    s.Alignment = 1;
    EXPECT_EQ(platform::fromCp932(autoPageNumberRecord(s, QStringLiteral("(1/3)"))),
              QStringLiteral("TEXT;1000;2800;(1/3);ＭＳ 明朝;10;;黒;OFF;1;0;0;*AUTO*"));
}

TEST(PrintDataReader, FormatWithIntegers)
{
    struct Case {
        const char *format;
        QList<int> args;
        bool ok;
        const char *out;
    } cases[] = {
        {"(%d/%d)", {1, 3}, true, "(1/3)"},
        {"%3d|%-3d|%.2d", {7, 8, 9}, true, "  7|8  |09"},
        {"%x %u %%", {255, 4}, true, "FF 4 %"},
        {"%1:d %0:d", {1, 2}, true, "2 1"},
        {"%d %d", {1}, false, ""},
        {"%d %s", {1, 2}, false, ""},
        {"%f", {1}, false, ""},
        {"50%", {}, false, ""},
        {"%1025d", {1}, false, ""},
        {"%999999999d", {1}, false, ""},
        {"%.99999999999d", {1}, false, ""},
        {"%*d", {5000, 1}, false, ""},
    };
    for (const Case &c : cases) {
        QString out;
        EXPECT_EQ(formatInts(QString::fromLatin1(c.format), c.args, out), c.ok) << c.format;
        if (c.ok) {
            EXPECT_EQ(out, QString::fromLatin1(c.out)) << c.format;
        }
    }
}
