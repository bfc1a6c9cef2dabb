#pragma once
// A tmpfs file system mounted on a folder for one test's life: read-only ones
// stand for places nobody can write to (root writes anywhere else), writable
// ones for a volume of its own. Mounting needs root and mount rights; a test
// skips when mounted() is false.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>

class TmpfsMount
{
public:
    enum Access { ReadOnly, Writable };

    explicit TmpfsMount(const QString &dir, Access access = ReadOnly) : m_dir(dir)
    {
        QDir().mkpath(dir);
        const QByteArray path = QFile::encodeName(dir);
        m_mounted = ::mount("tmpfs", path.constData(), "tmpfs", access == ReadOnly ? MS_RDONLY : 0,
                            access == ReadOnly ? "size=64k" : "size=4m") == 0;
    }
    ~TmpfsMount() { unmount(); }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return m_mounted; }
    const QString &dir() const { return m_dir; }

    void unmount()
    {
        if (!m_mounted) return;
        const QByteArray path = QFile::encodeName(m_dir);
        if (::umount(path.constData()) != 0) ::umount2(path.constData(), MNT_DETACH);
        m_mounted = false;
    }

private:
    QString m_dir;
    bool m_mounted = false;
};
