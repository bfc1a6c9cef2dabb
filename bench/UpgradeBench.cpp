// Times the whole chain of company upgrade steps against the SQL tool alone.
//   upgrade-bench [RUNS]   (2 by default)
// Makes a company database of version 0.1.0 from the base schema, then, in
// the same run and on copies of the same file: runs all 55 company steps
// through the runner (each step writes its script, runs the tool and does its
// work from the program before or after it; no backups), collects the scripts
// the steps wrote, and times "isql-fb" running those scripts concatenated in
// one go. Prints the best time of each and whether the runner took at most
// 1.2 times the tool's time.
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/DataRoot.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"

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

// Runs every company step on the data set of the folder; -1 when one fails.
double runChain(const QString &folder)
{
    // The company values the steps read (a database of 0.1.0 lacks columns
    // of the program's company record, so they come from their tables).
    SystemDef.DataDir = folder;
    {
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
    QElapsedTimer t;
    t.start();
    for (const TDbUpdateListRec &r : UserDbUpdateSteps()) {
        const int rc = r.UpdateProc();
        if (rc != DbUpdateDone) {
            std::fprintf(stderr, "step %d.%d.%d: result %d\n%s\n", r.Major, r.Minor1, r.Minor2, rc,
                         LastIsqlOutput().join(u'\n').toUtf8().constData());
            return -1;
        }
    }
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrintedMessages boxes;
    MessageService::install(&boxes);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 2;

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
    if (!copyBase(base, tmp.path() + QStringLiteral("/collect")) || runChain(tmp.path() + QStringLiteral("/collect")) < 0) return 1;
    SetIsqlToolPath(tool);

    // One script: every step's lines, the EXIT of all but the last left out.
    QByteArray all;
    const QStringList names = QDir(scripts).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    for (int i = 0; i < names.size(); ++i) {
        QFile f(scripts + u'/' + names[i]);
        f.open(QIODevice::ReadOnly);
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (i + 1 < names.size() && line.trimmed() == "EXIT;") continue;
            all += line + '\n';
        }
    }
    const QString allPath = tmp.path() + QStringLiteral("/all.sql");
    const QString toolFolder = tmp.path() + QStringLiteral("/tool");
    all.replace(QFile::encodeName(tmp.path() + QStringLiteral("/collect/vqacc.fdb")),
                QFile::encodeName(toolFolder + QStringLiteral("/vqacc.fdb")));
    {
        QFile f(allPath);
        f.open(QIODevice::WriteOnly);
        f.write(all);
    }

    double runner = 1e300, isql = 1e300;
    for (int i = 0; i < runs; ++i) {
        const QString folder = tmp.path() + QStringLiteral("/runner");
        if (!copyBase(base, folder)) return 2;
        const double s = runChain(folder);
        if (s < 0) return 1;
        runner = std::min(runner, s);

        if (!copyBase(base, toolFolder)) return 2;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(tool, {QStringLiteral("-q"), QStringLiteral("-i"), allPath, QStringLiteral("-e"), QStringLiteral("-m"), QStringLiteral("-o"),
                       tmp.path() + QStringLiteral("/all.log")});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            std::fprintf(stderr, "the tool failed on the concatenated scripts\n");
            return 1;
        }
        isql = std::min(isql, t.nsecsElapsed() / 1e9);
    }
    std::printf("%d company steps, %lld script files, %lld script lines\n", int(UserDbUpdateSteps().size()),
                static_cast<long long>(names.size()), static_cast<long long>(all.count('\n')));
    std::printf("runner %.2f s, isql-fb on the concatenated scripts %.2f s, ratio %.2f %s\n", runner, isql, runner / isql,
                runner <= 1.2 * isql ? "ok" : "OVER 1.2");
    DM = nullptr;
    MessageService::install(nullptr);
    return runner <= 1.2 * isql ? 0 : 1;
}
