#pragma once
// Operator lists of the system database: the operators of a group as choosers
// list them ("%d:%s" lines) with their job level names, and the operators
// logged on in a group right now, one entry per workstation.
#include "dbaccess/FbClient.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct TUserListRec {
    int GroupId = 0;
    int OpCode = 0;
    QString OpName;
    QString Password;
    int JobLevel = 0;
    QString LevelName;
    quint8 Jimusho = 0;
    quint8 Okiniiri = 0;
    quint8 Kansa = 0;          // always 0 after loading
    QStringList UseSiten;      // left empty by this list
    QString Reserve;
    quint8 MyNumberAdm = 0;
    quint8 Shonin = 0;
};

class TUserList
{
public:
    TUserList();
    ~TUserList();

    QString FirstEntryText;     // an optional pseudo operator in front (code 0)
    int GroupId = 0;
    std::vector<TUserListRec> Items;
    QStringList Lines;
    int Count = 0;
    quint8 DisplayFormat = 0;   // 0 "code:name", 1 quoted and tab-separated
    quint8 ShoninOnly = 0;      // approvers only

    // which 0: the system-database statement runs on `tr`, 1: the company one;
    // -1: both go back to the list's own transaction.
    void SetTransaction(FbTransaction *tr, int which);
    void Execute();
    int GetOpCode(int i) const;
    int IndexOf(int opCode) const;
    QString GetText() const;
    void Clear();

private:
    FbTransaction m_own;
    FbQuery m_sqlDef;
    FbQuery m_sqlDat;
};

// One logged-on operator at one workstation.
struct TLoginUserListRec {
    int OperatorCode = 0; // the operator's code within the group
    QString OpName;
    QString PcName;
};

// The logged-on operators as a list of entries and display lines.
class TLoginUserList
{
public:
    virtual ~TLoginUserList() = default;

    std::vector<TLoginUserListRec> Items;
    QStringList Lines;
    int Count = 0;

    // Loads the operators of the group logged on now; without includeSelf the
    // logins of the caller (opCode: group x 10000 + operator code, the login's
    // id) are left out.
    virtual void Execute(int groupId, int opCode, bool includeSelf) = 0;
    int GetOpCode(int i) const;
    QString GetOpName(int i) const;
    virtual void Clear();
};

// The logged-on operators as the system database's logon table records them.
class TLoginUserListOnDef : public TLoginUserList
{
public:
    TLoginUserListOnDef();

    int GroupId = 0;
    int OpCode = 0;
    quint8 IncludeSelf = 0;

    void Execute(int groupId, int opCode, bool includeSelf) override;
    void Clear() override;

private:
    FbQuery m_sql;
};
