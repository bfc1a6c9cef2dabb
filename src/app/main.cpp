#include "app/MainForm.h"
#include "core/DateFormat.h"
#include "framework/BackupRestoreRun.h"
#include "framework/FrameworkMessages.h"
#include "framework/QtFileChooser.h"
#include "framework/QtTranslations.h"
#include "print/Pager512_Tables.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();
    installQtFileChooser();
    InstallMyNumberPasswordPrompt();
    installJapaneseQtTranslations();
    // The print engine: fonts, printers (the built-in PDF printer when the system
    // lists none). A failure leaves it not ready; the program goes on.
    InitPrintEngine();
    const int result = RunWizardProgram(app.arguments().mid(1), QCoreApplication::applicationFilePath());
    ClosePrintEngine();
    return result;
}
