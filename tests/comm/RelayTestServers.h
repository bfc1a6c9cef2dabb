#pragma once
// Servers of the communication tests, all on 127.0.0.1 and free ports, each
// stopped by its destructor:
// - a self-signed certificate made with the OpenSSL tool at test time;
// - a fake relay: TLS with that certificate, scripted replies, every request
//   recorded; it can also hold a connection without a TLS handshake or without
//   an answer;
// - the file channel: Debian's FTP server library run by Debian's python3,
//   with faults switched on by options.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

namespace relaytest {

// A self-signed certificate for 127.0.0.1 (PEM files); made once per process.
struct Certificate {
    QString certFile;
    QString keyFile;
};
// The certificate the fake relay uses; empty paths when the tool failed.
const Certificate &serverCertificate();

// A port nothing listens on.
quint16 freePort();

class FakeRelay : public QThread
{
    Q_OBJECT
public:
    enum class Behaviour {
        Answer,        // TLS, read the request, send the next scripted reply, close
        HoldHandshake, // accept the TCP connection and never start TLS
        HoldReply,     // TLS, read the request, never answer
    };

    explicit FakeRelay(Behaviour behaviour = Behaviour::Answer);
    ~FakeRelay() override;

    // Starts listening; false when the server could not start.
    bool start();
    quint16 port() const { return m_port; }

    // Replies in the order the requests come (the last one is repeated).
    void addReply(const QByteArray &reply);
    // The bytes of every request received, in order.
    QList<QByteArray> requests() const;

protected:
    void run() override;

private:
    friend class RelayServerImpl;
    Behaviour m_behaviour;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QList<QByteArray> m_replies;
    QList<QByteArray> m_requests;
    int m_served = 0;
    QSemaphore m_started;
    QByteArray nextReply();
    void record(const QByteArray &request);
};

// Builders of relay replies with the fixed positions the client reads.
QByteArray statusLine(const QString &status);
struct SlotSpec {
    QString name;        // data name (empty: no data)
    QString term = QStringLiteral("8");
    QString start = QStringLiteral("2018-04-01 00:00:00");
    QString end = QStringLiteral("2019-03-31 00:00:00");
    QString send = QStringLiteral("2018-05-10 13:45:00");
    QString password = QStringLiteral("slotpass");
    QString version = QStringLiteral("1100");
    QString receive = QStringLiteral("2018-05-11 09:30:00");
};
// A 1720 reply; `blankLines` empty lines before line 1.
QByteArray slotListReply(const QString &status, const QList<SlotSpec> &slots, int blankLines = 0,
                         const QString &ftpHost = QStringLiteral("127.0.0.1"),
                         const QString &ftpPassword = QStringLiteral("ftp-secret"));
// A 1750 reply.
QByteArray deleteReply(const QString &status);
// A 1810/1820/1830 reply.
QByteArray completeReply(const QString &time, const QString &status);

// The FTP server of the file channel, serving `root`.
class FtpServer
{
public:
    FtpServer(const QString &root, const QString &user, const QString &password, const QStringList &faults = {});
    ~FtpServer();
    // False with the reason when the server cannot run here (the test skips).
    bool start(QString *why);
    quint16 port() const { return m_port; }

private:
    QString m_root, m_user, m_password;
    QStringList m_faults;
    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace relaytest
