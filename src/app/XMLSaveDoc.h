#pragma once
// The writer of the intermediate file: a small element tree built in document
// order and saved with the declaration's encoding. "Shift_JIS" is written as
// code page 932 bytes, so that ① ㈱ ～ survive; a text that code page 932
// cannot hold fails the save instead of being altered, and so does a character
// XML 1.0 cannot carry (control characters other than TAB, LF and CR, U+FFFE,
// U+FFFF, half a surrogate pair). Such a failure names the element and its
// record ("REPORT/DATA/…/TEIGAKU_MEISAI_19[line=3]/TEIGAKU_MEISAI_19_0300").
#include <QString>

#include <QStringList>

#include <deque>
#include <memory>
#include <functional>
#include <vector>

class TXmlSaveDoc
{
public:
    using Node = int; // handle of an element; -1 is none

    TXmlSaveDoc(const QString &version, const QString &standalone, const QString &encoding);

    Node CreateRoot(const QString &name, const QString &nameSpace = QString());
    // An empty child of the parent (none: of the root element), with one attribute when its name is given.
    Node AddNode(Node parent, const QString &name, const QString &attrValue = QString(), const QString &attrName = QString());
    // A child element holding a text (an empty text gives an empty element).
    void AddTextNode(Node parent, const QString &name, const QString &attrValue, const QString &attrName, const QString &text);

    // A child element whose children are text elements, one per name, in order:
    // a table row. The names are shared by every row of a table.
    void AddTextRow(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                    std::shared_ptr<const QStringList> childNames, std::vector<QString> texts);

    // The whole document as text (declaration, CR LF, then the elements without whitespace).
    // Throws platform::Error for a character XML cannot carry.
    QString ToText() const;
    // Encodes and writes the document; the file is replaced only when complete,
    // and nothing is written when it fails. Throws platform::Error (a character
    // the encoding or XML cannot hold, a file that cannot be written and why).
    void SaveToFile(const QString &path) const;

    size_t NodeCount() const;

private:
    // Kept small: a file of many thousand rows has millions of elements.
    struct Element {
        QString name;
        QString text;
        int firstChild = -1, lastChild = -1, next = -1;
        int attr = -1; // index into m_attrs
        int row = -1;  // index into m_rows: text children held compactly
    };
    struct Row {
        std::shared_ptr<const QStringList> names;
        std::vector<QString> texts;
    };
    Node append(Node parent, const QString &name, const QString &attrValue, const QString &attrName);
    void write(QString &out, int index, const std::function<void(QString &)> &flush) const;
    // An element as a message names it: its name, and its attribute as "[name=value]".
    QString label(int node) const;
    QString pathOf(const std::vector<int> &ancestors, int node, const QString &rowChild) const;
    // The path of the first element (in document order) with a name or text the predicate holds for.
    QString locate(const std::function<bool(const QString &)> &holds) const;
    QString declaration() const;

    QString m_version, m_standalone, m_encoding;
    std::deque<Element> m_nodes; // grows without moving what it holds
    std::vector<std::pair<QString, QString>> m_attrs; // name, value
    std::deque<Row> m_rows;
    int m_root = -1;
};
