#include "MariaDbServer.h"

#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace mariadbtest {

namespace {

const QString kServer = QStringLiteral("/usr/sbin/mariadbd");
const QString kInstall = QStringLiteral("/usr/bin/mariadb-install-db");
const QString kClient = QStringLiteral("/usr/bin/mariadb");
const QString kTimeout = QStringLiteral("/usr/bin/timeout");

} // namespace

MariaDbServer::MariaDbServer(int deadlineSeconds) : m_deadline(deadlineSeconds) {}

MariaDbServer::~MariaDbServer()
{
    stop();
}

QStringList MariaDbServer::clientArgs() const
{
    return {QStringLiteral("--no-defaults"), QStringLiteral("--protocol=socket"), QStringLiteral("--socket=") + m_socket,
            QStringLiteral("--user=root"), QStringLiteral("--default-character-set=utf8mb4")};
}

bool MariaDbServer::start(QString *why)
{
    for (const QString &tool : {kServer, kInstall, kClient, kTimeout}) {
        if (!QFileInfo(tool).isExecutable()) {
            *why = tool + QStringLiteral(" is not installed (Debian package mariadb-server)");
            return false;
        }
    }
    m_dir = testenv::freshDir(QStringLiteral("mariadb"));
    // A Unix socket path has at most 107 bytes.
    if (QFile::encodeName(m_dir).size() > 80) {
        m_dir = QDir::tempPath() + QStringLiteral("/soltea-mdb-%1").arg(QCoreApplication::applicationPid());
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir);
    }
    m_socket = m_dir + QStringLiteral("/mysqld.sock");
    const QString data = m_dir + QStringLiteral("/data");

    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(kTimeout, {QStringLiteral("120"), kInstall, QStringLiteral("--no-defaults"),
                             QStringLiteral("--datadir=") + data, QStringLiteral("--user=root"),
                             QStringLiteral("--auth-root-authentication-method=normal"), QStringLiteral("--skip-test-db"),
                             QStringLiteral("--skip-name-resolve")});
    if (!install.waitForFinished(130000) || install.exitCode() != 0) {
        *why = QStringLiteral("mariadb-install-db failed: ") + QString::fromLocal8Bit(install.readAll()).right(400);
        return false;
    }

    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(m_dir + QStringLiteral("/server.log"));
    m_server.start(kTimeout, {QStringLiteral("-s"), QStringLiteral("KILL"), QString::number(m_deadline), kServer,
                              QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                              QStringLiteral("--socket=") + m_socket, QStringLiteral("--skip-networking"),
                              QStringLiteral("--user=root"), QStringLiteral("--pid-file=") + m_dir + QStringLiteral("/mysqld.pid"),
                              QStringLiteral("--log-error=") + m_dir + QStringLiteral("/error.log"),
                              QStringLiteral("--skip-log-bin"), QStringLiteral("--innodb-buffer-pool-size=64M"),
                              QStringLiteral("--character-set-server=utf8mb4")});
    if (!m_server.waitForStarted(10000)) {
        *why = QStringLiteral("mariadbd did not start");
        return false;
    }
    const QDeadlineTimer ready(60000);
    while (!ready.hasExpired()) {
        if (m_server.state() == QProcess::NotRunning) break;
        QProcess ping;
        ping.start(kClient, clientArgs() << QStringLiteral("-e") << QStringLiteral("SELECT 1"));
        if (ping.waitForFinished(10000) && ping.exitCode() == 0) return true;
        QThread::msleep(200);
    }
    QFile log(m_dir + QStringLiteral("/error.log"));
    *why = QStringLiteral("mariadbd did not answer: ") +
           (log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()).right(600) : QString());
    stop();
    return false;
}

bool MariaDbServer::load(const QString &scriptFile, QString *message)
{
    QProcess client;
    client.setStandardInputFile(scriptFile);
    client.start(kClient, clientArgs());
    const bool done = client.waitForFinished(300000);
    *message = QString::fromUtf8(client.readAllStandardError());
    return done && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
}

QStringList MariaDbServer::query(const QString &database, const QString &sql)
{
    QProcess client;
    client.start(kClient, clientArgs() << QStringLiteral("-N") << QStringLiteral("-B") << QStringLiteral("-r")
                                       << QStringLiteral("-D") << database << QStringLiteral("-e") << sql);
    if (!client.waitForFinished(60000) || client.exitCode() != 0)
        return {QStringLiteral("ERROR: ") + QString::fromUtf8(client.readAllStandardError())};
    QStringList rows = QString::fromUtf8(client.readAllStandardOutput()).split(u'\n');
    if (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();
    return rows;
}

void MariaDbServer::stop()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate(); // timeout passes SIGTERM on: the server shuts down cleanly
        if (!m_server.waitForFinished(30000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    if (!m_dir.isEmpty() && m_dir.startsWith(QDir::tempPath() + QStringLiteral("/soltea-mdb-")))
        QDir(m_dir).removeRecursively();
}

} // namespace mariadbtest
