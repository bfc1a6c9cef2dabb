#include "dbaccess/AppInfo.h"

#include "platform/Error.h"
#include "platform/IniFile.h"

#include <QFileInfo>

TAppInfoRec AppInfo;

void SetAppInfoDefaults(TAppInfoRec &r)
{
    r.Application.OEM = QStringLiteral("-");
    r.Application.Since = QStringLiteral("2009-2016");
    r.Application.RegKey = QStringLiteral("\\SOFTWARE\\QUENTA");
    r.Application.Zeq = QStringLiteral("ＺｅＱキーステーション");
    r.Application.ZeqAlias = QStringLiteral("ＺｅＱ");
    r.Application.VerMajorDiff = 0;
    r.Application.VerMinorDiff = 0;
    r.Application.VerRevDiff = 0;
    r.Application.VerTest.clear();
    r.Application.DuviridoBlind = 0;
    r.Company.Name = QStringLiteral("株式会社クエンタ");
    r.Company.ZipCode = QStringLiteral("000-0000");
    r.Company.Addr = QStringLiteral("東京都千代田区");
    r.Company.TEL = QStringLiteral("03-0000-0000");
    r.Company.FAX = QStringLiteral("03-0000-0001");
    r.Company.Mail = QStringLiteral("support@quenta.example.jp");
    r.Company.URL = QStringLiteral("https://www.quenta.example.jp/");
    r.Rirev.AppName = QStringLiteral("vqzaimu");
    r.Rirev.AppTitle = QStringLiteral("ドルベル財務");
    r.Rirev.AppTitle_CL = QStringLiteral("顧問先版");
    r.Rirev.RegKey = QStringLiteral("DORVELZAIMU");
    r.Rirev.HomeDir = QStringLiteral("quenta\\dorvelzaimu");
    r.Rirev.ShareDir = QStringLiteral("dorvelzaimu");
    r.Rirev.ServerDir = QStringLiteral("\\dorvelzaimu\\data");
    r.Rirev.ServerTempDir = QStringLiteral("\\dorvelzaimu\\temp");
    r.Rirev.DataDefFile = QStringLiteral("vqaccdef.fdb");
    r.Rirev.DataFile = QStringLiteral("vqacc.fdb");
    r.Rirev.DataBackupFile = QStringLiteral("vqacc.fbk");
    r.Rirev.DataInitFile = QStringLiteral("acc%d.gbk");
    r.Rirev.DataIniFile = QStringLiteral("vqacc.ini");
    r.Rirev.DataListCnt = 120;
    r.EChobo.AppTitle = QStringLiteral("電子帳簿");
    r.EChobo.DataDir = QStringLiteral("vqzview");
    r.EChobo.WriteDirFmt = QStringLiteral("vqz%.2dcd");
    r.Velda.AppTitle = QStringLiteral("経営ベルダ");
    r.Velda.RegKey = QStringLiteral("VELDA");
    r.Velda.HomeDir = QStringLiteral("quenta\\dorvelzaimu");
    r.Duvirido.AppTitle = QStringLiteral("ドルベル現金出納帳");
    r.Duvirido.RegKey = QStringLiteral("DUVIRIDO");
    r.Duvirido.DataDir = QStringLiteral("cb_data");
    r.Duvirido.DataBackupFile = QStringLiteral("vqcashbook.fbk");
    r.Menu.DataCon = QStringLiteral("データ通信");
    r.Menu.DataCon01 = QStringLiteral("データ送信");
    r.Menu.DataCon02 = QStringLiteral("データ受信");
    r.Menu.DataCon03 = QStringLiteral("通信設定");
    r.Menu.DataConZeq01 = QStringLiteral("ＺｅＱ保存");
    r.Menu.DataConZeq02 = QStringLiteral("ＺｅＱ復元");
    r.Application.WebVeldaServer = QStringLiteral("velda.quenta.example.jp");
}

namespace {

int readInt(const platform::IniFile &ini, const char *section, const char *key, int def)
{
    bool ok = false;
    const int n = ini.readString(QLatin1String(section), QLatin1String(key)).trimmed().toInt(&ok);
    return ok ? n : def;
}

} // namespace

