// Prepares a demonstration installation for this user: the accounting
// package's identity in the registry store and a data root with its system
// database and one company data set holding a few fixed assets, listed in the
// data-set list as the accounting package lists its data sets, and the
// application ini in stand-alone mode. An existing data root is kept; only its
// first data set is listed again when its row was left empty. Prints how to
// log in.
#include "app/SampleAssets.h"
#include "datasets/AppIniCreate.h"
#include "datasets/DataSentakuList.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"
#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

// No window here: boxes are printed.
class PrintedMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override
    {
        QString text = request.text;
        text.replace(u'\r', u'\n');
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return mrOk;
    }
};

const QString kUser = QStringLiteral("DORVEL");
const QString kPassword = QStringLiteral("zoltup");

void addSampleAssets(const QString &companyDir)
{
    FbDatabase db;
    db.DatabaseName = companyDir + u'/' + AppInfo.Rirev.DataFile;
    db.Params = {QStringLiteral("user_name=") + kUser, QStringLiteral("password=") + kPassword,
                 QStringLiteral("lc_ctype=SJIS_0208")};
    db.open();
    // The assets of every depreciation method.
    QString script;
    for (const AssetRow &a : SixMethodAssets()) script += AssetInsertSql(a) + QStringLiteral(";\n");
    ExecuteSqlScript(db, script);
    db.close();
}

// Lists the first data set of the root as the accounting package leaves it.
bool listFirstDataSet(const QString &root)
{
    SystemDef.SysDir = root + QStringLiteral("/data");
    SystemDef.DbUser = kUser;
    SystemDef.DbPassword = kPassword;
    SystemDef.GroupNo = 10000;
    SystemDef.LogDir = root + QStringLiteral("/log");
    SystemDef.WinTempDir = root + QStringLiteral("/temp");
    SystemDef.PcName = platform::computerName();
    QDir().mkpath(SystemDef.LogDir);
    QDir().mkpath(SystemDef.WinTempDir);
    ConnectMode = 0;
    TDM dm;
    DM = &dm;
    bool ok = dm.fnAccDefConnected(QString(), true);
    if (ok) {
        const QString first = SystemDef.SysDir + QStringLiteral("/0001");
        ok = registerDataSetRow(first);
        dm.IBDatabaseDEF.close();
    }
    DM = nullptr;
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PrintedMessages printed;
    MessageService::install(&printed);
    if (LoadAppInfo(QCoreApplication::applicationFilePath(), AppInfo) != 1) SetAppInfoDefaults(AppInfo);
    SetFrameworkGlobals(AppInfo);
    using platform::RegRoot;
    const QString key = AppInfo.Application.RegKey + QStringLiteral("\\") + AppInfo.Rirev.RegKey + QStringLiteral("11");
    if (platform::RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Version")).isEmpty()) {
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Product"), AppInfo.Rirev.AppTitle);
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Version"), QStringLiteral("11.0.0"));
    }
    // The edition label that data sets of this version are listed with.
    if (platform::RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Type")).isEmpty())
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Type"), QStringLiteral("Ver.11"));
    const QString root = ExcludePathDelim(platform::commonAppDataDir()) + u'/' + NativePath(AppInfo.Rirev.HomeDir);
    const bool exists = QFileInfo::exists(root + QStringLiteral("/data/") + AppInfo.Rirev.DataDefFile);
    try {
        if (!exists) {
            const DataRootInfo info = CreateDataRoot(root, kUser, kPassword);
            addSampleAssets(info.companyDir);
            // The application ini: stand-alone mode on this data root.
            SystemDef.AppIniFile = info.root + u'/' + AppInfo.Rirev.AppName + QStringLiteral(".ini");
            SystemDef.SysDir = info.sysDir;
            SystemDef.DbUser = kUser;
            SystemDef.DbPassword = kPassword;
            ConnectMode = 0;
            TAppIniSettings::WriteIniFile(true);
        }
        if (!listFirstDataSet(root)) {
            std::fprintf(stderr, "the demonstration data set could not be listed in %s\n", qPrintable(root));
            return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("demo data root: %s\nlogin: operator code 10, empty password (stand-alone)\n", qPrintable(root));
    return 0;
}
