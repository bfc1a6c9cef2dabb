#include "dbaccess/Tax.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/Kikan.h"
#include "core/Messages.h"
#include "core/SjisText.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

const std::array<TZeirituRec, 3> ZeirituTable = {{
    {u"8%", Currency::fromUnits(8), 0, 2, u"2014/04/01", 6, 1},
    {u"5%", Currency::fromUnits(5), 2, 1, u"1997/04/01", 1, 0},
    {u"3%", Currency::fromUnits(3), 1, 0, u"1989/04/01", 1, 0},
}};

const std::array<TZeirituRec, 2> ZeirituTableOld = {{
    {u"5%", Currency::fromUnits(5), 0, 1, u"1997/04/01", 1, 0},
    {u"3%", Currency::fromUnits(3), 1, 0, u"1989/04/01", 1, 0},
}};

namespace {

struct TaxCodeRow {
    int code;
    const char16_t *group;
    const char16_t *detail;
    int side;
    int category;
    int kind;
};

// The tax codes in code order.
const TaxCodeRow kTaxCodes[] = {
    {110, u"売上", u"課税売上", 3, 1, 1},
    {111, u"売上", u"第１種課税売上", 3, 1, 2},
    {112, u"売上", u"第２種課税売上", 3, 1, 2},
    {113, u"売上", u"第３種課税売上", 3, 1, 2},
    {114, u"売上", u"第４種課税売上", 3, 1, 2},
    {115, u"売上", u"第５種課税売上", 3, 1, 2},
    {116, u"売上", u"第６種課税売上", 3, 1, 2},
    {120, u"売上", u"免税売上", 3, 0, 0},
    {130, u"売上", u"非課税売上", 3, 0, 0},
    {140, u"売上", u"非課税売上（有価証券）", 3, 0, 0},
    {150, u"売上", u"非課税売上（輸出等）", 3, 0, 0},

    {210, u"貸倒回収", u"課税売上", 3, 1, 0},
    {220, u"貸倒回収", u"免税売上", 3, 0, 0},
    {230, u"貸倒回収", u"非課税売上", 3, 0, 0},
    {240, u"貸倒回収", u"非課税売上（有価証券）", 3, 0, 0},
    {250, u"貸倒回収", u"非課税売上（輸出等）", 3, 0, 0},

    {310, u"返還", u"課税売上", 1, 1, 1},
    {311, u"返還", u"第１種課税返還", 1, 1, 2},
    {312, u"返還", u"第２種課税返還", 1, 1, 2},
    {313, u"返還", u"第３種課税返還", 1, 1, 2},
    {314, u"返還", u"第４種課税返還", 1, 1, 2},
    {315, u"返還", u"第５種課税返還", 1, 1, 2},
    {316, u"返還", u"第６種課税返還", 1, 1, 2},
    {320, u"返還", u"免税売上", 1, 0, 0},
    {330, u"返還", u"非課税売上", 1, 0, 0},
    {340, u"返還", u"非課税売上（有価証券）", 1, 0, 0},
    {350, u"返還", u"非課税売上（輸出等）", 1, 0, 0},

    {410, u"貸倒", u"課税売上", 1, 1, 0},
    {420, u"貸倒", u"免税売上", 1, 0, 0},
    {430, u"貸倒", u"非課税売上", 1, 0, 0},
    {440, u"貸倒", u"非課税売上（有価証券）", 1, 0, 0},
    {450, u"貸倒", u"非課税売上（輸出等）", 1, 0, 0},

    {511, u"仕入", u"課税売上対応課税仕入", 1, 2, 0},
    {512, u"仕入", u"共通売上対応課税仕入", 1, 2, 0},
    {513, u"仕入", u"非課売上対応課税仕入", 1, 2, 0},
    {521, u"仕入", u"課税売上対応課税輸入", 1, 2, 0},
    {522, u"仕入", u"共通売上対応課税輸入", 1, 2, 0},
    {523, u"仕入", u"非課売上対応課税輸入", 1, 2, 0},
    {531, u"仕入", u"課税売上対応調整（棚卸）", 1, 2, 0},
    {532, u"仕入", u"共通売上対応調整（棚卸）", 1, 2, 0},
    {533, u"仕入", u"非課税売上対調整（棚卸）", 1, 2, 0},
    {540, u"仕入", u"非課税仕入", 1, 0, 0},
    {551, u"仕入", u"課税売上対応特定課税仕入", 1, 2, 0},
    {552, u"仕入", u"共通売上対応特定課税仕入", 1, 2, 0},
    {553, u"仕入", u"非課売上対応特定課税仕入", 1, 2, 0},
    {561, u"仕入", u"課税売上対応課税仕入返還", 3, 2, 0},
    {562, u"仕入", u"共通売上対応課税仕入返還", 3, 2, 0},
    {563, u"仕入", u"非課売上対応課税仕入返還", 3, 2, 0},
    {571, u"仕入", u"課税売上対応課税輸入返還", 3, 2, 0},
    {572, u"仕入", u"共通売上対応課税輸入返還", 3, 2, 0},
    {573, u"仕入", u"非課売上対応課税輸入返還", 3, 2, 0},
    {581, u"仕入", u"課税売上対応特定仕入返還", 3, 2, 0},
    {582, u"仕入", u"共通売上対応特定仕入返還", 3, 2, 0},
    {583, u"仕入", u"非課売上対応特定仕入返還", 3, 2, 0},

    {610, u"仮受", u"売上", 3, 0, 1},
    {611, u"仮受", u"第１種課税売上", 3, 0, 2},
    {612, u"仮受", u"第２種課税売上", 3, 0, 2},
    {613, u"仮受", u"第３種課税売上", 3, 0, 2},
    {614, u"仮受", u"第４種課税売上", 3, 0, 2},
    {615, u"仮受", u"第５種課税売上", 3, 0, 2},
    {616, u"仮受", u"第６種課税売上", 3, 0, 2},
    {620, u"仮受", u"貸倒回収", 3, 0, 0},
    {630, u"仮受", u"返還", 1, 0, 1},
    {631, u"仮受", u"第１種課税返還", 1, 0, 2},
    {632, u"仮受", u"第２種課税返還", 1, 0, 2},
    {633, u"仮受", u"第３種課税返還", 1, 0, 2},
    {634, u"仮受", u"第４種課税返還", 1, 0, 2},
    {635, u"仮受", u"第５種課税返還", 1, 0, 2},
    {636, u"仮受", u"第６種課税返還", 1, 0, 2},
    {640, u"仮受", u"貸倒", 1, 0, 0},

    {711, u"仮払", u"課税売上対応課税仕入", 1, 0, 0},
    {712, u"仮払", u"共通売上対応課税仕入", 1, 0, 0},
    {713, u"仮払", u"非課売上対応課税仕入", 1, 0, 0},
    {721, u"仮払", u"課税売上対応課税輸入", 1, 0, 0},
    {722, u"仮払", u"共通売上対応課税輸入", 1, 0, 0},
    {723, u"仮払", u"非課売上対応課税輸入", 1, 0, 0},
    {724, u"仮払", u"課税売上対応課税輸入(国)", 1, 0, 0},
    {725, u"仮払", u"共通売上対応課税輸入(国)", 1, 0, 0},
    {726, u"仮払", u"非課売上対応課税輸入(国)", 1, 0, 0},
    {731, u"仮払", u"課税売上対応調整（棚卸）", 1, 0, 0},
    {732, u"仮払", u"共通売上対応調整（棚卸）", 1, 0, 0},
    {733, u"仮払", u"非課売上対応調整（棚卸）", 1, 0, 0},
    {761, u"仮払", u"課税売上対応課税仕入返還", 3, 0, 0},
    {762, u"仮払", u"共通売上対応課税仕入返還", 3, 0, 0},
    {763, u"仮払", u"非課売上対応課税仕入返還", 3, 0, 0},
    {771, u"仮払", u"課税売上対応課税輸入返還", 3, 0, 0},
    {772, u"仮払", u"共通売上対応課税輸入返還", 3, 0, 0},
    {773, u"仮払", u"非課売上対応課税輸入返還", 3, 0, 0},
    {774, u"仮払", u"課税売対課税輸入返還(国)", 3, 0, 0},
    {775, u"仮払", u"共通売対課税輸入返還(国)", 3, 0, 0},
    {776, u"仮払", u"非課売対課税輸入返還(国)", 3, 0, 0},

    {810, u"課税対象外", u"課税対象外・不課税", 0, 0, 0},
    {910, u"区分未定", u"区分未定　　　　　　", 0, 0, 0},
};

const QDate kRate5Start(1997, 4, 1);
const QDate kRate8Start(2014, 4, 1);
const QDate kTokuteiShiireStart(2015, 10, 1);

// An account code equal to one of the company's system accounts (an empty
// code never matches).
bool isSysAccount(const QString &kamokuCode, int role)
{
    return !kamokuCode.isEmpty() && kamokuCode == AccInf.SysKCode[role];
}

bool isKarizeiAccount(const QString &kamokuCode)
{
    return isSysAccount(kamokuCode, saKaribarai) || isSysAccount(kamokuCode, saKariuke);
}

bool inList(int code, std::initializer_list<int> list)
{
    return std::find(list.begin(), list.end(), code) != list.end();
}

bool inRange(int code, int low, int high) { return code >= low && code <= high; }

bool isOutOfScopeCode(int code) { return code == 810 || code == 910; }

std::optional<Currency> checkedSub(Currency a, Currency b)
{
    qint64 r = 0;
    if (__builtin_sub_overflow(a.raw, b.raw, &r)) return std::nullopt;
    return Currency::fromRaw(r);
}

std::optional<Currency> checkedAdd(Currency a, Currency b)
{
    qint64 r = 0;
    if (__builtin_add_overflow(a.raw, b.raw, &r)) return std::nullopt;
    return Currency::fromRaw(r);
}

// A percentage formatted with "#": whole number, nothing for zero.
QString formatRate(Currency rate)
{
    const qint64 whole = rate.units(RoundingMode::HalfUp);
    return whole == 0 ? QString() : QString::number(whole);
}

const QString kCalcFailed = QStringLiteral("仕訳の消費税額が計算できません。");

} // namespace

