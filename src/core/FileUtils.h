#pragma once
// Files, folders, standard folders, save locations and ini files.
// Paths are native ("/"); a path written the Windows way in stored settings is
// turned native with NativePath. Folder results carry no trailing delimiter.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/RegistryStore.h"

// Backslashes turned into "/"; UNC names ("\\server\share") pass unchanged.
QString NativePath(const QString &path);

// Folder operations (delete 3, rename 4; copy 2, move 1).
bool IsDeletableFolder(const QString &path);
// Deletes a file or folder; toRecycleBin moves it into the recycle bin, and
// where that cannot be done asks first whether to delete it for good (false
// without deleting on No).
bool DeleteFolder(const QString &path, int operation, bool toRecycleBin, bool showErrors);
bool CopyFolder(const QString &source, const QString &target, int operation);
bool CopyFileTo(const QString &source, const QString &target);
QString GetWinSysDir();

// Paths and files.
QString ExcludePathDelim(const QString &path);
QString IncludePathDelim(const QString &path);
bool ForceDir(const QString &path);
QString GetShortPath(const QString &path);   // throws platform::Error "ファイルが見つかりません。"
QString GetUncName(const QString &path);
void ListSubFolders(const QString &folder, int mode, QStringList &list);
qint64 GetFileSizeByFind(const QString &path);
void WriteAtOffset(const QString &file, const QByteArray &bytes);   // appends at the end; throws

// Standard folders.
QString GetSystemDir();
QString GetMyDocumentsFolder();
QString GetAppDataFolder(bool common);
QString GetUserFolder(const QString &name);
QString GetEnvVar(const QString &def);

// Registry values: text, integer, or 0 for anything missing.
QVariant ReadRegValue(platform::RegRoot root, const QString &keyPath, const QString &valueName);

// Where the user chooses folders, files and computers. The program installs
// the window system's dialogs (installQtFileChooser); tests install their own.
// An empty answer means cancel; before any is installed nothing is chosen.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual QString chooseFolder(const QString &title, const QString &start) = 0;
    virtual QString chooseSaveFile(const QString &title, const QString &start, const QString &filter) = 0;
    // An existing file to read.
    virtual QString chooseOpenFile(const QString &title, const QString &start, const QString &filter) = 0;
    // The prompt is the instruction shown inside the dialog.
    virtual QString chooseComputer(const QString &prompt, const QString &preselect) = 0;

    static FileChooser &instance();
    static void install(FileChooser *chooser); // not owned; nullptr restores the default
};

// Save locations that respect account control: the root of the system drive is
// refused while it is on, with the offer to use the documents folder instead.
bool SelectSaveFolder(const QString &title, QString &folder, bool ignoreAccountControl, const QString &root = QString());
bool ExecuteSaveDialog(const QString &title, const QString &filter, QString &path);
bool CheckSaveFolderAccess(QString &folder);
bool CheckSaveFileAccess(QString &path);
bool BrowseFolder(const QString &title, QString &name);

// Ini files; every call opens and closes the file.
QString ReadIniValue(const QString &file, const QString &section, const QString &key, const QVariant &def);
void WriteIniValue(const QString &file, const QString &section, const QString &key, bool remove, const QVariant &value);
void ReadIniSection(const QString &file, const QString &section, QString &text);
void WriteIniSection(const QString &file, const QString &section, const QStringList &list);
void EraseIniSection(const QString &file, const QString &section);
