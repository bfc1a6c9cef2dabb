#include "support/TestEnv.h"

#include "support/FakeCaller.h"

#include "platform/CallerChannel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

TEST(CallerChannel, SendsTheCallersLines)
{
    const QString name = QStringLiteral("soltea-test-caller-%1").arg(QCoreApplication::applicationPid());
    FakeCaller caller(name);
    const platform::CallerChannel channel(name);
    ASSERT_TRUE(channel.active());
    EXPECT_TRUE(channel.disable());
    EXPECT_TRUE(channel.enable());
    EXPECT_TRUE(channel.foreground());
    EXPECT_TRUE(channel.post(1025, 7, 0));
    EXPECT_EQ(caller.lines(4), QStringList({QStringLiteral("DISABLE"), QStringLiteral("ENABLE"), QStringLiteral("FOREGROUND"),
                                            QStringLiteral("POST 1025 7 0")}));
}

TEST(CallerChannel, NoListenerIsNotAnError)
{
    const platform::CallerChannel nobody(QStringLiteral("soltea-nobody-listens"));
    EXPECT_FALSE(nobody.post(1, 2, 1));
    EXPECT_FALSE(platform::CallerChannel(QString()).active());
    EXPECT_FALSE(platform::CallerChannel(QStringLiteral("0")).active());
}
