#include "dbaccess/AccountLayout.h"

namespace {

// Totals groups of the trial balance; the same in both layouts.
const std::array<QString, SisanhyouTotalCount> TotalCodes = {
    QStringLiteral("5880"), QStringLiteral("5580"), QStringLiteral("5680"),
    QStringLiteral("5780"), QStringLiteral("5688"), QStringLiteral("5790")};

const QString Keijou = QStringLiteral("（経常収支）");
const QString Setubi = QStringLiteral("（設備等収支）");
const QString Zaimu = QStringLiteral("（財務収支）");

struct Line {
    int code;
    const char16_t *name;
    const QString *section;
};

// Cash-flow rows between the opening and the closing line, by layout.
const Line GeneralLines[] = {
    {11, u"現金売上", &Keijou},
    {12, u"売掛金回収", &Keijou},
    {13, u"受取手形期日入金", &Keijou},
    {14, u"手形割引", &Keijou},
    {15, u"前受金入金", &Keijou},
    {16, u"受取利息・配当金", &Keijou},
    {17, u"雑収入", &Keijou},
    {18, u"その他の収入", &Keijou},
    {19, u"現金仕入", &Keijou},
    {20, u"買掛金支払", &Keijou},
    {21, u"支払手形決済", &Keijou},
    {22, u"人件費", &Keijou},
    {23, u"諸経費", &Keijou},
    {24, u"支払利息・割引料", &Keijou},
    {25, u"前払金支払", &Keijou},
    {26, u"法人税等", &Keijou},
    {27, u"その他の支出", &Keijou},
    {28, u"固定資産売却", &Setubi},
    {29, u"有価証券売却", &Setubi},
    {30, u"投資等回収", &Setubi},
    {31, u"貸付金回収", &Setubi},
    {32, u"その他の収入", &Setubi},
    {33, u"固定資産購入", &Setubi},
    {34, u"有価証券購入", &Setubi},
    {35, u"投資等支出", &Setubi},
    {36, u"貸付金支出", &Setubi},
    {37, u"その他の支出", &Setubi},
    {38, u"短期借入金", &Zaimu},
    {39, u"長期借入金", &Zaimu},
    {40, u"増資", &Zaimu},
    {41, u"社債発行", &Zaimu},
    {42, u"その他の収入", &Zaimu},
    {43, u"短期借入金返済", &Zaimu},
    {44, u"長期借入金返済", &Zaimu},
    {45, u"社債償還", &Zaimu},
    {46, u"配当金支払", &Zaimu},
    {47, u"その他の支出", &Zaimu},
};

const Line MedicalLines[] = {
    {11, u"窓口収入", &Keijou},
    {12, u"医業未収金回収", &Keijou},
    {13, u"その他の医業収入", &Keijou},
    {14, u"受取利息・配当金", &Keijou},
    {15, u"補助金収入", &Keijou},
    {16, u"雑収入", &Keijou},
    {17, u"その他の収入", &Keijou},
    {18, u"給与費", &Keijou},
    {19, u"材料費", &Keijou},
    {20, u"委託費", &Keijou},
    {21, u"設備関係費", &Keijou},
    {22, u"研究研修費", &Keijou},
    {23, u"経費", &Keijou},
    {24, u"支払利息", &Keijou},
    {25, u"法人税等", &Keijou},
    {26, u"その他の支出", &Keijou},
    {27, u"固定資産売却", &Setubi},
    {28, u"有価証券売却", &Setubi},
    {29, u"貸付金回収", &Setubi},
    {30, u"その他の収入", &Setubi},
    {31, u"固定資産購入", &Setubi},
    {32, u"有価証券購入", &Setubi},
    {33, u"貸付金支出", &Setubi},
    {34, u"その他の支出", &Setubi},
    {35, u"短期借入金", &Zaimu},
    {36, u"長期借入金", &Zaimu},
    {37, u"役員借入金", &Zaimu},
    {38, u"基金の受入", &Zaimu},
    {39, u"その他の収入", &Zaimu},
    {40, u"短期借入金返済", &Zaimu},
    {41, u"長期借入金返済", &Zaimu},
    {42, u"役員借入金返済", &Zaimu},
    {43, u"リース債務返済", &Zaimu},
    {44, u"基金の返還", &Zaimu},
    {45, u"割賦未払金支払", &Zaimu},
    {46, u"その他の支出", &Zaimu},
};

template <std::size_t N>
TSikinguriRecArray makeRows(const Line (&lines)[N])
{
    TSikinguriRecArray rows;
    rows.reserve(N + 2);
    rows.append({QStringLiteral("0"), QStringLiteral("－"), QString()});
    for (const Line &l : lines)
        rows.append({QString::number(l.code), QString::fromUtf16(l.name), *l.section});
    rows.append({QStringLiteral("99"), QStringLiteral("流動性現預金"), QString()});
    return rows;
}

// Names from prefix + first to prefix + last, numbers in two digits.
void appendNumbered(QStringList &names, const QString &prefix, int first, int last)
{
    for (int i = first; i <= last; ++i)
        names << prefix + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
}

} // namespace

std::array<QString, SisanhyouTotalCount> SisanhyouTotalCodes = TotalCodes;
bool SisanhyouMedical = false;

TSikinguriRecArray SikinguriRows = makeRows(GeneralLines);

void SetupSisanhyouTables(bool medical)
{
    SisanhyouTotalCodes = TotalCodes;
    SisanhyouMedical = medical;
}

void SetupSikinguriTables(bool medical)
{
    SikinguriRows.clear();
    SikinguriRows = medical ? makeRows(MedicalLines) : makeRows(GeneralLines);
}

const QStringList &YosanColumnNames()
{
    static const QStringList names = [] {
        QStringList n;
        appendNumbered(n, QStringLiteral("YOSAN"), 1, 15);
        appendNumbered(n, QStringLiteral("YOSAN2"), 1, 15);
        appendNumbered(n, QStringLiteral("YOSAN3"), 1, 15);
        return n;
    }();
    return names;
}

const QStringList &JissekiColumnNames()
{
    static const QStringList names = [] {
        QStringList n;
        appendNumbered(n, QStringLiteral("JISSEKI"), 1, 16);
        return n;
    }();
    return names;
}

const QStringList &JkubunColumnNames()
{
    static const QStringList names = [] {
        QStringList n;
        appendNumbered(n, QStringLiteral("JKUBUN"), 1, 16);
        return n;
    }();
    return names;
}
