#pragma once
// The branches (facilities for medical corporations) of the open company that
// an operator may choose, with optional lines for the whole company, facility
// groups and business kinds.
#include <QString>
#include <QStringList>

#include <vector>

class FbTransaction;
class FbQuery;

struct TSitenListRec {
    QString Code;
    QString Name;
    int Kind = 0;   // 0 whole company, 2 branch, 3 branch keeping departments, 1/5 groups (1: business kinds in medical data)
    int Value = 0;
    int Bumex = 0;
    int Color = 0;
    QString Spare1, Spare2;
};

class TSitenList
{
public:
    TSitenList();

    void SetTransaction(FbTransaction *tr) { m_tr = tr; }
    void Execute(int opCode);
    QString GetCode(int i) const;
    void Clear();

    std::vector<TSitenListRec> Items;
    QStringList Lines;
    int Count = 0;
    unsigned char Selection = 1 | 2 | 4; // 1 whole company, 2 groups, 4 branches, 8 branches with departments
    int OpCode = 0;
    int KindFilter = 0;
    unsigned char Quoted = 0;
    unsigned char Keep00 = 1;

private:
    void add(const TSitenListRec &rec);
    bool wholeCompanyPermitted(FbQuery &q);
    void loadGeneral();
    void loadMedical();
    FbTransaction *m_tr = nullptr;
};
