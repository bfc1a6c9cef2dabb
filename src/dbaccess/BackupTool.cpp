#include "dbaccess/BackupTool.h"

#include "dbaccess/Globals.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/WriteFailure.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <thread>

namespace backuptool {

namespace {
QString g_gbakPath;
std::function<void(qint64)> g_started;
} // namespace

void setGbakPath(const QString &path)
{
    g_gbakPath = path;
}

QString gbakPath()
{
    if (!g_gbakPath.isEmpty()) return g_gbakPath;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/gbak");
    if (QFileInfo(beside).isExecutable()) return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("gbak"));
    if (!onPath.isEmpty()) return onPath;
    QStringList installed;
    const QString fbRoot = qEnvironmentVariable("FIREBIRD");
    if (!fbRoot.isEmpty()) installed << fbRoot + QStringLiteral("/bin/gbak");
    installed << QStringLiteral("/usr/lib/firebird/3.0/bin/gbak") << QStringLiteral("/opt/firebird/bin/gbak");
    for (const QString &path : installed)
        if (QFileInfo(path).isExecutable()) return path;
    return QString();
}

void setToolStartedHook(std::function<void(qint64 pid)> hook)
{
    g_started = std::move(hook);
}

void runGbak(const QStringList &arguments, const QString &logPath, const QString &notStarted, const QString &failed)
{
    const QString program = gbakPath();
    if (program.isEmpty()) throw platform::Error(notStarted);
    QProcess tool;
    tool.setProgram(program);
    tool.setArguments(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ISC_USER"), SystemDef.DbUser);
    env.insert(QStringLiteral("ISC_PASSWORD"), SystemDef.DbPassword);
    tool.setProcessEnvironment(env);
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start();
    if (!tool.waitForStarted()) throw platform::Error(notStarted);
    if (g_started) g_started(tool.processId());
    QByteArray output;
    // No time limit; the window keeps answering meanwhile.
    // waitForFinished also answers false once the tool is no longer running
    // (its end already seen): the state ends the loop.
    while (tool.state() != QProcess::NotRunning && !tool.waitForFinished(50)) {
        output += tool.readAll();
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    output += tool.readAll();

    QString log;
    QFile f(logPath);
    if (f.open(QIODevice::ReadOnly)) log = QString::fromUtf8(f.readAll());
    const bool ended = tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (log.contains(QStringLiteral("ERROR")) || !ended) {
        QString text = failed + log;
        const QString own = QString::fromUtf8(output).trimmed();
        if (!own.isEmpty()) text += QStringLiteral("\r") + own;
        if (tool.exitStatus() != QProcess::NormalExit)
            text += QStringLiteral("\r(gbak が途中で終了しました。)");
        throw platform::Error(text);
    }
}

void runEngineCall(const std::function<void()> &call)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        call();
        return;
    }
    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (error) std::rethrow_exception(error);
}

void moveOver(const QString &source, const QString &target)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) == 0) return;
    const int err = errno;
    if (err != EXDEV) throw platform::WriteError(target, err);
    // Another file system: a whole copy beside the target first.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) throw platform::Error(QStringLiteral("%1 を開けません。(%2)").arg(source, in.errorString()));
    platform::AtomicFile out(target);
    out.open();
    QByteArray block;
    for (;;) {
        block = in.read(1 << 20);
        if (block.isEmpty()) break;
        out.write(block);
    }
    if (in.error() != QFile::NoError) throw platform::Error(QStringLiteral("%1 を読めません。(%2)").arg(source, in.errorString()));
    out.commit();
    in.close();
    QFile::remove(source);
}

QString workName(const QString &path, const QString &extension)
{
    const QFileInfo fi(path);
    return fi.path() + u'/' + fi.completeBaseName() + extension;
}

} // namespace backuptool
