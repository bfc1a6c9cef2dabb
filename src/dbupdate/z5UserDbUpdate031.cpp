// Company step 0.3.1: the communication folder of the company master, the
// prior-year balances of a department group summed over its departments, and
// the prior-year balance trigger that keeps KAKOZAN.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate031()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 3, 1);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate031.sql")));
    script.EndStampLast();
    return script.Run();
}
