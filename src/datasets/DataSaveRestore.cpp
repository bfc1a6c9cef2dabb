#include "datasets/DataSaveRestore.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "datasets/DataFolderCheck.h"
#include "datasets/DataSentaku.h"
#include "datasets/z5FileOperationDlg.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/xAnimeProgressDialog.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>

namespace {

const QString kHistFile = QStringLiteral("history.ini");
const QString kHistSection = QStringLiteral("DataBackFolder");
const QString kNotThisFolder = QStringLiteral("このフォルダは選択出来ません。他の場所を選んで下さい。");
const QString kInUseRestore = QStringLiteral("このデータは他のオペレータが使用中のため復元処理を行うことが出来ません。");
const QString kRestoreName = QStringLiteral("復元");

bool isMerged(int kind) { return kind == 1 || kind == 2; }

QString withoutDelim(const QString &path) { return ExcludePathDelim(QDir::fromNativeSeparators(path)); }

bool sameFolder(const QString &a, const QString &b)
{
    return QDir::cleanPath(withoutDelim(a)).compare(QDir::cleanPath(withoutDelim(b)), Qt::CaseInsensitive) == 0;
}

int lockNumber()
{
    const int groupBase = SystemDef.GroupNo * 10000;
    return groupBase != 0 ? SystemDef.OpCode % groupBase : SystemDef.OpCode;
}

QString dateText(const QString &text)
{
    // The information keeps dates as "yyyy/mm/dd"; other forms are shown as they are.
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : text;
}

} // namespace

TRestoreSourceInfo RestoreSourceOf(const TDataInfomationRec &info)
{
    TRestoreSourceInfo s;
    s.Shougou = info.Shougou;
    s.Kishu = info.Kishu;
    s.Kimatu = info.Kimatu;
    s.Siwake = info.Siwake;
    s.TotalSiwake = info.TotalSiwake;
    s.Version = info.VerLabel;
    s.Gassan = info.GassanKbn;
    return s;
}

QStringList RestoreDifferenceLines(const QString &name, const TRestoreSourceInfo &source, const TRestoreSourceInfo &target,
                                   bool mergedNote)
{
    auto facts = [](const TRestoreSourceInfo &s) {
        TDataInfomationRec r;
        r.Shougou = s.Shougou;
        r.Kishu = dateText(s.Kishu);
        r.Kimatu = dateText(s.Kimatu);
        r.TotalSiwake = s.TotalSiwake;
        return r;
    };
    return CompareDataLines(name, facts(source), facts(target), mergedNote);
}

bool RestoredGassanSettings(int connectMode, int source, int row, int childCount, int &kubun, int &count)
{
    if (connectMode == 1 || connectMode == 2) {
        kubun = 0;
        count = 0;
        return true;
    }
    if (isMerged(source) && isMerged(row)) {
        kubun = row;
        count = childCount;
        return true;
    }
    if ((isMerged(source) && row == 10) || (source == 0 && row == 10)) {
        kubun = 10;
        count = 0;
        return true;
    }
    if (source == 10 && (row == 0 || isMerged(row))) {
        kubun = 0;
        count = 0;
        return true;
    }
    return false;
}

// ---- TDataSaveRestore ----

TDataSaveRestore::TDataSaveRestore(TDataSentakuBox &screen)
    : m_screen(screen), m_check(std::make_unique<TDataFolderCheck>()), m_info(std::make_unique<TDataInfomation>())
{
    m_check->SyoriType = screen.SyoriType();
    m_info->ConnectMode = ConnectMode;
    RunJob = [](TBackupRestoreThread &job) { job.Execute(); };
    DeleteChildData = [this](int row) { deleteChildren(row); };
}

TDataSaveRestore::~TDataSaveRestore() = default;

bool TDataSaveRestore::serverMode() const { return ConnectMode == 1 || ConnectMode == 2; }

void TDataSaveRestore::markDamaged(int row)
{
    if (auto *r = const_cast<TDataListRec *>(m_screen.RowRecord(row))) r->DATA_STATUS = 1;
    m_screen.DataListRefresh(row);
    m_screen.UpdateFunctionKeys();
}

