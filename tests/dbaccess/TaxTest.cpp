#include "support/TestEnv.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "core/SjisText.h"
#include "dbaccess/Tax.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const QString kCash = QStringLiteral("111");
const QString kSales = QStringLiteral("811");
const QString kPurchase = QStringLiteral("911");
const QString kKaribarai = QStringLiteral("185");
const QString kKariuke = QStringLiteral("335");
const QString kSyokuti = QStringLiteral("999");

QString S(const char16_t *text) { return QString::fromUtf16(text); }

Currency C(const char *text)
{
    Currency c;
    EXPECT_TRUE(Currency::tryParse(QString::fromLatin1(text), c)) << text;
    return c;
}

// A company with general taxation, data version 7.0, truncating rounding.
class TaxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = AccInf;
        m_savedStyle = SystemDef.Reserve4Bit[10];
        m_savedEras = GengoTable;
        InitGengoTable();
        SystemDef.Reserve4Bit[10] = 0;
        AccInf.MAJOR = 7;
        AccInf.MINOR1 = 0;
        AccInf.TAXKANNI = 0;
        AccInf.TAXJIGYOU = 0;
        AccInf.TAXU_HASUU = 0;
        AccInf.TAXH_HASUU = 0;
        AccInf.SysKCode[saKaribarai] = kKaribarai;
        AccInf.SysKCode[saKariuke] = kKariuke;
        AccInf.SysKCode[saSyokuti] = kSyokuti;
    }
    void TearDown() override
    {
        AccInf = m_saved;
        SystemDef.Reserve4Bit[10] = m_savedStyle;
        GengoTable = m_savedEras;
    }

private:
    TACCINF m_saved;
    int m_savedStyle = 0;
    TGengoArray m_savedEras;
};

} // namespace

TEST_F(TaxTest, RoundingModes)
{
    struct Case { int mode; const char *amount; qint64 expected; };
    const Case cases[] = {
        {0, "80.4", 80},   {1, "80.4", 80},   {2, "80.4", 81},
        {0, "-80.4", -80}, {1, "-80.4", -80}, {2, "-80.4", -81},
        {0, "80.5", 80},   {1, "80.5", 81},   {2, "80.5", 81},
        {1, "-80.5", -81}, {1, "80.4999", 80}, {5, "80.5", 81}, // any other mode rounds half up
        {2, "80", 80},     {2, "0.0001", 1},  {2, "-0.0001", -1},
        {0, "0", 0},       {1, "0.5", 1},     {1, "-0.4999", 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RoundCurrency(c.mode, C(c.amount)), Currency::fromUnits(c.expected))
            << "mode " << c.mode << " " << c.amount;
        EXPECT_EQ(RoundAmount(c.mode, C(c.amount)), Currency::fromUnits(c.expected));
    }
}

TEST_F(TaxTest, RatesByDateAndDataVersion)
{
    struct Case { int major; int minor; int no; QDate date; int rate; };
    const Case cases[] = {
        {6, 1, 0, QDate(2014, 4, 1), 8},
        {6, 0, 0, QDate(2014, 4, 1), 5},
        {5, 9, 0, QDate(2015, 1, 1), 5},
        {7, 0, 0, QDate(1997, 3, 31), 3},
        {7, 0, 2, QDate(1997, 3, 31), 3},
        {7, 0, 2, QDate(2015, 1, 1), 5},
        {7, 0, 1, QDate(2015, 1, 1), 3},
        {7, 0, 0, QDate(2014, 3, 31), 5},
        {7, 0, 1, QDate(2000, 1, 1), 3},
        {7, 0, 2, QDate(2000, 1, 1), 5},
        {7, 0, 0, QDate(), 3},
    };
    for (const Case &c : cases) {
        AccInf.MAJOR = c.major;
        AccInf.MINOR1 = c.minor;
        EXPECT_EQ(TaxRateByDate(c.no, c.date), Currency::fromUnits(c.rate))
            << c.major << "." << c.minor << " no " << c.no << " " << c.date.toString(Qt::ISODate).toStdString();
    }

    struct No { int no; QDate date; int expected; };
    const No numbers[] = {
        {2, QDate(2014, 3, 31), 0}, {2, QDate(2014, 4, 1), 2}, {5, QDate(2015, 1, 1), 0},
        {1, QDate(2014, 3, 31), 1}, {1, QDate(2015, 1, 1), 1}, {0, QDate(2013, 1, 1), 0},
        {5, QDate(2013, 1, 1), 0},  {-1, QDate(2015, 1, 1), 0},
    };
    for (const No &c : numbers)
        EXPECT_EQ(GetZeirituNoByDate(c.no, c.date), c.expected) << c.no << " " << c.date.toString(Qt::ISODate).toStdString();
}

