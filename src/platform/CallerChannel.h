#pragma once
// The line to a calling program. The caller names a local socket as its
// "window handle" on the command line; the program sends it plain text lines:
// "DISABLE", "ENABLE", "FOREGROUND" and "POST <message> <number> <result>".
// A caller that does not listen is not an error: the lines are dropped.
#include <QString>

namespace platform {

class CallerChannel
{
public:
    explicit CallerChannel(const QString &handle) : m_handle(handle) {}
    bool active() const { return !m_handle.isEmpty() && m_handle != u"0"; }

    // Sends one line; true when the caller took it.
    bool send(const QString &line) const;
    bool disable() const { return send(QStringLiteral("DISABLE")); }
    bool enable() const { return send(QStringLiteral("ENABLE")); }
    bool foreground() const { return send(QStringLiteral("FOREGROUND")); }
    bool post(int message, int number, int result) const
    {
        return send(QStringLiteral("POST %1 %2 %3").arg(message).arg(number).arg(result));
    }

private:
    QString m_handle;
};

} // namespace platform
