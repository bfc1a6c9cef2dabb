#pragma once
#include <QString>
#include <stdexcept>

namespace platform {

// The program's one exception type: a message meant for the user, in Japanese
// where it reaches a screen.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace platform
