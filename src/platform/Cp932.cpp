#include "platform/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

// iconv descriptors are not thread safe; conversions are short, so one lock suffices.
std::mutex g_mutex;

iconv_t encoder()
{
    static iconv_t cd = iconv_open("CP932", "UTF-8");
    return cd;
}

// Length of the UTF-8 sequence that starts with byte c.
int utf8SeqLen(unsigned char c)
{
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

} // namespace

QByteArray toCp932(QStringView text, bool *ok)
{
    if (ok) *ok = true;
    QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 8);
    if (in.isEmpty()) return out;

    std::lock_guard lock(g_mutex);
    iconv_t cd = encoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = in.data();
    size_t srcLeft = static_cast<size_t>(in.size());
    char buf[512];
    while (srcLeft > 0) {
        char *dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<qsizetype>(dst - buf));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // Unmappable or malformed: replace one character and go on.
            if (ok) *ok = false;
            out.append('?');
            size_t skip = std::min<size_t>(utf8SeqLen(static_cast<unsigned char>(*src)), srcLeft);
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

bool appendCp932(QStringView text, QByteArray &out)
{
    if (text.isEmpty()) return true;
    static iconv_t cd = iconv_open("CP932", "UTF-16LE");
    bool ok = true;
    std::lock_guard lock(g_mutex);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = reinterpret_cast<char *>(const_cast<QChar *>(text.data()));
    size_t srcLeft = size_t(text.size()) * 2;
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2 + 16);
    char *dst = out.data() + start;
    size_t dstLeft = size_t(out.size() - start);
    while (srcLeft > 0) {
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = size_t(out.size() - used);
            continue;
        }
        // Unmappable: one "?" for the character (two units for a surrogate pair).
        ok = false;
        if (dstLeft == 0) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() + 16);
            dst = out.data() + used;
            dstLeft = size_t(out.size() - used);
        }
        *dst++ = '?';
        --dstLeft;
        const char16_t unit = *reinterpret_cast<const char16_t *>(src);
        const size_t skip = (unit >= 0xD800 && unit <= 0xDBFF && srcLeft >= 4) ? 4 : 2;
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(dst - out.data());
    return ok;
}

QString fromCp932(const QByteArray &bytes)
{
    return fromCp932(bytes.constData(), bytes.size());
}

QString fromCp932(const char *data, qsizetype size)
{
    if (size <= 0) return QString();
    qsizetype ascii = 0;
    while (ascii < size && uchar(data[ascii]) < 0x80) ++ascii;
    if (ascii == size) return QString::fromLatin1(data, size);

    // Every byte or pair of bytes gives one UTF-16 unit (CP932 has nothing
    // beyond the basic plane), and so does each byte that is not CP932.
    QString out(size, Qt::Uninitialized);
    char16_t *units = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < ascii; ++i) units[i] = char16_t(uchar(data[i]));
    static iconv_t cd = iconv_open("UTF-16LE", "CP932");
    std::lock_guard lock(g_mutex);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = const_cast<char *>(data + ascii);
    size_t srcLeft = size_t(size - ascii);
    char *dst = reinterpret_cast<char *>(units + ascii);
    size_t dstLeft = size_t(size - ascii) * 2;
    while (srcLeft > 0) {
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (dstLeft < 2) break; // cannot happen: one unit per byte at most
        const char16_t replacement = 0xFFFD;
        std::memcpy(dst, &replacement, 2);
        dst += 2;
        dstLeft -= 2;
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(qsizetype(reinterpret_cast<char16_t *>(dst) - units));
    return out;
}

bool isCp932Encodable(QStringView text)
{
    bool ok = true;
    toCp932(text, &ok);
    return ok;
}

int cp932Length(QStringView text)
{
    return static_cast<int>(toCp932(text).size());
}

} // namespace platform
