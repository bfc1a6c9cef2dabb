#pragma once
// Start-up of the program: the single-instance marks, the command line of a
// calling program, the environment (folders, names, connection settings) and
// the version test.
#include "platform/NamedLock.h"

#include <QString>
#include <QStringList>

// The three marks, in the order they are tested, with the message for each.
struct InstanceMark {
    const char *name;
    const char16_t *message;
};
extern const InstanceMark InstanceMarks[3];

// Tests the marks in order; on a hit shows its message and returns false.
// Otherwise takes this program's mark (held by own) and returns true. A lock
// folder that cannot be used is an error of its own, naming the folder.
bool CheckSingleInstance(platform::NamedLock &own);

// The command line of a calling program: "handle,message,number,file".
struct CallerInfo {
    QString handle;   // names the caller's channel; empty without a caller
    int message = 0;
    int number = 0;
    QString file;
    bool hasCaller() const { return !handle.isEmpty() && handle != u"0"; }
};
// No argument: no caller. One argument: its four fields (missing ones empty).
// More than one: false.
bool ParseCommandLine(const QStringList &arguments, CallerInfo &caller);

// Whether the installed version (up to three numbers) reaches the required one.
bool CompareVersion(const QString &installed, const QString &required);

// Folders, names and connection settings into the system record; the default
// application ini is written when it is missing. Throws platform::Error with
// the text to show.
void InitEnvironment();

// The environment and the data module; on failure shows the start-up failure
// text and returns false.
bool InitApplication();
