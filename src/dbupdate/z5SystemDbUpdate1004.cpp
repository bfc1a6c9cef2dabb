// System step 10.0.4: a script-file step (the approver among the operators,
// the era Reiwa, the list-slot procedure in its current form); a missing file
// ends it with 18.
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate1004()
{
    return sysupdate::runFileStep(10, 0, 4, true);
}
