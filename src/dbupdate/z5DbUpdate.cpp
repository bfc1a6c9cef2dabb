#include "dbupdate/z5DbUpdate.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/MojiBunkatu.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

std::function<QDateTime()> g_clock;
QString g_toolPath;
QStringList g_lastOutput;

TDbVersionRec versionOf(const TDbUpdateListRec &rec)
{
    return {rec.Major, rec.Minor1, rec.Minor2};
}

int textToInt(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

QString logFolder()
{
    return ExcludePathDelim(SystemDef.LogDir);
}

} // namespace

// ---- the clock ------------------------------------------------------------

void SetDbUpdateClock(std::function<QDateTime()> clock)
{
    g_clock = std::move(clock);
}

QDateTime DbUpdateNow()
{
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

// ---- the version test -----------------------------------------------------

TDbUpdateBox::TDbUpdateBox()
{
    FUpdateNeeded = false;
    FUpdateOk = false;
    FFirstIndex = 0;
    FLastIndex = 0;
    FBackupCount = 0;
    FSystemList = SystemDbUpdateSteps();
    FDataList = UserDbUpdateSteps();
    FCurrentList = &FSystemList;
}

void TDbUpdateBox::SetDbVersionText(const QString &text)
{
    FDbVersion = TDbVersionRec();
    TMojiBunkatu split;
    split.Delimiter = u'.';
    split.Split(text);
    if (split.Count != 3) return;
    FDbVersion.Major = textToInt(split.Item(0));
    FDbVersion.Minor = textToInt(split.Item(1));
    FDbVersion.Rev = textToInt(split.Item(2));
}

void TDbUpdateBox::SetDbVersion()
{
    static const QString kOperation = QStringLiteral("TDbUpdateBox.SetDbVersion");
    static const QString kText = QStringLiteral("データベースバージョンの取得に失敗しました。");
    FDbVersion = TDbVersionRec();
    if (!DM) {
        ShowErrorMessage(kText, QString());
        return;
    }
    FbDatabase &db = FDbKind == 0 ? DM->IBDatabaseDEF : DM->IBDatabaseDAT;
    FbTransaction tr(&db, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    FbQuery q(&db, &tr);
    try {
        // The read is committed on every path.
        TransactionGuard g(tr, TransactionGuard::Exit::Commit);
        q.setSql(QStringList{FDbKind == 0 ? QStringLiteral("SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM VERSION")
                                          : QStringLiteral("SELECT MAJOR,MINOR1 AS MINOR,MINOR2 AS REV FROM ACCVERSION"),
                             QStringLiteral("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC")});
        q.open();
        if (!q.eof()) {
            FDbVersion.Major = q.fieldByName(QStringLiteral("MAJOR")).asInteger();
            FDbVersion.Minor = q.fieldByName(QStringLiteral("MINOR")).asInteger();
            FDbVersion.Rev = q.fieldByName(QStringLiteral("REV")).asInteger();
        }
        q.close();
    } catch (const std::exception &e) {
        reportError(e, kOperation, kText, false);
    }
}

void TDbUpdateBox::arrangeForKind()
{
    if (FDbKind == 0) {
        Title1 = QStringLiteral("システムデータの更新を行います。");
        Title2.clear();
        Title3.clear();
        AgreeVisible = false;
        CancelVisible = false;
    } else {
        Title1 = QStringLiteral("会計データの更新を行います。");
        Title2 = QStringLiteral("バックアップを取得せずに、この処理を行うと元に戻すことが出来ません。");
        Title3 = QStringLiteral("必ずバックアップを取得後に実行することを強く推奨します。");
        AgreeVisible = true;
        CancelVisible = true;
    }
}

void TDbUpdateBox::cboxAgreeClick()
{
    OkEnabled = AgreeVisible ? AgreeChecked : true;
}

void TDbUpdateBox::ListView1SelectItem(int row)
{
    Description.clear();
    const int index = row + FFirstIndex;
    if (row >= 0 && index >= 0 && index < int(FCurrentList->size())) Description = (*FCurrentList)[size_t(index)].Description;
}

void TDbUpdateBox::SetUpdateList(quint8 kind, const QString &versionText)
{
    FDbKind = kind;
    FUpdateNeeded = false;
    FUpdateOk = false;
    FFirstIndex = -1;
    FLastIndex = -1;
    FNewestVersion = TDbVersionRec();
    FBackupCount = 0;

    Columns = {{QStringLiteral("Ver."), 60}, {QStringLiteral("説明"), 280}, {QStringLiteral("状況"), 80}};
    arrangeForKind();
    FCurrentList = kind == 0 ? &FSystemList : &FDataList;
    cboxAgreeClick();

    if (!FCurrentList->empty()) FNewestVersion = versionOf(FCurrentList->back());
    if (!versionText.isEmpty())
        SetDbVersionText(versionText);
    else
        SetDbVersion();

    // The lists are ordered: every step from the first newer one on is pending.
    for (size_t i = 0; i < FCurrentList->size(); ++i) {
        if (versionOf((*FCurrentList)[i]) > FDbVersion) {
            FUpdateNeeded = true;
            FFirstIndex = int(i);
            break;
        }
    }
    if (!FUpdateNeeded) return;

    FLastIndex = int(FCurrentList->size()) - 1;
    Rows.clear();
    for (int i = FFirstIndex; i <= FLastIndex; ++i) {
        const TDbUpdateListRec &rec = (*FCurrentList)[size_t(i)];
        Rows << TListRow{QStringLiteral("%1.%2.%3").arg(rec.Major).arg(rec.Minor1).arg(rec.Minor2), rec.Title, QString()};
        FBackupCount += rec.NeedBackup;
    }
    ListView1SelectItem(0);
}

// ---- the runner -----------------------------------------------------------

void SetIsqlToolPath(const QString &path)
{
    g_toolPath = path;
}

QString FindIsqlTool()
{
    if (!g_toolPath.isEmpty()) return g_toolPath;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/isql-fb");
    if (QFileInfo(beside).isExecutable()) return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (!onPath.isEmpty()) return onPath;
    QStringList installed;
    const QString fbRoot = qEnvironmentVariable("FIREBIRD");
    if (!fbRoot.isEmpty()) installed << fbRoot + QStringLiteral("/bin/isql") << fbRoot + QStringLiteral("/bin/isql-fb");
    installed << QStringLiteral("/usr/lib/firebird/3.0/bin/isql") << QStringLiteral("/opt/firebird/bin/isql");
    for (const QString &path : installed)
        if (QFileInfo(path).isExecutable()) return path;
    return QString();
}

QStringList LastIsqlOutput()
{
    return g_lastOutput;
}

void AppendErrorLog(const QStringList &lines)
{
    QDir().mkpath(logFolder());
    QFile f(logFolder() + QStringLiteral("/ErrDataup.log"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    for (const QString &line : lines) f.write(platform::toCp932(line) + "\r\n");
}

int RunIsqlScript(const QString &versionText)
{
    const QString work = ExcludePathDelim(SystemDef.WinTempDir);
    const QString script = work + QStringLiteral("/vqzdataup.sql");
    const QString output = work + QStringLiteral("/vqzdataup.log");
    int result = DbUpdateDone;
    g_lastOutput.clear();

    if (!QFileInfo::exists(script)) {
        result = DbUpdateFileMissing;
        MessageDlg(QStringLiteral("更新ファイル(%1)が見つかりません。\r処理を中止します。").arg(script), TMsgDlgType::mtCustom,
                   mbOK);
    } else {
        QFile::remove(output);
        QProcess tool;
        bool started = false;
        const QString program = FindIsqlTool();
        if (!program.isEmpty()) {
            tool.setProgram(program);
            tool.setArguments({QStringLiteral("-q"), QStringLiteral("-i"), script, QStringLiteral("-e"), QStringLiteral("-m"),
                               QStringLiteral("-o"), output});
            tool.setStandardInputFile(QProcess::nullDevice());
            tool.setStandardOutputFile(QProcess::nullDevice());
            tool.setStandardErrorFile(QProcess::nullDevice());
            tool.start();
            started = tool.waitForStarted();
        }
        if (!started) {
            result = DbUpdateToolNotRun;
            MessageDlg(QStringLiteral("ISQL.EXEが起動できません。\r処理を中止します。"), TMsgDlgType::mtCustom, mbOK);
        } else {
            // No time limit; the window keeps answering meanwhile.
            while (tool.state() != QProcess::NotRunning) {
                if (!tool.waitForFinished(300)) QCoreApplication::processEvents();
            }
            QByteArray bytes;
            QFile out(output);
            if (out.open(QIODevice::ReadOnly)) bytes = out.readAll();
            out.close();
            QString text = platform::fromCp932(bytes);
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (text.endsWith(u'\n')) text.chop(1);
            g_lastOutput = text.isEmpty() ? QStringList() : text.split(u'\n');

            if (g_lastOutput.size() > 2 && (text.contains(QStringLiteral("failed")) || text.contains(QStringLiteral("Error")))) {
                result = DbUpdateToolError;
                MessageDlg(QStringLiteral("Ver %1のデータベース更新に失敗しました。").arg(versionText), TMsgDlgType::mtError, mbOK);
                QDir().mkpath(logFolder());
                QSaveFile last(logFolder() + QStringLiteral("/ErrDataup.txt"));
                if (last.open(QIODevice::WriteOnly)) {
                    last.write(bytes);
                    last.commit();
                }
                AppendErrorLog(g_lastOutput);
            }
            QFile::remove(script);
        }
    }
    if (QFile::exists(output)) QFile::remove(output);
    return result;
}
