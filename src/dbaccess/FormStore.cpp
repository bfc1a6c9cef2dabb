#include "dbaccess/FormStore.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"

#include <QDateTime>

namespace formstore {

bool readBounds(const QString &formName, int opCode, const QSize &defaultSize, QRect &bounds)
{
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        auto q = DM->CreateAccQuery(QStringLiteral("ACCDEF"), false);
        q->setSql(QStringList{QStringLiteral("SELECT FMTOP,FMLEFT,FMHEIGHT,FMWIDTH FROM FORMRSIZE"),
                              QStringLiteral("WHERE FMNAME=:FMNAME AND OPCODE=:OPCODE")});
        q->paramByName(QStringLiteral("FMNAME")).setString(formName);
        q->paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
        q->open();
        if (q->eof()) {
            q->close();
            q->setSql(QStringList{QStringLiteral("INSERT INTO FORMRSIZE"),
                                  QStringLiteral("VALUES(:OPCODE ,:FNAME,:TOP,:LEFT,:HEIGHT,:WIDTH,:DEFHEIGHT,:DEFWIDTH)")});
            q->paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
            q->paramByName(QStringLiteral("FNAME")).setString(formName);
            q->paramByName(QStringLiteral("TOP")).setInteger(0);
            q->paramByName(QStringLiteral("LEFT")).setInteger(0);
            q->paramByName(QStringLiteral("HEIGHT")).setInteger(defaultSize.height());
            q->paramByName(QStringLiteral("WIDTH")).setInteger(defaultSize.width());
            q->paramByName(QStringLiteral("DEFHEIGHT")).setInteger(defaultSize.height());
            q->paramByName(QStringLiteral("DEFWIDTH")).setInteger(defaultSize.width());
            q->execSQL();
            bounds = QRect(QPoint(0, 0), defaultSize);
        } else {
            bounds = QRect(q->fieldByName(QStringLiteral("FMLEFT")).asInteger(), q->fieldByName(QStringLiteral("FMTOP")).asInteger(),
                           q->fieldByName(QStringLiteral("FMWIDTH")).asInteger(), q->fieldByName(QStringLiteral("FMHEIGHT")).asInteger());
            q->close();
        }
        g.commit();
        return true;
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TBSDI.GetFormSize"), QString());
        return false;
    }
}

bool writeBounds(const QString &formName, int opCode, const QRect &bounds)
{
    try {
        TransactionGuard g(DM->IBTransactionDEF);
        auto q = DM->CreateAccQuery(QStringLiteral("ACCDEF"), false);
        q->setSql(QStringList{QStringLiteral("UPDATE FORMRSIZE SET FMTOP=:FMTOP,FMLEFT=:FMLEFT,FMHEIGHT=:FMHEIGHT,FMWIDTH=:FMWIDTH"),
                              QStringLiteral("WHERE OPCODE=:OPCODE AND FMNAME=:FMNAME")});
        q->paramByName(QStringLiteral("FMTOP")).setInteger(bounds.top());
        q->paramByName(QStringLiteral("FMLEFT")).setInteger(bounds.left());
        q->paramByName(QStringLiteral("FMHEIGHT")).setInteger(bounds.height());
        q->paramByName(QStringLiteral("FMWIDTH")).setInteger(bounds.width());
        q->paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
        q->paramByName(QStringLiteral("FMNAME")).setString(formName);
        q->execSQL();
        g.commit();
        return true;
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TBSDI.PutFormSize"), QString());
        return false;
    }
}

void writeOperationLog(FbTransaction &tr, int opCode, const QString &job, const QString &pcName, int state)
{
    try {
        TransactionGuard g(tr);
        FbStoredProc sp(&DM->IBDatabaseDAT, &tr);
        sp.StoredProcName = QStringLiteral("OPINF_DELETE");
        sp.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
        sp.paramByName(QStringLiteral("JOBNAME")).setString(job);
        sp.paramByName(QStringLiteral("STATE")).setString(state == 0 ? QStringLiteral("エラー終了") : QStringLiteral("正常終了"));
        sp.execProc();
        if (state == 0) {
            FbQuery q(&DM->IBDatabaseDAT, &tr);
            q.setSql(QStringList{QStringLiteral("INSERT INTO OPINF(OPCODE,JOBNAME,PCNAME,OPENTIME)"),
                                 QStringLiteral("VALUES(:OPCODE,:JOBNAME,:PCNAME,:OPENTIME)")});
            q.paramByName(QStringLiteral("OPCODE")).setInteger(opCode);
            q.paramByName(QStringLiteral("JOBNAME")).setString(job);
            q.paramByName(QStringLiteral("PCNAME")).setString(pcName);
            q.paramByName(QStringLiteral("OPENTIME")).setDateTime(QDateTime::currentDateTime());
            q.execSQL();
        }
        g.commit();
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TBSDI.PutProcRirekiInfo"), QString());
        throw;
    }
}

} // namespace formstore
