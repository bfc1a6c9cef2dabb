#include "core/DateFormat.h"

#include "platform/Error.h"

TFormatSettings FormatSettings;

void InitStartupFormats()
{
    FormatSettings = TFormatSettings();
}

namespace {

const char16_t *const kShortDays[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
const char16_t *const kLongDays[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"};

QString pad(int v, int width)
{
    return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}

int runLength(const QString &p, qsizetype i, QChar c)
{
    int n = 0;
    while (i + n < p.size() && p[i + n].toLower() == c) ++n;
    return n;
}

} // namespace

QString FormatDateTime(const QString &p, const QDateTime &value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < p.size()) {
        const QChar c = p[i];
        const QChar lc = c.toLower();
        if (c == u'"' || c == u'\'') {
            const qsizetype close = p.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? p.size() : close;
            out += p.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c == u'/') { out += FormatSettings.DateSeparator; ++i; continue; }
        if (c == u':') { out += FormatSettings.TimeSeparator; ++i; continue; }
        const int n = runLength(p, i, lc);
        if (lc == u'y') {
            out += n <= 2 ? pad(d.year() % 100, 2) : pad(d.year(), 4);
            afterHour = false;
        } else if (lc == u'm') {
            const int shown = std::min(n, 2);
            if (afterHour) {
                out += shown == 1 ? QString::number(t.minute()) : pad(t.minute(), 2);
            } else if (n >= 3) {
                out += QString::number(d.month()) + QStringLiteral("月");
            } else {
                out += shown == 1 ? QString::number(d.month()) : pad(d.month(), 2);
            }
            afterHour = false;
        } else if (lc == u'd') {
            const int dow = d.dayOfWeek() % 7; // Sunday = 0
            if (n == 1) out += QString::number(d.day());
            else if (n == 2) out += pad(d.day(), 2);
            else if (n == 3) out += QString::fromUtf16(kShortDays[dow]);
            else if (n == 4) out += QString::fromUtf16(kLongDays[dow]);
            else if (n == 5) out += FormatDateTime(FormatSettings.ShortDateFormat, value);
            else out += FormatDateTime(FormatSettings.LongDateFormat, value);
            afterHour = false;
        } else if (lc == u'h') {
            out += n == 1 ? QString::number(t.hour()) : pad(t.hour(), 2);
            afterHour = true;
        } else if (lc == u'n') {
            out += n == 1 ? QString::number(t.minute()) : pad(t.minute(), 2);
            afterHour = false;
        } else if (lc == u's') {
            out += n == 1 ? QString::number(t.second()) : pad(t.second(), 2);
            afterHour = false;
        } else if (lc == u'z') {
            out += n >= 3 ? pad(t.msec(), 3) : QString::number(t.msec());
        } else if (lc == u't' && n == 1) {
            out += FormatDateTime(FormatSettings.ShortTimeFormat, value);
        } else if (lc == u't') {
            out += FormatDateTime(FormatSettings.LongTimeFormat, value);
        } else if (lc == u'c' && n == 1) {
            out += FormatDateTime(FormatSettings.ShortDateFormat, value);
            if (t != QTime(0, 0)) out += u' ' + FormatDateTime(FormatSettings.LongTimeFormat, value);
        } else {
            out += QString(n, c);
        }
        i += n;
    }
    return out;
}

QString FormatDateTime(const QString &pattern, const QDate &value)
{
    return FormatDateTime(pattern, QDateTime(value, QTime(0, 0)));
}

QString DateToStr(const QDate &date)
{
    return FormatDateTime(FormatSettings.ShortDateFormat, date);
}

QString TimeToStr(const QTime &time)
{
    return FormatDateTime(FormatSettings.LongTimeFormat, QDateTime(QDate(1899, 12, 30), time));
}

QString DateTimeToStr(const QDateTime &value)
{
    return FormatDateTime(QStringLiteral("c"), value);
}

QDate StrToDateDef(const QString &text, const QDate &def)
{
    const QStringList parts = text.trimmed().split(FormatSettings.DateSeparator);
    // The order of year, month and day follows the short date format.
    QString order;
    for (QChar c : FormatSettings.ShortDateFormat.toLower())
        if ((c == u'y' || c == u'm' || c == u'd') && !order.contains(c)) order += c;
    if (parts.size() != 3 || order.size() != 3) return def;
    int y = 0, m = 0, d = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int v = parts[i].trimmed().toInt(&ok);
        if (!ok) return def;
        if (order[i] == u'y') y = parts[i].trimmed().size() <= 2 ? (v < 50 ? 2000 + v : 1900 + v) : v;
        else if (order[i] == u'm') m = v;
        else d = v;
    }
    const QDate date(y, m, d);
    return date.isValid() ? date : def;
}

QDate StrToDate(const QString &text)
{
    const QDate d = StrToDateDef(text);
    if (!d.isValid()) throw platform::Error(QStringLiteral("'%1' は正しい日付ではありません。").arg(text));
    return d;
}
