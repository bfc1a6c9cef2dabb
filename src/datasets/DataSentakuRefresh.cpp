// The data-selection screen's upkeep of its list: the refresh of list rows
// from what their data folders hold, the incremental search of the grid, the
// upgrade test of a row, and the detail dialog with what it changes.
#include "datasets/DataSentaku.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "datasets/DataFolderCheck.h"
#include "datasets/DataSyosaiInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "dbupdate/z5DbUpdate.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg2.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "platform/Error.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

namespace {

const QColor kDamagedRow(255, 0, 0);
const QString kFreeArea = QStringLiteral("空き領域");
const QString kNewArea = QStringLiteral("新しい領域");
const QString kNotResponding = QStringLiteral("データリストが応答状態ではないので処理は行えません。");

bool isTopKind(int g) { return g == 0 || g == 1 || g == 2; }

void informationBox(const QString &text)
{
    TMessage2InfoRec box;
    InitMessage2InfoRec(2, box);
    box.Lines[0].Caption = text;
    ShowMessageBox2(box);
}

QDate listDate(const QString &text)
{
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? NullIfDateZero(d) : QDate();
}

int loginNumber(int opCode)
{
    const int base = SystemDef.GroupNo * 10000;
    return base != 0 ? opCode % base : opCode;
}

} // namespace

void SetListRecFromInfo(const TDataInfomationRec &info, TDataListRec &r, bool reset)
{
    if (reset) {
        const int rec = r.REC, netDrive = r.NETDRIVE;
        const QString pasName = r.PASNAME, localPath = r.LocalPath;
        const quint8 status = r.DATA_STATUS;
        r = TDataListRec();
        r.REC = rec;
        r.NETDRIVE = netDrive;
        r.PASNAME = pasName;
        r.LocalPath = localPath;
        r.DATA_STATUS = status;
        r.GROUPID = SystemDef.GroupNo;
        r.NENDO = 1;
        if (r.NETDRIVE == 1) {
            r.ENTTEXT = kFreeArea;
            r.KYOYULOCK = 1;
        }
        r.DispName = r.ENTTEXT;
        return;
    }
    r.GROUPID = SystemDef.GroupNo;
    r.DATACODE = info.Code;
    r.SHOUGOU = info.Shougou;
    r.NENDO = info.Nendo;
    r.KISHU = listDate(info.Kishu);
    r.KIMATU = listDate(info.Kimatu);
    r.KikanText.clear();
    if (r.KISHU.isValid() && r.KIMATU.isValid()) {
        try {
            FormatKikan(r.KikanText, r.KISHU, r.KIMATU);
        } catch (const std::exception &) {
            r.KikanText.clear();
        }
    }
    r.DATATYPE = info.DataKbn;
    r.CODETYPE = info.CodeKbn;
    r.TANTOU = info.Tanto;
    r.DATALOCK = (info.Status == 3 && info.OpCode != 0) ? loginNumber(info.OpCode) : 0;
    if (info.ShareStatus == 2 && info.ShareOpCode == SystemDef.OpCode) r.KYOYULOCK = 1;
    r.VER_MAJOR = info.VerMajor;
    r.VER_MINOR1 = info.VerMinor1;
    r.VER_MINOR2 = info.VerMinor2;
    r.VER_TEXT = info.VerLabel;
    r.UPDATE_LOCK = info.UpdateLock;
    // A child keeps its kind: its row is found by it.
    r.GASSAN = r.ROWNO > 0 ? quint8(10) : info.GassanKbn;
    if (r.ENTTEXT.isEmpty() || (r.NETDRIVE == 1 && (r.ENTTEXT == kFreeArea || r.ENTTEXT == kNewArea)))
        r.ENTTEXT = r.SHOUGOU;
    r.DispName = r.ENTTEXT;
}

void TDataSentakuBox::SetListRecFromInfo(TDataListRec &rec, bool reset) { ::SetListRecFromInfo(m_curInfo, rec, reset); }

void TDataSentakuBox::buildRefreshControls()
{
    m_incSearch = new TGridIncSearch(PerfectGrid1, pnlClient, dcCode, dcNo, this);
    txtIncSerch = m_incSearch->Box;
    IncSerchTimer = m_incSearch->Timer;
    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
    xAnimeProgressDialog1->setObjectName(QStringLiteral("xAnimeProgressDialog1"));
}

// ---- refresh ----

