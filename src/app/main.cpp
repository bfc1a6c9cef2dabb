#include "app/MainForm.h"
#include "app/Startup.h"
#include "dbaccess/DateFormat.h"
#include "dbaccess/Messages.h"
#include "framework/FrameworkMessages.h"
#include "platform/NamedLock.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();

    platform::NamedLock own(QStringLiteral("SOLTEA_RENDO"));
    if (!CheckSingleInstance(own)) return 0;
    QApplication::setApplicationDisplayName(QStringLiteral("連動ﾃﾞｰﾀの作成"));

    int rc = 0;
    {
        TForm1 form;
        if (!form.FormCreate(app.arguments().mid(1), QCoreApplication::applicationFilePath())) return 1;
        if (!InitApplication()) return 1;
        form.show();
        rc = app.exec();
    } // the form reports to its caller as it goes
    return rc;
}
