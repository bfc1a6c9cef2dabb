#pragma once
// The link stamp of the cash journal entries of the open company database,
// made around the cash-book sends so that the take-in of the cash book that
// comes back (TCashBookLoader::ImportCashSiwake) recognises each entry again.
// The full stamp (before a master send) makes every cash entry its own link;
// the link-only stamp (after the other sends) links the live entries not yet
// linked. All stamping of one run is one transaction on the company database.
#include "dbaccess/FbClient.h"
#include "dbaccess/SyoriLog.h"

class TDM;

class TCashBookSender
{
public:
    explicit TCashBookSender(TDM *dm);
    TCashBookSender(const TCashBookSender &) = delete;
    TCashBookSender &operator=(const TCashBookSender &) = delete;
    virtual ~TCashBookSender() = default;

    quint8 LinkOnly = 0;  // 1 forces the link-only stamp
    quint8 StampMode = 1; // 0 full stamp, 1 link-only stamp

    // The stamp; never raises: a failure ends in the log (-100), is rolled
    // back when the run started the transaction, and is shown in an error box.
    virtual void Execute();
    qint32 ResultCode();
    void Clear();
    void AddLog();

    qint32 ResultValue = 0;
    TCorvenaSyoriInfo SyoriInfo;
    TCorvenaSyoriLog SyoriLog;
    FbQuery SelectSql, UpdateSql;

private:
    void fullStamp(const QString &cash);
    void linkOnlyStamp(const QString &cash);
    TDM *m_dm;
};
