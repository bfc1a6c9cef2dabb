#include "core/EnvUtils.h"

#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

TColor RGBColor(int r, int g, int b)
{
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

QString GetLogonUserName()
{
    return platform::logonUserName();
}

int GetWinMajorVersion()
{
    // This system guards its root folder as the versions from 6 on do, so it
    // never counts as an older one unless SOLTEA_OS_MAJOR says so.
    const int v = platform::osMajorVersion();
    return qEnvironmentVariableIsSet("SOLTEA_OS_MAJOR") ? v : qMax(v, 6);
}

bool WaitMs(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return true;
}

int GetSysMetric(int height, int kind, int f)
{
    if (2 * f == 8 || 2 * f <= 6) return height;
    switch (kind) {
    case 0: return height - 2 * f + 8;
    case 1: return height - 4 * f + 16;
    default: return height;
    }
}
