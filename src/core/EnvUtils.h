#pragma once
// The machine: names, versions, waiting with the event loop alive, and the
// colour values the accounting family stores.
#include <QString>

// Colours as the accounting family stores them: 0x00BBGGRR, or a system colour
// with the high bit set (0x80000000 + index).
using TColor = qint32;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
TColor RGBColor(int r, int g, int b);

QString GetLogonUserName();
int GetWinMajorVersion();
bool WaitMs(int milliseconds);
// A height corrected for a sizing frame of the given thickness (kind 0: one
// frame, 1: two frames).
int GetSysMetric(int height, int kind, int frameThickness);
