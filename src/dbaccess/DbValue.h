#pragma once
// One typed value of a statement parameter or a result column.
#include "core/Currency.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

class DbValue
{
public:
    enum class Kind { Null, Integer, Scaled, Float, Text, Bytes, Date, Time, Timestamp, Boolean };

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }

    void clear() { *this = DbValue(); }
    void setInteger(qint64 v) { reset(Kind::Integer); m_int = v; }
    void setCurrency(Currency c) { reset(Kind::Scaled); m_int = c.raw; m_scale = -4; }
    void setScaled(qint64 raw, int scale) { reset(Kind::Scaled); m_int = raw; m_scale = scale; }
    void setFloat(double v) { reset(Kind::Float); m_float = v; }
    void setString(const QString &v) { reset(Kind::Text); m_text = v; }
    void setBytes(const QByteArray &v) { reset(Kind::Bytes); m_bytes = v; }
    void setDate(const QDate &v);
    void setTime(const QTime &v) { reset(Kind::Time); m_time = v; }
    void setDateTime(const QDateTime &v);
    void setBoolean(bool v) { reset(Kind::Boolean); m_int = v ? 1 : 0; }
    // From a QVariant of a plain type (null/invalid gives NULL).
    void setVariant(const QVariant &v);

    // Conversions; a NULL gives the empty value of the type.
    QString asString() const;
    qint64 asInt64() const;
    int asInteger() const { return int(asInt64()); }
    Currency asCurrency() const;
    double asFloat() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QTime asTime() const;
    bool asBoolean() const { return asInt64() != 0; }
    QByteArray asBytes() const;
    QVariant asVariant() const;

    // Raw parts for the database layer.
    qint64 rawInt() const { return m_int; }
    int scale() const { return m_scale; }

private:
    void reset(Kind k) { *this = DbValue(); m_kind = k; }

    Kind m_kind = Kind::Null;
    qint64 m_int = 0;
    int m_scale = 0;
    double m_float = 0;
    QString m_text;
    QByteArray m_bytes;
    QDate m_date;
    QTime m_time;
};
