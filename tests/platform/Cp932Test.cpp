#include "platform/Cp932.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <iconv.h>

using namespace platform;

TEST(Cp932, RoundTripsCharactersOnlyCp932Has)
{
    // ① ㈱ ～ are outside strict Shift_JIS; half-width katakana is one byte each.
    const QString text = QStringLiteral("株式会社①㈱～ｱｲｳabc\\");
    bool ok = false;
    const QByteArray bytes = toCp932(text, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes.size(), 4 * 2 + 3 * 2 + 3 + 3 + 1);
    EXPECT_EQ(fromCp932(bytes), text);
    EXPECT_EQ(bytes.mid(8, 2), QByteArray("\x87\x40", 2)); // ①
    EXPECT_EQ(bytes.mid(12, 2), QByteArray("\x81\x60", 2)); // ～
}

TEST(Cp932, UnmappableCharacterIsReportedNotSilentlyLost)
{
    bool ok = true;
    const QByteArray bytes = toCp932(QStringLiteral("a😀b"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(bytes, QByteArray("a?b"));
    EXPECT_FALSE(isCp932Encodable(QStringLiteral("한")));
    EXPECT_TRUE(isCp932Encodable(QStringLiteral("漢字")));
}

TEST(Cp932, BrokenBytesDecodeToReplacementCharacter)
{
    // A lone lead byte at the end.
    EXPECT_EQ(fromCp932(QByteArray("ab\x83", 3)), QStringLiteral("ab\uFFFD"));
    EXPECT_EQ(cp932Length(QStringLiteral("ｱア")), 3);
}

TEST(Cp932, DecodingFromABufferMatchesTheCodeConverter)
{
    // Every double-byte character of the lead bytes 0x81 to 0x9F and 0xE0 to
    // 0xFC, and every single byte, decoded from a buffer and as a whole.
    QByteArray all;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            all += char(lead);
            all += char(trail);
            all += 'x';
        }
    }
    // Each character against the converter's own answer through UTF-8, the
    // way the decoder used to go.
    iconv_t cd = iconv_open("UTF-8", "CP932");
    ASSERT_NE(cd, iconv_t(-1));
    int mismatches = 0, valid = 0;
    for (qsizetype i = 0; i + 3 <= all.size(); i += 3) {
        char in[2] = {all[i], all[i + 1]};
        char out[8];
        char *src = in, *dst = out;
        size_t srcLeft = 2, dstLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1)) continue; // not a character: decoded as U+FFFD
        ++valid;
        const QString expected = QString::fromUtf8(out, dst - out) + u'x';
        if (fromCp932(all.constData() + i, 3) != expected && ++mismatches < 5)
            ADD_FAILURE() << "bytes " << QByteArray(in, 2).toHex().toStdString();
    }
    iconv_close(cd);
    EXPECT_GT(valid, 7000);
    EXPECT_EQ(mismatches, 0);

    struct Case {
        const char *what;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"ASCII, backslash and tilde as they are", QByteArray("A1 \\~z"), QStringLiteral("A1 \\~z")},
        {"empty", QByteArray(), QString()},
        {"NUL inside ASCII", QByteArray("a\0b", 3), QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
        {"ASCII then kanji", QByteArray("No.\x8A\xBF\x8E\x9A"), QStringLiteral("No.漢字")},
        {"half-width katakana", QByteArray("\xB1\xB2\xB3"), QStringLiteral("ｱｲｳ")},
        {"NEC special and IBM extension", QByteArray("\x87\x40\xFA\xB1"), QStringLiteral("①﨑")},
        {"a lone lead byte at the end", QByteArray("ab\x83"), QStringLiteral("ab\uFFFD")},
        {"bytes that are not CP932", QByteArray("\x80" "a\xA0" "b"), QStringLiteral("\uFFFDa\uFFFDb")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fromCp932(c.bytes.constData(), c.bytes.size()), c.text);
        EXPECT_EQ(fromCp932(c.bytes), c.text);
    }
}
