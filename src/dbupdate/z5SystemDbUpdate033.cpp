// System step 0.3.3: the system user loses its password, so that the
// management-analysis add-on can log on with it as well.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate033()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 0, 3, 3);
    script.BeginStampLast(false);
    script.Add(QStringLiteral("UPDATE OPERATOR SET PASWORD='' "));
    script.Add(QStringLiteral("WHERE GROUPID=10000 AND OPCODE=1;"));
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
