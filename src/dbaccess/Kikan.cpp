#include "dbaccess/Kikan.h"

#include "core/DateFormat.h"
#include "dbaccess/Globals.h"
#include "core/SjisText.h"

#include <algorithm>
#include <array>
#include <initializer_list>

TGengoArray GengoTable;

namespace {

// The date 0 of the books.
const QDate kDateZero(1899, 12, 30);

QDate fromNull(const QDate &d) { return DateZeroIfNull(d); }
QDate toNull(const QDate &d) { return NullIfDateZero(d); }

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYearSafe(year)) return 29;
    return days[month - 1];
}

// Fills a printf-like pattern: "%s" takes the prefix, "%d", "%Nd" (right-aligned
// in N places) and "%.Nd" (at least N digits) take the numbers in order.
QString fillPattern(const QString &pattern, const QString &prefix, std::initializer_list<int> numbers)
{
    QString out;
    auto next = numbers.begin();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        const bool precision = pattern[j] == u'.';
        if (precision) ++j;
        int width = 0;
        while (j < pattern.size() && pattern[j].isDigit()) width = width * 10 + pattern[j++].digitValue();
        if (j >= pattern.size()) break;
        if (pattern[j] == u's') {
            out += prefix;
        } else if (pattern[j] == u'd') {
            const int v = next != numbers.end() ? *next++ : 0;
            if (precision) {
                QString digits = QString::number(qAbs(qint64(v))).rightJustified(width, u'0');
                out += v < 0 ? u'-' + digits : digits;
            } else {
                out += QString::number(v).rightJustified(width, u' ');
            }
        } else {
            out += pattern.mid(i, j - i + 1);
        }
        i = j;
    }
    return out;
}

// Blanks and control characters off both ends (half-width only).
QString trimHalf(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 0x20) ++b;
    while (e > b && s[e - 1].unicode() <= 0x20) --e;
    return s.mid(b, e - b);
}

struct EraKey {
    const char16_t *key;
    const char16_t *pattern;
};

// A western pattern: filled with year (two-digit when asked), month and day;
// or, with platform set, a date pattern of the platform.
struct WesternKey {
    const char16_t *key;
    const char16_t *pattern;
    bool twoDigitYear;
    bool platform;
};

const EraKey kEraKeys[] = {
    {u"yyyy/mm/dd", u"%s %.2d/%.2d/%.2d"}, {u"yy/mm/dd", u"%s %.2d/%.2d/%.2d"},
    {u"yyyy/mm", u"%s %.2d/%.2d"},         {u"yy/mm", u"%s %.2d/%.2d"},
    {u"yyyy", u"%s %.2d"},                 {u"yy", u"%s %.2d"},
    {u"yyyy/m/d", u"%s %2d/%2d/%2d"},      {u"yy/m/d", u"%s %2d/%2d/%2d"},
    {u"y/m/d", u"%s %2d/%2d/%2d"},         {u"yyyy/m", u"%s %2d/%2d"},
    {u"yy/m", u"%s %2d/%2d"},              {u"y/m", u"%s %2d/%2d"},
    {u"y", u"%s %2d"},                     {u"yy2/mm/dd", u"%s%.2d/%.2d/%.2d"},
};

const WesternKey kWesternKeys[] = {
    {u"yyyy/m/d", u"%4d/%2d/%2d", false, false},
    {u"yy/m/d", u"%2d/%2d/%2d", true, false},
    {u"y/m/d", u"%2d/%2d/%2d", true, false},
    {u"yyyy/m", u"%4d/%2d", false, false},
    {u"yy/m", u"%2d/%2d", true, false},
    {u"yy2/mm/dd", u"yy/mm/dd", false, true},
};

const EraKey kEraKanjiKeys[] = {
    {u"yyyy年mm月dd日", u"%s %.2d年%.2d月%.2d日"},
    {u"yy年mm月dd日", u"%s %.2d年%.2d月%.2d日"},
    {u"yyyy年mm月", u"%s %.2d年%.2d月"},
    {u"yy年mm月", u"%s %.2d年%.2d月"},
    {u"yyyy年", u"%s %.2d年"},
    {u"yy年", u"%s %.2d年"},
    {u"yyyy年m月d日", u"%s %2d年%2d月%2d日"},
    {u"yy年m月d日", u"%s %2d年%2d月%2d日"},
    {u"y年m月d日", u"%s %2d年%2d月%2d日"},
    {u"yyyy年m月", u"%s %2d年%2d月"},
    {u"yy年m月", u"%s %2d年%2d月"},
    {u"y年m月", u"%s %2d年%2d月"},
    {u"y", u"%s %2d年"},
    {u"yyyy年 m月 d日", u"%s %2d年 %d月 %d日"},
    {u"yy年 m月 d日", u"%s %2d年 %d月 %d日"},
    {u"y年 m月 d日", u"%s %2d年 %d月 %d日"},
    {u"yyyy年 m月", u"%s %2d年 %d月"},
    {u"yy年 m月", u"%s %2d年 %d月"},
    {u"y年 m月", u"%s %2d年 %d月"},
    {u"yyyy年 mm月 dd日", u"%s %.2d年 %.2d月 %.2d日"},
    {u"yy年 mm月 dd日", u"%s %.2d年 %.2d月 %.2d日"},
    {u"yyyy年 mm月", u"%s %.2d年 %.2d月"},
    {u"yy年 mm月", u"%s %.2d年 %.2d月"},
};

