#include "core/FileUtils.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using platform::RegRoot;
using platform::RegistryStore;

namespace {

const QString kPolicy = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

void setAccountControl(int value)
{
    RegistryStore::writeInteger(RegRoot::LocalMachine, kPolicy, QStringLiteral("EnableLUA"), value);
}

} // namespace

TEST(FileUtils, DeletableFolderGuard)
{
    const QString sys = GetWinSysDir();
    struct Case { QString path; bool ok; };
    const Case cases[] = {
        {QStringLiteral("c:\\"), false}, {QStringLiteral("D:"), false}, {QStringLiteral("   "), false},
        {QStringLiteral("/"), false},    {sys, false},                  {sys.toUpper(), false},
        {sys + u'/', false},             {QStringLiteral("C:\\Data"), true},
        {testenv::sandbox() + QStringLiteral("/x"), true},
    };
    for (const Case &c : cases) EXPECT_EQ(IsDeletableFolder(c.path), c.ok) << c.path.toStdString();
}

TEST(FileUtils, DeleteFolderRefusesRootEvenWithoutErrorDisplay)
{
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(DeleteFolder(QStringLiteral("C:\\"), 3, false, false));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("ルート・システムディレクトリは、削除できません。<C:\\> \r"));
    EXPECT_FALSE(DeleteFolder(testenv::sandbox(), 7, false, false)); // unknown operation: nothing
}

TEST(FileUtils, DeleteCopyAndMoveFolders)
{
    const QString base = testenv::freshDir(QStringLiteral("folders"));
    testenv::writeFile(base + QStringLiteral("/src/a.txt"), "A");
    testenv::writeFile(base + QStringLiteral("/src/sub/.hidden"), "H");

    EXPECT_TRUE(CopyFolder(base + QStringLiteral("/src"), base + QStringLiteral("/copy"), 2));
    EXPECT_EQ(testenv::readFile(base + QStringLiteral("/copy/sub/.hidden")), QByteArray("H"));
    // Into an existing folder the source lands under its own name.
    QDir().mkpath(base + QStringLiteral("/into"));
    EXPECT_TRUE(CopyFolder(base + QStringLiteral("/src"), base + QStringLiteral("/into"), 2));
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/into/src/a.txt")));
    // A file goes into an existing folder too; a missing folder is made.
    EXPECT_TRUE(CopyFolder(base + QStringLiteral("/src/a.txt"), base + QStringLiteral("/into"), 2));
    EXPECT_EQ(testenv::readFile(base + QStringLiteral("/into/a.txt")), QByteArray("A"));
    EXPECT_TRUE(CopyFolder(base + QStringLiteral("/into/a.txt"), base + QStringLiteral("/new/deep/b.txt"), 1));
    EXPECT_EQ(testenv::readFile(base + QStringLiteral("/new/deep/b.txt")), QByteArray("A"));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/into/a.txt")));

    EXPECT_TRUE(CopyFolder(base + QStringLiteral("/copy"), base + QStringLiteral("/moved"), 1));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/copy")));
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral("/moved/a.txt")));

    EXPECT_TRUE(DeleteFolder(base + QStringLiteral("/moved"), 3, false, false));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/moved")));
    EXPECT_FALSE(DeleteFolder(base + QStringLiteral("/moved"), 3, false, false)); // already gone

    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_FALSE(CopyFolder(QStringLiteral("/"), base + QStringLiteral("/x"), 2));
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("指定ディレクトリ[/->")));
}

