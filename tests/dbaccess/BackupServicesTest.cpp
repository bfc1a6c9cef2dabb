// Backup, restore and validation of whole databases: the engine's services and
// the command-line tool, a round trip with Japanese texts, and what is left
// when a restore or a backup fails or is killed half-way.
#include "core/FileUtils.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/Globals.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/KilledChildLock.h"
#include "support/SchemaTemplates.h"
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <chrono>
#include <fstream>
#include <iterator>
#include <csignal>
#include <thread>

namespace {

using namespace std::chrono_literals;

class BackupServicesTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        db = root.companyDir + QStringLiteral("/vqacc.fdb");
        companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 40, 120);
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("INSERT INTO OPINF (REC, OPCODE, JOBNAME) VALUES (1, 1, 'x')"));
        dm->fnAccDatDisConnected(root.companyDir, false, false);
        before = digest(db);
    }
    void TearDown() override
    {
        backuptool::setToolStartedHook(nullptr);
        DbFixture::TearDown();
    }
    static QString digest(const QString &path) { return companyrows::digest(path, testenv::kDbUser, testenv::kDbPassword); }
    static QStringList strays(const QString &dir)
    {
        return QDir(dir).entryList({QStringLiteral("*.fb_"), QStringLiteral("*.rs_"), QStringLiteral("*.wk_")}, QDir::Files);
    }
    int opinfRows(const QString &path)
    {
        FbDatabase d;
        d.DatabaseName = path;
        d.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
        d.open();
        FbTransaction tr(&d);
        tr.startTransaction();
        FbQuery q(&d, &tr);
        q.setSql(QStringLiteral("SELECT COUNT(*) FROM OPINF"));
        q.open();
        const int n = q.field(0).asInteger();
        q.close();
        tr.commit();
        return n;
    }

    QString db, before;
};

// Stops the tool with SIGKILL after the delay once it runs.
class ToolKiller
{
public:
    explicit ToolKiller(std::chrono::milliseconds delay)
    {
        backuptool::setToolStartedHook([this, delay](qint64 pid) {
            m_thread = std::thread([pid, delay] {
                std::this_thread::sleep_for(delay);
                ::kill(pid_t(pid), SIGKILL);
            });
        });
    }
    ~ToolKiller()
    {
        backuptool::setToolStartedHook(nullptr);
        if (m_thread.joinable()) m_thread.join();
    }

private:
    KilledChildLock m_lock;
    std::thread m_thread;
};

} // namespace

TEST_F(BackupServicesTest, RoundTripThroughTheServicesAndTheTool)
{
    struct Road {
        const char *what;
        bool tool;
    };
    for (const Road road : {Road{"services", false}, Road{"tool", true}}) {
        SCOPED_TRACE(road.what);
        const QString out = testenv::freshDir(QStringLiteral("out-%1").arg(road.tool));
        const QString backup = out + QStringLiteral("/vqacc.fbk");
        testenv::writeFile(backup, "an older backup");
        const bool saved = road.tool ? dm->BackupFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, false)
                                     : dm->BackupFDB(TDM::ProtocolLocal, QString(), db, backup, false);
        ASSERT_TRUE(saved);
        EXPECT_GT(QFileInfo(backup).size(), 10000);
        EXPECT_TRUE(strays(root.companyDir).isEmpty()) << strays(root.companyDir).join(u' ').toStdString();
        EXPECT_TRUE(strays(out).isEmpty());

        const QString fresh = testenv::freshDir(QStringLiteral("fresh-%1").arg(road.tool)) + QStringLiteral("/vqacc.fdb");
        const bool restored = road.tool ? dm->RestoreFDBByGbak(TDM::ProtocolLocal, QString(), fresh, backup, true)
                                        : dm->RestoreFDB(TDM::ProtocolLocal, QString(), fresh, backup, true);
        ASSERT_TRUE(restored);
        // The tool's restore leaves the company database open, the services' closes it.
        EXPECT_EQ(dm->IBDatabaseDAT.connected(), road.tool);
        dm->fnAccDatDisConnected(QString(), false, false);
        EXPECT_EQ(digest(fresh), before);
        EXPECT_EQ(opinfRows(fresh), 0);
        EXPECT_TRUE(strays(QFileInfo(fresh).path()).isEmpty());
    }
}

TEST_F(BackupServicesTest, TheToolNeverSeesThePasswordOnItsCommandLine)
{
    // A stand-in that notes its arguments and its environment, then runs the tool.
    const QString dir = testenv::freshDir(QStringLiteral("pw"));
    const QString real = backuptool::gbakPath();
    ASSERT_FALSE(real.isEmpty());
    const QString wrapper = dir + QStringLiteral("/gbak");
    testenv::writeFile(wrapper, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\nenv > '%1/env'\nexec '%2' \"$@\"\n")
                                    .arg(dir, real)
                                    .toUtf8());
    QFile(wrapper).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    backuptool::setGbakPath(wrapper);
    const QString backup = dir + QStringLiteral("/x.fbk");
    const bool ok = dm->BackupFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, true);
    backuptool::setGbakPath(QString());
    ASSERT_TRUE(ok);
    const QByteArray args = testenv::readFile(dir + QStringLiteral("/args"));
    EXPECT_TRUE(args.startsWith("-b\n")) << args.toStdString();
    EXPECT_FALSE(args.contains(testenv::kDbPassword.toUtf8())) << args.toStdString();
    EXPECT_TRUE(testenv::readFile(dir + QStringLiteral("/env")).contains("ISC_PASSWORD=" + testenv::kDbPassword.toUtf8()));
    EXPECT_GT(QFileInfo(backup).size(), 10000);
}

