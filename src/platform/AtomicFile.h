#pragma once
// Writes a file others read, so that a failure never leaves half a file: the
// bytes go to a partial file of our own naming beside the target, which is
// synced and renamed over the target only when complete. A failed or
// abandoned write removes its partial file; the partial files of a write that
// was killed (the process ended before it could) are found and removed by
// the next write into the same folder.
//
// A target that is a symbolic link is written through: the file it names is
// replaced, the link stays.
//
// Every failure throws platform::WriteError: the path, the reason and the
// error number.
#include <QByteArray>
#include <QString>

namespace platform {

class AtomicFile
{
public:
    explicit AtomicFile(const QString &path);
    ~AtomicFile(); // an uncommitted write is discarded
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the partial file (removing stale ones of the folder first).
    void open();
    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    // Syncs the partial file and renames it over the target.
    void commit();
    // Removes the partial file; the target stays as it was.
    void discard();

    const QString &path() const { return m_path; }
    // The file the bytes end in: the target, or what it names when it is a link.
    const QString &target() const { return m_target; }
    const QString &partialFileName() const { return m_partial; }

    // The file a write to the path replaces: the path with its links followed
    // (also a link that names a file yet to be made).
    static QString resolveTarget(const QString &path);
    // Whether a file name is one of our partial files.
    static bool isPartialFileName(const QString &fileName);
    // Removes the partial files in the folder that no write is working on any
    // more: those of processes of this machine that have ended, and any left
    // untouched for a day. Returns how many were removed.
    static int removeStalePartials(const QString &folder);

private:
    [[noreturn]] void fail(int errnum);

    QString m_path;
    QString m_target;
    QString m_partial;
    int m_fd = -1;
};

} // namespace platform
