#pragma once
// The windowless parts of the data-set commands of the data-selection screen:
// the list name of a pasted copy, the merge-kind patterns a paste or restore
// may not join, the comparison of two data sets before one replaces the
// other, the copy of a data folder into another (staged and swapped in, so
// that a failure leaves the target as it was), and the server-side copy of a
// company database through the backup job.
#include "dbaccess/DataInfo.h"

#include <QString>
#include <QStringList>

#include <functional>

class TBackupRestoreThread;

// The list name of a pasted copy: the source's name followed by "～コピー",
// cut to 40 bytes without splitting a double-byte character, blanks (also
// full-width ones) off both ends.
QString CopyListName(const QString &sourceName);

// True when a data set of merge kind `source` may not replace one of kind `target`.
bool RestorePatternForbidden(int source, int target);
// The lines of the refusal box that name the forbidden patterns.
QStringList RestorePatternLines();

// The differences of company name, period and journal count between the
// source and the target of a restore or paste ("復元" / "貼り付け"), as the
// lines of the comparison box; empty when they agree. `mergedNote` adds the
// note that the copies of a merged target go.
QStringList CompareDataLines(const QString &name, const TDataInfomationRec &source, const TDataInfomationRec &target,
                             bool mergedNote);
// The refusal of a source or target without company name and period; empty when both have them.
QString CompareDataInfoFault(const QString &name, const TDataInfomationRec &source, const TDataInfomationRec &target);

// The copy step of the local paste (default: a tree copy that stops at the
// first file it cannot copy); tests replace it to make the copy fail.
extern std::function<bool(const QString &source, const QString &target)> DataFolderCopier;

// Copies the data folder `source` into `target` (every file and sub-folder,
// or with databaseOnly the company database file alone). The copy is made in
// a new folder beside the target and put in its place only when complete;
// on failure `error` says why and the target is as it was.
// Throws platform::Error "貼付先にコピー元のパスが含まれています。処理を中断します。"
// when the target lies inside the source.
bool PasteDataFolder(const QString &source, const QString &target, bool databaseOnly, QString &error);

// The server-side copy: runs the backup job (default: its own Execute); tests replace it.
extern std::function<void(TBackupRestoreThread &job)> PasteJobRunner;