TEST_F(BackupServicesTest, AFailedRestoreOverADataSetLeavesTheOldDatabase)
{
    const QString dir = testenv::freshDir(QStringLiteral("bad"));
    const QString broken = dir + QStringLiteral("/broken.fbk");
    QByteArray bytes;
    const QString good = dir + QStringLiteral("/good.fbk");
    ASSERT_TRUE(dm->BackupFDB(TDM::ProtocolLocal, QString(), db, good, true));
    bytes = testenv::readFile(good);
    testenv::writeFile(broken, bytes.left(bytes.size() / 2));

    for (const bool tool : {false, true}) {
        SCOPED_TRACE(tool ? "tool" : "services");
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        const bool ok = tool ? dm->RestoreFDBByGbak(TDM::ProtocolLocal, QString(), db, broken, true)
                             : dm->RestoreFDB(TDM::ProtocolLocal, QString(), db, broken, true);
        EXPECT_FALSE(ok);
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("データベースのリストアに失敗しました。")))
            << boxes.shown[0].text.toStdString();
        dm->fnAccDatDisConnected(QString(), false, false);
        EXPECT_EQ(digest(db), before);
        EXPECT_TRUE(strays(root.companyDir).isEmpty());
    }
}

TEST_F(BackupServicesTest, ARestoreKilledAtAnyPointLeavesTheOldDatabase)
{
    // The backup holds other rows than the data set it is restored over.
    const QString other = testenv::freshDir(QStringLiteral("other")) + QStringLiteral("/vqacc.fdb");
    CreateCompanyDatabase(QFileInfo(other).path(), testenv::kDbUser, testenv::kDbPassword);
    companyrows::fill(other, testenv::kDbUser, testenv::kDbPassword, 3000, 9000, 1000);
    const QString otherDigest = digest(other);
    const QString backup = testenv::freshDir(QStringLiteral("kill")) + QStringLiteral("/vqacc.fbk");
    ASSERT_TRUE(dm->BackupFDB(TDM::ProtocolLocal, QString(), other, backup, true));

    int killed = 0;
    for (const auto delay : {0ms, 20ms, 60ms, 150ms, 300ms}) {
        SCOPED_TRACE(delay.count());
        bool ok = false;
        {
            ScriptedMessages boxes;
            boxes.answer(mrOk);
            ToolKiller killer(delay);
            ok = dm->RestoreFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, true);
            if (!ok) {
                ++killed;
                ASSERT_EQ(boxes.shown.size(), 1);
            }
        }
        dm->fnAccDatDisConnected(QString(), false, false);
        EXPECT_EQ(digest(db), ok ? otherDigest : before);
        EXPECT_TRUE(strays(root.companyDir).isEmpty()) << strays(root.companyDir).join(u' ').toStdString();
        if (ok) break; // the restore ended before the kill: later kills would find the new rows
    }
    EXPECT_GE(killed, 1);
}

TEST_F(BackupServicesTest, ABackupKilledHalfWayLeavesThePreviousBackup)
{
    companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 3000, 9000, 1000);
    const QString dir = testenv::freshDir(QStringLiteral("killb"));
    const QString backup = dir + QStringLiteral("/vqacc.fbk");
    testenv::writeFile(backup, "the previous backup");
    int killed = 0;
    for (const auto delay : {0ms, 30ms, 100ms}) {
        SCOPED_TRACE(delay.count());
        ToolKiller killer(delay);
        try {
            dm->BackupFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, true);
            break;
        } catch (const platform::Error &e) {
            ++killed;
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("バックアップ中にエラーが発生しました。"))) << e.message().toStdString();
            EXPECT_EQ(testenv::readFile(backup), QByteArray("the previous backup"));
        }
        EXPECT_TRUE(strays(dir).isEmpty()) << strays(dir).join(u' ').toStdString();
        EXPECT_TRUE(strays(root.companyDir).isEmpty());
    }
    EXPECT_GE(killed, 1);
}

TEST_F(BackupServicesTest, AFullDiskFailsTheBackupAndKeepsThePreviousOne)
{
    const QString dir = testenv::freshDir(QStringLiteral("full"));
    TmpfsMount disk(dir, TmpfsMount::Writable);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    companyrows::fill(db, testenv::kDbUser, testenv::kDbPassword, 3000, 9000, 1000);
    const QString backup = dir + QStringLiteral("/vqacc.fbk");
    // The previous backup takes most of the 4 MB volume.
    const QByteArray previous(3 * 1024 * 1024, 'p');
    testenv::writeFile(backup, previous);
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "written beside the backup" : "moved from the data folder");
        ScriptedMessages boxes;
        boxes.answer(mrOk);
        EXPECT_FALSE(dm->BackupFDB(TDM::ProtocolLocal, QString(), db, backup, direct));
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("データベースのバックアップに失敗しました。")))
            << boxes.shown[0].text.toStdString();
        EXPECT_EQ(testenv::readFile(backup), previous);
        EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("vqacc.fbk")});
        EXPECT_TRUE(strays(root.companyDir).isEmpty());
    }
    EXPECT_EQ(digest(db).section(u':', 0, 0).toInt(), 40 + 120 + 3000 + 9000);
}

