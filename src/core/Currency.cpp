#include "core/Currency.h"

#include <QRegularExpression>
#include <cmath>

Currency Currency::fromScaled(qint64 value, int scale)
{
    // value x 10^scale, expressed with four decimals
    int shift = scale + 4;
    if (shift >= 0) {
        qint64 v = value;
        for (int i = 0; i < shift; ++i) v *= 10;
        return fromRaw(v);
    }
    qint64 div = 1;
    for (int i = 0; i < -shift; ++i) div *= 10;
    qint64 q = value / div, r = value % div;
    if (2 * std::llabs(r) >= div) q += (value < 0 ? -1 : 1);
    return fromRaw(q);
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
