// Company step 1.0.1: the writer of prior-year balances, the three readers
// that return the balances of every period, the account groups of thirteen
// comparison ratios, and an empty operation log.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate101()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 1, 0, 1);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate101.sql")));
    script.EndStampLast();
    return script.Run();
}
