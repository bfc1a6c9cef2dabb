// Times the backup and restore job against the command-line tool.
//   backup-bench [ASSETS JOURNAL]   (100000 and 300000 by default)
// Makes a company data set with the given numbers of fixed assets and
// journal rows, then, with the same database in the same run, times (the
// best of three each): the job's backup with method 0 against "gbak -b", the
// job's restore with method 0 against "gbak -c", and the job's backup and
// restore with method 1 (through the file-manager database). Prints the
// figures and whether the job took at most 1.1 times the tool's time.
#include "core/Messages.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/Globals.h"
#include "framework/BackupRestoreRun.h"
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

// Boxes are printed and answered, never shown.
class PrintedMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override
    {
        std::fprintf(stderr, "box: %s\n", request.text.toUtf8().constData());
        return request.buttons & mbYes ? mrYes : mrOk;
    }
};

double best(int runs, const std::function<void()> &before, const std::function<bool()> &run)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        before();
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
    const int assets = argc > 2 ? atoi(argv[1]) : 100000;
    const int journal = argc > 2 ? atoi(argv[2]) : 300000;

    QTemporaryDir tmp;
    const DataRootInfo root = CreateDataRoot(tmp.path() + QStringLiteral("/root"), kUser, kPassword);
    SystemDef.SysDir = root.sysDir;
    SystemDef.DbUser = kUser;
    SystemDef.DbPassword = kPassword;
    SystemDef.WinTempDir = tmp.path();
    SystemDef.LogDir = tmp.path();
    SystemDef.OpCode = 10001;
    ConnectMode = 0;
    TDM dm;
    DM = &dm;
    const QString db = root.companyDir + QStringLiteral("/vqacc.fdb");
    QElapsedTimer fillTime;
    fillTime.start();
    companyrows::fill(db, kUser, kPassword, assets, journal);
    std::printf("data set: %d assets, %d journal rows, %.1f MB, made in %.1f s\n", assets, journal,
                QFileInfo(db).size() / 1048576.0, fillTime.nsecsElapsed() / 1e9);

    const QString out = tmp.path() + QStringLiteral("/out");
    QDir().mkpath(out);
    const QString jobFile = out + QStringLiteral("/job.fbk");
    const QString toolFile = out + QStringLiteral("/tool.fbk");
    const QString target = tmp.path() + QStringLiteral("/target");
    QDir().mkpath(target);
    const QString targetDb = target + QStringLiteral("/vqacc.fdb");
    const auto clearTarget = [&] { QFile::remove(targetDb); };
    const auto nothing = [] {};
    constexpr int runs = 3;

    const auto jobBackup = [&](int method, const QString &file) {
        TBackupRestoreThread job;
        job.Mode = 0;
        job.Method = quint8(method);
        job.DatabasePath = db;
        job.BackupFile = file;
        return RunBackupRestoreJob(job, nullptr, QStringLiteral("保存"));
    };
    const auto jobRestore = [&](int method, const QString &file) {
        TBackupRestoreThread job;
        job.Mode = 1;
        job.Method = quint8(method);
        job.MyNumberCheck = 0;
        job.DatabasePath = targetDb;
        job.BackupFile = file;
        job.RestoreOption = 1;
        return RunBackupRestoreJob(job, nullptr, QStringLiteral("復元"));
    };

    // The same settings as the job: no garbage collection, limbo ignored, non-transportable;
    // 4096 page buffers and 16 KB pages on restore.
    const double toolB = best(runs, nothing, [&] {
        QFile::remove(toolFile);
        return gbak({QStringLiteral("-b"), QStringLiteral("-g"), QStringLiteral("-l"), QStringLiteral("-nt"), db, toolFile});
    });
    const double jobB = best(runs, nothing, [&] { return jobBackup(0, jobFile); });
    const double toolR = best(runs, clearTarget, [&] {
        return gbak({QStringLiteral("-c"), QStringLiteral("-bu"), QStringLiteral("4096"), QStringLiteral("-p"), QStringLiteral("16384"),
                     toolFile, targetDb});
    });
    const double jobR = best(runs, clearTarget, [&] { return jobRestore(0, jobFile); });
    const double m1B = best(1, nothing, [&] { return jobBackup(1, out + QStringLiteral("/m1.fbk")); });
    const double m1R = best(1, clearTarget, [&] { return jobRestore(1, out + QStringLiteral("/m1.fbk")); });

    std::printf("backup:  job %.2f s, gbak -b %.2f s, ratio %.2f %s\n", jobB, toolB, jobB / toolB, jobB <= 1.1 * toolB ? "ok" : "OVER 1.1");
    std::printf("restore: job %.2f s, gbak -c %.2f s, ratio %.2f %s\n", jobR, toolR, jobR / toolR, jobR <= 1.1 * toolR ? "ok" : "OVER 1.1");
    std::printf("method 1 (file-manager database): backup %.2f s, restore %.2f s; backup file %.1f MB\n", m1B, m1R,
                QFileInfo(jobFile).size() / 1048576.0);
    DM = nullptr;
    MessageService::install(nullptr);
    return (jobB <= 1.1 * toolB && jobR <= 1.1 * toolR) ? 0 : 1;
}
