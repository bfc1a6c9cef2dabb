#include "app/XMLSaveDoc.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QSet>

namespace {

bool checkName(const QString &name)
{
    if (name.isEmpty()) return false;
    const QChar first = name.front();
    if (!(first.isLetter() || first == u'_' || first == u':')) return false;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u':')) return false;
    return true;
}

// Names repeat by the thousand: each distinct one is checked once.
bool validName(const QString &name)
{
    static thread_local QSet<QString> good;
    if (good.contains(name)) return true;
    if (!checkName(name)) return false;
    good.insert(name);
    return true;
}

// Whether the code unit at i starts a character XML 1.0 cannot carry: a control
// character other than TAB, LF and CR, U+FFFE, U+FFFF, or half a surrogate pair.
inline bool badAt(QStringView text, qsizetype i)
{
    const char16_t u = text[i].unicode();
    if (u < 0x20) return u != u'\t' && u != u'\n' && u != u'\r';
    if (u < 0xD800) return false;
    if (u <= 0xDBFF) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (u <= 0xDFFF) return i == 0 || !text[i - 1].isHighSurrogate();
    return u == 0xFFFE || u == 0xFFFF;
}

// The character starting at i as shown in a message: itself, or its code
// when it is invisible or broken.
QString shownChar(QStringView text, qsizetype i, bool invisible)
{
    if (invisible) return QStringLiteral("U+%1").arg(uint(text[i].unicode()), 4, 16, QLatin1Char('0')).toUpper();
    if (text[i].isHighSurrogate() && i + 1 < text.size()) return text.mid(i, 2).toString();
    return QString(text[i]);
}

QString invalidCharMessage(QStringView text, qsizetype i, const QString &where)
{
    return QStringLiteral("中間ファイルに書き込めない文字(%1)が含まれています。\r場所: %2").arg(shownChar(text, i, true), where);
}

QString unencodableCharMessage(QStringView text, qsizetype i, const QString &where)
{
    QString message = QStringLiteral("中間ファイルに書き込めない文字「%1」が含まれています。").arg(shownChar(text, i, false));
    if (!where.isEmpty()) message += QStringLiteral("\r場所: ") + where;
    return message;
}

// An element as a message names it: its name, and its attribute as "[name=value]".
QString label(const QString &name, const QString &attrName, const QString &attrValue)
{
    if (attrName.isEmpty()) return name;
    QString value = attrValue;
    for (qsizetype i = 0; i < value.size(); ++i)
        if (badAt(value, i)) value[i] = u'?';
    return QStringLiteral("%1[%2=%3]").arg(name, attrName, value);
}

const QString kOutOfOrder = QStringLiteral("XMLの要素が文書の順に追加されていません。");

} // namespace

// Serialises elements, in document order, into bytes of the document's
// encoding: code page 932 or UTF-8. The elements still open are kept (a start
// tag is completed by its first child, or closed as "<name/>" without one);
// the bytes go to a file in pieces, or stay in memory. A character that XML
// or the encoding cannot carry throws platform::Error naming its place.
class TXmlSaveDoc::Writer
{
public:
    explicit Writer(bool cp932) : m_cp932(cp932) { m_buf.reserve(kPiece + 4096); }

    // Into a file; throws when it cannot be made.
    void toFile(const QString &path)
    {
        m_file = std::make_unique<platform::AtomicFile>(path);
        m_file->open();
    }

    void declaration(const QString &text)
    {
        const Fault f = append(text, false, false);
        if (f.kind == Fault::Encoding) throw platform::Error(unencodableCharMessage(text, f.at, QString()));
        if (f.kind == Fault::Xml) throw platform::Error(invalidCharMessage(text, f.at, QString()));
    }

    bool isOpen(int id) const
    {
        for (const Open &o : m_open)
            if (o.id == id) return true;
        return false;
    }

