// Opens a data set as a program of the accounting package does, its
// information file marked in use by the operator, prints "HELD" and waits to
// be killed, so that a test sees what a killed program leaves behind.
// Arguments: data folder, database user, password, operator id, operator name.
#include "core/Messages.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

// No window here: a box is written to the error output and answered with OK.
class PrintedMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override
    {
        std::fprintf(stderr, "%s\n", request.text.toUtf8().constData());
        return mrOk;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 6) return 2;
    PrintedMessages messages;
    MessageService::install(&messages);
    const QString folder = QString::fromUtf8(argv[1]);
    SystemDef.DbUser = QString::fromUtf8(argv[2]);
    SystemDef.DbPassword = QString::fromUtf8(argv[3]);
    SystemDef.OpCode = QByteArray(argv[4]).toInt();
    SystemDef.OpName = QString::fromUtf8(argv[5]);
    SystemDef.GroupNo = 10000;
    ConnectMode = 0;
    TDM dm;
    DM = &dm;
    InstallDataInfoHooks();
    if (!dm.fnAccDatConnected(QString(), folder, true)) return 3;
    std::printf("HELD\n");
    std::fflush(stdout);
    for (;;) QThread::sleep(60);
}
