#include "comm/DataTusinStore.h"

#include "core/Messages.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"

namespace {

const QString kBasicInfoFailed = QStringLiteral("基本情報の取得に失敗しました。\r");
const QString kGassanGroup = QStringLiteral("基本設定");
const QString kGassanKubunKey = QStringLiteral("合算データ区分");
const QString kGassanCountKey = QStringLiteral("合算データ数");

QDate listDate(const FbField &f)
{
    return f.isNull() ? QDate() : NullIfDateZero(f.asDate());
}

// A failed statement of the merged-data or journal work: reported, and the
// form's transaction committed.
void reportStatementError(const std::exception &e, const QString &context, FbTransaction &tr)
{
    if (const auto *db = dynamic_cast<const FbError *>(&e))
        ShowIBError(*db, context, kBasicInfoFailed);
    else
        ShowErrorMessage(kBasicInfoFailed, exceptionText(e));
    try {
        if (tr.inTransaction()) tr.commit();
    } catch (const std::exception &) {
        // The connection is closed next anyway.
    }
}

} // namespace

QString DataListPeriodText(const QDate &start, const QDate &end)
{
    auto text = [](const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(); };
    return QStringLiteral("%1 ～ %2").arg(text(start), text(end));
}

TDataTusinStore::TDataTusinStore()
    : IBTransaction1(&IBDatabaseDAT,
                     {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")})
{
}

TDataTusinStore::~TDataTusinStore()
{
    UserDbDisconnect();
}

int TDataTusinStore::LoadDataList(TDataSentakuRecArray &rows)
{
    rows.clear();
    TransactionGuard g(DM->IBTransactionDEF, TransactionGuard::Exit::Commit);
    try {
        FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
        q.setSql(QStringList{QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM DATALIST"), QStringLiteral("WHERE (GROUPID=:GROUPID)")});
        q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        q.open();
        const int count = q.eof() ? 0 : q.field(0).asInteger();
        q.close();
        rows.reserve(count);
        q.setSql(QStringList{QStringLiteral("SELECT REC,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,"
                                            "DATALOCK,KYOYULOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT FROM DATALIST"),
                             QStringLiteral("WHERE (GROUPID=:GROUPID)"), QStringLiteral("ORDER BY REC")});
        q.paramByName(QStringLiteral("GROUPID")).setInteger(SystemDef.GroupNo);
        for (q.open(); !q.eof(); q.next()) {
            TDataSentakuRec r;
            auto integer = [&q](const char *name) { return q.fieldByName(QLatin1String(name)).asInteger(); };
            auto text = [&q](const char *name) { return q.fieldByName(QLatin1String(name)).asString(); };
            r.REC = integer("REC");
            r.GROUPID = SystemDef.GroupNo;
            r.ENTTEXT = text("ENTTEXT");
            r.SHOUGOU = text("SHOUGOU");
            r.NENDO = integer("NENDO");
            r.KISHU = listDate(q.fieldByName(QStringLiteral("KISHU")));
            r.KIMATU = listDate(q.fieldByName(QStringLiteral("KIMATU")));
            r.KikanText = DataListPeriodText(r.KISHU, r.KIMATU);
            r.NETDRIVE = integer("NETDRIVE");
            r.PASNAME = text("PASNAME");
            r.PASNAME.replace(u'\\', u'/');
            r.TANTOU = integer("TANTOU");
            r.DATATYPE = integer("DATATYPE");
            r.CODETYPE = integer("CODETYPE");
            r.DATALOCK = integer("DATALOCK");
            r.KYOYULOCK = integer("KYOYULOCK");
            r.VER_MAJOR = integer("VER_MAJOR");
            r.VER_MINOR1 = integer("VER_MINOR1");
            r.VER_MINOR2 = integer("VER_MINOR2");
            r.VER_TEXT = text("VER_TEXT");
            rows.append(r);
        }
        q.close();
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TDataSentakuBox.GetDataListRecord"), QStringLiteral("データリストの取得に失敗しました。"));
        throw;
    }
    return int(rows.size());
}

void TDataTusinStore::UpdateDataListRecord(const TDataListRec &row, const QString &selectedFolder, const QString &gassanKubun)
{
    TDataSentakuListCtl ctl;
    ctl.ConnectMode = ConnectMode;
    ctl.UpdateTransferredDataRecord(row, selectedFolder, gassanKubun == u"10");
}

bool TDataTusinStore::UserDbConnect(const QString &dataDir)
{
    UserDbDisconnect();
    const QString text = QStringLiteral("ユーザーデータベースの接続処理に失敗しました。\r"
                                        "DBファイルが削除、破損 または 使用中の可能性がありますので接続パスを確認して下さい。");
    try {
        IBDatabaseDAT.SQLDialect = 3;
        IBDatabaseDAT.Params.clear();
        IBDatabaseDAT.DatabaseName = DatabasePath(SystemDef.HostName, dataDir, Product.DataFile);
        IBDatabaseDAT.Params = DatabaseParams();
        IBDatabaseDAT.open();
        return true;
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("Bunsan DatConnected"), text);
    } catch (const std::exception &e) {
        ShowErrorMessage(text, exceptionText(e));
    }
    return false;
}

void TDataTusinStore::UserDbDisconnect()
{
    try {
        if (IBTransaction1.inTransaction()) IBTransaction1.commit();
    } catch (const std::exception &) {
        // closing follows
    }
    if (IBDatabaseDAT.connected()) IBDatabaseDAT.close();
}

int TDataTusinStore::ReadGassanInfo(const QString &dataDir, QString &kubun, QString &count)
{
    kubun.clear();
    count.clear();
    // A connection that failed was reported; the settings then read as empty.
    if (!UserDbConnect(dataDir)) return 1;
    try {
        TransactionGuard g(IBTransaction1, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransaction1);
        q.setSql(QStringList{QStringLiteral("SELECT * FROM ACCREG"), QStringLiteral("WHERE AGROUP=:AGROUP and ACODE=:ACODE")});
        auto read = [&q](const QString &key) {
            QString value;
            q.paramByName(QStringLiteral("AGROUP")).setString(kGassanGroup);
            q.paramByName(QStringLiteral("ACODE")).setString(key);
            for (q.open(); !q.eof(); q.next()) value = q.fieldByName(QStringLiteral("ATEXT")).asString();
            q.close();
            return value;
        };
        kubun = read(kGassanKubunKey);
        count = read(kGassanCountKey);
    } catch (const std::exception &e) {
        reportStatementError(e, QStringLiteral("ACCREG"), IBTransaction1);
    }
    UserDbDisconnect();
    return 1;
}

int TDataTusinStore::WriteGassanInfo(const QString &dataDir, const QString &kubun, const QString &count)
{
    if (!UserDbConnect(dataDir)) return 1;
    try {
        TransactionGuard g(IBTransaction1, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransaction1);
        q.setSql(QStringList{QStringLiteral("UPDATE ACCREG SET ATEXT=:ATEXT"),
                             QStringLiteral("WHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)")});
        auto write = [&q](const QString &key, const QString &value) {
            q.paramByName(QStringLiteral("ATEXT")).setString(value);
            q.paramByName(QStringLiteral("AGROUP")).setString(kGassanGroup);
            q.paramByName(QStringLiteral("ACODE")).setString(key);
            q.execSQL();
        };
        write(kGassanKubunKey, kubun);
        write(kGassanCountKey, count);
        g.commit();
    } catch (const std::exception &e) {
        reportStatementError(e, QStringLiteral("ACCREG"), IBTransaction1);
    }
    UserDbDisconnect();
    return 1;
}

bool TDataTusinStore::CountApprovedEntries(const QString &dataDir)
{
    if (!UserDbConnect(dataDir)) return false;
    bool any = false;
    try {
        TransactionGuard g(IBTransaction1, TransactionGuard::Exit::Commit);
        FbQuery q(&IBDatabaseDAT, &IBTransaction1);
        q.setSql(QStringList{QStringLiteral("SELECT COUNT(*) "), QStringLiteral("FROM SIWAKE_VIEW WHERE (SHONIN_OPCODE <> 0) ")});
        q.open();
        any = !q.eof() && q.field(0).asInteger() > 0;
        q.close();
    } catch (const std::exception &e) {
        reportStatementError(e, QStringLiteral("SIWAKE_VIEW"), IBTransaction1);
        any = false;
    }
    UserDbDisconnect();
    return any;
}
