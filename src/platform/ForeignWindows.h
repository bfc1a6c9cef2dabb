#pragma once
// Whether another program shows a window with a given title. Linux has no
// general way to see other programs' windows (none under Wayland or without a
// screen), so the default answers "no such window"; a desktop that can tell
// installs its own answer.
#include <QString>

namespace platform {

class ForeignWindows
{
public:
    virtual ~ForeignWindows() = default;
    virtual bool exists(const QString &title) const;

    // The installed answer (the default one until another is installed).
    static ForeignWindows &instance();
    // Installs an answer (nullptr: the default again); the caller keeps ownership.
    static void install(ForeignWindows *windows);
};

} // namespace platform
