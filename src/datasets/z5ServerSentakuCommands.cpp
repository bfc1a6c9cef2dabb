// The area commands of the shared-data selection screen: copy and paste of a
// data set between areas (F2), a new area (F4), the deletion of an area (F5)
// and the printout of the list (F8), with the status check and writer of an
// area folder that they and the screen use.
#include "datasets/z5ServerSentaku.h"

#include "core/FileUtils.h"
#include "core/SjisText.h"
#include "datasets/DataSetCopy.h"
#include "datasets/DataSentaku.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/WindowUtils.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/z5InputDlg.h"
#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

namespace {

QString companyDatabase(const QString &folder) { return ExcludePathDelim(folder) + u'/' + Product.DataFile; }

} // namespace

quint8 TServerSentakuBox::CheckDataStatus(const QString &folder, bool warn, bool report)
{
    if (!QFileInfo::exists(companyDatabase(folder))) {
        TDataInfomation::ClearDataInfoRec(m_info);
        if (warn) {
            MessageDlg(QStringLiteral("このフォルダには財務データがありません。\r"), TMsgDlgType::mtWarning, mbYes);
            return 0;
        }
        return 1;
    }
    if (!QFileInfo::exists(TDataInfomation::IniFileOf(folder))) m_infoCtl->UpdateIniFile(folder, QString());
    m_infoCtl->ReadIniInfo(folder, m_info);
    const quint8 s = m_info.Status;
    if (!report || s == 1 || s == 10) return s;
    const int base = SystemDef.GroupNo * 10000;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 1;
    box.Caption = QStringLiteral("選択データの状態");
    box.Text = QStringLiteral("このデータは%1のため処理が行えません。").arg(GetDataStatusText(s));
    box.Lines = {QStringLiteral("【データフォルダ】"), QStringLiteral("　") + folder, QString(), QStringLiteral("【オペレータ】"),
                 QStringLiteral("　%1").arg(base != 0 ? m_info.OpCode % base : m_info.OpCode), QString(),
                 QStringLiteral("【オペレータ名】"), QStringLiteral("　") + m_info.OpName};
    ShowMessageBox(box);
    return s;
}

void TServerSentakuBox::WriteDataStatus(const QString &folder, int status)
{
    if (folder.isEmpty()) return;
    try {
        m_infoCtl->SetDataStatus(folder, status);
    } catch (const std::exception &) {
        // An area that cannot be written keeps its status; the next check reports it.
    }
}

bool TServerSentakuBox::CopyData()
{
    const int row = PerfectGrid1->currentRow();
    TDataSentakuRec *top = recordOfRow(row);
    const TDataListRec *rec = RowRecord(row);
    if (!top || !rec) return true;
    const QString t = ExcludePathDelim(rec->PASNAME);
    if (m_copyMode) {
        if (CheckDataStatus(t, true, true) != 1) {
            m_copyMode = false;
            UpdateFunctionKeys();
            return true;
        }
        m_copySource = t;
        m_copyRec = *rec;
        m_copyRec.ENTTEXT = m_copyRec.DispName = CopyListName(rec->ENTTEXT);
        m_copyIndex = PerfectGrid1->item(row, scRecIndex)->text().toInt();
        WriteDataStatus(t, 6);
        return true;
    }
    if (t == m_copySource) {
        WriteDataStatus(m_copySource, 1);
        return true;
    }
    const quint8 s = CheckDataStatus(t, false, true);
    if (s != 1 && s != 10) {
        WriteDataStatus(m_copySource, 1);
        return true;
    }
    showProgress(QStringLiteral("コピー中"), QStringLiteral("データのコピー中…"), false);
    try {
        pasteOn(row, t, s);
    } catch (const platform::Error &e) {
        xAnimeProgressDialog1->Close();
        WriteDataStatus(m_copySource, 1);
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
    } catch (const std::exception &e) {
        xAnimeProgressDialog1->Close();
        WriteDataStatus(m_copySource, 1);
        reportError(e, QStringLiteral("TServerSentakuBox.CopyData"), QStringLiteral("データの貼り付けに失敗しました。"));
    }
    xAnimeProgressDialog1->Close();
    WriteDataStatus(m_copySource, 1);
    ForceForegroundWindow(this);
    return true;
}