void TDataSentakuBox::btnListUpdateClick()
{
    if (!PerfectGrid1->isEnabled()) {
        informationBox(kNotResponding);
        return;
    }
    if (MessageDlg(QStringLiteral("データリストの更新を行います。") + u'\r' + QStringLiteral("よろしいですか？"),
                   TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbYes | mbNo)) != mrYes)
        return;
    TxAnimeProgressDialog *progress = xAnimeProgressDialog1;
    progress->setCaption(QStringLiteral("更新中"));
    progress->setInfoLabel(QStringLiteral("データリストの更新中…"));
    progress->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    progress->CommonAVI = TCommonAVI::aviFindFile;
    progress->CancelBtnShow = true;
    progress->Show(this);
    try {
        DataListRefresh(-1);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataSentakuBox.DataListRefresh"), QStringLiteral("データリストの更新に失敗しました。"));
    }
    activateWindow();
    progress->Close();
    raise();
    UpdateFunctionKeys();
}

bool TDataSentakuBox::DataListRefresh(int row)
{
    QTableWidget *g = PerfectGrid1;
    const bool server = ConnectMode == 1 || ConnectMode == 2;
    if (row < 0) {
        TxAnimeProgressDialog *progress = xAnimeProgressDialog1;
        if (server) {
            progress->setInfoLabel(QStringLiteral("データリストの更新中…"));
            TDataListRec current;
            if (const TDataListRec *r = RowRecord(g->currentRow())) current = *r;
            try {
                m_listCtl->RenumberDataListRecord();
                ReloadAndLocate(g->rowAt(0), current);
            } catch (const FbError &e) {
                ShowIBError(e, QStringLiteral("TDataSentakuBox.DataListRefresh"), QStringLiteral("データリストの更新に失敗しました。"), true);
            } catch (const std::exception &e) {
                ShowErrorMessage(QStringLiteral("データリストの更新に失敗しました。"), exceptionText(e));
            }
        }
        // The rows may change under the walk (a child removed): the count is read anew each time.
        for (int q = 0; q < g->rowCount(); ++q) {
            if (progress->Showing() && progress->Cancelled()) break;
            progress->setInfoLabel(QStringLiteral("データリスト（%1行目）の更新中…").arg(q + 1));
            DataListRefresh(q);
            TxAnimeProgressDialog::ProcessMessages();
        }
        return true;
    }

    TDataListRec *r = const_cast<TDataListRec *>(RowRecord(row));
    if (!r) return false;
    if (r->DATA_STATUS == 1) {
        g->item(row, dcStatus)->setText(QStringLiteral("1"));
        setRowColors(row, kDamagedRow, ForeColor);
        return true;
    }
    const QString folder = RowFolderPath(row);
    const QString file = folder + u'/' + Product.DataFile;
    int drawRow = row;
    if (r->GASSAN == 10)
        drawRow = ParentRowOf(row);
    else if (!isTopKind(r->GASSAN))
        return false;
    const int ri = g->item(drawRow, dcRecIndex)->text().toInt();
    if (ri < 0 || ri >= m_recs.size()) return false;
    TDataSentakuRec &top = m_recs[ri];
    const int disp = int(m_disp.indexOf(ri));
    auto redraw = [this, disp] {
        if (disp >= 0) FillGrid(disp);
    };
    try {
        if (server) {
            if (DM->FExist(file, ConnectMode)) {
                m_info->ReadIniInfo(folder, m_curInfo);
                SetListRecFromInfo(*r, false);
                SaveListRecord(*r);
                redraw();
            } else if (!r->DispName.isEmpty()) {
                SetListRecFromInfo(top, true);
                SaveListRecord(top);
                redraw();
            }
            return true;
        }

        if (QFileInfo::exists(file)) {
            m_info->ReadIniInfo(folder, m_curInfo);
            SystemDef.DataDamaged = false;
            TDataInfomationRec read;
            if (m_info->GetDataInfoRecByPath(folder, read) == 1) {
                // The database's values, with the status and holders of the information file.
                const TDataInfomationRec sts = m_curInfo;
                m_curInfo = read;
                m_curInfo.Status = sts.Status;
                m_curInfo.OpCode = sts.OpCode;
                m_curInfo.OpName = sts.OpName;
                m_curInfo.ShareStatus = sts.ShareStatus;
                m_curInfo.ShareOpCode = sts.ShareOpCode;
                m_curInfo.ShareOpName = sts.ShareOpName;
                m_info->WriteIniValue(folder, QStringLiteral("DATASTS"), false, QString::number(read.UpdateLock),
                                      QStringLiteral("UPDATE_LOCK"));
                m_info->WriteIniFile(folder, QStringLiteral("DATAINFO"), m_curInfo);
                SetListRecFromInfo(*r, false);
                SaveListRecord(*r);
                RebuildChildList(row);
            } else if (SystemDef.DataDamaged) {
                r->DATA_STATUS = 1;
            }
            redraw();
            return true;
        }

        // The folder no longer holds its database.
        const QString ini = TDataInfomation::IniFileOf(folder);
        if (r->NETDRIVE == 0 && QFileInfo::exists(ini)) DeleteFolder(ini, 3, false, false);
        if (!r->DispName.isEmpty()) {
            if (isTopKind(r->GASSAN)) {
                SetListRecFromInfo(top, true);
                top.ChildCount = 0;
                top.ChildRows.clear();
                SaveListRecord(top);
            } else {
                const TDataListRec gone = *r;
                m_listCtl->DeleteDataListChildRecord(gone, true);
                TDataSentakuListCtl::DeleteChildRec(top, g->item(row, dcChildIndex)->text().toInt());
            }
            redraw();
        }
    } catch (const platform::Error &e) {
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
        return false;
    }
    return true;
}

