#include "dbaccess/BackupRestoreThread.h"

#include "core/BufFileStream.h"
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupTool.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kSaveStopped = QStringLiteral("データベースの保存処理を中止しました。");
const QString kRestoreStopped = QStringLiteral("データベースの復元処理を中止しました。");
const QString kNotOurData = QStringLiteral("指定されたファイルはドルベル財務用のデータではありません。");
const QString kTransferFailed = QStringLiteral("バックアップファイルの転送処理（vqfileman.fdb）に失敗しました。");

enum class DbKind { None, System, Company };

DbKind kindOf(const QString &path)
{
    if (path.contains(Product.DataDefFile, Qt::CaseInsensitive)) return DbKind::System;
    if (path.contains(Product.DataFile, Qt::CaseInsensitive)) return DbKind::Company;
    return DbKind::None;
}

QString folderOf(const QString &path)
{
    return ExcludePathDelim(QFileInfo(path).path());
}

} // namespace

TBackupRestoreThread::TBackupRestoreThread()
{
    ProcessName = AppInfo.Rirev.AppTitle;
    ClearResult();
}

void TBackupRestoreThread::ClearResult()
{
    Shougou.clear();
    Kishu.clear();
    Kimatu.clear();
    Siwake = 0;
    TotalSiwake = 0;
    DataVersion.clear();
    Gassan = 0;
    UseMyNumber = 0;
}

void TBackupRestoreThread::info(const QString &text) const
{
    if (OnInfo) OnInfo(text);
}

void TBackupRestoreThread::fail(const QString &code, const QString &message, const QString &message2)
{
    Success = 0;
    ErrInfo.Code = code;
    ErrInfo.Message = message;
    ErrInfo.Message2 = message2;
    ErrInfo.Operation = code.startsWith(u'1') ? QStringLiteral("BackupDatabase") : QStringLiteral("RestoreDatabase");
}

int TBackupRestoreThread::protocol() const
{
    return isLocalHost() ? TDM::ProtocolLocal : TDM::ProtocolTcp;
}

