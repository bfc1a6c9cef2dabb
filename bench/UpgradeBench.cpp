// Times the whole chain of company upgrade steps against the SQL tool alone.
//   upgrade-bench [ROUNDS]   (3 by default)
// Makes a company database of version 0.1.0 from the base schema and collects
// the scripts the 55 company steps write. Then, in rounds and each time on a
// fresh copy of the same base file, it times:
//   - the runner: the update dialog's run over all company steps (each step
//     writes its script, runs the tool and does its work from the program
//     before or after it), with the steps' safety backups switched off;
//   - the tool once per script: "isql-fb" started for each collected script in
//     turn, which is what any runner of one tool process per step must pay;
//   - the tool on the scripts concatenated: one "isql-fb" for all of them.
// Prints the best time of each over the rounds, the machine's cores and load,
// and whether the runner took at most 1.2 times the concatenated run.
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"

#include <QThread>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const QString kUser = QStringLiteral("DORVEL");
const QString kPassword = QStringLiteral("zoltup");

class PrintedMessages : public MessageService
{
public:
    int show(const MessageRequest &request) override
    {
        std::fprintf(stderr, "box: %s\n", request.text.toUtf8().constData());
        return request.buttons & mbYes ? mrYes : mrOk;
    }
};

bool makeBase(const QString &path)
{
    QFile f(QStringLiteral(PROJECT_RESOURCES_DIR "/sql/company_0_1_0.sql"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    FbDatabase::createDatabase(path, kUser, kPassword);
    FbDatabase db;
    db.DatabaseName = path;
    db.Params = {QStringLiteral("user_name=") + kUser, QStringLiteral("password=") + kPassword,
                 QStringLiteral("lc_ctype=SJIS_0208")};
    db.open();
    ExecuteSqlScript(db, QString::fromUtf8(f.readAll()));
    db.close();
    return true;
}

bool copyBase(const QString &base, const QString &folder)
{
    QDir().mkpath(folder);
    QFile::remove(folder + QStringLiteral("/vqacc.fdb"));
    return QFile::copy(base, folder + QStringLiteral("/vqacc.fdb"));
}

// Reads the company values the steps use (a database of 0.1.0 lacks columns
// of the program's company record, so they come from their tables).
void readCompany(const QString &folder)
{
    SystemDef.DataDir = folder;
    FbDatabase db;
    db.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
    db.Params = {QStringLiteral("user_name=") + kUser, QStringLiteral("password=") + kPassword,
                 QStringLiteral("lc_ctype=SJIS_0208")};
    db.open();
    FbTransaction tr(&db);
    FbQuery q(&db, &tr);
    tr.startTransaction();
    q.setSql(QStringLiteral("SELECT A.DATATYPE, A.CODETYPE, (SELECT KCODE FROM ACCDEF2 WHERE KNAME = '諸口') FROM ACCDEF1 A WHERE A.REC = 1"));
    q.open();
    AccInf = TACCINF();
    AccInf.DATATYPE = q.field(0).asInteger();
    AccInf.CODETYPE = q.field(1).asInteger();
    AccInf.Medical = AccInf.DATATYPE == 3 && AccInf.CODETYPE == 1;
    AccInf.SysKCode[saSyokuti] = q.field(2).asString();
    q.close();
    tr.commit();
    db.close();
}

// Calls every company step in turn on the data set of the folder (to collect
// the scripts they write); false when one fails.
bool callSteps(const QString &folder)
{
    readCompany(folder);
    for (const TDbUpdateListRec &r : UserDbUpdateSteps()) {
        const int rc = r.UpdateProc();
        if (rc != DbUpdateDone) {
            std::fprintf(stderr, "step %d.%d.%d: result %d\n%s\n", r.Major, r.Minor1, r.Minor2, rc,
                         LastIsqlOutput().join(u'\n').toUtf8().constData());
            return false;
        }
    }
    return true;
}

// The update dialog's run over every company step of the data set of the
// folder, without the steps' safety backups; seconds, or -1 when it failed.
double runRunner(const QString &folder)
{
    readCompany(folder);
    TArrayDbUpdateListRec steps = UserDbUpdateSteps();
    for (TDbUpdateListRec &r : steps) r.NeedBackup = 0;
    TDbUpdateBox box(SystemDbUpdateSteps(), steps);
    box.SetUpdateList(1, QStringLiteral("0.1.0"));
    if (!box.UpdateNeeded() || box.BackupCount() != 0 || box.LastIndex() - box.FirstIndex() + 1 != int(steps.size())) {
        std::fprintf(stderr, "the dialog did not take the whole chain\n");
        return -1;
    }
    QElapsedTimer t;
    t.start();
    const int rc = box.ExecuteUpdate();
    const double s = t.nsecsElapsed() / 1e9;
    if (rc != 1) {
        std::fprintf(stderr, "the runner failed (%d)\n%s\n", rc, LastIsqlOutput().join(u'\n').toUtf8().constData());
        return -1;
    }
    return s;
}

// Runs the tool on one script as the runner does; false when it failed.
bool runTool(const QString &tool, const QString &script, const QString &log)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    QFile::remove(log);
    p.start(tool, {QStringLiteral("-q"), QStringLiteral("-i"), script, QStringLiteral("-e"), QStringLiteral("-m"),
                   QStringLiteral("-o"), log});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
    // The runner's own judgement: the tool's word on a failing statement.
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray out = f.readAll();
    return !out.contains("failed") && !out.contains("Error");
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(u' ', 0, 2);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrintedMessages boxes;
    MessageService::install(&boxes);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    for (const TDbUpdateListRec &r : UserDbUpdateSteps())
        if (r.UpdateProc == DbUpdateScriptUnavailable) {
            std::fprintf(stderr, "step %d.%d.%d carries no script in this build\n", r.Major, r.Minor1, r.Minor2);
            return 2;
        }
    const QString tool = FindIsqlTool();
    if (tool.isEmpty()) {
        std::fprintf(stderr, "the Firebird SQL tool is not installed\n");
        return 2;
    }

    QTemporaryDir tmp;
    const DataRootInfo root = CreateDataRoot(tmp.path() + QStringLiteral("/root"), kUser, kPassword);
    SystemDef.SysDir = root.sysDir;
    SystemDef.DbUser = kUser;
    SystemDef.DbPassword = kPassword;
    SystemDef.WinTempDir = tmp.path() + QStringLiteral("/work");
    SystemDef.LogDir = tmp.path() + QStringLiteral("/log");
    SystemDef.SqlDir = QStringLiteral(PROJECT_RESOURCES_DIR "/sqlsteps");
    SystemDef.OpCode = 10001;
    SystemDef.PcName = QStringLiteral("BENCH");
    QDir().mkpath(SystemDef.WinTempDir);
    QDir().mkpath(SystemDef.LogDir);
    ConnectMode = 0;
    TDM dm;
    DM = &dm;

    const QString base = tmp.path() + QStringLiteral("/base.fdb");
    if (!makeBase(base)) return 2;

    // The scripts of the steps: a stand-in tool keeps a copy of each, then runs the real one.
    const QString scripts = tmp.path() + QStringLiteral("/scripts");
    QDir().mkpath(scripts);
    const QString keeper = tmp.path() + QStringLiteral("/keeping-isql");
    {
        QFile f(keeper);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\nn=$(ls \"" + QFile::encodeName(scripts) + "\" | wc -l)\n"
                "cp \"$3\" \"" + QFile::encodeName(scripts) + "/$(printf %03d $n).sql\"\nexec \"" +
                QFile::encodeName(tool) + "\" \"$@\"\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    SetIsqlToolPath(keeper);
    if (!copyBase(base, tmp.path() + QStringLiteral("/collect")) || !callSteps(tmp.path() + QStringLiteral("/collect"))) return 1;
    SetIsqlToolPath(tool);

    // Each step's script for the per-script runs, and one script of every
    // step's lines with the EXIT of all but the last left out, each naming
    // the database copy its run works on.
    const QByteArray collected = QFile::encodeName(tmp.path() + QStringLiteral("/collect/vqacc.fdb"));
    const QString separateFolder = tmp.path() + QStringLiteral("/separate");
    const QString toolFolder = tmp.path() + QStringLiteral("/tool");
    QByteArray all;
    QStringList separate;
    const QStringList names = QDir(scripts).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    if (names.size() != qsizetype(UserDbUpdateSteps().size())) {
        std::fprintf(stderr, "%lld scripts collected for %d steps\n", static_cast<long long>(names.size()),
                     int(UserDbUpdateSteps().size()));
        return 1;
    }
    for (int i = 0; i < names.size(); ++i) {
        QFile f(scripts + u'/' + names[i]);
        f.open(QIODevice::ReadOnly);
        QByteArray text = f.readAll();
        for (const QByteArray &line : text.split('\n')) {
            if (i + 1 < names.size() && line.trimmed() == "EXIT;") continue;
            all += line + '\n';
        }
        text.replace(collected, QFile::encodeName(separateFolder + QStringLiteral("/vqacc.fdb")));
        const QString path = tmp.path() + QStringLiteral("/separate-") + names[i];
        QFile o(path);
        o.open(QIODevice::WriteOnly);
        o.write(text);
        separate << path;
    }
    const QString allPath = tmp.path() + QStringLiteral("/all.sql");
    all.replace(collected, QFile::encodeName(toolFolder + QStringLiteral("/vqacc.fdb")));
    {
        QFile f(allPath);
        f.open(QIODevice::WriteOnly);
        f.write(all);
    }

    const QString loadBefore = loadAverage();
    double runner = 1e300, perScript = 1e300, isql = 1e300;
    for (int i = 0; i < runs; ++i) {
        const QString folder = tmp.path() + QStringLiteral("/runner");
        if (!copyBase(base, folder)) return 2;
        const double s = runRunner(folder);
        if (s < 0) return 1;
        runner = std::min(runner, s);

        if (!copyBase(base, separateFolder)) return 2;
        QElapsedTimer t;
        t.start();
        for (const QString &script : separate)
            if (!runTool(tool, script, tmp.path() + QStringLiteral("/separate.log"))) {
                std::fprintf(stderr, "the tool failed on %s\n", qPrintable(script));
                return 1;
            }
        const double sp = t.nsecsElapsed() / 1e9;
        perScript = std::min(perScript, sp);

        if (!copyBase(base, toolFolder)) return 2;
        t.start();
        if (!runTool(tool, allPath, tmp.path() + QStringLiteral("/all.log"))) {
            std::fprintf(stderr, "the tool failed on the concatenated scripts\n");
            return 1;
        }
        const double sc = t.nsecsElapsed() / 1e9;
        isql = std::min(isql, sc);
        std::fprintf(stderr, "round %d: runner %.2f s, tool per script %.2f s, tool concatenated %.2f s\n", i + 1, s, sp, sc);
    }
    std::printf("%d company steps, %lld script files, %lld script lines; %d cores, load average %s before, %s after\n",
                int(UserDbUpdateSteps().size()), static_cast<long long>(names.size()),
                static_cast<long long>(all.count('\n')), QThread::idealThreadCount(), qPrintable(loadBefore),
                qPrintable(loadAverage()));
    std::printf("best of %d: runner %.2f s, isql-fb once per script %.2f s, isql-fb on the concatenated scripts %.2f s\n",
                runs, runner, perScript, isql);
    std::printf("runner / concatenated %.2f %s; once per script / concatenated %.2f; runner's own time %.2f s\n",
                runner / isql, runner <= 1.2 * isql ? "ok" : "OVER 1.2", perScript / isql, runner - perScript);
    DM = nullptr;
    MessageService::install(nullptr);
    return runner <= 1.2 * isql ? 0 : 1;
}
