// Prepares a demonstration installation for this user: the accounting
// package's identity in the registry store and a data root with its system
// database and one company data set holding a few fixed assets, listed in the
// data-set list as the accounting package lists its data sets, and the
// application ini in stand-alone mode. An existing data root is kept; only its
// first data set is listed again when its row was left empty. A root whose
// making was cut short (the process killed, the power gone) is made again.
// Prints how to log in.
#include "app/SampleAssets.h"
#include "datasets/AppIniCreate.h"
#include "datasets/DataSentakuList.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "platform/Error.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"
#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

#include <unistd.h>

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

// A root being made carries this file from before its first part until its
// last part is written; a run that finds it knows the making was cut short.
// The list rows hold the root's own folders, so the root is made where it
// stays rather than elsewhere and moved. A root without the file is complete,
// whoever made it (the accounting package itself, an earlier set-up), and is
// never removed.
const QString kUnfinishedMark = QStringLiteral(".demo-setup-unfinished");

// Ends the process as a kill would once the named step is done, when
// SOLTEA_DEMO_SETUP_STOP_AFTER names it ("databases", "assets"): how the
// resumption of a set-up cut short is tried out.
void stopAfter(const char *step)
{
    if (qEnvironmentVariable("SOLTEA_DEMO_SETUP_STOP_AFTER") == QLatin1String(step)) ::raise(SIGKILL);
}

// Writes the mark and puts it on the disk before anything else is made.
void writeUnfinishedMark(const QString &root)
{
    if (!QDir().mkpath(root)) throw platform::Error(QStringLiteral("\"%1\"の作成に失敗しました。").arg(root));
    QFile mark(root + u'/' + kUnfinishedMark);
    if (!mark.open(QIODevice::WriteOnly | QIODevice::Truncate) || mark.write("demo set-up in progress\n") < 0 || !mark.flush() ||
        ::fsync(mark.handle()) != 0)
        throw platform::Error(QStringLiteral("\"%1\"に書き込めませんでした。").arg(mark.fileName()));
}

// Takes away what a set-up cut short made: the data folder and the application ini.
void removeUnfinished(const QString &root, const QString &appIni)
{
    const QString data = root + QStringLiteral("/data");
    if (!QDir(data).removeRecursively() || (QFileInfo::exists(appIni) && !QFile::remove(appIni)))
        throw platform::Error(QStringLiteral("作成途中のデータフォルダ\"%1\"を削除できませんでした。").arg(root));
}

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
    // Pristine databases copied from a folder of templates rather than made
    // from the scripts each time (how the tests run the set-up quickly).
    if (const QString templates = qEnvironmentVariable("SOLTEA_SCHEMA_TEMPLATES"); !templates.isEmpty())
        SetSchemaTemplateFolder(templates);
    using platform::RegRoot;
    const QString key = AppInfo.Application.RegKey + QStringLiteral("\\") + AppInfo.Rirev.RegKey + QStringLiteral("11");
    if (platform::RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Version")).isEmpty()) {
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Product"), AppInfo.Rirev.AppTitle);
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Version"), QStringLiteral("11.0.0"));
    }
    // The edition label that data sets of this version are listed with.
    if (platform::RegistryStore::readString(RegRoot::LocalMachine, key, QStringLiteral("Type")).isEmpty())
        platform::RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("Type"), QStringLiteral("Ver.11"));
    const QString root = QDir::cleanPath(ExcludePathDelim(platform::commonAppDataDir()) + u'/' + NativePath(AppInfo.Rirev.HomeDir));
    const QString appIni = root + u'/' + AppInfo.Rirev.AppName + QStringLiteral(".ini");
    const QString mark = root + u'/' + kUnfinishedMark;
    try {
        bool exists = QFileInfo::exists(root + QStringLiteral("/data/") + AppInfo.Rirev.DataDefFile);
        if (QFileInfo::exists(mark)) {
            std::fprintf(stderr, "the demonstration data root was left unfinished; it is made again: %s\n", qPrintable(root));
            removeUnfinished(root, appIni);
            exists = false;
        }
        if (!exists) {
            writeUnfinishedMark(root);
            const DataRootInfo info = CreateDataRoot(root, kUser, kPassword);
            stopAfter("databases");
            addSampleAssets(info.companyDir);
            stopAfter("assets");
            // The application ini: stand-alone mode on this data root.
            SystemDef.AppIniFile = appIni;
            SystemDef.SysDir = info.sysDir;
            SystemDef.DbUser = kUser;
            SystemDef.DbPassword = kPassword;
            ConnectMode = 0;
            if (!TAppIniSettings::WriteIniFile(true))
                throw platform::Error(QStringLiteral("\"%1\"に書き込めませんでした。").arg(appIni));
            if (!QFile::remove(mark)) throw platform::Error(QStringLiteral("\"%1\"を削除できませんでした。").arg(mark));
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
