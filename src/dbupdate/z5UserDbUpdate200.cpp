// Company step 2.0.0: the data format of the next generation. The journal,
// journal-book and ledger pagers, the budget-actual variance rules and
// statements, the business-overview accounts, the dictionaries' credit
// department set null on a deleted department, the print-row trial balances,
// the budgets by budget column, the index captions of a new facility and the
// carry-forward procedures of the year-end roll-over.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

int UserDbUpdate200()
{
    const bool individual = AccInf.DATATYPE == 2;

    TDbUpdateScript script(TDbUpdateTarget::Company, 2, 0, 0);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate200.sql")));
    if (individual) {
        script.Add({QStringLiteral("/* the fixed-asset defaults of individual businesses */"),
                    QStringLiteral("UPDATE KS_SETSWK_INIT SET GSKEIJYO = 0 WHERE ACCGROUP = 2;"),
                    QStringLiteral("UPDATE KS_SETSWK_INIT SET SYOKYAKU1_KCODE = '6202' WHERE ACCGROUP = 2 AND SYOKYAKU1_KCODE = '6204';"),
                    QStringLiteral("COMMIT;")});
    }
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate200Tail.sql")));
    script.EndStampLast();
    return script.Run();
}
