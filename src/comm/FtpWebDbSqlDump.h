#pragma once
// The upload of a company's books to the analysis service: the SQL dump is
// written, packed into a ZIP archive protected by the service's password
// (traditional PKWARE encryption, the one the service opens), announced by an
// HTTPS request that answers the FTP account, uploaded by FTP into the slot's
// folder and closed by a second HTTPS request. Every outcome is a three-digit
// status code; "000" is success.
//
// HTTPS: TLS 1.2 or later with the server's certificate verified (against the
// system's store or the configured CA file); the host, with an optional
// ":port", is the analysis service's host of "AppInfo.ini". FTP: passive,
// binary, the port of the settings (21).
#include "comm/WebDbSqlDump.h"

#include <QString>
#include <QStringList>

#include <memory>

// Where the analysis service is reached besides its host: the section
// "WEBVELDA" of the application ini file, each key falling back to its default.
//   FTPPORT         the FTP port (21)
//   CAFILE          a PEM file of the certificates to trust; empty: the system's store
//   CONNECTTIMEOUT  milliseconds to connect (15000)
//   READTIMEOUT     milliseconds a request or a stalled transfer may take (60000)
struct TWebVeldaSettings {
    quint16 FtpPort = 21;
    QString CaFile;
    int ConnectTimeoutMs = 15000;
    int ReadTimeoutMs = 60000;

    static TWebVeldaSettings fromIniFile(const QString &path);
    static TWebVeldaSettings fromApplicationIni();
};

class TFtpWebDbSqlDump
{
public:
    TFtpWebDbSqlDump();
    ~TFtpWebDbSqlDump();
    TFtpWebDbSqlDump(const TFtpWebDbSqlDump &) = delete;
    TFtpWebDbSqlDump &operator=(const TFtpWebDbSqlDump &) = delete;

    std::unique_ptr<TWebDbSqlDump> Dump;
    TWebVeldaSettings Settings;
    QString WebServer;
    QString FtpHost;
    QString FtpPassword;
    QString Status;
    QString UserId;
    int SlotNo = 0;
    QString DatabaseName;
    QString DumpFileName;
    QString ZipFileName;
    QString ZipPassword;
    QStringList Headers; // name=value lines of the last reply
    QString DataVersion;
    QString LastError;   // what the network layer said of the last failure

    // Runs the whole upload; the status code is always set when it returns
    // normally. A dump file that cannot be created raises its error after
    // the clean-up.
    void UploadDump(const QString &communicationId, int slot, QString &statusCode);

    static QString StatusText(const QString &code);
    // The data version of the closing request: major.minor.0, and "8.0.0"
    // below version 8.0.2.
    static QString DataVersionText(int major, int minor, int release);

    // Packs one file, without its folder, into a new archive protected by the
    // password (traditional PKWARE encryption); 0 on success.
    static int ZipFiles(const QString &password, const QString &archive, const QString &file);

    // The value of a header of `Headers` (name compared without regard to
    // case), trimmed; empty when absent.
    QString HeaderValue(const QString &name) const;
    // Takes the header block of a reply into `Headers` as name=value lines.
    void TakeHeaders(const QByteArray &raw);

private:
    // One HTTPS GET; false when it failed (no connection, TLS, HTTP error).
    bool HttpGet(const QString &pathAndQuery);
    enum class FtpResult { Ok, Connect, Folder, Store, Logout };
    FtpResult FtpUpload(const QString &localFile);
};
