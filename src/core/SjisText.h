#pragma once
// Text helpers of the books. Fixed-width fields are counted in bytes of the
// Shift-JIS (code page 932) form: a double-byte character counts two and is
// never cut in half. The byte-string forms work on CP932 bytes; the QString
// forms convert, apply the byte rule and convert back.
#include <QByteArray>
#include <QString>
#include <QStringList>

// Byte classes of code page 932.
bool IsSjisLeadByte(unsigned char b);
bool IsSjisLeadChar(unsigned char b);
bool IsSjisTrailByte(unsigned char b);

// Blanks and control characters off both ends; the full-width blank counts as a blank.
// Only whole characters are removed.
QByteArray TrimZen(const QByteArray &text);
QString TrimZen(const QString &text);

// Every half-width and full-width blank removed.
QByteArray RemoveSpaces(const QByteArray &text);
QString RemoveSpaces(const QString &text);

// n half-width blanks for 1 <= n <= 510, else an empty text.
QByteArray SpaceStr(int n);

// Bytes of one character in code page 932 (1 or 2).
int SjisCharWidth(QChar c);

// Cut or padded with blanks on the right to n bytes; a split character becomes blanks.
QByteArray PadStr(const QByteArray &text, int n);
QString PadStr(const QString &text, int n);

// The last n bytes, padded with blanks on the left when shorter.
QByteArray PadStrRight(const QByteArray &text, int n);

// Right-aligned in n bytes and filled with "0" on the left; a longer text loses its left bytes.
QByteArray FixedField(const QByteArray &text, int n);
QString FixedField(const QString &text, int n);

// A lead byte without a valid trail byte becomes blanks (both bytes; one when last).
QByteArray RepairSjisTail(const QByteArray &text);

// True when byte n (1-based) is the first byte of a double-byte character, so that a
// cut after n bytes would split it. n outside 1..length asks about the last byte.
bool IsSjisCut(const QByteArray &text, int n);

// The CP932 length of a text, and its first bytes up to n without splitting a character.
int SjisLength(const QString &text);
QString SjisLeft(const QString &text, int n);

// Cuts the text at the first "//", splits the rest at every delimiter into fields
// (at most capacity of them; further fields are dropped). Returns the index of the
// last field written; an empty remainder returns 0 and leaves fields untouched.
int SplitComment(const QString &text, QChar delimiter, QStringList &fields, int capacity);

// Line n (1-based) after every delimiter became a line break; empty when there is none.
QString GetLineOfText(const QString &text, const QString &delimiter, int n);

// The whole "name=value" line of that name (compared without case); empty when absent.
QString GetNameValueLine(const QString &text, const QString &name);

// Tabs, carriage returns and line feeds removed.
QString ReplaceCtrlChars(const QString &text);

// Character mapping flags (the locale mapping of the Japanese system).
enum MapFlags : unsigned {
    LCMAP_LOWERCASE = 0x00000100,
    LCMAP_UPPERCASE = 0x00000200,
    LCMAP_HIRAGANA = 0x00100000,
    LCMAP_KATAKANA = 0x00200000,
    LCMAP_HALFWIDTH = 0x00400000,
    LCMAP_FULLWIDTH = 0x00800000,
};
// The text mapped by the flags; the result is cut to 255 CP932 bytes.
QString MapString(unsigned flags, const QString &text);

// Full-width lower-case letters turned into full-width upper-case; everything else unchanged.
QByteArray ZenkakuAlphaFold(const QByteArray &text);
QString ZenkakuAlphaFold(const QString &text);

// Thousands separators, pattern "#,##0".
QString FormatMoney(qint64 value);

void SetFlagBit(quint32 &flags, int n);   // bit n-1 for n = 1..24
int GetFlagBit(quint32 flags, int n);     // bit (n-1) mod 32
inline int BoolToInt(bool b) { return b ? 1 : 0; }
inline bool IsNotEmpty(const QString &text) { return !text.isEmpty(); }
