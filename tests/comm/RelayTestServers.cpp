#include "RelayTestServers.h"

#include "comm/xPzConv.h"
#include "support/TestEnv.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

namespace relaytest {

const Certificate &serverCertificate()
{
    static const Certificate cert = [] {
        Certificate c;
        const QString dir = testenv::freshDir(QStringLiteral("relay-cert"));
        const QString certFile = dir + QStringLiteral("/cert.pem");
        const QString keyFile = dir + QStringLiteral("/key.pem");
        QProcess p;
        p.start(QStringLiteral("/usr/bin/openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-keyout"), keyFile, QStringLiteral("-out"), certFile,
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                 QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
            QFileInfo(certFile).size() > 0) {
            c.certFile = certFile;
            c.keyFile = keyFile;
        }
        return c;
    }();
    return cert;
}

quint16 freePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

// ---------------------------------------------------------------- fake relay

class RelayServerImpl : public QTcpServer
{
public:
    RelayServerImpl(FakeRelay *owner, const QSslCertificate &cert, const QSslKey &key)
        : m_owner(owner), m_cert(cert), m_key(key)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (m_owner->m_behaviour == FakeRelay::Behaviour::HoldHandshake) {
            auto *plain = new QTcpSocket(this);
            plain->setSocketDescriptor(descriptor);
            return; // held open, silent
        }
        auto *s = new QSslSocket(this);
        if (!s->setSocketDescriptor(descriptor)) {
            delete s;
            return;
        }
        s->setLocalCertificate(m_cert);
        s->setPrivateKey(m_key);
        s->setPeerVerifyMode(QSslSocket::VerifyNone);
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(s, &QSslSocket::readyRead, s, [this, s, buffer] {
            *buffer += s->readAll();
            if (!buffer->contains("\r\n\r\n\r\n")) return;
            m_owner->record(*buffer);
            buffer->clear();
            if (m_owner->m_behaviour == FakeRelay::Behaviour::HoldReply) return;
            s->write(m_owner->nextReply());
            s->disconnectFromHost();
        });
        QObject::connect(s, &QSslSocket::disconnected, s, &QObject::deleteLater);
        s->startServerEncryption();
    }

private:
    FakeRelay *m_owner;
    QSslCertificate m_cert;
    QSslKey m_key;
};

FakeRelay::FakeRelay(Behaviour behaviour) : m_behaviour(behaviour) {}

FakeRelay::~FakeRelay()
{
    quit();
    wait();
}

bool FakeRelay::start()
{
    QThread::start();
    if (!m_started.tryAcquire(1, 30000)) return false;
    return m_port != 0;
}

void FakeRelay::run()
{
    const Certificate &c = serverCertificate();
    QFile certFile(c.certFile), keyFile(c.keyFile);
    std::unique_ptr<RelayServerImpl> server;
    if (certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly)) {
        server = std::make_unique<RelayServerImpl>(this, QSslCertificate(&certFile, QSsl::Pem),
                                                   QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem));
        if (server->listen(QHostAddress::LocalHost, 0)) m_port = server->serverPort();
    }
    m_started.release();
    if (m_port == 0) return;
    exec();
    server.reset();
}

void FakeRelay::addReply(const QByteArray &reply)
{
    QMutexLocker lock(&m_mutex);
    m_replies << reply;
}

QList<QByteArray> FakeRelay::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

QByteArray FakeRelay::nextReply()
{
    QMutexLocker lock(&m_mutex);
    if (m_replies.isEmpty()) return QByteArray();
    const int i = std::min<int>(m_served++, int(m_replies.size()) - 1);
    return m_replies[i];
}

void FakeRelay::record(const QByteArray &request)
{
    QMutexLocker lock(&m_mutex);
    m_requests << request;
}

// ---------------------------------------------------------------- replies

namespace {

QByteArray head()
{
    return "HTTP/1.0 200 OK\r\nServer: relay-test\r\nContent-Type: text/plain\r\nX-Relay: 1\r\n";
}

// A field whose value starts at character n: a label padded to n - 1 characters.
QByteArray field(const char *label, int n, const QString &value)
{
    return QByteArray(label).leftJustified(n - 1, ' ') + value.toLatin1() + "\r\n";
}

} // namespace

QByteArray statusLine(const QString &status)
{
    return field("Status:", 11, status);
}

QByteArray slotListReply(const QString &status, const QList<SlotSpec> &slots, int blankLines, const QString &ftpHost,
                         const QString &ftpPassword)
{
    QByteArray out;
    for (int i = 0; i < blankLines; ++i) out += "\r\n";
    out += head() + statusLine(status);
    out += field("FtpH:", 8, ftpHost) + field("FtpP:", 8, ftpPassword) + "Slots: 10\r\n";
    for (int i = 0; i < 10; ++i) {
        const SlotSpec s = i < slots.size() ? slots[i] : SlotSpec{};
        const bool data = !s.name.isEmpty();
        out += field("SlotName:", 14, QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        out += field("DataName:", 11, data ? QString::fromLatin1(EncodeDataName(s.name)) : QString());
        out += field("Term:", 11, data ? s.term : QString());
        out += field("Start:", 12, data ? s.start : QString());
        out += field("End:", 12, data ? s.end : QString());
        out += field("Send:", 11, data ? s.send : QString());
        out += field("Pass:", 11, data ? s.password : QString());
        out += field("Version:", 13, data ? s.version : QString());
        out += field("Recv:", 11, data ? s.receive : QString());
    }
    return out;
}

QByteArray deleteReply(const QString &status)
{
    return head() + statusLine(status);
}

QByteArray completeReply(const QString &time, const QString &status)
{
    return head() + field("Time:", 8, time) + statusLine(status);
}

// ---------------------------------------------------------------- FTP server

FtpServer::FtpServer(const QString &root, const QString &user, const QString &password, const QStringList &faults)
    : m_root(root), m_user(user), m_password(password), m_faults(faults)
{
}

FtpServer::~FtpServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool FtpServer::start(QString *why)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python).isExecutable()) {
        *why = QStringLiteral("Debian's python3 is not installed (scripts/install-deps.sh --tests)");
        return false;
    }
    QStringList args{QStringLiteral(RELAY_FTP_SCRIPT), m_root, m_user, m_password, QStringLiteral("--deadline"),
                     QStringLiteral("120")};
    args += m_faults;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(python, args);
    if (!m_process.waitForStarted(10000)) {
        *why = QStringLiteral("python3 did not start");
        return false;
    }
    QDeadlineTimer deadline(20000);
    QByteArray out;
    while (!deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) break;
        out += m_process.readAllStandardOutput();
        const qsizetype at = out.indexOf("PORT ");
        if (at >= 0 && out.indexOf('\n', at) > at) {
            m_port = quint16(out.mid(at + 5, out.indexOf('\n', at) - at - 5).trimmed().toUInt());
            return m_port != 0;
        }
    }
    const QByteArray err = m_process.readAllStandardError();
    *why = err.contains("pyftpdlib") ? QStringLiteral("python3-pyftpdlib is not installed (scripts/install-deps.sh --tests)")
                                     : QStringLiteral("the FTP server did not start: ") + QString::fromLocal8Bit(err);
    return false;
}

} // namespace relaytest