TEST_F(BackupServicesTest, ValidationPassesAGoodDatabaseAndFailsADamagedOne)
{
    EXPECT_TRUE(dm->ValidateDatabase(TDM::ProtocolLocal, QString(), db));
    // A copy with a few bytes of its pages overwritten.
    const QString damaged = testenv::freshDir(QStringLiteral("damaged")) + QStringLiteral("/vqacc.fdb");
    ASSERT_TRUE(QFile::copy(db, damaged));
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    // The page size stands at offset 16 of the header page; the headers of
    // every third page from the fourth on are overwritten.
    f.seek(16);
    const QByteArray ps = f.read(2);
    const qint64 pageSize = quint8(ps[0]) | (quint8(ps[1]) << 8);
    ASSERT_GE(pageSize, 1024);
    for (qint64 page = 4; page * pageSize < f.size(); page += 3) {
        f.seek(page * pageSize);
        f.write(QByteArray(24, '\xa5'));
    }
    f.close();
    EXPECT_FALSE(dm->ValidateDatabase(TDM::ProtocolLocal, QString(), damaged));
    // The company database connected before the check is connected again after it.
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
    EXPECT_TRUE(dm->ValidateDatabase(TDM::ProtocolLocal, QString(), db));
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
}

// While the engine works on its worker the caller's thread keeps handling
// events (the progress window paints), and an error comes back to the caller.
TEST(EngineCallTest, TheCallersEventsRunMeanwhileAndErrorsComeBack)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    std::thread::id worker;
    backuptool::runEngineCall([&] {
        worker = std::this_thread::get_id();
        std::this_thread::sleep_for(250ms);
    });
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_GE(ticks, 5);
    EXPECT_THROW(backuptool::runEngineCall([] { throw platform::Error(QStringLiteral("x")); }), platform::Error);
}

TEST_F(BackupServicesTest, TheToolsLogDecidesAndTheLoopbackHostTakesTheServices)
{
    const QString dir = testenv::freshDir(QStringLiteral("log"));
    // A stand-in that writes the given log (the path follows "-y") and ends normally.
    const auto standIn = [&](const QByteArray &log) {
        const QString path = dir + QStringLiteral("/gbak");
        testenv::writeFile(path, "#!/bin/sh\nwhile [ \"$1\" != -y ]; do shift; done\nprintf '" + log + "' > \"$2\"\n"
                                 "for a; do last=$a; done\nprintf 'made' > \"$last\"\nexit 0\n");
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        backuptool::setGbakPath(path);
    };
    const QString backup = dir + QStringLiteral("/x.fbk");
    testenv::writeFile(backup, "previous");

    standIn("gbak: ERROR:something went wrong");
    try {
        dm->BackupFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, true);
        ADD_FAILURE() << "ERROR in the log must fail the backup";
    } catch (const platform::Error &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("バックアップ中にエラーが発生しました。\rgbak: ERROR:something went wrong")))
            << e.message().toStdString();
    }
    EXPECT_EQ(testenv::readFile(backup), QByteArray("previous"));
    EXPECT_FALSE(QFileInfo::exists(backup + QStringLiteral(".fb_")));
    // "error" in lower case is no failure.
    standIn("no error here");
    EXPECT_TRUE(dm->BackupFDBByGbak(TDM::ProtocolLocal, QString(), db, backup, true));
    EXPECT_EQ(testenv::readFile(backup), QByteArray("made"));

    // "127.0.0.1" never starts the tool: the services do the work.
    backuptool::setGbakPath(dir + QStringLiteral("/missing"));
    EXPECT_TRUE(dm->BackupFDBByGbak(TDM::ProtocolTcp, QStringLiteral("127.0.0.1"), db, backup, true));
    EXPECT_GT(QFileInfo(backup).size(), 10000);
    const QString fresh = testenv::freshDir(QStringLiteral("lo")) + QStringLiteral("/vqacc.fdb");
    EXPECT_TRUE(dm->RestoreFDBByGbak(TDM::ProtocolTcp, QStringLiteral("127.0.0.1"), fresh, backup, false));
    backuptool::setGbakPath(QString());
    // Restored with the indexes kept back (the flag was clear): they are inactive.
    FbDatabase d;
    d.DatabaseName = fresh;
    d.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
    d.open();
    FbTransaction tr(&d);
    tr.startTransaction();
    FbQuery q(&d, &tr);
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_INACTIVE=1 AND RDB$SYSTEM_FLAG=0"));
    q.open();
    EXPECT_GT(q.field(0).asInteger(), 0);
    q.close();
    tr.commit();
}
