// Backup, restore and validation of whole database files: through the
// engine's services, or through the command-line tool.
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using backuptool::runEngineCall;
using backuptool::workName;

namespace {

// The host the services are asked on: none for the local protocol.
QString serviceHost(int protocol, const QString &host)
{
    return protocol == TDM::ProtocolLocal || host == u"127.0.0.1" ? QString() : host;
}

QString folderOf(const QString &path)
{
    return ExcludePathDelim(QFileInfo(path).path());
}

bool isCompanyDatabase(const QString &path)
{
    return path.contains(Product.DataFile, Qt::CaseInsensitive);
}

// Whether the connection is attached to the database file (with or without a host).
bool attachedTo(const FbDatabase &db, const QString &path)
{
    if (!db.connected()) return false;
    QString host, file;
    SplitDatabaseName(db.DatabaseName, host, file);
    return QFileInfo(file).absoluteFilePath() == QFileInfo(path).absoluteFilePath();
}

} // namespace

// Removes a file of ours if it is there: locally, or on the server in the server modes.
static void removeIfThere(TDM &dm, const QString &path)
{
    if (ConnectMode == 0) {
        if (QFileInfo::exists(path)) QFile::remove(path);
    } else if (dm.FExist(path, ConnectMode)) {
        dm.FDel(path, ConnectMode, false);
    }
}

// Puts the work file in place of the target: one rename locally; the server's
// copy and delete in the server modes.
static void putInPlace(TDM &dm, const QString &work, const QString &target, const QString &failure)
{
    if (ConnectMode == 0) {
        try {
            backuptool::moveOver(work, target);
        } catch (const platform::Error &e) {
            throw platform::Error(failure + QStringLiteral("\r") + e.message());
        }
    } else if (!dm.FMove(work, target, ConnectMode)) {
        throw platform::Error(failure);
    }
}

bool TDM::BackupFDB(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool direct)
{
    const QString dbFolder = folderOf(dbPath);
    // The engine writes a work file first; the backup file is replaced only by a complete one.
    QString target = direct ? backupFile + QStringLiteral(".fb_")
                            : dbFolder + u'/' + QFileInfo(WorkBackupFile).completeBaseName() + QStringLiteral(".fb_");
    const bool move = target.toLower() != backupFile.toLower();
    if (!move) target = backupFile;
    try {
        if (move) removeIfThere(*this, target);
        FbServices svc(serviceHost(protocol, host), SystemDef.DbUser, SystemDef.DbPassword);
        FbServices::BackupOptions options;
        options.ignoreLimbo = true;
        options.noGarbageCollect = true;
        options.nonTransportable = true;
        runEngineCall([&] { svc.backup(dbPath, target, options, {}); });
        if (move) putInPlace(*this, target, backupFile, QStringLiteral("データベースバックアップファイルのMoveに失敗しました。"));
        return true;
    } catch (const std::exception &e) {
        if (move) removeIfThere(*this, target);
        reportError(e, QStringLiteral("TDM.BackupFDB"), QStringLiteral("データベースのバックアップに失敗しました。"));
    }
    return false;
}

bool TDM::RestoreFDB(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool keepIndexes)
{
    const QString dbFolder = folderOf(dbPath);
    // A new file beside the target, put in place only when the restore is complete.
    const QString work = workName(dbPath, QStringLiteral(".rs_"));
    bool result = false;
    try {
        removeIfThere(*this, work);
        FbServices svc(serviceHost(protocol, host), SystemDef.DbUser, SystemDef.DbPassword);
        FbServices::RestoreOptions options;
        options.pageBuffers = 4096;
        options.pageSize = 16384;
        options.deactivateIndexes = !keepIndexes;
        runEngineCall([&] { svc.restore(backupFile, work, options, {}); });
        if (attachedTo(IBDatabaseDAT, dbPath)) fnAccDatDisConnected(dbFolder, false, false);
        if (attachedTo(IBDatabaseDEF, dbPath)) IBDatabaseDEF.close();
        putInPlace(*this, work, dbPath, QStringLiteral("データベースファイルの置き換えに失敗しました。"));
        result = true;
        if (isCompanyDatabase(dbPath)) {
            QString h = host;
            if (ConnectMode != 0 && protocol == ProtocolLocal && host.isEmpty()) h = QStringLiteral("127.0.0.1");
            if (!fnAccDatConnected(h, dbFolder, false)) {
                result = false;
            } else {
                // The operation log of the restored data starts empty.
                TransactionGuard g(IBTransactionDAT);
                FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
                q.setSql(QStringLiteral("DELETE FROM OPINF"));
                q.execSQL();
                g.commit();
            }
        }
    } catch (const std::exception &e) {
        removeIfThere(*this, work);
        reportError(e, QStringLiteral("TDM.RestoreFDB"), QStringLiteral("データベースのリストアに失敗しました。"));
        result = false;
    }
    fnAccDatDisConnected(dbFolder, false, false);
    return result;
}

