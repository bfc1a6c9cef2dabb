#pragma once
// A MySQL-compatible server of Debian's (MariaDB) for the tests that load an
// SQL dump: its data folder in a temporary folder, no network at all
// (--skip-networking, a Unix socket in that folder), run as root with
// --user=root, ended by coreutils' timeout after a deadline and stopped by the
// destructor.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace mariadbtest {

class MariaDbServer
{
public:
    explicit MariaDbServer(int deadlineSeconds = 600);
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer &) = delete;
    MariaDbServer &operator=(const MariaDbServer &) = delete;

    // False with the reason when the server cannot run here (the test skips).
    bool start(QString *why);

    // Runs the client on a script file; false with the client's message when it failed.
    bool load(const QString &scriptFile, QString *message);
    // The rows of a query, tab-separated columns, without the header; UTF-8.
    QStringList query(const QString &database, const QString &sql);

private:
    QStringList clientArgs() const;
    void stop();

    int m_deadline;
    QString m_dir;
    QString m_socket;
    QProcess m_server;
};

} // namespace mariadbtest
