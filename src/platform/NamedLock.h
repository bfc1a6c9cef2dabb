#pragma once
// Process-wide named locks (the single-instance marks of the program family):
// a lock file "<name>.lock" in the runtime folder, held with an exclusive,
// non-blocking flock for as long as the owner lives. The system frees it when
// the owner ends, even after a crash.
#include <QString>

namespace platform {

class NamedLock
{
public:
    explicit NamedLock(const QString &name);
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;

    // Takes the lock; false when another holder has it (or the file cannot be made).
    bool tryAcquire();
    void release();
    bool isAcquired() const { return m_fd >= 0; }

    // Whether anybody (this process included) holds the named lock now.
    static bool isHeld(const QString &name);
    static QString lockPath(const QString &name);

private:
    QString m_name;
    int m_fd = -1;
};

} // namespace platform
