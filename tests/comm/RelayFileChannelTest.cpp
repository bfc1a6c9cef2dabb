#include "support/TestEnv.h"

#include "RelayTestServers.h"
#include "comm/RelayFileChannel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace relaytest;
using Result = TRelayFileChannel::Result;

namespace {

const QString kUser = QStringLiteral("WEB001");
const QString kPassword = QStringLiteral("ftp-secret");

class RelayFileChannelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = testenv::freshDir(QStringLiteral("ftp-root"));
        work = testenv::freshDir(QStringLiteral("ftp-work"));
        for (const char *slot : {"01", "02", "03", "10"}) QDir(root).mkpath(QLatin1String(slot));
    }

    // Starts the server with the faults; skips the test when it cannot run here.
    std::unique_ptr<FtpServer> serve(const QStringList &faults = {})
    {
        auto server = std::make_unique<FtpServer>(root, kUser, kPassword, faults);
        QString why;
        if (!server->start(&why)) return nullptr;
        return server;
    }
    TRelayFileChannel channel(const FtpServer &s, const QString &password = kPassword) const
    {
        TRelayFileChannel c(QStringLiteral("127.0.0.1"), s.port(), kUser, password);
        c.ConnectTimeoutMs = 3000;
        c.StallTimeoutMs = 3000;
        return c;
    }
    QString local(const QString &name, const QByteArray &bytes) const
    {
        const QString path = work + u'/' + name;
        testenv::writeFile(path, bytes);
        return path;
    }
    QByteArray remote(const QString &path) const { return testenv::readFile(root + u'/' + path); }
    bool remoteExists(const QString &path) const { return QFileInfo::exists(root + u'/' + path); }

    QString root, work;
};

#define SERVE(var, ...)                                                                                                \
    auto var = serve(__VA_ARGS__);                                                                                     \
    if (!var) GTEST_SKIP() << "the FTP server of the tests cannot run here (scripts/install-deps.sh --tests)";

TEST_F(RelayFileChannelTest, UploadKeepsThePreviousFileAside)
{
    SERVE(server);
    TRelayFileChannel c = channel(*server);
    // An empty slot: stored as it is.
    ASSERT_EQ(c.Upload(QStringLiteral("01"), local(QStringLiteral("a.wen"), "first archive")), Result::Ok);
    EXPECT_EQ(remote(QStringLiteral("01/vqacc.wen")), QByteArray("first archive"));
    EXPECT_FALSE(remoteExists(QStringLiteral("01/vqacc.wenbak")));
    // A slot with data: the old file becomes the "bak" file.
    const QByteArray binary = QByteArray("\x00\x01\r\n\x1a\xff second", 15);
    ASSERT_EQ(c.Upload(QStringLiteral("01"), local(QStringLiteral("b.wen"), binary)), Result::Ok);
    EXPECT_EQ(remote(QStringLiteral("01/vqacc.wen")), binary); // binary, untouched
    EXPECT_EQ(remote(QStringLiteral("01/vqacc.wenbak")), QByteArray("first archive"));
    // A remote file of size 0 is overwritten without being kept aside.
    testenv::writeFile(root + QStringLiteral("/10/vqacc.wen"), QByteArray());
    ASSERT_EQ(c.Upload(QStringLiteral("10"), local(QStringLiteral("c.wen"), "tenth")), Result::Ok);
    EXPECT_EQ(remote(QStringLiteral("10/vqacc.wen")), QByteArray("tenth"));
    EXPECT_FALSE(remoteExists(QStringLiteral("10/vqacc.wenbak")));
    EXPECT_EQ(c.RemoteSize(QStringLiteral("10"), QStringLiteral("vqacc.wen")), 5);
}

TEST_F(RelayFileChannelTest, ASizeMismatchPutsThePreviousFileBack)
{
    testenv::writeFile(root + QStringLiteral("/02/vqacc.wen"), "previous data");
    SERVE(server, {QStringLiteral("--size-lie")});
    TRelayFileChannel c = channel(*server);
    EXPECT_EQ(c.Upload(QStringLiteral("02"), local(QStringLiteral("n.wen"), "new data")), Result::SizeMismatch);
    EXPECT_EQ(remote(QStringLiteral("02/vqacc.wen")), QByteArray("previous data"));
    EXPECT_FALSE(remoteExists(QStringLiteral("02/vqacc.wenbak")));
}

