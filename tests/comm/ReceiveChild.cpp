// The receive of the communication window run in a program of its own, so that
// a test can kill it (SIGKILL) while it restores. Every box is answered with
// Yes or OK.
//
// Usage: comm-receive-child SYSDIR DATADIR WINTEMP TEMP APPINI DBUSER DBPASSWORD FTPPASSWORD
// Prints "RESULT <n>" when the receive ends.
#include "comm/DataTransfer.h"
#include "comm/z5DataTusin.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"

#include <QApplication>
#include <QTableWidget>

#include <cstdio>

namespace {

class AnswerAll : public MessageService
{
public:
    int show(const MessageRequest &r) override { return (r.buttons & mbYes) ? mrYes : mrOk; }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 9) {
        std::fprintf(stderr, "usage: comm-receive-child SYSDIR DATADIR WINTEMP TEMP APPINI DBUSER DBPASSWORD FTPPASSWORD\n");
        return 2;
    }
    AnswerAll answers;
    MessageService::install(&answers);
    SystemDef.SysDir = a[1];
    SystemDef.DataDir = a[2];
    SystemDef.WinTempDir = a[3];
    SystemDef.TempDir = a[4];
    SystemDef.AppIniFile = a[5];
    SystemDef.DbUser = a[6];
    SystemDef.DbPassword = a[7];
    SystemDef.LogDir = a[3];
    SystemDef.OpCode = 10;
    ConnectMode = 0;
    TDM dm;
    DM = &dm;
    if (!dm.fnAccDatConnected(QString(), SystemDef.DataDir, false) || !dm.fnGetAccInfo()) return 3;

    int result = -1;
    {
        TfmDataTusin form;
        form.SetParams({QStringLiteral("SyoriType=2")});
        form.Settings = TRelaySettings::fromApplicationIni();
        form.Session.SerialText = form.Settings.SerialText;
        form.Session.FtpHost = QStringLiteral("127.0.0.1");
        form.Session.FtpPassword = a[8];
        form.Session.Slots[1].DataName = QStringLiteral("received");
        form.Session.Slots[1].SlotPassword = AccInf.PASWORD;
        form.PerfectGrid1->setRowCount(TRelaySession::SlotCount);
        form.PerfectGrid1->setItem(1, tcDataName, new QTableWidgetItem(QStringLiteral("received")));
        form.PerfectGrid1->setCurrentCell(1, tcDataName);
        std::printf("START\n");
        std::fflush(stdout);
        result = datatransfer::ReceiveData(form);
    }
    std::printf("RESULT %d\n", result);
    std::fflush(stdout);
    DM = nullptr;
    MessageService::install(nullptr);
    return result;
}
