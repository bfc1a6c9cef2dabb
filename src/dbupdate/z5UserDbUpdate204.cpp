// Company step 2.0.4: the cash-book exchange tables, the journal update that
// keeps the link of exchanged entries, the journal monitor in journal order,
// the print-row names, the prior-year balances by print row, the balance
// rows of a new sub-account, and for individual real-estate businesses the
// default fixed-asset journal settings rebuilt when they have none.
#include "dbaccess/AccInfo.h"
#include "dbaccess/FbClient.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

#include <exception>

QStringList KsSetSwkRebuildLines(const QStringList &facilities)
{
    QStringList lines = UserStepStatements(QStringLiteral("UserDbUpdate204KsSetSwk.sql"));
    // The facility code is a literal of the script: quoted, never spliced raw.
    for (const QString &scode : facilities)
        lines << QStringLiteral("EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU('%1');").arg(SqlText(scode));
    lines << QStringLiteral("COMMIT;");
    return lines;
}

int UserDbUpdate204()
{
    const bool realEstate = AccInf.DATATYPE == 2 && AccInf.CODETYPE == 2;
    const bool branches = AccInf.SITEN != 0;

    int settings = 0;
    QStringList facilities;
    if (realEstate) {
        try {
            RunPreStep(TDbUpdateTarget::Company, [&](FbQuery &q) {
                q.setSql(QStringLiteral("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE KCODE=:KCODE"));
                q.paramByName(QStringLiteral("KCODE")).setString(QStringLiteral("1401"));
                q.open();
                settings = q.field(0).asInteger();
                q.close();
                if (!branches) {
                    facilities << QStringLiteral(" ");
                    return;
                }
                q.setSql(QStringLiteral("SELECT SCODE FROM SISETUMST ORDER BY SCODE"));
                for (q.open(); !q.eof(); q.next()) facilities << q.field(0).asString();
                q.close();
            });
        } catch (const std::exception &) {
            return DbUpdateToolError; // the database could not be read: nothing written
        }
    }

    TDbUpdateScript script(TDbUpdateTarget::Company, 2, 0, 4);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate204.sql")));
    if (realEstate && settings == 0) script.Add(KsSetSwkRebuildLines(facilities));
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate204Tail.sql")));
    script.EndStampLast();
    return script.Run();
}
