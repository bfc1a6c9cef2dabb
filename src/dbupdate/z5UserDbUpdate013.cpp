// Company step 0.1.3: the check items of the audit report and its default
// header and item; the ACCDEF1 settings columns when they are missing.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate013()
{
    const QList<bool> has =
        CompanyHasColumns(QStringLiteral("ACCDEF1"), {QStringLiteral("SDAI_HASUU3"), QStringLiteral("KESSAN_KIKAN")});
    const bool hasHasuu3 = has[0];
    const bool hasKessanKikan = has[1];

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 3);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate013.sql")));
    if (!hasHasuu3) script.Add(Accdef1Hasuu3Lines());
    if (!hasKessanKikan) script.Add(Accdef1KessanKikanLines());
    script.EndStampLast();
    return script.Run();
}
