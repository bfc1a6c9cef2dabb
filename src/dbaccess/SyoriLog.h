#pragma once
// The processing log of a take-in or send run: one entry per finding, with a
// level (0 none, 1 information, 2 warning, 3 error), a signed code and a
// message, and the run's result code read from it.
#include <QString>
#include <QVector>

struct TCorvenaSyoriInfo {
    QString ProcName;
    quint8 Level = 0;
    qint32 Code = 0;
    QString Message;
};

using TCorvenaSyoriLog = QVector<TCorvenaSyoriInfo>;

// The code of the first error entry; else 1 at the first entry with code 1;
// else the last entry's code; 0 for an empty log.
inline qint32 SyoriLogResultCode(const TCorvenaSyoriLog &log)
{
    for (const TCorvenaSyoriInfo &e : log) {
        if (e.Level == 3) return e.Code;
        if (e.Code == 1) return 1;
    }
    return log.isEmpty() ? 0 : log.last().Code;
}
