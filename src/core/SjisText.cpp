#include "core/SjisText.h"

#include "platform/Cp932.h"

#include <QRegularExpression>

using platform::fromCp932;
using platform::toCp932;

namespace {

inline unsigned char at(const QByteArray &s, qsizetype i) { return static_cast<unsigned char>(s[i]); }

bool isFullBlankAt(const QByteArray &s, qsizetype i)
{
    return i + 1 < s.size() && at(s, i) == 0x81 && at(s, i + 1) == 0x40;
}

// Delphi-style trim: bytes up to the blank off both ends.
QByteArray trimLow(const QByteArray &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && at(s, b) <= 0x20) ++b;
    while (e > b && at(s, e - 1) <= 0x20) --e;
    return s.mid(b, e - b);
}

// Start offset of the last character (walking from the first byte).
qsizetype lastCharStart(const QByteArray &s)
{
    qsizetype i = 0, last = -1;
    while (i < s.size()) {
        last = i;
        i += (IsSjisLeadByte(at(s, i)) && i + 1 < s.size()) ? 2 : 1;
    }
    return last;
}

} // namespace

bool IsSjisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsSjisLeadChar(unsigned char b) { return IsSjisLeadByte(b); }
bool IsSjisTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

QByteArray TrimZen(const QByteArray &text)
{
    QByteArray s = trimLow(text);
    while (isFullBlankAt(s, 0)) s = trimLow(s.mid(2));
    for (;;) {
        const qsizetype last = lastCharStart(s);
        if (last < 0 || last + 2 != s.size() || !isFullBlankAt(s, last)) break;
        s = trimLow(s.left(last));
    }
    return s;
}

QString TrimZen(const QString &text)
{
    qsizetype b = 0, e = text.size();
    auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x3000; };
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return text.mid(b, e - b);
}

QByteArray RemoveSpaces(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (at(text, i) == 0x20) { ++i; continue; }
        if (IsSjisLeadByte(at(text, i)) && i + 1 < text.size()) {
            if (!isFullBlankAt(text, i)) out.append(text.mid(i, 2));
            i += 2;
            continue;
        }
        out.append(text[i]);
        ++i;
    }
    return out;
}

QString RemoveSpaces(const QString &text)
{
    QString out = text;
    out.remove(u' ');
    out.remove(QChar(0x3000));
    return out;
}

QByteArray SpaceStr(int n)
{
    if (n <= 0 || n > 510) return QByteArray();
    return QByteArray(n, ' ');
}

QByteArray PadStr(const QByteArray &text, int n)
{
    if (n <= 0) return QByteArray();
    return RepairSjisTail((text + SpaceStr(n)).left(n));
}

int SjisCharWidth(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) || u == 0x00A5 || u == 0x203E) return 1;
    return 2;
}

QString PadStr(const QString &text, int n)
{
    if (n <= 0) return QString();
    // Whole characters up to n bytes; a double-byte character that does not fit
    // becomes a blank, as the byte form's repair does.
    QString out;
    out.reserve(n);
    int width = 0;
    for (qsizetype i = 0; i < text.size() && width < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size()) {
            // outside code page 932: keep it for the encoder to refuse
            if (width + 2 > n) break;
            out += c;
            out += text[++i];
            width += 2;
            continue;
        }
        const int w = SjisCharWidth(c);
        if (width + w > n) break;
        out += c;
        width += w;
    }
    if (n <= 510) out += QString(n - width, u' ');
    return out;
}

QByteArray PadStrRight(const QByteArray &text, int n)
{
    if (n <= 0) return QByteArray();
    return (SpaceStr(n) + text).right(n);
}

QByteArray FixedField(const QByteArray &text, int n)
{
    if (n <= 0) return QByteArray();
    return (QByteArray(256, '0') + text).right(n);
}

QString FixedField(const QString &text, int n)
{
    return fromCp932(FixedField(toCp932(text), n));
}

QByteArray RepairSjisTail(const QByteArray &text)
{
    QByteArray s = text;
    bool prevLead = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (prevLead) {
            if (!IsSjisTrailByte(at(s, i))) {
                s[i - 1] = ' ';
                s[i] = ' ';
            }
            prevLead = false;
        } else if (IsSjisLeadByte(at(s, i))) {
            if (i == s.size() - 1)
                s[i] = ' ';
            else
                prevLead = true;
        }
    }
    return s;
}