int LoadAppInfo(const QString &programPath, TAppInfoRec &r)
{
    const QString path = QFileInfo(programPath).absolutePath() + QStringLiteral("/AppInfo.ini");
    if (!QFileInfo(path).isFile()) return 0;
    try {
        const platform::IniFile ini(path);
        auto s = [&ini](const char *section, const char *key) {
            return ini.readString(QLatin1String(section), QLatin1String(key));
        };
        r.Application.OEM = s("Application", "OEM");
        if (r.Application.OEM.isEmpty()) {
            SetAppInfoDefaults(r);
            return -1;
        }
        r.Application.Since = s("Application", "Since");
        r.Application.RegKey = s("Application", "RegKey");
        r.Application.Zeq = s("Application", "Zeq");
        r.Application.ZeqAlias = s("Application", "ZeqAlias");
        r.Application.VerMajorDiff = readInt(ini, "Application", "VerMajorDiff", 0);
        r.Application.VerMinorDiff = readInt(ini, "Application", "VerMinorDiff", 0);
        r.Application.VerRevDiff = readInt(ini, "Application", "VerRevDiff", 0);
        r.Application.VerTest = s("Application", "VerTest");
        r.Application.DuviridoBlind = readInt(ini, "Application", "DuviridoBlind", 0);
        r.Application.WebVeldaServer = s("Application", "WebVeldaServer");
        r.Company.Name = s("Company", "Name");
        r.Company.ZipCode = s("Company", "ZipCode");
        r.Company.Addr = s("Company", "Addr");
        r.Company.TEL = s("Company", "TEL");
        r.Company.FAX = s("Company", "FAX");
        r.Company.Mail = s("Company", "Mail");
        r.Company.URL = s("Company", "URL");
        r.Rirev.AppName = s("Rirev", "AppName");
        r.Rirev.AppTitle = s("Rirev", "AppTitle");
        r.Rirev.AppTitle_CL = s("Rirev", "AppTitle_CL");
        r.Rirev.RegKey = s("Rirev", "RegKey");
        r.Rirev.HomeDir = s("Rirev", "HomeDir");
        r.Rirev.ShareDir = s("Rirev", "ShareDir");
        r.Rirev.ServerDir = s("Rirev", "ServerDir");
        r.Rirev.ServerTempDir = s("Rirev", "ServerTempDir");
        r.Rirev.DataDefFile = s("Rirev", "DataDefFile");
        r.Rirev.DataFile = s("Rirev", "DataFile");
        r.Rirev.DataBackupFile = s("Rirev", "DataBackupFile");
        r.Rirev.DataInitFile = s("Rirev", "DataInitFile");
        r.Rirev.DataIniFile = s("Rirev", "DataIniFile");
        r.Rirev.DataListCnt = readInt(ini, "Rirev", "DataListCnt", 120);
        r.EChobo.AppTitle = s("EChobo", "AppTitle");
        r.EChobo.DataDir = s("EChobo", "DataDir");
        r.EChobo.WriteDirFmt = s("EChobo", "WriteDirFmt");
        r.Velda.AppTitle = s("Velda", "AppTitle");
        r.Velda.RegKey = s("Velda", "RegKey");
        r.Velda.HomeDir = s("Velda", "HomeDir");
        r.Duvirido.AppTitle = s("Duvirido", "AppTitle");
        r.Duvirido.RegKey = s("Duvirido", "RegKey");
        r.Duvirido.DataDir = s("Duvirido", "DataDir");
        r.Duvirido.DataBackupFile = s("Duvirido", "DataBackupFile");
        r.Menu.DataCon = s("Menu", "DataCon");
        r.Menu.DataCon01 = s("Menu", "DataCon01");
        r.Menu.DataCon02 = s("Menu", "DataCon02");
        r.Menu.DataCon03 = s("Menu", "DataCon03");
        r.Menu.DataConZeq01 = s("Menu", "DataConZeq01");
        r.Menu.DataConZeq02 = s("Menu", "DataConZeq02");
        return 1;
    } catch (const std::exception &) {
        return -10;
    }
}
