#include "datasets/DataPlaceStore.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5SystemDbUpdate.h"

namespace dataplacestore {

TDataPlaceList initialPlaces(const QString &sysDir)
{
    TDataPlaceList out;
    TDataPlaceRec zero;
    zero.REC = 0;
    zero.ORDERKBN = 1;
    zero.PATH = sysDir;
    zero.NAME = DataPlaceZeroName(sysDir);
    out << zero;
    for (int i = 1; i < PlaceCount; ++i) {
        TDataPlaceRec p;
        p.REC = i;
        p.ORDERKBN = i + 1;
        p.PATH = sysDir + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        out << p;
    }
    return out;
}

TDataPlaceList load(bool namedOnly)
{
    TDataPlaceList out;
    TransactionGuard g(DM->IBTransactionDEF);
    FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
    q.setSql(QStringLiteral("SELECT COUNT(REC) AS RECCNT FROM DATAPLACEMAN"));
    q.open();
    const int count = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    if (count == 0) {
        q.setSql(QStringList{QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH)"),
                             QStringLiteral("VALUES(:REC,:ORDERKBN,:NAME,:PATH)")});
        for (const TDataPlaceRec &p : initialPlaces(SystemDef.SysDir)) {
            q.paramByName(QStringLiteral("REC")).setInteger(p.REC);
            q.paramByName(QStringLiteral("ORDERKBN")).setInteger(p.ORDERKBN);
            q.paramByName(QStringLiteral("NAME")).setString(p.NAME);
            q.paramByName(QStringLiteral("PATH")).setString(p.PATH);
            q.execSQL();
        }
    }
    const QString named = QStringLiteral("WHERE NAME<>''");
    QStringList sql{QStringLiteral("SELECT REC,ORDERKBN,NAME,PATH FROM DATAPLACEMAN")};
    if (namedOnly) sql << named;
    sql << QStringLiteral("ORDER BY ORDERKBN,REC");
    q.setSql(sql);
    for (q.open(); !q.eof(); q.next()) {
        TDataPlaceRec p;
        p.REC = q.field(0).asInteger();
        p.ORDERKBN = q.field(1).asInteger();
        p.NAME = q.field(2).asString();
        p.PATH = q.field(3).asString();
        out << p;
    }
    q.close();
    g.commit();
    return out;
}

void save(TDataPlaceList &places, int maxCount)
{
    {
        TransactionGuard g(DM->IBTransactionDEF);
        FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
        for (const TDataPlaceRec &p : places) {
            if (p.State <= 0) continue;
            q.setSql(QStringList{QStringLiteral("UPDATE DATAPLACEMAN SET ORDERKBN=:ORDERKBN,NAME=:NAME"),
                                 QStringLiteral("WHERE REC=:REC")});
            q.paramByName(QStringLiteral("ORDERKBN")).setInteger(p.ORDERKBN);
            q.paramByName(QStringLiteral("NAME")).setString(p.NAME);
            q.paramByName(QStringLiteral("REC")).setInteger(p.REC);
            q.execSQL();
            if (p.State == 1) {
                q.setSql(QStringLiteral("SELECT REC FROM SP_DATALIST_INSERT(:REC,:PATH,:MAXCNT)"));
                q.paramByName(QStringLiteral("REC")).setInteger(p.REC);
                q.paramByName(QStringLiteral("PATH")).setString(p.PATH);
                q.paramByName(QStringLiteral("MAXCNT")).setInteger(maxCount);
                for (q.open(); !q.eof(); q.next()) {
                }
                q.close();
            } else if (p.State == 9) {
                q.setSql(QStringList{QStringLiteral("DELETE FROM DATALIST_EX"), QStringLiteral("WHERE DATAPLACEREC=:REC")});
                q.paramByName(QStringLiteral("REC")).setInteger(p.REC);
                q.execSQL();
            }
        }
        g.commit();
    }
    for (TDataPlaceRec &p : places) p.State = 0;
}

bool hasDataSets(int rec, const std::function<bool(const QString &folder)> &folderExists)
{
    try {
        QStringList folders;
        {
            TransactionGuard g(DM->IBTransactionDEF);
            FbQuery q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
            q.setSql(QStringList{QStringLiteral("SELECT PASNAME FROM DATALIST_EX"), QStringLiteral("WHERE (DATAPLACEREC=:REC)"),
                                 QStringLiteral("ORDER BY REC")});
            q.paramByName(QStringLiteral("REC")).setInteger(rec);
            for (q.open(); !q.eof(); q.next()) folders << q.field(0).asString();
            q.close();
            g.commit();
        }
        for (const QString &f : folders)
            if (!f.trimmed().isEmpty() && folderExists(f)) return true;
        return false;
    } catch (const std::exception &) {
        return true; // what cannot be read may hold data: it is not freed
    }
}

} // namespace dataplacestore