    // An element under the open element parent (-1: the root, which nothing is open for).
    // With a text it is complete, with a row too (its text children), otherwise it stays
    // open for children of its own.
    void element(int id, int parent, const QString &name, const QString &attrName, const QString &attrValue,
                 const QString *text, const std::shared_ptr<const QStringList> *rowNames, const std::vector<QString> *rowTexts)
    {
        if (parent >= 0) {
            while (!m_open.empty() && m_open.back().id != parent) closeTop();
            if (m_open.empty()) throw platform::Error(kOutOfOrder);
            Open &p = m_open.back();
            if (p.pending) {
                m_buf += '>';
                p.pending = false;
            }
        } else if (!m_open.empty()) {
            throw platform::Error(kOutOfOrder);
        }
        const qsizetype mark = m_buf.size();
        m_buf += '<';
        const QByteArray tag = encodedName(name, attrName, attrValue);
        m_buf += tag;
        if (!attrName.isEmpty()) {
            m_buf += ' ';
            m_buf += encodedName(attrName, attrName, attrValue, &name);
            m_buf += "=\"";
            const Fault f = append(attrValue, true);
            if (f) refuse(f, attrValue, label(name, attrName, attrValue), QString(), mark);
            m_buf += '"';
        }
        if (rowTexts) {
            m_buf += '>';
            writeRow(name, attrName, attrValue, **rowNames, *rowTexts, mark);
            m_buf += "</";
            m_buf += tag;
            m_buf += '>';
        } else if (text) {
            if (text->isEmpty()) {
                m_buf += "/>";
            } else {
                m_buf += '>';
                const Fault f = append(*text, false);
                if (f) refuse(f, *text, label(name, attrName, attrValue), QString(), mark);
                m_buf += "</";
                m_buf += tag;
                m_buf += '>';
            }
        } else {
            m_open.push_back(Open{id, tag, label(name, attrName, attrValue), true});
        }
        if (m_file && m_buf.size() >= kPiece) flush();
    }

    // Closes every open element and ends the output: the file is replaced.
    void finish()
    {
        while (!m_open.empty()) closeTop();
        if (m_file) {
            flush();
            m_file->commit();
        }
    }

    QByteArray &bytes() { return m_buf; }

    // Streaming keeps the first failure for the save; the partial file goes at once.
    std::exception_ptr fault;
    void failed(std::exception_ptr e)
    {
        if (!fault) fault = std::move(e);
        m_open.clear();
        m_buf = QByteArray();
        if (m_file) {
            try {
                m_file->discard();
            } catch (...) {
            }
            m_file.reset();
        }
    }

private:
    static constexpr qsizetype kPiece = 1 << 20;

    struct Open {
        int id;
        QByteArray tag;
        QString label;
        bool pending; // "<name attr" written, ">" or "/>" not yet
    };
    struct Fault {
        enum Kind { None, Xml, Encoding } kind = None;
        qsizetype at = -1;
        explicit operator bool() const { return kind != None; }
    };

    void closeTop()
    {
        const Open &o = m_open.back();
        if (o.pending) {
            m_buf += "/>";
        } else {
            m_buf += "</";
            m_buf += o.tag;
            m_buf += '>';
        }
        m_open.pop_back();
    }

    void flush()
    {
        m_file->write(m_buf);
        m_buf.resize(0);
    }

    QString pathTo(const QString &node, const QString &rowChild) const
    {
        QStringList parts;
        for (const Open &o : m_open) parts << o.label;
        parts << node;
        if (!rowChild.isEmpty()) parts << rowChild;
        return parts.join(u'/');
    }

    [[noreturn]] void refuse(const Fault &f, QStringView text, const QString &node, const QString &rowChild, qsizetype mark)
    {
        m_buf.truncate(mark);
        const QString where = pathTo(node, rowChild);
        throw platform::Error(f.kind == Fault::Xml ? invalidCharMessage(text, f.at, where)
                                                   : unencodableCharMessage(text, f.at, where));
    }

    // A name in the encoding (names are valid XML names: only the encoding can refuse one).
    QByteArray encodedName(const QString &name, const QString &attrName, const QString &attrValue,
                           const QString *owner = nullptr)
    {
        QByteArray &out = m_name;
        out.resize(0);
        std::swap(out, m_buf);
        const Fault f = append(name, false);
        std::swap(out, m_buf);
        if (f) {
            const QString node = label(owner ? *owner : name, attrName, attrValue);
            refuse(f, name, node, QString(), m_buf.size());
        }
        return out;
    }

