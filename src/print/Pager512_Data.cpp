#include "print/Pager512_Data.h"

#include "core/SjisText.h"
#include "platform/Cp932.h"

#include <QHash>

namespace pager512 {

namespace {

const QByteArray kCrLf("\r\n");

// A field of the record table: "name" (text), "name:n" (number, default 0) or
// "name:n=10" (number with its default).
struct FieldDef {
    QString name;
    bool numeric;
    int def;
};

struct KindDef {
    TRecordKind kind;
    const char *keyword;
    const char *fields;
};

const char kTextFields[] = "x:n y:n text font size:n=10 style colour switch align span:n mode:n";

const KindDef kKinds[] = {
    {TRecordKind::Text, "TEXT", kTextFields},
    {TRecordKind::NText, "NTEXT", kTextFields},
    {TRecordKind::UText, "UTEXT", kTextFields},
    {TRecordKind::VText, "VTEXT", kTextFields},
    {TRecordKind::Field, "@", "name text size:n style dy:n"},
    {TRecordKind::Memo, "MEMO", "x1:n y1:n x2:n y2:n text border:n font size:n style colour"},
    {TRecordKind::Line, "LINE", "x1:n y1:n x2:n y2:n width:n=1 style:n colour"},
    {TRecordKind::ELine, "ELINE", "x1:n y1:n x2:n y2:n width:n=1 style:n colour"},
    {TRecordKind::Box, "BOX", "x1:n y1:n x2:n y2:n width:n=1 style:n colour fill fillstyle:n"},
    {TRecordKind::SLine, "SLINE", "x:n y1:n y2:n count:n width:n style:n colour font size:n"},
    {TRecordKind::RRect, "RRECT",
     "x1:n y1:n x2:n y2:n cornerwidth:n cornerheight:n width:n style:n colour fill fillstyle:n"},
    {TRecordKind::FRect, "FRECT", "x1:n y1:n x2:n y2:n colour mode:n"},
    {TRecordKind::Circle, "CIRCLE", "x1:n y1:n x2:n y2:n width:n style:n colour fill fillstyle:n"},
    {TRecordKind::MaruMoji, "MARUMOJI", "x:n y:n diameter:n text font size:n=10 style colour"},
    {TRecordKind::Image, "IMAGE", "x1:n y1:n x2:n y2:n file transparent:n"},
    {TRecordKind::Chart, "CHART", "file x1:n y1:n x2:n y2:n number:n"},
    {TRecordKind::BeginPath, "BP", "x:n y:n width:n style:n colour"},
    {TRecordKind::LineB, "LINEB", "x:n y:n"},
    {TRecordKind::LeftMargin, "LEFTMARGIN", "n:n"},
    {TRecordKind::TopMargin, "TOPMARGIN", "n:n"},
    {TRecordKind::Form, "FORM", "file readfields x:n y:n"},
    {TRecordKind::Message, "MESSAGE", "text"},
    {TRecordKind::Orientation, "ORIENTATION", "n:n"},
    {TRecordKind::PageEnd, "E", ""},
    {TRecordKind::FieldDef, "&",
     "x:n y:n name font size:n style colour switch align span:n once:n mode:n"},
    {TRecordKind::TotalDef, "$", "x:n y:n name"},
};

QList<FieldDef> parseFieldDefs(const char *text)
{
    QList<FieldDef> out;
    const QStringList parts = QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
    for (const QString &p : parts) {
        FieldDef f{p, false, 0};
        const int colon = p.indexOf(u':');
        if (colon >= 0) {
            f.name = p.left(colon);
            f.numeric = true;
            const int eq = p.indexOf(u'=');
            if (eq >= 0)
                f.def = p.mid(eq + 1).toInt();
        }
        out << f;
    }
    return out;
}

struct KindInfo {
    TRecordKind kind;
    QString keyword;
    QList<FieldDef> fields;
};

const QHash<QString, KindInfo> &kindTable()
{
    static const QHash<QString, KindInfo> table = [] {
        QHash<QString, KindInfo> t;
        for (const KindDef &k : kKinds)
            t.insert(QString::fromLatin1(k.keyword),
                     KindInfo{k.kind, QString::fromLatin1(k.keyword), parseFieldDefs(k.fields)});
        return t;
    }();
    return table;
}

QByteArray cp(const QString &s)
{
    return platform::toCp932(s);
}

QByteArray num(int v)
{
    return QByteArray::number(v);
}

} // namespace

QByteArray openingBanner()
{
    return QByteArray("*PAGER512*") + QByteArray(60, '*');
}

QByteArray closingBanner()
{
    return QByteArray(61, '*') + QByteArray("PAGER512*");
}

bool isPrintData(const QByteArray &bytes)
{
    return bytes.startsWith("*PAGER512*");
}

QString recordText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u';')
            c = u':';
        else if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