TEST_F(TaxTest, TaxCodeTable)
{
    int known = 0;
    QString group, detail;
    int kind = 0, category = 0, side = 0;
    for (int code = 0; code <= 1000; ++code) {
        if (!GetTaxCodeInfo(code, group, detail, kind, category, side)) continue;
        ++known;
        EXPECT_EQ(SjisLength(detail), 24) << code;
    }
    EXPECT_EQ(known, 93);

    struct Case { int code; const char16_t *group; const char16_t *detail; int kind; int category; int side; };
    const Case cases[] = {
        {110, u"売上", u"課税売上", 1, 1, 3},
        {114, u"売上", u"第４種課税売上", 2, 1, 3},
        {140, u"売上", u"非課税売上（有価証券）", 0, 0, 3},
        {210, u"貸倒回収", u"課税売上", 0, 1, 3},
        {316, u"返還", u"第６種課税返還", 2, 1, 1},
        {410, u"貸倒", u"課税売上", 0, 1, 1},
        {533, u"仕入", u"非課税売上対調整（棚卸）", 0, 2, 1},
        {540, u"仕入", u"非課税仕入", 0, 0, 1},
        {553, u"仕入", u"非課売上対応特定課税仕入", 0, 2, 1},
        {561, u"仕入", u"課税売上対応課税仕入返還", 0, 2, 3},
        {582, u"仕入", u"共通売上対応特定仕入返還", 0, 2, 3},
        {610, u"仮受", u"売上", 1, 0, 3},
        {616, u"仮受", u"第６種課税売上", 2, 0, 3},
        {630, u"仮受", u"返還", 1, 0, 1},
        {733, u"仮払", u"非課売上対応調整（棚卸）", 0, 0, 1},
        {725, u"仮払", u"共通売上対応課税輸入(国)", 0, 0, 1},
        {763, u"仮払", u"非課売上対応課税仕入返還", 0, 0, 3},
        {774, u"仮払", u"課税売対課税輸入返還(国)", 0, 0, 3},
        {810, u"課税対象外", u"課税対象外・不課税", 0, 0, 0},
        {910, u"区分未定", u"区分未定　　　　　　", 0, 0, 0},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(GetTaxCodeInfo(c.code, group, detail, kind, category, side)) << c.code;
        EXPECT_EQ(group, S(c.group)) << c.code;
        EXPECT_EQ(detail, PadStr(S(c.detail), 24)) << c.code;
        EXPECT_EQ(kind, c.kind) << c.code;
        EXPECT_EQ(category, c.category) << c.code;
        EXPECT_EQ(side, c.side) << c.code;
    }
    EXPECT_EQ(detail, S(u"区分未定　　　　　　    "));

    for (int code : {0, 100, 117, 600, 710, 999}) {
        EXPECT_FALSE(GetTaxCodeInfo(code, group, detail, kind, category, side)) << code;
        EXPECT_EQ(group, QStringLiteral("Error               "));
        EXPECT_EQ(detail, QStringLiteral(" "));
        EXPECT_EQ(kind, 9);
        EXPECT_EQ(category, 0);
        EXPECT_EQ(side, 0);
    }
}

TEST_F(TaxTest, SalesCodesFollowTheTaxationMethod)
{
    struct Case { int kanni; int jigyou; int code; int expected; };
    const Case cases[] = {
        {1, 2, 610, 612}, {0, 2, 615, 610}, {1, 3, 110, 113}, {1, 3, 310, 313}, {1, 3, 630, 633},
        {1, 3, 111, 111}, {1, 3, 620, 620}, {0, 3, 116, 110}, {0, 3, 311, 310}, {0, 3, 636, 630},
        {0, 3, 110, 110}, {0, 3, 117, 117}, {1, 3, 511, 511},
    };
    for (const Case &c : cases) {
        AccInf.TAXKANNI = c.kanni;
        AccInf.TAXJIGYOU = c.jigyou;
        int code = c.code;
        EXPECT_EQ(NormalizeSalesTaxCode(code), c.expected) << c.kanni << " " << c.code;
        EXPECT_EQ(code, c.expected);
    }
}