const WesternKey kWesternKanjiKeys[] = {
    {u"yyyy年m月d日", u"%4d年%2d月%2d日", false, false},
    {u"yy年m月d日", u"%2d年%2d月%2d日", true, false},
    {u"y年m月d日", u"%2d年%2d月%2d日", true, false},
    {u"yyyy年m月", u"%4d年%2d月", false, false},
    {u"yy年m月", u"%.2d年%2d月", true, false},
    {u"y年m月", u"%.2d年%2d月", true, false},
    {u"yyyy年 m月 d日", u"%4d年 %d月 %d日", false, false},
    {u"yyyy年 m月", u"%4d年 %d月", false, false},
    {u"yy年 m月 d日", u"%.2d年 %d月 %d日", true, false},
    {u"y年 m月 d日", u"%.2d年 %d月 %d日", true, false},
    {u"yy年 m月", u"%.2d年 %d月", true, false},
    {u"y年 m月", u"%.2d年 %d月", true, false},
};

template <typename T, size_t N>
const T *findKey(const T (&table)[N], const QString &key)
{
    for (const T &row : table)
        if (key == QStringView(row.key)) return &row;
    return nullptr;
}

enum class KeySet { Slash, Kanji };

QString formatWareki(KeySet set, const QString &key, int prefixKind, const QDate &date)
{
    const QDate d = fromNull(date);
    if (!IsWarekiDisplay()) {
        const WesternKey *w = set == KeySet::Slash ? findKey(kWesternKeys, key) : findKey(kWesternKanjiKeys, key);
        if (!w) return FormatDateTime(key, d);
        if (w->platform) return FormatDateTime(QString::fromUtf16(w->pattern), d);
        const int year = w->twoDigitYear ? d.year() % 100 : d.year();
        return fillPattern(QString::fromUtf16(w->pattern), QString(), {year, d.month(), d.day()});
    }

    TWarekiRec wareki;
    DateToWareki(wareki, d);
    QString prefix;
    switch (prefixKind) {
    case 0: break;
    case 1: prefix = wareki.GengoName; break;
    case 2: prefix = wareki.GengoShort; break;
    case 3: prefix = set == KeySet::Slash ? wareki.GengoShort : wareki.GengoName; break;
    default: prefix = wareki.GengoName; break;
    }
    const EraKey *e = set == KeySet::Slash ? findKey(kEraKeys, key) : findKey(kEraKanjiKeys, key);
    if (!e) return QString();
    QString text = fillPattern(QString::fromUtf16(e->pattern), prefix, {wareki.Year, wareki.Month, wareki.Day});
    if (prefixKind == 0) text = trimHalf(text);
    else if (prefixKind == 3 && set == KeySet::Slash) text = RemoveSpaces(text);
    return text;
}

} // namespace

QDate NullIfDateZero(const QDate &d) { return d == kDateZero ? QDate() : d; }
QDate DateZeroIfNull(const QDate &d) { return d.isValid() ? d : kDateZero; }

bool IsLeapYearSafe(int year)
{
    if (year < 1 || year > 9999) return false;
    return QDate::isLeapYear(year);
}

QDate AddDays(int days, const QDate &date)
{
    return toNull(fromNull(date).addDays(days));
}

int DayOfDate(const QDate &date)
{
    return fromNull(date).day();
}

QDate IncMonthClamp(int months, const QDate &date)
{
    const QDate d = fromNull(date);
    const int t = d.year() * 12 + d.month() + months;
    int year = t / 12;
    int month = t % 12;
    if (month == 0) {
        month = 12;
        --year;
    }
    if (year < 1 || year > 9999) return QDate();
    const int day = std::min(d.day(), daysInMonth(year, month));
    return toNull(QDate(year, month, day));
}

