#pragma once
// The windows around the backup and restore job: the progress window while it
// runs, and the prompt for the individual-number management password.
#include <QString>

class QWidget;
class TBackupRestoreThread;

// Runs the job behind the framework's progress window over the owner (which
// is disabled meanwhile); the window keeps painting while the engine works.
// Returns the job's success.
bool RunBackupRestoreJob(TBackupRestoreThread &job, QWidget *owner, const QString &caption);

// Makes the input dialog the prompt of the individual-number management password.
void InstallMyNumberPasswordPrompt();
