#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace testenv {

namespace {
QTemporaryDir *g_sandbox = nullptr;
} // namespace

QString sandbox()
{
    return g_sandbox->path();
}

QString freshDir(const QString &name)
{
    const QString path = sandbox() + u'/' + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

// Called once from main before any test.
void setUpSandbox()
{
    g_sandbox = new QTemporaryDir();
    const QString root = g_sandbox->path();
    const char *vars[][2] = {{"SOLTEA_COMMON_APPDATA", "common"}, {"SOLTEA_APPDATA", "appdata"},
                             {"SOLTEA_DOCUMENTS", "documents"},   {"SOLTEA_DESKTOP", "desktop"},
                             {"SOLTEA_CONFIG_DIR", "config"},     {"SOLTEA_RUNTIME_DIR", "runtime"},
                             {"SOLTEA_SYSTEM_DIR", "system"},     {"TEMP", "temp"},
                             {"HOME", "home"},                    {"XDG_CONFIG_HOME", "home/.config"},
                             {"XDG_DATA_HOME", "home/.local/share"}, {"XDG_RUNTIME_DIR", "xdg-runtime"}};
    for (const auto &v : vars) {
        const QString path = root + u'/' + QLatin1String(v[1]);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(v[0], QFile::encodeName(path));
    }
    // The system's printers stay out of the tests (asking for them may reach the
    // network); the print engine then offers its built-in PDF printer.
    qputenv("SOLTEA_SYSTEM_PRINTERS", "none");
}

void tearDownSandbox()
{
    delete g_sandbox;
    g_sandbox = nullptr;
}

} // namespace testenv

ScriptedMessages::ScriptedMessages() : m_previous(&MessageService::instance())
{
    MessageService::install(this);
}

ScriptedMessages::~ScriptedMessages()
{
    MessageService::install(m_previous);
}

int ScriptedMessages::show(const MessageRequest &request)
{
    shown << request;
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unexpected message box: " << request.text.toStdString();
        return mrCancel;
    }
    return m_answers.takeFirst();
}

ScriptedChooser::ScriptedChooser()
{
    FileChooser::install(this);
}

ScriptedChooser::~ScriptedChooser()
{
    FileChooser::install(nullptr);
}

QString ScriptedChooser::next()
{
    ++asked;
    if (answers.isEmpty()) {
        ADD_FAILURE() << "unexpected chooser";
        return QString();
    }
    return answers.takeFirst();
}