TEST_F(TaxTest, TaxCodesAgainstTaxAccounts)
{
    const QString paidOnly = S(u"仮払消費税の税コードは[700番台,810,910]を使用してください。");
    const QString use700 = S(u"税コードが[700番台]は、科目に仮払消費税を使用してください。");
    const QString receivedOnly = S(u"仮受消費税の税コードは[600番台,810,910]を使用してください。");
    const QString use600 = S(u"税コードが[600番台]は、科目に仮受消費税を使用してください。");
    const QString general = S(u"注意：原則課税が選択されています。");
    const QString simplified = S(u"注意：簡易課税が選択されています。");
    struct Case { QString account; int kanni; int code; bool ok; QString message; };
    const Case cases[] = {
        {kCash, 0, 712, false, use700},
        {kKariuke, 0, 612, true, general},
        {kKaribarai, 0, 712, true, {}},
        {kKaribarai, 0, 726, true, {}},
        {kKaribarai, 0, 776, true, {}},
        {kKaribarai, 0, 910, true, {}},
        {kKaribarai, 0, 714, false, paidOnly},
        {kKaribarai, 0, 610, false, paidOnly},
        {kKariuke, 0, 712, false, use700},
        {kKariuke, 0, 610, true, {}},
        {kKariuke, 0, 640, true, {}},
        {kKariuke, 0, 810, true, {}},
        {kKariuke, 0, 636, true, general},
        {kKariuke, 0, 650, false, receivedOnly},
        {kKariuke, 0, 110, false, receivedOnly},
        {kKariuke, 1, 630, true, simplified},
        {kKariuke, 1, 612, true, {}},
        {kKariuke, 1, 620, true, {}},
        {kKariuke, 1, 511, false, receivedOnly},
        {kCash, 0, 610, false, use600},
        {kCash, 0, 110, true, {}},
        {kCash, 0, 810, true, {}},
    };
    for (const Case &c : cases) {
        AccInf.TAXKANNI = c.kanni;
        QString message = QStringLiteral("stale");
        EXPECT_EQ(CheckKaribaraiTaxCode(message, c.account, c.code), c.ok) << c.account.toStdString() << " " << c.code;
        EXPECT_EQ(message, c.message) << c.account.toStdString() << " " << c.code;
    }

    const QString aite = S(u"仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。");
    const QString syokuti = S(u"諸口の消費税コードは、[810,910]を使用してください。");
    struct Counter { bool sundry; QString account; int code; bool ok; int codeAfter; QString message; };
    const Counter counters[] = {
        {false, kKaribarai, 110, false, 810, aite},
        {false, kKariuke, 712, false, 810, aite},
        {false, kKariuke, 910, true, 910, {}},
        {false, kSyokuti, 110, true, 110, {}},
        {true, kSyokuti, 511, false, 810, syokuti},
        {true, kSyokuti, 910, true, 910, {}},
        {true, kKaribarai, 110, true, 110, {}},
        {true, QString(), 110, true, 110, {}}, // an empty code is no account
    };
    for (const Counter &c : counters) {
        QString message = QStringLiteral("stale");
        int code = c.code;
        const bool ok = c.sundry ? CheckSyokutiTaxCode(message, c.account, code)
                                 : CheckKarizeiAiteTaxCode(message, c.account, code);
        EXPECT_EQ(ok, c.ok) << c.sundry << " " << c.account.toStdString() << " " << c.code;
        EXPECT_EQ(code, c.codeAfter);
        EXPECT_EQ(message, c.message);
    }
}

