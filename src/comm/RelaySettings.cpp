#include "comm/RelaySettings.h"

#include "dbaccess/Globals.h"
#include "platform/IniFile.h"

#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("RELAY");

int boundedInt(const platform::IniFile &ini, const QString &key, int def, int min, int max)
{
    const int v = ini.readInteger(kSection, key, def);
    return v < min || v > max ? def : v;
}

} // namespace

TRelaySettings TRelaySettings::fromIniFile(const QString &path)
{
    TRelaySettings s;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return s;
    const platform::IniFile ini(path);
    const QString host = ini.readString(kSection, QStringLiteral("HOST")).trimmed();
    if (!host.isEmpty()) s.Host = host;
    s.Port = quint16(boundedInt(ini, QStringLiteral("PORT"), s.Port, 1, 65535));
    s.FtpPort = quint16(boundedInt(ini, QStringLiteral("FTPPORT"), s.FtpPort, 1, 65535));
    s.CaFile = ini.readString(kSection, QStringLiteral("CAFILE")).trimmed();
    s.ConnectTimeoutMs = boundedInt(ini, QStringLiteral("CONNECTTIMEOUT"), s.ConnectTimeoutMs, 100, 600000);
    s.ReadTimeoutMs = boundedInt(ini, QStringLiteral("READTIMEOUT"), s.ReadTimeoutMs, 100, 3600000);
    s.SerialText = ini.readString(kSection, QStringLiteral("SERIAL")).trimmed();
    s.StepPauseMs = boundedInt(ini, QStringLiteral("STEPPAUSE"), s.StepPauseMs, 0, 10000);
    return s;
}

TRelaySettings TRelaySettings::fromApplicationIni()
{
    return fromIniFile(SystemDef.AppIniFile);
}
