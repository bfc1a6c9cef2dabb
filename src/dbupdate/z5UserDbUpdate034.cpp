// Company step 0.3.4: the special-account lookup answers exactly one row, and
// the trade receivables move into the quick-asset group of the trial balance.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate034()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 3, 4);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate034.sql")));
    script.EndStampLast();
    return script.Run();
}
