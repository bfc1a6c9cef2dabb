#include "platform/Cp932.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

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