bool GetTaxCodeInfo(int taxCode, QString &group, QString &detail, int &kind, int &category, int &side)
{
    for (const TaxCodeRow &row : kTaxCodes) {
        if (row.code != taxCode) continue;
        group = QString::fromUtf16(row.group);
        detail = PadStr(QString::fromUtf16(row.detail), 24);
        kind = row.kind;
        category = row.category;
        side = row.side;
        return true;
    }
    group = PadStr(QStringLiteral("Error"), 20);
    detail = QStringLiteral(" ");
    kind = 9;
    category = 0;
    side = 0;
    return false;
}

int NormalizeSalesTaxCode(int &taxCode)
{
    if (AccInf.TAXKANNI == 1) {
        if (inList(taxCode, {110, 310, 610, 630})) taxCode += AccInf.TAXJIGYOU;
    } else {
        if (inRange(taxCode, 111, 116)) taxCode = 110;
        else if (inRange(taxCode, 311, 316)) taxCode = 310;
        else if (inRange(taxCode, 611, 616)) taxCode = 610;
        else if (inRange(taxCode, 631, 636)) taxCode = 630;
    }
    return taxCode;
}

Currency TaxRateByDate(int zeirituNo, const QDate &date)
{
    // A null date is the date 0 of the books, before every rate.
    if (!date.isValid() || date < kRate5Start) return Currency::fromUnits(3);
    const bool version61 = AccInf.MAJOR > 6 || (AccInf.MAJOR == 6 && AccInf.MINOR1 >= 1);
    if (version61 && date >= kRate8Start) {
        if (zeirituNo == 1) return Currency::fromUnits(3);
        if (zeirituNo == 2) return Currency::fromUnits(5);
        return Currency::fromUnits(8);
    }
    return Currency::fromUnits(zeirituNo == 1 ? 3 : 5);
}

