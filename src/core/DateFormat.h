#pragma once
// Date and time texts with the format letters of the accounting family
// (y, m, d, h, n, s, z; "/" and ":" stand for the separators; quoted text is
// literal; letters are read without case, and m right after h is minutes).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

struct TFormatSettings {
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    QString ShortDateFormat = QStringLiteral("yyyy/MM/dd");
    QString LongDateFormat = QStringLiteral("yyyy年MM月dd日");
    QString ShortTimeFormat = QStringLiteral("hh:mm");
    QString LongTimeFormat = QStringLiteral("hh:mm:ss");
};

// The process-wide settings every conversion uses unless it passes its own pattern.
extern TFormatSettings FormatSettings;

// Sets the process-wide formats to their start-up values.
void InitStartupFormats();

QString FormatDateTime(const QString &pattern, const QDateTime &value);
QString FormatDateTime(const QString &pattern, const QDate &value);

QString DateToStr(const QDate &date);          // short date format
QString TimeToStr(const QTime &time);          // long time format
QString DateTimeToStr(const QDateTime &value); // short date, then the time when not midnight

// Reads a date in the order of the short date format (year, month, day),
// split at the date separator. An invalid text gives an invalid date.
QDate StrToDateDef(const QString &text, const QDate &def = QDate());
// The same, throwing platform::Error on an invalid text.
QDate StrToDate(const QString &text);
