// The upload to the analysis service end to end on loopback: a TLS web
// server with scripted response headers in this process, the FTP server of
// the relay tests, the archive opened again with the password.
#include "RelayTestServers.h"

#include "comm/FtpWebDbSqlDump.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/Globals.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSemaphore>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>

#include <zip.h>

#include <atomic>

namespace {

// An HTTPS server that answers each GET with the next scripted header block
// and records the requests.
class FakeWebServer : public QThread
{
public:
    ~FakeWebServer() override
    {
        quit();
        wait();
    }
    bool start()
    {
        QThread::start();
        return m_started.tryAcquire(1, 30000) && m_port != 0;
    }
    quint16 port() const { return m_port; }
    void addReply(const QByteArray &headers)
    {
        QMutexLocker l(&m_mutex);
        m_replies << headers;
    }
    QList<QByteArray> requests() const
    {
        QMutexLocker l(&m_mutex);
        return m_requests;
    }

protected:
    void run() override
    {
        const relaytest::Certificate &c = relaytest::serverCertificate();
        QFile certFile(c.certFile), keyFile(c.keyFile);
        std::unique_ptr<Server> server;
        if (certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly)) {
            server = std::make_unique<Server>(this, QSslCertificate(&certFile, QSsl::Pem), QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem));
            if (server->listen(QHostAddress::LocalHost, 0)) m_port = server->serverPort();
        }
        m_started.release();
        if (m_port == 0) return;
        exec();
        server.reset();
    }

private:
    class Server : public QTcpServer
    {
    public:
        Server(FakeWebServer *owner, const QSslCertificate &cert, const QSslKey &key) : m_owner(owner), m_cert(cert), m_key(key) {}

    protected:
        void incomingConnection(qintptr descriptor) override
        {
            auto *s = new QSslSocket(this);
            if (!s->setSocketDescriptor(descriptor)) {
                delete s;
                return;
            }
            s->setLocalCertificate(m_cert);
            s->setPrivateKey(m_key);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(s, &QSslSocket::readyRead, s, [this, s, buffer] {
                *buffer += s->readAll();
                if (!buffer->contains("\r\n\r\n")) return;
                QByteArray reply;
                {
                    QMutexLocker l(&m_owner->m_mutex);
                    m_owner->m_requests << *buffer;
                    reply = m_owner->m_replies.isEmpty() ? QByteArray("HTTP/1.1 500 No reply\r\n")
                                                         : m_owner->m_replies.takeFirst();
                }
                buffer->clear();
                s->write(reply + "Content-Length: 2\r\nConnection: close\r\n\r\nok");
                s->disconnectFromHost();
            });
            QObject::connect(s, &QSslSocket::disconnected, s, &QObject::deleteLater);
            s->startServerEncryption();
        }

    private:
        FakeWebServer *m_owner;
        QSslCertificate m_cert;
        QSslKey m_key;
    };

    mutable QMutex m_mutex;
    QList<QByteArray> m_replies;
    QList<QByteArray> m_requests;
    quint16 m_port = 0;
    QSemaphore m_started;
};

// A TCP port that counts the connections made to it.
class CountingPort : public QThread
{
public:
    ~CountingPort() override
    {
        quit();
        wait();
    }
    bool start()
    {
        QThread::start();
        return m_started.tryAcquire(1, 30000) && m_port != 0;
    }
    quint16 port() const { return m_port; }
    int connections() const { return m_count; }

protected:
    void run() override
    {
        QTcpServer server;
        if (server.listen(QHostAddress::LocalHost, 0)) m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket *s = server.nextPendingConnection()) {
                ++m_count;
                s->close();
            }
        });
        m_started.release();
        if (m_port) exec();
    }

private:
    quint16 m_port = 0;
    std::atomic<int> m_count{0};
    QSemaphore m_started;
};

QByteArray headers(const QByteArray &lines)
{
    return "HTTP/1.1 200 OK\r\n" + lines;
}

