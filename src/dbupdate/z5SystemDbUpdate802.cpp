// System step 8.0.2: the job control by process name. The script file makes
// JOBCONTROL2; afterwards the old rows by menu place are converted into it.
#include "dbaccess/FbClient.h"
#include "dbaccess/MenuList.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

#include <vector>

void ConvertJobControl(FbQuery &q)
{
    struct Place {
        int level, page, menu;
    };
    std::vector<Place> places;
    q.setSql(QStringList{QStringLiteral("SELECT LEVELNO,PAGENO,MENUNO FROM JOBCONTROL"),
                         QStringLiteral("ORDER BY LEVELNO,PAGENO,MENUNO")});
    for (q.open(); !q.eof(); q.next())
        places.push_back({q.field(0).asInteger(), q.field(1).asInteger(), q.field(2).asInteger()});
    q.close();

    q.setSql(QStringList{QStringLiteral("INSERT INTO JOBCONTROL2(LEVELNO,PROC_ID,PROC_OPTION)"),
                         QStringLiteral("VALUES(:LEVELNO,:PROC_ID,:PROC_OPTION)")});
    for (const Place &p : places) {
        QString process, option;
        GetOldMenuProcess(p.level, p.page, p.menu, process, option);
        if (process.isEmpty()) continue;
        q.paramByName(QStringLiteral("LEVELNO")).setInteger(p.level);
        q.paramByName(QStringLiteral("PROC_ID")).setString(process);
        q.paramByName(QStringLiteral("PROC_OPTION")).setString(option);
        q.execSQL();
    }
    q.setSql(QString());
}

int SystemDbUpdate802()
{
    const int result = sysupdate::runFileStep(8, 0, 2, true);
    if (result != DbUpdateDone) return result;
    return RunPostStep(TDbUpdateTarget::System, ConvertJobControl);
}