TEST_F(RelayFileChannelTest, FailuresAreToldApart)
{
    testenv::writeFile(root + QStringLiteral("/03/vqacc.wen"), "kept");
    SERVE(server, {QStringLiteral("--drop-stor")});
    const QString file = local(QStringLiteral("f.wen"), "payload");
    // A slot folder that does not exist.
    EXPECT_EQ(channel(*server).Upload(QStringLiteral("05"), file), Result::FolderMissing);
    // A refused login.
    EXPECT_EQ(channel(*server, QStringLiteral("wrong")).Upload(QStringLiteral("01"), file), Result::ConnectFailed);
    // A connection dropped when the upload starts: the previous file is back.
    EXPECT_EQ(channel(*server).Upload(QStringLiteral("03"), file), Result::TransferFailed);
    EXPECT_EQ(remote(QStringLiteral("03/vqacc.wen")), QByteArray("kept"));
    // A local file that is missing.
    EXPECT_EQ(channel(*server).Upload(QStringLiteral("01"), work + QStringLiteral("/none.wen")), Result::LocalFileError);
    // Nobody listening.
    TRelayFileChannel nobody(QStringLiteral("127.0.0.1"), freePort(), kUser, kPassword);
    nobody.ConnectTimeoutMs = 1000;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(nobody.Upload(QStringLiteral("01"), file), Result::ConnectFailed);
    EXPECT_LT(t.elapsed(), 5000);
}

TEST_F(RelayFileChannelTest, DownloadFetchesTheSlotFile)
{
    const QByteArray archive = QByteArray("\x00\xff\r\n enciphered", 15);
    testenv::writeFile(root + QStringLiteral("/01/vqacc.wen"), archive);
    testenv::writeFile(root + QStringLiteral("/02/vqacc.wen"), QByteArray());
    SERVE(server);
    TRelayFileChannel c = channel(*server);
    const QString target = work + QStringLiteral("/vqacc.wen");
    ASSERT_EQ(c.Download(QStringLiteral("01"), target), Result::Ok);
    EXPECT_EQ(testenv::readFile(target), archive);
    // An empty file, a missing file and a missing folder are all "not found".
    QFile::remove(target);
    EXPECT_EQ(c.Download(QStringLiteral("02"), target), Result::RemoteMissing);
    EXPECT_EQ(c.Download(QStringLiteral("03"), target), Result::RemoteMissing);
    EXPECT_EQ(c.Download(QStringLiteral("07"), target), Result::RemoteMissing);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(channel(*server, QStringLiteral("wrong")).Download(QStringLiteral("01"), target), Result::ConnectFailed);
}

TEST_F(RelayFileChannelTest, ADroppedDownloadLeavesNoFile)
{
    testenv::writeFile(root + QStringLiteral("/01/vqacc.wen"), "data");
    SERVE(server, {QStringLiteral("--drop-retr")});
    const QString target = work + QStringLiteral("/dropped.wen");
    testenv::writeFile(target, "old work file");
    EXPECT_EQ(channel(*server).Download(QStringLiteral("01"), target), Result::TransferFailed);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(RelayFileChannelTest, SizesAreReadIn64Bits)
{
    // A sparse file of 4 GiB and 7 bytes: its low 32 bits alone would say 7,
    // exactly 4 GiB would read as empty.
    const qint64 big = (qint64(1) << 32) + 7;
    QFile f(root + QStringLiteral("/01/vqacc.wen"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    if (!f.resize(big)) GTEST_SKIP() << "the sandbox cannot hold a sparse file of 4 GiB";
    f.close();
    QFile exact(root + QStringLiteral("/02/vqacc.wen"));
    ASSERT_TRUE(exact.open(QIODevice::WriteOnly));
    ASSERT_TRUE(exact.resize(qint64(1) << 32));
    exact.close();
    SERVE(server);
    TRelayFileChannel c = channel(*server);
    EXPECT_EQ(c.RemoteSize(QStringLiteral("01"), QStringLiteral("vqacc.wen")), big);
    EXPECT_EQ(c.RemoteSize(QStringLiteral("02"), QStringLiteral("vqacc.wen")), qint64(1) << 32);
    QFile::remove(root + QStringLiteral("/01/vqacc.wen"));
    QFile::remove(root + QStringLiteral("/02/vqacc.wen"));
}

} // namespace