// The names of an archive's entries, read with the password; empty when it does not open.
QStringList zipEntries(const QString &archive, const QByteArray &password, QByteArray *firstContent)
{
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &error);
    if (!z) return {};
    zip_set_default_password(z, password.isEmpty() ? nullptr : password.constData());
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        names << QString::fromUtf8(zip_get_name(z, zip_uint64_t(i), 0));
        zip_file_t *f = zip_fopen_index(z, zip_uint64_t(i), 0);
        if (!f) {
            names << QStringLiteral("#unreadable");
            continue;
        }
        QByteArray content;
        char buf[65536];
        zip_int64_t n;
        while ((n = zip_fread(f, buf, sizeof buf)) > 0) content.append(buf, qsizetype(n));
        if (n < 0) names << QStringLiteral("#unreadable");
        zip_fclose(f);
        if (i == 0 && firstContent) *firstContent = content;
    }
    zip_close(z);
    return names;
}

class WebDbUploadTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        if (relaytest::serverCertificate().certFile.isEmpty()) GTEST_SKIP() << "the OpenSSL tool cannot make a certificate";
        SystemDef.BaseDir = QStringLiteral(PROJECT_RESOURCES_DIR);
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("uploadtemp"));
        SystemDef.AppDispName = QStringLiteral("連動ﾃﾞｰﾀの作成");
        AccInf.DATATYPE = 1;
        AccInf.MAJOR = 11;
        AccInf.MINOR1 = 0;
        AccInf.MINOR2 = 0;
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        ASSERT_TRUE(web.start());
        AppInfo.Application.WebVeldaServer = QStringLiteral("127.0.0.1:%1").arg(web.port());
    }
    void TearDown() override
    {
        AppInfo = TAppInfoRec();
        DbFixture::TearDown();
    }

    // The application ini with the FTP port and the test certificate.
    void writeSettings(quint16 ftpPort)
    {
        SystemDef.AppIniFile = testenv::freshDir(QStringLiteral("ini")) + QStringLiteral("/vqzaimu.ini");
        testenv::writeFile(SystemDef.AppIniFile, "[WEBVELDA]\r\nFTPPORT=" + QByteArray::number(ftpPort) + "\r\nCAFILE=" +
                                                     QFile::encodeName(relaytest::serverCertificate().certFile) +
                                                     "\r\nCONNECTTIMEOUT=5000\r\nREADTIMEOUT=20000\r\n");
    }

    FakeWebServer web;
    ScriptedMessages boxes;
};

