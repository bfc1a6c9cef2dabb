#pragma once
// The machine and the window system: names, versions, activation, waiting
// with the interface alive, and screen scaling.
#include <QString>

class QWidget;

// Colours as the accounting family stores them: 0x00BBGGRR, or a system colour
// with the high bit set (0x80000000 + index).
using TColor = qint32;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
TColor RGBColor(int r, int g, int b);
// A system colour resolved through the palette; a plain colour unchanged.
TColor ColorToRGB(TColor color);

QString GetPcName();
QString GetLogonUserName();
int GetWinMajorVersion();
void ForceForegroundWindow(QWidget *window);
void FlushInputMessages(QWidget *window);
bool WaitMs(int milliseconds);
int ScaleByDpi(int value, int ppiB, int ppiC);
// The frame thickness of the window system's sizing frame.
int SystemFrameThickness();
int GetSysMetric(int height, int kind, int frameThickness);
inline int GetSysMetric(int height, int kind) { return GetSysMetric(height, kind, SystemFrameThickness()); }
TColor RgbToGray(TColor color);
QWidget *FindWindowByName(const QString &className, const QString &windowName);