bool TDM::BackupFDBByGbak(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool direct)
{
    if (host == u"127.0.0.1") return BackupFDB(ProtocolLocal, host, dbPath, backupFile, direct);
    const QString log = ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/gbak.log");
    QFile::remove(log);
    const QString database = host.isEmpty() ? dbPath : host + u':' + dbPath;
    // A local database is opened by the tool's own engine: ours lets go of it first.
    if (host.isEmpty() && attachedTo(IBDatabaseDAT, dbPath)) fnAccDatDisConnected(folderOf(dbPath), false, false);
    // The tool writes the backup file here, beside it first.
    const QString part = backupFile + QStringLiteral(".fb_");
    QFile::remove(part);
    try {
        backuptool::runGbak({QStringLiteral("-b"), QStringLiteral("-g"), QStringLiteral("-user"), SystemDef.DbUser,
                             QStringLiteral("-y"), log, database, part},
                            log, QStringLiteral("バックアップツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。"),
                            QStringLiteral("バックアップ中にエラーが発生しました。\r"));
        backuptool::moveOver(part, backupFile);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    return true;
}

bool TDM::RestoreFDBByGbak(int protocol, const QString &host, const QString &dbPath, const QString &backupFile, bool keepIndexes)
{
    if (host == u"127.0.0.1") return RestoreFDB(ProtocolLocal, host, dbPath, backupFile, keepIndexes);
    const QString log = ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/gbak.log");
    QFile::remove(log);
    const QString dbFolder = folderOf(dbPath);
    if (!QFileInfo::exists(backupFile)) return false;
    const QString work = workName(dbPath, QStringLiteral(".rs_"));
    const QString database = host.isEmpty() ? work : host + u':' + work;
    try {
        removeIfThere(*this, work);
        backuptool::runGbak({QStringLiteral("-c"), QStringLiteral("-bu"), QStringLiteral("4096"), QStringLiteral("-p"),
                             QStringLiteral("16384"), QStringLiteral("-user"), SystemDef.DbUser, QStringLiteral("-y"), log,
                             backupFile, database},
                            log, QStringLiteral("レストアツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。"),
                            QStringLiteral("レストア中にエラーが発生しました。\r"));
        if (attachedTo(IBDatabaseDAT, dbPath)) fnAccDatDisConnected(dbFolder, false, false);
        if (attachedTo(IBDatabaseDEF, dbPath)) IBDatabaseDEF.close();
        putInPlace(*this, work, dbPath, QStringLiteral("データベースファイルの置き換えに失敗しました。"));
        if (isCompanyDatabase(dbPath)) {
            if (!fnAccDatConnected(host, dbFolder, false)) return false;
            TransactionGuard g(IBTransactionDAT);
            FbQuery q(&IBDatabaseDAT, &IBTransactionDAT);
            q.setSql(QStringLiteral("DELETE FROM OPINF"));
            q.execSQL();
            g.commit();
        }
        return true;
    } catch (const std::exception &e) {
        removeIfThere(*this, work);
        reportError(e, QStringLiteral("TDM.RestoreFDB"), QStringLiteral("データベースのリストアに失敗しました。"));
    }
    return false;
}

bool TDM::ValidateDatabase(int protocol, const QString &host, const QString &dbPath)
{
    const bool wasConnected = IBDatabaseDAT.connected();
    if (wasConnected) IBDatabaseDAT.close();
    try {
        FbServices svc(serviceHost(protocol, host), SystemDef.DbUser, SystemDef.DbPassword);
        QStringList lines;
        runEngineCall([&] { lines = svc.validateFull(dbPath); });
        bool passed = true;
        for (const QString &line : lines)
            if (!line.trimmed().isEmpty()) {
                passed = false;
                break;
            }
        if (wasConnected) IBDatabaseDAT.open();
        return passed;
    } catch (const FbError &e) {
        return e.errorCode() == 335544325 || e.errorCode() == 335544344;
    } catch (const std::exception &) {
        return false;
    }
}
