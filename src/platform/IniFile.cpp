#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
    const QString text = fromCp932(bytes);
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString l = lines[i];
        if (l.endsWith(u'\r')) l.chop(1);
        if (i == lines.size() - 1 && l.isEmpty()) break; // the final line end
        m_lines.push_back(parse(l));
    }
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

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    Line entry = parse(key.trimmed() + u'=' + value);
    entry.value = value;
    int header = findSection(section);
    if (header < 0) {
        Line h;
        h.kind = Line::Section;
        h.name = section;
        h.text = u'[' + section + u']';
        m_lines.push_back(h);
        m_lines.push_back(entry);
    } else {
        const int e = findEntry(header, key);
        if (e >= 0) {
            // The key keeps the spelling it has in the file.
            entry.text = m_lines[e].name + u'=' + value;
            entry.name = m_lines[e].name;
            m_lines[e] = entry;
        } else {
            // After the section's last entry, before trailing blank lines.
            int pos = sectionEnd(header);
            while (pos > header + 1 && m_lines[pos - 1].kind == Line::Other && m_lines[pos - 1].text.trimmed().isEmpty())
                --pos;
            m_lines.insert(m_lines.begin() + pos, entry);
        }
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
    Line h;
    h.kind = Line::Section;
    h.name = section;
    h.text = u'[' + section + u']';
    if (header >= 0) h = m_lines[header]; // the header keeps its spelling
    body.push_back(h);
    for (const QString &l : nameValueLines) body.push_back(parse(l));
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
    QString text;
    for (const Line &l : m_lines) {
        text += l.text;
        text += u"\r\n";
    }
    bool ok = true;
    const QByteArray bytes = toCp932(text, &ok);
    if (!ok)
        throw Error(QStringLiteral("%1 に保存できない文字が含まれています。").arg(m_path));
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw Error(QStringLiteral("%1 に書き込めません。").arg(m_path));
}

} // namespace platform
