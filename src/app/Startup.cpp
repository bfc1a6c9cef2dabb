#include "app/Startup.h"

#include "datasets/AppIniCreate.h"
#include "datasets/DataSentakuList.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataModule.h"
#include "framework/WindowUtils.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "platform/Error.h"
#include "platform/StandardFolders.h"
#include "platform/SystemInfo.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QStyle>

const InstanceMark InstanceMarks[3] = {
    {"CORVENA000", u"Novaris財務が起動しています。同時に起動することは出来ません。"},
    {"CORVENA_TOOLS", u"Novaris財務ツールが起動しています。同時に起動することは出来ません。"},
    {"SOLTEA_RENDO", u"アプリケーションは既に起動しています。"},
};

namespace {

// A lock folder that cannot be used tells nothing about other copies: the
// program stops with the folder named rather than claim one is running.
void showLockFolderUnusable()
{
    MessageDlg(QStringLiteral("ロックファイルのフォルダ(%1)を使用できません。\rアプリケーションを強制終了します。")
                   .arg(platform::NamedLock::folder()),
               TMsgDlgType::mtError, mbOK);
}

} // namespace

bool CheckSingleInstance(platform::NamedLock &own)
{
    using State = platform::NamedLock::State;
    for (const InstanceMark &m : InstanceMarks) {
        const State state = platform::NamedLock::probe(QLatin1String(m.name));
        if (state == State::Unusable) {
            showLockFolderUnusable();
            return false;
        }
        if (state == State::Held) {
            MessageDlg(QString::fromUtf16(m.message), TMsgDlgType::mtInformation, mbOK);
            return false;
        }
    }
    switch (own.acquire()) {
    case State::Free:
        return true;
    case State::Held:
        // Taken between the test and now: another copy is starting.
        MessageDlg(QString::fromUtf16(InstanceMarks[2].message), TMsgDlgType::mtInformation, mbOK);
        return false;
    case State::Unusable:
        break;
    }
    showLockFolderUnusable();
    return false;
}

bool ParseCommandLine(const QStringList &arguments, CallerInfo &caller)
{
    caller = CallerInfo();
    if (arguments.isEmpty()) return true;
    if (arguments.size() > 1) return false;
    const QStringList f = arguments[0].split(u',');
    caller.handle = f.value(0).trimmed();
    caller.message = f.value(1).trimmed().toInt();
    caller.number = f.value(2).trimmed().toInt();
    caller.file = f.value(3).trimmed();
    return true;
}

bool CompareVersion(const QString &installed, const QString &required)
{
    auto number = [](const QString &text) {
        const QStringList parts = text.split(u'.');
        int n[3] = {0, 0, 0};
        if (parts.size() >= 1 && parts.size() <= 3)
            for (qsizetype i = 0; i < parts.size(); ++i) n[i] = parts[i].trimmed().toInt();
        return QStringLiteral("%1%2%3")
            .arg(n[0], 2, 10, QLatin1Char('0'))
            .arg(n[1], 2, 10, QLatin1Char('0'))
            .arg(n[2], 2, 10, QLatin1Char('0'))
            .toLongLong();
    };
    const qint64 have = number(installed);
    return have > 0 && have >= number(required);
}

