#include "dbaccess/EnvUtils.h"
#include "dbaccess/Globals.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

TEST(EnvUtils, Arithmetic)
{
    EXPECT_EQ(ScaleByDpi(100, 120, 96), 125);
    EXPECT_EQ(ScaleByDpi(99, 96, 120), 79);
    EXPECT_EQ(ScaleByDpi(77, 96, 96), 77);

    struct Case { int height, kind, frame, expected; };
    const Case cases[] = {{300, 1, 5, 296}, {300, 0, 5, 298}, {300, 1, 4, 300}, {300, 1, 3, 300}, {300, 2, 5, 300}};
    for (const Case &c : cases) EXPECT_EQ(GetSysMetric(c.height, c.kind, c.frame), c.expected);

    EXPECT_EQ(RgbToGray(RGBColor(255, 0, 0)), RGBColor(85, 85, 85));
    EXPECT_EQ(RgbToGray(clWhite), clWhite);
    EXPECT_EQ(RgbToGray(clBlack), clBlack);
    EXPECT_EQ(RgbToGray(RGBColor(10, 20, 31)), RGBColor(20, 20, 20));
}

TEST(EnvUtils, ComputerNameFollowsConnectionMode)
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
    EXPECT_FALSE(GetLogonUserName().isEmpty());
}

TEST(EnvUtils, WaitKeepsTheEventLoopRunning)
{
    bool fired = false;
    QTimer::singleShot(5, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(WaitMs(30));
    EXPECT_GE(t.elapsed(), 30);
    EXPECT_TRUE(fired);
}

TEST(EnvUtils, FindsOwnTopLevelWindows)
{
    QWidget w;
    w.setWindowTitle(QStringLiteral("連動ﾃﾞｰﾀの作成"));
    EXPECT_EQ(FindWindowByName(QStringLiteral("QWidget"), QStringLiteral("連動ﾃﾞｰﾀの作成")), &w);
    EXPECT_EQ(FindWindowByName(QString(), QStringLiteral("連動ﾃﾞｰﾀの作成")), &w);
    EXPECT_EQ(FindWindowByName(QString(), QString()), nullptr);
    EXPECT_EQ(FindWindowByName(QStringLiteral("desktop"), QString()), nullptr);
}