int GetZeirituNoByDate(int zeirituNo, const QDate &date)
{
    if (!date.isValid() || date < kRate8Start) return zeirituNo == 0 || zeirituNo == 1 ? zeirituNo : 0;
    for (const TZeirituRec &row : ZeirituTable) {
        const QDate start = QDate::fromString(QString::fromUtf16(row.StartDate), QStringLiteral("yyyy/MM/dd"));
        if (row.ZeirituNo == zeirituNo && start <= date) return zeirituNo;
    }
    return 0;
}

bool CheckKaribaraiTaxCode(QString &message, const QString &kamokuCode, int taxCode)
{
    message.clear();
    if (isSysAccount(kamokuCode, saKaribarai)) {
        const bool fits = inRange(taxCode, 711, 713) || inRange(taxCode, 721, 726) || inRange(taxCode, 731, 733) ||
                          inRange(taxCode, 761, 763) || inRange(taxCode, 771, 776) || isOutOfScopeCode(taxCode);
        if (fits) return true;
        message = QStringLiteral("仮払消費税の税コードは[700番台,810,910]を使用してください。");
        return false;
    }
    if (inRange(taxCode, 700, 799)) {
        message = QStringLiteral("税コードが[700番台]は、科目に仮払消費税を使用してください。");
        return false;
    }
    if (isSysAccount(kamokuCode, saKariuke)) {
        const bool plain = inList(taxCode, {610, 630});
        const bool perCategory = inRange(taxCode, 611, 616) || inRange(taxCode, 631, 636);
        const bool common = inList(taxCode, {620, 640}) || isOutOfScopeCode(taxCode);
        if (AccInf.TAXKANNI != 1) {
            if (plain || common) return true;
            if (perCategory) {
                message = QStringLiteral("注意：原則課税が選択されています。");
                return true;
            }
        } else {
            if (perCategory || common) return true;
            if (plain) {
                message = QStringLiteral("注意：簡易課税が選択されています。");
                return true;
            }
        }
        message = QStringLiteral("仮受消費税の税コードは[600番台,810,910]を使用してください。");
        return false;
    }
    if (inRange(taxCode, 600, 699)) {
        message = QStringLiteral("税コードが[600番台]は、科目に仮受消費税を使用してください。");
        return false;
    }
    return true;
}

