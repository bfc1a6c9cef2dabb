#include "dbupdate/z5DbUpdateScript.h"

#include "core/FileUtils.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString timeText()
{
    return DbUpdateNow().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// The tool reads a database name up to the matching quote and knows no escape,
// so a name holding an apostrophe goes between double quotes.
QString quotedDatabaseName(const QString &name)
{
    if (!name.contains(u'\'')) return u'\'' + name + u'\'';
    if (!name.contains(u'"')) return u'"' + name + u'"';
    throw platform::Error(QStringLiteral("データベースのパス(%1)に使用できない文字が含まれています。").arg(name));
}

} // namespace

QString SqlText(const QString &value)
{
    QString s = value;
    return s.replace(u'\'', QStringLiteral("''"));
}

TDbUpdateScript::TDbUpdateScript(TDbUpdateTarget target, int major, int minor1, int minor2)
    : m_target(target), m_major(major), m_minor1(minor1), m_minor2(minor2)
{
}

QString TDbUpdateScript::VersionText() const
{
    return QStringLiteral("%1.%2.%3").arg(m_major).arg(m_minor1).arg(m_minor2);
}

QString TDbUpdateScript::FileFolder() const
{
    return ExcludePathDelim(SystemDef.SqlDir) + u'/' + QString::number(m_major) + QString::number(m_minor1) +
           QString::number(m_minor2);
}

QString TDbUpdateScript::ConnectLine() const
{
    const bool system = m_target == TDbUpdateTarget::System;
    const QString folder = ExcludePathDelim(system ? SystemDef.SysDir : SystemDef.DataDir);
    const QString path = folder + u'/' + (system ? Product.DataDefFile : Product.DataFile);
    QString name;
    if (!SystemDef.HostName.isEmpty())
        name = SystemDef.HostName + u':' + path;
    else if (SystemDef.GoGlobal)
        name = u':' + path;
    else
        name = path;
    return QStringLiteral("CONNECT %1 USER '%2' PASSWORD '%3';")
        .arg(quotedDatabaseName(name), SqlText(SystemDef.DbUser), SqlText(SystemDef.DbPassword));
}

void TDbUpdateScript::AddOpening(bool setNames)
{
    // A computer name cannot end the comment early.
    QString pc = SystemDef.PcName;
    pc.replace(QStringLiteral("*/"), QStringLiteral("* /"));
    Lines << QStringLiteral("/* %1,%2,%3 */").arg(timeText(), pc).arg(SystemDef.OpCode);
    Lines << QString();
    Lines << ConnectLine();
    if (setNames) Lines << QStringLiteral("SET NAMES SJIS_0208;");
}

void TDbUpdateScript::AddStamp(bool operatorMemo)
{
    QString memo = timeText();
    if (operatorMemo)
        memo += u',' + QString::number(SystemDef.LoginNo) + u',' + SystemDef.OpName + u',' + SystemDef.PcName;
    memo = SqlText(memo);
    if (m_target == TDbUpdateTarget::System) {
        Lines << QStringLiteral("INSERT INTO VERSION(MAJOR,MINOR1,MINOR2,MEMO) VALUES(%1,%2,%3,'%4');")
                     .arg(m_major)
                     .arg(m_minor1)
                     .arg(m_minor2)
                     .arg(memo);
    } else {
        Lines << QStringLiteral("UPDATE ACCVERSION SET MAJOR=%1,MINOR1=%2,MINOR2=%3,MEMO='%4'")
                     .arg(m_major)
                     .arg(m_minor1)
                     .arg(m_minor2)
                     .arg(memo);
        Lines << QStringLiteral("WHERE REC=1;");
    }
}

void TDbUpdateScript::EndStampLast(bool operatorMemo)
{
    AddStamp(operatorMemo);
    Lines << QStringLiteral("COMMIT;") << QStringLiteral("EXIT;");
}

