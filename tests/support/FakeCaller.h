#pragma once
// Plays a calling program in tests: a local server on its own thread that
// records every line it receives.
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <mutex>

class FakeCaller
{
public:
    explicit FakeCaller(const QString &name)
    {
        QLocalServer::removeServer(name);
        m_thread = QThread::create([this, name] {
            QLocalServer server;
            if (!server.listen(name)) return;
            m_ready = true;
            while (!m_stop) {
                if (!server.waitForNewConnection(50)) continue;
                QLocalSocket *s = server.nextPendingConnection();
                QByteArray data;
                while (s->state() == QLocalSocket::ConnectedState || s->bytesAvailable() > 0) {
                    if (!s->waitForReadyRead(200) && s->bytesAvailable() == 0) break;
                    data += s->readAll();
                }
                std::lock_guard lock(m_mutex);
                for (const QByteArray &l : data.split('\n'))
                    if (!l.isEmpty()) m_lines << QString::fromUtf8(l);
                delete s;
            }
        });
        m_thread->start();
        while (!m_ready && m_thread->isRunning()) QThread::msleep(5);
    }
    ~FakeCaller()
    {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
    // The lines so far, waiting up to a second for the expected count.
    QStringList lines(int expected)
    {
        for (int i = 0; i < 100; ++i) {
            {
                std::lock_guard lock(m_mutex);
                if (m_lines.size() >= expected) return m_lines;
            }
            QThread::msleep(10);
        }
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    QThread *m_thread = nullptr;
    std::atomic<bool> m_ready{false}, m_stop{false};
    std::mutex m_mutex;
    QStringList m_lines;
};

