#pragma once
// The declining-balance rate tables of the ordinance on useful lives: one row
// per useful life 0 to 100, rates held exactly as parts per 100,000 (the
// ordinance prints at most five decimals).
#include <QString>

#include <array>

struct TDepreciationRates {
    int Life = 0;
    // straight-line, declining-balance, revised, guarantee, old straight-line, old declining-balance
    long long Teigaku = 0, Teiritu = 0, Kaitei = 0, Hosyo = 0, OldTeigaku = 0, OldTeiritu = 0;
};

inline constexpr int RateDecimals = 5;
inline constexpr long long RateScale = 100000; // 10^RateDecimals

// The row of a useful life in the 250 % or the 200 % table; a life outside
// 0 to 100 has no row and reads as zero rates.
TDepreciationRates RateRow(bool table200, int life);

// A rate of the tables with a fixed number of decimals, worked out on its
// exact value (half away from zero when shortened): RateText(6552, 5) is
// "0.06552", RateText(25000, 3) "0.250".
QString RateText(long long rate, int decimals);
