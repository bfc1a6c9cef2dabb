#include "core/EnvUtils.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

TEST(EnvUtils, FrameCorrection)
{
    struct Case { int height, kind, frame, expected; };
    const Case cases[] = {{300, 1, 5, 296}, {300, 0, 5, 298}, {300, 1, 4, 300}, {300, 1, 3, 300}, {300, 2, 5, 300}};
    for (const Case &c : cases) EXPECT_EQ(GetSysMetric(c.height, c.kind, c.frame), c.expected);
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
