#include "dbupdate/DbVersionStore.h"

#include "dbaccess/FbClient.h"

TDbVersionRec ReadNewestDbVersion(FbDatabase &db, int kind)
{
    TDbVersionRec version;
    FbTransaction tr(&db, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    FbQuery q(&db, &tr);
    TransactionGuard g(tr, TransactionGuard::Exit::Commit);
    q.setSql(QStringList{kind == 0 ? QStringLiteral("SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM VERSION")
                                   : QStringLiteral("SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM ACCVERSION"),
                         QStringLiteral("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC")});
    q.open();
    if (!q.eof()) {
        version.Major = q.fieldByName(QStringLiteral("MAJOR")).asInteger();
        version.Minor = q.fieldByName(QStringLiteral("MINOR")).asInteger();
        version.Rev = q.fieldByName(QStringLiteral("REV")).asInteger();
    }
    q.close();
    return version;
}
