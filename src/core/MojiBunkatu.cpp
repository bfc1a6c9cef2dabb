#include "core/MojiBunkatu.h"

#include "core/SjisText.h"
#include "platform/Cp932.h"

namespace {

inline bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

} // namespace

void TMojiBunkatu::setItems(const QStringList &items)
{
    m_items = items;
    if (m_items.isEmpty()) m_items << QString();
    Count = static_cast<int>(m_items.size());
}

void TMojiBunkatu::Split(const QString &whole)
{
    // The text ends at a NUL character, as a zero-terminated text does.
    const qsizetype nul = whole.indexOf(QChar(0));
    const QString text = nul >= 0 ? whole.left(nul) : whole;
    QStringList items;
    const qsizetype n = text.size();
    qsizetype p = 0;
    while (p < n && isBlank(text[p])) ++p;
    while (p < n) {
        QString item;
        if (text[p] == u'"') {
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        item += u'"';
                        p += 2;
                        continue;
                    }
                    ++p; // past the closing quote
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > 32 && text[p] != Delimiter) ++p;
            item = text.mid(start, p - start);
        }
        items << item;
        while (p < n && isBlank(text[p])) ++p;
        if (p < n && text[p] == Delimiter) {
            if (p == n - 1) items << QString();
            ++p;
            while (p < n && isBlank(text[p])) ++p;
        }
    }
    setItems(items);
}

void TMojiBunkatu::SplitFixed(const QString &text, int width)
{
    QStringList items;
    const QByteArray bytes = platform::toCp932(text);
    const qsizetype len = bytes.size();
    if (width >= 1) {
        qsizetype p = 1;
        while (p <= len) {
            qsizetype take = width;
            if (width >= 2 && p + width - 1 <= len && IsSjisCut(bytes, static_cast<int>(p + width - 1)))
                take = width - 1;
            items << platform::fromCp932(bytes.mid(p - 1, take));
            p += take;
        }
    }
    setItems(items);
}

QString TMojiBunkatu::Item(int i) const
{
    if (i < 0 || i >= Count || i >= m_items.size()) return QString();
    return m_items[i];
}

void TMojiBunkatu::Clear()
{
    m_items.clear();
    Count = 0;
}
