#pragma once
// The company data-set list of the system database: one row per data set of an
// operator group in DATALIST (DATALIST_EX for a data place of the server
// modes), the distributed-input copies of merged data sets in CHILD_DATALIST.
// TDataSentakuListCtl is the only code that reads and writes the local list
// tables: it loads the group's list in one of eighteen sort orders, reads,
// inserts, updates, deletes and renumbers single rows, and converts between a
// data folder and the list row that names it.
#include "dbaccess/DataInfo.h"
#include "dbaccess/FbClient.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class FbError;

// One row of the list. Dates of the database's zero day (1899-12-30) read as null.
struct TDataListRec {
    int REC = 0;      // list number (for a child row its parent's)
    int ROWNO = 0;    // child number; 0 for a main row
    int GROUPID = 0;
    QString DATACODE;
    QString ENTTEXT;
    QString SHOUGOU;
    int NENDO = 0;
    QString KikanText;
    QDate KISHU, KIMATU;
    int NETDRIVE = 0; // 1 on a shared server
    QString PASNAME;  // data folder as listed
    QString LocalPath; // folder opened locally
    int DATATYPE = 0;
    int CODETYPE = 0;
    int DATALOCK = 0; // login number of the holder of the data lock
    int KYOYULOCK = 0;
    int TANTOU = 0;
    int VER_MAJOR = 0, VER_MINOR1 = 0, VER_MINOR2 = 0;
    QString VER_TEXT;
    int UPDATE_LOCK = 0;
    quint8 GASSAN = 0; // 0 normal, 1 and 2 merged (may have children), 10 child
    QString DispName;
    quint8 DATA_STATUS = 0; // 1 damaged
    QString YOBI1, YOBI2, YOBI3;
    int WorkNo = 0;
    QString WorkText;
};
using TDataListArray = QList<TDataListRec>;

struct TDataSentakuRec : TDataListRec {
    int ChildCount = 0;
    TDataListArray ChildRows;
};
using TDataSentakuRecArray = QList<TDataSentakuRec>;
using TDataSentakuRecDispArray = QList<int>;

// The display text of a data-set status ("状態不明" for an unknown one).
QString GetDataStatusText(int status);

// The sort clause of a sort kind 1..7 (empty for another kind).
QString DataListSortClause(int sortKind, bool descending);

class TDataSentakuListCtl
{
public:
    TDataSentakuListCtl();
    ~TDataSentakuListCtl();
    TDataSentakuListCtl(const TDataSentakuListCtl &) = delete;
    TDataSentakuListCtl &operator=(const TDataSentakuListCtl &) = delete;

    quint8 ConnectMode = 0;   // 0 local, 1 and 2 the server modes
    quint8 ServerListFlag = 0; // 1: serves the shared-server lists only

    // The loaded list (valid until the next Execute or ClearList).
    int RecCount = 0;
    TDataSentakuRecArray Recs;
    int ChildRecCount = 0;
    TDataListArray ChildRecs;
    QStringList FolderNames;

    int DataPlaceRec() const { return m_dataPlace; }
    QString DataListTable() const { return m_table; }

    void SetDataListTable(int dataPlace);
    QString GetDataStatusText(int status) const { return ::GetDataStatusText(status); }
    void ClearList();
    void Execute(quint8 sortKind, bool descending);

    QString GetDataFolderPath(TDataListRec &row) const;
    void ClearDataListRec(TDataListRec &row, const QString &path) const;
    void GetDispRecord(const TDataInfomationRec &info, TDataListRec &row) const;
    static void SplitDataPath(const QString &path, QString &number, QString &rest);
    int GetCurrentRecord(const QString &path);
    bool ConvLocalPathToSharePath(const QString &localPath, QString &listedPath, int &kyoyuLock, int &netDrive);
    bool GetLocalPathToData(const QString &path, TDataListRec &row);
    void GetDataListRecord(int kind, TDataListRec &row, bool show);
    int GetDataListRecordByPath(const QString &path, TDataSentakuRec &rec);
    bool InsertDataListRecord(TDataListRec &row, bool show);
    bool UpdateDataListRecord(const TDataListRec &row, bool names, bool show);
    bool DeleteDataListRecord(const TDataListRec &row, bool show);
    // The row of a data set that a transfer replaced: writes its list name,
    // fiscal year, period and version. In the server modes the row is found by
    // its folder in the table the selected folder belongs to; locally by the
    // number its folder ends in, and for distributed data (`distributed`) the
    // child row by the parent's number and the child folder's name. A blank
    // folder or one without its number raises platform::Error; a child row
    // that cannot be found is reported and nothing is written. Database
    // errors are reported and raised again.
    void UpdateTransferredDataRecord(const TDataListRec &row, const QString &selectedFolder, bool distributed);
    void RenumberDataListRecord();
    void GetDataListChildRecord(TDataSentakuRec &rec, bool show);
    bool UpdateDataListChildRecord(const TDataListRec &child, bool show);
    bool DeleteDataListChildRecord(const TDataListRec &row, bool show);
    // Marks the row of a data set (a child row when `childNo` is above 0)
    // damaged in the local list; database errors reach the caller.
    void markDamaged(int rec, int childNo);
    // Sets the data lock (the holder's login number, 0 to release) of list row
    // `rec` of the current list table and data place.
    bool UpdateDataLock(int rec, int lock, bool show);
    int GetDataFolderName(int step);
    bool IsDataPathToroku(const QString &path);
    int GetRecByPasName(const QString &path);
    static void NumberChildNames(TDataSentakuRec &rec);
    static void DeleteChildRec(TDataSentakuRec &rec, int index);

