#pragma once
// What the backup and restore operations of the data module need around the
// engine: the command-line backup tool, engine calls that keep the window
// alive, and a move that replaces its target in one step.
//
// Threading rule: the data module's connections are used on the main thread
// only. A self-contained engine call (a services action on its own service
// attachment, or a tool process) runs on a worker thread while the main
// thread keeps processing events, so windows paint and buttons answer; it
// touches no connection of the data module.
#include <QString>
#include <QStringList>

#include <functional>

namespace backuptool {

// The tool: the path set with setGbakPath, else "gbak" beside the program,
// on the PATH, or in the engine's installation; empty when there is none.
void setGbakPath(const QString &path);
QString gbakPath();

// Called with the tool's process id once it runs (tests stop it on purpose).
void setToolStartedHook(std::function<void(qint64 pid)> hook);

// Runs gbak with the arguments, the database user's password given in its
// environment (never on its command line, which the process list shows).
// Throws platform::Error: notStarted when it cannot be started; failed
// followed by the log and the tool's own output when the log holds "ERROR"
// or the tool did not end normally.
void runGbak(const QStringList &arguments, const QString &logPath, const QString &notStarted, const QString &failed);

// Runs the call on a worker thread and returns when it has ended, processing
// events meanwhile; an error it raised is raised again here. Without an
// event loop to keep alive the call runs directly.
void runEngineCall(const std::function<void()> &call);

// Puts source in place of target in one step (a rename over it; across file
// systems a complete copy beside the target renamed over it, then the source
// removed). Throws platform::Error with the reason.
void moveOver(const QString &source, const QString &target);

// The name of a work file beside path: its base name with the extension.
QString workName(const QString &path, const QString &extension);

} // namespace backuptool
