#pragma once
// The relay's file channel: FTP in passive mode with binary transfers, the
// account the slot list names (host and password) and the communication ID
// as the user. A slot's data file is "vqacc.wen" in the folder "/NN".
//
// An upload keeps the slot's previous file under "vqacc.wenbak" while the new
// one is stored, compares the stored size with the local one and, when they
// differ, deletes the new file and puts the previous one back. A download
// refuses a slot whose file is missing or empty. Sizes are 64-bit.
// Every call opens its own connection and ends it with QUIT. Nothing is logged.
#include <QString>

class TRelayFileChannel
{
public:
    static constexpr const char *DataFileName = "vqacc.wen";
    static constexpr const char *BackupSuffix = "bak";

    enum class Result {
        Ok,
        ConnectFailed,  // no connection or the login was refused
        FolderMissing,  // the slot folder cannot be entered
        SizeMismatch,   // the stored file differs in size (the previous one was put back)
        TransferFailed, // the transfer broke off
        RemoteMissing,  // download: the slot holds no file or an empty one
        LocalFileError, // the local file cannot be read or written
    };

    TRelayFileChannel(const QString &host, quint16 port, const QString &user, const QString &password);

    int ConnectTimeoutMs = 15000;
    // A transfer or a server answer that stalls this long is abandoned.
    int StallTimeoutMs = 30000;

    // Stores the local file as the data file of the slot folder ("01".."10").
    Result Upload(const QString &slotFolder, const QString &localFile);
    // Fetches the data file of the slot folder into the local file (replaced;
    // nothing is left there when the download fails).
    Result Download(const QString &slotFolder, const QString &localFile);

    // The size of a file of a slot folder: -1 when it does not exist or cannot be asked.
    qint64 RemoteSize(const QString &slotFolder, const QString &fileName);

    // What the last failure of libcurl said (for the detail of a message).
    QString LastError() const { return m_lastError; }

private:
    QString m_host;
    quint16 m_port;
    QString m_user;
    QString m_password;
    QString m_lastError;
};
