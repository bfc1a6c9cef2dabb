#pragma once
// Money: an exact fixed-point amount with four decimals (whole units x 10,000),
// and the rounding of exact decimal values, none of it through double.
#include <QMetaType>
#include <QString>

#include <compare>
#include <optional>

// How digits are dropped; the values are those of the company's rounding
// settings (TAXU_HASUU, TAXH_HASUU, SDAI_HASUU1 ...).
enum class RoundingMode : int {
    Truncate = 0, // toward zero
    HalfUp = 1,   // to the nearest, a half away from zero
    Up = 2,       // away from zero whenever a fraction remains
};

// The mode of a company setting: 0 truncates, 2 rounds up, any other value
// rounds half up.
constexpr RoundingMode RoundingModeOf(int setting)
{
    return setting == 0 ? RoundingMode::Truncate : setting == 2 ? RoundingMode::Up : RoundingMode::HalfUp;
}

// value / 10^scale (scale 0 to 18) written with exactly `decimals` decimals,
// rounded by the mode when shortened and padded with zeros when lengthened:
// (6552, 5, 5) "0.06552", (1245, 4, 3, HalfUp) "0.125", (-3, 0, 2) "-3.00".
// A value that rounds to zero carries no sign.
QString FixedDecimalText(qint64 value, int scale, int decimals, RoundingMode mode);

struct Currency {
    qint64 raw = 0; // amount x 10,000

    static constexpr qint64 Scale = 10000;
    static constexpr int Decimals = 4;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 r) { Currency c; c.raw = r; return c; }
    static constexpr Currency fromUnits(qint64 units) { return fromRaw(units * Scale); }
    // From a value with another number of decimals (rounded half away from zero when shortened).
    static Currency fromScaled(qint64 value, int scale);
    // Parses "-1234.5", "1,234" and the like exactly; false on anything else.
    static bool tryParse(const QString &text, Currency &out);
    // A binary floating-point value of the database, to the nearest 0.0001.
    static Currency fromDouble(double value);

    // Whole units, truncated toward zero.
    qint64 units() const { return raw / Scale; }
    // Whole units (whole yen) rounded by the mode.
    qint64 units(RoundingMode mode) const;
    // Rounded to a number of decimals by the mode: 0 gives whole yen; 4 and
    // more leave the amount as it is. Throws std::invalid_argument below 0 and
    // std::overflow_error when the rounded amount does not fit.
    Currency rounded(int decimals, RoundingMode mode) const;

    // this x num / den taken to four decimals by the mode: a rate held as n
    // parts in 10^k is mulDiv(n, 10^k, ...), a third mulDiv(1, 3, ...), a
    // Currency rate r mulDiv(r.raw, Scale, ...). Empty when den is 0 or the
    // result does not fit.
    std::optional<Currency> checkedMulDiv(qint64 num, qint64 den, RoundingMode mode) const;
    // The same; throws std::overflow_error where checkedMulDiv is empty.
    Currency mulDiv(qint64 num, qint64 den, RoundingMode mode) const;

    // The shortest decimal text: "1234.5", "-3", "0.0001".
    QString toString() const;
    // Text with exactly `decimals` decimals, rounded by the mode when
    // shortened: "0.125", "-3.00", "12".
    QString toFixed(int decimals, RoundingMode mode) const { return FixedDecimalText(raw, Decimals, decimals, mode); }

    Currency operator+(Currency o) const { return fromRaw(raw + o.raw); }
    Currency operator-(Currency o) const { return fromRaw(raw - o.raw); }
    Currency operator-() const { return fromRaw(-raw); }
    Currency &operator+=(Currency o) { raw += o.raw; return *this; }
    Currency &operator-=(Currency o) { raw -= o.raw; return *this; }
    auto operator<=>(const Currency &) const = default;
};

Q_DECLARE_METATYPE(Currency)
