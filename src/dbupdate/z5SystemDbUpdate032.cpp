// System step 0.3.2: the system user (group 10000, code 1) that the e-book
// add-on logs on with.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate032()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 0, 3, 2);
    script.BeginStampLast(false);
    script.Add(QStringLiteral("INSERT INTO OPERATOR(GROUPID,OPCODE,OPNAME,JOBLEVEL,PASWORD,DATAPAS,JIMUSHO,OKINIIRI,KANSA)"));
    script.Add(QStringLiteral("VALUES(10000,1,'システムユーザー',9,0,'',0,0,0);"));
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
