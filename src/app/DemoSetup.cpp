// Prepares a demonstration installation for this user: the accounting
// package's identity in the registry store and a data root with its system
// database and one company data set holding a few fixed assets, and the
// application ini in stand-alone mode. Leaves an existing data root alone and
// prints how to log in.
#include "dbaccess/AppInfo.h"
#include "datasets/AppIniCreate.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/FileUtils.h"
#include "dbaccess/Globals.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (LoadAppInfo(QCoreApplication::applicationFilePath(), AppInfo) != 1) SetAppInfoDefaults(AppInfo);
    using platform::RegRoot;
    const QString key = AppInfo.Application.RegKey + QStringLiteral("\\") + AppInfo.Rirev.RegKey + QStringLiteral("11");
    if (platform::RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Version")).isEmpty()) {
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Product"), AppInfo.Rirev.AppTitle);
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Version"), QStringLiteral("11.0.0"));
    }
    const QString root = ExcludePathDelim(platform::commonAppDataDir()) + u'/' + NativePath(AppInfo.Rirev.HomeDir);
    // The system schema's administrator.
    auto printLogin = [&root] {
        std::printf("demo data root: %s\nlogin: operator code 10, empty password (stand-alone)\n", qPrintable(root));
    };
    if (QFileInfo::exists(root + QStringLiteral("/data/") + AppInfo.Rirev.DataDefFile)) {
        printLogin();
        return 0;
    }
    try {
        const DataRootInfo info = CreateDataRoot(root, QStringLiteral("DORVEL"), QStringLiteral("zoltup"));
        FbDatabase db;
        db.DatabaseName = info.companyDir + u'/' + AppInfo.Rirev.DataFile;
        db.Params = {QStringLiteral("user_name=DORVEL"), QStringLiteral("password=zoltup"), QStringLiteral("lc_ctype=SJIS_0208")};
        db.open();
        // One asset of every depreciation method.
        QString script;
        const char16_t *const rows[] = {
            u"(1, ' ', '0001', '1401', '本社ビル', 1, '2020-04-01', 50, 10000000, 10000000, 0.020, 200000, 0, 200000, 8800000, 1, 12)",
            u"(2, ' ', '0002', '1407', 'サーバー', 2, '2021-05-10', 10, 1000000, 200000, 0.200, 40000, 0, 40000, 160000, 1, 12)",
            u"(3, ' ', '0003', '1505', '会計ソフト', 3, '2022-04-01', 3, 0, 300000, 0, 0, 0, 100000, 0, 1, 12)",
            u"(4, ' ', '0004', '1411', 'パソコン一式', 4, '2024-05-01', 3, 0, 300000, 0, 0, 0, 100000, 0, 2, 12)",
            u"(5, ' ', '0005', '1407', 'ノートパソコン', 5, '2024-06-01', 4, 180000, 0, 0, 0, 0, 180000, 0, 3, 12)",
            u"(6, ' ', '0006', '1410', 'コピー機リース', 6, '2023-10-01', 5, 500000, 0, 0, 100000, 0, 100000, 0, 1, 12)",
        };
        for (const char16_t *row : rows) {
            // The payment and income accounts are not set.
            QString values = QString::fromUtf16(row);
            values.chop(1);
            script += QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, GSHOUHOU, SYUTODATE, TAIYOUYY, SYUTOKIN, "
                                     "KISOKIN, SYOURITU, FUTUSYOUKIN, WARISYOUKIN, SYOUKINKEI, MATUMISYOUKIN, SYOUKIKANSTR, SYOUKIKANEND, "
                                     "SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) VALUES ") +
                      values + QStringLiteral(", NULL, NULL, NULL, NULL);\n");
        }
        ExecuteSqlScript(db, script);
        db.close();
        // The application ini: stand-alone mode on this data root.
        SystemDef.AppIniFile = info.root + u'/' + AppInfo.Rirev.AppName + QStringLiteral(".ini");
        SystemDef.SysDir = info.sysDir;
        SystemDef.DbUser = QStringLiteral("DORVEL");
        SystemDef.DbPassword = QStringLiteral("zoltup");
        ConnectMode = 0;
        TAppIniSettings::WriteIniFile(true);
        printLogin();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