void TDataSentakuBox::RebuildChildList(int row)
{
    QTableWidget *g = PerfectGrid1;
    const TDataListRec *r = RowRecord(row);
    if (!r || !isTopKind(r->GASSAN)) return;
    if (!(r->NETDRIVE == 0 || (r->NETDRIVE == 1 && r->KYOYULOCK == 1))) return;
    const int ri = g->item(row, dcRecIndex)->text().toInt();
    TDataSentakuRec &rec = m_recs[ri];
    for (const TDataListRec &child : rec.ChildRows)
        if (child.DATA_STATUS != 0) {
            setRowColors(row, kDamagedRow, ForeColor);
            return;
        }
    rec.ChildRows.clear();
    rec.ChildCount = 0;
    m_listCtl->DeleteDataListChildRecord(rec, true);
    if (rec.GASSAN != 1 && rec.GASSAN != 2) return;

    const QString local = RowFolderPath(row);
    const QStringList subs = QDir(local).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    const QString listBase = ExcludePathDelim(rec.PASNAME);
    int number = 0;
    for (const QString &sub : subs) {
        const QString subFolder = local + u'/' + sub;
        if (!QFileInfo::exists(subFolder + u'/' + Product.DataFile)) continue;
        TDataListRec child;
        m_listCtl->ClearDataListRec(child, listBase + u'/' + sub);
        child.REC = rec.REC;
        child.ROWNO = ++number;
        child.NETDRIVE = rec.NETDRIVE;
        child.KYOYULOCK = rec.KYOYULOCK;
        child.GASSAN = 10;
        TDataInfomationRec info;
        if (m_info->GetDataInfoRecByPath(subFolder, info) == 1) {
            m_listCtl->GetDispRecord(info, child);
            SaveListRecord(child);
            m_info->WriteIniValue(subFolder, QStringLiteral("DATASTS"), false, QString::number(info.UpdateLock),
                                  QStringLiteral("UPDATE_LOCK"));
            m_info->WriteIniFile(subFolder, QStringLiteral("DATAINFO"), info);
        } else {
            m_info->ReadIniInfo(subFolder, info);
            m_listCtl->GetDispRecord(info, child);
            if (info.ListName.isEmpty()) {
                child.ENTTEXT = QStringLiteral("破損データ");
                child.SHOUGOU = rec.SHOUGOU;
                child.NENDO = rec.NENDO;
                child.KISHU = rec.KISHU;
                child.KIMATU = rec.KIMATU;
                child.KikanText = rec.KikanText;
                child.DATATYPE = rec.DATATYPE;
                child.CODETYPE = rec.CODETYPE;
                child.TANTOU = rec.TANTOU;
                child.DATALOCK = rec.DATALOCK;
                child.KYOYULOCK = rec.KYOYULOCK;
                child.VER_TEXT = rec.VER_TEXT;
                child.DispName = rec.DispName;
            }
            child.DATA_STATUS = 1;
            SaveListRecord(child);
        }
        rec.ChildRows.append(child);
    }
    rec.ChildCount = int(rec.ChildRows.size());
}

void TDataSentakuBox::ReloadAndLocate(int topRow, const TDataListRec &rec)
{
    QTableWidget *g = PerfectGrid1;
    LoadDataList();
    FillGrid(-1);
    if (topRow < 0 || topRow > 32699) topRow = 0;
    if (topRow < g->rowCount()) g->scrollToItem(g->item(topRow, dcNo), QAbstractItemView::PositionAtTop);
    const QString folder = DataSentakuFolderText(rec.PASNAME, SystemDef.DataRootDir).toUpper();
    for (int i = 0; i < g->rowCount(); ++i) {
        const TDataListRec *r = RowRecord(i);
        if (!r || r->REC != rec.REC || !isTopKind(r->GASSAN)) continue;
        if (!rec.PASNAME.isEmpty() && g->item(i, dcFolder)->text().toUpper() != folder) continue;
        g->setCurrentCell(i, dcName);
        g->scrollToItem(g->item(i, dcName));
        return;
    }
    if (topRow < g->rowCount()) g->setCurrentCell(topRow, dcName);
}