QDate ClosingDate(int monthOffset, int closingDay, const QDate &date)
{
    const bool dayOfMonth = closingDay >= 1 && closingDay <= 28;
    if (!dayOfMonth && closingDay != ClosingDayMonthEnd) return date;
    const QDate d = fromNull(date);
    int offset = monthOffset;
    if (dayOfMonth && closingDay < d.day()) ++offset; // already in the next accounting month
    const QDate moved = IncMonthClamp(offset, d);
    if (!moved.isValid()) return QDate();
    const int day = dayOfMonth ? closingDay : daysInMonth(moved.year(), moved.month());
    return toNull(QDate(moved.year(), moved.month(), day));
}

int MonthsBetween(int closingDay, const QDate &from, const QDate &to)
{
    const QDate a = fromNull(ClosingDate(0, closingDay, from));
    const QDate b = fromNull(ClosingDate(0, closingDay, to));
    return (b.year() - a.year()) * 12 + (b.month() - a.month());
}

int PeriodNo(int closingDay, int closingEntry, const QDate &fiscalStart, const QDate &fiscalEnd,
             const QDate &date)
{
    const int g = std::min(MonthsBetween(closingDay, fiscalStart, fiscalEnd),
                           MonthsBetween(closingDay, fiscalStart, date));
    bool closing = closingEntry == 1;
    if (closing) {
        if (fromNull(date) == fromNull(fiscalEnd)) return 16;
        closing = g == 2 || g == 5 || g == 8 || g == 11;
    }
    if (g < 0 || g > 11) return -1;
    return g + 1 + g / 3 + (closing ? 1 : 0);
}

int MonthToPeriodIndex(int month)
{
    if (month < 1 || month > 12) return 0;
    return month - 1 + (month - 1) / 3;
}

void InitGengoTable()
{
    static constexpr std::array<TGengo2Rec, 4> builtIn = {{
        {u"平成", u"H", u"1989/01/08", 1989},
        {u"昭和", u"S", u"1926/12/25", 1926},
        {u"大正", u"T", u"1912/07/30", 1912},
        {u"明治", u"M", u"1868/09/08", 1868},
    }};
    GengoTable.clear();
    for (const TGengo2Rec &row : builtIn) {
        const QString text = QString::fromUtf16(row.StartDate);
        // Read in the short date format; the fixed form keeps the table whole
        // should that format have been changed.
        const QDate start = StrToDateDef(text, QDate::fromString(text, QStringLiteral("yyyy/MM/dd")));
        TGengoRec rec;
        rec.Name = QString::fromUtf16(row.Name);
        rec.ShortName = QString::fromUtf16(row.ShortName);
        rec.StartDate = start;
        rec.StartYear = start.isValid() ? start.year() : row.StartYear;
        GengoTable.append(rec);
    }
}

int DateToWareki(TWarekiRec &rec, const QDate &date)
{
    rec = TWarekiRec();
    const QDate d = fromNull(date);
    // Only the date 0 itself stands for "no date"; earlier dates still take an
    // era (the oldest one before its start).
    if (d != kDateZero) {
        for (const TGengoRec &era : GengoTable) {
            if (era.Name.isEmpty()) break;
            rec.GengoName = era.Name;
            rec.GengoShort = era.ShortName;
            rec.Year = qint16(d.year() - era.StartYear + 1);
            if (d >= era.StartDate) break;
        }
    }
    if (rec.GengoName.isEmpty()) rec.Year = qint16(d.year());
    rec.Month = quint16(d.month());
    rec.Day = quint16(d.day());
    return rec.Day;
}

QString FormatWarekiDate(const QString &formatKey, int prefixKind, QString &result, const QDate &date)
{
    try {
        result = formatWareki(KeySet::Slash, formatKey, prefixKind, date);
    } catch (...) {
        result = FormatDateTime(QStringLiteral("yyyy/mm/dd"), fromNull(date));
    }
    return result;
}

QString FormatWarekiDateKanji(const QString &formatKey, int prefixKind, QString &result, const QDate &date)
{
    try {
        result = formatWareki(KeySet::Kanji, formatKey, prefixKind, date);
    } catch (...) {
        result = FormatDateTime(QStringLiteral("yyyy年mm月dd日"), fromNull(date));
    }
    return result;
}

QString FormatKikan(QString &result, const QDate &start, const QDate &end)
{
    auto one = [](const QDate &date) {
        const QDate d = fromNull(date);
        if (!IsWarekiDisplay()) return FormatDateTime(QStringLiteral("yyyy/mm/dd"), d);
        TWarekiRec w;
        DateToWareki(w, d);
        return fillPattern(QStringLiteral("%s %.2d/%.2d/%.2d"), w.GengoShort, {w.Year, w.Month, w.Day});
    };
    result = one(start) + QStringLiteral(" ～ ") + one(end);
    return result;
}
