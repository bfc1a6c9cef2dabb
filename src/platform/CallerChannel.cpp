#include "platform/CallerChannel.h"

#include <QLocalSocket>

namespace platform {

bool CallerChannel::send(const QString &line) const
{
    if (!active()) return false;
    QLocalSocket socket;
    socket.connectToServer(m_handle);
    if (!socket.waitForConnected(1000)) return false;
    const QByteArray bytes = line.toUtf8() + '\n';
    socket.write(bytes);
    const bool ok = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
    return ok;
}

} // namespace platform
