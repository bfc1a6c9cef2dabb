#pragma once
// Fixed assets of every depreciation method: the demonstration company and
// the export tests are made from them.
#include <QString>

#include <vector>

struct AssetRow {
    int rec;
    int method;
    const char *kcode;
    const char16_t *name;
    const char *acquired; // yyyy-mm-dd or "" for none
    int life;
    const char *cost, *base, *rate, *ordinary, *extra, *year, *endValue;
    int from, to;
    const char *residual = "0";
    int t250 = 0, t200 = 0;
    const char *adjustedCost = "0";
    const char *revisedCost = "0";
};

// The INSERT of one asset row into the company database.
inline QString AssetInsertSql(const AssetRow &a)
{
    return QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, GSHOUHOU, SYUTODATE, TAIYOUYY, SYUTOKIN, "
                            "KISOKIN, SYOURITU, FUTUSYOUKIN, WARISYOUKIN, SYOUKINKEI, MATUMISYOUKIN, SYOUKIKANSTR, SYOUKIKANEND, "
                            "ZANKAHOSYOUGAKU, TEIRITU250, TEIRITU200, SYUTOKUKAGAKUCHOSEI, KAITEISYUTOKUKAGAKU, "
                            "SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) VALUES "
                            "(%1, ' ', '%2', '%3', '%4', %5, %6, %7, %8, %9, %10, %11, %12, %13, %14, %15, %16, %17, %18, %19, %20, %21, NULL, NULL, NULL, NULL)")
                 .arg(a.rec)
                 .arg(QStringLiteral("%1").arg(a.rec, 4, 10, QLatin1Char('0')), QLatin1String(a.kcode), QString::fromUtf16(a.name))
                 .arg(a.method)
                 .arg(*a.acquired ? QStringLiteral("'%1'").arg(QLatin1String(a.acquired)) : QStringLiteral("NULL"))
                 .arg(a.life)
                 .arg(QLatin1String(a.cost), QLatin1String(a.base), QLatin1String(a.rate), QLatin1String(a.ordinary),
                      QLatin1String(a.extra), QLatin1String(a.year), QLatin1String(a.endValue))
                 .arg(a.from)
                 .arg(a.to)
                 .arg(QLatin1String(a.residual))
                 .arg(a.t250)
                 .arg(a.t200)
                 .arg(QLatin1String(a.adjustedCost), QLatin1String(a.revisedCost));
}


// Straight-line, declining-balance, lease, equal amortisation, small-amount and lump-sum assets.
inline const std::vector<AssetRow> &SixMethodAssets()
{
    static const std::vector<AssetRow> rows = {
            // straight-line: new, old at the 5 % limit, old below it
            {1, 1, "1401", u"本社ビル", "2020-04-01", 50, "10000000", "10000000", "0.020", "200000", "0", "200000", "8800000", 1, 12},
            {2, 1, "1407", u"A旧型複合機（本社）", "2007-03-31", 5, "1000000", "0", "0.369", "0", "0", "0", "50000", 1, 12},
            {3, 1, "1406", u"ABCDEFGHIJKLMNOPQRST", "2000-01-15", 10, "2000000", "0", "0.100", "100000", "0", "100000", "400000", 1, 12},
            // declining-balance: 200 % with a revised base, 250 %, old
            {4, 2, "1407", u"サーバー", "2013-05-10", 10, "1000000", "200000", "0.200", "81920", "0", "81920", "118080", 1, 12,
             "0", 0, 0, "0", "327680"},
            {5, 2, "1406", u"営業車", "2011-04-01", 5, "500000", "300000", "0.500", "150000", "0", "150000", "150000", 1, 12},
            {6, 2, "1407", u"測定器", "2005-06-20", 10, "800000", "0", "0.206", "30000", "0", "30000", "90000", 1, 12},
            // lease, equal amortisation, small amount (one outside the year), lump sum
            {7, 6, "1410", u"コピー機リース", "2023-10-01", 5, "500000", "0", "0", "100000", "0", "100000", "0", 1, 12},
            {8, 3, "1505", u"会計ソフト", "2022-04-01", 3, "0", "300000", "0", "0", "0", "100000", "0", 1, 12},
            {9, 5, "1407", u"ノートパソコン（開発用）", "2024-06-01", 4, "180000", "0", "0", "0", "0", "180000", "0", 3, 12},
            {10, 5, "1407", u"昨年のタブレット", "2024-03-31", 4, "90000", "0", "0", "0", "0", "90000", "0", 1, 12},
            {11, 4, "1411", u"パソコン一式", "2024-05-01", 3, "0", "300000", "0", "0", "0", "100000", "0", 2, 12},
            {12, 4, "1411", u"応接セット", "2024-07-01", 3, "0", "150001", "0", "0", "0", "50000", "0", 4, 12},
    };
    return rows;
}
