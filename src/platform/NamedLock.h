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
    // What a look at a lock finds.
    enum class State {
        Free,     // nobody holds it (taken, when acquiring)
        Held,     // another holder has it
        Unusable, // the lock folder cannot be used: missing and not makeable, not a folder, not writable
    };

    explicit NamedLock(const QString &name);
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;

    // Takes the lock: Free when taken (or already held by this object), Held
    // when another holder has it, Unusable when the lock file cannot be made
    // or opened.
    State acquire();
    // Takes the lock; false when another holder has it or the file cannot be made.
    bool tryAcquire() { return acquire() == State::Free; }
    void release();
    bool isAcquired() const { return m_fd >= 0; }

    // Whether anybody (this process included) holds the named lock now, or
    // Unusable when its folder cannot be looked into.
    static State probe(const QString &name);
    static bool isHeld(const QString &name) { return probe(name) == State::Held; }
    static QString lockPath(const QString &name);
    // The folder of the lock files (the runtime folder).
    static QString folder();

private:
    QString m_name;
    int m_fd = -1;
};

} // namespace platform
