#include "support/TestEnv.h"

#include "core/DateFormat.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"

#include <gtest/gtest.h>

namespace {

// Sets the operator's date style for one test and puts the old one back.
class DateStyle
{
public:
    explicit DateStyle(bool wareki) : m_saved(SystemDef.Reserve4Bit[10]) { SystemDef.Reserve4Bit[10] = wareki ? 1 : 0; }
    ~DateStyle() { SystemDef.Reserve4Bit[10] = m_saved; }

private:
    int m_saved;
};

class KikanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = GengoTable;
        InitGengoTable();
    }
    void TearDown() override { GengoTable = m_saved; }

private:
    TGengoArray m_saved;
};

QString S(const char16_t *text) { return QString::fromUtf16(text); }

} // namespace

TEST_F(KikanTest, LeapYearsAndDayArithmetic)
{
    struct Leap { int year; bool leap; };
    for (const Leap &c : {Leap{2016, true}, Leap{2015, false}, Leap{1900, false}, Leap{2000, true},
                          Leap{0, false}, Leap{-4, false}, Leap{10000, false}, Leap{9996, true}})
        EXPECT_EQ(IsLeapYearSafe(c.year), c.leap) << c.year;

    EXPECT_EQ(AddDays(1, QDate(2015, 12, 31)), QDate(2016, 1, 1));
    EXPECT_EQ(AddDays(-1, QDate(2016, 3, 1)), QDate(2016, 2, 29));
    // The date 0 (null) is 1899-12-30 and comes back null.
    EXPECT_EQ(AddDays(1, QDate()), QDate(1899, 12, 31));
    EXPECT_FALSE(AddDays(-1, QDate(1899, 12, 31)).isValid());
    EXPECT_EQ(DayOfDate(QDate(2015, 4, 17)), 17);
    EXPECT_EQ(DayOfDate(QDate()), 30);
}

