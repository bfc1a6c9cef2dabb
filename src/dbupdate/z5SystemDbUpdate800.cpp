// System step 8.0.0: a script-file step (the individual-number administrator
// of the operators); a missing file ends it with 18.
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate800()
{
    return sysupdate::runFileStep(8, 0, 0, true);
}