    void writeRow(const QString &name, const QString &attrName, const QString &attrValue, const QStringList &names,
                  const std::vector<QString> &texts, qsizetype mark)
    {
        const std::vector<ChildTags> &tags = childTags(names, name, attrName, attrValue, mark);
        for (size_t i = 0; i < texts.size(); ++i) {
            const ChildTags &t = tags[i];
            if (texts[i].isEmpty()) {
                m_buf += t.empty;
                continue;
            }
            m_buf += t.open;
            const Fault f = append(texts[i], false);
            if (f) refuse(f, texts[i], label(name, attrName, attrValue), names[qsizetype(i)], mark);
            m_buf += t.close;
        }
    }

    // The tags of a row's children, made once for the names every row of a table shares.
    struct ChildTags {
        QByteArray open, close, empty;
    };
    const std::vector<ChildTags> &childTags(const QStringList &names, const QString &name, const QString &attrName,
                                            const QString &attrValue, qsizetype mark)
    {
        if (&names == m_tagsFor && m_tagsOf == names) return m_tags;
        m_tags.clear();
        m_tagsFor = nullptr;
        for (const QString &child : names) {
            QByteArray &out = m_name;
            out.resize(0);
            std::swap(out, m_buf);
            const Fault f = append(child, false);
            std::swap(out, m_buf);
            if (f) refuse(f, child, label(name, attrName, attrValue), child, mark);
            m_tags.push_back({'<' + out + '>', "</" + out + '>', '<' + out + "/>"});
        }
        m_tagsFor = &names;
        m_tagsOf = names;
        return m_tags;
    }

    // Appends the text, escaped (but for the declaration), in the encoding; the first
    // character XML or the encoding cannot carry stops it (what was appended of the text is left).
    Fault append(QStringView text, bool attribute, bool escape = true)
    {
        const qsizetype n = text.size();
        const char16_t *u = text.utf16();
        qsizetype i = 0;
        while (i < n) {
            const char16_t c = u[i];
            if (c < 0x80) {
                const char *entity = nullptr;
                if (escape) {
                    if (c == u'&') entity = "&amp;";
                    else if (c == u'<') entity = "&lt;";
                    else if (c == u'>') entity = "&gt;";
                    else if (c == u'"' && attribute) entity = "&quot;";
                }
                if (entity) {
                    m_buf += entity;
                } else {
                    if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') return {Fault::Xml, i};
                    m_buf += char(c);
                }
                ++i;
                continue;
            }
            // A run of characters beyond ASCII, encoded at once.
            qsizetype j = i;
            qsizetype xmlBad = -1;
            while (j < n && u[j] >= 0x80) {
                if (xmlBad < 0 && u[j] >= 0xD800 && badAt(text, j)) xmlBad = j;
                ++j;
            }
            const QStringView run = text.mid(i, j - i);
            if (m_cp932) {
                const qsizetype before = m_buf.size();
                if (!platform::appendCp932(run, m_buf)) {
                    m_buf.truncate(before);
                    qsizetype bad = i;
                    while (bad < j) {
                        const qsizetype len = (text[bad].isHighSurrogate() && bad + 1 < j) ? 2 : 1;
                        if (!platform::isCp932Encodable(text.mid(bad, len))) break;
                        bad += len;
                    }
                    if (xmlBad >= 0 && xmlBad <= bad) return {Fault::Xml, xmlBad};
                    return {Fault::Encoding, bad};
                }
                if (xmlBad >= 0) return {Fault::Xml, xmlBad};
            } else {
                if (xmlBad >= 0) return {Fault::Xml, xmlBad};
                m_buf += run.toUtf8();
            }
            i = j;
        }
        return {};
    }

    bool m_cp932;
    std::unique_ptr<platform::AtomicFile> m_file;
    QByteArray m_buf;
    QByteArray m_name;
    std::vector<Open> m_open;
    const QStringList *m_tagsFor = nullptr;
    QStringList m_tagsOf;
    std::vector<ChildTags> m_tags;
};

