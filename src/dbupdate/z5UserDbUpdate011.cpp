// Company step 0.1.1: the fixed-asset (depreciation) tables in their final
// layout, their procedures and triggers, the default journal settings, the
// lease-period method, the staff-number query and the ACCDEF1 settings columns.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate011()
{
    const QList<bool> has =
        CompanyHasColumns(QStringLiteral("ACCDEF1"), {QStringLiteral("SDAI_HASUU3"), QStringLiteral("KESSAN_KIKAN")});
    const bool hasHasuu3 = has[0];
    const bool hasKessanKikan = has[1];

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 1);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate011.sql")));
    script.Add(UserStepStatements(QStringLiteral("KsSetSwkDefaults.sql")));
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate011Tail.sql")));
    if (!hasHasuu3) script.Add(Accdef1Hasuu3Lines());
    if (!hasKessanKikan) script.Add(Accdef1KessanKikanLines());
    script.EndStampLast();
    return script.Run();
}
