#pragma once
// The one handler of database errors: it logs the failure to "ErrFbAccess.log"
// (and the last one alone to "ErrFbAccess.txt") in the log folder, explains the
// status code in Japanese, shows one error box, and ends the application when
// the connection to the database server is gone.
#include <QString>

#include <exception>
#include <functional>

class FbError;

void ShowIBError(const FbError &error, const QString &operation, QString description, bool reconnect = false);

// The one error path of an operation: a database error goes to the handler
// above under the operation's name ("Class.Method"), any other error to the
// error box with the description and the error's message as its detail.
void reportError(const std::exception &error, const QString &operation, const QString &description, bool reconnect = true);

// For a handler of an operation that reports its failures only when asked:
// with `report` the error is reported through reportError and false is
// answered; without, the error being handled is thrown on to the caller.
bool reportOrRethrow(bool report, const std::exception &error, const QString &operation, const QString &description);

// The Japanese explanation of a status code; " " when there is none.
QString GetIBErrorText(long statusCode, int sqlCode);

// Set once the server connection is lost; later errors are then silent.
bool ConnectionLost();
void ResetConnectionLost(); // for tests

// How the application is asked to end (the default quits the event loop).
void SetTerminateHook(std::function<void()> hook);

// The process-wide data version text written into the log (never filled here).
extern QString DataVersionText;

// The current local time (tests replace it).
void SetErrorLogClock(std::function<class QDateTime()> clock);
