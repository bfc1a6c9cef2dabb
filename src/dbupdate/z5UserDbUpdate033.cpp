// Company step 0.3.3: the tables of the comparative management analysis with
// their fixed rows, the caution and good rates of every account, and the
// owner's-capital carry-forward of individual businesses. The rates and
// readings of the standard accounts follow the company's data kind and code
// system.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

#include <QHash>

namespace {

// The accounts of the corporate chart, in the order of their statements.
const char kCorporateAccounts[] =
    "1101-1105,1112-1116,1122-1125,1127-1130,1132,1141-1143,1145-1147,1201-1206,1301-1311,1320,1401-1412,1416,"
    "1501-1506,1601-1608,1620,1701-1703,2101-2121,2201-2207,2301,2302,3101,3111,3201,3401,3402,3202,3203,"
    "3301-3306,3314,3313,3309-3312,3315-3317,3501,4101-4110,4115,5101,5201-5210,5215,5301,5401-5405,5411,"
    "5501-5508,5601-5619,5621,5701,5801,6101-6109,6200-6225,6231,7101-7106,7201-7206,8101-8105,8201-8205,"
    "8301-8304,9999";

QStringList expand(const char *ranges)
{
    QStringList codes;
    for (const QString &part : QString::fromLatin1(ranges).split(u',')) {
        const int first = part.section(u'-', 0, 0).toInt();
        const int last = part.contains(u'-') ? part.section(u'-', 1, 1).toInt() : first;
        for (int c = first; c <= last; ++c) codes << QString::number(c);
    }
    return codes;
}

bool between(const QString &code, const char *first, const char *last)
{
    return code >= QLatin1String(first) && code <= QLatin1String(last);
}

// The search readings of the standard accounts that carry one.
QString reading(const QString &code, bool individual)
{
    static const QHash<QString, QString> common = {
        {"1101", "genki"}, {"1102", "touza"}, {"1103", "touza"}, {"1104", "futuu"}, {"1112", "teiki"},
        {"1141", "ukete"}, {"1142", "urika"}, {"1201", "shohi"}, {"1306", "karib"}, {"1401", "tatem"},
        {"1405", "sharyo"}, {"2101", "shiha"}, {"2102", "kaika"}, {"2104", "miba"}, {"2201", "chouk"},
        {"4101", "uriag"}, {"5201", "shiir"}, {"6101", "yakui"}, {"6102", "kyuyo"}, {"6201", "koukok"},
        {"6206", "shuuz"}, {"6212", "shoum"}, {"7101", "ukeri"}, {"7201", "shiri"}};
    if (code == QLatin1String("3101")) return individual ? QStringLiteral("motoi") : QStringLiteral("shiho");
    return common.value(code).left(5);
}

} // namespace

// The account list of the data kind and code system: none for other kinds.
QStringList VeldaAccountList(int dataType, int codeType)
{
    const QStringList corporate = expand(kCorporateAccounts);
    if (dataType == 1) return corporate;
    if (codeType != 1 && codeType != 2) return {};
    QStringList general;
    for (const QString &c : corporate) {
        if (c == QLatin1String("3111") || c == QLatin1String("3401") || c == QLatin1String("3402") ||
            c == QLatin1String("3306") || c == QLatin1String("3501") || c == QLatin1String("6200") ||
            between(c, "3309", "3317") || between(c, "8101", "8304"))
            continue;
        general << c;
        if (c == QLatin1String("6225")) general << QStringLiteral("6226");
    }
    if (codeType == 1) return general;
    QStringList realEstate;
    for (const QString &c : general) {
        if (between(c, "5101", "5801") || between(c, "7101", "7106") || c == QLatin1String("7201") ||
            between(c, "7203", "7206"))
            continue;
        realEstate << c;
    }
    return realEstate;
}

// One update line: the reading and the four rates of an account.
QString VeldaAccountLine(const QString &code, bool individual)
{
    QString rates;
    if (code == QLatin1String("9999"))
        rates = QStringLiteral("0, Velda_BadKind = 0, Velda_GoodRate = 0, Velda_GoodKind = 0");
    else if (code.startsWith(u'2') || code.startsWith(u'5') || code.startsWith(u'6') || code.startsWith(QLatin1String("72")) ||
             code.startsWith(QLatin1String("82")) || code.startsWith(QLatin1String("83")))
        rates = QStringLiteral("1.05, Velda_BadKind = 1, Velda_GoodRate = 0.95, Velda_GoodKind = 0");
    else
        rates = QStringLiteral("0.95, Velda_BadKind = 0, Velda_GoodRate = 1.05, Velda_GoodKind = 1");
    return QStringLiteral("UPDATE KAMOKUMST SET KKANA = '%1', Velda_BadRate = %2 WHERE KCODE = '%3';")
        .arg(reading(code, individual), rates, code);
}

int UserDbUpdate033()
{
    const int dataType = AccInf.DATATYPE;
    const int codeType = AccInf.CODETYPE;

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 3, 3);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate033.sql")));
    for (const QString &code : VeldaAccountList(dataType, codeType)) script.Add(VeldaAccountLine(code, dataType != 1));
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