QString headerText(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return out;
}

// Start of the character that holds byte index i (0-based) of CP932 bytes.
static bool startsCharacter(const QByteArray &bytes, int i)
{
    int p = 0;
    while (p < i) {
        const auto b = static_cast<unsigned char>(bytes.at(p));
        p += (IsSjisLeadByte(b) && p + 1 < bytes.size()) ? 2 : 1;
    }
    return p == i;
}

QByteArray fitText(const QByteArray &text, int width, const QString &align)
{
    if (width <= 0 || align == QLatin1String("CENTER"))
        return text;
    const int len = text.size();
    const bool pad = width <= 126;
    if (align == QLatin1String("RIGHT")) {
        if (len < width)
            return pad ? QByteArray(width - len, ' ') + text : text;
        int start = len - width;
        if (!startsCharacter(text, start))
            ++start; // never begin with the second byte of a character
        return text.mid(start);
    }
    if (len < width)
        return pad ? text + QByteArray(width - len, ' ') : text;
    int keep = width;
    if (!startsCharacter(text, keep))
        --keep; // byte "width" is the first byte of a double-byte character
    return text.left(keep);
}

QByteArray textRecord(int x, int y, const QString &text, const QString &font, int size,
                      const QString &style, const QString &colour, const QString &sw,
                      const QString &align, int width)
{
    const QString alignUp = recordText(align).toUpper();
    const QString swUp = sw.toUpper();
    const QString swOut = (swUp == QLatin1String("ON") || swUp == QLatin1String("OFF"))
                              ? QStringLiteral("1") : recordText(sw);
    QByteArray out("TEXT;");
    out += num(x) + ';' + num(y) + ';';
    out += fitText(cp(recordText(text)), width, alignUp) + ';';
    out += cp(recordText(font)) + ';' + num(size) + ';' + cp(recordText(style)) + ';';
    out += cp(recordText(colour)) + ';' + cp(swOut) + ';' + cp(alignUp) + ';';
    out += "0;0;";
    return out;
}

QByteArray lineRecord(bool fine, int x1, int y1, int x2, int y2, int width, int style,
                      const QString &colour)
{
    QByteArray out(fine ? "ELINE;" : "LINE;");
    out += num(x1) + ';' + num(y1) + ';' + num(x2) + ';' + num(y2) + ';' + num(width) + ';'
           + num(style) + ';' + cp(recordText(colour)) + ';';
    return out;
}

QByteArray boxRecord(int x1, int y1, int x2, int y2, int width, int style,
                     const QString &colour, const QString &fill, int fillStyle)
{
    QByteArray out("BOX;");
    out += num(x1) + ';' + num(y1) + ';' + num(x2) + ';' + num(y2) + ';' + num(width) + ';'
           + num(style) + ';' + cp(recordText(colour)) + ';' + cp(recordText(fill)) + ';'
           + num(fillStyle) + ';';
    return out;
}

QByteArray blankPageMark()
{
    return boxRecord(100, 100, 101, 101, 0, 0, QStringLiteral("黒"), QStringLiteral("白"), 1);
}

QByteArray pageEnd()
{
    return QByteArrayLiteral("E;");
}

QString colorHex(TColor color)
{
    return u'$' + QString::number(static_cast<quint32>(color), 16).toUpper().rightJustified(6, u'0');
}

