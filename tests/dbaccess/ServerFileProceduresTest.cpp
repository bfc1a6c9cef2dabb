// The server's file procedures work only inside the folders the system
// database stands for: its own folder, the work folder beside it, the folders
// of its lists and of its data places. Anything else is refused with an error
// the caller reports, and is left as it was. Run against the Firebird server
// on loopback that the test script starts.
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

const QString kRefused = QStringLiteral("データフォルダ以外のファイル操作はできません。");

class ServerFileProceduresTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        const QString host = qEnvironmentVariable("SOLTEA_TEST_FB_HOST");
        if (host.isEmpty()) GTEST_SKIP() << "no Firebird server on loopback (SOLTEA_TEST_FB_HOST is not set)";
        if (!root.fileProcedures) GTEST_SKIP() << "the engine has no module of the file procedures";
        ConnectMode = 1;
        SystemDef.HostName = host;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
    }
    void TearDown() override
    {
        if (dm) dm->IBDatabaseDEF.close();
        DbFixture::TearDown();
    }

    // A folder with a file and a subfolder, outside every allowed folder.
    static QString outsideTree(const QString &name)
    {
        const QString dir = testenv::freshDir(name);
        testenv::writeFile(dir + QStringLiteral("/f.txt"), "outside");
        testenv::writeFile(dir + QStringLiteral("/sub/g.txt"), "outside too");
        return dir;
    }
    static void expectIntact(const QString &dir)
    {
        EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/f.txt")), QByteArray("outside")) << dir.toStdString();
        EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/sub/g.txt")), QByteArray("outside too")) << dir.toStdString();
    }
};

} // namespace

TEST_F(ServerFileProceduresTest, OutsideTheDataFoldersEverythingIsRefusedAndLeftAsItWas)
{
    const QString outside = outsideTree(QStringLiteral("outside"));
    const QString company = root.companyDir;
    // A link inside a data folder does not open the folder it leads to.
    const QString link = company + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(outside, link));
    testenv::writeFile(company + QStringLiteral("/note.txt"), "data");

    struct Case {
        const char *what;
        std::function<bool()> run;
        QString shown; // the path the refusal names
    };
    const Case cases[] = {
        {"remove a folder", [&] { return dm->RmDir(outside, 1, false); }, outside},
        {"remove a subfolder", [&] { return dm->RmDir(outside + QStringLiteral("/sub"), 1, false); }, outside + QStringLiteral("/sub")},
        {"delete a file", [&] { return dm->FDel(outside + QStringLiteral("/f.txt"), 1, false); }, outside + QStringLiteral("/f.txt")},
        {"copy a file in", [&] { return dm->FCopy(outside + QStringLiteral("/f.txt"), company + QStringLiteral("/in.txt"), 1); },
         outside + QStringLiteral("/f.txt")},
        {"copy a file out", [&] { return dm->FCopy(company + QStringLiteral("/note.txt"), outside + QStringLiteral("/f.txt"), 1); },
         outside + QStringLiteral("/f.txt")},
        {"move a file out", [&] { return dm->FMove(company + QStringLiteral("/note.txt"), outside + QStringLiteral("/moved.txt"), 1); },
         outside + QStringLiteral("/moved.txt")},
        {"make a folder", [&] { return dm->MkDir(outside + QStringLiteral("/new"), 1); }, outside + QStringLiteral("/new")},
        {"test a file", [&] { return dm->FExist(outside + QStringLiteral("/f.txt"), 1); }, outside + QStringLiteral("/f.txt")},
        {"climb out with ..", [&] { return dm->RmDir(company + QStringLiteral("/../../../outside"), 1, false); },
         company + QStringLiteral("/../../../outside")},
        {"go through a link", [&] { return dm->RmDir(link + QStringLiteral("/sub"), 1, false); }, link + QStringLiteral("/sub")},
        {"a relative path", [&] { return dm->RmDir(QStringLiteral("outside"), 1, false); }, QStringLiteral("outside")},
        // The system database's own folder holds it: never removed whole.
        {"remove the system folder", [&] { return dm->RmDir(root.sysDir, 1, false); }, root.sysDir},
        {"delete the system database", [&] { return dm->FDel(root.sysDir + QStringLiteral("/vqaccdef.fdb"), 1, false); },
         root.sysDir + QStringLiteral("/vqaccdef.fdb")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_FALSE(c.run());
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
        EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("サーバーへのファイル操作("))) << boxes.shown[0].text.toStdString();
        EXPECT_TRUE(boxes.shown[0].text.contains(kRefused + QStringLiteral(" (") + c.shown + u')'))
            << boxes.shown[0].text.toStdString();
        expectIntact(outside);
    }
    EXPECT_FALSE(QFileInfo::exists(outside + QStringLiteral("/new")));
    EXPECT_FALSE(QFileInfo::exists(outside + QStringLiteral("/moved.txt")));
    EXPECT_FALSE(QFileInfo::exists(company + QStringLiteral("/in.txt")));
    EXPECT_EQ(testenv::readFile(company + QStringLiteral("/note.txt")), QByteArray("data"));
    EXPECT_TRUE(QFileInfo::exists(root.sysDir + QStringLiteral("/vqaccdef.fdb")));
    EXPECT_TRUE(dm->IBDatabaseDEF.connected());
}

