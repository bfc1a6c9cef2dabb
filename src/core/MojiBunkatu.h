#pragma once
// Cuts one line of text into items: at a delimiter (comma by default, double-quote
// quoting, blanks outside quotes also separate), or into pieces of a fixed byte
// width that never split a double-byte character.
#include <QString>
#include <QStringList>

using TMojiArray = QStringList;

class TMojiBunkatu
{
public:
    TMojiBunkatu() = default;

    void Split(const QString &text);
    void SplitFixed(const QString &text, int width);
    QString Item(int i) const;
    void Clear();

    const TMojiArray &Items() const { return m_items; }

    QChar Delimiter = u',';
    int Count = 0;

private:
    void setItems(const QStringList &items);
    TMojiArray m_items;
};
