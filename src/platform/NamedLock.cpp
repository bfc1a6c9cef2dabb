#include "platform/NamedLock.h"

#include "platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// The lock file opened for flock. A file made earlier is still usable in a
// folder that has become read-only: flock needs no write access.
int openLockFile(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    if (create) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EROFS && errno != EACCES)) return fd;
    }
    return ::open(name.constData(), O_RDONLY | O_CLOEXEC);
}

} // namespace

NamedLock::NamedLock(const QString &name) : m_name(name) {}

NamedLock::~NamedLock()
{
    release();
}

QString NamedLock::folder()
{
    return runtimeDir();
}

QString NamedLock::lockPath(const QString &name)
{
    return folder() + u'/' + name + QStringLiteral(".lock");
}

NamedLock::State NamedLock::acquire()
{
    if (m_fd >= 0) return State::Free;
    const int fd = openLockFile(lockPath(m_name), true);
    if (fd < 0) return State::Unusable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? State::Held : State::Unusable;
    }
    m_fd = fd;
    return State::Free;
}

void NamedLock::release()
{
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

NamedLock::State NamedLock::probe(const QString &name)
{
    const int fd = openLockFile(lockPath(name), false);
    if (fd < 0) {
        // No lock file in a folder that is there: nobody holds it. A runtime
        // folder that is missing is made when a lock is taken.
        if (errno == ENOENT) return State::Free;
        return State::Unusable;
    }
    State state = State::Free;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        state = errno == EWOULDBLOCK ? State::Held : State::Unusable;
    else
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return state;
}

} // namespace platform
