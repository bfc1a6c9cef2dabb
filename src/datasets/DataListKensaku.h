#pragma once
// The search conditions with which an operator narrows a data-set list, kept
// per operator and list in KENSAKUJYOKEN of the system database, with the list's
// last sort column; and the test of a list row against them. The conditions
// dialog edits a TDataKensakuRec and stores it through TDataListKensakuCtl.
#include "datasets/DataSentakuList.h"
#include "dbaccess/FbClient.h"

#include <QString>

struct TDataKensakuRec {
    int OpCode = 0;
    int ListType = 0;  // 0 the data-selection list, 1 the shared-data list
    int JyokenUse = 0; // apply the conditions every time the list is shown
    int DataType = 0;  // data kind (0 none; -13 kind 1 or 3)
    int CodeType = 0;  // code system (0 none)
    QString DataCode;  // code prefix
    QString DataName;  // part of the list name
    int Tanto = 0;     // operator in charge (0 none)
    QString DataVer;   // "%d.%d"
    QString DataVer2;
    int VerCompMode = 0; // 0 same major and minor, 1 same major, 2 this version or newer
    QString SeihinName;
    int SortCol = 0;  // the screen's column 1..6
    int SortType = 0; // sort direction
    QString Yobi1, Yobi2;
};

// The data-kind choices of the dialog: 0 "選択なし", then the six kinds.
inline constexpr int DataKbnChoiceCount = 7;
// Data kind and code system of a choice (0 and 0 for "選択なし" or an unknown choice).
void SetDataKbn(int choice, TDataKensakuRec &rec);
// The choice of a data kind and code system; 0 for a pair not offered.
int GetDataKbnIndex(const TDataKensakuRec &rec);
// The caption of a choice.
QString DataKbnChoiceText(int choice);

// SORTCOL as stored <-> the screen's sort column.
int DecodeSortCol(int stored);
int EncodeSortCol(int column);

// Whether a row passes the conditions (an empty or zero condition tests nothing).
bool PassesSearchConditions(const TDataListRec &row, const TDataKensakuRec &cond);
// The indexes of the rows that pass, in list order.
TDataSentakuRecDispArray ApplySearchFilter(const TDataSentakuRecArray &rows, const TDataKensakuRec &cond);

class TDataListKensakuCtl
{
public:
    TDataListKensakuCtl();
    ~TDataListKensakuCtl();
    TDataListKensakuCtl(const TDataListKensakuCtl &) = delete;
    TDataListKensakuCtl &operator=(const TDataListKensakuCtl &) = delete;

    int ListType = 0;

    // The empty conditions of the logged-on operator for this list.
    void InitSearchRec(TDataKensakuRec &rec) const;
    // The operator's stored conditions; a missing row is created empty.
    bool SelectRecord(TDataKensakuRec &rec);
    bool UpdateRecord(const TDataKensakuRec &rec);
    bool UpdateRecordSortField(const TDataKensakuRec &rec);

    FbTransaction IBTransactionDEF;
    FbQuery IBSQL1;

private:
    void fail(const std::exception &e, bool startedHere, const QString &operation, const QString &text);
};
