#pragma once
// A read-buffered file stream, the search for a byte string in a file and the
// in-place patch that reads the information block appended to a backup file
// and cuts it off again.
#include <QByteArray>
#include <QFile>
#include <QString>

class TBufFileStream
{
public:
    enum SeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

    // Opens the file (throws platform::Error naming it when it cannot) with a
    // read buffer of bufferKb kilobytes.
    TBufFileStream(const QString &fileName, QIODevice::OpenMode mode, quint8 bufferKb);
    ~TBufFileStream();
    TBufFileStream(const TBufFileStream &) = delete;
    TBufFileStream &operator=(const TBufFileStream &) = delete;

    // Delivers up to count bytes from the buffer, refilling it from the file;
    // 0 at the end. A count beyond the buffer size throws
    // "バッファの大きさを越えています。".
    qint64 Read(char *buffer, qint64 count);
    // Writes straight to the file at its own position (not to be mixed with reads).
    qint64 Write(const char *buffer, qint64 count);
    // Moves to an offset (soCurrent counts from the next byte Read delivers)
    // and empties the buffer; returns the new offset.
    qint64 Seek(qint64 offset, SeekOrigin origin);
    qint64 Position() const { return m_logical; }
    qint64 Size() const { return m_file.size(); }
    qint64 BufferSize() const { return m_buffer.size(); }

    static bool SameBytes(const char *a, const char *b, qint64 n);

private:
    QFile m_file;
    QByteArray m_buffer;
    qint64 m_count = 0;   // valid bytes in the buffer
    qint64 m_pos = 0;     // next byte of the buffer to deliver
    qint64 m_logical = 0; // file offset of that byte
};

// The offset of the last occurrence of text in the file at an offset above 0,
// or -1. found gets up to 512 bytes from there, ending before a zero byte.
// The information block is always appended at the very end, so backup data
// that happens to hold the same bytes earlier is passed over.
qint64 FindTextInFile(const QString &file, const QByteArray &text, QByteArray &found);

// Finds the marker as FindTextInFile does; found gets the block from the
// marker on (empty when there is none). With truncate the file is cut in
// front of the marker, in place: the file never goes missing meanwhile.
// Throws platform::Error when the file cannot be read or cut.
void PatchFile(const QString &file, const QByteArray &marker, QByteArray &found, bool truncate);
