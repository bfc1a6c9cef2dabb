#include "framework/FrameworkFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {
const QString kSans = QStringLiteral("Noto Sans CJK JP");

QString normalised(const QString &name)
{
    // Full-width letters and blanks to half-width, upper case, no blanks.
    QString s;
    for (QChar c : name) {
        ushort u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) u = ushort(u - 0xFEE0);
        if (u == 0x3000 || u == ' ') continue;
        s += QChar(u).toUpper();
    }
    return s;
}
} // namespace

QString MapWindowsFontName(const QString &name)
{
    const QString n = normalised(name);
    if (n.isEmpty()) return kSans;
    static const QStringList japanese = {
        QStringLiteral("MSPゴシック"), QStringLiteral("MSゴシック"), QStringLiteral("MSUIGOTHIC"),
        QStringLiteral("MSP明朝"), QStringLiteral("MS明朝"), QStringLiteral("メイリオ"),
        QStringLiteral("MEIRYO"), QStringLiteral("MEIRYOUI"), QStringLiteral("MSPGOTHIC"),
        QStringLiteral("MSGOTHIC"), QStringLiteral("MSMINCHO"), QStringLiteral("MSPMINCHO"),
        QStringLiteral("YUGOTHIC"), QStringLiteral("游ゴシック"), QStringLiteral("TAHOMA"),
        QStringLiteral("MSSANSSERIF"), QStringLiteral("SEGOEUI")};
    if (japanese.contains(n)) return kSans;
    return name;
}

QFont MakeFont(const QString &windowsName, int height)
{
    QFont f(MapWindowsFontName(windowsName));
    if (height < 0)
        f.setPixelSize(-height);
    else if (height > 0)
        f.setPointSize(height);
    return f;
}

QFont DesignFont()
{
    return MakeFont(QStringLiteral("ＭＳ Ｐゴシック"), -13);
}