TEST_F(WebDbUploadTest, UploadsTheArchiveAndClosesTheTransfer)
{
    const QString ftpRoot = testenv::freshDir(QStringLiteral("ftproot"));
    QDir(ftpRoot).mkdir(QStringLiteral("03"));
    relaytest::FtpServer ftp(ftpRoot, QStringLiteral("AB123"), QStringLiteral("ftp-secret"));
    QString why;
    if (!ftp.start(&why)) GTEST_SKIP() << why.toStdString();
    writeSettings(ftp.port());
    web.addReply(headers("X-Status: 000\r\nX-Add:   127.0.0.1  \r\nX-Pas: ftp-secret\r\n"));
    web.addReply(headers("X-Status:  000 \r\n"));

    TFtpWebDbSqlDump upload;
    QString status = QStringLiteral("unset");
    upload.UploadDump(QStringLiteral("AB-12-3"), 3, status);
    EXPECT_EQ(status, QStringLiteral("000")) << upload.LastError.toStdString();
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(status), QStringLiteral("正常終了"));
    EXPECT_EQ(upload.UserId, QStringLiteral("AB123"));
    EXPECT_EQ(upload.DatabaseName, QStringLiteral("velda_d_AB123_3"));
    EXPECT_EQ(upload.FtpHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(upload.DataVersion, QStringLiteral("11.0.0"));

    const QList<QByteArray> requests = web.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[0].startsWith("GET /request.php?pmd=1000&fnm=AB123 HTTP/1.1\r\n")) << requests[0].toStdString();
    EXPECT_TRUE(requests[1].startsWith("GET /request.php?pmd=1100&fnm=AB123&dno=3&dvr=11.0.0&fpa=Brovik5072 HTTP/1.1\r\n"))
        << requests[1].toStdString();
    for (const QByteArray &r : requests) EXPECT_TRUE(r.contains("\r\nUser-Agent: Corvena\r\n")) << r.toStdString();

    // The archive in the slot's folder opens with the password and holds only the dump.
    const QString stored = ftpRoot + QStringLiteral("/03/vqacc.zip");
    ASSERT_TRUE(QFileInfo::exists(stored));
    QByteArray content;
    EXPECT_EQ(zipEntries(stored, "Brovik5072", &content), QStringList{QStringLiteral("vqacc.sql")});
    EXPECT_TRUE(content.startsWith("-- \r\n-- Web Velda DataBase Dump\r\n"));
    EXPECT_TRUE(content.contains("CREATE DATABASE /*!32312 IF NOT EXISTS*/ `velda_d_AB123_3`"));
    EXPECT_TRUE(zipEntries(stored, "wrong-password", nullptr).contains(QStringLiteral("#unreadable")));
    // The dump is gone; the archive stays beside it until the next upload.
    EXPECT_FALSE(QFileInfo::exists(upload.Dump->DumpFilePath));
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(upload.Dump->DumpFilePath).absolutePath() + QStringLiteral("/vqacc.zip")));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(WebDbUploadTest, StopsOnTheServiceStatusBeforeAnyFtpLogin)
{
    CountingPort ftpPort;
    ASSERT_TRUE(ftpPort.start());
    writeSettings(ftpPort.port());
    web.addReply(headers("X-Status: 902\r\nX-Add: 127.0.0.1\r\nX-Pas: x\r\n"));
    TFtpWebDbSqlDump upload;
    QString status;
    upload.UploadDump(QStringLiteral("AB-12-3"), 3, status);
    EXPECT_EQ(status, QStringLiteral("902"));
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(status), QStringLiteral("通信ID不明"));
    EXPECT_EQ(web.requests().size(), 1);
    EXPECT_EQ(ftpPort.connections(), 0);
    EXPECT_FALSE(QFileInfo::exists(upload.Dump->DumpFilePath));

    // A reply without X-Status: the empty code.
    web.addReply(headers("X-Add: 127.0.0.1\r\n"));
    upload.UploadDump(QStringLiteral("AB-12-3"), 3, status);
    EXPECT_EQ(status, QString());
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(status), QStringLiteral("原因不明のエラー発生"));
    // An HTTP error status counts as a failed request.
    web.addReply("HTTP/1.1 404 Not Found\r\n");
    upload.UploadDump(QStringLiteral("AB-12-3"), 3, status);
    EXPECT_EQ(status, QStringLiteral("831"));
    EXPECT_EQ(ftpPort.connections(), 0);
}

TEST_F(WebDbUploadTest, RefusesWithoutIdOrSlotAndWritesNoDump)
{
    writeSettings(21);
    struct Case {
        const char *id;
        int slot;
        const char *status;
    };
    for (const Case &c : {Case{"", 3, "801"}, Case{"---", 0, "801"}, Case{"AB-1", 0, "802"}, Case{"AB-1", 11, "802"},
                          Case{"AB-1", -1, "802"}}) {
        TFtpWebDbSqlDump upload;
        QString status;
        upload.UploadDump(QString::fromLatin1(c.id), c.slot, status);
        EXPECT_EQ(status, QString::fromLatin1(c.status)) << c.id << " " << c.slot;
        EXPECT_FALSE(QFileInfo::exists(upload.Dump->DumpFilePath));
    }
    EXPECT_TRUE(web.requests().isEmpty());
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(QStringLiteral("801")), QStringLiteral("通信IDなし"));
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(QStringLiteral("802")), QStringLiteral("データリスト番号不正"));

    // An ID that cannot name a database: the dump refuses it, no request is sent.
    boxes.answer(mrOk);
    TFtpWebDbSqlDump upload;
    QString status;
    upload.UploadDump(QStringLiteral("AB'1"), 1, status);
    EXPECT_EQ(status, QStringLiteral("811"));
    EXPECT_TRUE(web.requests().isEmpty());
}

