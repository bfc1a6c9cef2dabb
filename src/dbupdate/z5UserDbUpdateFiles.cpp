#include "dbupdate/z5UserDbUpdateFiles.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"

namespace {

QString fileName(int number)
{
    return QStringLiteral("vqzup%1.sql").arg(number, 2, 10, QChar(u'0'));
}

QStringList files(int last)
{
    QStringList out;
    for (int i = 1; i <= last; ++i) out << fileName(i);
    return out;
}

int versionKey(int major, int minor1, int minor2)
{
    return major * 10000 + minor1 * 100 + minor2;
}

// The number of a file "vqzupNN.sql"; 0 for the other names.
int fileNumber(const QString &name)
{
    if (name.size() != 11 || !name.startsWith(QLatin1String("vqzup"))) return 0;
    return name.mid(5, 2).toInt();
}

bool in(int n, std::initializer_list<int> set)
{
    for (int v : set)
        if (v == n) return true;
    return false;
}

bool federation(int edition)
{
    return edition == 1 || edition == 2;
}

} // namespace

TUserFileStepFacts CurrentUserFileStepFacts()
{
    TUserFileStepFacts f;
    f.Medical = AccInf.Medical;
    f.DataType = AccInf.DATATYPE;
    f.CodeType = AccInf.CODETYPE;
    f.Edition = Edition;
    f.Siten = AccInf.SITEN;
    f.Bumon = AccInf.BUMON;
    f.SyokutiCode = AccInf.SysKCode[saSyokuti];
    return f;
}

const QList<TUserFileStep> &UserFileSteps()
{
    static const QList<TUserFileStep> steps = {
        {3, 0, 0, files(10)},
        {3, 0, 1, files(1)},
        {3, 0, 3, files(6)},
        {3, 0, 4, files(4)},
        {3, 0, 6, files(2)},
        {3, 0, 7, files(8)},
        {4, 0, 0, files(9)},
        {4, 0, 2, files(6)},
        {5, 0, 0, files(11)},
        {5, 0, 2, files(2)},
        {5, 0, 5, files(5)},
        {6, 0, 0, files(18)},
        {6, 1, 0, files(5)},
        {6, 1, 3, files(7)},
        {7, 0, 0, files(11)},
        {7, 0, 2, files(2)},
        {7, 0, 3, files(3)},
        {7, 0, 4, QStringList{QStringLiteral("vqzup70201.sql"), QStringLiteral("vqzup70202.sql")} + files(4)},
        {8, 0, 0, files(6)},
        {8, 0, 2, files(7)},
        {8, 0, 3, files(1)},
        {9, 0, 0, files(5)},
        {9, 0, 1, files(1)},
        {9, 0, 2, files(5)},
        {9, 0, 3, files(2)},
        {9, 0, 4, files(7)},
        {9, 0, 5, files(2)},
        {10, 0, 0, files(4)},
        {10, 0, 1, files(4)},
        {10, 0, 3, files(3)},
        {10, 0, 4, files(3)},
        {10, 0, 5, files(1)},
        {11, 0, 0, files(8)},
    };
    return steps;
}

const TUserFileStep *FindUserFileStep(int major, int minor1, int minor2)
{
    for (const TUserFileStep &s : UserFileSteps())
        if (s.Major == major && s.Minor1 == minor1 && s.Minor2 == minor2) return &s;
    return nullptr;
}

