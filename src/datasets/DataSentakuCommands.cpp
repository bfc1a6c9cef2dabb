// The data-set commands of the data-selection screen: copy and paste, new
// data, delete, data areas and distributed-input copies of merged data sets.
#include "datasets/DataSentaku.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "datasets/DataFolderCheck.h"
#include "datasets/DataSetCopy.h"
#include "datasets/z5GassanSyori.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/ProcessForm.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "framework/z5InputDlg.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>

namespace {

const QString kNewDataProcess = QStringLiteral("QmKihonWiz");
const QColor kDamagedBack(255, 0, 0);

bool isTopKind(int g) { return g == 0 || g == 1 || g == 2; }
bool isMergedKind(int g) { return g == 1 || g == 2; }
bool isServer() { return ConnectMode == 1 || ConnectMode == 2; }

int showInfo2(int kind, const QStringList &lines)
{
    TMessage2InfoRec box;
    InitMessage2InfoRec(kind, box);
    for (int i = 0; i < lines.size() && i < 10; ++i) box.Lines[size_t(i)].Caption = lines[i];
    if (kind == 3) box.Buttons = TMsgDlgButtons(mbOK | mbCancel);
    return ShowMessageBox2(box);
}

bool confirm2(const QStringList &lines)
{
    const int r = showInfo2(3, lines);
    return r == mrOk || r == mrYes;
}

const QStringList kDamagedChildTail = {
    QStringLiteral("データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。"),
    QStringLiteral("ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。")};

// The login number of the operator: the operator id less its group part.
int operatorNumber()
{
    const int groupBase = SystemDef.GroupNo * 10000;
    return groupBase != 0 ? SystemDef.OpCode % groupBase : SystemDef.OpCode;
}

// Writes a status into a folder's information file; a folder that cannot be
// written (a read-only place) keeps what it had.
void writeStatus(TDataInfomation &info, const QString &folder, int status)
{
    try {
        info.SetDataStatus(folder, status);
    } catch (const std::exception &) {
    }
}

bool sameFolder(const QString &a, const QString &b)
{
    return ExcludePathDelim(QDir::cleanPath(a)).compare(ExcludePathDelim(QDir::cleanPath(b)), Qt::CaseInsensitive) == 0;
}

} // namespace

bool TDataSentakuBox::NewDataAvailable() { return ProcessRegistry().IndexOfProcess(kNewDataProcess) >= 0; }

void TDataSentakuBox::installDataSetCommands()
{
    KeyCommands[dkF2] = [this] { CopyPasteData(F2); };
    KeyCommands[dkF3] = [this] {
        const int row = PerfectGrid1->currentRow();
        const TDataListRec *r = RowRecord(row);
        if (!r) return;
        if (!isServer()) {
            if (r->GASSAN == 1) AddDistributedData();
            else NewData();
        } else if (!r->ENTTEXT.isEmpty()) {
            if (TakeOutCommand) TakeOutCommand();
        } else {
            NewData();
        }
        PerfectGrid1->setFocus(Qt::OtherFocusReason);
    };
    // F4 of the local mode releases a shared allocation.
    if (ConnectMode == 1 || ConnectMode == 2) KeyCommands[dkF4] = [this] { AddDataArea(); };
    installSharedCommands();
    KeyCommands[dkF5] = [this] {
        DeleteData(true);
        PerfectGrid1->setFocus(Qt::OtherFocusReason);
    };
}

bool TDataSentakuBox::keyCarried(int key, const QString &caption) const
{
    if (key == dkF3) {
        if (caption == QStringLiteral("F3:新規作成")) return NewDataAvailable();
        if (caption == QStringLiteral("F3:持ち出し")) return bool(TakeOutCommand);
    }
    if (key == dkF4 && caption == QStringLiteral("F4:割当解除")) return ConnectMode == 0;
    return true;
}

void TDataSentakuBox::showProgress(const QString &caption, const QString &text, bool animation)
{
    TxAnimeProgressDialog *progress = xAnimeProgressDialog1;
    progress->setCaption(caption);
    progress->setInfoLabel(text);
    if (animation) {
        progress->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
        progress->CommonAVI = TCommonAVI::aviCopyFile;
    }
    progress->CancelBtnShow = false;
    progress->Show(this);
}