TEST_F(KikanTest, IncMonthClampKeepsOrClampsTheDay)
{
    struct Case { QDate from; int months; QDate expected; };
    const Case cases[] = {
        {QDate(2015, 1, 31), 1, QDate(2015, 2, 28)},
        {QDate(2016, 1, 31), 1, QDate(2016, 2, 29)},
        {QDate(2015, 3, 31), -1, QDate(2015, 2, 28)},
        {QDate(2015, 12, 15), 1, QDate(2016, 1, 15)},
        {QDate(2016, 1, 15), -1, QDate(2015, 12, 15)},
        {QDate(2015, 5, 31), 1, QDate(2015, 6, 30)},
        {QDate(2015, 1, 15), -13, QDate(2013, 12, 15)},
        {QDate(2015, 11, 30), 14, QDate(2017, 1, 30)},
        {QDate(2015, 8, 31), 0, QDate(2015, 8, 31)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IncMonthClamp(c.months, c.from), c.expected) << c.from.toString(Qt::ISODate).toStdString()
                                                                << " " << c.months;
}

TEST_F(KikanTest, ClosingDateAndMonthsBetween)
{
    struct Case { int closingDay; int offset; QDate date; QDate expected; };
    const Case cases[] = {
        {20, 0, QDate(2015, 4, 20), QDate(2015, 4, 20)},
        {20, 0, QDate(2015, 4, 21), QDate(2015, 5, 20)},
        {20, 0, QDate(2015, 12, 25), QDate(2016, 1, 20)},
        {20, -1, QDate(2015, 4, 21), QDate(2015, 4, 20)},
        {28, 0, QDate(2015, 1, 31), QDate(2015, 2, 28)},
        {99, 0, QDate(2016, 2, 10), QDate(2016, 2, 29)},
        {99, 1, QDate(2016, 1, 31), QDate(2016, 2, 29)},
        {99, -2, QDate(2015, 4, 30), QDate(2015, 2, 28)},
        {31, 0, QDate(2015, 4, 21), QDate(2015, 4, 21)}, // not a closing day: unchanged
        {0, 5, QDate(2015, 4, 21), QDate(2015, 4, 21)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClosingDate(c.offset, c.closingDay, c.date), c.expected)
            << c.closingDay << " " << c.offset << " " << c.date.toString(Qt::ISODate).toStdString();

    struct Months { int closingDay; QDate from; QDate to; int expected; };
    const Months months[] = {
        {20, QDate(2015, 4, 21), QDate(2015, 5, 20), 0},
        {20, QDate(2015, 4, 20), QDate(2015, 4, 21), 1},
        {20, QDate(2015, 5, 21), QDate(2015, 5, 20), -1},
        {99, QDate(2015, 4, 1), QDate(2016, 3, 31), 11},
        {0, QDate(2016, 1, 1), QDate(2015, 12, 31), -1},
    };
    for (const Months &c : months) EXPECT_EQ(MonthsBetween(c.closingDay, c.from, c.to), c.expected);
}

TEST_F(KikanTest, PeriodNumbers)
{
    struct Case { int closingDay; QDate start; QDate end; int flag; QDate date; int expected; };
    const QDate s(2015, 4, 1), e(2016, 3, 31);
    const Case cases[] = {
        {99, s, e, 0, QDate(2015, 6, 15), 3},
        {99, s, e, 0, QDate(2015, 7, 1), 5},
        {99, s, e, 1, QDate(2015, 6, 30), 4},
        {99, s, e, 1, QDate(2016, 3, 31), 16},
        {99, s, e, 1, QDate(2016, 3, 15), 16},
        {99, s, e, 0, QDate(2016, 3, 15), 15},
        {99, s, e, 0, QDate(2015, 3, 31), -1},
        {99, s, e, 0, QDate(2016, 5, 1), 15},
        {99, s, e, 1, QDate(2015, 7, 15), 5},   // not a quarter's last month: the flag drops
        {99, s, e, 1, QDate(2015, 12, 1), 12},  // third quarter's closing
        {99, s, e, 2, QDate(2015, 6, 30), 3},   // only 1 is the closing-entry flag
        {99, s, QDate(2016, 6, 30), 0, QDate(2016, 5, 1), -1}, // thirteenth month
        // closing day 20: the year 2015-03-21 to 2016-03-20
        {20, QDate(2015, 3, 21), QDate(2016, 3, 20), 0, QDate(2015, 4, 20), 1},
        {20, QDate(2015, 3, 21), QDate(2016, 3, 20), 0, QDate(2015, 4, 21), 2},
        {20, QDate(2015, 3, 21), QDate(2016, 3, 20), 1, QDate(2016, 3, 20), 16},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PeriodNo(c.closingDay, c.flag, c.start, c.end, c.date), c.expected)
            << c.date.toString(Qt::ISODate).toStdString() << " flag " << c.flag;

    const int cells[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    for (int month = 1; month <= 12; ++month) EXPECT_EQ(MonthToPeriodIndex(month), cells[month - 1]) << month;
    for (int month : {0, 13, -1}) EXPECT_EQ(MonthToPeriodIndex(month), 0) << month;
}

TEST_F(KikanTest, EraTableAndConversion)
{
    ASSERT_EQ(GengoTable.size(), 4);
    EXPECT_EQ(GengoTable[0].Name, S(u"平成"));
    EXPECT_EQ(GengoTable[0].ShortName, QStringLiteral("H"));
    EXPECT_EQ(GengoTable[0].StartDate, QDate(1989, 1, 8));
    EXPECT_EQ(GengoTable[0].StartYear, 1989);
    EXPECT_EQ(GengoTable[3].Name, S(u"明治"));
    EXPECT_EQ(GengoTable[3].StartDate, QDate(1868, 9, 8));

    struct Case { QDate date; const char16_t *name; const char *shortName; int year; int month; int day; };
    const Case cases[] = {
        {QDate(1989, 1, 7), u"昭和", "S", 64, 1, 7},
        {QDate(1989, 1, 8), u"平成", "H", 1, 1, 8},
        {QDate(1926, 12, 24), u"大正", "T", 15, 12, 24},
        {QDate(1926, 12, 25), u"昭和", "S", 1, 12, 25},
        {QDate(2019, 5, 1), u"平成", "H", 31, 5, 1},
        {QDate(1868, 1, 1), u"明治", "M", 1, 1, 1}, // before every era: the oldest
        {QDate(), u"", "", 1899, 12, 30},           // the date 0: western year
        {QDate(1899, 12, 29), u"明治", "M", 32, 12, 29}, // before the date 0 still has an era
    };
    for (const Case &c : cases) {
        TWarekiRec w;
        w.GengoName = QStringLiteral("stale");
        EXPECT_EQ(DateToWareki(w, c.date), c.day);
        EXPECT_EQ(w.GengoName, S(c.name)) << c.date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(w.GengoShort, QString::fromLatin1(c.shortName));
        EXPECT_EQ(w.Year, c.year) << c.date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(w.Month, c.month);
        EXPECT_EQ(w.Day, c.day);
    }

    // An empty table, or an entry without a name first, gives the western year.
    TWarekiRec w;
    GengoTable.clear();
    DateToWareki(w, QDate(2015, 4, 1));
    EXPECT_TRUE(w.GengoName.isEmpty());
    EXPECT_EQ(w.Year, 2015);
    InitGengoTable();
    GengoTable.prepend(TGengoRec{QString(), QStringLiteral("X"), QDate(2000, 1, 1), 2000});
    DateToWareki(w, QDate(2015, 4, 1));
    EXPECT_TRUE(w.GengoName.isEmpty());
    EXPECT_EQ(w.Year, 2015);
}

TEST_F(KikanTest, WarekiDateTextsInEraForm)
{
    DateStyle style(true);
    struct Case { bool kanji; const char16_t *key; int kind; QDate date; const char16_t *expected; };
    const QDate d(2015, 4, 1), early(1990, 1, 5);
    const Case cases[] = {
        {false, u"yy/mm/dd", 2, d, u"H 27/04/01"},
        {false, u"yy/mm/dd", 3, d, u"H27/04/01"},
        {false, u"yy/mm/dd", 0, d, u"27/04/01"},
        {false, u"yyyy/mm/dd", 1, d, u"平成 27/04/01"},
        {false, u"yyyy/mm/dd", 7, d, u"平成 27/04/01"},
        {false, u"yy/mm/dd", 2, early, u"H 02/01/05"},
        {false, u"yyyy/m/d", 2, early, u"H  2/ 1/ 5"},
        {false, u"yyyy/m/d", 3, early, u"H2/1/5"},
        {false, u"y/m/d", 0, early, u"2/ 1/ 5"},
        {false, u"yyyy/mm", 2, d, u"H 27/04"},
        {false, u"yy/m", 1, early, u"平成  2/ 1"},
        {false, u"yyyy", 2, early, u"H 02"},
        {false, u"y", 2, early, u"H  2"},
        {false, u"yy2/mm/dd", 2, d, u"H27/04/01"},
        {false, u"dd/mm/yyyy", 2, d, u""},
        {false, u"yy/mm/dd", 2, QDate(), u" 1899/12/30"}, // no era for the date 0
        {true, u"yyyy年m月d日", 1, d, u"平成 27年 4月 1日"},
        {true, u"yyyy年m月", 1, early, u"平成  2年 1月"},
        {true, u"yy年m月", 1, d, u"平成 27年 4月"},
        {true, u"yyyy年mm月dd日", 3, d, u"平成 27年04月01日"}, // kind 3: era name, blanks kept
        {true, u"yy年mm月", 2, d, u"H 27年04月"},
        {true, u"yyyy年", 0, early, u"02年"},
        {true, u"y", 2, early, u"H  2年"},
        {true, u"yyyy年 m月 d日", 1, early, u"平成  2年 1月 5日"},
        {true, u"y年 m月", 2, d, u"H 27年 4月"},
        {true, u"yyyy年 mm月 dd日", 1, early, u"平成 02年 01月 05日"},
        {true, u"yy年 mm月", 1, d, u"平成 27年 04月"},
        {true, u"yyyy/mm/dd", 1, d, u""},
    };
    for (const Case &c : cases) {
        QString result = QStringLiteral("stale");
        const QString key = S(c.key);
        const QString returned = c.kanji ? FormatWarekiDateKanji(key, c.kind, result, c.date)
                                         : FormatWarekiDate(key, c.kind, result, c.date);
        EXPECT_EQ(result, S(c.expected)) << key.toStdString() << " kind " << c.kind;
        EXPECT_EQ(returned, result);
    }
}

TEST_F(KikanTest, WarekiDateTextsInWesternForm)
{
    DateStyle style(false);
    struct Case { bool kanji; const char16_t *key; const char16_t *expected; };
    const QDate d(2005, 4, 1);
    const Case cases[] = {
        {false, u"yyyy/mm/dd", u"2005/04/01"},
        {false, u"yy/mm/dd", u"05/04/01"},
        {false, u"yyyy/m/d", u"2005/ 4/ 1"},
        {false, u"yy/m/d", u" 5/ 4/ 1"},
        {false, u"y/m/d", u" 5/ 4/ 1"},
        {false, u"yyyy/m", u"2005/ 4"},
        {false, u"yy/m", u" 5/ 4"},
        {false, u"y/m", u"05/4"}, // the key as platform pattern
        {false, u"yy2/mm/dd", u"05/04/01"},
        {false, u"yyyy年mm月", u"2005年04月"},
        {true, u"yyyy年m月d日", u"2005年 4月 1日"},
        {true, u"yy年m月d日", u" 5年 4月 1日"},
        {true, u"yyyy年m月", u"2005年 4月"},
        {true, u"yy年m月", u"05年 4月"},
        {true, u"yyyy年 m月 d日", u"2005年 4月 1日"},
        {true, u"y年 m月 d日", u"05年 4月 1日"},
        {true, u"yy年 m月", u"05年 4月"},
        {true, u"yyyy年mm月dd日", u"2005年04月01日"},
        {true, u"y", u"05"},
    };
    for (const Case &c : cases) {
        QString result;
        const QString key = S(c.key);
        // The prefix kind plays no part in the western form.
        for (int kind : {0, 3}) {
            if (c.kanji) FormatWarekiDateKanji(key, kind, result, d);
            else FormatWarekiDate(key, kind, result, d);
            EXPECT_EQ(result, S(c.expected)) << key.toStdString() << " kind " << kind;
        }
    }
}

TEST_F(KikanTest, PeriodTexts)
{
    QString result;
    {
        DateStyle style(true);
        EXPECT_EQ(FormatKikan(result, QDate(2015, 4, 1), QDate(2016, 3, 31)), S(u"H 27/04/01 ～ H 28/03/31"));
        EXPECT_EQ(result, S(u"H 27/04/01 ～ H 28/03/31"));
        FormatKikan(result, QDate(1988, 4, 1), QDate(1989, 3, 31));
        EXPECT_EQ(result, S(u"S 63/04/01 ～ H 01/03/31"));
    }
    DateStyle style(false);
    FormatKikan(result, QDate(2015, 4, 1), QDate(2016, 3, 31));
    EXPECT_EQ(result, S(u"2015/04/01 ～ 2016/03/31"));
}