bool UserFileStepSkips(const TUserFileStep &step, const QString &file, const TUserFileStepFacts &f)
{
    const int n = fileNumber(file);
    const bool med = f.Medical;
    const bool gen = !f.Medical;
    switch (versionKey(step.Major, step.Minor1, step.Minor2)) {
    case 30003: return gen;
    case 30004: return n == 4 && f.HasKamokuUpdate2;
    case 30006: return (n == 1 && f.AccountLayout != 1) || (n == 2 && f.AccountLayout != 2);
    case 30007: return gen && n >= 2 && n <= 7;
    case 40000: return (gen && in(n, {4, 5, 9})) || (med && in(n, {2, 3, 7, 8}));
    case 40002: return med && n == 2;
    case 50000:
        return (gen && in(n, {1, 3})) || (med && in(n, {2, 10})) || (f.Edition == 0 && n == 9);
    case 50002: return (med && n == 1) || (gen && n == 2);
    case 50005: {
        const bool kind23 = f.DataType == 2 || f.DataType == 3;
        return (med && n == 2) || (gen && n == 3) || (n == 4 && (federation(f.Edition) || kind23)) ||
               (n == 5 && (f.Edition == 0 || kind23));
    }
    case 60000:
        return (med && ((n >= 3 && n <= 9) || n == 16)) || (gen && ((n >= 10 && n <= 14) || n == 17));
    case 60100: return (med && n == 4) || (gen && n == 5);
    case 60103: return (med && in(n, {3, 6})) || (gen && n == 2);
    case 70000: return (med && in(n, {1, 2, 3, 8, 11})) || (gen && in(n, {4, 5, 6, 7, 9}));
    case 70003: return gen && n == 1;
    case 70004:
        if (file == u"vqzup70201.sql" || file == u"vqzup70202.sql") return f.HasTaxCode116;
        return (med && n == 3) || (gen && n == 4);
    case 80002: return (med && in(n, {1, 2})) || (gen && in(n, {3, 4}));
    case 80003: return med && n == 1;
    case 90000: return (med && n == 4) || (gen && n == 5);
    case 90002: return gen && in(n, {3, 4});
    case 90003: return (med && n == 1) || (gen && n == 2);
    case 90004: return (med && in(n, {1, 4, 6})) || (gen && in(n, {5, 7}));
    case 90005: return (med && n == 1) || (gen && n == 2);
    case 100000: return med && n == 4;
    case 100001: return (med && n == 3) || (gen && n == 4);
    case 100003: return gen && in(n, {2, 3});
    case 110000: return (med && in(n, {6, 8})) || (gen && n == 7);
    default: return false; // 3.0.0, 3.0.1, 7.0.2, 8.0.0, 9.0.1, 10.0.4, 10.0.5: every file
    }
}

