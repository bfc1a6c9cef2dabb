// Company step 0.3.2: a version step; its script changes nothing but the stamp.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

int UserDbUpdate032()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 3, 2);
    script.BeginStampLast(false);
    script.EndStampLast();
    return script.Run();
}
