#include "dbupdate/CompanyStepDb.h"
