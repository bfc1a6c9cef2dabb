// System step 3.0.7: on the menu of the facility levels (above 1000) pages 10,
// 11 and 12 change places: 10 becomes 11, 11 becomes 12 and 12 becomes 10,
// through the free pages 100, 110 and 120.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate307()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 3, 0, 7);
    script.BeginStampLast(false);
    const int moves[][2] = {{10, 100}, {11, 110}, {12, 120}, {110, 12}, {100, 11}, {120, 10}};
    for (const auto &m : moves) {
        script.Add(QStringLiteral("UPDATE JOBCONTROL SET PAGENO=%1 ").arg(m[1]));
        script.Add(QStringLiteral("WHERE (LEVELNO>1000) AND (PAGENO=%1);").arg(m[0]));
    }
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
