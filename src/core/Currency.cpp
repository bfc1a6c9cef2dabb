#include "core/Currency.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Wide enough for a product of two amounts.
__extension__ typedef __int128 Wide;

// 10^n for n from 0 to 38.
Wide powerOfTen(int n)
{
    Wide p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

Wide absolute(Wide v) { return v < 0 ? -v : v; }

// num / den (den not 0) as a whole number rounded by the mode; the direction
// of "away from zero" is that of the exact quotient.
Wide divideRounded(Wide num, Wide den, RoundingMode mode)
{
    Wide q = num / den; // toward zero
    const Wide r = num % den;
    if (r == 0 || mode == RoundingMode::Truncate) return q;
    const bool away = mode == RoundingMode::Up || 2 * absolute(r) >= absolute(den);
    if (away) q += (num < 0) != (den < 0) ? -1 : 1;
    return q;
}

bool fits(Wide v)
{
    return v >= std::numeric_limits<qint64>::min() && v <= std::numeric_limits<qint64>::max();
}

} // namespace

QString FixedDecimalText(qint64 value, int scale, int decimals, RoundingMode mode)
{
    if (scale < 0 || scale > 18 || decimals < 0) throw std::invalid_argument("FixedDecimalText: scale or decimals out of range");
    // Rounded to the decimals the value has at most; any further ones are zeros.
    const int kept = std::min(scale, decimals);
    const Wide v = divideRounded(value, powerOfTen(scale - kept), mode);
    const Wide a = absolute(v), unit = powerOfTen(kept);
    QString text = QString::number(quint64(a / unit));
    if (decimals > 0) {
        text += u'.';
        if (kept > 0) text += QStringLiteral("%1").arg(quint64(a % unit), kept, 10, QLatin1Char('0'));
        text += QString(decimals - kept, u'0');
    }
    return v < 0 ? u'-' + text : text;
}

Currency Currency::fromScaled(qint64 value, int scale)
{
    // value x 10^scale, expressed with four decimals
    const int shift = scale + Decimals;
    if (shift >= 0) {
        qint64 v = value;
        for (int i = 0; i < shift; ++i) v *= 10;
        return fromRaw(v);
    }
    if (-shift > 19) return fromRaw(0); // below half of the last decimal whatever the value
    return fromRaw(qint64(divideRounded(value, powerOfTen(-shift), RoundingMode::HalfUp)));
}

bool Currency::tryParse(const QString &text, Currency &out)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?\\s*$"));
    QString t = text;
    t.remove(u',');
    const auto m = re.match(t);
    if (!m.hasMatch()) return false;
    const QString whole = m.captured(2), frac = m.captured(3);
    if (whole.isEmpty() && frac.isEmpty()) return false;
    if (whole.size() > 14) return false;
    qint64 v = whole.isEmpty() ? 0 : whole.toLongLong();
    QString f = frac.left(5).leftJustified(5, u'0');
    qint64 fr = f.left(4).toLongLong();
    v = v * Scale + fr;
    if (f[4] >= u'5') v += 1; // half away from zero on the fifth decimal
    out.raw = m.captured(1) == u"-" ? -v : v;
    return true;
}

Currency Currency::fromDouble(double value)
{
    return fromRaw(qint64(std::llround(value * Scale)));
}

qint64 Currency::units(RoundingMode mode) const
{
    return qint64(divideRounded(raw, Scale, mode));
}

Currency Currency::rounded(int decimals, RoundingMode mode) const
{
    if (decimals < 0) throw std::invalid_argument("Currency::rounded: negative decimals");
    if (decimals >= Decimals) return *this;
    const Wide step = powerOfTen(Decimals - decimals);
    const Wide r = divideRounded(raw, step, mode) * step;
    if (!fits(r)) throw std::overflow_error("Currency::rounded: the amount does not fit");
    return fromRaw(qint64(r));
}

std::optional<Currency> Currency::checkedMulDiv(qint64 num, qint64 den, RoundingMode mode) const
{
    if (den == 0) return std::nullopt;
    const Wide q = divideRounded(Wide(raw) * num, den, mode);
    if (!fits(q)) return std::nullopt;
    return fromRaw(qint64(q));
}

Currency Currency::mulDiv(qint64 num, qint64 den, RoundingMode mode) const
{
    const auto q = checkedMulDiv(num, den, mode);
    if (!q) throw std::overflow_error("Currency::mulDiv: no result that fits");
    return *q;
}

QString Currency::toString() const
{
    const bool neg = raw < 0;
    const quint64 a = neg ? quint64(-(raw + 1)) + 1 : quint64(raw);
    QString s = QString::number(a / Scale);
    quint64 frac = a % Scale;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(u'0')) f.chop(1);
        s += u'.' + f;
    }
    return neg ? u'-' + s : s;
}