namespace {

// Step 3.0.3: the account-name lock of group 4100 is lifted for individual
// data of code system 2, before the files.
QStringList extraAfterConnect303(const TUserFileStepFacts &f)
{
    if (f.DataType != 2 || f.CodeType != 2) return {};
    return {QStringLiteral("UPDATE EXTERKS SET KNAMELOCK=0"), QStringLiteral("WHERE KGROUP='4100' AND SUBREC=3;"),
            QStringLiteral("COMMIT;")};
}

// Step 4.0.0: the statements after its files.
QStringList extraAfterFiles400(const TUserFileStepFacts &f)
{
    QStringList out;
    const QString code = SqlText(f.SyokutiCode);
    out << QStringLiteral("UPDATE KAMOKUMST SET HOJOSW=CASE WHEN (SELECT COUNT(*) FROM HOJOMST WHERE (KCODE='") + code +
               QStringLiteral("' AND HCODE<>''))=0 THEN '－' ELSE '○' END");
    out << QStringLiteral("WHERE (KCODE='") + code + QStringLiteral("') AND (HOJOSW='×');");
    if (f.Medical) {
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=70,CM_ORDER=41,CM_NAME1='Ⅶ　現金及び現金同等物の期末残高'\r\n"
                              "WHERE (CM_KIND=1)AND(CM_GROUP=60);");
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=60,CM_ORDER=40,CM_NAME1='Ⅵ　現金及び現金同等物の期首残高'\r\n"
                              "WHERE (CM_KIND=1)AND(CM_GROUP=50);");
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=50,CM_ORDER=39,CM_NAME1='Ⅴ　現金及び現金同等物の増加額'\r\n"
                              "WHERE (CM_KIND=1)AND(CM_GROUP=40);");
        out << QStringLiteral("INSERT INTO CASHFMST (CM_REC,CM_JIGYOU,CM_KIND,CM_GROUP,CM_ORDER,CM_DEL,CM_MKU,CM_MARGIN,CM_NAME1,CM_HOSEI)\r\n"
                              "VALUES (43,15,1,40,38,1,1,0,'Ⅳ　現金及び現金同等物に係る換算差額',0);");
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=70,CM_ORDER=39,CM_NAME1='Ⅶ　現金及び現金同等物の期末残高'\r\n"
                              "WHERE (CM_KIND=0)AND(CM_GROUP=60);");
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=60,CM_ORDER=38,CM_NAME1='Ⅵ　現金及び現金同等物の期首残高'\r\n"
                              "WHERE (CM_KIND=0)AND(CM_GROUP=50);");
        out << QStringLiteral("UPDATE CASHFMST SET CM_GROUP=50,CM_ORDER=37,CM_NAME1='Ⅴ　現金及び現金同等物の増加額'\r\n"
                              "WHERE (CM_KIND=0)AND(CM_GROUP=40);");
        out << QStringLiteral("INSERT INTO CASHFMST (CM_REC,CM_JIGYOU,CM_KIND,CM_GROUP,CM_ORDER,CM_DEL,CM_MKU,CM_MARGIN,CM_NAME1,CM_HOSEI)\r\n"
                              "VALUES (89,15,0,40,36,1,1,0,'Ⅳ　現金及び現金同等物に係る換算差額',0);");
    }
    if (f.ProductVariant == 3) {
        out << QStringLiteral("DELETE FROM ACCREG WHERE (AGROUP='基本設定') AND (ACODE='合算データ区分');");
        out << QStringLiteral("DELETE FROM ACCREG WHERE (AGROUP='基本設定') AND (ACODE='合算データ数');");
    }
    if (f.Siten > 0) out << QStringLiteral("UPDATE ACCDEF5 SET NUM1=0 WHERE (SCODE='');");
    if (f.Bumon > 0) out << QStringLiteral("UPDATE ACCDEF5 SET NUM1=0 WHERE (BCODE='');");
    out << QStringLiteral("COMMIT;");
    return out;
}

} // namespace

int BuildUserFileStep(TDbUpdateScript &script, const TUserFileStep &step, const TUserFileStepFacts &facts)
{
    const int key = versionKey(step.Major, step.Minor1, step.Minor2);
    const bool setNames = key >= versionKey(3, 0, 6);
    const bool stampFirst = key >= versionKey(5, 0, 5);
    const bool missingEnds = key >= versionKey(7, 0, 3);
    const bool operatorMemo = key >= versionKey(10, 0, 1) && key <= versionKey(10, 0, 5);
    const auto skip = [&step, &facts](const QString &name) { return UserFileStepSkips(step, name, facts); };

    script.Lines.clear();
    if (stampFirst) {
        script.BeginStampFirst(setNames, operatorMemo);
        const int rc = script.AddFiles(step.Files, missingEnds, skip);
        if (rc != DbUpdateDone) return rc;
        script.EndStampFirst();
        return DbUpdateDone;
    }
    script.BeginStampLast(setNames);
    if (key == versionKey(3, 0, 3)) script.Add(extraAfterConnect303(facts));
    script.AddFiles(step.Files, false, skip);
    if (key == versionKey(4, 0, 0)) script.Add(extraAfterFiles400(facts));
    script.EndStampLast(operatorMemo);
    return DbUpdateDone;
}

int RunUserFileStep(int major, int minor1, int minor2, const TUserFileStepFacts &facts)
{
    const TUserFileStep *step = FindUserFileStep(major, minor1, minor2);
    if (!step) return DbUpdateFileMissing;
    TDbUpdateScript script(TDbUpdateTarget::Company, major, minor1, minor2);
    const int rc = BuildUserFileStep(script, *step, facts);
    if (rc != DbUpdateDone) return rc;
    return script.Run();
}
