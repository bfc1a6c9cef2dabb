#include "core/FileUtils.h"

#include "core/EnvUtils.h"
#include "core/Messages.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace {

const QRegularExpression &driveRe()
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z]:[\\\\/]?$"));
    return re;
}

bool copyTree(const QString &source, const QString &target)
{
    const QFileInfo src(source);
    if (src.isFile()) return CopyFileTo(source, target);
    if (!src.isDir()) return false;
    if (!QDir().mkpath(target)) return false;
    QDir dir(source);
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &e : entries)
        if (!copyTree(e.filePath(), target + u'/' + e.fileName())) return false;
    return true;
}

// Until the program installs the window system's choosers: nothing is chosen.
class NoChooser : public FileChooser
{
public:
    QString chooseFolder(const QString &, const QString &) override { return QString(); }
    QString chooseSaveFile(const QString &, const QString &, const QString &) override { return QString(); }
    QString chooseOpenFile(const QString &, const QString &, const QString &) override { return QString(); }
    QString chooseComputer(const QString &, const QString &) override { return QString(); }
};

NoChooser g_noChooser;
FileChooser *g_chooser = nullptr;

const QString kAccessQuestion = QStringLiteral(
    "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してください。\r\r"
    "代わりに［ドキュメント］フォルダに保存しますか？\r");

// The root of the drive of the system folder, which account control protects.
QString protectedRoot()
{
    const QString sys = GetWinSysDir();
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]:)"));
    const auto m = drive.match(sys);
    if (m.hasMatch()) return m.captured(1).toUpper() + u'/';
    return QStringLiteral("/");
}

bool accountControlOn()
{
    return ReadRegValue(platform::RegRoot::LocalMachine,
                        QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"),
                        QStringLiteral("EnableLUA"))
               .toInt() == 1;
}

bool isProtected(const QString &folder)
{
    return IncludePathDelim(QDir::cleanPath(folder)).compare(protectedRoot(), Qt::CaseInsensitive) == 0;
}

bool askUseDocuments()
{
    return MessageDlg(kAccessQuestion, TMsgDlgType::mtWarning, mbYes | mbNo) == mrYes;
}

const QString kNoRecycleBinQuestion = QStringLiteral("ごみ箱に移せません。\r完全に削除しますか？");

// Moves the entry into the desktop's recycle bin. Where the desktop has none
// that can be used, Qt falls back on "files" and "info" folders in the working
// folder and reports a relative location: that is no recycle bin, so the entry
// is put back and the move counts as failed.
bool moveToRecycleBin(const QString &path)
{
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed)) return false;
    if (QFileInfo(trashed).isAbsolute()) return true;
    const QFileInfo stray(trashed);
    const QString trashDir = QFileInfo(stray.absolutePath()).absolutePath();
    QDir().rename(stray.absoluteFilePath(), path);
    QFile::remove(trashDir + QStringLiteral("/info/") + stray.fileName() + QStringLiteral(".trashinfo"));
    return false;
}

} // namespace

