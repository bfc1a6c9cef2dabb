#pragma once
// The journal writer: the one gate through which journal entries reach the
// company database. It reads an entry, prepares a new one, checks it against
// the company's masters and settings, inserts or changes it through the
// database's journal procedures (which number the entries), deletes it and
// takes a deletion back. It also loads the account, sub-account and department
// combinations of a branch for its callers and its own checks.
//
// The writer works in the transaction it is given and ends nothing it did not
// start: a call made while that transaction is not active starts it and ends
// it, committed when the call succeeds and rolled back when it fails.
// OwnTransaction asks for that explicitly for the next call; every call
// clears it.
#include "core/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class FbQuery;
class FbTransaction;

// One side of a journal entry. KCODE holds the account's user code (the code
// the operator knows); the database keeps the account code and the procedures
// turn one into the other. An empty sub-account or department is a single blank
// in the database.
struct TSwkBalance {
    QString KGROUP;
    QString KCODE;
    QString HCODE;
    QString BCODE;
    QString KNAME;
    QString HNAME;
    QString BNAME;
    int TAXCODE = 0;
    int TAXUH = 0;
    int TAXDC = 0;
    Currency NUK;
    Currency ZEI;
    Currency RIT;
    int SIKIN = 0;
};

// One journal entry (its debit row with the credit side beside it).
struct TSWKREC {
    QString Terminal; // computer that made the entry (not stored)
    int REC = 0;      // 0 for a new entry
    int SITREC = 0;
    int SWKREC = 0;
    int SWKNO = 0;
    int DELFLG = 0;
    int TAISHAKU = 1;
    QDate HIZUKE;
    int MNUM = 0;
    int KESSAN = 0;
    int SDAYNUM = 0;
    int MDAYNUM = 0;
    int DNUM = 0;
    int SNUM = 0; // individual-cost number
    QString SCODE;
    TSwkBalance L; // debit
    TSwkBalance R; // credit
    Currency KINGAKU;
    Currency ZEIGAKU;
    int ZEIRITUNO = 0;
    int AUTCALCU = 0;
    int TAXCALCU = 0;
    int OLDRATE = 0;
    int TEKCODE = 0;
    QString TEKTEXT;
    int TORCODE = 0;
    QString TORTEXT;
    std::array<int, 5> FUSEN{};
    QDateTime CTIME; // audited when set
    QString COMMENT;
    QString AO_COMMENT;
    QString LINKKEY;
    int LINKKUB = 0;
    int LINKREC = 0;
    int LOCALFLG = 0;
    int RESERVE1 = 0;
    int RESERVE2 = 0;
    QDateTime RTIME;
    int OPCODE = 0;
    QDateTime SHONIN_HIZUKE; // approved when set
    int SHONIN_OPCODE = 0;
    QString SHONIN_NAME;
};

// Branch, department, account and sub-account parts of an account combination.
struct TSISREC {
    QString SCODE;
    QString SNAME;
};

struct TBUMREC {
    QString BCODE;
    QString BNAME;
};

struct TKMKREC {
    QString KCODE;
    QString USERCODE;
    int REC = 0;
    QString GROUPM1;
    QString GROUPM2;
    QString KNAME;
    int BLDAC = 0;
    int DAC = 0;
    int DELFLG = 0;
    int TAX_LCODE = 0;
    int TAX_RCODE = 0;
    int FUN_LCODE = 0;
    int FUN_RCODE = 0;
    QString HOJOSW;
    QString BPFLG;
    QString KEIHKUBU;
    int EXT1_KS = 0;
    int EXT1_A4 = 0;
    int EXT1_A3 = 0;
};

struct THOJREC {
    QString KCODE; // the account: its user code in a lookup, its account code in the array
    QString HCODE;
    QString HNAME;
    int REC = 0;
    int TAX_LCODE = 0;
    int TAX_RCODE = 0;
};

// The writer's current account combination.
struct TBALANCE {
    TSISREC Siten;
    TBUMREC Bumon;
    TKMKREC Kamoku;
    THOJREC Hojo;
};