bool CheckKarizeiAiteTaxCode(QString &message, const QString &kamokuCode, int &taxCode)
{
    message.clear();
    if (isKarizeiAccount(kamokuCode) && !isOutOfScopeCode(taxCode)) {
        message = QStringLiteral("仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。");
        taxCode = 810;
        return false;
    }
    return true;
}

bool CheckSyokutiTaxCode(QString &message, const QString &kamokuCode, int &taxCode)
{
    message.clear();
    if (isSysAccount(kamokuCode, saSyokuti) && !isOutOfScopeCode(taxCode)) {
        message = QStringLiteral("諸口の消費税コードは、[810,910]を使用してください。");
        taxCode = 810;
        return false;
    }
    return true;
}

bool IsTokuteiShiireTaxCode(int taxCode)
{
    return inRange(taxCode, 551, 553) || inRange(taxCode, 581, 583);
}

bool CheckTokuteiShiireTaxCode(QString &message, int taxCode, int zeirituNo, const QDate &date)
{
    message.clear();
    if (!IsTokuteiShiireTaxCode(taxCode)) return true;
    bool ok = true;
    if (!date.isValid() || date < kTokuteiShiireStart) {
        QString start;
        FormatWarekiDate(QStringLiteral("yyyy/mm/dd"), 3, start, kTokuteiShiireStart);
        message = QStringLiteral("特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では[") + start +
                  QStringLiteral("]より前の取引を登録できません。");
        ok = false;
    }
    const Currency rate = TaxRateByDate(zeirituNo, date);
    if (rate != Currency::fromUnits(8)) {
        message = QStringLiteral("特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[") +
                  formatRate(rate) + QStringLiteral("%]は使用できません。");
        ok = false;
    }
    return ok;
}

Currency RoundCurrency(int mode, Currency amount)
{
    return amount.rounded(0, RoundingModeOf(mode));
}

Currency RoundAmount(int mode, Currency amount)
{
    return RoundCurrency(mode, amount);
}

