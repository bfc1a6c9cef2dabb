#include "core/DateFormat.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(DateFormat, StartupFormatsRoundTrip)
{
    InitStartupFormats();
    const QDate d(2013, 4, 1);
    EXPECT_EQ(DateToStr(d), QStringLiteral("2013/04/01"));
    EXPECT_EQ(StrToDate(QStringLiteral("2013/04/01")), d);
    const QDateTime t(d, QTime(9, 5));
    EXPECT_EQ(FormatDateTime(FormatSettings.ShortTimeFormat, t), QStringLiteral("09:05"));
    EXPECT_EQ(FormatDateTime(FormatSettings.LongTimeFormat, t), QStringLiteral("09:05:00"));
    EXPECT_EQ(TimeToStr(QTime(9, 5)), QStringLiteral("09:05:00"));
    EXPECT_EQ(FormatDateTime(FormatSettings.LongDateFormat, d), QStringLiteral("2013年04月01日"));
}

TEST(DateFormat, FormatLetters)
{
    const QDateTime v(QDate(2015, 4, 1), QTime(13, 7, 9, 42));
    struct Case { const char16_t *pattern; const char16_t *expected; };
    const Case cases[] = {
        {u"YYYY/MM/DD", u"2015/04/01"},          // letters without case
        {u"yy/m/d", u"15/4/1"},
        {u"YYYY/MM/DD hh:nn:ss", u"2015/04/01 13:07:09"},
        {u"hh:mm", u"13:07"},                    // m after h is minutes
        {u"hh:nn:ss.zzz", u"13:07:09.042"},
        {u"yyyy'年'mm'月'", u"2015年04月"},
        {u"ddd", u"水"},
        {u"dddd", u"水曜日"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDateTime(QString::fromUtf16(c.pattern), v), QString::fromUtf16(c.expected));
}

TEST(DateFormat, InvalidDateTexts)
{
    EXPECT_FALSE(StrToDateDef(QStringLiteral("2015/02/30")).isValid());
    EXPECT_FALSE(StrToDateDef(QStringLiteral("abc")).isValid());
    EXPECT_FALSE(StrToDateDef(QStringLiteral("2015/04")).isValid());
    EXPECT_EQ(StrToDateDef(QStringLiteral("15/4/1")), QDate(2015, 4, 1));
    EXPECT_THROW(StrToDate(QStringLiteral("x")), std::exception);
}