bool IsSjisCut(const QByteArray &text, int n)
{
    const qsizetype len = text.size();
    if (len == 0) return false;
    if (n < 1 || n > len) n = static_cast<int>(len);
    qsizetype i = 1;
    while (i <= len) {
        const bool lead = IsSjisLeadByte(at(text, i - 1));
        if (i == n) return lead;
        if (lead) {
            if (i + 1 == n) return false;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

int SjisLength(const QString &text)
{
    return platform::cp932Length(text);
}

QString SjisLeft(const QString &text, int n)
{
    if (n <= 0) return QString();
    QByteArray b = toCp932(text);
    if (b.size() <= n) return text;
    if (IsSjisCut(b, n)) --n;
    return fromCp932(b.left(n));
}

int SplitComment(const QString &text, QChar delimiter, QStringList &fields, int capacity)
{
    QString rest = text;
    const qsizetype c = rest.indexOf(QStringLiteral("//"));
    if (c >= 0) rest.truncate(c);
    if (rest.isEmpty() || capacity <= 0) return 0;
    const QStringList parts = rest.split(delimiter);
    const int count = std::min<int>(static_cast<int>(parts.size()), capacity);
    while (fields.size() < count) fields.append(QString());
    for (int i = 0; i < count; ++i) fields[i] = parts[i];
    return count - 1;
}

QString GetLineOfText(const QString &text, const QString &delimiter, int n)
{
    if (n < 1) return QString();
    QString t = text;
    if (!delimiter.isEmpty()) t.replace(delimiter, QStringLiteral("\n"));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    QStringList lines = t.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return n <= lines.size() ? lines[n - 1] : QString();
}

QString GetNameValueLine(const QString &text, const QString &name)
{
    if (text.isEmpty() || name.isEmpty()) return QString();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineBreak);
    for (const QString &l : lines) {
        const qsizetype eq = l.indexOf(u'=');
        if (eq >= 0 && l.left(eq).compare(name, Qt::CaseInsensitive) == 0) return l;
    }
    return QString();
}

QString ReplaceCtrlChars(const QString &text)
{
    QString out = text;
    out.remove(u'\t');
    out.remove(u'\r');
    out.remove(u'\n');
    return out;
}

namespace {

// Half-width katakana U+FF61..U+FF9F and their full-width forms.
const char16_t kHalfKanaToFull[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};

bool canTakeDakuten(char16_t k)
{
    return (k >= 0x30AB && k <= 0x30C8 && k != 0x30C3) || (k >= 0x30CF && k <= 0x30DB) || k == 0x30A6;
}

QString toFullWidth(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == 0x20) {
            out += QChar(0x3000);
        } else if (c >= 0x21 && c <= 0x7E) {
            out += QChar(char16_t(c - 0x21 + 0xFF01));
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            char16_t k = kHalfKanaToFull[c - 0xFF61];
            const char16_t next = i + 1 < s.size() ? s[i + 1].unicode() : 0;
            if (next == 0xFF9E && canTakeDakuten(k)) {
                k = (k == 0x30A6) ? 0x30F4 : char16_t(k + 1);
                ++i;
            } else if (next == 0xFF9F && k >= 0x30CF && k <= 0x30DB) {
                k = char16_t(k + 2);
                ++i;
            }
            out += QChar(k);
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QString toHalfWidth(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c == 0x3000) {
            out += u' ';
            continue;
        }
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out += QChar(char16_t(c - 0xFF01 + 0x21));
            continue;
        }
        bool done = false;
        for (int k = 0; k < int(std::size(kHalfKanaToFull)) && !done; ++k) {
            const char16_t f = kHalfKanaToFull[k];
            const char16_t half = char16_t(0xFF61 + k);
            if (c == f) {
                out += QChar(half);
                done = true;
            } else if (canTakeDakuten(f) && c == (f == 0x30A6 ? 0x30F4 : f + 1)) {
                out += QChar(half);
                out += QChar(0xFF9E);
                done = true;
            } else if (f >= 0x30CF && f <= 0x30DB && c == f + 2) {
                out += QChar(half);
                out += QChar(0xFF9F);
                done = true;
            }
        }
        if (!done) out += qc;
    }
    return out;
}

} // namespace

QString MapString(unsigned flags, const QString &text)
{
    QString s = text;
    if (flags & LCMAP_FULLWIDTH) s = toFullWidth(s);
    if (flags & LCMAP_HALFWIDTH) s = toHalfWidth(s);
    if (flags & (LCMAP_KATAKANA | LCMAP_HIRAGANA)) {
        for (QChar &c : s) {
            const char16_t u = c.unicode();
            if ((flags & LCMAP_KATAKANA) && u >= 0x3041 && u <= 0x3096) c = QChar(char16_t(u + 0x60));
            else if ((flags & LCMAP_HIRAGANA) && u >= 0x30A1 && u <= 0x30F6) c = QChar(char16_t(u - 0x60));
        }
    }
    if (flags & LCMAP_UPPERCASE) s = s.toUpper();
    if (flags & LCMAP_LOWERCASE) s = s.toLower();
    return SjisLeft(s, 255);
}

QByteArray ZenkakuAlphaFold(const QByteArray &text)
{
    QByteArray out = text;
    qsizetype i = 0;
    while (i < out.size()) {
        if (!IsSjisLeadByte(at(out, i))) {
            ++i;
            continue;
        }
        if (i + 1 >= out.size()) break;
        const unsigned char t = at(out, i + 1);
        if (at(out, i) == 0x82 && t >= 0x81 && t <= 0x9A) out[i + 1] = char(t - 0x21);
        i += 2;
    }
    return out;
}

QString ZenkakuAlphaFold(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() >= 0xFF41 && c.unicode() <= 0xFF5A) c = QChar(char16_t(c.unicode() - 0x20));
    return out;
}

QString FormatMoney(qint64 value)
{
    const bool neg = value < 0;
    QString digits = QString::number(value).remove(u'-');
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3) digits.insert(pos, u',');
    return neg ? u'-' + digits : digits;
}

void SetFlagBit(quint32 &flags, int n)
{
    if (n >= 1 && n <= 24) flags |= (1u << (n - 1));
}

int GetFlagBit(quint32 flags, int n)
{
    return int((flags >> ((n - 1) & 31)) & 1u);
}
