#pragma once
// The operators of a group as choosers list them ("%d:%s" lines), read from
// the system database with their job level names.
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