bool CalcLineTax(const TSwkTaxEntry &entry, TSwkTaxSide &side)
{
    QString group, detail;
    int kind = 0, category = 0, codeSide = 0;
    GetTaxCodeInfo(side.TaxCode, group, detail, kind, category, codeSide);
    side.TaxDC = codeSide;
    side.TaxUH = category;
    side.Nuk = Currency();
    side.Zei = Currency();
    side.Rit = Currency();

    const Currency rate = TaxRateByDate(entry.ZeirituNo, entry.Date);
    if (category != 0) side.Rit = rate;

    const bool karizei = isKarizeiAccount(side.KamokuCode);
    if (category == 0 || karizei) {
        side.Nuk = entry.Kingaku;
        side.Zei = Currency();
        side.Rit = karizei && !isOutOfScopeCode(side.TaxCode) ? rate : Currency();
        return true;
    }

    std::optional<Currency> net, tax;
    if (entry.AutCalcu == 0) {
        switch (entry.TaxCalcu) {
        case TaxIncluded: tax = entry.Zeigaku; net = checkedSub(entry.Kingaku, entry.Zeigaku); break;
        case TaxExcluded: tax = entry.Zeigaku; net = entry.Kingaku; break;
        case TaxNone: tax = Currency(); net = entry.Kingaku; break;
        default: return true; // no method: net and tax stay cleared
        }
    } else {
        const RoundingMode mode = RoundingModeOf(category == 1 ? AccInf.TAXU_HASUU : AccInf.TAXH_HASUU);
        // The tax is taken to four decimals, half away from zero, and that
        // quotient rounded to whole yen by the company's mode.
        switch (entry.TaxCalcu) {
        case TaxIncluded: {
            // amount x rate / (100 + rate)
            const Currency gross = Currency::fromUnits(100) + rate;
            const auto quotient = entry.Kingaku.checkedMulDiv(rate.raw, gross.raw, RoundingMode::HalfUp);
            if (quotient) {
                tax = quotient->rounded(0, mode);
                net = checkedSub(entry.Kingaku, *tax);
            }
            break;
        }
        case TaxExcluded: {
            // amount x rate / 100
            const auto quotient = entry.Kingaku.checkedMulDiv(rate.raw, Currency::fromUnits(100).raw, RoundingMode::HalfUp);
            if (quotient) {
                tax = quotient->rounded(0, mode);
                net = entry.Kingaku;
            }
            break;
        }
        case TaxNone: tax = Currency(); net = entry.Kingaku; break;
        default: return true;
        }
    }
    if (!net || !tax) {
        ShowListMessage(kCalcFailed, TMsgDlgType::mtError);
        return false;
    }
    side.Nuk = *net;
    side.Zei = *tax;
    return true;
}

bool CalcSiwakeTax(TSwkTaxEntry &entry)
{
    if (IsTokuteiShiireTaxCode(entry.Left.TaxCode) || IsTokuteiShiireTaxCode(entry.Right.TaxCode))
        entry.TaxCalcu = TaxNone;
    entry.Kingaku = entry.Kingaku.rounded(0, RoundingMode::Truncate);
    entry.Zeigaku = entry.Zeigaku.rounded(0, RoundingMode::Truncate);

    if (!CalcLineTax(entry, entry.Left)) return false;
    if (!CalcLineTax(entry, entry.Right)) return false;

    if (entry.TaxCalcu == TaxExcluded) {
        const auto left = checkedAdd(entry.Left.Nuk, entry.Left.Zei);
        const auto right = checkedAdd(entry.Right.Nuk, entry.Right.Zei);
        if (!left || !right) {
            ShowListMessage(kCalcFailed, TMsgDlgType::mtError);
            return false;
        }
        // The taxed side's gross amount is carried by its counter side.
        if (*left < *right) {
            entry.Left.Nuk = *right;
            entry.Left.Zei = Currency();
        } else if (*right < *left) {
            entry.Right.Nuk = *left;
            entry.Right.Zei = Currency();
        }
    }
    entry.Zeigaku = entry.Left.Zei > entry.Right.Zei ? entry.Left.Zei : entry.Right.Zei;
    return true;
}
