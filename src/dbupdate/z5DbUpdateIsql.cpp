// The one place that starts the Firebird SQL tool for the upgrade steps, and
// the clock of their scripts.
#include "dbupdate/z5DbUpdate.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

std::function<QDateTime()> g_clock;
QString g_toolPath;
QStringList g_lastOutput;

QString logFolder()
{
    return ExcludePathDelim(SystemDef.LogDir);
}

const QString kMask = QStringLiteral("********");

} // namespace

void SetDbUpdateClock(std::function<QDateTime()> clock)
{
    g_clock = std::move(clock);
}

QDateTime DbUpdateNow()
{
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

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

QString MaskPasswords(const QString &text)
{
    // The tool echoes every CONNECT statement with its password.
    static const QRegularExpression connectPassword(QStringLiteral("(PASSWORD\\s*)('(?:[^']|'')*'|\"(?:[^\"]|\"\")*\")"),
                                                    QRegularExpression::CaseInsensitiveOption);
    QString out = text;
    out.replace(connectPassword, QStringLiteral("\\1'") + kMask + u'\'');
    // The password anywhere else; a very short one would blot out the output,
    // and outside a CONNECT statement it is no more than a coincidence there.
    const QString password = SystemDef.DbPassword;
    if (password.size() >= 4) out.replace(password, kMask);
    return out;
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
            // The database name of the script's CONNECT statement is in UTF-8.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
            tool.setProcessEnvironment(env);
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
            const bool crashed = tool.exitStatus() != QProcess::NormalExit;
            const int exitCode = crashed ? -1 : tool.exitCode();

            QByteArray bytes;
            QFile out(output);
            const bool haveOutput = out.open(QIODevice::ReadOnly);
            if (haveOutput) bytes = out.readAll();
            out.close();
            QString text = MaskPasswords(platform::fromCp932(bytes));
            QString lines = text;
            lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (lines.endsWith(u'\n')) lines.chop(1);
            g_lastOutput = lines.isEmpty() ? QStringList() : lines.split(u'\n');

            // The tool's own word on failing statements, and besides it the way
            // the tool ended: one that died or ended with an error, or wrote
            // nothing, has not done the step, whatever its output holds.
            const bool reported = g_lastOutput.size() > 2 &&
                                  (lines.contains(QStringLiteral("failed")) || lines.contains(QStringLiteral("Error")));
            QString ending;
            if (crashed)
                ending = QStringLiteral("(SQLツールが異常終了しました。)");
            else if (exitCode != 0)
                ending = QStringLiteral("(SQLツールがエラーで終了しました。終了コード %1)").arg(exitCode);
            else if (bytes.isEmpty())
                ending = haveOutput ? QStringLiteral("(SQLツールの出力が空です。)") : QStringLiteral("(SQLツールの出力がありません。)");

            if (reported || !ending.isEmpty()) {
                result = DbUpdateToolError;
                MessageDlg(QStringLiteral("Ver %1のデータベース更新に失敗しました。").arg(versionText), TMsgDlgType::mtError, mbOK);
                QStringList kept = g_lastOutput;
                if (!ending.isEmpty()) {
                    if (!text.isEmpty() && !text.endsWith(u'\n')) text += QStringLiteral("\r\n");
                    text += ending + QStringLiteral("\r\n");
                    kept << ending;
                }
                QDir().mkpath(logFolder());
                QSaveFile last(logFolder() + QStringLiteral("/ErrDataup.txt"));
                if (last.open(QIODevice::WriteOnly)) {
                    last.write(platform::toCp932(text));
                    last.commit();
                }
                AppendErrorLog(kept);
            }
            QFile::remove(script);
        }
    }
    if (QFile::exists(output)) QFile::remove(output);
    return result;
}
