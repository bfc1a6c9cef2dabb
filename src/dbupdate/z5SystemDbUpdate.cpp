// What the upgrade steps of the system database share.
#include "dbupdate/z5SystemDbUpdate.h"

#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"

namespace sysupdate {

QStringList lines(const char *text)
{
    QString s = QString::fromUtf8(text);
    if (s.startsWith(u'\n')) s.remove(0, 1);
    if (s.endsWith(u'\n')) s.chop(1);
    return s.split(u'\n');
}

int runFileStep(int major, int minor1, int minor2, bool missingEndsStep)
{
    TDbUpdateScript script(TDbUpdateTarget::System, major, minor1, minor2);
    script.BeginStampFirst(true);
    const int assembled = script.AddFiles({QStringLiteral("sysup01.sql")}, missingEndsStep);
    if (assembled != DbUpdateDone) return assembled;
    script.EndStampFirst();
    return script.Run();
}

QStringList dataListFolderCall()
{
    if (ConnectMode != 1) return {};
    return {QStringLiteral("SELECT * FROM SP_DATALIST_UPDATE('%1');").arg(SqlText(SystemDef.SysDir.toUpper())),
            QStringLiteral("COMMIT;")};
}

} // namespace sysupdate
