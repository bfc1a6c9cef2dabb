#pragma once
// Why a file could not be written, in the words the program's messages use:
// every writer of a file (ini files, the intermediate file, the file page's
// check) says the same thing for the same cause.
#include "platform/Error.h"

#include <QString>

namespace platform {

// A failed write: the message says where and why; the error number is kept
// for a caller that words it its own way.
class WriteError : public Error
{
public:
    WriteError(const QString &path, int errnum);
    int errnum() const { return m_errnum; }

private:
    int m_errnum;
};

// The reason for an error number of a failed open, write, sync or rename
// ("ディスクの空き容量が足りません", ...), without a closing "。".
QString writeFailureReason(int errnum);

// "<path> に書き込めません。(<reason>)"
QString writeFailureMessage(const QString &path, int errnum);

} // namespace platform
