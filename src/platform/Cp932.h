#pragma once
// Code page 932 (Windows Shift-JIS): the byte form of every text that leaves the
// program (ini files, logs, the intermediate XML, print data). Inside, text is QString.
#include <QByteArray>
#include <QString>

namespace platform {

// Encodes to CP932. A character CP932 cannot hold becomes "?" and *ok is set to
// false (true otherwise), so a caller can refuse the text instead of losing it.
QByteArray toCp932(QStringView text, bool *ok = nullptr);

// Appends the CP932 form of the text to out (which keeps its capacity between
// calls, for large documents written in pieces). False when a character has no
// CP932 form; it is written as "?".
bool appendCp932(QStringView text, QByteArray &out);

// Decodes CP932 bytes. A byte sequence that is not CP932 becomes U+FFFD.
QString fromCp932(const QByteArray &bytes);
// The same from a buffer (a database row, a file read): ASCII, which CP932
// leaves as it is, is copied without the code converter.
QString fromCp932(const char *data, qsizetype size);

// True when every character of the text has a CP932 form.
bool isCp932Encodable(QStringView text);

// Length of the CP932 form in bytes.
int cp932Length(QStringView text);

} // namespace platform