void TDataSentakuBox::markRowDamaged(int row)
{
    auto *r = const_cast<TDataListRec *>(RowRecord(row));
    if (!r) return;
    r->DATA_STATUS = 1;
    try {
        if (ConnectMode == 0) m_listCtl->markDamaged(r->REC, r->GASSAN == 10 ? r->ROWNO : 0);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataSentakuBox.markRowDamaged"), QStringLiteral("データリストの更新に失敗しました。"));
    }
    if (QTableWidgetItem *it = PerfectGrid1->item(row, dcStatus)) it->setText(QStringLiteral("1"));
    setRowColors(row, kDamagedBack, ForeColor);
}

void TDataSentakuBox::setRowDataLock(TDataListRec &rec, bool on)
{
    if (!isServer()) return;
    rec.DATALOCK = on ? operatorNumber() : 0;
    try {
        SaveListRecord(rec);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataSentakuBox.setRowDataLock"), QStringLiteral("データリストの更新に失敗しました。"));
    }
}

// ---- copy and paste ----

bool TDataSentakuBox::CopyPasteData(TxPlButton *button)
{
    Q_UNUSED(button);
    const int row = PerfectGrid1->currentRow();
    if (!RowRecord(row)) return false;
    if (!m_copyPending) {
        // The first press: remember the source.
        m_copyPending = true;
        if (!copyStep(row)) {
            m_copyPending = false;
            UpdateFunctionKeys();
            return false;
        }
        UpdateFunctionKeys();
        return true;
    }
    // The second press: paste into the focused row.
    m_copyPending = false;
    const bool ok = pasteStep(row);
    m_copySource.clear();
    m_copyRecIndex = -1;
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    UpdateFunctionKeys();
    return ok;
}

bool TDataSentakuBox::copyStep(int row)
{
    const TDataListRec *rec = RowRecord(row);
    const QString s = RowFolderPath(row);
    if (CheckDataByHook(SystemDef.HostName, s, 1, 0) == 0) {
        markRowDamaged(row);
        DataListRefresh(row);
        return false;
    }
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (isMergedKind(rec->GASSAN) && ri >= 0 && ri < m_recs.size())
        for (const TDataListRec &c : m_recs[ri].ChildRows)
            if (c.DATA_STATUS != 0) {
                showInfo2(2, QStringList{QStringLiteral("合算・分散データに破損したデータが存在するため、データのコピーを中止します。")} +
                                 kDamagedChildTail);
                return false;
            }
    const quint8 status = m_check->CheckDataStatus(s, true, QStringLiteral("コピー"), true);
    if (!TDataFolderCheck::IsAllowedStatus(status, ConnectMode)) {
        DataListRefresh(row);
        return false;
    }
    if (!m_info->IsUseData(s)) return false;
    if (isServer() && status == 2 && !confirm2({QStringLiteral("このデータは他のオペレータが使用中です。コピーしますか？")}))
        return false;

    rec = RowRecord(row); // a refresh may have redrawn the row
    m_copySource = s;
    m_copyRec = TDataSentakuRec();
    static_cast<TDataListRec &>(m_copyRec) = *rec;
    if (isTopKind(rec->GASSAN) && ri >= 0 && ri < m_recs.size()) m_copyRec = m_recs[ri];
    m_copyListName = CopyListName(rec->ENTTEXT);
    m_copyRecIndex = ri;
    m_copyGassan = rec->GASSAN;
    writeStatus(*m_info, s, 6);
    return true;
}