TEST_F(ServerFileProceduresTest, InsideTheDataFoldersTheyStillWork)
{
    const QString company = root.companyDir;
    testenv::writeFile(company + QStringLiteral("/note.txt"), "data");
    const QString work = root.root + QStringLiteral("/temp");
    // A data place elsewhere and a data set listed in it.
    const QString place = testenv::freshDir(QStringLiteral("place"));
    const QString placeSet = testenv::freshDir(QStringLiteral("place-list")) + QStringLiteral("/0001");
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    boxes.answer(mrOk);
    EXPECT_FALSE(dm->MkDir(place + QStringLiteral("/a"), 1)); // not listed yet
    EXPECT_FALSE(dm->MkDir(placeSet, 1));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATAPLACEMAN (REC, NAME, PATH) VALUES (1, 'A', '%1')").arg(place));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATAPLACEMAN (REC, NAME, PATH) VALUES (2, 'B', '')"));
    exec(QStringLiteral("ACCDEF"), QStringLiteral("INSERT INTO DATALIST_EX (DATAPLACEREC, REC, PASNAME) VALUES (2, 1, '%1')").arg(placeSet));
    ASSERT_EQ(boxes.shown.size(), 2);

    for (const QString &base : {slot(2) + QStringLiteral("/work"), company + QStringLiteral("/sub"), work + QStringLiteral("/job"),
                                place + QStringLiteral("/a"), placeSet}) {
        SCOPED_TRACE(base.toStdString());
        EXPECT_TRUE(dm->MkDir(base + QStringLiteral("/deep"), 1));
        EXPECT_TRUE(dm->DExist(base + QStringLiteral("/deep"), 1));
        EXPECT_TRUE(dm->FCopy(company + QStringLiteral("/note.txt"), base + QStringLiteral("/deep/copy.txt"), 1));
        EXPECT_EQ(testenv::readFile(base + QStringLiteral("/deep/copy.txt")), QByteArray("data"));
        EXPECT_TRUE(dm->FMove(base + QStringLiteral("/deep/copy.txt"), base + QStringLiteral("/moved.txt"), 1));
        EXPECT_TRUE(dm->FExist(base + QStringLiteral("/moved.txt"), 1));
        EXPECT_FALSE(dm->FExist(base + QStringLiteral("/deep/copy.txt"), 1));
        EXPECT_TRUE(dm->FDel(base + QStringLiteral("/moved.txt"), 1, false));
        EXPECT_TRUE(dm->RmDir(base, 1, false));
        EXPECT_FALSE(QFileInfo::exists(base));
    }
    // A listed data-set folder is removed whole.
    addCompany(3);
    EXPECT_TRUE(dm->RmDir(slot(3), 1, false));
    EXPECT_FALSE(QFileInfo::exists(slot(3)));
    EXPECT_TRUE(dm->FExist(company + QStringLiteral("/vqacc.fdb"), 1));
    EXPECT_EQ(boxes.shown.size(), 2);
}
