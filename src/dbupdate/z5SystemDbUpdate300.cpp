// System step 3.0.0: the version trigger written again, and the update-lock
// and merge columns of the local and shared-server lists.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

namespace {

const char kStatements[] = R"(
SET TERM ^ ;
ALTER TRIGGER VERSION_REC
ACTIVE BEFORE INSERT POSITION 0
AS
DECLARE VARIABLE REC_WK INTEGER;
BEGIN
  SELECT MAX(V.REC) FROM VERSION V INTO :REC_WK;
  IF (REC_WK IS NULL) THEN
    NEW.REC = 1;
  ELSE
    NEW.REC = REC_WK + 1;
END^
SET TERM ; ^
COMMIT;
ALTER TABLE DATALIST ADD UPDATE_LOCK INTEGER DEFAULT 0, ADD GASSAN INTEGER DEFAULT 0;
ALTER TABLE SERVERDATALIST ADD UPDATE_LOCK INTEGER DEFAULT 0, ADD GASSAN INTEGER DEFAULT 0;
UPDATE DATALIST       SET UPDATE_LOCK=0,GASSAN=0;
UPDATE SERVERDATALIST SET UPDATE_LOCK=0,GASSAN=0;
)";

} // namespace

int SystemDbUpdate300()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 3, 0, 0);
    script.BeginStampLast(false);
    script.Add(sysupdate::lines(kStatements));
    script.EndStampLast();
    return script.Run();
}