void TDbUpdateScript::BeginStampFirst(bool setNames, bool operatorMemo)
{
    AddOpening(setNames);
    AddStamp(operatorMemo);
    Lines << QStringLiteral("COMMIT;");
}

int TDbUpdateScript::AddFiles(const QStringList &names, bool missingEndsStep,
                              const std::function<bool(const QString &)> &skip)
{
    const QString folder = FileFolder();
    for (const QString &name : names) {
        QFile f(folder + u'/' + name);
        if (!f.exists() || !f.open(QIODevice::ReadOnly)) {
            if (missingEndsStep) return DbUpdateFileMissing;
            continue;
        }
        if (skip && skip(name)) continue;
        const QByteArray bytes = f.readAll();
        const QList<QByteArray> raw = bytes.split('\n');
        for (QByteArray line : raw) {
            if (line.endsWith('\r')) line.chop(1);
            if (line.isEmpty()) continue;
            Lines << platform::fromCp932(line);
        }
    }
    return DbUpdateDone;
}

void TDbUpdateScript::Save(const QString &path) const
{
    QByteArray bytes;
    for (const QString &line : Lines) {
        // The tool opens the database of the CONNECT statement by a file name,
        // which it takes in UTF-8 (RunIsqlScript gives it that locale); the
        // rest of the script is in the database's character set.
        if (line.startsWith(QLatin1String("CONNECT "))) {
            bytes += line.toUtf8() + "\r\n";
            continue;
        }
        bool ok = true;
        bytes += platform::toCp932(line, &ok);
        if (!ok)
            throw platform::Error(
                QStringLiteral("更新スクリプトに変換できない文字が含まれています。\r%1").arg(line));
        bytes += "\r\n";
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw platform::Error(QStringLiteral("更新ファイル(%1)の作成に失敗しました。").arg(path));
}

int TDbUpdateScript::Run() const
{
    Save(ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/vqzdataup.sql"));
    return RunIsqlScript(VersionText());
}

// ---- pre-steps and post-steps ------------------------------------------------

namespace {

// The step's database, connected for the work and disconnected again when it
// goes out of scope.
class StepConnection
{
public:
    explicit StepConnection(TDbUpdateTarget target)
        : m_target(target)
    {
        if (!DM) throw platform::Error(QStringLiteral("データベースに接続できません。"));
        const bool system = target == TDbUpdateTarget::System;
        query = DM->CreateAccSQL(system ? QStringLiteral("ACCDEF") : QStringLiteral("ACCDAT"), false);
        const bool connected = system ? DM->fnAccDefConnected(SystemDef.HostName, true)
                                      : DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
        if (!connected)
            throw platform::Error(QStringLiteral("データベース(%1)に接続できません。")
                                      .arg(system ? SystemDef.SysDir : SystemDef.DataDir));
    }
    ~StepConnection()
    {
        query.reset();
        if (m_target == TDbUpdateTarget::System)
            DM->IBDatabaseDEF.close();
        else
            DM->fnAccDatDisConnected(SystemDef.DataDir, false, false);
    }
    StepConnection(const StepConnection &) = delete;
    StepConnection &operator=(const StepConnection &) = delete;

    std::unique_ptr<FbQuery> query;

private:
    TDbUpdateTarget m_target;
};

} // namespace

void ExecEach(FbQuery &q, const QStringList &statements)
{
    for (const QString &sql : statements) {
        q.setSql(sql);
        q.execSQL();
        q.setSql(QString());
    }
}

void RunPreStep(TDbUpdateTarget target, const TDbStepWork &work)
{
    StepConnection db(target);
    TransactionGuard g(*db.query->Transaction);
    work(*db.query);
    g.commit();
}

int RunPostStep(TDbUpdateTarget target, const TDbStepWork &work)
{
    try {
        StepConnection db(target);
        // What ran before an error is kept.
        TransactionGuard g(*db.query->Transaction, TransactionGuard::Exit::Commit);
        work(*db.query);
        return DbUpdateDone;
    } catch (const std::exception &) {
        return DbUpdatePostStepError;
    }
}
