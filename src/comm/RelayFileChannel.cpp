#include "comm/RelayFileChannel.h"

#include "platform/Cp932.h"

#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

void initCurlOnce()
{
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)done;
}

struct CurlDeleter {
    void operator()(CURL *h) const { curl_easy_cleanup(h); } // sends QUIT on the open connection
};
struct SlistDeleter {
    void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

size_t discardBody(char *, size_t size, size_t n, void *) { return size * n; }

size_t writeToFile(char *data, size_t size, size_t n, void *user)
{
    auto *f = static_cast<QFile *>(user);
    const qint64 want = qint64(size * n);
    return f->write(data, want) == want ? size_t(want) : 0;
}

size_t readFromFile(char *data, size_t size, size_t n, void *user)
{
    auto *f = static_cast<QFile *>(user);
    const qint64 got = f->read(data, qint64(size * n));
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

// One FTP session of a call: options are set anew for each step, the
// connection is kept between the steps and ended (QUIT) with the handle.
class Session
{
public:
    Session(const QString &host, quint16 port, const QString &user, const QString &password, int connectMs, int stallMs)
        : m_host(host), m_port(port), m_user(platform::toCp932(user)), m_password(platform::toCp932(password)),
          m_connectMs(connectMs), m_stallMs(stallMs)
    {
        initCurlOnce();
        m_h.reset(curl_easy_init());
    }
    ~Session()
    {
        // The password does not outlive the session in our memory.
        m_password.fill('\0');
    }

    bool valid() const { return m_h != nullptr; }
    QString error() const { return QString::fromLocal8Bit(m_error); }

    // A path of the account: "/NN/" for a folder, "/NN/name" for a file.
    CURLcode perform(const QString &path, const std::function<void(CURL *)> &configure)
    {
        CURL *h = m_h.get();
        curl_easy_reset(h);
        m_error[0] = '\0';
        // "%2F" makes the folder absolute: the server is asked "CWD /NN".
        const QByteArray url = "ftp://" + m_host.toLatin1() + ':' + QByteArray::number(m_port) + "/%2F" +
                               QUrlPath(path);
        curl_easy_setopt(h, CURLOPT_URL, url.constData());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(h, CURLOPT_USERNAME, m_user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, m_password.constData());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_error);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_connectMs));
        const long stallSeconds = std::max(1L, long((m_stallMs + 999) / 1000));
        curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, stallSeconds);
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(h, CURLOPT_FTPPORT, nullptr); // passive
        curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
        curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L); // binary
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discardBody);
        if (configure) configure(h);
        return curl_easy_perform(h);
    }

    // Connect, log in and enter the folder.
    CURLcode enter(const QString &folder)
    {
        return perform(folder + u'/', [](CURL *h) { curl_easy_setopt(h, CURLOPT_NOBODY, 1L); });
    }

    qint64 size(const QString &folder, const QString &file)
    {
        const CURLcode rc = perform(folder + u'/' + file, [](CURL *h) { curl_easy_setopt(h, CURLOPT_NOBODY, 1L); });
        if (rc != CURLE_OK) return -1;
        curl_off_t length = -1;
        if (curl_easy_getinfo(m_h.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
        return qint64(length);
    }

    // Raw commands (RNFR/RNTO, DELE) sent after the login.
    CURLcode quote(const QString &folder, const QList<QByteArray> &commands)
    {
        Slist list;
        for (const QByteArray &c : commands) list.reset(curl_slist_append(list.release(), c.constData()));
        curl_slist *raw = list.get();
        return perform(folder + u'/', [raw](CURL *h) {
            curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(h, CURLOPT_QUOTE, raw);
        });
    }

    CURL *handle() const { return m_h.get(); }

private:
    static QByteArray QUrlPath(const QString &path)
    {
        // Folder and file names of the relay are plain ASCII; anything else is escaped.
        QByteArray out;
        for (const char c : platform::toCp932(path)) {
            const auto u = static_cast<unsigned char>(c);
            if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '/' || u == '.' ||
                u == '-' || u == '_')
                out += c;
            else
                out += '%' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
        }
        return out;
    }

    CurlHandle m_h;
    QString m_host;
    quint16 m_port;
    QByteArray m_user, m_password;
    int m_connectMs, m_stallMs;
    char m_error[CURL_ERROR_SIZE] = {};
};