TXmlSaveDoc::TXmlSaveDoc(const QString &version, const QString &standalone, const QString &encoding)
    : m_version(version), m_standalone(standalone), m_encoding(encoding)
{
}

TXmlSaveDoc::Node TXmlSaveDoc::CreateRoot(const QString &name, const QString &nameSpace)
{
    if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
    if (m_stream && m_root >= 0) throw platform::Error(kOutOfOrder);
    m_nodes.clear();
    m_attrs.clear();
    m_rows.clear();
    Element e;
    e.name = name;
    if (!nameSpace.isEmpty()) {
        e.attr = int(m_attrs.size());
        m_attrs.emplace_back(QStringLiteral("xmlns"), nameSpace);
    }
    m_root = 0;
    m_count = 1;
    if (m_stream) {
        m_nextNode = 1;
        Writer &w = *m_stream;
        if (!w.fault) {
            try {
                const QString noText;
                w.element(m_root, -1, name, e.attr >= 0 ? m_attrs[0].first : noText, e.attr >= 0 ? m_attrs[0].second : noText,
                          nullptr, nullptr, nullptr);
            } catch (...) {
                w.failed(std::current_exception());
            }
        }
        return m_root;
    }
    m_nodes.push_back(e);
    return m_root;
}

bool TXmlSaveDoc::cp932() const
{
    const QString enc = m_encoding.toLower();
    return enc == u"shift_jis" || enc == u"windows-31j" || enc == u"cp932";
}

void TXmlSaveDoc::StreamTo(const QString &path)
{
    if (m_root >= 0 || m_stream) throw platform::Error(kOutOfOrder);
    m_stream = std::make_shared<Writer>(cp932());
    m_streamPath = path;
    // A file that cannot be made fails the save, as the tree's would.
    try {
        m_stream->toFile(path);
        m_stream->declaration(declaration());
    } catch (...) {
        m_stream->failed(std::current_exception());
    }
}

TXmlSaveDoc::Node TXmlSaveDoc::stream(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                                      const QString *text, const Row *row)
{
    if (m_root < 0) throw platform::Error(QStringLiteral("XMLのルート要素がありません。"));
    const Node p = parent < 0 ? m_root : parent;
    Writer &w = *m_stream;
    if (!w.fault && !w.isOpen(p)) throw platform::Error(kOutOfOrder);
    const Node id = m_nextNode++;
    ++m_count;
    if (row) m_count += row->texts.size();
    if (w.fault) return id;
    try {
        w.element(id, p, name, attrName, attrValue, text, row ? &row->names : nullptr, row ? &row->texts : nullptr);
    } catch (...) {
        w.failed(std::current_exception());
    }
    return id;
}

TXmlSaveDoc::Node TXmlSaveDoc::append(Node parent, const QString &name, const QString &attrValue, const QString &attrName)
{
    if (m_root < 0) throw platform::Error(QStringLiteral("XMLのルート要素がありません。"));
    if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
    if (!attrName.isEmpty() && !validName(attrName))
        throw platform::Error(QStringLiteral("XMLの属性名が正しくありません。: %1").arg(attrName));
    if (m_stream) return stream(parent, name, attrValue, attrName, nullptr, nullptr);
    const int p = parent < 0 ? m_root : parent;
    Element e;
    e.name = name;
    if (!attrName.isEmpty()) {
        e.attr = int(m_attrs.size());
        m_attrs.emplace_back(attrName, attrValue);
    }
    const int index = int(m_nodes.size());
    m_nodes.push_back(std::move(e));
    Element &pe = m_nodes[size_t(p)];
    if (pe.lastChild < 0) pe.firstChild = index;
    else m_nodes[size_t(pe.lastChild)].next = index;
    pe.lastChild = index;
    ++m_count;
    return index;
}

TXmlSaveDoc::Node TXmlSaveDoc::AddNode(Node parent, const QString &name, const QString &attrValue, const QString &attrName)
{
    return append(parent, name, attrValue, attrName);
}

