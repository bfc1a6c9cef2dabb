#include "datasets/DataSetCopy.h"

#include "core/FileUtils.h"
#include "core/SjisText.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool isMergedKind(int k) { return k == 1 || k == 2; }

QString clean(const QString &path) { return ExcludePathDelim(QDir::cleanPath(QDir::fromNativeSeparators(path))); }

// Copies the entries of folder `source` into folder `target` (made when
// missing), replacing files of the same name; stops at the first failure.
bool copyInto(const QString &source, const QString &target)
{
    if (QFileInfo(source).isFile()) {
        if (QFileInfo::exists(target) && !QFile::remove(target)) return false;
        return QFile::copy(source, target);
    }
    if (!QDir().mkpath(target)) return false;
    const QDir dir(source);
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &e : entries) {
        const QString to = target + u'/' + e.fileName();
        if (e.isDir() && !e.isSymLink()) {
            if (!copyInto(e.filePath(), to)) return false;
        } else {
            if (QFileInfo::exists(to) && !QFile::remove(to)) return false;
            if (!QFile::copy(e.filePath(), to)) return false;
        }
    }
    return true;
}

QString dateText(const QString &yyyymmdd) { return yyyymmdd.trimmed(); }

} // namespace

std::function<bool(const QString &source, const QString &target)> DataFolderCopier = copyInto;

std::function<void(TBackupRestoreThread &job)> PasteJobRunner = [](TBackupRestoreThread &job) { job.Execute(); };

QString CopyListName(const QString &sourceName)
{
    return TrimZen(SjisLeft(sourceName + QStringLiteral("～コピー"), 40));
}

bool RestorePatternForbidden(int source, int target)
{
    if ((source == 0 || source == 10) && isMergedKind(target)) return true;
    return (source == 1 && target == 2) || (source == 2 && target == 1);
}

QStringList RestorePatternLines()
{
    return {QStringLiteral("以下のパターンの復元（貼付）は禁止されています。"),
            QStringLiteral(" ①通常データ       を 合算データ（合算本支店データ） へ"),
            QStringLiteral(" ②分散データ       を 合算データ（合算本支店データ） へ"),
            QStringLiteral(" ③合算データ       を 合算本支店データ へ"),
            QStringLiteral(" ④合算本支店データ を 合算データ へ")};
}

QString CompareDataInfoFault(const QString &name, const TDataInfomationRec &source, const TDataInfomationRec &target)
{
    auto bad = [](const TDataInfomationRec &r) {
        return r.Shougou.isEmpty() && r.Kishu.trimmed().isEmpty() && r.Kimatu.trimmed().isEmpty();
    };
    if (bad(source)) return QStringLiteral("%1処理元のデータ情報が不正です。\r").arg(name);
    if (bad(target)) return QStringLiteral("%1処理先のデータ情報が不正です。\r").arg(name);
    return QString();
}

QStringList CompareDataLines(const QString &name, const TDataInfomationRec &source, const TDataInfomationRec &target,
                             bool mergedNote)
{
    QStringList lines;
    auto pair = [&](const QString &head, const QString &from, const QString &to) {
        lines << head << QStringLiteral("　【%1元】：%2").arg(name, from) << QStringLiteral("　【%1先】：%2").arg(name, to);
    };
    if (source.Shougou != target.Shougou) {
        pair(QStringLiteral("会社名に違いがありました。"), source.Shougou, target.Shougou);
        if (mergedNote) lines << QStringLiteral("　注）") + name + QStringLiteral("を続行した場合は配下の分散データは削除されます。");
        lines << QString();
    }
    if (dateText(source.Kishu) != dateText(target.Kishu)) {
        pair(QStringLiteral("期首に違いがありました。"), dateText(source.Kishu), dateText(target.Kishu));
        lines << QString();
    }
    if (dateText(source.Kimatu) != dateText(target.Kimatu)) {
        pair(QStringLiteral("期末に違いがありました。"), dateText(source.Kimatu), dateText(target.Kimatu));
        lines << QString();
    }
    if (source.TotalSiwake < target.TotalSiwake) {
        lines << QStringLiteral("仕訳件数(修正・削除仕訳含む)が減っています。")
              << QStringLiteral("　【%1元】：%2 件").arg(name, FormatMoney(source.TotalSiwake))
              << QStringLiteral("　【%1先】：%2 件").arg(name, FormatMoney(target.TotalSiwake)) << QString();
    }
    return lines;
}

bool PasteDataFolder(const QString &source, const QString &target, bool databaseOnly, QString &error)
{
    const QString s = clean(source);
    const QString t = clean(target);
    error.clear();
    if (t.startsWith(s + u'/', Qt::CaseInsensitive))
        throw platform::Error(QStringLiteral("貼付先にコピー元のパスが含まれています。処理を中断します。"));
    if (!QFileInfo(s).isDir()) {
        error = QStringLiteral("コピー元のフォルダ(%1)がありません。").arg(s);
        return false;
    }

    if (databaseOnly) {
        // The company database alone: copied under a work name and renamed over the target's.
        const QString from = s + u'/' + Product.DataFile;
        const QString to = t + u'/' + Product.DataFile;
        const QString work = to + QStringLiteral(".paste~");
        QFile::remove(work);
        if (!QDir().mkpath(t) || !DataFolderCopier(from, work)) {
            QFile::remove(work);
            error = QStringLiteral("貼付先(%1)へデータベースをコピーできませんでした。").arg(t);
            return false;
        }
        // rename(2) replaces the old file in one step.
        if (std::rename(QFile::encodeName(work).constData(), QFile::encodeName(to).constData()) != 0) {
            QFile::remove(work);
            error = QStringLiteral("貼付先のデータベース(%1)を置き換えできませんでした。").arg(to);
            return false;
        }
        return true;
    }

    // The new content is put together in a folder beside the target: the
    // target's own files that the source does not have (a saved backup, say),
    // then every file and folder of the source over them.
    const QString stage = t + QStringLiteral(".paste~");
    const QString old = t + QStringLiteral(".old~");
    QDir(stage).removeRecursively();
    auto fail = [&](const QString &why) {
        QDir(stage).removeRecursively();
        error = why;
        return false;
    };
    if (!QDir().mkpath(stage)) return fail(QStringLiteral("貼付先(%1)に書き込めません。").arg(t));
    if (QFileInfo(t).isDir()) {
        const QDir target(t);
        const auto own = target.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &e : own) {
            if (QFileInfo::exists(s + u'/' + e.fileName())) continue;
            const QString to = stage + u'/' + e.fileName();
            const bool ok = e.isDir() ? copyInto(e.filePath(), to) : QFile::copy(e.filePath(), to);
            if (!ok) return fail(QStringLiteral("貼付先(%1)のファイルを退避できませんでした。").arg(t));
        }
    }
    if (!DataFolderCopier(s, stage)) return fail(QStringLiteral("コピー元(%1)のファイルをコピーできませんでした。").arg(s));

    QDir(old).removeRecursively();
    const bool hadTarget = QFileInfo::exists(t);
    if (hadTarget && !QDir().rename(t, old))
        return fail(QStringLiteral("貼付先(%1)を置き換えできませんでした。").arg(t));
    if (!QDir().rename(stage, t)) {
        if (hadTarget) QDir().rename(old, t);
        return fail(QStringLiteral("貼付先(%1)を置き換えできませんでした。").arg(t));
    }
    if (hadTarget) QDir(old).removeRecursively();
    return true;
}
