// Company step 0.3.0: a version step; its script changes nothing but the stamp.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

int UserDbUpdate030()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 3, 0);
    script.BeginStampLast(false);
    script.EndStampLast();
    return script.Run();
}
