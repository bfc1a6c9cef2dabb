// Prepares a demonstration installation for this user: the accounting
// package's identity in the registry store and a data root with its system
// database and one company data set holding a few fixed assets, and the
// application ini in stand-alone mode. Leaves an existing data root alone and
// prints how to log in.
#include "app/SampleAssets.h"
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
        // The assets of every depreciation method.
        QString script;
        for (const AssetRow &a : SixMethodAssets()) script += AssetInsertSql(a) + QStringLiteral(";\n");
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
