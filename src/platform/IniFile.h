#pragma once
// Windows-style ini files: sections and keys compared without case, values kept
// as written (blanks around them and one pair of enclosing quotes dropped on
// reading), the file in CP932 with CR LF. Lines end in CR LF, LF or CR alone
// on reading. Lines the reader does not touch (comments, unknown sections,
// order) survive every write byte for byte, even bytes CP932 cannot decode.
// A line break inside a written section, key or value becomes a blank: one
// value is one line, and never adds keys or sections.
// Every write goes to disk at once, atomically (AtomicFile); a failure throws
// platform::Error that says why.
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

class IniFile
{
public:
    // Reads the file when it exists; an existing file that cannot be read throws.
    explicit IniFile(const QString &path);

    const QString &fileName() const { return m_path; }
    bool fileExists() const;

    QString readString(const QString &section, const QString &key, const QString &def = QString()) const;
    // Reads the text and converts it; a missing key or a text that is no number gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    bool readBool(const QString &section, const QString &key, bool def) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void deleteKey(const QString &section, const QString &key);
    void eraseSection(const QString &section);
    // Replaces the section by the given name=value lines, in order.
    void writeSection(const QString &section, const QStringList &nameValueLines);

    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;
    QStringList readSections() const;
    QStringList readSection(const QString &section) const;        // key names
    QStringList readSectionValues(const QString &section) const;  // "key=value" lines

    // Reads the file again (another writer may have changed it).
    void reload();

private:
    struct Line {
        enum Kind { Other, Section, Entry } kind = Other;
        QString text;     // the line as read (decoded) or written
        QString name;     // section name or key (trimmed)
        QString value;    // entry value as read
        QByteArray bytes; // the line in the file, without its end
    };

    static Line parse(const QString &text);
    // A line made by the program: encoded now, so that a text CP932 cannot
    // hold is refused before anything changes.
    Line makeLine(const QString &text) const;
    QByteArray encode(const QString &text) const;
    int findSection(const QString &section) const;             // index of the header or -1
    int sectionEnd(int header) const;                           // one past its last line
    int findEntry(int header, const QString &key) const;
    void save() const;

    QString m_path;
    std::vector<Line> m_lines;
};

} // namespace platform