QByteArray headerBlock(const THeader &h)
{
    const auto b = [](bool v) { return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); };
    const QStringList lines = {
        QStringLiteral("*[SETTING]"),
        QStringLiteral("*PATH=") + headerText(h.Path),
        QStringLiteral("*VERSION=") + headerText(h.Version),
        QStringLiteral("*DATE=") + headerText(h.Date),
        QStringLiteral("*TITLE=") + headerText(h.Title),
        QStringLiteral("*FORMFILE=") + headerText(h.FormFile),
        QStringLiteral("*PAPERSIZE=%1").arg(h.PaperSize),
        QStringLiteral("*OUTPUTPAPER=%1").arg(h.OutPutPaper),
        QStringLiteral("*ORIENTATION=%1").arg(h.Orientation),
        QStringLiteral("*TOPMARGIN=%1").arg(h.TopMargin),
        QStringLiteral("*LEFTMARGIN=%1").arg(h.LeftMargin),
        QStringLiteral("*FORMTOPMARGIN=%1").arg(h.FormTopMargin),
        QStringLiteral("*FORMLEFTMARGIN=%1").arg(h.FormLeftMargin),
        QStringLiteral("*NETC1=") + colorHex(h.NetColor1),
        QStringLiteral("*NETC2=") + colorHex(h.NetColor2),
        QStringLiteral("*USERC1=") + colorHex(h.UserColor1),
        QStringLiteral("*USERC2=") + colorHex(h.UserColor2),
        QStringLiteral("*FORMPRINT=") + b(h.FormPrint),
        QStringLiteral("*COPIES=%1").arg(h.Copies),
        QStringLiteral("*PAGENOSWITCH=") + b(h.PageNoSwitch),
        QStringLiteral("*PAGENOLEFT=%1").arg(h.PageNoLeft),
        QStringLiteral("*PAGENOTOP=%1").arg(h.PageNoTop),
        QStringLiteral("*PAGENOALIGNMENT=%1").arg(h.PageNoAlignment),
        QStringLiteral("*PAGENOFORMAT=") + headerText(h.PageNoFormat),
    };
    QByteArray out = openingBanner() + kCrLf;
    for (const QString &line : lines)
        out += cp(line) + kCrLf;
    out += closingBanner() + kCrLf;
    return out;
}

static TColor hexColor(const QString &value, TColor def)
{
    if (!value.startsWith(u'$'))
        return def;
    bool ok = false;
    const quint32 v = value.mid(1).toUInt(&ok, 16);
    return ok ? static_cast<TColor>(v) : def;
}

THeader readHeader(const QByteArray &bytes)
{
    THeader h;
    h.Path.clear();
    const QStringList lines = decodeLines(bytes);
    for (const QString &line : lines) {
        if (line.left(2).toUpper() == QLatin1String("E;"))
            break;
        if (!line.startsWith(u'*'))
            continue;
        const int eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.mid(1, eq - 1).toUpper();
        const QString value = line.mid(eq + 1);
        const auto boolValue = [&](bool def) {
            const QString v = value.trimmed().toUpper();
            return v == QLatin1String("TRUE") ? true : v == QLatin1String("FALSE") ? false : def;
        };
        if (key == QLatin1String("PATH")) h.Path = value;
        else if (key == QLatin1String("VERSION")) h.Version = value;
        else if (key == QLatin1String("DATE")) h.Date = value;
        else if (key == QLatin1String("TITLE")) h.Title = value;
        else if (key == QLatin1String("FORMFILE")) h.FormFile = value;
        else if (key == QLatin1String("PAPERSIZE")) h.PaperSize = fieldInt(value, h.PaperSize);
        else if (key == QLatin1String("OUTPUTPAPER")) h.OutPutPaper = fieldInt(value, h.OutPutPaper);
        else if (key == QLatin1String("ORIENTATION")) h.Orientation = fieldInt(value, h.Orientation);
        else if (key == QLatin1String("TOPMARGIN")) h.TopMargin = fieldInt(value, h.TopMargin);
        else if (key == QLatin1String("LEFTMARGIN")) h.LeftMargin = fieldInt(value, h.LeftMargin);
        else if (key == QLatin1String("FORMTOPMARGIN")) h.FormTopMargin = fieldInt(value, h.FormTopMargin);
        else if (key == QLatin1String("FORMLEFTMARGIN")) h.FormLeftMargin = fieldInt(value, h.FormLeftMargin);
        else if (key == QLatin1String("NETC1")) h.NetColor1 = hexColor(value, h.NetColor1);
        else if (key == QLatin1String("NETC2")) h.NetColor2 = hexColor(value, h.NetColor2);
        else if (key == QLatin1String("USERC1")) h.UserColor1 = hexColor(value, h.UserColor1);
        else if (key == QLatin1String("USERC2")) h.UserColor2 = hexColor(value, h.UserColor2);
        else if (key == QLatin1String("FORMPRINT")) h.FormPrint = boolValue(h.FormPrint);
        else if (key == QLatin1String("COPIES")) h.Copies = fieldInt(value, h.Copies);
        else if (key == QLatin1String("PAGENOSWITCH")) h.PageNoSwitch = boolValue(h.PageNoSwitch);
        else if (key == QLatin1String("PAGENOLEFT")) h.PageNoLeft = fieldInt(value, h.PageNoLeft);
        else if (key == QLatin1String("PAGENOTOP")) h.PageNoTop = fieldInt(value, h.PageNoTop);
        else if (key == QLatin1String("PAGENOALIGNMENT")) h.PageNoAlignment = fieldInt(value, h.PageNoAlignment);
        else if (key == QLatin1String("PAGENOFORMAT")) h.PageNoFormat = value;
    }
    return h;
}

