// Company step 1.0.0: the corrected name of one comparison ratio, and the
// opening-balance trigger that writes the prior-year balance by data kind.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate100()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 1, 0, 0);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate100.sql")));
    script.EndStampLast();
    return script.Run();
}