void TServerSentakuBox::pasteOn(int row, const QString &t, quint8 s)
{
    bool consent = false;
    if (s == 10) {
        TMessage2InfoRec box;
        InitMessage2InfoRec(3, box);
        box.Buttons = TMsgDlgButtons(mbOK | mbCancel);
        box.Lines[0].Caption = QStringLiteral("このデータは破損データのため、データ間の照合チェックは行わずにコピーを行います。");
        box.Lines[1].Caption = QStringLiteral("よろしいですか？");
        consent = ShowMessageBox2(box) == mrOk;
    } else {
        consent = CompareDataForCopy(QStringLiteral("貼り付け"), m_copySource, t);
    }
    if (!consent) return;
    const TDataListRec *rec = RowRecord(row);
    const bool childTarget = rec && rec->GASSAN == 10;
    WriteDataStatus(t, 7);
    if (rec && (rec->GASSAN == 1 || rec->GASSAN == 2)) DeleteChildData(row);
    // The copy is staged beside the target and swapped in only when complete;
    // a copy that fails leaves the target as it was and says so.
    QString why;
    if (!PasteDataFolder(m_copySource, t, childTarget, why)) {
        WriteDataStatus(t, s);
        MessageDlg(QStringLiteral("データのコピーに失敗しました。\r") + why, TMsgDlgType::mtError, mbOK);
        return;
    }
    WriteDataStatus(t, 1);
    TDataInfomationRec info;
    m_infoCtl->ReadIniInfo(t, info);
    info.Shougou = m_copyRec.SHOUGOU;
    info.Code = m_copyRec.DATACODE;
    info.ListName = m_copyRec.ENTTEXT;
    info.UpdateLock = m_copyRec.UPDATE_LOCK;
    info.GassanKbn = m_copyRec.GASSAN;
    m_infoCtl->WriteIniFile(t, QStringLiteral("DATAINFO"), info);
    m_infoCtl->SetShareStatus(t, 1);
    auto *target = const_cast<TDataListRec *>(RowRecord(row));
    if (!target) return;
    ServerListRecFromInfo(info, *target, false);
    target->DATA_STATUS = 0;
    SyncServerListRecord(*target);
    CopyChildList(row);
    FillGrid(-1);
    for (int r = 0; r < PerfectGrid1->rowCount(); ++r)
        if (PerfectGrid1->item(r, scFolder)->text().compare(t, Qt::CaseInsensitive) == 0) {
            PerfectGrid1->setCurrentCell(r, scName);
            PerfectGrid1->scrollToItem(PerfectGrid1->item(r, scName));
            break;
        }
}

bool TServerSentakuBox::CompareDataForCopy(const QString &label, const QString &s, const QString &t)
{
    if (s.isEmpty()) {
        MessageDlg(QStringLiteral("%1処理元のデータパスが不正です。\r").arg(label), TMsgDlgType::mtWarning, mbYes);
        return false;
    }
    if (t.isEmpty()) {
        MessageDlg(QStringLiteral("%1処理先のデータパスが不正です。\r").arg(label), TMsgDlgType::mtWarning, mbYes);
        return false;
    }
    if (!QFileInfo(t).isDir()) return ForceDir(t);
    if (!QFileInfo::exists(companyDatabase(t))) return true;
    TDataInfomationRec a, b;
    m_infoCtl->ReadIniInfo(s, a);
    m_infoCtl->ReadIniInfo(t, b);
    const QStringList lines = CompareDataLines(label, a, b, false);
    if (lines.isEmpty()) return true;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データ照合チェックの結果");
    box.Text = QStringLiteral("以下の項目に違いが検出されました。");
    box.Lines = lines;
    box.AgreeCaption = QStringLiteral("データ%1処理の続行に同意します。").arg(label);
    return ShowMessageBox(box) == 1;
}

void TServerSentakuBox::DeleteChildData(int row)
{
    TDataSentakuRec *r = recordOfRow(row);
    if (!r) return;
    const bool merged = r->GASSAN == 1 || r->GASSAN == 2;
    r->ChildCount = 0;
    r->ChildRows.clear();
    if (!merged) return;
    m_listCtl->DeleteServerDataListChildRecord(*r, true);
    QStringList folders;
    TDataSentakuListCtl::ListChildFolders(*r, folders);
    for (const QString &f : folders) DM->RmDir(f, ConnectMode, false);
}

void TServerSentakuBox::CopyChildList(int row)
{
    TDataSentakuRec *r = recordOfRow(row);
    if (!r || PerfectGrid1->item(row, scGassan)->text().toInt() == 10) return;
    const bool sourceMerged = m_copyRec.GASSAN == 1 || m_copyRec.GASSAN == 2;
    if (!sourceMerged || m_copyIndex < 0 || m_copyIndex >= m_recs.size()) {
        r->ChildCount = 0;
        r->ChildRows.clear();
        return;
    }
    const TDataSentakuRec src = m_recs[m_copyIndex];
    if (src.GASSAN != 1 && src.GASSAN != 2) return;
    r->ChildRows.clear();
    for (TDataListRec c : src.ChildRows) {
        c.REC = r->REC;
        c.PASNAME.replace(ExcludePathDelim(src.PASNAME), ExcludePathDelim(r->PASNAME));
        m_listCtl->UpdateServerDataListRecord(c, false, true);
        r->ChildRows << c;
    }
    r->ChildCount = int(r->ChildRows.size());
}

