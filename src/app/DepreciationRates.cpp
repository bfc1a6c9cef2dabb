#include "app/DepreciationRates.h"

#include "core/Currency.h"

#include <QString>

#include <mutex>

namespace {

struct CsvRow {
    int life;
    const char *sl, *db250, *rev250, *guar250, *db200, *rev200, *guar200, *oldSl, *oldDb;
};

const CsvRow kRows[] = {
#include "DepreciationRates.inc"
};

// "0.06552" as 6552 parts per 100,000; an empty cell is 0.
long long scaled(const char *text)
{
    const QString t = QString::fromLatin1(text).trimmed();
    if (t.isEmpty()) return 0;
    const qsizetype dot = t.indexOf(u'.');
    const QString whole = dot < 0 ? t : t.left(dot);
    QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    frac = frac.leftJustified(RateDecimals, u'0').left(RateDecimals);
    return whole.toLongLong() * RateScale + frac.toLongLong();
}

struct Tables {
    std::array<TDepreciationRates, 101> t250{}, t200{};
};

const Tables &tables()
{
    static const Tables t = [] {
        Tables out;
        for (int life = 0; life <= 100; ++life) out.t250[size_t(life)].Life = out.t200[size_t(life)].Life = life;
        for (const CsvRow &r : kRows) {
            if (r.life < 0 || r.life > 100) continue;
            TDepreciationRates &a = out.t250[size_t(r.life)];
            TDepreciationRates &b = out.t200[size_t(r.life)];
            a.Teigaku = b.Teigaku = scaled(r.sl);
            a.OldTeigaku = b.OldTeigaku = scaled(r.oldSl);
            a.OldTeiritu = b.OldTeiritu = scaled(r.oldDb);
            a.Teiritu = scaled(r.db250);
            a.Kaitei = scaled(r.rev250);
            a.Hosyo = scaled(r.guar250);
            b.Teiritu = scaled(r.db200);
            b.Kaitei = scaled(r.rev200);
            b.Hosyo = scaled(r.guar200);
        }
        return out;
    }();
    return t;
}

} // namespace

TDepreciationRates RateRow(bool table200, int life)
{
    if (life < 0 || life > 100) {
        TDepreciationRates zero;
        zero.Life = life;
        return zero;
    }
    return table200 ? tables().t200[size_t(life)] : tables().t250[size_t(life)];
}

QString RateText(long long rate, int decimals)
{
    return FixedDecimalText(rate, RateDecimals, decimals, RoundingMode::HalfUp);
}
