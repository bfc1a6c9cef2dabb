#include "comm/FtpWebDbSqlDump.h"

#include "core/FileUtils.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>
#include <zip.h>

#include <algorithm>
#include <memory>

namespace {

const QString kSection = QStringLiteral("WEBVELDA");

int boundedInt(const platform::IniFile &ini, const QString &key, int def, int min, int max)
{
    const int v = ini.readInteger(kSection, key, def);
    return v < min || v > max ? def : v;
}

void initCurlOnce()
{
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)done;
}

struct CurlDeleter {
    void operator()(CURL *h) const { curl_easy_cleanup(h); } // sends QUIT on an open FTP connection
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

size_t discardBody(char *, size_t size, size_t n, void *) { return size * n; }

size_t collectHeader(char *data, size_t size, size_t n, void *user)
{
    auto *raw = static_cast<QByteArray *>(user);
    const QByteArray line(data, qsizetype(size * n));
    // A new status line starts the headers of the next reply (after a 100 or a redirect).
    if (line.startsWith("HTTP/")) raw->clear();
    *raw += line;
    return size * n;
}

size_t readFromFile(char *data, size_t size, size_t n, void *user)
{
    auto *f = static_cast<QFile *>(user);
    const qint64 got = f->read(data, qint64(size * n));
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

qint64 fileSize(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile() ? fi.size() : -1;
}

// Deletes the written dump whatever way the upload ends.
struct DumpRemover {
    QString path;
    bool armed = false;
    ~DumpRemover()
    {
        if (armed) QFile::remove(path);
    }
};

} // namespace

TWebVeldaSettings TWebVeldaSettings::fromIniFile(const QString &path)
{
    TWebVeldaSettings s;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return s;
    const platform::IniFile ini(path);
    s.FtpPort = quint16(boundedInt(ini, QStringLiteral("FTPPORT"), s.FtpPort, 1, 65535));
    s.CaFile = ini.readString(kSection, QStringLiteral("CAFILE")).trimmed();
    s.ConnectTimeoutMs = boundedInt(ini, QStringLiteral("CONNECTTIMEOUT"), s.ConnectTimeoutMs, 100, 600000);
    s.ReadTimeoutMs = boundedInt(ini, QStringLiteral("READTIMEOUT"), s.ReadTimeoutMs, 100, 3600000);
    return s;
}

TWebVeldaSettings TWebVeldaSettings::fromApplicationIni()
{
    return fromIniFile(SystemDef.AppIniFile);
}

TFtpWebDbSqlDump::TFtpWebDbSqlDump()
    : Dump(std::make_unique<TWebDbSqlDump>()), Settings(TWebVeldaSettings::fromApplicationIni()),
      WebServer(AppInfo.Application.WebVeldaServer), ZipPassword(QStringLiteral("Brovik5072"))
{
}

TFtpWebDbSqlDump::~TFtpWebDbSqlDump() = default;

QString TFtpWebDbSqlDump::StatusText(const QString &code)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("000"), QStringLiteral("正常終了")},
        {QStringLiteral("001"), QStringLiteral("「qmaimu」データ無し")},
        {QStringLiteral("002"), QStringLiteral("「qmaimu」データより、認証不許可")},
        {QStringLiteral("003"), QStringLiteral("「FtpUsers」データ無し")},
        {QStringLiteral("801"), QStringLiteral("通信IDなし")},
        {QStringLiteral("802"), QStringLiteral("データリスト番号不正")},
        {QStringLiteral("811"), QStringLiteral("SQLDumpファイル作成失敗")},
        {QStringLiteral("812"), QStringLiteral("SQLDumpファイル作成失敗(結果0バイト)")},
        {QStringLiteral("813"), QStringLiteral("SQLDumpファイルZip圧縮失敗")},
        {QStringLiteral("814"), QStringLiteral("SQLDumpファイルZip圧縮失敗(結果0バイト)")},
        {QStringLiteral("821"), QStringLiteral("FTP コネクト失敗")},
        {QStringLiteral("822"), QStringLiteral("FTP ログアウト失敗")},
        {QStringLiteral("823"), QStringLiteral("FTP ディレクトリ移動失敗")},
        {QStringLiteral("824"), QStringLiteral("FTP アップロード失敗")},
        {QStringLiteral("825"), QStringLiteral("FTP ダウンロード失敗")},
        {QStringLiteral("831"), QStringLiteral("HTTP GET失敗")},
        {QStringLiteral("900"), QStringLiteral("ユーザーエージェント不正")},
        {QStringLiteral("901"), QStringLiteral("制御モード不明")},
        {QStringLiteral("902"), QStringLiteral("通信ID不明")},
        {QStringLiteral("903"), QStringLiteral("該当制御コード無し")},
        {QStringLiteral("911"), QStringLiteral("データ管理番号不正")},
        {QStringLiteral("912"), QStringLiteral("データバージョン不正")},
        {QStringLiteral("913"), QStringLiteral("データバージョン内容不正")},
        {QStringLiteral("921"), QStringLiteral("Zipオープン失敗")},
        {QStringLiteral("922"), QStringLiteral("Zip解凍パスワード失敗")},
        {QStringLiteral("923"), QStringLiteral("Zip展開失敗")},
        {QStringLiteral("924"), QStringLiteral("SQLDumpファイル不明")},
    };
    return texts.value(code, QStringLiteral("原因不明のエラー発生"));
}

