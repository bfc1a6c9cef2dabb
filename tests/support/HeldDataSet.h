#pragma once
// Another program holding a data set open (the test's data-set-holder
// program): started on a folder, it marks the data set in use and keeps its
// database attached until it is killed, with a deadline for each step.
#include "support/SchemaTemplates.h"

#include <QProcess>
#include <QString>

class HeldDataSet
{
public:
    HeldDataSet(const QString &program, const QString &folder, int opCode, const QString &opName)
    {
        m_process.setProgram(program);
        m_process.setArguments({folder, testenv::kDbUser, testenv::kDbPassword, QString::number(opCode), opName});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000)) return;
        while (!m_held && m_process.state() == QProcess::Running && m_process.waitForReadyRead(20000))
            m_held = m_process.readAllStandardOutput().contains("HELD");
    }
    ~HeldDataSet() { kill(); }
    HeldDataSet(const HeldDataSet &) = delete;
    HeldDataSet &operator=(const HeldDataSet &) = delete;

    // The data set is open in the other program.
    bool held() const { return m_held; }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    // Ends the program as a crash does (SIGKILL): nothing of it cleans up.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
    bool m_held = false;
};
