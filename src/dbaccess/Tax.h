#pragma once
// Consumption tax of journal entries: the tax-code table, the rate in force at
// a date, the checks that a tax code fits its account, rounding to whole yen by
// the company's rounding modes, and the split of an entry's amount into net
// amount and tax on each side.
//
// Money is Currency (exact, four decimals). The company settings come from
// AccInf: TAXU_HASUU / TAXH_HASUU (rounding of tax on sales / purchases),
// TAXKANNI (1 simplified taxation), TAXJIGYOU (business category 1-6),
// MAJOR / MINOR1 (data version) and the system accounts 仮払消費税, 仮受消費税, 諸口.
#include "core/Currency.h"

#include <QDate>
#include <QString>

#include <array>

// Tax-calculation methods of an entry (TAXCALCU).
enum : int {
    TaxIncluded = 0,
    TaxExcluded = 1,
    TaxNone = 2,
};

// One row of the rate table.
struct TZeirituRec {
    const char16_t *Name;      // "8%"
    Currency Rate;             // percent
    int ZeirituNo;             // rate number of a journal entry
    int Index;                 // chronological index
    const char16_t *StartDate; // "yyyy/mm/dd"
    int Major;                 // lowest data version
    int Minor;
};

// The rate table in force, newest first.
extern const std::array<TZeirituRec, 3> ZeirituTable;
// The table before the 8 percent rate (kept for reference; not read).
extern const std::array<TZeirituRec, 2> ZeirituTableOld;

// Attributes of a tax code. detail is padded with blanks to 24 CP932 bytes;
// side: 1 debit, 3 credit, 0 none; category: 1 taxable sales, 2 taxable
// purchases, 0 none; kind: 1 plain sales code, 2 business-category code, 0 other.
// An unknown code gives group "Error" padded to 20 bytes, detail " ", side 0,
// category 0, kind 9 and false.
bool GetTaxCodeInfo(int taxCode, QString &group, QString &detail, int &kind, int &category, int &side);

// Adapts a sales code to the company's taxation method: simplified taxation
// turns 110, 310, 610, 630 into code + business category; general taxation
// turns the business-category codes back into 110, 310, 610, 630.
// Returns the new code.
int NormalizeSalesTaxCode(int &taxCode);

// The rate in percent for a rate number (0 standard, 1 three percent,
// 2 five percent) at a date.
Currency TaxRateByDate(int zeirituNo, const QDate &date);

// The rate number valid at a date (others become 0).
int GetZeirituNoByDate(int zeirituNo, const QDate &date);

// Whether a tax code fits an account as far as the tax accounts go. message is
// empty on success or holds a warning; on failure it holds the reason.
bool CheckKaribaraiTaxCode(QString &message, const QString &kamokuCode, int taxCode);

// On the tax-paid or tax-received account only 810 and 910 may stand as the
// counter tax code; any other code is set to 810 and false returned.
bool CheckKarizeiAiteTaxCode(QString &message, const QString &kamokuCode, int &taxCode);

// On the sundry account only 810 and 910 may stand; any other code is set to
// 810 and false returned.
bool CheckSyokutiTaxCode(QString &message, const QString &kamokuCode, int &taxCode);

// The specified-purchase codes 551-553 and 581-583.
bool IsTokuteiShiireTaxCode(int taxCode);

// A specified-purchase code needs a date from 2015-10-01 and the 8 percent rate.
bool CheckTokuteiShiireTaxCode(QString &message, int taxCode, int zeirituNo, const QDate &date);

// The amount rounded to whole yen by a company rounding setting (see
// RoundingModeOf: 0 truncates, 2 rounds up, any other value rounds half up).
Currency RoundCurrency(int mode, Currency amount);
Currency RoundAmount(int mode, Currency amount);

// One side of a journal entry as the tax calculation sees it.
struct TSwkTaxSide {
    QString KamokuCode; // account code
    int TaxCode = 0;
    // results
    int TaxDC = 0;  // side of the tax code (L_TAXDC / R_TAXDC)
    int TaxUH = 0;  // taxable category (L_TAXUH / R_TAXUH)
    Currency Nuk;   // net amount (L_NUK / R_NUK)
    Currency Zei;   // tax (L_ZEI / R_ZEI)
    Currency Rit;   // rate in percent (L_RIT / R_RIT)
};

// A journal entry as the tax calculation sees it.
struct TSwkTaxEntry {
    QDate Date;
    Currency Kingaku;   // amount
    Currency Zeigaku;   // tax amount
    int ZeirituNo = 0;  // rate number
    int AutCalcu = 0;   // automatic calculation (nonzero on)
    int TaxCalcu = 0;   // TaxIncluded, TaxExcluded or TaxNone
    TSwkTaxSide Left;   // debit
    TSwkTaxSide Right;  // credit
};

// Fills the results of one side of the entry. On failure shows
// "仕訳の消費税額が計算できません。" and returns false.
bool CalcLineTax(const TSwkTaxEntry &entry, TSwkTaxSide &side);

// Calculates both sides and the entry's tax; false when a side failed.
bool CalcSiwakeTax(TSwkTaxEntry &entry);