QString NativePath(const QString &path)
{
    if (path.startsWith(QStringLiteral("\\\\"))) return path;
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

QString GetWinSysDir()
{
    return platform::systemDir();
}

bool IsDeletableFolder(const QString &path)
{
    const QString t = path.trimmed();
    if (t.isEmpty()) return false;
    const QString clean = ExcludePathDelim(t);
    if (clean.compare(ExcludePathDelim(GetWinSysDir()), Qt::CaseInsensitive) == 0) return false;
    if (clean == u'/' || t == u'/') return false;
    if (driveRe().match(t).hasMatch()) return false;
    return true;
}

bool DeleteFolder(const QString &path, int operation, bool toRecycleBin, bool showErrors)
{
    if (operation != 3 && operation != 4) return false;
    if (!IsDeletableFolder(path)) {
        ShowListMessage((operation == 3 ? QStringLiteral("ルート・システムディレクトリは、削除できません。<%1> ")
                                        : QStringLiteral("ルート・システムディレクトリは、変更できません。<%1> "))
                            .arg(path),
                        TMsgDlgType::mtError);
        return false;
    }
    // A rename needs a target, which this call does not take.
    if (operation == 4) return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return false;
    bool ok = false;
    if (toRecycleBin) {
        ok = moveToRecycleBin(path);
        // Without a recycle bin the entry would be gone for good: only when the user says so.
        if (!ok && MessageDlg(kNoRecycleBinQuestion, TMsgDlgType::mtConfirmation, mbYes | mbNo, mrNo) != mrYes)
            return false;
    }
    if (!ok) {
        if (info.isDir() && !info.isSymLink())
            ok = QDir(path).removeRecursively();
        else
            ok = QFile::remove(path);
    }
    if (!ok && showErrors)
        ShowErrorMessage(QStringLiteral("%1 を削除できませんでした。").arg(path), QString());
    return ok;
}

bool CopyFolder(const QString &source, const QString &target, int operation)
{
    if (operation != 1 && operation != 2) return false;
    if (!IsDeletableFolder(source) || !IsDeletableFolder(target)) {
        ShowListMessage(QStringLiteral("指定ディレクトリ[%1->%2]の複写・移動はできません。 ").arg(source, target),
                        TMsgDlgType::mtError);
        return false;
    }
    if (!QFileInfo::exists(source)) return false;
    // The shell copies a folder into an existing target folder, else under the target name.
    // A file likewise goes into an existing target folder; missing folders are made.
    QString dest = target;
    if (QFileInfo(target).isDir())
        dest = ExcludePathDelim(target) + u'/' + QFileInfo(ExcludePathDelim(source)).fileName();
    QDir().mkpath(QFileInfo(dest).absolutePath());
    if (operation == 1 && QDir().rename(source, dest)) return true;
    if (!copyTree(source, dest)) return false;
    if (operation == 1) {
        if (QFileInfo(source).isDir()) return QDir(source).removeRecursively();
        return QFile::remove(source);
    }
    return true;
}

bool CopyFileTo(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile()) return false;
    const QString tmp = target + QStringLiteral(".copy~");
    QFile::remove(tmp);
    if (!QFile::copy(source, tmp)) return false;
    QFile::remove(target);
    if (!QFile::rename(tmp, target)) {
        QFile::remove(tmp);
        return false;
    }
    return true;
}

QString ExcludePathDelim(const QString &path)
{
    if (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\'))) return path.left(path.size() - 1);
    return path;
}

QString IncludePathDelim(const QString &path)
{
    if (path.endsWith(u'/') || path.endsWith(u'\\')) return path;
    return path + u'/';
}

bool ForceDir(const QString &path)
{
    if (QFileInfo(path).isDir()) return true;
    if (driveRe().match(path.trimmed()).hasMatch()) return false; // a drive alone cannot be made
    return QDir().mkpath(path);
}

QString GetShortPath(const QString &path)
{
    if (!QFileInfo::exists(path)) throw platform::Error(QStringLiteral("ファイルが見つかりません。"));
    return path;
}

QString GetUncName(const QString &path)
{
    return path;
}

void ListSubFolders(const QString &folder, int mode, QStringList &list)
{
    list = QStringList();
    if (folder.isEmpty()) return;
    const QDir dir(folder);
    if (!dir.exists()) return;
    const auto names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &n : names) list << (mode == 1 ? n : ExcludePathDelim(folder) + u'/' + n);
}

qint64 GetFileSizeByFind(const QString &path)
{
    try {
        const QFileInfo info(path);
        if (!path.contains(u'*') && !path.contains(u'?')) return info.isFile() ? info.size() : 0;
        const QDir dir = info.absoluteDir();
        const auto found = dir.entryInfoList({info.fileName()}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        return found.isEmpty() ? 0 : found.first().size();
    } catch (...) {
        return -1;
    }
}

void WriteAtOffset(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (!f.exists() || !f.open(QIODevice::ReadWrite))
        throw platform::Error(QStringLiteral("%1 を開けません。").arg(file));
    if (!f.seek(f.size()) || f.write(bytes) != bytes.size())
        throw platform::Error(QStringLiteral("%1 に書き込めません。").arg(file));
}

QString GetSystemDir()
{
    return ExcludePathDelim(platform::systemDir());
}

QString GetMyDocumentsFolder()
{
    const QString d = platform::documentsDir();
    return ExcludePathDelim(d.isEmpty() ? platform::programDir() : d);
}

QString GetAppDataFolder(bool common)
{
    const QString d = common ? platform::commonAppDataDir() : platform::userAppDataDir();
    return ExcludePathDelim(d.isEmpty() ? platform::programDir() : d);
}

QString GetUserFolder(const QString &name)
{
    const QString n = name.toLower();
    QString d;
    if (n == u"desktop") d = platform::desktopDir();
    else if (n == u"mydocument") d = platform::documentsDir();
    else return QString();
    return ExcludePathDelim(d.isEmpty() ? platform::programDir() : d);
}

QString GetEnvVar(const QString &def)
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty() && QFileInfo(temp).isDir()) return ExcludePathDelim(temp);
    return def;
}

