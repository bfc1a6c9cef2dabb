#pragma once
// The database work of the communication window: the operator group's data
// list, the list row of a data set replaced by a transfer, the merged-data
// settings that must survive a receive, and the count of approved journal
// entries. Company-database work goes through a connection of its own, opened
// on the data folder for each operation and closed again.
#include "datasets/DataSentakuList.h"
#include "dbaccess/FbClient.h"

#include <QString>

class TDataTusinStore
{
public:
    TDataTusinStore();
    ~TDataTusinStore();
    TDataTusinStore(const TDataTusinStore &) = delete;
    TDataTusinStore &operator=(const TDataTusinStore &) = delete;

    // The rows of the operator's group in DATALIST, by number; the count.
    // A failure is reported and raised again.
    int LoadDataList(TDataSentakuRecArray &rows);

    // Writes the list name, fiscal year, period and version of a row whose data
    // set a transfer replaced (see TDataSentakuListCtl::UpdateTransferredDataRecord);
    // `gassanKubun` "10" marks distributed data. Failures are raised.
    void UpdateDataListRecord(const TDataListRec &row, const QString &selectedFolder, const QString &gassanKubun);

    // (Re)connects the own connection to the company database of the folder;
    // a failure is reported and answers false.
    bool UserDbConnect(const QString &dataDir);
    void UserDbDisconnect();

    // The merged-data settings of ACCREG "基本設定" ("合算データ区分", "合算データ数");
    // missing rows read as empty texts. Both answer 1.
    int ReadGassanInfo(const QString &dataDir, QString &kubun, QString &count);
    int WriteGassanInfo(const QString &dataDir, const QString &kubun, const QString &count);

    // Whether the data set holds approved journal entries.
    bool CountApprovedEntries(const QString &dataDir);

    FbDatabase IBDatabaseDAT;
    FbTransaction IBTransaction1;
};

// The data-list period text of a row: "yyyy/mm/dd ～ yyyy/mm/dd".
QString DataListPeriodText(const QDate &start, const QDate &end);