void InitEnvironment()
{
    TSystemDef &r = SystemDef;
    r.AppDispName.clear();
    r.WinMajorVersion = GetWinMajorVersion();
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        r.MenuHeight = app->style()->pixelMetric(QStyle::PM_MenuBarItemSpacing) + QFontMetrics(app->font()).height();
        r.CaptionHeight = app->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    }
    r.FrameHeight = SystemFrameThickness();
    r.FrameAllowance = r.FrameHeight <= 4 ? 0 : 2 * (r.FrameHeight - 4);
    r.WinUserName = GetLogonUserName();
    r.PcName = GetPcName();
    r.ProgramDir = ExcludePathDelim(platform::programDir());
    r.BaseDir = ExcludePathDelim(QFileInfo(r.ProgramDir).absolutePath());
    r.PrintDir = r.BaseDir + QStringLiteral("/print");
    r.HelpDir = r.BaseDir + QStringLiteral("/help");
    r.SqlDir = r.BaseDir + QStringLiteral("/sql");
    const QString common = ExcludePathDelim(platform::commonAppDataDir());
    if (common.isEmpty())
        throw platform::Error(QStringLiteral("アプリケーションの初期化に失敗しました。\r%1を終了します。\rデータフォルダの取得に失敗しました。")
                                  .arg(r.AppDispName));
    r.DataRootDir = common + u'/' + NativePath(AppInfo.Rirev.HomeDir);
    r.IniDir = r.DataRootDir + QStringLiteral("/ini");
    r.LogDir = r.DataRootDir + QStringLiteral("/log");
    r.TempDir = r.DataRootDir + QStringLiteral("/temp");
    r.WinTempDir = GetEnvVar(r.WinTempDir);
    r.WinSysDir = GetWinSysDir();
    r.DocumentDir = GetMyDocumentsFolder() + u'/' + NativePath(AppInfo.Rirev.HomeDir);
    r.EChoboDir = r.WinTempDir + u'/' + AppInfo.EChobo.DataDir;
    r.SysDir = r.DataRootDir + QStringLiteral("/data");
    r.DataDir.clear();
    r.HostName = platform::computerName();
    r.DbUser = QStringLiteral("DORVEL");
    r.DbPassword = QStringLiteral("zoltup");

    for (const QString &dir : {r.IniDir, r.LogDir, r.TempDir, r.DocumentDir}) QDir().mkpath(dir);
    r.AppIniFile = r.DataRootDir + u'/' + AppInfo.Rirev.AppName + QStringLiteral(".ini");

    const QString notSetUp = QStringLiteral("アプリケーションの初期設定がおこなわれていないため\r%1を終了します。").arg(r.AppDispName);
    bool exists = QFileInfo(r.AppIniFile).isFile();
    for (int pass = 0; pass < 3; ++pass) {
        if (TAppIniSettings::ApplicationKind == 0 || TAppIniSettings::ApplicationKind == 2) {
            if (!exists && !TAppIniSettings::WriteIniFile(true)) throw platform::Error(notSetUp);
            QString local;
            ReadIniSection(r.AppIniFile, QStringLiteral("LOCAL"), local);
            if (TrimZen(local).isEmpty()) {
                // A section of blanks counts as missing: write the defaults again.
                if (!TAppIniSettings::WriteIniFile(true)) throw platform::Error(notSetUp);
            }
            TAppIniSettings::ReadServerSettings(0);
        }
        switch (ConnectMode) {
        case 0:
            r.HostName.clear();
            r.GoGlobal = false;
            r.SbcFlag = false;
            r.GroupNo = 10000;
            return;
        case 1:
            if (!r.HostName.isEmpty()) {
                r.GoGlobal = false;
                r.GroupFlag = false;
                r.GroupNo = 10000;
                return;
            }
            MessageDlg(QStringLiteral("データベースサーバーのコンピュータ名が設定されていません。\r初期設定画面を開きます。"),
                       TMsgDlgType::mtInformation, mbOK);
            exists = false;
            continue;
        case 2:
            r.GroupNo = r.GroupFlag ? 0 : 10000;
            return;
        default:
            return;
        }
    }
    throw platform::Error(notSetUp);
}

bool InitApplication()
{
    QString failure = QStringLiteral("アプリケーションの初期化に失敗しました。\r%1を終了します。").arg(QString());
    bool created = false;
    try {
        InitEnvironment();
        if (!DM) DM = new TDM(QCoreApplication::instance());
        InstallDataInfoHooks();
        InstallDataListRowUpdater();
        created = true;
    } catch (const platform::Error &e) {
        failure = e.message();
    } catch (...) {
    }
    if (!created) MessageDlg(failure, TMsgDlgType::mtError, mbYes);
    return created;
}