void TDataSaveRestore::closeProgress()
{
    if (m_screen.xAnimeProgressDialog1 && m_screen.xAnimeProgressDialog1->Showing()) m_screen.xAnimeProgressDialog1->Close();
}

bool TDataSaveRestore::runJob(TBackupRestoreThread &job)
{
    TxAnimeProgressDialog *progress = m_screen.xAnimeProgressDialog1;
    job.OnInfo = [progress](const QString &text) {
        if (progress && progress->Showing()) progress->setInfoLabel(text);
    };
    try {
        RunJob(job);
    } catch (const std::exception &e) {
        job.Success = 0;
        if (job.ErrInfo.Message.isEmpty()) job.ErrInfo.Message = exceptionText(e);
    }
    job.OnInfo = nullptr;
    return job.Success == 1;
}

void TDataSaveRestore::warnJob(const TBackupRestoreThread &job)
{
    QString text = job.ErrInfo.Message;
    if (!job.ErrInfo.Message2.isEmpty()) text += u'\r' + job.ErrInfo.Message2;
    MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
}

void TDataSaveRestore::setRowLock(TDataListRec &rec, int lock)
{
    rec.DATALOCK = lock;
    try {
        TDataSentakuListCtl list;
        list.ConnectMode = ConnectMode;
        list.SetDataListTable(m_screen.DataPlace());
        list.UpdateDataLock(rec.REC, lock, true);
    } catch (const std::exception &) {
        // reported by the list controller
    }
}

bool TDataSaveRestore::PrepareSharedForSave()
{
    if (serverMode()) return true;
    QTableWidget *g = m_screen.PerfectGrid1;
    const int row = g->currentRow();
    const int top = m_screen.ParentRowOf(row);
    const TDataListRec *r = m_screen.RowRecord(top);
    if (!r) return false;
    if (r->NETDRIVE != 1 || r->KYOYULOCK != 0) return true;
    auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(r));
    TDataSentakuListCtl list;
    list.ConnectMode = ConnectMode;
    if (list.KyoyuDataDown(*rec, true) != 1) return false;
    return list.KyoyuDataUp(*rec, true) == 1;
}

