#pragma once
// The backup and restore job of a company database (or of the system
// database): save into a backup file with the information block at its end,
// restore from one, or rebuild by a backup and a restore. It takes care of
// the individual-number settings (asks whether they go into the backup, asks
// for the management password, keeps them out of a backup that must not carry
// them, refuses to restore data without them over data that manages them) and
// records those events in the management log.
//
// Despite its name the job runs on the thread that calls Execute, the main
// thread, since the data module's connections belong to it; the engine's own
// long calls keep the windows painting meanwhile (see BackupTool.h). The
// framework's runner shows the progress window around it.
#include "dbaccess/z5ComMyNumber.h"

#include <QByteArray>
#include <QString>

struct TErrInfomation {
    bool Error = false;
    QString Operation;
    QString Code;
    QString Message;
    QString Message2;
};

// The marker of the information block appended to a backup file.
inline const QByteArray BackupInfoMarker = QByteArrayLiteral("## CorvenaZone");

class TBackupRestoreThread
{
public:
    TBackupRestoreThread();

    // 0 backup, 1 restore, 2 backup and restore into TargetPath, 3 the same over DatabasePath.
    int Mode = 0;
    // 0 the engine's services; 1 through the file-manager database (or the tool).
    quint8 Method = 0;
    quint8 MyNumberCheck = 1;
    QString Host; // empty or "127.0.0.1": local
    QString DatabasePath;
    QString TargetPath;
    QString BackupFile;
    quint8 RestoreOption = 0; // nonzero: the indexes stay active
    quint8 Success = 0;
    TErrInfomation ErrInfo;
    quint8 WriteHeader = 0;
    quint8 Ask = 0;
    quint8 Log = 0;
    quint8 Exclude = 0;
    quint8 Answer = 0;
    QString ProcessName;
    // The information block.
    QString Shougou;
    QString Kishu;
    QString Kimatu;
    int Siwake = 0;
    int TotalSiwake = 0;
    QString DataVersion;
    int Gassan = 0;
    int UseMyNumber = 0;

    void ClearResult();
    // Runs the job; afterwards the error flag is the opposite of Success.
    void Execute();
    bool IsTerminated() const { return m_terminated; }

    // Appends the information block (nothing without a company name).
    // Throws platform::Error when it cannot; the file is then as it was.
    void WriteBackupInfo(const QString &backupFile);
    // Reads the block back (strip: and cuts it off); true when it names a company.
    bool ReadBackupInfo(const QString &backupFile, bool strip);

    void Confirm();
    void Backup();
    void Restore();
    void Rebuild();

    // The information line of the progress window (the runner sets it).
    std::function<void(const QString &text)> OnInfo;

private:
    void fail(const QString &code, const QString &message, const QString &message2);
    void info(const QString &text) const;
    int protocol() const;
    bool isLocalHost() const { return Host.isEmpty() || Host == u"127.0.0.1"; }
    // The company database without the individual-number settings, in a work
    // folder beside the data; empty when it could not be made.
    QString strippedCopy(QString &workFolder);
    bool transferFromServer(const QString &serverFile, const QString &key);
    bool transferToServer(const QString &serverFile, const QString &key);
    QString serverWorkFolder() const;

    bool m_terminated = false;
    TMyNumberIO m_io;      // the settings of the data the job works on
    TMyNumberIO m_keptLog; // the log of the database a restore replaces
};
