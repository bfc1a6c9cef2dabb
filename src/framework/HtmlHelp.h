#pragma once
// The HTML manual: each screen knows the file name of its page; the page is
// opened in the user's browser from the help folder of the application.
#include <QString>
#include <QUrl>

#include <functional>

// Opens a URL; true on success. QDesktopServices::openUrl unless a test or the
// host program installs another opener.
extern std::function<bool(const QUrl &url)> HelpOpener;

// The file of a help page under the help folder: the contents page "olm.html" in
// "rirev", every other page in "rirev/olm.files". Empty for an empty name.
QString HtmlManualPath(const QString &helpDir, const QString &page);

// Opens the page of the manual (help folder of SystemDef). 0 on success or for an
// empty name (nothing is done), -1 when the opener failed; failures are not shown.
int OpenHtmlManual(const QString &page);
