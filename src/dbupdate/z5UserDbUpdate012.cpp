// Company step 0.1.2: the procedures of the current-account reconciliation
// statement (two paging lists of an account's journal rows and the balance
// rolled back to a row).
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate012()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 2);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate012.sql")));
    script.EndStampLast();
    return script.Run();
}
