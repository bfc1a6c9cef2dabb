#include "support/TestEnv.h"

#include "core/EasyEncode.h"

#include <QRandomGenerator>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

TEasyEncodeInfo makeInfo(const QString &key, const QString &plain, int plainLength, int encodeLength)
{
    TEasyEncodeInfo info;
    info.Key = key;
    info.PlainText = plain;
    info.PlainLength = plainLength;
    info.EncodeLength = encodeLength;
    return info;
}

// Decodes the scrambled text of info with its key and plain length, in a fresh record.
QString decoded(const TEasyEncodeInfo &info, bool *ok = nullptr)
{
    TEasyEncodeInfo back = makeInfo(info.Key, QString(), info.PlainLength, info.EncodeLength);
    back.EncodeText = info.EncodeText;
    const bool result = EasyDecode(back);
    if (ok)
        *ok = result;
    return back.PlainText;
}

QString randomText(QRandomGenerator &rng, int length)
{
    static const QString chars =
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QString s;
    for (int i = 0; i < length; ++i)
        s += chars[rng.bounded(chars.size())];
    return s;
}

} // namespace

TEST(EasyEncode, AlphabetAndCompanyKey)
{
    QString sorted = EasyEncodeAlphabet;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), sorted);

    ASSERT_EQ(7, EasyEncodeCompanyKey.size());
    for (QChar c : EasyEncodeCompanyKey)
        EXPECT_TRUE(c >= u'a' && c <= u'z') << int(c.unicode());
}

// Worked by hand. Key "brimpax" (98 114 105 109 112 97 120, then 98 again) gives the
// running sums mod 62: 36 26 7 54 42 15 11 47. "Tax1" padded to "Tax1ABCD" sits at
// alphabet positions 5 12 18 33 23 7 3 8, moved to 41 38 25 25 3 22 14 55.
TEST(EasyEncode, HandCheckedVectorWithPaddingAndKeyWrap)
{
    TEasyEncodeInfo info = makeInfo(EasyEncodeCompanyKey, QStringLiteral("Tax1"), 4, 8);
    EXPECT_EQ(1, EasyEncode(info));
    EXPECT_EQ(QStringLiteral("Tax1ABCD"), info.PlainText);
    EXPECT_EQ(QStringLiteral("IZooC6Hb"), info.EncodeText);

    bool ok = false;
    EXPECT_EQ(QStringLiteral("Tax1"), decoded(info, &ok));
    EXPECT_TRUE(ok);
}

