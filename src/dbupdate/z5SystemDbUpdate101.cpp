// System step 1.0.1: in the client/server connection mode the list-folder
// procedure is called for the system folder; otherwise the step only stamps
// the version. The procedure leaves the folder names as they are.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate101()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 1, 0, 1);
    script.BeginStampLast(false);
    script.Add(sysupdate::dataListFolderCall());
    script.EndStampLast();
    return script.Run();
}
