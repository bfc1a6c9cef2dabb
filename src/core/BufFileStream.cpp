#include "core/BufFileStream.h"

#include "platform/Error.h"

#include <cstring>

TBufFileStream::TBufFileStream(const QString &fileName, QIODevice::OpenMode mode, quint8 bufferKb)
    : m_file(fileName)
{
    if (!m_file.open(mode))
        throw platform::Error(QStringLiteral("%1 を開けません。(%2)").arg(fileName, m_file.errorString()));
    m_buffer.resize(qint64(bufferKb) * 1024);
}

TBufFileStream::~TBufFileStream() = default;

qint64 TBufFileStream::Read(char *buffer, qint64 count)
{
    if (count > m_buffer.size()) throw platform::Error(QStringLiteral("バッファの大きさを越えています。"));
    if (count <= 0) return 0;
    if (m_count == 0) {
        const qint64 n = m_file.read(m_buffer.data(), m_buffer.size());
        m_count = n > 0 ? n : 0;
        m_pos = 0;
        if (m_count == 0) return 0;
    } else if (m_count - m_pos < count) {
        const qint64 remaining = m_count - m_pos;
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(remaining));
        const qint64 n = m_file.read(m_buffer.data() + remaining, m_buffer.size() - remaining);
        m_count = remaining + (n > 0 ? n : 0);
        m_pos = 0;
        if (m_count == 0) return 0;
    }
    const qint64 n = qMin(count, m_count - m_pos);
    std::memcpy(buffer, m_buffer.constData() + m_pos, size_t(n));
    m_pos += n;
    m_logical += n;
    return n;
}

qint64 TBufFileStream::Write(const char *buffer, qint64 count)
{
    const qint64 n = m_file.write(buffer, count);
    return n < 0 ? 0 : n;
}

qint64 TBufFileStream::Seek(qint64 offset, SeekOrigin origin)
{
    qint64 target = offset;
    if (origin == soCurrent) target = m_logical + offset;
    else if (origin == soEnd) target = m_file.size() + offset;
    if (target < 0) target = 0;
    m_file.seek(target);
    m_pos = 0;
    m_count = 0;
    m_logical = target;
    return target;
}

bool TBufFileStream::SameBytes(const char *a, const char *b, qint64 n)
{
    return n <= 0 || std::memcmp(a, b, size_t(n)) == 0;
}

qint64 FindTextInFile(const QString &file, const QByteArray &text, QByteArray &found)
{
    found.clear();
    if (text.isEmpty()) return -1;
    TBufFileStream in(file, QIODevice::ReadOnly, 64);
    const qint64 size = in.Size();
    const qint64 block = in.BufferSize();
    const qint64 overlap = text.size() - 1;
    // Backwards from the end, in blocks that overlap by the text's length
    // less one byte, so an occurrence across two blocks is seen whole.
    qint64 end = size;
    qint64 offset = -1;
    QByteArray chunk;
    while (end > 0) {
        const qint64 start = qMax<qint64>(0, end - block);
        const qint64 len = qMin(size, end + overlap) - start;
        chunk.resize(len);
        in.Seek(start, TBufFileStream::soBeginning);
        qint64 got = 0;
        while (got < len) {
            const qint64 n = in.Read(chunk.data() + got, qMin(block, len - got));
            if (n <= 0) break;
            got += n;
        }
        chunk.truncate(got);
        const qsizetype i = chunk.lastIndexOf(text);
        if (i >= 0 && start + i > 0) {
            offset = start + i;
            break;
        }
        if (i == 0 && start == 0) break; // only at offset 0, which does not count
        end = start;
    }
    if (offset < 0) return -1;
    in.Seek(offset, TBufFileStream::soBeginning);
    QByteArray head(512, '\0');
    const qint64 n = in.Read(head.data(), 512);
    head.truncate(qMax<qint64>(n, 0));
    const qsizetype zero = head.indexOf('\0');
    if (zero >= 0) head.truncate(zero);
    found = head;
    return offset;
}

void PatchFile(const QString &file, const QByteArray &marker, QByteArray &found, bool truncate)
{
    found.clear();
    const qint64 offset = FindTextInFile(file, marker, found);
    if (offset <= 0 || !truncate) return;
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite) || !f.resize(offset))
        throw platform::Error(QStringLiteral("%1 の情報を切り取れません。(%2)").arg(file, f.errorString()));
    f.flush();
}
