#include "platform/StandardFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {
namespace {

QString fromEnv(const char *name, QStandardPaths::StandardLocation fallback)
{
    const QString v = qEnvironmentVariable(name);
    if (!v.isEmpty()) return QDir::cleanPath(v);
    return QDir::cleanPath(QStandardPaths::writableLocation(fallback));
}

} // namespace

QString commonAppDataDir() { return fromEnv("SOLTEA_COMMON_APPDATA", QStandardPaths::GenericDataLocation); }
QString userAppDataDir() { return fromEnv("SOLTEA_APPDATA", QStandardPaths::GenericDataLocation); }
QString documentsDir() { return fromEnv("SOLTEA_DOCUMENTS", QStandardPaths::DocumentsLocation); }
QString desktopDir() { return fromEnv("SOLTEA_DESKTOP", QStandardPaths::DesktopLocation); }
QString configDir() { return fromEnv("SOLTEA_CONFIG_DIR", QStandardPaths::GenericConfigLocation); }

QString runtimeDir()
{
    QString dir = fromEnv("SOLTEA_RUNTIME_DIR", QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || dir == u".") dir = QDir::tempPath();
    return dir;
}

QString systemDir()
{
    const QString v = qEnvironmentVariable("SOLTEA_SYSTEM_DIR");
    return v.isEmpty() ? QStringLiteral("/usr/lib") : QDir::cleanPath(v);
}

QString programDir()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

} // namespace platform
