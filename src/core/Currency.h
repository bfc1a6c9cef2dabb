#pragma once
// Money: an exact fixed-point amount with four decimals (whole units x 10,000).
#include <QMetaType>
#include <QString>

#include <compare>

struct Currency {
    qint64 raw = 0; // amount x 10,000

    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 r) { Currency c; c.raw = r; return c; }
    static constexpr Currency fromUnits(qint64 units) { return fromRaw(units * Scale); }
    // From a value with another number of decimals (rounded half away from zero when shortened).
    static Currency fromScaled(qint64 value, int scale);
    // Parses "-1234.5", "1,234" and the like exactly; false on anything else.
    static bool tryParse(const QString &text, Currency &out);
    static Currency fromDouble(double value);

    // Whole units, truncated toward zero.
    qint64 units() const { return raw / Scale; }
    double toDouble() const { return double(raw) / Scale; }
    // The shortest decimal text: "1234.5", "-3", "0.0001".
    QString toString() const;

    Currency operator+(Currency o) const { return fromRaw(raw + o.raw); }
    Currency operator-(Currency o) const { return fromRaw(raw - o.raw); }
    Currency operator-() const { return fromRaw(-raw); }
    Currency &operator+=(Currency o) { raw += o.raw; return *this; }
    Currency &operator-=(Currency o) { raw -= o.raw; return *this; }
    auto operator<=>(const Currency &) const = default;
};

Q_DECLARE_METATYPE(Currency)
