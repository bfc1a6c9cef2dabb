// Company step 4.0.2: a file step (folder 402 of the "sql" folder), stamped
// last; medical-corporation data leaves out vqzup02.sql, and a missing file is
// passed over.
#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

int UserDbUpdate402()
{
    TDbUpdateScript script(TDbUpdateTarget::Company, 4, 0, 2);
    script.BeginStampLast(true);
    QStringList files;
    for (int i = 1; i <= 6; ++i) files << QStringLiteral("vqzup%1.sql").arg(i, 2, 10, QChar(u'0'));
    const bool medical = AccInf.Medical;
    script.AddFiles(files, false, [medical](const QString &name) {
        return medical && name == QStringLiteral("vqzup02.sql");
    });
    script.EndStampLast();
    return script.Run();
}
