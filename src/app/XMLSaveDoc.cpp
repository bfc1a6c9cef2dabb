#include "app/XMLSaveDoc.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QSaveFile>
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

void escapeInto(QString &out, const QString &text, bool attribute)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QStringLiteral("&amp;"); break;
        case u'<': out += QStringLiteral("&lt;"); break;
        case u'>': out += QStringLiteral("&gt;"); break;
        case u'"':
            if (attribute) out += QStringLiteral("&quot;");
            else out += c;
            break;
        default: out += c;
        }
    }
}

} // namespace

TXmlSaveDoc::TXmlSaveDoc(const QString &version, const QString &standalone, const QString &encoding)
    : m_version(version), m_standalone(standalone), m_encoding(encoding)
{
}

TXmlSaveDoc::Node TXmlSaveDoc::CreateRoot(const QString &name, const QString &nameSpace)
{
    if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
    m_nodes.clear();
    m_attrs.clear();
    m_rows.clear();
    Element e;
    e.name = name;
    if (!nameSpace.isEmpty()) {
        e.attr = int(m_attrs.size());
        m_attrs.emplace_back(QStringLiteral("xmlns"), nameSpace);
    }
    m_nodes.push_back(e);
    m_root = 0;
    return m_root;
}

TXmlSaveDoc::Node TXmlSaveDoc::append(Node parent, const QString &name, const QString &attrValue, const QString &attrName)
{
    if (m_root < 0) throw platform::Error(QStringLiteral("XMLのルート要素がありません。"));
    if (!validName(name)) throw platform::Error(QStringLiteral("XMLの要素名が正しくありません。: %1").arg(name));
    if (!attrName.isEmpty() && !validName(attrName))
        throw platform::Error(QStringLiteral("XMLの属性名が正しくありません。: %1").arg(attrName));
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
    const Node n = append(parent, name, attrValue, attrName);
    m_nodes[size_t(n)].row = int(m_rows.size());
    m_rows.push_back(Row{std::move(childNames), std::move(texts)});
}

size_t TXmlSaveDoc::NodeCount() const
{
    size_t n = m_nodes.size();
    for (const Row &r : m_rows) n += r.texts.size();
    return n;
}

void TXmlSaveDoc::AddTextNode(Node parent, const QString &name, const QString &attrValue, const QString &attrName,
                              const QString &text)
{
    const Node n = append(parent, name, attrValue, attrName);
    m_nodes[size_t(n)].text = text;
}

void TXmlSaveDoc::write(QString &out, int index, const std::function<void(QString &)> &flush) const
{
    // Depth-first without recursion: the tree is only a few levels deep, but wide.
    struct Frame { int node; bool closing; };
    std::vector<Frame> stack{{index, false}};
    while (!stack.empty()) {
        if (flush && out.size() > (1 << 20)) flush(out);
        const Frame f = stack.back();
        stack.pop_back();
        const Element &e = m_nodes[size_t(f.node)];
        if (f.closing) {
            out += QStringLiteral("</") + e.name + u'>';
            continue;
        }
        out += u'<';
        out += e.name;
        if (e.attr >= 0) {
            const auto &[attrName, attrValue] = m_attrs[size_t(e.attr)];
            out += u' ';
            out += attrName;
            out += QStringLiteral("=\"");
            escapeInto(out, attrValue, true);
            out += u'"';
        }
        if (e.firstChild < 0 && e.row < 0 && e.text.isEmpty()) {
            out += QStringLiteral("/>");
            continue;
        }
        out += u'>';
        escapeInto(out, e.text, false);
        if (e.row >= 0) {
            const Row &r = m_rows[size_t(e.row)];
            for (size_t i = 0; i < r.texts.size(); ++i) {
                const QString &child = (*r.names)[qsizetype(i)];
                out += u'<';
                out += child;
                if (r.texts[i].isEmpty()) {
                    out += QStringLiteral("/>");
                } else {
                    out += u'>';
                    escapeInto(out, r.texts[i], false);
                    out += QStringLiteral("</");
                    out += child;
                    out += u'>';
                }
            }
        }
        stack.push_back({f.node, true});
        // children in insertion order: push in reverse
        std::vector<int> children;
        for (int c = e.firstChild; c >= 0; c = m_nodes[size_t(c)].next) children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, false});
    }
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
    QString out = declaration();
    if (m_root >= 0) write(out, m_root, {});
    return out;
}

void TXmlSaveDoc::SaveToFile(const QString &path) const
{
    const QString enc = m_encoding.toLower();
    const bool cp932 = enc == u"shift_jis" || enc == u"windows-31j" || enc == u"cp932";
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw platform::Error(QStringLiteral("%1 に書き込めません。").arg(path));
    // The text is encoded and written in pieces, so a large document is never
    // held twice; the buffers keep their memory from piece to piece.
    QByteArray bytes;
    auto flush = [&](QString &chunk) {
        bytes.resize(0);
        if (cp932) {
            if (!platform::appendCp932(chunk, bytes)) {
                QString bad;
                for (QChar c : chunk)
                    if (!platform::isCp932Encodable(QString(c))) {
                        bad = c;
                        break;
                    }
                throw platform::Error(QStringLiteral("中間ファイルに書き込めない文字「%1」が含まれています。").arg(bad));
            }
        } else {
            bytes = chunk.toUtf8();
        }
        if (f.write(bytes) != bytes.size()) throw platform::Error(QStringLiteral("%1 に書き込めません。").arg(path));
        chunk.resize(0);
    };
    QString out = declaration();
    out.reserve(1 << 21);
    if (m_root >= 0) write(out, m_root, flush);
    flush(out);
    if (!f.commit()) throw platform::Error(QStringLiteral("%1 に書き込めません。").arg(path));
}
