#include "dbaccess/DbValue.h"

#include "core/DateFormat.h"
#include "platform/Error.h"

#include <cmath>

void DbValue::setDate(const QDate &v)
{
    if (!v.isValid()) { clear(); return; }
    reset(Kind::Date);
    m_date = v;
}

void DbValue::setDateTime(const QDateTime &v)
{
    if (!v.isValid()) { clear(); return; }
    reset(Kind::Timestamp);
    m_date = v.date();
    m_time = v.time();
}

void DbValue::setVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull()) { clear(); return; }
    switch (v.typeId()) {
    case QMetaType::Bool: setBoolean(v.toBool()); break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort: setInteger(v.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: setFloat(v.toDouble()); break;
    case QMetaType::QDate: setDate(v.toDate()); break;
    case QMetaType::QTime: setTime(v.toTime()); break;
    case QMetaType::QDateTime: setDateTime(v.toDateTime()); break;
    case QMetaType::QByteArray: setBytes(v.toByteArray()); break;
    default:
        if (v.canConvert<Currency>() && v.typeId() == qMetaTypeId<Currency>()) setCurrency(v.value<Currency>());
        else setString(v.toString());
    }
}

QString DbValue::asString() const
{
    switch (m_kind) {
    case Kind::Null: return QString();
    case Kind::Integer:
    case Kind::Boolean: return QString::number(m_int);
    case Kind::Scaled: return asCurrency().toString();
    case Kind::Float: return QString::number(m_float, 'g', 15);
    case Kind::Text: return m_text;
    case Kind::Bytes: return QString::fromLatin1(m_bytes);
    case Kind::Date: return DateToStr(m_date);
    case Kind::Time: return TimeToStr(m_time);
    case Kind::Timestamp: return DateTimeToStr(QDateTime(m_date, m_time));
    }
    return QString();
}

qint64 DbValue::asInt64() const
{
    switch (m_kind) {
    case Kind::Integer:
    case Kind::Boolean: return m_int;
    case Kind::Scaled: {
        qint64 v = m_int;
        for (int i = m_scale; i < 0; ++i) v /= 10;
        for (int i = 0; i < m_scale; ++i) v *= 10;
        return v;
    }
    case Kind::Float: return qint64(std::llround(m_float));
    case Kind::Text: {
        if (m_text.trimmed().isEmpty()) return 0;
        bool ok = false;
        const qint64 v = m_text.trimmed().toLongLong(&ok);
        if (!ok) throw platform::Error(QStringLiteral("'%1' は正しい整数ではありません。").arg(m_text));
        return v;
    }
    default: return 0;
    }
}

Currency DbValue::asCurrency() const
{
    switch (m_kind) {
    case Kind::Integer:
    case Kind::Boolean: return Currency::fromUnits(m_int);
    case Kind::Scaled: return Currency::fromScaled(m_int, m_scale);
    case Kind::Float: return Currency::fromDouble(m_float);
    case Kind::Text: {
        Currency c;
        if (m_text.trimmed().isEmpty()) return c;
        if (!Currency::tryParse(m_text, c))
            throw platform::Error(QStringLiteral("'%1' は正しい金額ではありません。").arg(m_text));
        return c;
    }
    default: return Currency();
    }
}

double DbValue::asFloat() const
{
    switch (m_kind) {
    case Kind::Integer:
    case Kind::Boolean: return double(m_int);
    case Kind::Scaled: return double(m_int) * std::pow(10.0, m_scale);
    case Kind::Float: return m_float;
    case Kind::Text: return m_text.toDouble();
    default: return 0;
    }
}

QDate DbValue::asDate() const
{
    switch (m_kind) {
    case Kind::Date:
    case Kind::Timestamp: return m_date;
    case Kind::Text: return StrToDateDef(m_text);
    default: return QDate();
    }
}

QDateTime DbValue::asDateTime() const
{
    switch (m_kind) {
    case Kind::Date: return QDateTime(m_date, QTime(0, 0));
    case Kind::Timestamp: return QDateTime(m_date, m_time);
    case Kind::Time: return QDateTime(QDate(1899, 12, 30), m_time);
    default: return QDateTime();
    }
}

QTime DbValue::asTime() const
{
    return (m_kind == Kind::Time || m_kind == Kind::Timestamp) ? m_time : QTime();
}

QByteArray DbValue::asBytes() const
{
    switch (m_kind) {
    case Kind::Bytes: return m_bytes;
    case Kind::Null: return QByteArray();
    default: return asString().toUtf8();
    }
}

QVariant DbValue::asVariant() const
{
    switch (m_kind) {
    case Kind::Null: return QVariant();
    case Kind::Integer: return QVariant(m_int);
    case Kind::Boolean: return QVariant(m_int != 0);
    case Kind::Scaled: return QVariant::fromValue(asCurrency());
    case Kind::Float: return QVariant(m_float);
    case Kind::Text: return QVariant(m_text);
    case Kind::Bytes: return QVariant(m_bytes);
    case Kind::Date: return QVariant(m_date);
    case Kind::Time: return QVariant(m_time);
    case Kind::Timestamp: return QVariant(QDateTime(m_date, m_time));
    }
    return QVariant();
}