    // The shared-server side: this installation's rows of the areas of a
    // shared drive (SERVERDATALIST, CHILD_SERVERDATALIST), and the fetch of an
    // area into the local work folder and its store back.
    bool UpdateServerDataListRecord(const TDataListRec &row, bool names, bool show);
    bool UpdateServerDataListChildRecord(const TDataListRec &child, bool names, bool show);
    // Loads the areas of a drive (the drive's shared data folder): mode 0
    // reads this installation's list of the drive in a sort kind, mode 1
    // empties that list and rebuilds it in memory from the area folders
    // ("空き領域" rows, numbered 0), for the caller to write the rows it keeps.
    // Only a controller with the server-list flag loads anything.
    void ServerExecute(int mode, const QString &drivePath, quint8 sortKind, bool descending);
    // Sub-folder names of a folder without the products' backup folders.
    static void ListDataFolders(const QString &path, QStringList &list);
    // Full paths of the sub-folders of the row's area, or of its work folder.
    static void ListChildFolders(const TDataListRec &row, QStringList &list);
    static void ListLocalChildFolders(const TDataListRec &row, QStringList &list);
    // Deletes every child row of an area, or one child row (a child record).
    bool DeleteServerDataListChildRecord(const TDataListRec &row, bool show);
    // The next free area name ("sv%.4d") of a drive; "sv0001" on any failure.
    QString GetNewServerFolderName(const QString &drivePath, int step);
    // -1 refused, 0 failed, 1 fetched / stored. A store copies the children
    // back before it removes stale server folders; when a child cannot be
    // stored nothing is removed and the data set stays held here (0).
    int KyoyuDataDown(TDataSentakuRec &rec, bool quiet);
    int KyoyuDataUp(TDataSentakuRec &rec, bool quiet);
    // The pause after each removed server folder (tests shorten it).
    static inline int ServerFolderPauseMs = 500;

    // Shows the fetch and store messages (default: the framework's message
    // box with one OK button and the text in red).
    std::function<void(const QString &title, const QString &text, const QStringList &lines)> ShowSharedMessage;

private:
    void readRow(FbQuery &q, TDataListRec &row) const;
    QString placeParamCondition() const;
    QString placeLiteralCondition() const;
    void setPlaceParam(FbQuery &q) const;
    void setRowParams(FbQuery &q, const TDataListRec &row) const;
    void setServerRowParams(FbQuery &q, const TDataListRec &row, bool names) const;
    int uniqueServerRec(const QString &table, const QString &path);
    void sharedMessage(const QString &text, const QStringList &lines) const;
    QStringList holderLines(const QString &area, const TDataInfomationRec &info) const;
    void keepShareLock(TDataInfomation &info, const QString &area, TDataSentakuRec &rec);

    FbQuery m_sql;
    FbQuery m_sql2;
    int m_dataPlace = 0;
    QString m_table = QStringLiteral("DATALIST");
};

// Refreshes the list row of a data set released with the update-list flag,
// from the information read out of its database.
void UpdateDataListRowOfClosedData(const QString &dataDir, const TDataInfomationRec &info);
// Installs that refresh as the data module's list-row updater.
void InstallDataListRowUpdater();

// Brings the list row of a local data folder in line with its company
// database, as a data set copied or made outside the list needs it: reads the
// database, writes the update lock and the "DATAINFO" section of the folder's
// information file, and saves the row (its number, folder, share flags and a
// list name it already has stay; an empty name becomes the company name).
// False when the folder has no row or its database cannot be read.
bool registerDataSetRow(const QString &dataDir);
