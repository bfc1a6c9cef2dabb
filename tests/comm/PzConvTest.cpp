#include "support/TestEnv.h"

#include "comm/xPzConv.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

QByteArray cp932(const char16_t *text)
{
    return platform::toCp932(QString::fromUtf16(text));
}

TEST(PzConv, EncodesStandardBase64AndRoundTripsNames)
{
    struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"one byte", QByteArray("A")},
        {"two bytes", QByteArray("AB")},
        {"three bytes", QByteArray("ABC")},
        {"ascii name", QByteArray("Sample Data 2018")},
        {"japanese name", cp932(u"株式会社みどり商事")},
        {"half-width kana", cp932(u"ﾃｽﾄﾃﾞｰﾀ")},
        {"code page 932 only", cp932(u"①㈱～髙")},
        {"trailing lone lead byte", QByteArray("ABC\x82", 4)},
        {"every high byte", [] {
             QByteArray b;
             for (int i = 0x80; i < 0x100; ++i) b += char(i);
             return b;
         }()},
    };
    for (const auto &c : cases) {
        const QByteArray encoded = TxPzConv::EncodeBase64(c.bytes);
        EXPECT_EQ(encoded, c.bytes.toBase64()) << c.what;
        EXPECT_EQ(TxPzConv::DecodeBase64(encoded), c.bytes) << c.what;
    }
    // The name as the relay stores it comes back as the same text.
    for (const char16_t *name : {u"株式会社みどり商事", u"ﾃｽﾄﾃﾞｰﾀ", u"①㈱～髙", u"ABC"}) {
        const QString text = QString::fromUtf16(name);
        EXPECT_EQ(DecodeDataName(EncodeDataName(text)), text);
    }
}

TEST(PzConv, RepairsASplitLastCharacterOfAName)
{
    // A name cut inside its last double-byte character: the half becomes a blank.
    QByteArray cut = cp932(u"株式会社みどり");
    cut.chop(1);
    EXPECT_EQ(EncodeDataName(cut), TxPzConv::EncodeBase64(cp932(u"株式会社みど") + ' '));
    EXPECT_EQ(DecodeDataName(TxPzConv::EncodeBase64(cut)), QString::fromUtf16(u"株式会社みど "));
}

TEST(PzConv, DecoderKeepsItsQuirks)
{
    struct {
        const char *what;
        QByteArray text;
        QByteArray bytes;
    } cases[] = {
        {"padding absorbed", "QQ==", "A"},
        {"one pad", "QUI=", "AB"},
        {"zero in the second place dropped", "QQBC", "AB"},
        {"zero in the third place dropped", "QUEA", "AA"},
        {"zero in the first place kept", "AEFC", QByteArray("\0AB", 3)},
        {"other character counts as 64", "Q!==", "@"},
        {"blank not skipped", "QU JD", "A@\t"},
        {"short trailing group ignored", "QUJDQQ", "ABC"},
        {"bits truncated to a byte", "====", QByteArray("\0", 1)},
        {"line break not skipped", "QUJD\r\nQUJD", QByteArray("ABC\0\x04\x14", 6)},
    };
    for (const auto &c : cases) EXPECT_EQ(TxPzConv::DecodeBase64(c.text), c.bytes) << c.what;
    // Never a zero byte in the second or third place of a group.
    const QByteArray zeros = TxPzConv::DecodeBase64(TxPzConv::EncodeBase64(QByteArray(9, '\0')));
    EXPECT_EQ(zeros, QByteArray(3, '\0'));
}

TEST(PzConv, MapsSixBitValues)
{
    EXPECT_EQ(TxPzConv::SixBitsToChar(0), 'A');
    EXPECT_EQ(TxPzConv::SixBitsToChar(25), 'Z');
    EXPECT_EQ(TxPzConv::SixBitsToChar(26), 'a');
    EXPECT_EQ(TxPzConv::SixBitsToChar(52), '0');
    EXPECT_EQ(TxPzConv::SixBitsToChar(62), '+');
    EXPECT_EQ(TxPzConv::SixBitsToChar(63), '/');
    EXPECT_EQ(TxPzConv::SixBitsToChar(64), '=');
    EXPECT_EQ(TxPzConv::SixBitsToChar(99), '=');
    for (int v = 0; v < 64; ++v) EXPECT_EQ(TxPzConv::CharToSixBits(TxPzConv::SixBitsToChar(v)), v);
    EXPECT_EQ(TxPzConv::CharToSixBits('='), 64);
    EXPECT_EQ(TxPzConv::CharToSixBits('-'), 64);
}

TEST(PzConv, EscapesQueryValues)
{
    EXPECT_EQ(EscapeQueryValue("a+b="), QByteArray("a%2bb%3d"));
    EXPECT_EQ(EscapeQueryValue("ab/cd+/="), QByteArray("ab/cd%2b/%3d"));
    struct {
        QString value;
        QByteArray wire;
    } cases[] = {
        {QStringLiteral("ABCxyz0189"), "ABCxyz0189"},
        {QStringLiteral("a-b.c_d~e"), "a-b.c_d~e"},
        {QStringLiteral("id&Scode=1750"), "id%26Scode%3D1750"},
        {QStringLiteral("pass word+/?#"), "pass%20word%2B%2F%3F%23"},
        {QStringLiteral("x\r\nHost: evil"), "x%0D%0AHost%3A%20evil"},
        {QString::fromUtf16(u"株"), "%8A%94"},
    };
    for (const auto &c : cases) EXPECT_EQ(PercentEncodeQueryValue(c.value), c.wire) << c.value.toStdString();
}

} // namespace
