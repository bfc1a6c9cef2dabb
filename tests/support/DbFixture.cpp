#include "support/DbFixture.h"

#include "dbaccess/AccInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"

#include <QDir>

void DbFixture::SetUp()
{
    const QString base = testenv::freshDir(QStringLiteral("root"));
    // Copies of the databases the scripts make, here and in the test itself.
    SetSchemaTemplateFolder(testenv::schemaTemplateFolder());
    root = CreateDataRoot(base, testenv::kDbUser, testenv::kDbPassword);
    SystemDef = TSystemDef();
    SystemDef.SysDir = root.sysDir;
    SystemDef.DbUser = testenv::kDbUser;
    SystemDef.DbPassword = testenv::kDbPassword;
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

// Every process-wide record the fixture or its tests set goes back to what the
// process started with, so the next test in the process starts clean.
void DbFixture::TearDown()
{
    dm.reset();
    DM = nullptr;
    SystemDef = TSystemDef();
    AccInf = TACCINF();
    ConnectMode = 0;
    StartMode = 0;
    Edition = 0;
    OptionalMenu = false;
    KikanMode = 0;
    DataVersionText.clear();
    ResetConnectionLost();
    SetTerminateHook(nullptr);
    SetErrorLogClock(nullptr);
    RunProcessHook = nullptr;
    DataCheckHook = nullptr;
    DataListRowUpdater = nullptr;
    SetSchemaTemplateFolder(QString());
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

QString DbFixture::slot(int rec) const
{
    return root.sysDir + QStringLiteral("/%1").arg(rec, 4, 10, QLatin1Char('0'));
}

void DbFixture::addCompany(int rec)
{
    CreateCompanyDatabase(slot(rec), testenv::kDbUser, testenv::kDbPassword);
}

void DbFixture::setCompanyVersion(const QString &folder, int major, int minor1, int minor2)
{
    FbDatabase db;
    db.DatabaseName = folder + u'/' + Product.DataFile;
    db.Params = {QStringLiteral("user_name=") + testenv::kDbUser, QStringLiteral("password=") + testenv::kDbPassword,
                 QStringLiteral("lc_ctype=SJIS_0208")};
    db.open();
    FbTransaction tr(&db, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.startTransaction();
    FbQuery q(&db, &tr);
    q.setSql(QStringLiteral("UPDATE ACCVERSION SET MAJOR=%1,MINOR1=%2,MINOR2=%3 WHERE REC=1").arg(major).arg(minor1).arg(minor2));
    q.execSQL();
    tr.commit();
    db.close();
}

void DbFixture::describeDataSet(int rec, const QString &ent, int type, int major, int minor, const QString &code)
{
    exec(QStringLiteral("ACCDEF"),
         QStringLiteral("UPDATE DATALIST SET ENTTEXT='%1',SHOUGOU='%1',NENDO=2025,DATATYPE=%2,CODETYPE=1,"
                        "VER_MAJOR=%3,VER_MINOR1=%4,VER_MINOR2=0,VER_TEXT='%3.%4.0',DATACODE='%5',"
                        "KISHU='2025-04-01',KIMATU='2026-03-31' WHERE REC=%6")
             .arg(ent)
             .arg(type)
             .arg(major)
             .arg(minor)
             .arg(code)
             .arg(rec));
}

void DbFixture::holdByAnotherOperator(const QString &folder, int opCode, const QString &opName)
{
    TDataInfomation info;
    TDataInfomationRec rec;
    info.ReadIniInfo(folder, rec);
    rec.Status = 2;
    rec.OpCode = opCode;
    rec.OpName = opName;
    info.WriteIniFile(folder, QString(), rec);
}
