#include "framework/HtmlHelp.h"

#include "dbaccess/Globals.h"

#include <QDesktopServices>

std::function<bool(const QUrl &)> HelpOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

QString HtmlManualPath(const QString &helpDir, const QString &page)
{
    if (page.isEmpty()) return {};
    QString dir = helpDir;
    while (dir.endsWith(u'/') && dir.size() > 1) dir.chop(1);
    if (page == QStringLiteral("olm.html")) return dir + QStringLiteral("/rirev/olm.html");
    return dir + QStringLiteral("/rirev/olm.files/") + page;
}

int OpenHtmlManual(const QString &page)
{
    if (page.isEmpty()) return 0;
    const QString path = HtmlManualPath(SystemDef.HelpDir, page);
    if (!HelpOpener) return -1;
    return HelpOpener(QUrl::fromLocalFile(path)) ? 0 : -1;
}