// One combination of a branch's account array. The two flags are set on the
// first element of each account only: some combination of the account has a
// sub-account, some has a department.
struct TKamokuRec {
    TKMKREC Kamoku;
    THOJREC Hojo;
    TBUMREC Bumon;
    quint8 HojoFlag = 0;
    quint8 BumonFlag = 0;
};

// A code and its name (the valid individual-cost codes).
struct TComListRec_s {
    QString Code;
    QString Name;
};

// The check switches of TestSiwake.
enum TSiwakeCheck : int {
    scUnused = 0,
    scKamoku = 1,   // accounts, sub-accounts and departments
    scTax = 2,      // consumption-tax codes
    scKingaku = 3,  // amount
    scText = 4,     // control characters in the texts
    scKobetu = 5,   // individual-cost code
    scShonin = 6,   // approved entries
};

class TSiwakeWrite
{
public:
    TSiwakeWrite();
    ~TSiwakeWrite();
    TSiwakeWrite(const TSiwakeWrite &) = delete;
    TSiwakeWrite &operator=(const TSiwakeWrite &) = delete;

    quint8 MsgType = 0;        // 0 texts for typed entries, 1 for entries taken from a file or program
    quint8 OwnTransaction = 0; // 1: the next call runs in a transaction of its own (cleared by every call)
    std::array<quint8, 7> CheckOptions{};
    int SiwakeSource = 0;      // 0 this year's journal, 1 and 2 the two years before
    int Spare = 0;

    // How often a write that meets rows another transaction holds is tried
    // again, and how long the writer waits before each new try.
    int LockRetryCount = 10;
    int LockRetryWaitMs = 100;
    // Called before each new try with its number (1 for the first retry);
    // tests use it to let the other transaction finish. Empty: the writer sleeps.
    std::function<void(int retry)> OnLockRetry;

    // The current account combination and the array of the branch.
    TBALANCE KamokuRec;
    std::vector<TKamokuRec> KamokuArray;
    QStringList KamokuIndex; // "user code=index of its first element", in load order
    int KamokuCount = 0;

    // The valid individual-cost codes, given by the user.
    std::vector<TComListRec_s> CodeList;
    int CodeCount = 0;
    int CodeIndex = -1;

    void SetTransaction(FbTransaction *tr);
    FbTransaction *transaction() const;
    void InitCheckOptions();

    void InitSiwakeRec(TSWKREC &rec, int kessan, const QDate &date) const;
    void GetSiwake(TSWKREC &rec, int recNo, bool fromView);
    // Inserts (REC 0; answers the new REC) or changes an entry (answers 0,
    // or -1 when the entry is deleted, -2 when it was replaced already).
    int PutSiwake(TSWKREC &rec);
    int DeleteSiwake(int swkrec);
    int RestoreSiwake(int swkrec);

    bool TestSiwake(TSWKREC &rec, int &error, QString &message);
    bool FindCodeIndex(const QString &code);

    QString SCode() const { return m_scode; }
    void SetSCode(const QString &scode);
    bool GetKamokuArray(const QString &scode);
    bool GetKamoku(const QString &scode, const QString &bcode, const QString &hcode, const QString &userCode);
    bool GetKamokuRec(const QString &scode, const QString &bcode, const QString &hcode, const QString &userCode);
    void ClearKamokuRec();

private:
    struct StoredNames;
    QString checkMessage(int pair) const;
    bool checkSide(TSWKREC &rec, TSwkBalance &side, bool debit, const StoredNames *stored, int &error, QString &message);
    bool checkTax(TSWKREC &rec, bool debit, const QString &accountCode, int &error, QString &message);
    int countCombinations(const QString &scode, const QString &userCode, const QString &condition);
    int runPut(TSWKREC &rec);
    [[noreturn]] void fail(const std::exception &e, const QString &operation);

    std::unique_ptr<FbQuery> m_sql;
    QString m_scode;
    QString m_debitKcode, m_creditKcode; // account codes found by the last check
};
