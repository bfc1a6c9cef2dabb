// Company step 0.2.1: repairs the prior-year balances with a one-time
// procedure (the rates of the last year copied to the two years before, the
// department-blank balances of departmental accounts cleared).
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate021()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 2, 1);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate021.sql")));
    script.EndStampLast();
    return script.Run();
}
