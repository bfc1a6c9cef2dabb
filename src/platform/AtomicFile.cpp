#include "platform/AtomicFile.h"

#include "platform/WriteFailure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// ".<target name>.<host>-<process>-<random>.soltea-part"
const QString kSuffix = QStringLiteral(".soltea-part");

const QRegularExpression &partialPattern()
{
    static const QRegularExpression re(QStringLiteral("^\\.(.*)\\.([A-Za-z0-9_]+)-([0-9]+)-([A-Za-z0-9]+)\\.soltea-part$"));
    return re;
}

// Partial files this process is writing: never stale, whatever their age.
std::mutex g_activeMutex;
QSet<QString> &activePartials()
{
    static QSet<QString> set;
    return set;
}

QString hostTag()
{
    static const QString tag = [] {
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) != 0) return QStringLiteral("host");
        QString t;
        for (const char *c = name; *c && t.size() < 32; ++c) {
            const bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9');
            t += plain ? QLatin1Char(*c) : QLatin1Char('_');
        }
        return t.isEmpty() ? QStringLiteral("host") : t;
    }();
    return tag;
}

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

bool processEnded(qint64 pid)
{
    if (pid <= 0 || pid > 0x7fffffff) return true;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

AtomicFile::AtomicFile(const QString &path) : m_path(path) {}

AtomicFile::~AtomicFile()
{
    discard();
}

QString AtomicFile::resolveTarget(const QString &path)
{
    QString p = path;
    // A chain of links ends in the file; a loop is left to the kernel to refuse.
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(p);
        if (!info.isSymLink()) return p;
        const QString next = info.symLinkTarget();
        if (next.isEmpty()) return p;
        p = next;
    }
    return p;
}

bool AtomicFile::isPartialFileName(const QString &fileName)
{
    return partialPattern().match(fileName).hasMatch();
}

int AtomicFile::removeStalePartials(const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral(".*") + kSuffix}, QDir::Files | QDir::Hidden | QDir::System);
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    int removed = 0;
    for (const QString &name : names) {
        const QRegularExpressionMatch m = partialPattern().match(name);
        if (!m.hasMatch()) continue;
        const QString full = dir.absoluteFilePath(name);
        bool stale = false;
        if (m.captured(2) == hostTag()) {
            const qint64 pid = m.captured(3).toLongLong();
            if (pid == qint64(::getpid())) {
                std::lock_guard lock(g_activeMutex);
                stale = !activePartials().contains(full);
            } else {
                stale = processEnded(pid);
            }
        }
        if (!stale) {
            const QFileInfo info(full);
            stale = info.lastModified().toUTC() < dayAgo;
        }
        if (stale && ::unlink(nativeName(full).constData()) == 0) ++removed;
    }
    return removed;
}

void AtomicFile::open()
{
    discard();
    m_target = resolveTarget(m_path);
    const QFileInfo target(m_target);
    const QString folder = target.absolutePath();
    removeStalePartials(folder);

    // The name keeps a readable head of the target's, short enough for any file system.
    const QString head = target.fileName().left(40);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString random = QString::number(QRandomGenerator::global()->generate64() % 0x7fffffffffffULL, 36);
        const QString name = u'.' + head + u'.' + hostTag() + u'-' + QString::number(qint64(::getpid())) + u'-' + random + kSuffix;
        const QString partial = folder + u'/' + name;
        const int fd = ::open(nativeName(partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            const int err = errno;
            throw WriteError(m_path, err);
        }
        m_fd = fd;
        m_partial = partial;
        {
            std::lock_guard lock(g_activeMutex);
            activePartials().insert(partial);
        }
        // The replaced file's permissions are kept (where the file system has them).
        struct stat st {};
        if (::stat(nativeName(m_target).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            [[maybe_unused]] const int ignored = ::fchmod(fd, st.st_mode & 07777);
        }
        return;
    }
    throw WriteError(m_path, EEXIST);
}

void AtomicFile::write(const char *data, qint64 size)
{
    if (m_fd < 0) throw WriteError(m_path, EBADF);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (n == 0) fail(EIO);
        data += n;
        size -= n;
    }
}

void AtomicFile::commit()
{
    if (m_fd < 0) throw WriteError(m_path, EBADF);
    // A file system that cannot sync (EINVAL) still takes the file.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != ENOTSUP) fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) fail(errno);
    if (::rename(nativeName(m_partial).constData(), nativeName(m_target).constData()) != 0) fail(errno);
    {
        std::lock_guard lock(g_activeMutex);
        activePartials().remove(m_partial);
    }
    m_partial.clear();
    // The rename itself is made lasting where the folder can be synced.
    const int dirFd = ::open(nativeName(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        [[maybe_unused]] const int ignored = ::fsync(dirFd);
        ::close(dirFd);
    }
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_partial.isEmpty()) {
        ::unlink(nativeName(m_partial).constData());
        std::lock_guard lock(g_activeMutex);
        activePartials().remove(m_partial);
        m_partial.clear();
    }
}

void AtomicFile::fail(int errnum)
{
    discard();
    throw WriteError(m_path, errnum);
}

} // namespace platform
