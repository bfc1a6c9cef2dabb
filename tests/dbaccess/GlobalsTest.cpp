#include "dbaccess/Globals.h"

#include <gtest/gtest.h>

TEST(Globals, ComputerNameFollowsConnectionMode)
{
    const quint8 saved = ConnectMode;
    const QString savedUser = SystemDef.WinUserName;
    qputenv("SOLTEA_COMPUTERNAME", "PC01");
    ConnectMode = 0;
    EXPECT_EQ(GetPcName(), QStringLiteral("PC01"));
    ConnectMode = 2;
    SystemDef.WinUserName = QStringLiteral("tanaka");
    EXPECT_EQ(GetPcName(), QStringLiteral("tanaka"));
    SystemDef.WinUserName.clear();
    EXPECT_EQ(GetPcName(), QStringLiteral("ANONYMOUS"));
    ConnectMode = saved;
    SystemDef.WinUserName = savedUser;
    qunsetenv("SOLTEA_COMPUTERNAME");
}
