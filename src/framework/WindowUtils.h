#pragma once
// The window system: system colours, activation, pending input, screen
// scaling and the program's own windows by name.
#include "core/EnvUtils.h"

class QWidget;

// A system colour resolved through the palette; a plain colour unchanged.
TColor ColorToRGB(TColor color);
TColor RgbToGray(TColor color);
void ForceForegroundWindow(QWidget *window);
void FlushInputMessages(QWidget *window);
// A value designed at ppiB shown at ppiC (0: the screen's).
int ScaleByDpi(int value, int ppiB, int ppiC);
// The frame thickness of the window system's sizing frame.
int SystemFrameThickness();
inline int GetSysMetric(int height, int kind) { return GetSysMetric(height, kind, SystemFrameThickness()); }
QWidget *FindWindowByName(const QString &className, const QString &windowName);