int TDataSaveRestore::SaveData(const QString &given)
{
    QTableWidget *g = m_screen.PerfectGrid1;
    if (!PrepareSharedForSave()) return 0;
    const int row = g->currentRow();
    const TDataListRec *rec = m_screen.RowRecord(row);
    if (!rec) return 0;
    const QString s = m_screen.RowFolderPath(row);
    if (CheckDataByHook(SystemDef.HostName, s, 0, 0) == 0) {
        markDamaged(row);
        return 0;
    }
    const quint8 status = m_check->CheckDataStatus(s, true, QString(), true);
    if (status != 1) {
        if (!(serverMode() && status == 2)) return 0;
        if (MessageDlg(QStringLiteral("このデータは他のオペレータが使用中です。保存しますか？"), TMsgDlgType::mtConfirmation,
                       TMsgDlgButtons(mbOK | mbCancel)) != mrOk)
            return 0;
    }
    TDataInfomationRec info = m_check->CurrentInfo;
    if (!m_info->IsUseData(s)) return 0;
    // The header carries what the books hold now, not what the information file last noted.
    if (ConnectMode == 0) {
        TDataInfomationRec fresh;
        if (m_info->GetDataInfoRecByPath(s, fresh) == 1) {
            fresh.Status = info.Status;
            info = fresh;
        }
    }

    // The destination.
    QString dest;
    for (;;) {
        if (!given.isEmpty()) {
            dest = withoutDelim(given);
            const QString old = dest + u'/' + Product.DataBackupFile;
            if (QFileInfo::exists(old)) QFile::remove(old);
        } else {
            if (!m_saveDlg) m_saveDlg = std::make_unique<TFileOperationBox>(&m_screen);
            TFileOperationBox &dlg = *m_saveDlg;
            dlg.Mode = 3;
            dlg.History = true;
            dlg.HistFolder = SystemDef.IniDir;
            dlg.HistFile = kHistFile;
            dlg.HistSection = kHistSection;
            dlg.Caption = QStringLiteral("データの保存");
            dlg.Message = QStringLiteral("選択中のデータを保存します。");
            dlg.PlaceLabel = QStringLiteral("保存先の場所:");
            dlg.DefaultFolder = SystemDef.DocumentDir;
            dlg.PlaceHint = QStringLiteral(
                "ﾃﾞｰﾀを保存する場所を選択します。変更する場合は［参照］を押してください。|ﾃﾞｰﾀを保存する場所を選択します。\r\n"
                "前回保存又は復元を行った場所を初期値として表示しています。それ以前の場所もリストから選択できます。その他の場所を指定する場合は［参照］を押してください。\r\n"
                "［OK］を押すと処理を実行します。");
            dlg.Prepare(true);
            if (ModalRunner(dlg) != 1) return 0;
            dest = withoutDelim(dlg.ResultFolder);
        }
        if (!SystemDef.TempDir.isEmpty() && sameFolder(dest, SystemDef.TempDir)) {
            MessageDlg(kNotThisFolder, TMsgDlgType::mtInformation, mbOK);
            if (!given.isEmpty()) return 0; // a given folder cannot be chosen again
            continue;
        }
        if (!QFileInfo(dest).isDir() && !ForceDir(dest)) {
            MessageDlg(QStringLiteral("バックアップフォルダの作成に失敗しました。"), TMsgDlgType::mtInformation, mbOK);
            return 0;
        }
        if (QFileInfo::exists(dest + u'/' + Product.DataBackupFile) &&
            MessageDlg(QStringLiteral("この場所には、同じ名前のバックアップファイルが既に存在します。\r上書きしますか？"),
                       TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbOK | mbCancel)) != mrOk)
            return 0;
        break;
    }

    m_info->SetDataStatus(s, 4);
    TxAnimeProgressDialog *progress = m_screen.xAnimeProgressDialog1;
    progress->setCaption(QStringLiteral("保存中"));
    progress->setInfoLabel(QStringLiteral("保存中、しばらくお待ちください…"));
    progress->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    progress->CancelBtnShow = false;
    progress->Show(&m_screen);
    m_screen.DataListRefresh(row);

    int result = -1;
    {
        TBackupRestoreThread job;
        job.ProcessName = QStringLiteral("データ選択");
        job.Mode = 0;
        job.Method = serverMode() ? 1 : 0;
        job.Host = SystemDef.HostName;
        job.DatabasePath = s + u'/' + Product.DataFile;
        job.BackupFile = dest + u'/' + Product.DataBackupFile;
        job.RestoreOption = 1;
        job.ClearResult();
        job.WriteHeader = 1;
        job.Shougou = info.Shougou;
        job.Kishu = info.Kishu;
        job.Kimatu = info.Kimatu;
        job.Siwake = info.Siwake;
        job.TotalSiwake = info.TotalSiwake;
        job.DataVersion = QStringLiteral("%1.%2.%3").arg(info.VerMajor).arg(info.VerMinor1).arg(info.VerMinor2);
        job.Gassan = info.GassanKbn;
        job.UseMyNumber = info.UseMyNumber;
        job.Ask = 1;
        job.Log = 1;
        if (runJob(job)) {
            result = 1;
        } else {
            closeProgress();
            warnJob(job);
        }
    }
    if (g->currentRow() >= 0) g->setCurrentCell(g->currentRow(), dcNo);
    m_screen.activateWindow();
    closeProgress();
    m_info->SetDataStatus(s, 1);
    m_screen.raise();
    return result;
}

