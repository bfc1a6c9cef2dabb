// Times the SQL dump of the analysis service against "gbak -b" of the same
// company database in the same run.
//   webdb-dump-bench [JOURNAL]   (300000 journal rows by default)
// Makes a company data set with the given number of journal rows, then times
// (the best of three each) the dump and the backup tool, and prints the
// figures and whether the dump took at most twice the tool's time.
#include "comm/WebDbSqlDump.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "support/CompanyRows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const QString kUser = QStringLiteral("DORVEL");
const QString kPassword = QStringLiteral("zoltup");

class PrintedMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override
    {
        std::fprintf(stderr, "box: %s\n", request.text.toUtf8().constData());
        return mrOk;
    }
};

double best(int runs, const std::function<bool()> &run)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run()) {
            std::fprintf(stderr, "a run failed\n");
            return -1;
        }
        fastest = std::min(fastest, t.nsecsElapsed() / 1e9);
    }
    return fastest;
}

bool gbak(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ISC_USER"), kUser);
    env.insert(QStringLiteral("ISC_PASSWORD"), kPassword);
    p.setProcessEnvironment(env);
    p.start(backuptool::gbakPath(), args);
    if (!p.waitForFinished(-1)) return false;
    if (p.exitCode() != 0) std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrintedMessages boxes;
    MessageService::install(&boxes);
    const int journal = argc > 1 ? atoi(argv[1]) : 300000;

    QTemporaryDir tmp;
    const DataRootInfo root = CreateDataRoot(tmp.path() + QStringLiteral("/root"), kUser, kPassword);
    SystemDef.SysDir = root.sysDir;
    SystemDef.DbUser = kUser;
    SystemDef.DbPassword = kPassword;
    SystemDef.WinTempDir = tmp.path();
    SystemDef.TempDir = tmp.path() + QStringLiteral("/temp");
    SystemDef.LogDir = tmp.path();
    SystemDef.BaseDir = QStringLiteral(PROJECT_RESOURCES_DIR);
    SystemDef.AppDispName = QStringLiteral("連動ﾃﾞｰﾀの作成");
    ConnectMode = 0;
    AccInf.DATATYPE = 1;
    AccInf.MAJOR = 11;
    TDM dm;
    DM = &dm;
    const QString db = root.companyDir + QStringLiteral("/vqacc.fdb");
    QElapsedTimer fillTime;
    fillTime.start();
    companyrows::fill(db, kUser, kPassword, 0, journal);
    std::printf("data set: %d journal rows, %.1f MB, made in %.1f s\n", journal, QFileInfo(db).size() / 1048576.0,
                fillTime.nsecsElapsed() / 1e9);

    const QString toolFile = tmp.path() + QStringLiteral("/tool.fbk");
    QString dumpFile;
    // The tool cannot open the database while this process holds it: the
    // dump connects for its runs and lets go before the tool's.
    const double dumpTime = best(3, [&] {
        if (!dm.fnAccDatConnected(QString(), root.companyDir, false)) return false;
        TWebDbSqlDump dump;
        dump.DatabaseName = QStringLiteral("velda_d_BENCH_1");
        const bool ok = dump.WriteDumpFile();
        dumpFile = dump.DumpFilePath;
        dm.IBDatabaseDAT.close();
        return ok;
    });
    const double toolTime = best(3, [&] {
        QFile::remove(toolFile);
        return gbak({QStringLiteral("-b"), db, toolFile});
    });
    const double ratio = dumpTime / toolTime;
    std::printf("dump %.2f s (%.1f MB), gbak -b %.2f s (%.1f MB), ratio %.2f %s\n", dumpTime,
                QFileInfo(dumpFile).size() / 1048576.0, toolTime, QFileInfo(toolFile).size() / 1048576.0, ratio,
                ratio <= 2.0 ? "ok" : "OVER 2");
    DM = nullptr;
    MessageService::install(nullptr);
    return ratio <= 2.0 ? 0 : 1;
}
