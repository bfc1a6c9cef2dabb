#include "core/EasyEncode.h"

#include "platform/Cp932.h"

#include <QByteArray>

namespace {

constexpr int AlphabetSize = 62;

// Walks the key bytes: each step adds the next byte to the running sum and wraps
// to the first byte after the last. An empty key leaves the sum at 0.
class KeySum
{
public:
    explicit KeySum(const QString &key) : m_key(platform::toCp932(key)) {}
    int next()
    {
        if (!m_key.isEmpty()) {
            m_sum += static_cast<unsigned char>(m_key[m_index]);
            if (++m_index >= m_key.size())
                m_index = 0;
        }
        return m_sum;
    }

private:
    QByteArray m_key;
    qsizetype m_index = 0;
    int m_sum = 0;
};

} // namespace

void ClearEasyEncodeInfo(TEasyEncodeInfo &info)
{
    info.EncodeLength = 0;
    info.PlainLength = 0;
    info.PlainText.clear();
    info.EncodeText.clear();
}

int EasyEncode(TEasyEncodeInfo &info)
{
    for (int i = 0; i < info.EncodeLength - info.PlainLength; ++i)
        info.PlainText += QChar(char16_t(u'A' + i % 26));

    info.EncodeText.clear();
    const qsizetype n = qMin<qsizetype>(info.PlainText.size(), EasyEncodeMaxLength);
    KeySum key(info.Key);
    for (qsizetype i = 0; i < n; ++i) {
        const int s = key.next();
        const qsizetype k = EasyEncodeAlphabet.indexOf(info.PlainText[i]);
        if (k < 0)
            return 0;
        info.EncodeText += EasyEncodeAlphabet[(k + s) % AlphabetSize];
    }
    return n == info.PlainText.size() ? 1 : 0;
}

bool EasyDecode(TEasyEncodeInfo &info)
{
    info.PlainText.clear();
    const qsizetype n = qMin<qsizetype>(info.EncodeText.size(), qMax(info.PlainLength, 0));
    KeySum key(info.Key);
    for (qsizetype i = 0; i < n; ++i) {
        const int s = key.next();
        const qsizetype k = EasyEncodeAlphabet.indexOf(info.EncodeText[i]);
        if (k < 0)
            return false;
        info.PlainText += EasyEncodeAlphabet[((k - s) % AlphabetSize + AlphabetSize) % AlphabetSize];
    }
    return true;
}