QString TFtpWebDbSqlDump::DataVersionText(int major, int minor, int release)
{
    const bool v802 = major > 8 || (major == 8 && minor > 0) || (major == 8 && minor == 0 && release >= 2);
    return v802 ? QStringLiteral("%1.%2.0").arg(major).arg(minor) : QStringLiteral("8.0.0");
}

int TFtpWebDbSqlDump::ZipFiles(const QString &password, const QString &archive, const QString &file)
{
    if (QFileInfo::exists(archive) && !QFile::remove(archive)) return -1;
    if (!zip_encryption_method_supported(ZIP_EM_TRAD_PKWARE, 1)) return -3;
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) return -1;
    zip_source_t *src = zip_source_file(z, QFile::encodeName(file).constData(), 0, -1);
    if (!src) {
        zip_discard(z);
        return -2;
    }
    // The file alone, without its folders.
    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    const zip_int64_t index = zip_file_add(z, name.constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(src);
        zip_discard(z);
        return -2;
    }
    const QByteArray pw = password.toLatin1();
    if (zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 9) != 0 ||
        zip_file_set_encryption(z, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, pw.constData()) != 0) {
        zip_discard(z);
        return -3;
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        QFile::remove(archive);
        return -4;
    }
    return 0;
}

void TFtpWebDbSqlDump::TakeHeaders(const QByteArray &raw)
{
    QString text = QString::fromLatin1(raw);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u':', u'=');
    Headers.clear();
    for (const QString &l : text.split(u'\n'))
        if (!l.isEmpty()) Headers << l;
}

QString TFtpWebDbSqlDump::HeaderValue(const QString &name) const
{
    for (const QString &l : Headers) {
        const qsizetype eq = l.indexOf(u'=');
        if (eq > 0 && l.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) return l.mid(eq + 1).trimmed();
    }
    return QString();
}

bool TFtpWebDbSqlDump::HttpGet(const QString &pathAndQuery)
{
    initCurlOnce();
    CurlHandle h(curl_easy_init());
    if (!h) return false;
    char error[CURL_ERROR_SIZE] = {};
    QByteArray raw;
    const QByteArray url = "https://" + WebServer.toLatin1() + pathAndQuery.toLatin1();
    const QByteArray ca = QFile::encodeName(Settings.CaFile);
    CURL *c = h.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Corvena");
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!Settings.CaFile.isEmpty()) curl_easy_setopt(c, CURLOPT_CAINFO, ca.constData());
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(Settings.ConnectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(Settings.ReadTimeoutMs));
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &raw);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discardBody);
    const CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        LastError = QString::fromLocal8Bit(error[0] ? error : curl_easy_strerror(rc));
        return false;
    }
    TakeHeaders(raw);
    return true;
}