bool TServerSentakuBox::AddDataArea()
{
    const int limit = 2000;
    if (m_recs.size() >= limit) {
        MessageDlg(QStringLiteral("これ以上の領域追加は行えません。(最大%1件)").arg(limit), TMsgDlgType::mtWarning, mbYes);
        return true;
    }
    TInputDlgBox dlg(this);
    dlg.InputMode = 0;
    dlg.Caption = QStringLiteral("データの領域追加");
    dlg.Message = QStringLiteral("新しく作成するフォルダ名を入力して下さい。");
    dlg.MessageColor = palette().color(QPalette::WindowText);
    dlg.Value = m_listCtl->GetNewServerFolderName(SharePath, 1);
    dlg.MaxLength = 10;
    dlg.InputImeMode = 0;
    dlg.InputHint = QStringLiteral("ﾌｫﾙﾀﾞ名を指定して［OK］するとﾃﾞｰﾀ領域が追加されます。");
    dlg.SetKeyFilter(40);
    dlg.Prepare(true);
    if (ModalRunner(dlg) != 1) return true;
    const QString name = TrimZen(dlg.Value).toLower();
    if (name.isEmpty()) return true;
    if (name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
        MessageDlg(QStringLiteral("フォルダ名に使用できない文字が含まれています。\r"), TMsgDlgType::mtWarning, mbYes);
        return true;
    }
    const QString p = ExcludePathDelim(SharePath) + u'/' + name;
    if (QFileInfo::exists(p)) {
        MessageDlg(QStringLiteral("\"%1\"は既に作成されています。").arg(p), TMsgDlgType::mtWarning, mbYes);
        return true;
    }
    if (!ForceDir(p)) {
        MessageDlg(QStringLiteral("\"%1\"の作成に失敗しました。").arg(p), TMsgDlgType::mtWarning, mbYes);
        return true;
    }
    TDataSentakuRec rec;
    ServerListRecFromInfo(TDataInfomationRec(), rec, true);
    rec.ENTTEXT = rec.DispName = QStringLiteral("新しい領域");
    rec.PASNAME = p;
    m_recs << rec;
    SyncServerListRecord(m_recs.last());
    LoadDataList(0);
    FillGrid(-1);
    for (int r = 0; r < PerfectGrid1->rowCount(); ++r)
        if (PerfectGrid1->item(r, scFolder)->text().compare(p, Qt::CaseInsensitive) == 0) {
            PerfectGrid1->setCurrentCell(r, scName);
            PerfectGrid1->scrollToItem(PerfectGrid1->item(r, scName));
            break;
        }
    focusGrid();
    return true;
}

bool TServerSentakuBox::DeleteData(bool report)
{
    const int row = PerfectGrid1->currentRow();
    const TDataListRec *rec = RowRecord(row);
    if (!rec || rec->GASSAN == 10) return true;
    const QString folder = rec->PASNAME;
    const quint8 s = CheckDataStatus(folder, false, true);
    if (s != 1 && s != 10) return true;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データの削除");
    box.Text = QStringLiteral("選択中のデータを削除します。");
    box.AgreeCaption = QStringLiteral("データの削除に同意します");
    box.Lines = {QStringLiteral("【データ名】"), QStringLiteral("　") + PerfectGrid1->item(row, scName)->text(), QString(),
                 QStringLiteral("【会計期間】"), QStringLiteral("　") + PerfectGrid1->item(row, scKikan)->text(), QString(),
                 QStringLiteral("【データフォルダ】"), QStringLiteral("　") + PerfectGrid1->item(row, scFolder)->text()};
    if (ShowMessageBox(box) != 1) return true;
    const bool ok = DeleteFolder(folder, 3, true, true);
    RefreshDataList();
    if (!ok && report)
        MessageDlg(QStringLiteral("データの削除に失敗しました。\r削除処理を中止しました。"), TMsgDlgType::mtError, mbYes);
    return ok;
}

void TServerSentakuBox::PrintDataList()
{
    if (PerfectGrid1->rowCount() == 0) {
        MessageDlg(QStringLiteral("共有データリストが表示されていません。"), TMsgDlgType::mtInformation, mbYes);
        return;
    }
    PrintDataSelectionList(this, 1, QStringLiteral("共有データリスト"), m_recs, m_disp,
                           QStringLiteral("TServerSentakuBox.PrintDataList"));
}
