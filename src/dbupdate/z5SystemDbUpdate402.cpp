// System step 4.0.2: the status and spare columns of the four data-set lists
// (the status marks a data set found damaged). The federation editions keep
// their lists as they are and only stamp the version.
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

int SystemDbUpdate402()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 4, 0, 2);
    script.BeginStampLast(true);
    if (Edition == 0) {
        script.Add(sysupdate::dataListFolderCall());
        const QString tables[] = {QStringLiteral("DATALIST"), QStringLiteral("SERVERDATALIST"),
                                  QStringLiteral("CHILD_DATALIST"), QStringLiteral("CHILD_SERVERDATALIST")};
        for (const QString &t : tables)
            script.Add(QStringLiteral("ALTER TABLE %1 ADD DATA_STATUS INTEGER DEFAULT 0,"
                                      " ADD YOBI1 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',"
                                      " ADD YOBI2 VARCHAR(10) CHARACTER SET ASCII DEFAULT '',"
                                      " ADD YOBI3 VARCHAR(10) CHARACTER SET ASCII DEFAULT '';")
                           .arg(t));
        for (const QString &t : tables)
            script.Add(QStringLiteral("UPDATE %1 SET DATA_STATUS=0,YOBI1='',YOBI2='',YOBI3='';").arg(t));
        script.Add(QStringLiteral("COMMIT;"));
    }
    script.EndStampLast();
    return script.Run();
}
