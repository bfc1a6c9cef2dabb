#pragma once
// Merged data sets and their distributed-input copies. A merged data set
// (merge kind 1, or 2 for merged branch data) keeps copies of its company
// database in numbered sub-folders of its data folder (kind 10), emptied of
// balances and journal entries, so that another computer or branch can keep
// its own entries in them. TGassanDataCtl lists those copies, makes a new
// one (copy, initialise, register as a child row of the list) and writes the
// merge settings of a company database. It has no window: the screen gives
// it an information callback to show the steps.
#include "datasets/DataSentakuList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One distributed-input copy of a merged data set.
struct TGassanChildDataRec {
    int REC = 0;      // the parent's list number
    int ChildNo = 0;  // from 1
    QString Name;     // the branch code when the parent manages branches
    QString Folder;   // the copy's data folder
};
using TGassanChildDataArray = QList<TGassanChildDataRec>;

// The number a sub-folder name gives a copy: its integer value when above 0;
// "00" counts (as 0) only for a medical corporation. -1: not a copy.
int GassanChildNumber(const QString &name, bool medical);

// The next numbered folder name ("%.3d" of the highest number + step) among
// sub-folder names (non-numbers count 0). Throws platform::Error
// "作成できるフォルダ名は[999]までです。" beyond 999.
QString NextGassanFolderName(const QStringList &subFolders, int step);

// What the merge settings of a data set that received another's data become.
struct TGassanSettings {
    bool Write = false;
    int Kind = 0;
    int Count = 0;
};
// sourceKind: the merge kind of the copy source (or restored backup);
// rowKind, rowChildCount: the receiving row's.
TGassanSettings GassanSettingsFor(int sourceKind, int rowKind, int rowChildCount, bool serverMode);

class TGassanDataCtl
{
public:
    TGassanDataCtl();
    ~TGassanDataCtl();
    TGassanDataCtl(const TGassanDataCtl &) = delete;
    TGassanDataCtl &operator=(const TGassanDataCtl &) = delete;

    void SetDataPath(const QString &folder);
    void SetDataListRec(int rec);
    // Switched on, lists the copies (ListFacilities).
    void SetActive(bool on);
    bool Active() const { return m_active; }
    QString DataPath() const { return m_dataPath; }

    void ListFacilities();
    int IndexOfChild(const QString &folder) const;
    int NextRowNo(int step) const;
    QString NextFolderNo(const QString &folder, int step) const;
    // Initialises the new copy's company database; throws on failure (reported once).
    void AccDataSyokika();
    // Writes "合算データ区分" and "合算データ数" into the parent's company database.
    void WriteGassanSettings(int kind, int count);
    // Makes a new copy; false when nothing was made (the folder is removed again).
    bool CreateChildData(const QString &name);

    TGassanChildDataArray Children;
    bool BranchFlag() const { return m_siten; }
    bool Medical() const { return m_medical; }
    QString NewChildFolder() const { return m_newFolder; }
    QString NewChildName() const { return m_newName; }
    // The branch codes of the parent when it manages branches.
    QStringList BranchCodes;

    // Shows an initialisation step (optional).
    std::function<void(const QString &text)> OnInfo;
    // Copies the parent's database into the new folder (default: CopyFileTo); a seam for tests.
    std::function<bool(const QString &source, const QString &target)> CopyDatabase;

private:
    void info(const QString &text) const;
    void readBranches();

    bool m_active = false;
    QString m_dataPath;
    int m_rec = 0;
    int m_netDrive = 0;
    QString m_sharedPath;
    bool m_siten = false;
    bool m_medical = false;
    QString m_newFolder, m_newName;
    TDataSentakuListCtl m_list;
};
