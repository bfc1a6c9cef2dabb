// Company step 0.2.2: the top-level account group GROUPM0 with the account
// view and the balance, budget and trial-balance procedures that read it, the
// chart settings, the default fixed-asset journal settings and the cash-flow
// masters written again, the blue-return changes and the breakdown statement
// tables. A database that already has GROUPM0 only gets the stamp.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate022()
{
    const bool hasGroupM0 = CompanyHasColumn(QStringLiteral("KAMOKUMST"), QStringLiteral("GROUPM0"));

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 2, 2);
    script.BeginStampLast(false);
    if (!hasGroupM0) {
        for (const char *name : {"UserDbUpdate022.sql", "KsSetSwkDefaults.sql", "UserDbUpdate022Accounts.sql",
                                 "UtiwakeTables.sql", "CashFlowMasters.sql"})
            script.Add(UserStepStatements(QString::fromLatin1(name)));
    }
    script.EndStampLast();
    return script.Run();
}
