#include "comm/z5CashBookSender.h"

#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "framework/MessageDlg.h"

#include <vector>

TCashBookSender::TCashBookSender(TDM *dm) : m_dm(dm)
{
    for (FbQuery *q : {&SelectSql, &UpdateSql}) {
        q->Database = &m_dm->IBDatabaseDAT;
        q->Transaction = &m_dm->IBTransactionDAT;
    }
    Clear();
}

void TCashBookSender::Clear()
{
    ResultValue = 0;
    SyoriInfo = TCorvenaSyoriInfo();
    SyoriInfo.ProcName = QStringLiteral("CashBookSender");
    SyoriLog.clear();
}

void TCashBookSender::AddLog()
{
    TCorvenaSyoriInfo entry;
    entry.Level = SyoriInfo.Level;
    entry.Code = SyoriInfo.Code;
    entry.Message = SyoriInfo.Message;
    SyoriLog.append(entry);
    ResultCode();
}

qint32 TCashBookSender::ResultCode()
{
    ResultValue = SyoriLogResultCode(SyoriLog);
    return ResultValue;
}

void TCashBookSender::fullStamp(const QString &cash)
{
    struct Row {
        int rec, swkrec, delflg;
        QString kcode, rkcode;
    };
    std::vector<Row> rows;
    SelectSql.setSql(QStringList{QStringLiteral("SELECT REC,SWKREC,DELFLG,KCODE,R_KCODE FROM SIWAKE"),
                                 QStringLiteral("WHERE (DELFLG IN (0,1)) AND (TAISHAKU=1) AND ((KCODE=:KCODE OR R_KCODE=:R_KCODE) OR "
                                                "(LINKREC>0))")});
    SelectSql.paramByName(QStringLiteral("KCODE")).setString(cash);
    SelectSql.paramByName(QStringLiteral("R_KCODE")).setString(cash);
    for (SelectSql.open(); !SelectSql.eof(); SelectSql.next())
        rows.push_back({SelectSql.field(0).asInteger(), SelectSql.field(1).asInteger(), SelectSql.field(2).asInteger(),
                        SelectSql.field(3).asString(), SelectSql.field(4).asString()});
    SelectSql.close();

    UpdateSql.setSql(QStringList{QStringLiteral("UPDATE SIWAKE SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2,LINKKEY=:LINKKEY,"
                                                "LINKKUB=:LINKKUB,LINKREC=:LINKREC"),
                                 QStringLiteral(",LOCALFLG=:LOCALFLG"), QStringLiteral("WHERE SWKREC=:SWKREC")});
    for (const Row &row : rows) {
        const bool cashEntry = row.kcode == cash || row.rkcode == cash;
        const bool live = cashEntry && row.delflg == 0;
        UpdateSql.paramByName(QStringLiteral("RESERVE1")).setInteger(cashEntry ? row.rec : 0);
        UpdateSql.paramByName(QStringLiteral("RESERVE2")).setInteger(0);
        UpdateSql.paramByName(QStringLiteral("LINKKEY")).setString(live ? QString::number(row.rec) : QString());
        UpdateSql.paramByName(QStringLiteral("LINKKUB")).setInteger(live ? 10 : 0);
        UpdateSql.paramByName(QStringLiteral("LINKREC")).setInteger(0);
        UpdateSql.paramByName(QStringLiteral("LOCALFLG")).setInteger(0);
        UpdateSql.paramByName(QStringLiteral("SWKREC")).setInteger(row.swkrec);
        UpdateSql.execSQL();
    }
}

void TCashBookSender::linkOnlyStamp(const QString &cash)
{
    struct Row {
        int rec, swkrec;
    };
    std::vector<Row> rows;
    SelectSql.setSql(QStringList{QStringLiteral("SELECT REC,SWKREC,LINKKUB,LINKKEY,RESERVE1 FROM SIWAKE"),
                                 QStringLiteral("WHERE (DELFLG=0) AND (LINKKUB=0) AND (TAISHAKU=1) AND ((KCODE=:KCODE OR "
                                                "R_KCODE=:R_KCODE) OR (LINKREC>0))")});
    SelectSql.paramByName(QStringLiteral("KCODE")).setString(cash);
    SelectSql.paramByName(QStringLiteral("R_KCODE")).setString(cash);
    for (SelectSql.open(); !SelectSql.eof(); SelectSql.next())
        rows.push_back({SelectSql.field(0).asInteger(), SelectSql.field(1).asInteger()});
    SelectSql.close();

    UpdateSql.setSql(QStringList{QStringLiteral("UPDATE SIWAKE SET LINKKEY=:LINKKEY,LINKKUB=:LINKKUB"),
                                 QStringLiteral("WHERE SWKREC=:SWKREC")});
    for (const Row &row : rows) {
        UpdateSql.paramByName(QStringLiteral("LINKKEY")).setString(QString::number(row.rec));
        UpdateSql.paramByName(QStringLiteral("LINKKUB")).setInteger(10);
        UpdateSql.paramByName(QStringLiteral("SWKREC")).setInteger(row.swkrec);
        UpdateSql.execSQL();
    }
}

void TCashBookSender::Execute()
{
    Clear();
    if (LinkOnly == 1) StampMode = 1;
    try {
        TransactionGuard g(m_dm->IBTransactionDAT);
        const QString cash = AccInf.SysKCode[saGenkin];
        if (StampMode == 0) fullStamp(cash);
        else linkOnlyStamp(cash);
        g.commit();
    } catch (const std::exception &e) {
        for (FbQuery *q : {&SelectSql, &UpdateSql})
            if (q->active()) q->close();
        const QString cause = QStringLiteral("原因: %1").arg(exceptionText(e));
        SyoriInfo.Level = 3;
        SyoriInfo.Code = -100;
        SyoriInfo.Message = QStringLiteral("出納帳データの送信処理に失敗しました。 ") + cause;
        AddLog();
        MessageDlg(QStringLiteral("出納帳データの送信処理中にエラーが発生しました。\r\r") + cause, TMsgDlgType::mtError, mbOK);
        return;
    }
    SyoriInfo.Level = 1;
    SyoriInfo.Code = 1;
    SyoriInfo.Message = QStringLiteral("出納帳データの送信処理が成功しました。");
    AddLog();
}
