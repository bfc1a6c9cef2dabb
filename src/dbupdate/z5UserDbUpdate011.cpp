// Company step 0.1.1: the fixed-asset (depreciation) tables in their final
// layout, their procedures and triggers, the default journal settings, the
// lease-period method, the staff-number query and the ACCDEF1 settings columns.
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "platform/Error.h"

#include <QFile>

// The statement resource is linked from a static library.
static void initStepResources()
{
    Q_INIT_RESOURCE(dbupdate);
}

namespace {

// The statements that stand in the step itself.
QStringList inlineStatements()
{
    initStepResources();
    QFile f(QStringLiteral(":/dbupdate/UserDbUpdate011.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("更新スクリプト(0.1.1)が見つかりません。"));
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith(u'\n')) text.chop(1);
    return text.split(u'\n');
}

// One question to the company database of the data set: it is opened for the
// question alone and closed again; a failed question counts as a missing column.
bool companyHasColumn(const QString &table, const QString &column)
{
    bool exists = false;
    if (DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false))
        exists = DM->fnExistence_Field(table, column);
    DM->fnAccDatDisConnected(SystemDef.DataDir, false, false);
    return exists;
}

} // namespace

int UserDbUpdate011()
{
    const bool hasHasuu3 = companyHasColumn(QStringLiteral("ACCDEF1"), QStringLiteral("SDAI_HASUU3"));
    const bool hasKessanKikan = companyHasColumn(QStringLiteral("ACCDEF1"), QStringLiteral("KESSAN_KIKAN"));

    TDbUpdateScript script(TDbUpdateTarget::Company, 0, 1, 1);
    script.BeginStampLast(false);
    script.Add(inlineStatements());
    if (!hasHasuu3) {
        script.Add({QStringLiteral("ALTER TABLE ACCDEF1"), QStringLiteral("ADD SDAI_HASUU3 INTEGER DEFAULT 0;"),
                    QStringLiteral("UPDATE ACCDEF1 SET SDAI_HASUU3=0 WHERE REC=1;"), QStringLiteral("COMMIT;")});
    }
    if (!hasKessanKikan) {
        script.Add({QStringLiteral("ALTER TABLE ACCDEF1"), QStringLiteral("ADD KESSAN_KIKAN INTEGER DEFAULT -1,"),
                    QStringLiteral("ADD CASHFLOW_KIKAN1 INTEGER DEFAULT -1,"),
                    QStringLiteral("ADD CASHFLOW_KIKAN2 INTEGER DEFAULT -1;"),
                    QStringLiteral("UPDATE ACCDEF1 SET KESSAN_KIKAN=-1,CASHFLOW_KIKAN1=-1,CASHFLOW_KIKAN2=-1 WHERE REC=1;"),
                    QStringLiteral("COMMIT;")});
    }
    script.EndStampLast();
    return script.Run();
}