// ---- upgrade test ----

bool TDataSentakuBox::CheckRowDbUpdate(int row, bool ask)
{
    QTableWidget *g = PerfectGrid1;
    QTableWidgetItem *version = g->item(row, dcVersion);
    QTableWidgetItem *update = g->item(row, dcUpdate);
    if (!version || !update || version->text().isEmpty()) return false;
    const bool pending = update->text().toInt() == 1;
    if (!ask || !pending || !m_dbUpdate) return pending;
    m_dbUpdate->SetUpdateList(1, version->text());
    const bool needed = m_dbUpdate->UpdateNeeded();
    update->setText(needed ? QStringLiteral("1") : QStringLiteral("0"));
    return needed;
}

// ---- details ----

bool TDataSentakuBox::ApplyDetailChanges(const QString &folder, QString &listName, int updateLock)
{
    const quint8 status = m_check->CheckDataStatus(folder, true, QString(), false);
    if (!TDataFolderCheck::IsAllowedStatus(status, ConnectMode)) return false;
    TDataInfomationRec rec;
    TDataInfomation::ClearDataInfoRec(rec);
    rec.ListName = listName;
    rec.UpdateLock = updateLock;
    m_info->UpdateDataInfomation(SystemDef.HostName, folder, rec);
    listName = rec.ListName;
    return true;
}

void TDataSentakuBox::btnDataInfoClick()
{
    QTableWidget *g = PerfectGrid1;
    if (!g->isEnabled()) {
        informationBox(kNotResponding);
        return;
    }
    const int row = g->currentRow();
    if (row < 0 || row >= g->rowCount() || !RowRecord(row)) return;
    const QString folder = RowFolderPath(row);
    {
        TDataListRec *r = const_cast<TDataListRec *>(RowRecord(row));
        if ((r->KISHU.isValid() || r->KIMATU.isValid()) && r->DATA_STATUS == 0 &&
            CheckDataByHook(SystemDef.HostName, folder, 0, 0) == 0) {
            r->DATA_STATUS = 1;
            DataListRefresh(row);
            UpdateFunctionKeys();
        }
    }
    TDataListRec *r = const_cast<TDataListRec *>(RowRecord(row));
    if (!r) return;

    TDataSyosaiInfoBox dlg(this);
    dlg.ServerListMode = 0;
    dlg.ListRec = r;
    dlg.DataPath = folder;
    dlg.UpdateLock = r->UPDATE_LOCK;
    dlg.ListName = r->ENTTEXT;
    dlg.ReadOnly = RowShareState(row) == 1;
    dlg.DataPlace = m_dataPlace;
    dlg.SetMode(1);
    const int result = ModalRunner(dlg);

    if (result == 1) {
        QString name = dlg.ListName;
        if (ApplyDetailChanges(folder, name, dlg.UpdateLock)) {
            r->ENTTEXT = name;
            r->DispName = name;
            r->UPDATE_LOCK = dlg.UpdateLock;
            const int ri = g->item(row, dcRecIndex)->text().toInt();
            if (ri >= 0 && ri < m_recs.size()) TDataSentakuListCtl::NumberChildNames(m_recs[ri]);
            g->item(row, dcName)->setText(r->DispName);
            g->item(row, dcUpdate)->setText(QString::number(r->UPDATE_LOCK));
            m_info->WriteIniValue(folder, QStringLiteral("DATAINFO"), false, name, QStringLiteral("DATALISTNAME"));
            m_info->WriteIniValue(folder, QStringLiteral("DATASTS"), false, QString::number(r->UPDATE_LOCK),
                                  QStringLiteral("UPDATE_LOCK"));
        }
        if (dlg.StatusClear == 1) {
            m_info->SetDataStatus(folder, 1);
            r->DATALOCK = 0;
            g->item(row, dcLockPic)->setIcon(QIcon());
            g->item(row, dcLockPic)->setText(QString());
            g->item(row, dcLock)->setText(QStringLiteral("0"));
        }
        try {
            SaveListRecord(*r);
        } catch (const platform::Error &e) {
            MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
        }
        const QColor fore = CheckRowDbUpdate(row, true) ? QColor(0x80, 0x80, 0x80) : ForeColor;
        for (int c = 0; c < dcColCount; ++c)
            if (QTableWidgetItem *it = g->item(row, c)) it->setForeground(fore);
        m_focusRow = -1;
        g->setCurrentCell(row, dcNo);
        cellFocusChanged();
    }
    if (dlg.Rebuilt == 1) {
        if (TDataListRec *rr = const_cast<TDataListRec *>(RowRecord(row))) rr->DATA_STATUS = 0;
        DataListRefresh(row);
        g->setCurrentCell(row, dcNo);
    }
    UpdateFunctionKeys();
}
