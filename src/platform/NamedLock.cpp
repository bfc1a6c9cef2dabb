#include "platform/NamedLock.h"

#include "platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

int openLockFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

} // namespace

NamedLock::NamedLock(const QString &name) : m_name(name) {}

NamedLock::~NamedLock()
{
    release();
}

QString NamedLock::lockPath(const QString &name)
{
    return runtimeDir() + u'/' + name + QStringLiteral(".lock");
}

bool NamedLock::tryAcquire()
{
    if (m_fd >= 0) return true;
    const int fd = openLockFile(lockPath(m_name));
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedLock::release()
{
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

bool NamedLock::isHeld(const QString &name)
{
    const QString path = lockPath(name);
    if (!QFile::exists(path)) return false;
    const int fd = openLockFile(path);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!held) ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

} // namespace platform
