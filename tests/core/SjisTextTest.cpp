#include "core/SjisText.h"
#include "platform/Cp932.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

using platform::fromCp932;
using platform::toCp932;

namespace {
QByteArray sj(const char16_t *s) { return toCp932(QString::fromUtf16(s)); }
} // namespace

TEST(SjisText, ByteClasses)
{
    EXPECT_TRUE(IsSjisLeadByte(0x81));
    EXPECT_TRUE(IsSjisLeadByte(0x9F));
    EXPECT_TRUE(IsSjisLeadByte(0xE0));
    EXPECT_TRUE(IsSjisLeadByte(0xFC));
    EXPECT_FALSE(IsSjisLeadByte(0xA0));
    EXPECT_FALSE(IsSjisLeadByte(0xB1)); // half-width katakana
    EXPECT_TRUE(IsSjisTrailByte(0x40));
    EXPECT_FALSE(IsSjisTrailByte(0x7F));
    EXPECT_TRUE(IsSjisTrailByte(0xFC));
}

TEST(SjisText, PadCutsWithoutSplittingACharacter)
{
    struct Case { const char16_t *text; int n; const char16_t *expected; };
    const Case cases[] = {
        {u"ab漢字", 5, u"ab漢 "},     // bytes 5-6 form 字: cut leaves a blank
        {u"abcd漢", 5, u"abcd "},
        {u"ｱｲｳ①", 4, u"ｱｲｳ "},      // half-width katakana are one byte each
        {u"ｱｲｳ①", 5, u"ｱｲｳ①"},
        {u"㈱～", 3, u"㈱ "},
        {u"ab", 4, u"ab  "},
        {u"", 3, u"   "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PadStr(QString::fromUtf16(c.text), c.n), QString::fromUtf16(c.expected)) << c.n;
    // The blank filler stops at 510 bytes: a short text stays unpadded.
    EXPECT_EQ(PadStr(QByteArray("abc"), 600), QByteArray("abc"));
    EXPECT_EQ(SpaceStr(510).size(), 510);
    EXPECT_TRUE(SpaceStr(511).isEmpty());
    EXPECT_TRUE(SpaceStr(0).isEmpty());
}

TEST(SjisText, RightPaddingFixedFieldAndLeftCut)
{
    EXPECT_EQ(PadStrRight(QByteArray("abc"), 5), QByteArray("  abc"));
    EXPECT_EQ(PadStrRight(QByteArray("abcdef"), 3), QByteArray("def"));
    EXPECT_EQ(FixedField(QByteArray("123"), 6), QByteArray("000123"));
    EXPECT_EQ(FixedField(QByteArray("1234567"), 6), QByteArray("234567"));
    EXPECT_EQ(SjisLeft(QStringLiteral("a漢字"), 2), QStringLiteral("a"));
    EXPECT_EQ(SjisLeft(QStringLiteral("a漢字"), 3), QStringLiteral("a漢"));
    EXPECT_EQ(SjisLeft(QStringLiteral("ｱ①ｲ"), 2), QStringLiteral("ｱ"));
    EXPECT_EQ(SjisLength(QStringLiteral("ｱ①ｲ～")), 6);
}

TEST(SjisText, RepairAndCutTest)
{
    // lead byte followed by a byte that cannot be a trail byte
    EXPECT_EQ(RepairSjisTail(QByteArray("a\x88\x20z", 4)), QByteArray("a  z"));
    EXPECT_EQ(RepairSjisTail(QByteArray("ab\x88", 3)), QByteArray("ab "));
    EXPECT_EQ(RepairSjisTail(sj(u"漢字")), sj(u"漢字"));
    const QByteArray t = sj(u"a漢ｱ"); // a, lead, trail, ｱ
    EXPECT_FALSE(IsSjisCut(t, 1));
    EXPECT_TRUE(IsSjisCut(t, 2));
    EXPECT_FALSE(IsSjisCut(t, 3));
    EXPECT_FALSE(IsSjisCut(t, 4));
    EXPECT_FALSE(IsSjisCut(t, 99));            // the last byte ｱ
    EXPECT_TRUE(IsSjisCut(sj(u"メメ"), 3));     // counted in pairs from the first byte
    EXPECT_FALSE(IsSjisCut(sj(u"メメ"), 2));    // 0x81 as a trail byte is no lead
}

TEST(SjisText, TrimZenTrimsWholeCharactersOnly)
{
    EXPECT_EQ(TrimZen(sj(u"　ａ　")), sj(u"ａ"));
    EXPECT_EQ(TrimZen(sj(u" 　 x\t　 ")), sj(u"x"));
    // "メ@" ends in the bytes 0x81 0x40, which are not a full-width blank here.
    EXPECT_EQ(TrimZen(sj(u"メ@")), sj(u"メ@"));
    EXPECT_EQ(TrimZen(sj(u"　")), QByteArray());
    EXPECT_EQ(TrimZen(QStringLiteral("　ａ ")), QStringLiteral("ａ"));
    EXPECT_EQ(RemoveSpaces(sj(u"a b　c")), QByteArray("abc"));
    EXPECT_EQ(RemoveSpaces(QStringLiteral("H 27　/04")), QStringLiteral("H27/04"));
}

TEST(SjisText, SplittingLinesAndNames)
{
    QStringList f;
    EXPECT_EQ(SplitComment(QStringLiteral("a,b//c"), u',', f, 51), 1);
    EXPECT_EQ(f, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    QStringList untouched{QStringLiteral("keep")};
    EXPECT_EQ(SplitComment(QStringLiteral("//x"), u',', untouched, 51), 0);
    EXPECT_EQ(untouched, QStringList{QStringLiteral("keep")});
    QStringList g;
    EXPECT_EQ(SplitComment(QStringLiteral("a,,b"), u',', g, 51), 2);
    EXPECT_EQ(g[1], QString());
    QStringList h;
    EXPECT_EQ(SplitComment(QStringLiteral("1,2,3,4"), u',', h, 2), 1); // capacity respected

    EXPECT_EQ(GetLineOfText(QStringLiteral("a|b|c"), QStringLiteral("|"), 2), QStringLiteral("b"));
    EXPECT_EQ(GetLineOfText(QStringLiteral("a|b"), QStringLiteral("|"), 3), QString());
    EXPECT_EQ(GetNameValueLine(QStringLiteral("SyoriType=3\r\nDataType=-13"), QStringLiteral("datatype")),
              QStringLiteral("DataType=-13"));
    EXPECT_EQ(GetNameValueLine(QStringLiteral("a=1"), QStringLiteral("b")), QString());
    EXPECT_EQ(ReplaceCtrlChars(QStringLiteral("a\tb\r\nc")), QStringLiteral("abc"));
}

TEST(SjisText, WidthFoldingForSearches)
{
    EXPECT_EQ(ZenkakuAlphaFold(sj(u"メａｚＡ")), sj(u"メＡＺＡ"));
    EXPECT_EQ(ZenkakuAlphaFold(QStringLiteral("ａbメ")), QStringLiteral("Ａbメ"));
    EXPECT_EQ(MapString(LCMAP_FULLWIDTH, QStringLiteral("ab 1ｶﾞｲｼｬﾊﾟ")), QStringLiteral("ａｂ　１ガイシャパ"));
    EXPECT_EQ(MapString(LCMAP_HALFWIDTH, QStringLiteral("ＡＢ　ガパ")), QStringLiteral("AB ｶﾞﾊﾟ"));
    EXPECT_EQ(MapString(LCMAP_KATAKANA, QStringLiteral("かな")), QStringLiteral("カナ"));
    // The searches fold both sides this way so that any width and case match.
    EXPECT_EQ(ZenkakuAlphaFold(MapString(LCMAP_FULLWIDTH, QStringLiteral("abc"))),
              ZenkakuAlphaFold(MapString(LCMAP_FULLWIDTH, QStringLiteral("ＡＢｃ"))));
    EXPECT_EQ(SjisLength(MapString(LCMAP_FULLWIDTH, QString(300, u'a'))), 254);
}

TEST(SjisText, NumbersAndFlags)
{
    EXPECT_EQ(FormatMoney(0), QStringLiteral("0"));
    EXPECT_EQ(FormatMoney(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(FormatMoney(-1000), QStringLiteral("-1,000"));
    EXPECT_EQ(FormatMoney(999), QStringLiteral("999"));
    quint32 w = 0;
    SetFlagBit(w, 1);
    SetFlagBit(w, 24);
    EXPECT_EQ(w, 0x800001u);
    SetFlagBit(w, 25);
    SetFlagBit(w, 0);
    EXPECT_EQ(w, 0x800001u);
    EXPECT_EQ(GetFlagBit(0x10, 5), 1);
    EXPECT_EQ(GetFlagBit(0x10, 4), 0);
    EXPECT_EQ(GetFlagBit(0x1, 33), 1); // taken modulo 32
}