TEST_F(WebDbUploadTest, FtpFailuresHaveTheirCodes)
{
    const QString ftpRoot = testenv::freshDir(QStringLiteral("ftproot2"));
    relaytest::FtpServer ftp(ftpRoot, QStringLiteral("AB123"), QStringLiteral("secret"));
    QString why;
    if (!ftp.start(&why)) GTEST_SKIP() << why.toStdString();
    writeSettings(ftp.port());
    TFtpWebDbSqlDump upload;
    QString status;
    // A refused login.
    web.addReply(headers("X-Status: 000\r\nX-Add: 127.0.0.1\r\nX-Pas: wrong\r\n"));
    upload.UploadDump(QStringLiteral("AB-123"), 4, status);
    EXPECT_EQ(status, QStringLiteral("821"));
    // The slot's folder is missing.
    web.addReply(headers("X-Status: 000\r\nX-Add: 127.0.0.1\r\nX-Pas: secret\r\n"));
    upload.UploadDump(QStringLiteral("AB-123"), 4, status);
    EXPECT_EQ(status, QStringLiteral("823"));
    EXPECT_EQ(TFtpWebDbSqlDump::StatusText(status), QStringLiteral("FTP ディレクトリ移動失敗"));
    EXPECT_EQ(web.requests().size(), 2); // no closing request
    EXPECT_FALSE(QFileInfo::exists(upload.Dump->DumpFilePath));
}

TEST(WebDbUploadParts, ReadsHeadersAndStatusTexts)
{
    TFtpWebDbSqlDump upload;
    upload.TakeHeaders("HTTP/1.1 200 OK\r\nx-add:   ftp.example.jp  \r\nX-Pas: a:b\r\nX-Status: 000\r\n\r\n");
    EXPECT_EQ(upload.HeaderValue(QStringLiteral("X-Add")), QStringLiteral("ftp.example.jp"));
    EXPECT_EQ(upload.HeaderValue(QStringLiteral("X-Pas")), QStringLiteral("a=b"));
    EXPECT_EQ(upload.HeaderValue(QStringLiteral("X-Status")), QStringLiteral("000"));
    EXPECT_EQ(upload.HeaderValue(QStringLiteral("X-None")), QString());

    const std::pair<const char *, const char *> texts[] = {
        {"001", "「qmaimu」データ無し"}, {"811", "SQLDumpファイル作成失敗"}, {"814", "SQLDumpファイルZip圧縮失敗(結果0バイト)"},
        {"825", "FTP ダウンロード失敗"},  {"831", "HTTP GET失敗"},            {"924", "SQLDumpファイル不明"},
        {"00", "原因不明のエラー発生"},   {" 000", "原因不明のエラー発生"},
    };
    for (const auto &[code, text] : texts)
        EXPECT_EQ(TFtpWebDbSqlDump::StatusText(QString::fromLatin1(code)), QString::fromUtf8(text)) << code;

    struct Version {
        int major, minor, release;
        const char *dvr;
    };
    for (const Version &v : {Version{7, 5, 1, "8.0.0"}, Version{8, 0, 0, "8.0.0"}, Version{8, 0, 1, "8.0.0"},
                             Version{8, 0, 5, "8.0.0"}, Version{9, 1, 3, "9.1.0"}})
        EXPECT_EQ(TFtpWebDbSqlDump::DataVersionText(v.major, v.minor, v.release), QString::fromLatin1(v.dvr));
}

TEST(WebDbUploadParts, ZipsOneFileWithThePassword)
{
    const QString dir = testenv::freshDir(QStringLiteral("zip"));
    const QString file = dir + QStringLiteral("/sub/vqacc.sql");
    QDir().mkpath(dir + QStringLiteral("/sub"));
    const QByteArray body = QByteArray("SELECT 1;\r\n").repeated(1000);
    testenv::writeFile(file, body);
    const QString archive = dir + QStringLiteral("/vqacc.zip");
    testenv::writeFile(archive, "old archive");
    ASSERT_EQ(TFtpWebDbSqlDump::ZipFiles(QStringLiteral("Brovik5072"), archive, file), 0);
    QByteArray content;
    EXPECT_EQ(zipEntries(archive, "Brovik5072", &content), QStringList{QStringLiteral("vqacc.sql")});
    EXPECT_EQ(content, body);
    EXPECT_TRUE(zipEntries(archive, QByteArray(), nullptr).contains(QStringLiteral("#unreadable")));
    EXPECT_NE(TFtpWebDbSqlDump::ZipFiles(QStringLiteral("x"), archive, dir + QStringLiteral("/missing.sql")), 0);
}

} // namespace
