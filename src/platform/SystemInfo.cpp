#include "platform/SystemInfo.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace platform {

QString computerName()
{
    const QString v = qEnvironmentVariable("SOLTEA_COMPUTERNAME");
    if (!v.isEmpty()) return v;
    return QSysInfo::machineHostName();
}

QString logonUserName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

int osMajorVersion()
{
    bool ok = false;
    const int forced = qEnvironmentVariableIntValue("SOLTEA_OS_MAJOR", &ok);
    if (ok) return forced;
    const QString v = QSysInfo::kernelVersion();
    return v.section(u'.', 0, 0).toInt();
}

} // namespace platform
