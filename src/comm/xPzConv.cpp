#include "comm/xPzConv.h"

#include "core/SjisText.h"
#include "platform/Cp932.h"

TxPzConv::TxPzConv(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("PzConv1"));
}

char TxPzConv::SixBitsToChar(int value)
{
    if (value < 0) value = 64;
    if (value < 26) return char('A' + value);
    if (value < 52) return char('a' + value - 26);
    if (value < 62) return char('0' + value - 52);
    if (value == 62) return '+';
    if (value == 63) return '/';
    return '=';
}

int TxPzConv::CharToSixBits(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 64;
}

QByteArray TxPzConv::EncodeBase64(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        out += SixBitsToChar(p[i] >> 2);
        out += SixBitsToChar(((p[i] & 0x03) << 4) | (p[i + 1] >> 4));
        out += SixBitsToChar(((p[i + 1] & 0x0F) << 2) | (p[i + 2] >> 6));
        out += SixBitsToChar(p[i + 2] & 0x3F);
    }
    if (n - i == 1) {
        out += SixBitsToChar(p[i] >> 2);
        out += SixBitsToChar((p[i] & 0x03) << 4);
        out += "==";
    } else if (n - i == 2) {
        out += SixBitsToChar(p[i] >> 2);
        out += SixBitsToChar(((p[i] & 0x03) << 4) | (p[i + 1] >> 4));
        out += SixBitsToChar((p[i + 1] & 0x0F) << 2);
        out += '=';
    }
    return out;
}

QByteArray TxPzConv::DecodeBase64(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() / 4 * 3);
    for (qsizetype i = 0; i + 4 <= text.size(); i += 4) {
        const int c1 = CharToSixBits(text[i]);
        const int c2 = CharToSixBits(text[i + 1]);
        const int c3 = CharToSixBits(text[i + 2]);
        const int c4 = CharToSixBits(text[i + 3]);
        const auto b1 = static_cast<unsigned char>((c1 << 2) | ((c2 & 0x30) >> 4));
        const auto b2 = static_cast<unsigned char>(((c2 & 0x0F) << 4) | ((c3 & 0x3C) >> 2));
        const auto b3 = static_cast<unsigned char>(((c3 & 0x03) << 6) | (c4 & 0x3F));
        out += char(b1);
        if (b2 != 0) out += char(b2);
        if (b3 != 0) out += char(b3);
    }
    return out;
}

QByteArray EscapeQueryValue(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size() + 8);
    for (const char c : value) {
        if (c == '+')
            out += "%2b";
        else if (c == '=')
            out += "%3d";
        else
            out += c;
    }
    return out;
}

QByteArray PercentEncodeQueryValue(const QString &value)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = platform::toCp932(value);
    QByteArray out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

QByteArray EncodeDataName(const QByteArray &cp932)
{
    return TxPzConv::EncodeBase64(RepairSjisTail(cp932));
}

QByteArray EncodeDataName(const QString &name)
{
    return EncodeDataName(platform::toCp932(name));
}

QString DecodeDataName(const QByteArray &stored)
{
    return platform::fromCp932(RepairSjisTail(TxPzConv::DecodeBase64(stored)));
}
