#pragma once
// Screen fonts: the Windows font names that settings and layouts carry are
// drawn with the Japanese font installed here.
#include <QFont>
#include <QString>

// The installed family that stands in for a Windows font name ("ＭＳ Ｐゴシック",
// "ＭＳ 明朝", "MS UI Gothic", "メイリオ", ...); other names are returned unchanged.
QString MapWindowsFontName(const QString &name);

// A font from a Windows name and a height in pixels (negative, as layouts give it)
// or a point size (positive).
QFont MakeFont(const QString &windowsName, int height);

// The design font of the framework's screens: "ＭＳ Ｐゴシック", height -13 (10 points).
QFont DesignFont();
inline constexpr int DesignFontPoints = 10;