TEST_F(TaxTest, SpecifiedPurchaseCodes)
{
    for (int code = 500; code < 600; ++code)
        EXPECT_EQ(IsTokuteiShiireTaxCode(code), (code >= 551 && code <= 553) || (code >= 581 && code <= 583)) << code;

    const QString head = S(u"特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では");
    struct Case { int code; int no; QDate date; bool wareki; bool ok; QString message; };
    const Case cases[] = {
        {551, 0, QDate(2015, 10, 1), false, true, {}},
        {551, 0, QDate(2015, 9, 30), false, false, head + S(u"[2015/10/01]より前の取引を登録できません。")},
        {583, 0, QDate(2015, 9, 30), true, false, head + S(u"[H27/10/01]より前の取引を登録できません。")},
        {552, 2, QDate(2015, 10, 1), false, false, head + S(u"税率[5%]は使用できません。")},
        {581, 1, QDate(2015, 9, 30), false, false, head + S(u"税率[3%]は使用できません。")}, // the rate wins
        {511, 2, QDate(2000, 1, 1), false, true, {}},
    };
    for (const Case &c : cases) {
        SystemDef.Reserve4Bit[10] = c.wareki ? 1 : 0;
        QString message = QStringLiteral("stale");
        EXPECT_EQ(CheckTokuteiShiireTaxCode(message, c.code, c.no, c.date), c.ok) << c.code;
        EXPECT_EQ(message, c.message) << c.code;
    }
}

