// A lock held by another holder is told apart from a lock folder that cannot
// be used (not a folder, read-only).
#include "platform/NamedLock.h"
#include "support/TestEnv.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/mount.h>

using platform::NamedLock;
using State = NamedLock::State;

namespace {

class LockFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = qgetenv("SOLTEA_RUNTIME_DIR"); }
    void TearDown() override { qputenv("SOLTEA_RUNTIME_DIR", m_saved); }
    static void useFolder(const QString &dir) { qputenv("SOLTEA_RUNTIME_DIR", QFile::encodeName(dir)); }

private:
    QByteArray m_saved;
};

} // namespace

TEST_F(LockFolderTest, AFolderThatCanBeUsedTellsFreeFromHeld)
{
    const QString base = testenv::freshDir(QStringLiteral("lock-usable"));
    // An existing folder, and one that is missing and made on the first lock.
    for (const QString &dir : {base, base + QStringLiteral("/made/here")}) {
        useFolder(dir);
        EXPECT_EQ(NamedLock::folder(), dir);
        EXPECT_EQ(NamedLock::probe(QStringLiteral("T_FOLDER")), State::Free) << dir.toStdString();
        NamedLock first(QStringLiteral("T_FOLDER")), second(QStringLiteral("T_FOLDER"));
        EXPECT_EQ(first.acquire(), State::Free) << dir.toStdString();
        EXPECT_EQ(first.acquire(), State::Free); // already its own
        EXPECT_EQ(second.acquire(), State::Held);
        EXPECT_FALSE(second.isAcquired());
        EXPECT_EQ(NamedLock::probe(QStringLiteral("T_FOLDER")), State::Held);
        first.release();
        EXPECT_EQ(NamedLock::probe(QStringLiteral("T_FOLDER")), State::Free);
    }
}

TEST_F(LockFolderTest, APlainFileInPlaceOfTheFolderIsUnusable)
{
    const QString file = testenv::freshDir(QStringLiteral("lock-plain")) + QStringLiteral("/runtime");
    testenv::writeFile(file, "not a folder");
    for (const QString &dir : {file, file + QStringLiteral("/below")}) {
        useFolder(dir);
        EXPECT_EQ(NamedLock::probe(QStringLiteral("T_PLAIN")), State::Unusable) << dir.toStdString();
        EXPECT_FALSE(NamedLock::isHeld(QStringLiteral("T_PLAIN")));
        NamedLock lock(QStringLiteral("T_PLAIN"));
        EXPECT_EQ(lock.acquire(), State::Unusable) << dir.toStdString();
        EXPECT_FALSE(lock.tryAcquire());
        EXPECT_FALSE(lock.isAcquired());
    }
    EXPECT_EQ(testenv::readFile(file), QByteArray("not a folder"));
}

TEST_F(LockFolderTest, AReadOnlyFolderIsUnusableWhereTheLockFileIsMissing)
{
    TmpfsMount ro(testenv::freshDir(QStringLiteral("lock-ro")));
    if (!ro.mounted()) GTEST_SKIP() << "a read-only tmpfs cannot be mounted here (needs root and mount rights)";
    useFolder(ro.dir());
    // Nothing there: nobody holds it, but it cannot be taken either.
    EXPECT_EQ(NamedLock::probe(QStringLiteral("T_RO")), State::Free);
    NamedLock lock(QStringLiteral("T_RO"));
    EXPECT_EQ(lock.acquire(), State::Unusable);
    EXPECT_FALSE(lock.isAcquired());
}

TEST_F(LockFolderTest, ALockFileMadeBeforeTheFolderTurnedReadOnlyStillLocks)
{
    TmpfsMount volume(testenv::freshDir(QStringLiteral("lock-remount")), TmpfsMount::Writable);
    if (!volume.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and mount rights)";
    useFolder(volume.dir());
    {
        NamedLock once(QStringLiteral("T_KEPT"));
        ASSERT_EQ(once.acquire(), State::Free);
    }
    ASSERT_EQ(::mount(nullptr, QFile::encodeName(volume.dir()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    NamedLock first(QStringLiteral("T_KEPT")), second(QStringLiteral("T_KEPT"));
    EXPECT_EQ(first.acquire(), State::Free);
    EXPECT_EQ(second.acquire(), State::Held);
    EXPECT_EQ(NamedLock::probe(QStringLiteral("T_KEPT")), State::Held);
    NamedLock missing(QStringLiteral("T_NEW"));
    EXPECT_EQ(missing.acquire(), State::Unusable);
}
