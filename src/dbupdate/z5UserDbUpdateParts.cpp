#include "dbupdate/z5UserDbUpdateParts.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"

#include <QFile>

// The statement resources are linked from a static library.
static void initStepResources()
{
    Q_INIT_RESOURCE(dbupdate);
}

QStringList UserStepStatements(const QString &name)
{
    initStepResources();
    QFile f(QStringLiteral(":/dbupdate/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("更新スクリプト(%1)が見つかりません。").arg(name));
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith(u'\n')) text.chop(1);
    return text.split(u'\n');
}

bool CompanyHasColumn(const QString &table, const QString &column)
{
    return CompanyHasColumns(table, {column}).value(0);
}

QList<bool> CompanyHasColumns(const QString &table, const QStringList &columns)
{
    QList<bool> exists(columns.size(), false);
    if (DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false))
        for (qsizetype i = 0; i < columns.size(); ++i) exists[i] = DM->fnExistence_Field(table, columns[i]);
    DM->fnAccDatDisConnected(SystemDef.DataDir, false, false);
    return exists;
}

QStringList Accdef1Hasuu3Lines()
{
    return {QStringLiteral("ALTER TABLE ACCDEF1"), QStringLiteral("ADD SDAI_HASUU3 INTEGER DEFAULT 0;"),
            QStringLiteral("UPDATE ACCDEF1 SET SDAI_HASUU3=0 WHERE REC=1;"), QStringLiteral("COMMIT;")};
}

QStringList Accdef1KessanKikanLines()
{
    return {QStringLiteral("ALTER TABLE ACCDEF1"), QStringLiteral("ADD KESSAN_KIKAN INTEGER DEFAULT -1,"),
            QStringLiteral("ADD CASHFLOW_KIKAN1 INTEGER DEFAULT -1,"),
            QStringLiteral("ADD CASHFLOW_KIKAN2 INTEGER DEFAULT -1;"),
            QStringLiteral("UPDATE ACCDEF1 SET KESSAN_KIKAN=-1,CASHFLOW_KIKAN1=-1,CASHFLOW_KIKAN2=-1 WHERE REC=1;"),
            QStringLiteral("COMMIT;")};
}
