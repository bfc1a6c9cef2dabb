#include "app/MainWindow.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DateFormat.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Messages.h"
#include "framework/FrameworkMessages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    InitStartupFormats();
    QApplication app(argc, argv);
    InstallFrameworkMessageService();
    if (LoadAppInfo(QCoreApplication::applicationFilePath(), AppInfo) != 1) {
        MessageDlg(QStringLiteral("AppInfo.ini の読み込みに失敗しました。\rアプリケーションを強制終了します。"),
                   TMsgDlgType::mtError, mbOK);
        return 1;
    }
    SetFrameworkGlobals(AppInfo);
    MainWindow window;
    window.show();
    return app.exec();
}
