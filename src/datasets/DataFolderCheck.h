#pragma once
// The checks the data-selection screen makes on a data folder itself rather
// than on the list: is the company database there, and what do the folder's
// information file's status and holder say.
#include "dbaccess/DataInfo.h"

#include <QString>
#include <QStringList>

#include <functional>

// Answers of CheckDataFolder.
enum : int {
    DataFolderUsable = 1,
    DataFolderNoDatabase = 0,
    DataFolderRefused = -1,
    DataFolderEmptyPath = -2,
    DataFolderDamaged = -3,
};

// The lock report of a status the connection mode does not allow.
struct TDataLockReport {
    QString Title;       // "選択データの状態"
    QStringList Lines;   // folder, holder's number and name
    QString Text;        // the refusal, shown in red
};

// The report of status s of a folder whose information names the holder.
TDataLockReport MakeDataLockReport(const QString &folder, const TDataInfomationRec &info, int status);
// Shows a report in the framework's message box: one OK button, the text in red.
void ShowDataLockReport(const TDataLockReport &report);

class TDataFolderCheck
{
public:
    int SyoriType = 0; // the screen's processing type 0..5
    // The information last read by a check (status, holder, company values).
    TDataInfomationRec CurrentInfo;

    // Shows the lock report (default: ShowDataLockReport).
    std::function<void(const TDataLockReport &)> ShowLockReport;

    // 1 usable, 0 no company database, -1 refused, -2 empty path (type 3), -3 damaged
    // (refused while the damaged flag of the system record is raised).
    // Throws platform::Error for an empty path in the other processing types.
    int CheckDataFolder(const QString &folder);
    // The data status of the folder; ask: warn when the company database is
    // missing; report: show the lock report for a status that is not allowed.
    quint8 CheckDataStatus(const QString &folder, bool ask, const QString &caller, bool report);

    // The statuses the connection mode allows.
    static bool IsAllowedStatus(int status, int connectMode);
};
