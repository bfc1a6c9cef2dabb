// Company step 0.4.0: a version step; its script changes nothing but the stamp.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

int UserDbUpdate040()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 4, 0);
    script.BeginStampLast(false);
    script.EndStampLast();
    return script.Run();
}