TFtpWebDbSqlDump::FtpResult TFtpWebDbSqlDump::FtpUpload(const QString &localFile)
{
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly)) return FtpResult::Store;
    initCurlOnce();
    CurlHandle h(curl_easy_init());
    if (!h) return FtpResult::Connect;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray user = UserId.toLatin1();
    QByteArray password = FtpPassword.toUtf8();
    const QString folder = QStringLiteral("%1").arg(SlotNo, 2, 10, QLatin1Char('0'));
    const QByteArray base = "ftp://" + FtpHost.toLatin1() + ':' + QByteArray::number(Settings.FtpPort) + '/' +
                            folder.toLatin1() + '/';
    const long stallSeconds = std::max(1L, long((Settings.ReadTimeoutMs + 999) / 1000));
    auto common = [&](CURL *c, const QByteArray &url) {
        curl_easy_reset(c);
        curl_easy_setopt(c, CURLOPT_URL, url.constData());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(Settings.ConnectTimeoutMs));
        curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, stallSeconds);
        curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(c, CURLOPT_FTPPORT, nullptr); // passive
        curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);  // binary
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discardBody);
    };
    CURL *c = h.get();
    // Log in and enter the slot's folder ("./NN" under the start folder).
    common(c, base);
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    CURLcode rc = curl_easy_perform(c);
    FtpResult result = FtpResult::Ok;
    if (rc == CURLE_REMOTE_ACCESS_DENIED) result = FtpResult::Folder;
    else if (rc != CURLE_OK) result = FtpResult::Connect;
    if (result == FtpResult::Ok) {
        common(c, base + ZipFileName.toLatin1());
        curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(c, CURLOPT_APPEND, 0L);
        curl_easy_setopt(c, CURLOPT_READFUNCTION, readFromFile);
        curl_easy_setopt(c, CURLOPT_READDATA, &file);
        curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
        rc = curl_easy_perform(c);
        if (rc != CURLE_OK) result = FtpResult::Store;
    }
    if (result != FtpResult::Ok) LastError = QString::fromLocal8Bit(error[0] ? error : curl_easy_strerror(rc));
    h.reset(); // QUIT and close
    password.fill('\0');
    return result;
}

void TFtpWebDbSqlDump::UploadDump(const QString &communicationId, int slot, QString &statusCode)
{
    UserId = communicationId;
    UserId.remove(u'-');
    SlotNo = slot;
    DatabaseName = QStringLiteral("velda_d_") + UserId + u'_' + QString::number(slot);
    Status = QStringLiteral("000");
    FtpHost.clear();
    FtpPassword.clear();
    Headers.clear();
    LastError.clear();

    DumpRemover remover{Dump->DumpFilePath};
    struct StatusOut {
        QString &out;
        const QString &status;
        ~StatusOut() { out = status; }
    } statusOut{statusCode, Status};

    if (UserId.isEmpty()) {
        Status = QStringLiteral("801");
        return;
    }
    if (slot < 1 || slot > 10) {
        Status = QStringLiteral("802");
        return;
    }
    Dump->DatabaseName = DatabaseName;
    const bool written = Dump->WriteDumpFile();
    if (!written) {
        Status = QStringLiteral("811");
        return;
    }
    remover.armed = true;
    if (fileSize(Dump->DumpFilePath) <= 0) {
        Status = QStringLiteral("812");
        return;
    }
    const QString folder = ExcludePathDelim(QFileInfo(Dump->DumpFilePath).absolutePath());
    DumpFileName = QFileInfo(Dump->DumpFilePath).fileName();
    ZipFileName = QFileInfo(DumpFileName).completeBaseName() + QStringLiteral(".zip");
    const QString archive = folder + u'/' + ZipFileName;
    QFile::remove(archive);
    try {
        ForceDir(folder);
        if (ZipFiles(ZipPassword, archive, Dump->DumpFilePath) != 0) {
            Status = QStringLiteral("813");
            return;
        }
    } catch (const std::exception &) {
        Status = QStringLiteral("813");
    }
    if (fileSize(archive) <= 22) Status = QStringLiteral("814");
    if (Status != QStringLiteral("000")) return;

    if (!HttpGet(QStringLiteral("/request.php?pmd=1000&fnm=") + UserId)) {
        Status = QStringLiteral("831");
        return;
    }
    FtpHost = HeaderValue(QStringLiteral("X-Add"));
    FtpPassword = HeaderValue(QStringLiteral("X-Pas"));
    Status = HeaderValue(QStringLiteral("X-Status"));
    if (Status != QStringLiteral("000")) return;

    switch (FtpUpload(archive)) {
    case FtpResult::Ok: break;
    case FtpResult::Connect: Status = QStringLiteral("821"); return;
    case FtpResult::Folder: Status = QStringLiteral("823"); return;
    case FtpResult::Store: Status = QStringLiteral("824"); return;
    case FtpResult::Logout: Status = QStringLiteral("822"); return;
    }

    DataVersion = DataVersionText(AccInf.MAJOR, AccInf.MINOR1, AccInf.MINOR2);
    if (!HttpGet(QStringLiteral("/request.php?pmd=1100&fnm=") + UserId + QStringLiteral("&dno=") + QString::number(SlotNo) +
                 QStringLiteral("&dvr=") + DataVersion + QStringLiteral("&fpa=") + ZipPassword)) {
        Status = QStringLiteral("831");
        return;
    }
    Status = HeaderValue(QStringLiteral("X-Status"));
}