QVariant ReadRegValue(platform::RegRoot root, const QString &keyPath, const QString &valueName)
{
    if (valueName.compare(QStringLiteral("EnableLUA"), Qt::CaseInsensitive) == 0 && GetWinMajorVersion() <= 5)
        return 0;
    try {
        const QVariant v = platform::RegistryStore::read(root, keyPath, valueName);
        if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::Int) return v;
    } catch (const std::exception &) {
    }
    return 0;
}

FileChooser &FileChooser::instance()
{
    return g_chooser ? *g_chooser : g_noChooser;
}

void FileChooser::install(FileChooser *chooser)
{
    g_chooser = chooser;
}

bool SelectSaveFolder(const QString &title, QString &folder, bool ignoreAccountControl, const QString &root)
{
    const bool uac = !ignoreAccountControl && accountControlOn();
    const QString caption = title.isEmpty() ? QStringLiteral("フォルダを選択して下さい") : title;
    for (;;) {
        const QString chosen = FileChooser::instance().chooseFolder(caption, folder.isEmpty() ? root : folder);
        if (chosen.isEmpty()) return false;
        folder = chosen;
        if (chosen.size() > 255) {
            MessageDlg(QStringLiteral("選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r"),
                       TMsgDlgType::mtError, mbOK);
            return false;
        }
        if (!uac || !isProtected(chosen)) return true;
        if (askUseDocuments()) {
            folder = GetMyDocumentsFolder();
            return true;
        }
    }
}

bool ExecuteSaveDialog(const QString &title, const QString &filter, QString &path)
{
    const bool uac = accountControlOn();
    for (;;) {
        const QString chosen = FileChooser::instance().chooseSaveFile(title, path, filter);
        if (chosen.isEmpty()) return false;
        path = chosen;
        const QFileInfo info(chosen);
        if (!uac || !isProtected(info.absolutePath())) return true;
        if (askUseDocuments()) {
            path = GetMyDocumentsFolder() + u'/' + info.fileName();
            return true;
        }
    }
}

bool CheckSaveFolderAccess(QString &folder)
{
    if (!accountControlOn() || !isProtected(folder)) {
        folder = IncludePathDelim(folder);
        return true;
    }
    if (askUseDocuments()) {
        folder = GetMyDocumentsFolder();
        return true;
    }
    folder = IncludePathDelim(folder);
    return false;
}

bool CheckSaveFileAccess(QString &path)
{
    const QFileInfo info(path);
    QString folder = info.path();
    if (!CheckSaveFolderAccess(folder)) return false;
    path = IncludePathDelim(folder) + info.fileName();
    return true;
}

bool BrowseFolder(const QString &title, QString &name)
{
    const QString caption = title.isEmpty() ? QStringLiteral("コンピュータを選択して下さい") : title;
    const QString chosen = FileChooser::instance().chooseComputer(caption, name);
    if (chosen.isEmpty()) return false;
    name = chosen;
    return true;
}

QString ReadIniValue(const QString &file, const QString &section, const QString &key, const QVariant &def)
{
    try {
        return platform::IniFile(file).readString(section, key, def.toString());
    } catch (const platform::Error &) {
        return def.toString(); // an unreadable file reads as an empty one
    }
}

void WriteIniValue(const QString &file, const QString &section, const QString &key, bool remove, const QVariant &value)
{
    platform::IniFile ini(file);
    if (remove)
        ini.deleteKey(section, key);
    else
        ini.writeString(section, key, value.toString());
    QThread::msleep(10);
}

void ReadIniSection(const QString &file, const QString &section, QString &text)
{
    if (file.isEmpty() || section.isEmpty()) return;
    QStringList lines;
    try {
        lines = platform::IniFile(file).readSectionValues(section);
    } catch (const platform::Error &) {
        // an unreadable file reads as an empty one
    }
    text = lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void WriteIniSection(const QString &file, const QString &section, const QStringList &list)
{
    platform::IniFile(file).writeSection(section, list);
}

void EraseIniSection(const QString &file, const QString &section)
{
    if (file.isEmpty() || section.isEmpty()) return;
    platform::IniFile(file).eraseSection(section);
}
