#include "support/DbFixture.h"

#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "support/TestEnv.h"

#include <QDir>

void DbFixture::SetUp()
{
    const QString base = testenv::freshDir(QStringLiteral("root"));
    root = CreateDataRoot(base, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
    SystemDef = TSystemDef();
    SystemDef.SysDir = root.sysDir;
    SystemDef.DbUser = QStringLiteral("DORVEL");
    SystemDef.DbPassword = QStringLiteral("zoltup");
    SystemDef.LogDir = base + QStringLiteral("/log");
    SystemDef.WinTempDir = base + QStringLiteral("/temp");
    SystemDef.PcName = QStringLiteral("PC01");
    SystemDef.GroupNo = 10000;
    QDir().mkpath(SystemDef.LogDir);
    QDir().mkpath(SystemDef.WinTempDir);
    ConnectMode = 0;
    ResetConnectionLost();
    dm = std::make_unique<TDM>();
    DM = dm.get();
}

void DbFixture::TearDown()
{
    dm.reset();
    DM = nullptr;
}

void DbFixture::exec(const QString &selector, const QString &sql)
{
    auto q = dm->CreateAccQuery(selector, false);
    TransactionGuard g(*q->Transaction);
    q->setSql(sql);
    q->execSQL();
    g.commit();
}

QString DbFixture::scalar(const QString &selector, const QString &sql)
{
    auto q = dm->CreateAccQuery(selector, false);
    TransactionGuard g(*q->Transaction);
    q->setSql(sql);
    q->open();
    const QString v = q->eof() ? QString() : q->field(0).asString();
    q->close();
    g.commit();
    return v;
}