bool TDataSaveRestore::CheckRestorePattern(const QString &name, const TRestoreSourceInfo &source, const QString &t)
{
    if (RemoveSpaces(t).isEmpty()) {
        MessageDlg(QStringLiteral("%1先のデータパスが不正です。\r").arg(name), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (!DM->DExist(t, ConnectMode)) {
        DM->MkDir(t, ConnectMode);
        return true;
    }
    if (!DM->FExist(t + u'/' + Product.DataFile, ConnectMode)) return true;
    m_info->UpdateIniFile(t, QStringLiteral("DATAINFO"));
    TDataInfomationRec target;
    m_info->ReadIniInfo(t, target);
    bool ok;
    if (RestorePatternForbidden(source.Gassan, target.GassanKbn)) {
        closeProgress();
        TMessageInfoRec box;
        InitMessageInfoRec(box);
        box.Mode = 1;
        box.Caption = QStringLiteral("警告");
        box.Text = QStringLiteral("%1先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。").arg(name);
        box.Color = 255;
        box.Lines = RestorePatternLines();
        ShowMessageBox(box);
        ok = false;
    } else {
        ok = CompareDataForRestore(name, source, RestoreSourceOf(target));
    }
    if (ok && name == kRestoreName) m_copy = source;
    return ok;
}

bool TDataSaveRestore::CompareDataForRestore(const QString &name, const TRestoreSourceInfo &source,
                                             const TRestoreSourceInfo &target)
{
    if (source.Shougou.isEmpty() && source.Kishu.isEmpty() && source.Kimatu.isEmpty()) {
        MessageDlg(QStringLiteral("%1処理元のデータ情報が不正です。\r").arg(name), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (target.Shougou.isEmpty() && target.Kishu.isEmpty() && target.Kimatu.isEmpty()) {
        MessageDlg(QStringLiteral("%1処理先のデータ情報が不正です。\r").arg(name), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    const bool note = ConnectMode == 0 && name == kRestoreName && isMerged(target.Gassan);
    const QStringList lines = RestoreDifferenceLines(name, source, target, note);
    if (lines.isEmpty()) return true;
    closeProgress();
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データ照合チェックの結果");
    box.Text = QStringLiteral("以下の項目に違いが検出されました。");
    box.Color = 255;
    box.Lines = lines;
    box.AgreeCaption = QStringLiteral("データ%1処理の続行に同意します。").arg(name);
    return ShowMessageBox(box) == 1;
}

void TDataSaveRestore::deleteChildren(int row)
{
    const int top = m_screen.ParentRowOf(row);
    auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(m_screen.RowRecord(top)));
    if (!rec) return;
    const TDataListArray children = rec->ChildRows;
    rec->ChildRows.clear();
    rec->ChildCount = 0;
    if (!isMerged(rec->GASSAN)) return;
    TDataSentakuListCtl list;
    list.ConnectMode = ConnectMode;
    list.SetDataListTable(m_screen.DataPlace());
    for (const TDataListRec &c : children) list.DeleteDataListChildRecord(c, true);
    const QString folder = m_screen.RowFolderPath(top);
    QStringList gone;
    for (const TDataListRec &c : children) gone << withoutDelim(c.PASNAME);
    // The child folders beside the listed ones: every sub-folder holding a company database.
    const QDir dir(folder);
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(dir.filePath(sub) + u'/' + Product.DataFile)) gone << dir.filePath(sub);
    gone.removeDuplicates();
    for (const QString &f : gone)
        if (!f.isEmpty() && !sameFolder(f, folder) && DM->DExist(f, ConnectMode)) DM->RmDir(f, ConnectMode, false);
}

void TDataSaveRestore::writeGassanSettings(const QString &folder, int sourceKind, const TDataListRec &row, int childCount)
{
    int kubun = 0, count = 0;
    if (!RestoredGassanSettings(ConnectMode, sourceKind, row.GASSAN, childCount, kubun, count)) return;
    if (!DM->fnAccDatConnected(SystemDef.HostName, folder, false)) return;
    try {
        const QString kihon = QStringLiteral("基本設定");
        DM->PutAccReg(kihon, QStringLiteral("合算データ区分"), QStringLiteral("整数"), kubun);
        DM->PutAccReg(kihon, QStringLiteral("合算データ数"), QStringLiteral("整数"), count);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataSentakuBox.WriteRowGassanSettings"), QStringLiteral("合算データ区分の更新に失敗しました。"));
    }
    DM->fnAccDatDisConnected(folder, true, true);
}

int TDataSaveRestore::RestoreData(const QString &given)
{
    QTableWidget *g = m_screen.PerfectGrid1;
    const int row = g->currentRow();
    const TDataListRec *current = m_screen.RowRecord(row);
    if (!current) return 0;
    const QString t = m_screen.RowFolderPath(row);
    bool damaged = current->DATA_STATUS == 1;
    if (damaged) {
        DM->fnAccDatDisConnected(t, false, false);
    } else if (current->KISHU.isValid() || current->KIMATU.isValid()) {
        if (CheckDataByHook(SystemDef.HostName, t, 0, 0) == 0) {
            markDamaged(row);
            damaged = true;
        }
    }
    if (!damaged) {
        const quint8 status = m_check->CheckDataStatus(t, false, QString(), true);
        if (serverMode() && status == 2) MessageDlg(kInUseRestore, TMsgDlgType::mtInformation, mbOK);
        if (status != 1 || !m_info->IsUseData(t)) return 0;
    }

    // The source.
    int choice = 1;
    QString sourceFolder;
    for (;;) {
        if (!given.isEmpty()) {
            sourceFolder = withoutDelim(given);
            break;
        }
        if (!m_restoreDlg) m_restoreDlg = std::make_unique<TFileOperationBoxEx1>(&m_screen);
        TFileOperationBoxEx1 &dlg = *m_restoreDlg;
        dlg.Mode = 2;
        dlg.History = true;
        dlg.HistFolder = SystemDef.IniDir;
        dlg.HistFile = kHistFile;
        dlg.HistSection = kHistSection;
        dlg.Caption = QStringLiteral("データの復元");
        dlg.Message = QStringLiteral(
            "指定された保存先の場所にバックアップファイルがある場合は、商号、会計期間および仕訳数をチェックし、条件が満たされれば復元されます。");
        dlg.PlaceLabel = QStringLiteral("保存先の場所:");
        dlg.DefaultFolder = SystemDef.DocumentDir;
        dlg.PlaceHint = QStringLiteral(
            "ﾃﾞｰﾀが保存されている場所を選択します。変更する場合は［参照］を押してください。|ﾃﾞｰﾀが保存されている場所を選択します。\r\n"
            "前回保存又は復元を行った場所を初期値として表示しています。それ以前の場所もリストから選択できます。その他の場所を指定する場合は［参照］を押してください。\r\n"
            "［OK］を押すと処理を実行します。");
        dlg.SetSelect1Caption(QStringLiteral("保存先の場所を選択して復元する"));
        dlg.SetSelect2Caption(QStringLiteral("プログラムの既定の保存先の場所より復元する"));
        dlg.Prepare(true);
        dlg.SetSelection(1);
        if (ModalRunner(dlg) != 1) return 0;
        choice = dlg.Choice;
        if (choice == 2) {
            sourceFolder = t;
            break;
        }
        sourceFolder = withoutDelim(dlg.ResultFolder);
        if (!SystemDef.TempDir.isEmpty() && sameFolder(sourceFolder, SystemDef.TempDir)) {
            MessageDlg(kNotThisFolder, TMsgDlgType::mtInformation, mbOK);
            continue;
        }
        break;
    }
    const bool onServer = choice == 2 && serverMode();

    {
        const quint8 status = m_check->CheckDataStatus(t, false, QString(), true);
        if (serverMode() && status == 2) MessageDlg(kInUseRestore, TMsgDlgType::mtInformation, mbOK);
        if (status != 1 && status != 10) return 0;
    }
    const QString sourceBackup = sourceFolder + u'/' + Product.DataBackupFile;
    if (!(onServer ? DM->FExist(sourceBackup, ConnectMode) : QFileInfo::exists(sourceBackup))) {
        MessageDlg(QStringLiteral("この場所には、バックアップファイル(%1)がありませんでした。").arg(Product.DataBackupFile),
                   TMsgDlgType::mtInformation, mbOK);
        return 0;
    }

    TxAnimeProgressDialog *progress = m_screen.xAnimeProgressDialog1;
    progress->setCaption(QStringLiteral("復元中"));
    progress->setInfoLabel(QStringLiteral("復元中、しばらくお待ちください…"));
    progress->CancelBtnShow = false;
    progress->Show(&m_screen);
    auto *rowRec = const_cast<TDataListRec *>(m_screen.RowRecord(row));
    if (serverMode() && rowRec) setRowLock(*rowRec, lockNumber());
    QString work = withoutDelim(SystemDef.TempDir);
    if (!work.isEmpty()) ForceDir(work);
    for (const QString &name : {Product.DataBackupFile, Product.DataFile, Product.DataIniFile})
        if (!work.isEmpty() && QFileInfo::exists(work + u'/' + name)) QFile::remove(work + u'/' + name);

    const bool targetHadDb = DM->FExist(t + u'/' + Product.DataFile, ConnectMode);
    bool serverWork = false;
    QString staged;
    TBackupRestoreThread job;
    job.ProcessName = QStringLiteral("データ選択");
    bool haveHeader = false;
    auto finish = [&](int result) {
        if (serverMode() && rowRec) setRowLock(*rowRec, 0);
        m_screen.activateWindow();
        closeProgress();
        if (DM->DExist(t, ConnectMode)) m_info->SetDataStatus(t, 1);
        m_screen.raise();
        return result;
    };
    if (onServer) {
        QString drive, rest;
        TDM::SplitDataPath(sourceFolder, drive, rest);
        work = QStringLiteral("%1\\%2").arg(drive + u':' + AppInfo.Rirev.ServerTempDir).arg(SystemDef.OpCode);
        work = QDir::fromNativeSeparators(work);
        if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
        serverWork = true;
        staged = sourceBackup;
    } else {
        staged = work + u'/' + Product.DataBackupFile;
        if (work.isEmpty() || !DM->FCopy(sourceBackup, staged, 0)) {
            MessageDlg(QStringLiteral("ワーク領域にファイルをコピー出来なかったため、復元処理は失敗しました。"),
                       TMsgDlgType::mtInformation, mbOK);
            if (!work.isEmpty()) QFile::remove(staged);
            return finish(-1);
        }
        haveHeader = job.ReadBackupInfo(staged, false);
    }

    // The comparison with the data the restore replaces.
    bool accepted = true;
    m_copy = TRestoreSourceInfo();
    TRestoreSourceInfo source;
    if (!damaged) {
        if (targetHadDb) {
            progress->setInfoLabel(QStringLiteral("照合チェック中、しばらくお待ちください…"));
            if (haveHeader) {
                source.Shougou = job.Shougou;
                source.Kishu = job.Kishu;
                source.Kimatu = job.Kimatu;
                source.Siwake = job.Siwake;
                source.TotalSiwake = job.TotalSiwake;
                source.Version = job.DataVersion;
                source.Gassan = job.Gassan;
                accepted = CheckRestorePattern(kRestoreName, source, t);
            } else {
                // No header: what the backup holds is read from a trial restore in the work folder.
                TBackupRestoreThread trial;
                trial.ProcessName = job.ProcessName;
                trial.Mode = 1;
                trial.MyNumberCheck = 0;
                if (serverWork) {
                    trial.Host = SystemDef.HostName;
                    trial.Method = 0;
                } else {
                    trial.Host = serverMode() ? QStringLiteral("127.0.0.1") : QString();
                    trial.Method = serverMode() ? 1 : 0;
                }
                trial.DatabasePath = work + u'/' + Product.DataFile;
                trial.BackupFile = staged;
                trial.RestoreOption = 1;
                if (!runJob(trial)) {
                    closeProgress();
                    warnJob(trial);
                    accepted = false;
                } else {
                    TDataInfomation workInfo;
                    workInfo.ConnectMode = serverWork ? ConnectMode : 0;
                    TDataInfomationRec read;
                    workInfo.ReadIniFile(trial.Host, work, read);
                    source = RestoreSourceOf(read);
                    accepted = CheckRestorePattern(kRestoreName, source, t);
                }
                const QString trialDb = work + u'/' + Product.DataFile;
                if (DM->FExist(trialDb, serverWork ? ConnectMode : 0)) DM->FDel(trialDb, serverWork ? ConnectMode : 0, false);
                QFile::remove(TDataInfomation::IniFileOf(work));
            }
        }
    } else {
        closeProgress();
        accepted = MessageDlg(QStringLiteral("このデータは破損データのため、データ間の照合チェックは行わずに復元を行います。\rよろしいですか？"),
                              TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbOK | mbCancel)) == mrOk;
        if (accepted) progress->Show(&m_screen);
    }
    if (serverWork && work != sourceFolder) DM->RmDir(work, ConnectMode, false);

    int result = -1;
    if (accepted) {
        if (!DM->DExist(t, ConnectMode)) DM->MkDir(t, ConnectMode);
        m_info->SetDataStatus(t, 5);
        const int kindBefore = rowRec ? rowRec->GASSAN : 0;
        const QString nameBefore = rowRec ? rowRec->SHOUGOU : QString();
        job.Mode = 1;
        job.Host = SystemDef.HostName;
        job.Method = serverMode() && !onServer ? 1 : 0;
        job.DatabasePath = t + u'/' + Product.DataFile;
        job.BackupFile = staged;
        job.RestoreOption = 1;
        job.Ask = 1;
        job.Log = 1;
        if (!progress->Showing()) progress->Show(&m_screen);
        if (!runJob(job)) {
            closeProgress();
            warnJob(job);
        } else {
            result = 1;
            const QString restoredName = haveHeader ? job.Shougou : source.Shougou;
            // The distributed data of a merged row go only once its replacement is in place.
            if (ConnectMode == 0 && isMerged(kindBefore) && !restoredName.isEmpty() && restoredName != nameBefore)
                DeleteChildData(row);
            TDataInfomationRec restored;
            if (!targetHadDb) {
                if (m_info->GetDataInfoRecByPath(t, restored) == 1) {
                    m_copy.Shougou = restored.Shougou;
                    m_copy.Kishu = restored.Kishu;
                    m_copy.Kimatu = restored.Kimatu;
                    m_copy.Version = restored.VerLabel;
                }
                m_copy.Gassan = haveHeader ? job.Gassan : source.Gassan;
            }
            const int sourceKind = haveHeader ? job.Gassan : (targetHadDb ? source.Gassan : m_copy.Gassan);
            rowRec = const_cast<TDataListRec *>(m_screen.RowRecord(row));
            if (rowRec) {
                const auto *top = static_cast<const TDataSentakuRec *>(m_screen.RowRecord(m_screen.ParentRowOf(row)));
                writeGassanSettings(t, sourceKind, *rowRec, top ? int(top->ChildRows.size()) : 0);
                if (m_info->GetDataInfoRecByPath(t, restored) == 1) {
                    m_info->UpdateDataInfomation(SystemDef.HostName, t, restored);
                    rowRec->DATACODE = restored.Code;
                    rowRec->ENTTEXT = restored.ListName;
                    rowRec->DispName = restored.ListName;
                    rowRec->UPDATE_LOCK = restored.UpdateLock;
                    rowRec->GASSAN = restored.GassanKbn;
                }
                rowRec->DATA_STATUS = 0;
            }
            m_info->SetDataStatus(t, 1);
            m_screen.DataListRefresh(row);
            g->setCurrentCell(row, dcNo);
            // A shared data set held here goes back to the shared server at once and stays held.
            const int topRow = m_screen.ParentRowOf(row);
            auto *top = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(m_screen.RowRecord(topRow)));
            if (ConnectMode == 0 && top && top->NETDRIVE == 1 && top->KYOYULOCK == 1) {
                TDataSentakuListCtl list;
                list.ConnectMode = ConnectMode;
                if (list.KyoyuDataUp(*top, true) == 1) {
                    top->KYOYULOCK = 1;
                    m_screen.SaveListRecord(*top);
                }
                m_screen.DataListRefresh(row);
            }
        }
    }
    if (!serverWork && !work.isEmpty()) QFile::remove(staged);
    return finish(result);
}