bool TDataSentakuBox::checkPastePattern(const QString &name, const TDataInfomationRec &source, const QString &t)
{
    if (t.isEmpty()) {
        MessageDlg(QStringLiteral("%1先のデータパスが不正です。\r").arg(name), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (!DM->DExist(t, ConnectMode)) return DM->MkDir(t, ConnectMode);
    if (!DM->FExist(t + u'/' + Product.DataFile, ConnectMode)) return true;
    TDataInfomationRec target;
    try {
        m_info->UpdateIniFile(t, QStringLiteral("DATAINFO"));
    } catch (const std::exception &) {
        // a target that cannot be written is told by the copy itself
    }
    m_info->ReadIniInfo(t, target);
    if (ConnectMode != 0 || target.Shougou.isEmpty()) m_info->GetDataInfoRecByPath(t, target);
    if (RestorePatternForbidden(source.GassanKbn, target.GassanKbn)) {
        xAnimeProgressDialog1->Close();
        TMessageInfoRec box;
        InitMessageInfoRec(box);
        box.Mode = 1;
        box.Caption = QStringLiteral("警告");
        box.Text = QStringLiteral("%1先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。").arg(name);
        box.Lines = RestorePatternLines();
        ShowMessageBox(box);
        return false;
    }
    const QString fault = CompareDataInfoFault(name, source, target);
    if (!fault.isEmpty()) {
        MessageDlg(fault, TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    const QStringList lines = CompareDataLines(name, source, target, false);
    if (lines.isEmpty()) return true;
    xAnimeProgressDialog1->Close();
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データ照合チェックの結果");
    box.Text = QStringLiteral("以下の項目に違いが検出されました。");
    box.Lines = lines;
    box.AgreeCaption = QStringLiteral("データ%1処理の続行に同意します。").arg(name);
    return ShowMessageBox(box) == 1;
}

bool TDataSentakuBox::pasteOnServer(const QString &s, const QString &t, TDataListRec &rec, QString &why)
{
    xAnimeProgressDialog1->setInfoLabel(QStringLiteral("データをコピー中…"));
    setRowDataLock(rec, true);
    const QString work = QFileInfo(ExcludePathDelim(SystemDef.SysDir)).path() + QStringLiteral("/temp");
    if (!DM->DExist(work, ConnectMode)) DM->MkDir(work, ConnectMode);
    const QString leftover = ExcludePathDelim(SystemDef.TempDir) + u'/' + Product.DataBackupFile;
    if (!SystemDef.TempDir.isEmpty() && QFileInfo::exists(leftover)) QFile::remove(leftover);

    TBackupRestoreThread job;
    job.Mode = 2;
    job.ProcessName = QStringLiteral("データ選択");
    job.RestoreOption = 1;
    job.Host = SystemDef.HostName;
    job.DatabasePath = s + u'/' + Product.DataFile;
    job.TargetPath = t + u'/' + Product.DataFile;
    job.BackupFile = work + u'/' + QFileInfo(Product.DataBackupFile).completeBaseName() + u'.' + QString::number(SystemDef.OpCode);
    try {
        PasteJobRunner(job);
    } catch (const std::exception &e) {
        job.Success = 0;
        job.ErrInfo.Message = exceptionText(e);
    }
    const bool ok = job.Success == 1;
    if (!ok) {
        QStringList parts;
        if (!job.ErrInfo.Message.isEmpty()) parts << job.ErrInfo.Message;
        if (!job.ErrInfo.Message2.isEmpty()) parts << job.ErrInfo.Message2;
        why = parts.join(u'\r');
    }
    if (DM->FExist(job.BackupFile, ConnectMode)) DM->FDel(job.BackupFile, ConnectMode, false);
    setRowDataLock(rec, false);
    return ok;
}

bool TDataSentakuBox::pasteStep(int row)
{
    const QString s = m_copySource;
    auto freeSource = [this, &s] {
        if (!s.isEmpty()) writeStatus(*m_info, s, 1);
    };
    auto *rec = const_cast<TDataListRec *>(RowRecord(row));
    const QString t = RowFolderPath(row);
    if (!rec || s.isEmpty() || sameFolder(t, s)) {
        freeSource();
        return false;
    }
    if (m_copyGassan == 10 && rec->REC == m_copyRec.REC) {
        MessageDlg(QStringLiteral("同ブロックの分散入力データからの貼り付けは行えません。\r"), TMsgDlgType::mtInformation, mbOK);
        freeSource();
        return false;
    }
    const quint8 status = m_check->CheckDataStatus(t, false, QStringLiteral("貼り付け"), true);
    bool damaged = false;
    if (status != 1 && status != 10) {
        if (isServer() && status == 2)
            showInfo2(2, {QStringLiteral("このデータは他のオペレータが使用中のため貼り付けは行えません。")});
        freeSource();
        return false;
    }
    if (status == 10) {
        DM->fnAccDatDisConnected(t, false, false);
        damaged = true;
    }
    if (!damaged && !m_info->IsUseData(t)) {
        freeSource();
        return false;
    }

    showProgress(QStringLiteral("コピー中"), QStringLiteral("データのコピー中…"), true);
    TDataInfomationRec source;
    m_info->ReadIniInfo(s, source);
    if (source.Shougou.isEmpty()) {
        const quint8 st = source.Status;
        m_info->GetDataInfoRecByPath(s, source);
        source.Status = st;
    }
    if (source.GassanKbn == 0) source.GassanKbn = quint8(m_copyGassan);

    bool pasted = false;
    const bool hadIni = QFileInfo::exists(TDataInfomation::IniFileOf(t));
    try {
        const bool accepted =
            damaged ? confirm2({QStringLiteral("このデータは破損データのため、データ間の照合チェックは行わずに貼り付けを行います。"),
                                QStringLiteral("よろしいですか？")})
                    : checkPastePattern(QStringLiteral("貼り付け"), source, t);
        if (accepted) {
            writeStatus(*m_info, t, 7);
            QString why;
            bool copied = false;
            if (isServer()) {
                copied = pasteOnServer(s, t, *rec, why);
            } else {
                copied = PasteDataFolder(s, t, rec->GASSAN == 10, why);
            }
            if (!copied) {
                // Nothing of the target changed: its status goes back, and an
                // information file made only for this paste goes again.
                writeStatus(*m_info, t, 1);
                if (!hadIni && ConnectMode == 0) QFile::remove(TDataInfomation::IniFileOf(t));
                xAnimeProgressDialog1->Close();
                ShowErrorMessage(QStringLiteral("データの貼り付けに失敗しました。"), why, TMsgDlgType::mtWarning);
            } else {
                pasted = true;
                writeStatus(*m_info, t, 1);
                const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
                // The copies of a merged target went with its folder; their rows go too.
                if (ConnectMode == 0 && isMergedKind(rec->GASSAN) && isTopKind(rec->GASSAN) && ri >= 0 && ri < m_recs.size()) {
                    m_listCtl->DeleteDataListChildRecord(m_recs[ri], true);
                    m_recs[ri].ChildRows.clear();
                    m_recs[ri].ChildCount = 0;
                }
                WriteRowGassanSettings(row);
                rec = const_cast<TDataListRec *>(RowRecord(row));
                TDataInfomationRec pastedInfo;
                if (rec && m_info->GetDataInfoRecByPath(t, pastedInfo) == 1) {
                    pastedInfo.ListName = m_copyListName;
                    pastedInfo.UpdateLock = m_copyRec.UPDATE_LOCK;
                    m_info->UpdateDataInfomation(SystemDef.HostName, t, pastedInfo);
                    m_info->WriteIniFile(t, QStringLiteral("DATAINFO"), pastedInfo);
                    rec->DATACODE = pastedInfo.Code;
                    rec->ENTTEXT = pastedInfo.ListName;
                    rec->DispName = pastedInfo.ListName;
                    rec->UPDATE_LOCK = pastedInfo.UpdateLock;
                    if (isTopKind(rec->GASSAN) && isTopKind(pastedInfo.GassanKbn)) rec->GASSAN = pastedInfo.GassanKbn;
                    rec->DATA_STATUS = 0;
                    SaveListRecord(*rec);
                    PerfectGrid1->item(row, dcCode)->setText(rec->DATACODE);
                    PerfectGrid1->item(row, dcName)->setText(rec->DispName);
                    PerfectGrid1->item(row, dcUpdate)->setText(QString::number(rec->UPDATE_LOCK));
                    PerfectGrid1->item(row, dcGassan)->setText(QString::number(rec->GASSAN));
                    CopyChildList(row);
                } else {
                    markRowDamaged(row);
                }
            }
        }
    } catch (const platform::Error &e) {
        writeStatus(*m_info, t, 1);
        xAnimeProgressDialog1->Close();
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
    } catch (const std::exception &e) {
        writeStatus(*m_info, t, 1);
        xAnimeProgressDialog1->Close();
        reportError(e, QStringLiteral("TDataSentakuBox.CopyPasteData"), QStringLiteral("データの貼り付けに失敗しました。"));
    }
    xAnimeProgressDialog1->Close();
    freeSource();
    DataListRefresh(row);
    if (PerfectGrid1->rowCount() > row) PerfectGrid1->setCurrentCell(row, dcNo);
    if (pasted) {
        const TDataListRec *r = RowRecord(row);
        // A shared data set held here goes back to the shared server at once.
        if (r && r->NETDRIVE == 1 && r->KYOYULOCK == 1 && StoreSharedAfterChange && StoreSharedAfterChange(row))
            DataListRefresh(row);
    }
    activateWindow();
    raise();
    return pasted;
}

void TDataSentakuBox::CopyChildList(int row)
{
    const TDataListRec *r = RowRecord(row);
    if (!r || !isTopKind(r->GASSAN)) return;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (ri < 0 || ri >= m_recs.size()) return;
    TDataSentakuRec &pasted = m_recs[ri];
    pasted.ChildRows.clear();
    pasted.ChildCount = 0;
    if (!isMergedKind(pasted.GASSAN) || !isMergedKind(m_copyGassan)) return;
    const QString from = ExcludePathDelim(m_copyRec.PASNAME);
    const QString to = ExcludePathDelim(pasted.PASNAME);
    for (TDataListRec child : m_copyRec.ChildRows) {
        child.REC = pasted.REC;
        if (child.PASNAME.startsWith(from, Qt::CaseInsensitive)) child.PASNAME = to + child.PASNAME.mid(from.size());
        child.LocalPath.clear();
        m_listCtl->GetDataFolderPath(child);
        m_listCtl->UpdateDataListChildRecord(child, true);
        pasted.ChildRows.append(child);
    }
    pasted.ChildCount = int(pasted.ChildRows.size());
}

void TDataSentakuBox::WriteRowGassanSettings(int row)
{
    const TDataListRec *r = RowRecord(row);
    if (!r) return;
    const QString folder = RowFolderPath(row);
    // The copies the row holds after the paste are the source's.
    const int count = int(m_copyRec.ChildRows.size());
    const TGassanSettings set = GassanSettingsFor(m_copyGassan, r->GASSAN, count, isServer());
    if (!set.Write) return;
    if (!DM->fnAccDatConnected(SystemDef.HostName, folder, false)) return;
    try {
        DM->PutAccReg(QStringLiteral("基本設定"), QStringLiteral("合算データ区分"), QStringLiteral("整数"), QString::number(set.Kind));
        DM->PutAccReg(QStringLiteral("基本設定"), QStringLiteral("合算データ数"), QStringLiteral("整数"), QString::number(set.Count));
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataSentakuBox.WriteRowGassanSettings"), QStringLiteral("合算データ設定の書き込みに失敗しました。"));
    }
    DM->fnAccDatDisConnected(folder, true, true);
}

void TDataSentakuBox::NumberChildRows(int row)
{
    const TDataListRec *r = RowRecord(row);
    if (!r) return;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (ri >= 0 && ri < m_recs.size()) TDataSentakuListCtl::NumberChildNames(m_recs[ri]);
}

// ---- new data ----

int TDataSentakuBox::NewData()
{
    const int row = PerfectGrid1->currentRow();
    auto *rec = const_cast<TDataListRec *>(RowRecord(row));
    if (!rec || !NewDataAvailable() || !RunProcessHook) return 0;
    const QString t = RowFolderPath(row);
    if (m_check->CheckDataStatus(t, false, QStringLiteral("新規作成"), false) != 1) return 0;
    const bool existed = DM->DExist(t, ConnectMode);
    const bool hadIni = QFileInfo::exists(TDataInfomation::IniFileOf(t));
    if (!existed && !DM->MkDir(t, ConnectMode)) {
        MessageDlg(QStringLiteral("データフォルダの作成に失敗しました。\r%1").arg(t), TMsgDlgType::mtError, mbOK);
        return 0;
    }
    writeStatus(*m_info, t, 9);
    setRowDataLock(*rec, true);
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    const int topRec = (ri >= 0 && ri < m_recs.size()) ? m_recs[ri].REC : rec->REC;
    const int answer = RunProcessHook(kNewDataProcess, 1,
                                      QStringLiteral("DataPath=%1\rDataListRec=%2\rPHandle=%3").arg(t).arg(topRec).arg(qint64(winId())));
    rec = const_cast<TDataListRec *>(RowRecord(row));
    if (answer == 1 && ri >= 0 && ri < m_recs.size()) {
        TDataSentakuRec &top = m_recs[ri];
        m_listCtl->GetDataListRecord(0, top, true);
        m_listCtl->GetDataListChildRecord(top, true);
        if (top.NETDRIVE == 1) {
            const QString local = ExcludePathDelim(top.LocalPath);
            for (TDataListRec &child : top.ChildRows) {
                child.NETDRIVE = 1;
                if (!local.isEmpty() && child.PASNAME.startsWith(local, Qt::CaseInsensitive))
                    child.PASNAME = ExcludePathDelim(top.PASNAME) + child.PASNAME.mid(local.size());
                m_listCtl->UpdateDataListChildRecord(child, true);
            }
        }
        writeStatus(*m_info, t, 1);
    } else if (ConnectMode == 0) {
        // Nothing was made: no half-made folder stays behind.
        if (!existed) QDir(t).removeRecursively();
        else if (!hadIni) QFile::remove(TDataInfomation::IniFileOf(t));
        else writeStatus(*m_info, t, 1);
    } else {
        writeStatus(*m_info, t, 1);
    }
    rec = const_cast<TDataListRec *>(RowRecord(row));
    if (rec) setRowDataLock(*rec, false);
    if (rec && rec->NETDRIVE == 1 && rec->KYOYULOCK == 1 && answer == 1 && StoreSharedAfterChange) StoreSharedAfterChange(row);
    DataListRefresh(row);
    return answer;
}

// ---- delete ----

void TDataSentakuBox::DeleteChildData(int row, bool all)
{
    const TDataListRec *r = RowRecord(row);
    if (!r) return;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (ri < 0 || ri >= m_recs.size()) return;
    TDataSentakuRec &top = m_recs[ri];
    if (!all) {
        TDataSentakuListCtl::DeleteChildRec(top, PerfectGrid1->item(row, dcChildIndex)->text().toInt());
        return;
    }
    top.ChildRows.clear();
    top.ChildCount = 0;
    if (!isMergedKind(top.GASSAN)) return;
    m_listCtl->DeleteDataListChildRecord(top, true);
    const QString folder = RowFolderPath(row);
    const QStringList subs = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &sub : subs)
        if (GassanChildNumber(sub, true) >= 0) DM->RmDir(folder + u'/' + sub, ConnectMode, false);
}

bool TDataSentakuBox::DeleteData(bool report)
{
    const int row = PerfectGrid1->currentRow();
    const TDataListRec *r = RowRecord(row);
    if (!r) return false;
    const QString t = RowFolderPath(row);
    const bool damaged = r->DATA_STATUS == 1;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    const bool child = r->GASSAN == 10;
    if (damaged) {
        DM->fnAccDatDisConnected(t, false, false);
    } else {
        if (CheckDataByHook(SystemDef.HostName, t, 1, 0) == 0) {
            markRowDamaged(row);
            DataListRefresh(row);
            return false;
        }
        if (isMergedKind(r->GASSAN) && ri >= 0 && ri < m_recs.size())
            for (const TDataListRec &c : m_recs[ri].ChildRows)
                if (c.DATA_STATUS != 0) {
                    showInfo2(2, QStringList{QStringLiteral("合算・分散データに破損したデータが存在するため、データの削除を中止します。")} +
                                     kDamagedChildTail);
                    return false;
                }
        if (r->NETDRIVE == 1 && isTopKind(r->GASSAN)) {
            showInfo2(2, {QStringLiteral("共有データの削除は行えません。"),
                          QStringLiteral("[F4:割当解除]後に「共有データの選択」ウィンドウを表示して削除を行って下さい。")});
            return false;
        }
        if (!SystemDef.DataDir.isEmpty() && sameFolder(t, SystemDef.DataDir)) {
            showInfo2(2, {m_syoriType == 2 ? QStringLiteral("このデータは現在選択中のデータのため削除は行えません。")
                                           : QStringLiteral("このデータは前回起動データのため削除は行えません。")});
            return false;
        }
        const quint8 status = m_check->CheckDataStatus(t, true, QStringLiteral("削除"), true);
        if (isServer() && status == 2) {
            showInfo2(2, {QStringLiteral("このデータは他のオペレータが使用中のため削除は行えません。")});
            return false;
        }
        if (status != 1 || !m_info->IsUseData(t)) return false;
    }

    r = RowRecord(row);
    if (!r) return false;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データの削除");
    box.Text = QStringLiteral("選択したデータを削除します。");
    box.AgreeCaption = QStringLiteral("データの削除に同意します");
    box.Lines = QStringList{QStringLiteral("【データ名】"),
                            QStringLiteral("　") + PerfectGrid1->item(row, dcName)->text(),
                            QString(),
                            QStringLiteral("【会計期間】"),
                            QStringLiteral("　") + PerfectGrid1->item(row, dcKikan)->text(),
                            QString(),
                            QStringLiteral("【データフォルダ】"),
                            QStringLiteral("　") + PerfectGrid1->item(row, dcFolder)->text()};
    if (ShowMessageBox(box) != 1) return false;

    TDataListRec gone = *r;
    const_cast<TDataListRec *>(r)->DATA_STATUS = 0;
    gone.DATA_STATUS = 0;
    if (!isServer()) {
        if (QFileInfo::exists(t) && !DM->RmDir(t, 0, false)) {
            // The folder stays: so do its rows.
            if (report) MessageDlg(QStringLiteral("データの削除に失敗しました。\r"), TMsgDlgType::mtError, mbOK);
            DataListRefresh(row);
            return false;
        }
        if (child && ri >= 0 && ri < m_recs.size() && isMergedKind(m_recs[ri].GASSAN)) {
            const TDataSentakuRec &parent = m_recs[ri];
            if (!m_gassan) m_gassan = std::make_shared<TGassanDataCtl>();
            m_gassan->SetDataPath(ExcludePathDelim(parent.LocalPath.isEmpty() ? parent.PASNAME : parent.LocalPath));
            m_gassan->SetDataListRec(parent.REC);
            m_gassan->SetActive(true);
            m_gassan->WriteGassanSettings(parent.GASSAN, qMax(0, int(parent.ChildRows.size()) - 1));
        }
    } else {
        if (!damaged) DM->AccDatDropDatabase(SystemDef.HostName, t);
        DM->RmDir(t, ConnectMode, false);
    }
    const bool deleted = m_listCtl->DeleteDataListRecord(gone, report);
    if (!child && isMergedKind(gone.GASSAN)) DeleteChildData(row, true);
    DataListRefresh(row);
    if (!deleted && report) {
        MessageDlg(QStringLiteral("データの削除に失敗しました。\r"), TMsgDlgType::mtError, mbOK);
    } else if ((child && !isServer()) || isServer()) {
        ReloadAndLocate(PerfectGrid1->rowAt(0), gone);
        PerfectGrid1->setFocus(Qt::OtherFocusReason);
    }
    return deleted;
}

// ---- data areas (server modes) ----

bool TDataSentakuBox::AddDataArea()
{
    const int limit = 2000;
    if (m_recs.size() >= limit) {
        MessageDlg(QStringLiteral("これ以上の領域追加は行えません。(最大%1件)").arg(limit), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    TInputDlgBox dlg(this);
    dlg.InputMode = 0;
    dlg.Caption = QStringLiteral("データの領域追加");
    dlg.Message = QStringLiteral("新しく作成するフォルダ名を入力して下さい。");
    dlg.MessageColor = palette().color(QPalette::WindowText);
    dlg.Value = QStringLiteral("%1").arg(m_listCtl->GetDataFolderName(1), 4, 10, QLatin1Char('0'));
    dlg.MaxLength = 8;
    dlg.SetKeyFilter(40);
    dlg.InputHint = QStringLiteral("新しく作成するフォルダ名を入力します。");
    dlg.Prepare(true);
    if (ModalRunner(dlg) != 1) return false;
    const QString name = TrimZen(dlg.Value);
    if (RemoveSpaces(name).isEmpty()) return false;
    if (name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
        MessageDlg(QStringLiteral("フォルダ名に使用できない文字が含まれています。\r"), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    const QString folder = ExcludePathDelim(m_dataPlacePath) + u'/' + name;
    if (m_listCtl->IsDataPathToroku(folder)) {
        MessageDlg(u'"' + folder + QStringLiteral("\"は既にデータリスト上に作成されています。\r"), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (DM->DExist(folder, ConnectMode)) {
        MessageDlg(u'"' + folder + QStringLiteral("\"に会計データが作成されています。\r"), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    TDataListRec rec;
    m_listCtl->ClearDataListRec(rec, folder);
    TDataInfomationRec empty;
    TDataInfomation::ClearDataInfoRec(empty);
    ::SetListRecFromInfo(empty, rec, true);
    rec.ENTTEXT.clear();
    rec.DispName.clear();
    if (!m_listCtl->InsertDataListRecord(rec, true)) return false;
    ReloadAndLocate(PerfectGrid1->rowAt(0), rec);
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    return true;
}

// ---- distributed-input copies (local mode) ----

bool TDataSentakuBox::AddDistributedData()
{
    const int row = PerfectGrid1->currentRow();
    const TDataListRec *r = RowRecord(row);
    if (!r || !isMergedKind(r->GASSAN)) return false;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (ri < 0 || ri >= m_recs.size()) return false;
    if (m_recs[ri].ChildRows.size() > 98) {
        MessageDlg(QStringLiteral("これ以上の分散データの追加は行えません。(最大99件)\r"), TMsgDlgType::mtInformation, mbOK);
        return false;
    }
    if (MessageDlg(QStringLiteral("分散入力用のデータを追加します。\rよろしいですか？"), TMsgDlgType::mtConfirmation,
                   TMsgDlgButtons(mbYes | mbNo)) != mrYes)
        return false;
    const QString folder = RowFolderPath(row);
    showProgress(QStringLiteral("分散データの追加"), QStringLiteral("分散データの作成中…"), false);
    bool made = false;
    try {
        if (!m_gassan) m_gassan = std::make_shared<TGassanDataCtl>();
        m_gassan->OnInfo = [this](const QString &text) {
            xAnimeProgressDialog1->setInfoLabel(text);
            TxAnimeProgressDialog::ProcessMessages();
        };
        m_gassan->SetDataPath(folder);
        m_gassan->SetDataListRec(m_recs[ri].REC);
        m_gassan->SetActive(true);
        made = m_gassan->CreateChildData(QString());
        if (made) m_gassan->WriteGassanSettings(m_recs[ri].GASSAN, int(m_recs[ri].ChildRows.size()) + 1);
    } catch (const platform::Error &e) {
        xAnimeProgressDialog1->Close();
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
    } catch (const std::exception &e) {
        xAnimeProgressDialog1->Close();
        reportError(e, QStringLiteral("TDataSentakuBox.AddDistributedData"), QStringLiteral("分散入力用データの作成に失敗しました。"));
    }
    if (m_gassan) m_gassan->OnInfo = nullptr;
    m_listCtl->GetDataListChildRecord(m_recs[ri], true);
    DataListRefresh(row);
    DM->fnAccDatDisConnected(folder, false, false);
    xAnimeProgressDialog1->Close();
    activateWindow();
    return made;
}
