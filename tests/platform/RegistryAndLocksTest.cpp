#include "platform/NamedLock.h"
#include "platform/RegistryStore.h"
#include "platform/StandardFolders.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QProcess>

using namespace platform;

TEST(RegistryStore, ReadsTextAndNumbersAndMissingAsInvalid)
{
    const QString key = QStringLiteral("\\SOFTWARE\\QUENTA\\DORVELZAIMU");
    RegistryStore::writeString(RegRoot::LocalMachine, key, QStringLiteral("ProductName"), QStringLiteral("Novaris財務"));
    RegistryStore::writeInteger(RegRoot::LocalMachine, key, QStringLiteral("Flag"), 1);
    EXPECT_TRUE(RegistryStore::storePath().startsWith(testenv::sandbox()));
    EXPECT_EQ(RegistryStore::read(RegRoot::LocalMachine, QStringLiteral("software\\quenta\\dorvelzaimu"), QStringLiteral("productname")),
              QVariant(QStringLiteral("Novaris財務")));
    EXPECT_EQ(RegistryStore::read(RegRoot::LocalMachine, key, QStringLiteral("Flag")), QVariant(1));
    EXPECT_FALSE(RegistryStore::read(RegRoot::LocalMachine, key, QStringLiteral("Nothing")).isValid());
    EXPECT_FALSE(RegistryStore::read(RegRoot::CurrentUser, key, QStringLiteral("Flag")).isValid());
    EXPECT_TRUE(RegistryStore::keyExists(RegRoot::LocalMachine, key));
}

TEST(NamedLock, OneHolderAtATimeAndFreedOnRelease)
{
    EXPECT_TRUE(NamedLock::lockPath(QStringLiteral("SOLTEA_RENDO")).startsWith(testenv::sandbox()));
    EXPECT_FALSE(NamedLock::isHeld(QStringLiteral("T_LOCK")));
    {
        NamedLock a(QStringLiteral("T_LOCK"));
        ASSERT_TRUE(a.tryAcquire());
        EXPECT_TRUE(NamedLock::isHeld(QStringLiteral("T_LOCK")));
        NamedLock b(QStringLiteral("T_LOCK"));
        EXPECT_FALSE(b.tryAcquire());
    }
    EXPECT_FALSE(NamedLock::isHeld(QStringLiteral("T_LOCK")));
}

TEST(NamedLock, SeenFromAnotherProcess)
{
    NamedLock a(QStringLiteral("T_CROSS"));
    ASSERT_TRUE(a.tryAcquire());
    // flock(1) from util-linux fails at once (-n) when the lock is held elsewhere.
    const int rc = QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), NamedLock::lockPath(QStringLiteral("T_CROSS")),
                                                              QStringLiteral("true")});
    if (rc == -2) GTEST_SKIP() << "flock tool not available";
    EXPECT_EQ(rc, 1);
    a.release();
    EXPECT_EQ(QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), NamedLock::lockPath(QStringLiteral("T_CROSS")),
                                                         QStringLiteral("true")}),
              0);
}

TEST(StandardFolders, EachFollowsItsEnvironmentOverride)
{
    for (const QString &dir : {commonAppDataDir(), userAppDataDir(), documentsDir(), desktopDir(), configDir(), runtimeDir()})
        EXPECT_TRUE(dir.startsWith(testenv::sandbox())) << dir.toStdString();
}