TEST_F(TaxTest, JournalEntryTax)
{
    struct SideResult { const char *net; const char *tax; int rate; int dc; int uh; };
    struct Case {
        const char *name;
        int method; int autoCalc; const char *amount; const char *tax; int rateNo; QDate date;
        QString leftAccount; int leftCode; QString rightAccount; int rightCode;
        int salesMode; int purchaseMode;
        SideResult left; SideResult right; const char *entryTax; int methodAfter;
    };
    const QDate d(2015, 10, 1);
    const Case cases[] = {
        {"excluded sales", 1, 1, "1000", "0", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1080", "0", 0, 0, 0}, {"1000", "80", 8, 3, 1}, "80", 1},
        {"included 1080", 0, 1, "1080", "0", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1080", "0", 0, 0, 0}, {"1000", "80", 8, 3, 1}, "80", 0},
        {"included 1000 truncated", 0, 1, "1000", "0", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1000", "0", 0, 0, 0}, {"926", "74", 8, 3, 1}, "74", 0},
        {"included 1000 rounded up", 0, 1, "1000", "0", 0, d, kCash, 810, kSales, 110, 2, 0,
         {"1000", "0", 0, 0, 0}, {"925", "75", 8, 3, 1}, "75", 0},
        {"purchase uses purchase mode", 0, 1, "1000", "0", 0, d, kPurchase, 511, kCash, 810, 0, 2,
         {"925", "75", 8, 1, 2}, {"1000", "0", 0, 0, 0}, "75", 0},
        {"amount truncated first", 0, 1, "1000.9", "0", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1000", "0", 0, 0, 0}, {"926", "74", 8, 3, 1}, "74", 0},
        {"excluded rounded up", 1, 1, "1001", "0", 0, d, kCash, 810, kSales, 110, 2, 0,
         {"1082", "0", 0, 0, 0}, {"1001", "81", 8, 3, 1}, "81", 1},
        {"three percent number", 1, 1, "1000", "0", 1, d, kCash, 810, kSales, 110, 0, 0,
         {"1030", "0", 0, 0, 0}, {"1000", "30", 3, 3, 1}, "30", 1},
        // 1050 x 3 % is 31.5: each mode of the sales setting
        {"half truncated", 1, 1, "1050", "0", 1, d, kCash, 810, kSales, 110, 0, 2,
         {"1081", "0", 0, 0, 0}, {"1050", "31", 3, 3, 1}, "31", 1},
        {"half rounded half up", 1, 1, "1050", "0", 1, d, kCash, 810, kSales, 110, 1, 0,
         {"1082", "0", 0, 0, 0}, {"1050", "32", 3, 3, 1}, "32", 1},
        {"half rounded up", 1, 1, "1050", "0", 1, d, kCash, 810, kSales, 110, 2, 0,
         {"1082", "0", 0, 0, 0}, {"1050", "32", 3, 3, 1}, "32", 1},
        {"other setting rounds half up", 1, 1, "1050", "0", 1, d, kCash, 810, kSales, 110, 7, 0,
         {"1082", "0", 0, 0, 0}, {"1050", "32", 3, 3, 1}, "32", 1},
        {"manual included", 0, 0, "1080.5", "80.7", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1080", "0", 0, 0, 0}, {"1000", "80", 8, 3, 1}, "80", 0},
        {"manual excluded", 1, 0, "1000", "80", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1080", "0", 0, 0, 0}, {"1000", "80", 8, 3, 1}, "80", 1},
        {"manual no tax", 2, 0, "1000", "80", 0, d, kCash, 810, kSales, 110, 0, 0,
         {"1000", "0", 0, 0, 0}, {"1000", "0", 8, 3, 1}, "0", 2},
        {"specified purchase has no tax", 0, 1, "1000", "0", 0, d, kPurchase, 551, kCash, 810, 0, 0,
         {"1000", "0", 8, 1, 2}, {"1000", "0", 0, 0, 0}, "0", 2},
        {"tax-paid account keeps the rate", 0, 1, "80", "0", 0, d, kKaribarai, 712, kCash, 810, 0, 0,
         {"80", "0", 8, 1, 0}, {"80", "0", 0, 0, 0}, "0", 0},
        {"tax-received account with 810", 0, 1, "80", "0", 0, d, kCash, 110, kKariuke, 810, 0, 0,
         {"75", "5", 8, 3, 1}, {"80", "0", 0, 0, 0}, "5", 0},
        {"both sides taxed", 1, 1, "1000", "0", 0, d, kPurchase, 511, kSales, 110, 0, 0,
         {"1000", "80", 8, 1, 2}, {"1000", "80", 8, 3, 1}, "80", 1},
        {"unknown code is untaxed", 0, 1, "1000", "0", 0, d, kCash, 999, kSales, 110, 0, 0,
         {"1000", "0", 0, 0, 0}, {"926", "74", 8, 3, 1}, "74", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AccInf.TAXU_HASUU = c.salesMode;
        AccInf.TAXH_HASUU = c.purchaseMode;
        TSwkTaxEntry e;
        e.Date = c.date;
        e.Kingaku = C(c.amount);
        e.Zeigaku = C(c.tax);
        e.ZeirituNo = c.rateNo;
        e.AutCalcu = c.autoCalc;
        e.TaxCalcu = c.method;
        e.Left.KamokuCode = c.leftAccount;
        e.Left.TaxCode = c.leftCode;
        e.Right.KamokuCode = c.rightAccount;
        e.Right.TaxCode = c.rightCode;
        e.Left.Zei = e.Right.Zei = Currency::fromUnits(999); // results are cleared first
        ASSERT_TRUE(CalcSiwakeTax(e));
        const std::pair<const TSwkTaxSide *, const SideResult *> sides[] = {{&e.Left, &c.left}, {&e.Right, &c.right}};
        for (const auto &[got, want] : sides) {
            EXPECT_EQ(got->Nuk, C(want->net));
            EXPECT_EQ(got->Zei, C(want->tax));
            EXPECT_EQ(got->Rit, Currency::fromUnits(want->rate));
            EXPECT_EQ(got->TaxDC, want->dc);
            EXPECT_EQ(got->TaxUH, want->uh);
        }
        EXPECT_EQ(e.Zeigaku, C(c.entryTax));
        EXPECT_EQ(e.TaxCalcu, c.methodAfter);
    }
}

TEST_F(TaxTest, FailedCalculationIsReported)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    TSwkTaxEntry e;
    e.Date = QDate(2015, 10, 1);
    e.Kingaku = Currency::fromUnits(std::numeric_limits<qint64>::max() / Currency::Scale);
    e.Zeigaku = -e.Kingaku; // amount minus tax does not fit
    e.AutCalcu = 0;
    e.TaxCalcu = 0;
    e.Left.KamokuCode = kPurchase;
    e.Left.TaxCode = 511;
    e.Right.KamokuCode = kCash;
    e.Right.TaxCode = 810;
    e.Right.Zei = Currency::fromUnits(7);
    EXPECT_FALSE(CalcSiwakeTax(e));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_EQ(boxes.shown[0].text, S(u"仕訳の消費税額が計算できません。\r"));
    EXPECT_EQ(e.Right.Zei, Currency::fromUnits(7)); // the credit side was not reached
}
