#pragma once
// The writer of the intermediate file: a small element tree built in document
// order and saved with the declaration's encoding. "Shift_JIS" is written as
// code page 932 bytes, so that ① ㈱ ～ survive; a text that code page 932
// cannot hold fails the save instead of being altered, and so does a character
// XML 1.0 cannot carry (control characters other than TAB, LF and CR, U+FFFE,
// U+FFFF, half a surrogate pair). Such a failure names the element and its
// record ("REPORT/DATA/…/TEIGAKU_MEISAI_19[line=3]/TEIGAKU_MEISAI_19_0300").
//
// A large document need not be held: after StreamTo(path) every element is
// written to the file as it is added (elements must then be added in document
// order, each to an element still open), and SaveToFile(path) finishes the
// file. The file is the one the tree would give, byte for byte, and the
// failures are the same, raised at the same point: nothing is thrown for a
// character or a write while the elements are added; SaveToFile throws the
// first and replaces nothing, and a document dropped unsaved leaves no file.
#include <QString>

#include <QStringList>

#include <deque>
#include <memory>
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

    // Writes the elements to the file as they are added, from the root on
    // (called before CreateRoot); the file is replaced by SaveToFile(path).
    void StreamTo(const QString &path);
    bool Streaming() const { return bool(m_stream); }

    // The whole document as text (declaration, CR LF, then the elements without whitespace).
    // Throws platform::Error for a character XML cannot carry. Not when streaming.
    QString ToText() const;
    // Encodes and writes the document; the file is replaced only when complete,
    // and nothing is written when it fails. Throws platform::Error (a character
    // the encoding or XML cannot hold, a file that cannot be written and why).
    // A streamed document is finished: the path is the one it streams to.
    void SaveToFile(const QString &path) const;

    // The elements added, text children of rows among them.
    size_t NodeCount() const { return m_count; }

    class Writer; // the serialiser, shared by the tree and the stream

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
    // A streamed element: checks the order, then writes it (a failure is kept for SaveToFile).
    Node stream(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                const QString *text, const Row *row);
    // Writes the tree in document order.
    void writeTree(Writer &w) const;
    QString declaration() const;
    bool cp932() const;

    QString m_version, m_standalone, m_encoding;
    std::deque<Element> m_nodes; // grows without moving what it holds
    std::vector<std::pair<QString, QString>> m_attrs; // name, value
    std::deque<Row> m_rows;
    int m_root = -1;
    size_t m_count = 0;

    // Streaming: the writer (which keeps the first failure), the path, the next element's handle.
    std::shared_ptr<Writer> m_stream;
    QString m_streamPath;
    int m_nextNode = 0;
};
