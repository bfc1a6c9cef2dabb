#pragma once
// Child processes started while one of these lives keep the database engine's
// shared lock memory in a folder of their own. A test that kills such a child
// at a random moment may catch it holding a mutex of that memory; the engine's
// mutexes are not robust, and a dead holder in the common lock folder would
// hang every later attachment on the machine. This process's own engine has
// read its lock folder already and keeps it.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

class KilledChildLock
{
public:
    KilledChildLock() : m_had(qEnvironmentVariableIsSet("FIREBIRD_LOCK")), m_old(qgetenv("FIREBIRD_LOCK"))
    {
        qputenv("FIREBIRD_LOCK", QFile::encodeName(m_dir.path()));
    }
    ~KilledChildLock()
    {
        if (m_had) qputenv("FIREBIRD_LOCK", m_old);
        else qunsetenv("FIREBIRD_LOCK");
    }
    KilledChildLock(const KilledChildLock &) = delete;
    KilledChildLock &operator=(const KilledChildLock &) = delete;

private:
    QTemporaryDir m_dir;
    bool m_had;
    QByteArray m_old;
};
