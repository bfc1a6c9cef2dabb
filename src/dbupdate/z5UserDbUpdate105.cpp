// Company step 1.0.5: the organisation dictionary numbered by group, job
// control anew, and the total-line names of the trial balance with the
// standard rows of the company's data kind and code system.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

// The statement resource of the standard total names, empty for none.
QString TotalNameRows(int dataType, int codeType)
{
    if (dataType == 1) return QStringLiteral("UserDbUpdate105Corp.sql");
    if (dataType == 2 && codeType == 1) return QStringLiteral("UserDbUpdate105General.sql");
    if (dataType == 2 && codeType == 2) return QStringLiteral("UserDbUpdate105RealEstate.sql");
    return {};
}

int UserDbUpdate105()
{
    const QString rows = TotalNameRows(AccInf.DATATYPE, AccInf.CODETYPE);

    TDbUpdateScript script(TDbUpdateTarget::Company, 1, 0, 5);
    script.BeginStampLast(false);
    script.Add(UserStepStatements(QStringLiteral("UserDbUpdate105.sql")));
    if (!rows.isEmpty()) script.Add(UserStepStatements(rows));
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
