#include "platform/ForeignWindows.h"

namespace platform {

namespace {
ForeignWindows g_default;
ForeignWindows *g_installed = nullptr;
} // namespace

bool ForeignWindows::exists(const QString &) const
{
    return false;
}

ForeignWindows &ForeignWindows::instance()
{
    return g_installed ? *g_installed : g_default;
}

void ForeignWindows::install(ForeignWindows *windows)
{
    g_installed = windows;
}

} // namespace platform