TEST(EasyEncode, PaddingRunsThroughTheAlphabetAndStartsAgain)
{
    TEasyEncodeInfo info = makeInfo(QStringLiteral("k"), QString(), 0, 30);
    EXPECT_EQ(1, EasyEncode(info));
    EXPECT_EQ(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD"), info.PlainText);
    EXPECT_EQ(30, info.EncodeText.size());
    EXPECT_EQ(QString(), decoded(info)); // plain length 0: nothing comes back

    // No padding when the encoded length does not exceed the plain length.
    TEasyEncodeInfo same = makeInfo(QStringLiteral("k"), QStringLiteral("abc"), 3, 3);
    EasyEncode(same);
    EXPECT_EQ(QStringLiteral("abc"), same.PlainText);
}

// The company password as the schema upgrade stores it and the master load reads
// it back: both lengths 8, so a shorter password is not padded.
TEST(EasyEncode, CompanyPasswordWithBothLengthsEight)
{
    for (const QString &password : {QStringLiteral("pw1"), QStringLiteral("Secret99"), QStringLiteral("A")}) {
        TEasyEncodeInfo info = makeInfo(EasyEncodeCompanyKey, password, 8, 8);
        ASSERT_EQ(1, EasyEncode(info));
        EXPECT_EQ(password.size(), info.EncodeText.size());
        EXPECT_NE(password, info.EncodeText);
        bool ok = false;
        EXPECT_EQ(password, decoded(info, &ok));
        EXPECT_TRUE(ok);
    }
}

TEST(EasyEncode, RoundTripOverManyTexts)
{
    QRandomGenerator rng(1128);
    const QStringList keys = {EasyEncodeCompanyKey, QString(), QStringLiteral("z"), QStringLiteral("keyword"),
                              QStringLiteral("abcdefghijklmnopqrstuvwxyz0123")};
    for (int round = 0; round < 400; ++round) {
        const QString key = keys[round % keys.size()];
        const int length = rng.bounded(0, 256);
        const QString plain = randomText(rng, length);
        const int encodeLength = length + rng.bounded(0, 256 - length);
        TEasyEncodeInfo info = makeInfo(key, plain, length, encodeLength);
        ASSERT_EQ(1, EasyEncode(info)) << round;
        ASSERT_EQ(qMax(length, encodeLength), info.EncodeText.size()) << round;
        bool ok = false;
        ASSERT_EQ(plain, decoded(info, &ok)) << round << " key " << key.toStdString();
        ASSERT_TRUE(ok) << round;
    }
}

// An empty key leaves the running sum at 0; a key byte of 124 (two rounds of the
// alphabet) keeps it a multiple of 62. Both leave every character in place.
TEST(EasyEncode, SumsOfWholeRoundsLeaveTheTextUnchanged)
{
    const QString plain = QStringLiteral("Hello2World0");
    for (const QString &key : {QString(), QStringLiteral("|"), QStringLiteral("||")}) {
        TEasyEncodeInfo info = makeInfo(key, plain, plain.size(), 0);
        EXPECT_EQ(1, EasyEncode(info));
        EXPECT_EQ(plain, info.EncodeText) << key.toStdString();
    }
}

TEST(EasyEncode, TextLongerThan255IsCutAndReportsFailure)
{
    QRandomGenerator rng(7);
    const QString plain = randomText(rng, 300);
    TEasyEncodeInfo info = makeInfo(EasyEncodeCompanyKey, plain, 300, 0);
    EXPECT_EQ(0, EasyEncode(info));
    EXPECT_EQ(255, info.EncodeText.size());
    bool ok = false;
    EXPECT_EQ(plain.left(255), decoded(info, &ok)); // what was scrambled comes back
    EXPECT_TRUE(ok);

    // Padding that reaches past 255 characters is cut the same way.
    TEasyEncodeInfo padded = makeInfo(EasyEncodeCompanyKey, plain.left(250), 250, 256);
    EXPECT_EQ(0, EasyEncode(padded));
    EXPECT_EQ(255, padded.EncodeText.size());

    // Exactly 255 characters still fit.
    TEasyEncodeInfo full = makeInfo(EasyEncodeCompanyKey, plain.left(250), 250, 255);
    EXPECT_EQ(1, EasyEncode(full));
    EXPECT_EQ(255, full.EncodeText.size());
}

TEST(EasyEncode, BlankOrSymbolCutsBothDirectionsAndReportsFailure)
{
    TEasyEncodeInfo info = makeInfo(EasyEncodeCompanyKey, QStringLiteral("ab cd"), 5, 8);
    EXPECT_EQ(0, EasyEncode(info));
    EXPECT_EQ(2, info.EncodeText.size());

    TEasyEncodeInfo symbol = makeInfo(EasyEncodeCompanyKey, QStringLiteral("Pass-word"), 9, 0);
    EXPECT_EQ(0, EasyEncode(symbol));
    EXPECT_EQ(4, symbol.EncodeText.size());

    // Decoding stops at the foreign character and keeps what came before it.
    TEasyEncodeInfo whole = makeInfo(EasyEncodeCompanyKey, QStringLiteral("abcdef"), 6, 0);
    ASSERT_EQ(1, EasyEncode(whole));
    whole.EncodeText[3] = u'#';
    bool ok = true;
    EXPECT_EQ(QStringLiteral("abc"), decoded(whole, &ok));
    EXPECT_FALSE(ok);

    // A scrambled text shorter than the plain length just ends: not a cut.
    TEasyEncodeInfo shortText = makeInfo(EasyEncodeCompanyKey, QStringLiteral("abc"), 3, 0);
    ASSERT_EQ(1, EasyEncode(shortText));
    shortText.PlainLength = 8;
    ok = false;
    EXPECT_EQ(QStringLiteral("abc"), decoded(shortText, &ok));
    EXPECT_TRUE(ok);
}

TEST(EasyEncode, ClearKeepsTheKey)
{
    TEasyEncodeInfo info = makeInfo(EasyEncodeCompanyKey, QStringLiteral("abc"), 3, 8);
    EasyEncode(info);
    ClearEasyEncodeInfo(info);
    EXPECT_EQ(0, info.PlainLength);
    EXPECT_EQ(0, info.EncodeLength);
    EXPECT_TRUE(info.PlainText.isEmpty());
    EXPECT_TRUE(info.EncodeText.isEmpty());
    EXPECT_EQ(EasyEncodeCompanyKey, info.Key);
}
