// Company step 1.0.3: the company-wide balance rows cleared for data kept by
// head office and branches, the final owner's-capital carry-forward, and the
// consumption-tax adder, the department trial balances and the journal
// monitor pagers anew.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate103()
{
    const bool branches = AccInf.SITEN == 1;

    TDbUpdateScript script(TDbUpdateTarget::Company, 1, 0, 3);
    script.BeginStampLast(false);
    if (branches) {
        script.Add({QStringLiteral("/* the company-wide rows of branch-managed data */"),
                    QStringLiteral("UPDATE KAMOKU_PZ SET NUKIZAN = 0, ZEIGAKU = 0 WHERE SCODE = ' ';"),
                    QStringLiteral("UPDATE KAMOKU_SZ SET KAKOZAN = 0 WHERE SCODE = ' ';"),
                    QStringLiteral("UPDATE KAMOKU_MS SET BYOSAN = 0 WHERE SCODE = ' ';"), QStringLiteral("COMMIT;")});
    }
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate103.sql")));
    script.EndStampLast();
    return script.Run();
}
