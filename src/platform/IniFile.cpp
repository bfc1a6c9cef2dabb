#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

namespace platform {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One line of the file: a line break inside becomes a blank.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == u'\r' || c == u'\n') c = u' ';
    return text;
}

// The lines of the file's bytes, split at CR LF, LF or CR; no line after a final line end.
QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines << bytes.mid(start, i - start);
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << bytes.mid(start);
    return lines;
}

// The key of an entry line as its bytes stand in the file (blanks around it dropped).
QByteArray keyBytes(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

QString unquote(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path)
{
    reload();
}

bool IniFile::fileExists() const
{
    return QFileInfo(m_path).isFile();
}

void IniFile::reload()
{
    m_lines.clear();
    QFile f(m_path);
    if (!f.exists()) return;
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 を読み込めません。").arg(m_path));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("%1 を読み込めません。").arg(m_path));
    // Line ends are single bytes that no CP932 character contains, so the
    // bytes are split first and each line keeps its own.
    for (const QByteArray &b : splitLines(bytes)) {
        Line line = parse(fromCp932(b));
        line.bytes = b;
        m_lines.push_back(std::move(line));
    }
}

QByteArray IniFile::encode(const QString &text) const
{
    bool ok = true;
    QByteArray bytes = toCp932(text, &ok);
    if (!ok) throw Error(QStringLiteral("%1 に保存できない文字が含まれています。").arg(m_path));
    return bytes;
}

IniFile::Line IniFile::makeLine(const QString &text) const
{
    Line line = parse(oneLine(text));
    line.bytes = encode(line.text);
    return line;
}

IniFile::Line IniFile::parse(const QString &text)
{
    Line line;
    line.text = text;
    const QString t = text.trimmed();
    if (t.startsWith(u'[')) {
        const int close = t.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = t.mid(1, close - 1).trimmed();
        }
        return line;
    }
    if (t.isEmpty() || t.startsWith(u';')) return line;
    const int eq = t.indexOf(u'=');
    if (eq <= 0) return line;
    line.kind = Line::Entry;
    line.name = t.left(eq).trimmed();
    line.value = unquote(t.mid(eq + 1));
    return line;
}

int IniFile::findSection(const QString &section) const
{
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].name, section))
            return static_cast<int>(i);
    return -1;
}

int IniFile::sectionEnd(int header) const
{
    size_t i = static_cast<size_t>(header) + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section) ++i;
    return static_cast<int>(i);
}

int IniFile::findEntry(int header, const QString &key) const
{
    if (header < 0) return -1;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Entry && sameName(m_lines[i].name, key)) return i;
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const int e = findEntry(findSection(section), key);
    return e < 0 ? def : m_lines[e].value;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    QString v = readString(section, key).trimmed();
    bool ok = false;
    int n = 0;
    if (v.startsWith(u"0x", Qt::CaseInsensitive) || v.startsWith(u'$'))
        n = v.mid(v.startsWith(u'$') ? 1 : 2).toInt(&ok, 16);
    else
        n = v.toInt(&ok, 10);
    return ok ? n : def;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &rawSection, const QString &rawKey, const QString &rawValue)
{
    const QString section = oneLine(rawSection);
    const QString key = oneLine(rawKey);
    const QString value = oneLine(rawValue);
    const int header = findSection(section);
    const int e = findEntry(header, key);
    if (e >= 0 && m_lines[e].value == value) {
        // The same value again: the line stays as it is, bytes CP932 cannot
        // decode included.
        save();
        return;
    }
    if (e >= 0) {
        // The key keeps the spelling (and the bytes) it has in the file.
        Line entry = parse(m_lines[e].name + u'=' + value);
        entry.name = m_lines[e].name;
        entry.value = value;
        entry.bytes = keyBytes(m_lines[e].bytes) + '=' + encode(value);
        m_lines[e] = entry;
        save();
        return;
    }
    Line entry = makeLine(key.trimmed() + u'=' + value);
    entry.value = value;
    if (header < 0) {
        Line h = makeLine(u'[' + section + u']');
        h.kind = Line::Section;
        h.name = section;
        m_lines.push_back(h);
        m_lines.push_back(entry);
    } else {
        // After the section's last entry, before trailing blank lines.
        int pos = sectionEnd(header);
        while (pos > header + 1 && m_lines[pos - 1].kind == Line::Other && m_lines[pos - 1].text.trimmed().isEmpty())
            --pos;
        m_lines.insert(m_lines.begin() + pos, entry);
    }
    save();
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    const int e = findEntry(findSection(section), key);
    if (e < 0) return;
    m_lines.erase(m_lines.begin() + e);
    save();
}

void IniFile::eraseSection(const QString &section)
{
    const int header = findSection(section);
    if (header < 0) return;
    m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
    save();
}

void IniFile::writeSection(const QString &section, const QStringList &nameValueLines)
{
    if (nameValueLines.isEmpty()) {
        // Erasing the section and writing no line leaves no section.
        eraseSection(section);
        return;
    }
    int header = findSection(section);
    std::vector<Line> body;
    if (header >= 0) {
        body.push_back(m_lines[header]); // the header keeps its spelling
    } else {
        Line h = makeLine(u'[' + oneLine(section) + u']');
        h.kind = Line::Section;
        h.name = oneLine(section);
        body.push_back(h);
    }
    for (const QString &l : nameValueLines) body.push_back(makeLine(l));
    if (header < 0) {
        m_lines.insert(m_lines.end(), body.begin(), body.end());
    } else {
        const int end = sectionEnd(header);
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + end);
        m_lines.insert(m_lines.begin() + header, body.begin(), body.end());
    }
    save();
}

bool IniFile::sectionExists(const QString &section) const
{
    return findSection(section) >= 0;
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    return findEntry(findSection(section), key) >= 0;
}

QStringList IniFile::readSections() const
{
    QStringList out;
    for (const Line &l : m_lines)
        if (l.kind == Line::Section) out << l.name;
    return out;
}

QStringList IniFile::readSection(const QString &section) const
{
    QStringList out;
    const int header = findSection(section);
    if (header < 0) return out;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Entry) out << m_lines[i].name;
    return out;
}

QStringList IniFile::readSectionValues(const QString &section) const
{
    QStringList out;
    const int header = findSection(section);
    if (header < 0) return out;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Entry) out << m_lines[i].name + u'=' + m_lines[i].value;
    return out;
}

void IniFile::save() const
{
    QByteArray bytes;
    for (const Line &l : m_lines) {
        bytes += l.bytes;
        bytes += "\r\n";
    }
    AtomicFile f(m_path);
    f.open();
    f.write(bytes);
    f.commit();
}

} // namespace platform
