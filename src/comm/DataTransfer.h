#pragma once
// Sending the open company data set to a slot of the relay server (F12 of the
// communication window in mode 1) and receiving a slot's data set over it
// (mode 2).
//
// Send: backup into "<TEMP>/ComS", pack it (TransferFile.h), encipher it with
// the communication password, upload it over the file channel (the previous
// remote file is put back when the stored size differs), report the send to
// the relay (request 1820), update the grid row and, when the company is set
// up for it, hand over to the analysis-cloud upload.
//
// Receive: the slot's password must match the data set's; download into
// "<TEMP>/ComR", decipher, unpack, check what would change (the verification
// report, the merged-data refusals), restore the backup into a new file that
// is swapped in over the data set only when the restore is complete, keep the
// merged-data settings and report the receive (request 1830).
//
// The work folders are emptied at the end of every run, also after a failure.
// Each failing step shows its own message; the pipelines answer 0 when done
// and 1 when refused or failed.
#include <QString>

#include <functional>

class TfmDataTusin;
struct TDataInfomationRec;

// The analysis-cloud upload that follows a send when the company's setting
// "通信設定" / "クラウド区分" is 1: the communication ID and the slot number
// (1..10) in, the three-digit status code and its text out ("000" success).
struct TCloudUploadResult {
    QString Code;
    QString Text;
};
extern std::function<TCloudUploadResult(const QString &id, int slot)> CloudUploadHook;

namespace datatransfer {

// The work folders: "<TEMP>/ComS" of a send, "<TEMP>/ComR" of a receive, and
// the data root's temporary folder where a received backup is checked and
// restored from.
QString SendWorkFolder();
QString ReceiveWorkFolder();
QString RestoreWorkFolder();

int SendData(TfmDataTusin &form);
// The backup of the open data set into the send work folder.
bool BackupForSend(TfmDataTusin &form, bool showFailure);
// The analysis-cloud upload of the slot just sent to.
bool SendToCloud(TfmDataTusin &form);

int ReceiveData(TfmDataTusin &form);
// Restores the received backup (see the receive above); true when restored.
bool RestoreReceived(TfmDataTusin &form);

// The report of what a restore would change; true when nothing differs or the
// operator agreed. `word` names the operation ("復元").
bool ReportVerification(const QString &word, const TDataInfomationRec &source, const TDataInfomationRec &target);
bool CheckTargetPath(const QString &word, const TDataInfomationRec &source, const QString &targetFolder);
bool CheckSourceTargetPaths(const QString &word, const QString &host, const QString &targetFolder, const QString &sourceFolder);

// The refusal of a received data set of merged-data kind `received` over an
// open one of kind `current` (0 normal, 1 merged, 2 merged branch, 10
// distributed); empty when it may be restored.
QString MergedDataRefusal(int current, int received);

// Deletes everything in a work folder (the folder stays); errors are ignored.
void EmptyWorkFolder(const QString &folder);

// What every way out of a transfer pipeline restores: the normal cursor, the
// step window gone and the work folder emptied; with EnableWindow also the
// window, with EnableReceiveKeys the window and its F12 and F5 keys.
class PipelineScope
{
public:
    enum Window { KeepWindow, EnableWindow, EnableReceiveKeys };
    PipelineScope(TfmDataTusin &form, const QString &workFolder, Window window);
    ~PipelineScope();
    PipelineScope(const PipelineScope &) = delete;
    PipelineScope &operator=(const PipelineScope &) = delete;

    void hourglass(bool on);
    // A message over the pipeline: the cursor is normal while it shows.
    template <typename F>
    void message(F &&show)
    {
        const bool was = m_cursor;
        hourglass(false);
        show();
        hourglass(was);
    }

private:
    TfmDataTusin &m_form;
    QString m_folder;
    Window m_window;
    bool m_cursor = false;
};

} // namespace datatransfer

// Installs the send and receive as the communication window's F12 pipelines.
void InstallDataTransferPipelines();
