#include "framework/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installJapaneseQtTranslations()
{
    static QTranslator *installed = nullptr;
    if (installed) return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Dates and sizes in Qt's own dialogs the Japanese way as well.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installed = translator;
    return true;
}
