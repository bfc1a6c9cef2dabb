#include "framework/WindowUtils.h"

#include <gtest/gtest.h>

#include <QWidget>

TEST(WindowUtils, ScalingAndGreys)
{
    EXPECT_EQ(ScaleByDpi(100, 120, 96), 125);
    EXPECT_EQ(ScaleByDpi(99, 96, 120), 79);
    EXPECT_EQ(ScaleByDpi(77, 96, 96), 77);

    EXPECT_EQ(RgbToGray(RGBColor(255, 0, 0)), RGBColor(85, 85, 85));
    EXPECT_EQ(RgbToGray(clWhite), clWhite);
    EXPECT_EQ(RgbToGray(clBlack), clBlack);
    EXPECT_EQ(RgbToGray(RGBColor(10, 20, 31)), RGBColor(20, 20, 20));
}

TEST(WindowUtils, FindsOwnTopLevelWindows)
{
    QWidget w;
    w.setWindowTitle(QStringLiteral("連動ﾃﾞｰﾀの作成"));
    EXPECT_EQ(FindWindowByName(QStringLiteral("QWidget"), QStringLiteral("連動ﾃﾞｰﾀの作成")), &w);
    EXPECT_EQ(FindWindowByName(QString(), QStringLiteral("連動ﾃﾞｰﾀの作成")), &w);
    EXPECT_EQ(FindWindowByName(QString(), QString()), nullptr);
    EXPECT_EQ(FindWindowByName(QStringLiteral("desktop"), QString()), nullptr);
}
