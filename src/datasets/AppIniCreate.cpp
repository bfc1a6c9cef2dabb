#include "datasets/AppIniCreate.h"

#include "dbaccess/Globals.h"
#include "platform/IniFile.h"

int TAppIniSettings::ApplicationKind = 0;

namespace {

QString yesNo(bool b) { return b ? QStringLiteral("YES") : QStringLiteral("NO"); }

} // namespace

QString TAppIniSettings::SectionOf(int mode)
{
    switch (mode) {
    case 1: return QStringLiteral("SERVER");
    case 2: return QStringLiteral("SBC");
    default: return QStringLiteral("LOCAL");
    }
}

bool TAppIniSettings::WriteIniFile(bool reset)
{
    platform::IniFile ini(SystemDef.AppIniFile);
    TSystemDef &r = SystemDef;
    if (reset) {
        if (ConnectMode == 0) r.HostName.clear();
        ini.eraseSection(QStringLiteral("DATABASE"));
        ini.eraseSection(QStringLiteral("MAINFORM"));
        const QString app = QStringLiteral("APPLICATION");
        ini.writeString(app, QStringLiteral("TOP"), QStringLiteral("0"));
        ini.writeString(app, QStringLiteral("LEFT"), QStringLiteral("0"));
        ini.writeString(app, QStringLiteral("WIDTH"), QStringLiteral("1024"));
        ini.writeString(app, QStringLiteral("HEIGHT"), QStringLiteral("738"));
        ini.writeString(app, QStringLiteral("CONNECT"), QStringLiteral("0"));
        const QString local = QStringLiteral("LOCAL");
        ini.writeString(local, QStringLiteral("HOSTNAME"), r.HostName);
        ini.writeString(local, QStringLiteral("GOGLOBAL"), yesNo(r.GoGlobal));
        ini.writeString(local, QStringLiteral("GROUP"), yesNo(r.GroupFlag));
        ini.writeString(local, QStringLiteral("SYSDIR"), r.SysDir);
        ini.writeString(local, QStringLiteral("USER"), r.DbUser);
        ini.writeString(local, QStringLiteral("PASSWORD"), r.DbPassword);
        const QString server = QStringLiteral("SERVER");
        ini.writeString(server, QStringLiteral("HOSTNAME"), QString());
        ini.writeString(server, QStringLiteral("GOGLOBAL"), QStringLiteral("NO"));
        ini.writeString(server, QStringLiteral("GROUP"), QStringLiteral("NO"));
        ini.writeString(server, QStringLiteral("SYSDIR"), QString());
        ini.writeString(server, QStringLiteral("USER"), r.DbUser);
        ini.writeString(server, QStringLiteral("PASSWORD"), r.DbPassword);
        return true;
    }
    const QString section = SectionOf(ConnectMode);
    ini.writeString(section, QStringLiteral("HOSTNAME"), r.HostName);
    ini.writeString(section, QStringLiteral("GOGLOBAL"), yesNo(r.GoGlobal));
    ini.writeString(section, QStringLiteral("GROUP"), yesNo(r.GroupFlag));
    ini.writeString(section, QStringLiteral("SYSDIR"), r.SysDir);
    ini.writeString(section, QStringLiteral("USER"), r.DbUser);
    ini.writeString(section, QStringLiteral("PASSWORD"), r.DbPassword);
    return true;
}

void TAppIniSettings::SaveConnectMode(int mode)
{
    if (mode < 0 || mode > 2 || ApplicationKind != 0) return;
    platform::IniFile(SystemDef.AppIniFile).writeString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), QString::number(mode));
}

int TAppIniSettings::ReadConnectMode()
{
    if (ApplicationKind != 0) return 0;
    return platform::IniFile(SystemDef.AppIniFile).readString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), QStringLiteral("0")).toInt();
}

int TAppIniSettings::ReadServerSettings(int mode)
{
    const platform::IniFile ini(SystemDef.AppIniFile);
    const QString section = SectionOf(mode);
    TSystemDef &r = SystemDef;
    r.HostName = ini.readString(section, QStringLiteral("HOSTNAME"));
    r.GoGlobal = ini.readString(section, QStringLiteral("GOGLOBAL"), QStringLiteral("NO")) == u"YES";
    // The folder keeps its letter case: the file system tells case apart.
    r.SysDir = ini.readString(section, QStringLiteral("SYSDIR"));
    r.DbUser = ini.readString(section, QStringLiteral("USER"), QStringLiteral("DORVEL")).toUpper();
    r.DbPassword = ini.readString(section, QStringLiteral("PASSWORD"), QStringLiteral("zoltup")).toLower();
    r.GroupFlag = false;
    r.SbcFlag = false;
    r.ExtraFlag = false;
    return 1;
}

int TAppIniSettings::LoadSettings(int mode)
{
    if (ApplicationKind == 0 || ApplicationKind == 2) return ReadServerSettings(mode);
    return 0;
}