void TXmlSaveDoc::AddTextRow(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                             std::shared_ptr<const QStringList> childNames, std::vector<QString> texts)
{
    for (const QString &child : *childNames)
        if (!validName(child)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(child));
    if (texts.size() != size_t(childNames->size())) throw platform::Error(QStringLiteral("XMLの行の項目数が正しくありません。"));
    if (m_stream) {
        if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
        if (!attrName.isEmpty() && !validName(attrName))
            throw platform::Error(QStringLiteral("XMLの属性名が正しくありません。: %1").arg(attrName));
        const Row row{std::move(childNames), std::move(texts)};
        stream(parent, name, attrValue, attrName, nullptr, &row);
        return;
    }
    const Node n = append(parent, name, attrValue, attrName);
    m_nodes[size_t(n)].row = int(m_rows.size());
    m_rows.push_back(Row{std::move(childNames), std::move(texts)});
    m_count += m_rows.back().texts.size();
}

void TXmlSaveDoc::AddTextNode(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                              const QString &text)
{
    if (m_stream) {
        if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
        if (!attrName.isEmpty() && !validName(attrName))
            throw platform::Error(QStringLiteral("XMLの属性名が正しくありません。: %1").arg(attrName));
        stream(parent, name, attrValue, attrName, &text, nullptr);
        return;
    }
    const Node n = append(parent, name, attrValue, attrName);
    m_nodes[size_t(n)].text = text;
}

void TXmlSaveDoc::writeTree(Writer &w) const
{
    if (m_root < 0) return;
    // Depth-first without recursion: the tree is only a few levels deep, but wide.
    struct Frame { int node; int parent; };
    std::vector<Frame> stack{{m_root, -1}};
    std::vector<int> children;
    while (!stack.empty()) {
        const Frame f = stack.back();
        stack.pop_back();
        const Element &e = m_nodes[size_t(f.node)];
        const QString noName;
        const QString &attrName = e.attr >= 0 ? m_attrs[size_t(e.attr)].first : noName;
        const QString &attrValue = e.attr >= 0 ? m_attrs[size_t(e.attr)].second : noName;
        if (e.row >= 0) {
            const Row &r = m_rows[size_t(e.row)];
            w.element(f.node, f.parent, e.name, attrName, attrValue, nullptr, &r.names, &r.texts);
        } else if (e.firstChild < 0) {
            w.element(f.node, f.parent, e.name, attrName, attrValue, &e.text, nullptr, nullptr);
        } else {
            w.element(f.node, f.parent, e.name, attrName, attrValue, nullptr, nullptr, nullptr);
            children.clear();
            for (int c = e.firstChild; c >= 0; c = m_nodes[size_t(c)].next) children.push_back(c);
            for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, f.node});
        }
    }
    w.finish();
}

QString TXmlSaveDoc::declaration() const
{
    QString out = QStringLiteral("<?xml version=\"%1\"").arg(m_version);
    if (!m_encoding.isEmpty()) out += QStringLiteral(" encoding=\"%1\"").arg(m_encoding);
    if (!m_standalone.isEmpty()) out += QStringLiteral(" standalone=\"%1\"").arg(m_standalone);
    out += QStringLiteral("?>\r\n");
    return out;
}

QString TXmlSaveDoc::ToText() const
{
    if (m_stream) throw platform::Error(kOutOfOrder);
    Writer w(false);
    w.declaration(declaration());
    writeTree(w);
    return QString::fromUtf8(w.bytes());
}

void TXmlSaveDoc::SaveToFile(const QString &path) const
{
    if (m_stream) {
        if (path != m_streamPath) throw platform::Error(kOutOfOrder);
        Writer &w = *m_stream;
        if (!w.fault) {
            try {
                w.finish();
            } catch (...) {
                w.failed(std::current_exception());
            }
        }
        if (w.fault) std::rethrow_exception(w.fault);
        return;
    }
    Writer w(cp932());
    w.toFile(path);
    w.declaration(declaration());
    writeTree(w);
}