// ---- reader ----------------------------------------------------------------------

const TRecordField *TRecord::field(QStringView name) const
{
    for (const TRecordField &f : Fields)
        if (f.Name == name)
            return &f;
    return nullptr;
}

const TRecordField *TRecord::field(QLatin1StringView name) const
{
    for (const TRecordField &f : Fields)
        if (f.Name == name)
            return &f;
    return nullptr;
}

int TRecord::numL(QLatin1StringView name) const
{
    const TRecordField *f = field(name);
    return f ? f->Number : 0;
}

QString TRecord::textL(QLatin1StringView name) const
{
    const TRecordField *f = field(name);
    return f ? f->Text : QString();
}

int TRecord::num(const QString &name) const
{
    const TRecordField *f = field(QStringView(name));
    return f ? f->Number : 0;
}

QString TRecord::text(const QString &name) const
{
    const TRecordField *f = field(QStringView(name));
    return f ? f->Text : QString();
}

QStringList recordFieldNames(TRecordKind kind)
{
    QStringList names;
    for (const KindInfo &k : kindTable())
        if (k.kind == kind) {
            for (const FieldDef &f : k.fields)
                names << f.name;
            break;
        }
    return names;
}

QStringList splitRecordLine(const QString &line)
{
    QStringView s(line);
    QString unquoted;
    if (line.contains(u'"')) {
        unquoted = line;
        unquoted.remove(u'"');
        s = unquoted;
    }
    QStringList parts;
    parts.reserve(16);
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == u';') {
            parts << s.mid(start, i - start).toString();
            start = i + 1;
        }
    }
    if (start < s.size()) // a last field without its ";"
        parts << s.mid(start).toString();
    return parts;
}

int fieldInt(const QString &text, int def)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;
    bool neg = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        neg = text.at(i) == u'-';
        ++i;
    }
    if (i >= n)
        return def;
    qint64 v = 0;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return def;
        v = v * 10 + (c.unicode() - u'0');
        if (v > (qint64(1) << 31))
            return def;
    }
    if (neg)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return def;
    return static_cast<int>(v);
}

bool parseRecord(const QString &line, TRecord &record)
{
    if (line.isEmpty())
        return false;
    const QStringList parts = splitRecordLine(line);
    if (parts.isEmpty())
        return false;
    const QString keyword = parts.first().toUpper();
    const auto it = kindTable().constFind(keyword);
    if (it == kindTable().constEnd())
        return false;
    TRecord r;
    r.Fields.reserve(it->fields.size());
    r.Kind = it->kind;
    r.Keyword = it->keyword;
    const QList<FieldDef> &defs = it->fields;
    for (int i = 0; i < defs.size(); ++i) {
        TRecordField f;
        f.Name = defs[i].name;
        f.Numeric = defs[i].numeric;
        f.Text = i + 1 < parts.size() ? parts[i + 1] : QString();
        f.Number = f.Numeric ? fieldInt(f.Text, defs[i].def) : 0;
        r.Fields << f;
    }
    for (int i = defs.size() + 1; i < parts.size(); ++i)
        r.Extra << parts[i];
    record = std::move(r);
    return true;
}

