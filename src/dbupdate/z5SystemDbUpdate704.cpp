// System step 7.0.4: a script-file step; a missing file is passed over.
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate704()
{
    return sysupdate::runFileStep(7, 0, 4, false);
}
