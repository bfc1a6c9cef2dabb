// Company step 0.1.4: the per-facility cash-flow table goes, the cash-flow
// masters (102 line items, 491 account rows) are written anew; the closing
// period columns of ACCDEF1 when they are missing.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate014()
{
    const bool hasKessanKikan = CompanyHasColumn(QStringLiteral("ACCDEF1"), QStringLiteral("KESSAN_KIKAN"));

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 4);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate014.sql")));
    script.Add(UserStepStatements(QStringLiteral("CashFlowMasters.sql")));
    if (!hasKessanKikan) script.Add(Accdef1KessanKikanLines());
    script.EndStampLast();
    return script.Run();
}
