#include "app/MainForm.h"
#include "dbaccess/DateFormat.h"
#include "framework/FrameworkMessages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();
    return RunWizardProgram(app.arguments().mid(1), QCoreApplication::applicationFilePath());
}
