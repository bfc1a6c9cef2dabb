// Company steps 3.0.0 to 4.0.0: file steps stamped last, "SET NAMES" from
// 3.0.6 on; a missing file is passed over. Steps 3.0.4, 3.0.6 and 3.0.7 look
// at or change the database before they write their scripts.
#include "dbaccess/AccInfo.h"
#include "dbaccess/FbClient.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateFiles.h"

#include <vector>

bool UserDbTriggerExists(FbQuery &q, const QString &name)
{
    q.setSql(QStringLiteral("SELECT count(*) FROM RDB$TRIGGERS WHERE (RDB$TRIGGER_NAME= :TRIGGER_NAME) "));
    if (!q.prepared()) q.prepare();
    q.paramByName(QStringLiteral("TRIGGER_NAME")).setString(name);
    q.open();
    const bool exists = !q.eof() && q.field(0).asInteger() > 0;
    q.close();
    return exists;
}

namespace {

// The period just before the starting month, counted in the sixteen periods
// of a year with the quarterly closings 4, 8 and 12.
int periodBeforeStart(int kaisiNo)
{
    static const int kPeriod[13] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    return kaisiNo >= 0 && kaisiNo <= 12 ? kPeriod[kaisiNo] : 0;
}

} // namespace

int UserDbUpdate306PreStep(FbQuery &q, const TUserFileStepFacts &facts)
{
    int layout = 0;
    if (facts.Medical) {
        q.setSql(QStringLiteral("SELECT COUNT(*) FROM KAMOKUMST"));
        q.open();
        const int accounts = q.eof() ? 0 : q.field(0).asInteger();
        q.close();
        layout = accounts == 377 ? 1 : accounts == 567 ? 2 : 0;

        q.setSql(QStringList{QStringLiteral("UPDATE KAMOKUMST SET HOJOSW='×'"), QStringLiteral("WHERE KCODE IN "),
                             QStringLiteral("(SELECT KCODE FROM ACCDEF2"),
                             QStringLiteral("WHERE (KNAME='仮払消費税') OR (KNAME='仮受消費税')"),
                             QStringLiteral("OR    (KNAME='前期繰越利益') OR (KNAME='諸口'))")});
        q.execSQL();
        q.setSql(QString());
    }

    if (AccInf.CONVERT == 1) {
        // Converted data: the opening balances become the balances of the
        // period before the first month of entry.
        struct Row {
            QString scode, kcode, hcode, bcode;
            Currency balance;
        };
        std::vector<Row> rows;
        const int kaisiNo = AccInf.KAISINO;
        const QString owner[3] = {AccInf.SysKCode[saJigyonushiKari], AccInf.SysKCode[saJigyonushiKasi],
                                  AccInf.SysKCode[saMotoire]};
        q.setSql(QStringList{QStringLiteral("SELECT SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE,SZ.KAISIZAN,K.BPFLG FROM KAMOKU_SZ SZ"),
                             QStringLiteral("INNER JOIN KAMOKUMST K ON (SZ.KCODE=K.KCODE)"),
                             QStringLiteral("ORDER BY K.GROUPM0,SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE")});
        for (q.open(); !q.eof(); q.next()) {
            const QString bp = q.field(5).asString();
            if (bp != u"B" && bp != u"P") continue;
            if (bp == u"P" && kaisiNo == 1) break;
            const QString kcode = q.field(1).asString();
            if (bp == u"B" && facts.DataType == 2 && kaisiNo == 1 &&
                (kcode == owner[0] || kcode == owner[1] || kcode == owner[2]))
                continue;
            rows.push_back({q.field(0).asString(), kcode, q.field(2).asString(), q.field(3).asString(),
                            q.field(4).asCurrency().rounded(0, RoundingMode::HalfUp)});
        }
        q.close();

        q.setSql(QStringList{QStringLiteral("UPDATE KAMOKU_PZ SET NUKIZAN=:NUKIZAN,ZEIGAKU=0"),
                             QStringLiteral("WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE AND MNUM=:MNUM")});
        const int mnum = periodBeforeStart(kaisiNo);
        for (const Row &r : rows) {
            q.paramByName(QStringLiteral("NUKIZAN")).setCurrency(r.balance);
            q.paramByName(QStringLiteral("SCODE")).setString(r.scode);
            q.paramByName(QStringLiteral("KCODE")).setString(r.kcode);
            q.paramByName(QStringLiteral("HCODE")).setString(r.hcode);
            q.paramByName(QStringLiteral("BCODE")).setString(r.bcode);
            q.paramByName(QStringLiteral("MNUM")).setInteger(mnum);
            q.execSQL();
        }
        q.setSql(QString());
    }
    return layout;
}

void UserDbUpdate307PreStep(FbQuery &q)
{
    if (UserDbTriggerExists(q, QStringLiteral("KAMOKUSZ_AFTER_DELETE2"))) return;
    q.setSql(QStringList{QStringLiteral("CREATE TRIGGER \"KAMOKUSZ_AFTER_DELETE2\" FOR \"KAMOKU_SZ\" ACTIVE AFTER DELETE POSITION 0"),
                         QStringLiteral("AS"), QStringLiteral("DECLARE dvSITEN  INTEGER;"), QStringLiteral("BEGIN"),
                         QStringLiteral("END;")});
    q.execSQL();
    q.setSql(QString());
}

int UserDbUpdate300()
{
    return RunUserFileStep(3, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate301()
{
    return RunUserFileStep(3, 0, 1, CurrentUserFileStepFacts());
}

int UserDbUpdate303()
{
    return RunUserFileStep(3, 0, 3, CurrentUserFileStepFacts());
}

int UserDbUpdate304()
{
    TUserFileStepFacts facts = CurrentUserFileStepFacts();
    RunPreStep(TDbUpdateTarget::Company, [&facts](FbQuery &q) {
        facts.HasKamokuUpdate2 = UserDbTriggerExists(q, QStringLiteral("KAMOKUMST_AFTER_UPDATE2"));
    });
    return RunUserFileStep(3, 0, 4, facts);
}

int UserDbUpdate306()
{
    TUserFileStepFacts facts = CurrentUserFileStepFacts();
    RunPreStep(TDbUpdateTarget::Company, [&facts](FbQuery &q) { facts.AccountLayout = UserDbUpdate306PreStep(q, facts); });
    return RunUserFileStep(3, 0, 6, facts);
}

int UserDbUpdate307()
{
    RunPreStep(TDbUpdateTarget::Company, [](FbQuery &q) { UserDbUpdate307PreStep(q); });
    return RunUserFileStep(3, 0, 7, CurrentUserFileStepFacts());
}

int UserDbUpdate400()
{
    return RunUserFileStep(4, 0, 0, CurrentUserFileStepFacts());
}

int UserDbUpdate402()
{
    return RunUserFileStep(4, 0, 2, CurrentUserFileStepFacts());
}
