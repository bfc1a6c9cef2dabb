#include "app/MainForm.h"
#include "core/DateFormat.h"
#include "framework/BackupRestoreRun.h"
#include "framework/FrameworkMessages.h"
#include "framework/QtFileChooser.h"
#include "framework/QtTranslations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();
    installQtFileChooser();
    InstallMyNumberPasswordPrompt();
    installJapaneseQtTranslations();
    return RunWizardProgram(app.arguments().mid(1), QCoreApplication::applicationFilePath());
}
