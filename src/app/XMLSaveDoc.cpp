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
inline bool badAt(const QString &text, qsizetype i)
{
    const char16_t u = text[i].unicode();
    if (u < 0x20) return u != u'\t' && u != u'\n' && u != u'\r';
    if (u < 0xD800) return false;
    if (u <= 0xDBFF) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (u <= 0xDFFF) return i == 0 || !text[i - 1].isHighSurrogate();
    return u == 0xFFFE || u == 0xFFFF;
}

// Escapes the text into out; the position of the first character XML cannot
// carry (nothing written of it), or -1.
qsizetype escapeInto(QString &out, const QString &text, bool attribute)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': out += QStringLiteral("&amp;"); break;
        case u'<': out += QStringLiteral("&lt;"); break;
        case u'>': out += QStringLiteral("&gt;"); break;
        case u'"':
            if (attribute) out += QStringLiteral("&quot;");
            else out += c;
            break;
        default:
            if ((c.unicode() < 0x20 || c.unicode() >= 0xD800) && badAt(text, i)) return i;
            out += c;
        }
    }
    return -1;
}

// The character starting at i as shown in a message: itself, or its code
// when it is invisible or broken.
QString shownChar(const QString &text, qsizetype i, bool invisible)
{
    if (invisible) return QStringLiteral("U+%1").arg(uint(text[i].unicode()), 4, 16, QLatin1Char('0')).toUpper();
    if (text[i].isHighSurrogate() && i + 1 < text.size()) return text.mid(i, 2);
    return QString(text[i]);
}

QString invalidCharMessage(const QString &text, qsizetype i, const QString &where)
{
    return QStringLiteral("中間ファイルに書き込めない文字(%1)が含まれています。\r場所: %2").arg(shownChar(text, i, true), where);
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

QString TXmlSaveDoc::label(int node) const
{
    const Element &e = m_nodes[size_t(node)];
    if (e.attr < 0) return e.name;
    const auto &[attrName, attrValue] = m_attrs[size_t(e.attr)];
    QString value = attrValue;
    for (qsizetype i = 0; i < value.size(); ++i)
        if (badAt(value, i)) value[i] = u'?';
    return QStringLiteral("%1[%2=%3]").arg(e.name, attrName, value);
}

QString TXmlSaveDoc::pathOf(const std::vector<int> &ancestors, int node, const QString &rowChild) const
{
    QStringList parts;
    for (int a : ancestors) parts << label(a);
    parts << label(node);
    if (!rowChild.isEmpty()) parts << rowChild;
    return parts.join(u'/');
}

void TXmlSaveDoc::write(QString &out, int index, const std::function<void(QString &)> &flush) const
{
    // Depth-first without recursion: the tree is only a few levels deep, but wide.
    // The closing frames on the stack are the open elements, root first.
    struct Frame { int node; bool closing; };
    std::vector<Frame> stack{{index, false}};
    auto refuse = [&](const QString &text, qsizetype at, int node, const QString &rowChild) {
        std::vector<int> ancestors;
        for (const Frame &f : stack)
            if (f.closing) ancestors.push_back(f.node);
        throw platform::Error(invalidCharMessage(text, at, pathOf(ancestors, node, rowChild)));
    };
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
            const qsizetype bad = escapeInto(out, attrValue, true);
            if (bad >= 0) refuse(attrValue, bad, f.node, QString());
            out += u'"';
        }
        if (e.firstChild < 0 && e.row < 0 && e.text.isEmpty()) {
            out += QStringLiteral("/>");
            continue;
        }
        out += u'>';
        const qsizetype bad = escapeInto(out, e.text, false);
        if (bad >= 0) refuse(e.text, bad, f.node, QString());
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
                    const qsizetype badText = escapeInto(out, r.texts[i], false);
                    if (badText >= 0) refuse(r.texts[i], badText, f.node, child);
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

QString TXmlSaveDoc::locate(const std::function<bool(const QString &)> &holds) const
{
    if (m_root < 0) return QString();
    // The same walk as the writer's, in document order.
    struct Frame { int node; std::vector<int> ancestors; };
    std::vector<Frame> stack{{m_root, {}}};
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        const Element &e = m_nodes[size_t(f.node)];
        if (holds(e.name) || (e.attr >= 0 && (holds(m_attrs[size_t(e.attr)].first) || holds(m_attrs[size_t(e.attr)].second))) ||
            holds(e.text))
            return pathOf(f.ancestors, f.node, QString());
        if (e.row >= 0) {
            const Row &r = m_rows[size_t(e.row)];
            for (size_t i = 0; i < r.texts.size(); ++i)
                if (holds((*r.names)[qsizetype(i)]) || holds(r.texts[i])) return pathOf(f.ancestors, f.node, (*r.names)[qsizetype(i)]);
        }
        std::vector<int> children;
        for (int c = e.firstChild; c >= 0; c = m_nodes[size_t(c)].next) children.push_back(c);
        std::vector<int> inner = f.ancestors;
        inner.push_back(f.node);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, inner});
    }
    return QString();
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
    platform::AtomicFile f(path);
    f.open();
    // The text is encoded and written in pieces, so a large document is never
    // held twice; the buffers keep their memory from piece to piece.
    QByteArray bytes;
    auto flush = [&](QString &chunk) {
        bytes.resize(0);
        if (cp932) {
            if (!platform::appendCp932(chunk, bytes)) {
                // The first character the code page cannot hold, and where it stands.
                QString bad;
                for (qsizetype i = 0; i < chunk.size(); ++i) {
                    const qsizetype len = chunk[i].isHighSurrogate() && i + 1 < chunk.size() ? 2 : 1;
                    if (!platform::isCp932Encodable(QStringView(chunk).mid(i, len))) {
                        bad = chunk.mid(i, len);
                        break;
                    }
                    i += len - 1;
                }
                const QString where = bad.isEmpty() ? QString() : locate([&bad](const QString &t) { return t.contains(bad); });
                QString text = QStringLiteral("中間ファイルに書き込めない文字「%1」が含まれています。").arg(bad);
                if (!where.isEmpty()) text += QStringLiteral("\r場所: ") + where;
                throw platform::Error(text);
            }
        } else {
            bytes = chunk.toUtf8();
        }
        f.write(bytes);
        chunk.resize(0);
    };
    QString out = declaration();
    out.reserve(1 << 21);
    if (m_root >= 0) write(out, m_root, flush);
    flush(out);
    f.commit();
}
