#include "app/MainForm.h"
#include "dbaccess/DateFormat.h"
#include "framework/FrameworkMessages.h"
#include "framework/QtTranslations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();
    InstallJapaneseQtTranslations();
    return RunWizardProgram(app.arguments().mid(1), QCoreApplication::applicationFilePath());
}