void TBackupRestoreThread::Execute()
{
    m_terminated = false;
    Success = 0;
    ErrInfo = TErrInfomation();
    try {
        switch (Mode) {
        case 0:
            if (MyNumberCheck) {
                if (UseMyNumber == 0) {
                    Log = 0;
                } else {
                    Confirm();
                    if (!Success) break;
                }
            }
            Backup();
            break;
        case 1:
            if (MyNumberCheck) {
                Confirm();
                if (!Success) break;
            }
            Restore();
            break;
        case 2:
            Rebuild();
            break;
        case 3:
            TargetPath = DatabasePath;
            Rebuild();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        // Nothing escapes the job: what was not caught where it happened ends it as failed.
        reportError(e, QStringLiteral("TBackupRestoreThread.Execute"),
                    Mode == 1 ? QStringLiteral("データベースの復元に失敗しました。") : QStringLiteral("データベースの保存に失敗しました。"));
        Success = 0;
        if (ErrInfo.Code.isEmpty()) {
            if (Mode == 1) fail(QStringLiteral("200"), QStringLiteral("データベースの復元に失敗しました。"), kRestoreStopped);
            else fail(QStringLiteral("100"), QStringLiteral("データベースの保存に失敗しました。"), kSaveStopped);
        }
    }
    ErrInfo.Error = !Success;
    m_terminated = true;
}

void TBackupRestoreThread::Confirm()
{
    Success = 1;
    if (Mode == 0) {
        if (Ask != 1) {
            Answer = 6;
            return;
        }
        if (SystemDef.MyNumberAdmin) {
            if (MessageDlg(QStringLiteral("保存データにマイナンバー情報を含めますか？"), TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes) {
                Answer = 6;
                m_io.LoadMyNumberSettings(Host, DatabasePath, QString(), ProcessName);
                if (!AskMyNumberPassword(m_io.Password)) fail(QStringLiteral("100"), kSaveStopped, QString());
            } else {
                Exclude = 1;
            }
        } else {
            MessageDlg(QStringLiteral("保存データにマイナンバー情報は含まれません。"), TMsgDlgType::mtInformation, mbOK);
            Exclude = 1;
        }
        return;
    }
    // A restore: the settings of the data it replaces.
    TMyNumberIO current;
    current.LoadMyNumberSettings(Host, DatabasePath, QString(), ProcessName);
    if (current.UseMyNumber == 1 && UseMyNumber == 0) {
        fail(QStringLiteral("200"), QStringLiteral("マイナンバー情報を管理しているデータへの復元はおこなえません。"), kRestoreStopped);
        return;
    }
    if (UseMyNumber == 1) Answer = 7;
}

QString TBackupRestoreThread::serverWorkFolder() const
{
    // Beside the data folder ("<root>/temp"): the one folder where the
    // server's transfer functions read and write.
    return QFileInfo(ExcludePathDelim(SystemDef.SysDir)).path() + QStringLiteral("/temp");
}

QString TBackupRestoreThread::strippedCopy(QString &workFolder)
{
    // A copy of the data made through a backup and a restore beside it; the
    // settings are cleared there, never in the live data.
    workFolder = folderOf(DatabasePath) + QStringLiteral("/vqacc.mn_");
    const int mode = isLocalHost() ? 0 : ConnectMode;
    if (DM->DExist(workFolder, mode)) DM->RmDir(workFolder, mode, false);
    if (!DM->MkDir(workFolder, mode)) return QString();
    const QString backup = workFolder + u'/' + WorkBackupFile;
    const QString copy = workFolder + u'/' + Product.DataFile;
    if (!DM->BackupFDB(protocol(), Host, DatabasePath, backup, true)) return QString();
    if (!DM->RestoreFDB(protocol(), Host, copy, backup, true)) return QString();
    DM->FDel(backup, mode, false);
    TMyNumberIO strip;
    if (!strip.LoadMyNumberSettings(Host, copy, QStringLiteral("MYNUMBER_CLEAR"), ProcessName + QStringLiteral("＞データ保存")))
        return QString();
    return copy;
}

void TBackupRestoreThread::Backup()
{
    const DbKind kind = kindOf(DatabasePath);
    if (kind == DbKind::None) {
        fail(QStringLiteral("101"), kNotOurData, kSaveStopped);
        return;
    }
    Success = 0;
    QString source = DatabasePath;
    QString workFolder;
    const int liveUse = UseMyNumber;
    if (kind == DbKind::Company) {
        if (Log == 1 && Answer == 6) {
            TMyNumberLogRec rec;
            m_io.MakeLogRec(rec, 6, ProcessName);
            m_io.AddLogToData(rec, Host, DatabasePath);
        }
        if (Exclude == 1) {
            UseMyNumber = 0;
            info(QStringLiteral("マイナンバー情報を除いています..."));
            source = strippedCopy(workFolder);
        }
    }
    if (!source.isEmpty()) {
        info(QStringLiteral("データベースを保存しています..."));
        if (Method == 0) {
            Success = DM->BackupFDB(protocol(), Host, source, BackupFile, true) ? 1 : 0;
        } else if (DM->fnFileManConnected(Host)) {
            const QString work = serverWorkFolder();
            if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
            const QString serverFile = work + u'/' + QFileInfo(WorkBackupFile).completeBaseName() + u'.' +
                                       QString::number(SystemDef.OpCode);
            const QString key = QStringLiteral("VQZ_%1").arg(SystemDef.OpCode);
            if (DM->BackupFDB(protocol(), Host, source, serverFile, true)) {
                Success = transferFromServer(serverFile, key) ? 1 : 0;
                if (!Success) fail(QStringLiteral("102"), kTransferFailed, kSaveStopped);
            }
            // The server's copy holds the whole books: it does not stay there.
            if (DM->FExist(serverFile, ConnectMode)) DM->FDel(serverFile, ConnectMode, false);
            DM->IBFileMan.close();
        } else {
            DM->IBFileMan.close();
            try {
                Success = DM->BackupFDBByGbak(protocol(), isLocalHost() ? QString() : Host, source, BackupFile, true) ? 1 : 0;
            } catch (const std::exception &e) {
                reportError(e, QStringLiteral("TDM.BackupFDB"), QStringLiteral("データベースのバックアップに失敗しました。"));
                Success = 0;
            }
        }
    }
    if (!workFolder.isEmpty()) {
        const int mode = isLocalHost() ? 0 : ConnectMode;
        DM->RmDir(workFolder, mode, false);
    }
    if (Success && WriteHeader == 1) {
        try {
            WriteBackupInfo(BackupFile);
        } catch (const std::exception &e) {
            reportError(e, QStringLiteral("TBackupRestoreThread.WriteBackupInfo"), QStringLiteral("データベースの保存に失敗しました。"));
            Success = 0;
        }
    }
    if (!Success && ErrInfo.Code.isEmpty()) fail(QStringLiteral("100"), QStringLiteral("データベースの保存に失敗しました。"), kSaveStopped);
    if (Exclude == 1) UseMyNumber = liveUse;
}

void TBackupRestoreThread::Restore()
{
    const DbKind kind = kindOf(DatabasePath);
    if (kind == DbKind::None) {
        fail(QStringLiteral("201"), kNotOurData, kRestoreStopped);
        return;
    }
    Success = 0;
    const QString folder = folderOf(DatabasePath);
    if (DM->AccDatInConnection(kind == DbKind::System ? 0 : 1, Host, false, folder)) {
        fail(QStringLiteral("202"), QStringLiteral("このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。"), kRestoreStopped);
        return;
    }
    if (kind == DbKind::Company && Answer == 7) m_keptLog.LoadLogListOfData(Host, DatabasePath);
    const bool keep = RestoreOption != 0;
    info(QStringLiteral("データベースを復元しています..."));
    if (Method == 0) {
        Success = DM->RestoreFDB(protocol(), Host, DatabasePath, BackupFile, keep) ? 1 : 0;
    } else if (DM->fnFileManConnected(Host)) {
        const QString work = serverWorkFolder();
        if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
        const QString serverFile = work + u'/' + QFileInfo(WorkBackupFile).completeBaseName() + u'.' +
                                   QString::number(SystemDef.OpCode);
        const QString key = QStringLiteral("VQZ_%1").arg(SystemDef.OpCode);
        if (transferToServer(serverFile, key)) {
            Success = DM->RestoreFDB(protocol(), Host, DatabasePath, serverFile, keep) ? 1 : 0;
        } else {
            fail(QStringLiteral("203"), kTransferFailed, kRestoreStopped);
        }
        if (DM->FExist(serverFile, ConnectMode)) DM->FDel(serverFile, ConnectMode, false);
        DM->IBFileMan.close();
    } else {
        DM->IBFileMan.close();
        Success = DM->RestoreFDBByGbak(protocol(), isLocalHost() ? QString() : Host, DatabasePath, BackupFile, keep) ? 1 : 0;
        DM->fnAccDatDisConnected(folder, false, false);
    }
    if (!Success && ErrInfo.Code.isEmpty()) fail(QStringLiteral("200"), QStringLiteral("データベースの復元に失敗しました。"), kRestoreStopped);
    if (kind == DbKind::Company && Success && Answer == 7) {
        if (ProcessName.isEmpty()) ProcessName = AppInfo.Rirev.AppTitle;
        if (Log == 1) {
            TMyNumberLogRec rec;
            m_io.MakeLogRec(rec, 7, ProcessName);
            m_io.AddLogToData(rec, Host, DatabasePath);
        }
        m_keptLog.MergeLogList(Host, DatabasePath);
    }
}

void TBackupRestoreThread::Rebuild()
{
    const bool keep = RestoreOption != 0;
    info(QStringLiteral("データベースを保存しています..."));
    if (Method == 0) {
        Success = DM->BackupFDB(protocol(), Host, DatabasePath, BackupFile, true) ? 1 : 0;
        if (Success) {
            info(QStringLiteral("データベースを復元しています..."));
            Success = DM->RestoreFDB(protocol(), Host, TargetPath, BackupFile, keep) ? 1 : 0;
        }
    } else {
        const QString host = isLocalHost() ? QString() : Host;
        try {
            Success = DM->BackupFDBByGbak(protocol(), host, DatabasePath, BackupFile, true) ? 1 : 0;
        } catch (const std::exception &e) {
            reportError(e, QStringLiteral("TDM.BackupFDB"), QStringLiteral("データベースのバックアップに失敗しました。"));
            Success = 0;
        }
        if (Success) {
            info(QStringLiteral("データベースを復元しています..."));
            Success = DM->RestoreFDBByGbak(protocol(), host, TargetPath, BackupFile, keep) ? 1 : 0;
            DM->fnAccDatDisConnected(folderOf(TargetPath), false, false);
        }
    }
}

bool TBackupRestoreThread::transferFromServer(const QString &serverFile, const QString &key)
{
    try {
        TransactionGuard g(DM->IBTransFileMan);
        FbQuery q(&DM->IBFileMan, &DM->IBTransFileMan);
        q.setSql(QStringList{QStringLiteral("DELETE FROM FILETRANS"), QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.execSQL();
        // The server reads its own file into the row; the path goes as a parameter.
        q.setSql(QStringList{QStringLiteral("INSERT INTO FILETRANS(CONTENT_ID,CONTENT)"),
                             QStringLiteral("VALUES(:CONTENT_ID,SP_FILETOBLOB(:FILEPATH))")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.paramByName(QStringLiteral("FILEPATH")).setString(serverFile);
        q.execSQL();
        DM->IBTransFileMan.commitRetaining();
        q.setSql(QStringList{QStringLiteral("SELECT CONTENT_ID,CONTENT FROM FILETRANS"), QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.open();
        const QByteArray content = q.eof() ? QByteArray() : q.fieldByName(QStringLiteral("CONTENT")).asBytes();
        q.close();
        bool ok = !content.isEmpty();
        if (ok) {
            platform::AtomicFile out(BackupFile);
            out.open();
            for (qsizetype at = 0; at < content.size(); at += 1024) out.write(content.constData() + at, qMin<qsizetype>(1024, content.size() - at));
            out.commit();
        }
        q.setSql(QStringList{QStringLiteral("DELETE FROM FILETRANS"), QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.execSQL();
        g.commit();
        return ok;
    } catch (const std::exception &e) {
        ErrInfo.Message2 = exceptionText(e);
        return false;
    }
}

bool TBackupRestoreThread::transferToServer(const QString &serverFile, const QString &key)
{
    try {
        QFile in(BackupFile);
        if (!in.open(QIODevice::ReadOnly)) throw platform::Error(QStringLiteral("%1 を開けません。").arg(BackupFile));
        const QByteArray content = in.readAll();
        in.close();
        TransactionGuard g(DM->IBTransFileMan);
        FbQuery q(&DM->IBFileMan, &DM->IBTransFileMan);
        q.setSql(QStringList{QStringLiteral("DELETE FROM FILETRANS"), QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.execSQL();
        q.setSql(QStringList{QStringLiteral("INSERT INTO FILETRANS(CONTENT_ID,CONTENT)"), QStringLiteral("VALUES(:CONTENT_ID,:CONTENT)")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.paramByName(QStringLiteral("CONTENT")).setBytes(content);
        q.execSQL();
        DM->IBTransFileMan.commitRetaining();
        // The server writes the row into its file; the path goes as a parameter.
        q.setSql(QStringList{QStringLiteral("SELECT CONTENT_ID,SP_BLOBTOFILE(:FILEPATH, CONTENT) AS CONTENT FROM FILETRANS"),
                             QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("FILEPATH")).setString(serverFile);
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.open();
        q.close();
        q.setSql(QStringList{QStringLiteral("DELETE FROM FILETRANS"), QStringLiteral("WHERE CONTENT_ID=:CONTENT_ID")});
        q.paramByName(QStringLiteral("CONTENT_ID")).setString(key);
        q.execSQL();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        ErrInfo.Message2 = exceptionText(e);
        return false;
    }
}

void TBackupRestoreThread::WriteBackupInfo(const QString &backupFile)
{
    if (Shougou.isEmpty()) return;
    const QStringList lines = {QString::fromLatin1(BackupInfoMarker),
                               QStringLiteral("SHOUGOU=") + Shougou,
                               QStringLiteral("KISHU=") + Kishu,
                               QStringLiteral("KIMATU=") + Kimatu,
                               QStringLiteral("SIWAKE=%1").arg(Siwake),
                               QStringLiteral("TOTALSIWAKE=%1").arg(TotalSiwake),
                               QStringLiteral("DATAVARSION=") + DataVersion,
                               QStringLiteral("GASSAN=%1").arg(Gassan),
                               QStringLiteral("USEMYNUMBER=%1").arg(UseMyNumber)};
    QByteArray bytes;
    for (const QString &line : lines) bytes += platform::toCp932(line) + "\r\n";
    QFile f(backupFile);
    if (!f.open(QIODevice::ReadWrite)) throw platform::Error(QStringLiteral("%1 を開けません。(%2)").arg(backupFile, f.errorString()));
    const qint64 size = f.size();
    if (!f.seek(size) || f.write(bytes) != bytes.size() || !f.flush()) {
        const QString reason = f.errorString();
        f.resize(size); // a block cut short is not left at the end
        throw platform::Error(QStringLiteral("%1 に書き込めません。(%2)").arg(backupFile, reason));
    }
}

bool TBackupRestoreThread::ReadBackupInfo(const QString &backupFile, bool strip)
{
    QByteArray found;
    PatchFile(backupFile, BackupInfoMarker, found, strip);
    ClearResult();
    QString text = platform::fromCp932(found);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString &line : text.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString name = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        if (name == u"SHOUGOU") Shougou = value;
        else if (name == u"KISHU") Kishu = value;
        else if (name == u"KIMATU") Kimatu = value;
        else if (name == u"SIWAKE") Siwake = value.trimmed().toInt();
        else if (name == u"TOTALSIWAKE") TotalSiwake = value.trimmed().toInt();
        else if (name == u"DATAVARSION") DataVersion = value;
        else if (name == u"GASSAN") Gassan = value.trimmed().toInt();
        else if (name == u"USEMYNUMBER") UseMyNumber = value.trimmed().toInt();
    }
    return !Shougou.isEmpty();
}