TEST(FileUtils, PathsAndFiles)
{
    EXPECT_EQ(ExcludePathDelim(QStringLiteral("/a/b/")), QStringLiteral("/a/b"));
    EXPECT_EQ(ExcludePathDelim(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(IncludePathDelim(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(NativePath(QStringLiteral("quenta\\dorvelzaimu")), QStringLiteral("quenta/dorvelzaimu"));
    EXPECT_EQ(NativePath(QStringLiteral("\\\\server\\share")), QStringLiteral("\\\\server\\share"));

    EXPECT_FALSE(ForceDir(QStringLiteral("Q:")));
    const QString base = testenv::freshDir(QStringLiteral("paths"));
    EXPECT_TRUE(ForceDir(base + QStringLiteral("/x/y/z")));
    EXPECT_TRUE(QFileInfo(base + QStringLiteral("/x/y/z")).isDir());

    EXPECT_THROW(GetShortPath(base + QStringLiteral("/none")), std::exception);
    EXPECT_EQ(GetShortPath(base + QStringLiteral("/x")), base + QStringLiteral("/x"));

    QDir().mkpath(base + QStringLiteral("/x/.hid"));
    testenv::writeFile(base + QStringLiteral("/x/file.txt"), "12345");
    QStringList list{QStringLiteral("stale")};
    ListSubFolders(base + QStringLiteral("/x"), 1, list);
    EXPECT_EQ(list, QStringList({QStringLiteral(".hid"), QStringLiteral("y")}));
    ListSubFolders(base + QStringLiteral("/x"), 0, list);
    EXPECT_EQ(list.first(), base + QStringLiteral("/x/.hid"));
    ListSubFolders(base + QStringLiteral("/missing"), 1, list);
    EXPECT_TRUE(list.isEmpty());

    EXPECT_EQ(GetFileSizeByFind(base + QStringLiteral("/x/file.txt")), 5);
    EXPECT_EQ(GetFileSizeByFind(base + QStringLiteral("/x/*.txt")), 5);
    EXPECT_EQ(GetFileSizeByFind(base + QStringLiteral("/x/none.txt")), 0);
    // A sparse 5 GB file keeps its full 64-bit size.
    QFile big(base + QStringLiteral("/big.fbk"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(5LL * 1024 * 1024 * 1024));
    big.close();
    EXPECT_EQ(GetFileSizeByFind(base + QStringLiteral("/big.fbk")), 5LL * 1024 * 1024 * 1024);
    QFile::remove(base + QStringLiteral("/big.fbk"));

    WriteAtOffset(base + QStringLiteral("/x/file.txt"), QByteArray("## CorvenaZone"));
    EXPECT_EQ(testenv::readFile(base + QStringLiteral("/x/file.txt")), QByteArray("12345## CorvenaZone"));
    EXPECT_THROW(WriteAtOffset(base + QStringLiteral("/x/none"), "x"), std::exception);

    EXPECT_TRUE(CopyFileTo(base + QStringLiteral("/x/file.txt"), base + QStringLiteral("/copy.txt")));
    EXPECT_TRUE(CopyFileTo(base + QStringLiteral("/x/file.txt"), base + QStringLiteral("/copy.txt"))); // overwrites
    EXPECT_FALSE(CopyFileTo(base + QStringLiteral("/none"), base + QStringLiteral("/c2.txt")));
}

TEST(FileUtils, StandardFolders)
{
    EXPECT_TRUE(GetMyDocumentsFolder().startsWith(testenv::sandbox()));
    EXPECT_TRUE(GetAppDataFolder(true).startsWith(testenv::sandbox()));
    EXPECT_EQ(GetUserFolder(QStringLiteral("Desktop")), ExcludePathDelim(qEnvironmentVariable("SOLTEA_DESKTOP")));
    EXPECT_EQ(GetUserFolder(QStringLiteral("mydocument")), GetMyDocumentsFolder());
    EXPECT_EQ(GetEnvVar(QStringLiteral("def")), qEnvironmentVariable("TEMP"));
    const QByteArray saved = qgetenv("TEMP");
    qputenv("TEMP", "/no/such/folder");
    EXPECT_EQ(GetEnvVar(QStringLiteral("def")), QStringLiteral("def"));
    qputenv("TEMP", saved);
}

TEST(FileUtils, SaveLocationsUnderAccountControl)
{
    const QByteArray savedVer = qgetenv("SOLTEA_OS_MAJOR");
    qputenv("SOLTEA_OS_MAJOR", "10");
    const QString docs = GetMyDocumentsFolder();
    const QString sub = testenv::freshDir(QStringLiteral("save"));

    setAccountControl(1);
    {
        ScriptedChooser chooser;
        ScriptedMessages boxes;
        chooser.answers = {QStringLiteral("/a.xml")};
        boxes.answer(mrYes);
        QString path;
        EXPECT_TRUE(ExecuteSaveDialog(QStringLiteral("保存"), QStringLiteral("*.xml"), path));
        EXPECT_EQ(path, docs + QStringLiteral("/a.xml"));
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtWarning);

        // A sub-folder of the root is accepted at once; No shows the dialog again.
        chooser.answers = {QStringLiteral("/b.xml"), sub + QStringLiteral("/b.xml")};
        boxes.answer(mrNo);
        EXPECT_TRUE(ExecuteSaveDialog(QStringLiteral("保存"), QStringLiteral("*.xml"), path));
        EXPECT_EQ(path, sub + QStringLiteral("/b.xml"));
        EXPECT_EQ(chooser.asked, 3);

        QString folder = QStringLiteral("/");
        boxes.answer(mrNo);
        EXPECT_FALSE(CheckSaveFolderAccess(folder));
        EXPECT_EQ(folder, QStringLiteral("/"));
        QString file = QStringLiteral("/c.xml");
        boxes.answer(mrYes);
        EXPECT_TRUE(CheckSaveFileAccess(file));
        EXPECT_EQ(file, docs + QStringLiteral("/c.xml"));

        // Ignoring account control accepts the root; cancel gives false.
        chooser.answers = {QStringLiteral("/"), QString()};
        folder.clear();
        EXPECT_TRUE(SelectSaveFolder(QString(), folder, true));
        EXPECT_EQ(folder, QStringLiteral("/"));
        EXPECT_FALSE(SelectSaveFolder(QString(), folder, false));
        EXPECT_TRUE(boxes.allAnswered());
    }
    setAccountControl(0);
    {
        ScriptedChooser chooser;
        chooser.answers = {QStringLiteral("/a.xml")};
        QString path;
        EXPECT_TRUE(ExecuteSaveDialog(QStringLiteral("保存"), QStringLiteral("*.xml"), path));
        EXPECT_EQ(path, QStringLiteral("/a.xml"));
        QString folder = QStringLiteral("/");
        EXPECT_TRUE(CheckSaveFolderAccess(folder));
    }
    // Older systems are not asked at all.
    setAccountControl(1);
    qputenv("SOLTEA_OS_MAJOR", "5");
    EXPECT_EQ(ReadRegValue(RegRoot::LocalMachine, kPolicy, QStringLiteral("EnableLUA")), QVariant(0));
    setAccountControl(0);
    qputenv("SOLTEA_OS_MAJOR", savedVer);
    if (savedVer.isEmpty()) qunsetenv("SOLTEA_OS_MAJOR");
}

TEST(FileUtils, RegistryValuesAndComputerChoice)
{
    RegistryStore::writeString(RegRoot::LocalMachine, QStringLiteral("\\SOFTWARE\\QUENTA\\T"), QStringLiteral("Ver"), QStringLiteral("11.2.0"));
    EXPECT_EQ(ReadRegValue(RegRoot::LocalMachine, QStringLiteral("\\SOFTWARE\\QUENTA\\T"), QStringLiteral("Ver")), QVariant(QStringLiteral("11.2.0")));
    EXPECT_EQ(ReadRegValue(RegRoot::LocalMachine, QStringLiteral("\\SOFTWARE\\QUENTA\\T"), QStringLiteral("None")), QVariant(0));

    ScriptedChooser chooser;
    chooser.answers = {QStringLiteral("DBSERVER"), QString()};
    QString name = QStringLiteral("old");
    EXPECT_TRUE(BrowseFolder(QString(), name));
    EXPECT_EQ(name, QStringLiteral("DBSERVER"));
    EXPECT_FALSE(BrowseFolder(QString(), name));
    EXPECT_EQ(name, QStringLiteral("DBSERVER"));
}

TEST(FileUtils, IniHelpers)
{
    const QString file = testenv::freshDir(QStringLiteral("inihelpers")) + QStringLiteral("/Soltea.ini");
    WriteIniValue(file, QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("KOMONSAKI"), false, QStringLiteral("株式会社①"));
    WriteIniValue(file, QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA"), false, 12);
    EXPECT_EQ(ReadIniValue(file, QStringLiteral("renketunouzei_g"), QStringLiteral("komonsaki"), QString()), QStringLiteral("株式会社①"));
    EXPECT_EQ(ReadIniValue(file, QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("none"), QStringLiteral("d")), QStringLiteral("d"));

    QElapsedTimer t;
    t.start();
    WriteIniValue(file, QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA"), true, QVariant());
    EXPECT_GE(t.elapsed(), 10);
    EXPECT_FALSE(platform::IniFile(file).valueExists(QStringLiteral("RENKETUNOUZEI_G"), QStringLiteral("DATA")));

    WriteIniSection(file, QStringLiteral("DATASTS"), {QStringLiteral("STATUS=1"), QStringLiteral("PCNAME=PC01")});
    QString text = QStringLiteral("unchanged");
    ReadIniSection(file, QString(), text);
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    ReadIniSection(file, QStringLiteral("DATASTS"), text);
    EXPECT_EQ(text, QStringLiteral("STATUS=1\r\nPCNAME=PC01\r\n"));
    EraseIniSection(file, QStringLiteral("DATASTS"));
    ReadIniSection(file, QStringLiteral("DATASTS"), text);
    EXPECT_TRUE(text.isEmpty());
    // Writing a section without lines leaves no section.
    WriteIniSection(file, QStringLiteral("DATASTS"), {QStringLiteral("STATUS=1")});
    WriteIniSection(file, QStringLiteral("DATASTS"), {});
    EXPECT_FALSE(platform::IniFile(file).sectionExists(QStringLiteral("DATASTS")));
    // A file that cannot be read reads as an empty one.
    const QString folder = QFileInfo(file).absolutePath() + QStringLiteral("/dir.ini");
    QDir().mkpath(folder);
    EXPECT_EQ(ReadIniValue(folder, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("d")), QStringLiteral("d"));
    ReadIniSection(folder, QStringLiteral("A"), text);
    EXPECT_TRUE(text.isEmpty());
}
