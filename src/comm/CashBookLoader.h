#pragma once
// The take-in of a company database received from the relay server, without
// a window: the second connection, the one transaction over the received and
// the open company database, the step driver, the processing log and its
// export. Two kinds: the cash-book import (ImportKind 1: account checks,
// sub-accounts, opening balances, cash balance comparison) and the data
// import (ImportKind 0: dictionaries and data-list name carried into the
// received database, which then replaces the company database file).
#include "comm/z5FileLoader.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/SitenList.h"
#include "dbaccess/SyoriLog.h"
#include "dbaccess/z5SiwakeIO.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class TDM;

struct TReceiveKamokuInfo {
    QString GROUPM0;
    QString USERCODE;
    QString KNAME;
    qint32 USE = 0;
    QString HOJOSW;
};

struct TCashBookLoadKamokuRec {
    QString KCODE;
    qint32 DAC = 0;
};

class TCashBookLoader
{
public:
    explicit TCashBookLoader(TDM *dm);
    ~TCashBookLoader();
    TCashBookLoader(const TCashBookLoader &) = delete;
    TCashBookLoader &operator=(const TCashBookLoader &) = delete;

    QString ReceiveFile;
    quint8 SourceKind = 0; // 0 the client's cash-book data, 1 data of the sending office
    quint8 ImportKind = 1; // 1 cash-book import, 0 data import

    // Stores the path; only an existing file becomes the received connection's database.
    void SetReceiveFile(const QString &path);

    // The whole run: the other-users check, both connections, the step driver,
    // and the company connection opened again at the end.
    void Run();
    void Process();
    qint32 ResultCode();

    // Steps.
    bool CheckDataVersion();
    bool CheckKamokuStructure();
    QString MapCashKamokuCode(const QString &group, const QString &kcode) const;
    void ImportHojoKamoku();
    void ImportOpeningBalances();
    void CompareCashBalance();
    // The fourth step of a cash-book import: the cash journal entries of the
    // received database merged into the company database (the default of
    // MergeCashEntries).
    bool ImportCashSiwake();
    void TransferDictionaries();
    void TransferDataListName();
    void FinishImport();
    // Puts the received file in place of the company database file (data
    // import only): 1 replaced, 0 nothing to do, -1 failed (the company
    // database is the previous one, and the log says so).
    int ReplaceDataFile();

    // The log: AddLog appends the current entry.
    void AddLog();
    void AddLog(quint8 level, qint32 code, const QString &message);

    // The log as the bytes of its export: CSV (fields in apostrophes, ","),
    // or text (fields bare, tab); an empty line after every entry.
    static QByteArray LogFileBytes(const TCorvenaSyoriLog &log, bool csv);
    static QString LevelText(quint8 level);

    // Connections and the work transaction over both databases.
    FbDatabase ReceiveIBDatabase;
    FbTransaction ReceiveIBTransaction;
    FbQuery IBSQL1, IBSQL2;               // on the open company database
    FbQuery ReceiveIBSQL1, ReceiveIBSQL2; // on the received database

    TSitenList SitenList;
    TJisyoLoader JisyoLoader;
    TSiwakeWrite SiwakeWrite;

    qint32 ResultValue = 0;
    TCorvenaSyoriInfo SyoriInfo;
    TCorvenaSyoriLog SyoriLog;
    int RecvMajor = 0, RecvMinor1 = 0, RecvMinor2 = 0;

    // The lowest received data version a cash-book import takes (never set here).
    int MinMajor = 0, MinMinor1 = 0, MinMinor2 = 0;

    // The view: the step text (the window repaints), progress, log lines.
    std::function<void(const QString &text)> OnLabel;
    std::function<void(int max)> OnProgressReset;
    std::function<void()> OnProgressStep;
    std::function<void(const TCorvenaSyoriInfo &entry)> OnLogAdded;
    std::function<void()> OnLogCleared;
    // The merge of the cash journal entries (the fourth step of a cash-book
    // import): ImportCashSiwake unless a test puts another in.
    std::function<void(TCashBookLoader &loader)> MergeCashEntries;
    // The file copy and move of the replacement (source, target, connection
    // mode): the data module's by default; tests put failing ones in.
    std::function<bool(const QString &, const QString &, int)> CopyFile, MoveFile;

    // The details of the entry a merge log line names.
    struct TSiwakeInfo {
        int SWKREC = 0;
        QString Date;    // "yyyy/mm/dd"
        QString Counter; // the counter account's name
        QString Text;    // the description, "－" when empty
        QString Amount;  // "#,##0"
    };
    TSWKREC SiwakeRec; // the writer's record of the merge

private:
    struct LocalEntry {
        bool Found = false;
        int REC = 0, SWKNO = 0, LINKREC = 0, RESERVE1 = 0, RESERVE2 = 0, DELFLG = 0;
    };
    LocalEntry findLocalEntry(FbQuery &received);
    bool needsUpdate(const LocalEntry &local, FbQuery &received) const;
    void fillFromReceived(FbQuery &received, TSiwakeInfo &info);
    int writeEntry(QString &error);
    void restoreLinkedEntry(const LocalEntry &local, int receivedReserve1);
    void setLinkReserve(const LocalEntry &local, FbQuery &received);
    void logEntry(qint32 code, const TSiwakeInfo &info, const QString &text);
    QString accountCodeOf(const QString &userCode);

    void label(const QString &text);
    void step();
    void resetRun();
    void setWorkTransaction();
    void endTransaction(bool commit);
    void makeSummary();
    void closeConnections();
    // Runs a step; a failure is logged with its text and raised again.
    template <typename F>
    void guarded(const QString &failure, F &&work);

    TDM *m_dm;
    bool m_wasActive = false;
    bool m_replaceFailed = false;
};