QStringList decodeLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines << platform::fromCp932(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << platform::fromCp932(bytes.mid(start));
    return lines;
}

QList<TPage> readPages(const QByteArray &bytes)
{
    QList<TPage> pages;
    TPage page;
    for (const QString &line : decodeLines(bytes)) {
        TRecord r;
        if (!parseRecord(line, r))
            continue;
        if (r.Kind == TRecordKind::PageEnd) {
            page.Closed = true;
            pages << page;
            page = TPage();
            continue;
        }
        page.Records << r;
    }
    if (!page.Records.isEmpty())
        pages << page;
    return pages;
}

int countPageEnds(const QByteArray &bytes)
{
    int count = 0;
    for (const QString &line : decodeLines(bytes))
        if (line.left(2).toUpper() == QLatin1String("E;"))
            ++count;
    return count;
}

// ---- page numbers --------------------------------------------------------------

bool formatInts(const QString &format, const QList<int> &args, QString &out)
{
    constexpr int kMaxFormatWidth = 1024;
    out.clear();
    int next = 0;
    const int n = format.size();
    const auto takeArg = [&](int &value) {
        if (next >= args.size())
            return false;
        value = args[next++];
        return true;
    };
    for (int i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= n)
            return false;
        if (format.at(i) == u'%') {
            out += u'%';
            continue;
        }
        // [index:] [-] [width] [.prec] type
        int j = i;
        while (j < n && format.at(j).isDigit())
            ++j;
        if (j < n && format.at(j) == u':' && j > i) {
            next = format.mid(i, j - i).toInt();
            i = j + 1;
        }
        bool left = false;
        if (i < n && format.at(i) == u'-') {
            left = true;
            ++i;
        }
        int width = -1;
        if (i < n && format.at(i) == u'*') {
            if (!takeArg(width))
                return false;
            ++i;
        } else {
            int k = i;
            while (k < n && format.at(k).isDigit())
                ++k;
            if (k > i)
                width = k - i > 6 ? kMaxFormatWidth + 1 : format.mid(i, k - i).toInt();
            i = k;
        }
        int prec = -1;
        if (i < n && format.at(i) == u'.') {
            ++i;
            if (i < n && format.at(i) == u'*') {
                if (!takeArg(prec))
                    return false;
                ++i;
            } else {
                int k = i;
                while (k < n && format.at(k).isDigit())
                    ++k;
                prec = k - i > 6 ? kMaxFormatWidth + 1 : format.mid(i, k - i).toInt();
                i = k;
            }
        }
        if (i >= n || width > kMaxFormatWidth || prec > kMaxFormatWidth)
            return false; // no page number needs more; a huge width would only exhaust memory
        const QChar type = format.at(i).toUpper();
        int value = 0;
        QString text;
        if (type == u'D' || type == u'U' || type == u'X') {
            if (!takeArg(value))
                return false;
            if (type == u'X')
                text = QString::number(static_cast<quint32>(value), 16).toUpper();
            else if (type == u'U')
                text = QString::number(static_cast<quint32>(value));
            else
                text = QString::number(std::abs(static_cast<qint64>(value)));
            if (prec > 0 && text.size() < prec)
                text = text.rightJustified(prec, u'0');
            if (type == u'D' && value < 0)
                text.prepend(u'-');
        } else {
            return false; // any other type cannot take an integer
        }
        if (width > text.size())
            text = left ? text.leftJustified(width, u' ') : text.rightJustified(width, u' ');
        out += text;
    }
    return true;
}

QByteArray autoPageNumberRecord(const TPageNumberStyle &style, const QString &pageText)
{
    QByteArray out("TEXT;");
    out += num(style.Left) + ';' + num(style.Top) + ';' + cp(recordText(pageText)) + ';'
           + cp(recordText(style.FontName)) + ';' + num(style.FontSize) + ";;" + cp(QStringLiteral("黒"))
           + ";OFF;" + num(style.Alignment) + ";0;0;*AUTO*";
    return out;
}

} // namespace pager512
