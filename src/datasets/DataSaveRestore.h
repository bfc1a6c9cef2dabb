#pragma once
// Saving the focused data set of the data-selection screen into a backup
// file ("vqacc.fbk") in a folder of the operator's choice, and restoring a
// backup into the focused row: the location dialogs, the status of the data
// folder for the run, the backup job behind the screen's progress window, the
// refusal of restores that would break a merged data set, and the comparison
// of company name, period and journal count before existing data is replaced.
#include "datasets/DataSentakuList.h"
#include "datasets/DataSetCopy.h"
#include "dbaccess/DataInfo.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;
class TBackupRestoreThread;
class TDataFolderCheck;
class TDataSentakuBox;
class TFileOperationBox;
class TFileOperationBoxEx1;

// What a restore (or paste) compares: from a backup header or a data set's information.
struct TRestoreSourceInfo {
    QString Shougou;
    QString Kishu;  // "yyyy/mm/dd"
    QString Kimatu; // "yyyy/mm/dd"
    int Siwake = 0;
    int TotalSiwake = 0;
    QString Version;
    int Gassan = 0;
};

TRestoreSourceInfo RestoreSourceOf(const TDataInfomationRec &info);

// The difference lines of the comparison (empty: nothing differs). The name is
// "復元" or "貼り付け"; mergedNote adds the note that a restore onto a merged
// target removes its distributed data.
QStringList RestoreDifferenceLines(const QString &name, const TRestoreSourceInfo &source, const TRestoreSourceInfo &target,
                                   bool mergedNote);

// The merged-data settings a data set receives when data of kind `source`
// lands in a row of kind `row` ("合算データ区分", "合算データ数"); false when
// nothing is written.
bool RestoredGassanSettings(int connectMode, int source, int row, int childCount, int &kubun, int &count);

class TDataSaveRestore
{
public:
    explicit TDataSaveRestore(TDataSentakuBox &screen);
    ~TDataSaveRestore();
    TDataSaveRestore(const TDataSaveRestore &) = delete;
    TDataSaveRestore &operator=(const TDataSaveRestore &) = delete;

    // 1 saved, 0 not saved (refused or cancelled), -1 the job failed. An empty
    // folder lets the operator choose.
    int SaveData(const QString &folder);
    // 1 restored, -1 failed or refused, 0 not started. An empty folder lets
    // the operator choose.
    int RestoreData(const QString &folder);
    bool CheckRestorePattern(const QString &name, const TRestoreSourceInfo &source, const QString &target);
    bool CompareDataForRestore(const QString &name, const TRestoreSourceInfo &source, const TRestoreSourceInfo &target);
    bool PrepareSharedForSave();

    // The source of the last accepted restore (company, period, version, merge kind).
    const TRestoreSourceInfo &LastRestoreSource() const { return m_copy; }

    // Runs a backup or restore job (default: the job's own Execute); tests replace it.
    std::function<void(TBackupRestoreThread &job)> RunJob;
    // Removes the distributed data of a merged row (list rows and folders).
    std::function<void(int row)> DeleteChildData;

    TFileOperationBox *SaveDialog() const { return m_saveDlg.get(); }
    TFileOperationBoxEx1 *RestoreDialog() const { return m_restoreDlg.get(); }

private:
    bool serverMode() const;
    void markDamaged(int row);
    void closeProgress();
    bool runJob(TBackupRestoreThread &job);
    void warnJob(const TBackupRestoreThread &job);
    void deleteChildren(int row);
    void writeGassanSettings(const QString &folder, int sourceKind, const TDataListRec &row, int childCount);
    void setRowLock(TDataListRec &rec, int lock);

    TDataSentakuBox &m_screen;
    std::unique_ptr<TDataFolderCheck> m_check;
    std::unique_ptr<TDataInfomation> m_info;
    std::unique_ptr<TFileOperationBox> m_saveDlg;
    std::unique_ptr<TFileOperationBoxEx1> m_restoreDlg;
    TRestoreSourceInfo m_copy;
};