QByteArray remotePath(const QString &folder, const QString &file)
{
    return ('/' + folder + u'/' + file).toLatin1();
}

} // namespace

TRelayFileChannel::TRelayFileChannel(const QString &host, quint16 port, const QString &user, const QString &password)
    : m_host(host), m_port(port), m_user(user), m_password(password)
{
}

qint64 TRelayFileChannel::RemoteSize(const QString &slotFolder, const QString &fileName)
{
    Session s(m_host, m_port, m_user, m_password, ConnectTimeoutMs, StallTimeoutMs);
    if (!s.valid()) return -1;
    return s.size(slotFolder, fileName);
}

TRelayFileChannel::Result TRelayFileChannel::Upload(const QString &slotFolder, const QString &localFile)
{
    m_lastError.clear();
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly)) return Result::LocalFileError;
    const qint64 localSize = file.size();

    Session s(m_host, m_port, m_user, m_password, ConnectTimeoutMs, StallTimeoutMs);
    if (!s.valid()) return Result::ConnectFailed;
    const QString data = QString::fromLatin1(DataFileName);
    const QString backup = data + QLatin1String(BackupSuffix);

    CURLcode rc = s.enter(slotFolder);
    if (rc != CURLE_OK) {
        m_lastError = s.error();
        return rc == CURLE_REMOTE_ACCESS_DENIED ? Result::FolderMissing : Result::ConnectFailed;
    }
    // The previous file is kept aside while the new one is stored.
    if (s.size(slotFolder, data) > 0) {
        rc = s.quote(slotFolder, {"RNFR " + remotePath(slotFolder, data), "RNTO " + remotePath(slotFolder, backup)});
        if (rc != CURLE_OK) {
            m_lastError = s.error();
            return Result::TransferFailed;
        }
    }
    rc = s.perform(slotFolder + u'/' + data, [&file, localSize](CURL *h) {
        curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(h, CURLOPT_READFUNCTION, readFromFile);
        curl_easy_setopt(h, CURLOPT_READDATA, &file);
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(localSize));
    });
    file.close();
    const QString uploadError = s.error();
    const qint64 stored = s.size(slotFolder, data);
    if (rc == CURLE_OK && stored == localSize) return Result::Ok;

    // The new file is not what was sent: put the previous one back.
    if (stored > 0) s.quote(slotFolder, {"DELE " + remotePath(slotFolder, data)});
    if (s.size(slotFolder, backup) > 0)
        s.quote(slotFolder, {"RNFR " + remotePath(slotFolder, backup), "RNTO " + remotePath(slotFolder, data)});
    if (rc != CURLE_OK) {
        m_lastError = uploadError;
        return Result::TransferFailed;
    }
    return Result::SizeMismatch;
}

TRelayFileChannel::Result TRelayFileChannel::Download(const QString &slotFolder, const QString &localFile)
{
    m_lastError.clear();
    Session s(m_host, m_port, m_user, m_password, ConnectTimeoutMs, StallTimeoutMs);
    if (!s.valid()) return Result::ConnectFailed;
    CURLcode rc = s.enter(QString());
    if (rc != CURLE_OK) {
        m_lastError = s.error();
        return Result::ConnectFailed;
    }
    const QString data = QString::fromLatin1(DataFileName);
    if (s.size(slotFolder, data) < 1) return Result::RemoteMissing;

    QFile file(localFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return Result::LocalFileError;
    rc = s.perform(slotFolder + u'/' + data, [&file](CURL *h) {
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &file);
    });
    const bool written = file.flush();
    file.close();
    if (rc != CURLE_OK || !written) {
        m_lastError = s.error();
        file.remove();
        return rc == CURLE_WRITE_ERROR || !written ? Result::LocalFileError : Result::TransferFailed;
    }
    return Result::Ok;
}
