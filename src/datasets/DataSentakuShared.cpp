// The shared data of the data-selection screen: the fetch ("共有取得") and
// store ("共有保管") of a data set kept on a shared drive, the assignment of a
// shared data set to an empty row and its release (F4 "F4:割当解除"), and in
// server mode 1 the take-out of a server data set to this computer and its
// bring-back (F3 "F3:持ち出し").
#include "datasets/DataSentaku.h"

#include "core/FileUtils.h"
#include "core/SjisText.h"
#include "datasets/z5ServerSentaku.h"
#include "datasets/z5WhichDataSet.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/WindowUtils.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

namespace {

bool isMerged(int g) { return g == 1 || g == 2; }

int loginNumberOf(int opCode)
{
    const int base = SystemDef.GroupNo * 10000;
    return base != 0 ? opCode % base : opCode;
}

// The connection settings a take-out or bring-back switches to the local ones.
struct TKeptSettings {
    quint8 connectMode = 0;
    QString hostName, sysDir, dataDir;
    int dataPlace = 0;
};

TKeptSettings keepSettings()
{
    return {quint8(ConnectMode), SystemDef.HostName, SystemDef.SysDir, SystemDef.DataDir, SystemDef.SysDef.DataPlace};
}

void restoreSettings(const TKeptSettings &k)
{
    ConnectMode = k.connectMode;
    SystemDef.HostName = k.hostName;
    SystemDef.SysDir = k.sysDir;
    SystemDef.DataDir = k.dataDir;
    SystemDef.SysDef.DataPlace = k.dataPlace;
}

bool reconnectSystemDatabase()
{
    if (!DM) return false;
    DM->IBDatabaseDEF.close();
    return DM->fnAccDefConnected(SystemDef.HostName, true);
}

} // namespace

TServerSentakuBox &TDataSentakuBox::ServerBox()
{
    if (!m_serverBox) {
        m_serverBox = new TServerSentakuBox(this);
        m_serverBox->hide();
    }
    return *m_serverBox;
}

void TDataSentakuBox::installSharedCommands()
{
    KyoyuDownCommand = [this] { btnKyoyuDataDownClick(); };
    KyoyuUpCommand = [this] { btnKyoyuDataUpClick(); };
    StoreSharedAfterChange = [this](int row) {
        PerfectGrid1->setCurrentCell(row, PerfectGrid1->currentColumn() < 0 ? 0 : PerfectGrid1->currentColumn());
        if (StoreSharedData(true) != 1) return false;
        auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(RowRecord(ParentRowOf(row))));
        if (rec) SetShareLock(1, *rec);
        return true;
    };
    if (ConnectMode == 0) KeyCommands[dkF4] = [this] {
        ReleaseSharedAllocation();
        PerfectGrid1->setFocus(Qt::OtherFocusReason);
    };
    if (ConnectMode == 1) TakeOutCommand = [this] { TakeOutOrBringBack(); };
}

void TDataSentakuBox::resetGridAfterTransfer()
{
    // A transfer may leave a pressed state behind on the grid: a click at its
    // corner, without the cell-click handling, clears it.
    const QSignalBlocker block(PerfectGrid1);
    PerfectGrid1->viewport()->update();
}

void TDataSentakuBox::btnKyoyuDataDownClick()
{
    const int row = PerfectGrid1->currentRow();
    const TDataListRec *r = RowRecord(row);
    if (!r) return;
    if (r->NETDRIVE == 1) {
        FetchSharedData(false);
    } else if (!r->DispName.isEmpty() || !r->ENTTEXT.isEmpty()) {
        MessageDlg(QStringLiteral("選択したフォルダには既にデータが登録されています。\r"), TMsgDlgType::mtInformation, mbOK);
    } else {
        assignSharedData(row);
    }
    raise();
    UpdateFunctionKeys();
}

void TDataSentakuBox::assignSharedData(int row)
{
    TServerSentakuBox &box = ServerBox();
    box.ShareDrive = RemoveSpaces(SharedDriveSetting());
    box.SetMode(1);
    hide();
    const int answer = ModalRunner(box);
    if (answer == 1) {
        showProgress(QStringLiteral("共有データ受信中"), QStringLiteral("共有データから受信中…"), true);
        try {
            SharedDriveSetting() = box.ShareDrive;
            auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(RowRecord(row)));
            if (rec) {
                TDataSentakuRec chosen = *rec;
                chosen.NETDRIVE = 1;
                chosen.PASNAME = box.SelPath;
                chosen.ENTTEXT = chosen.DispName = box.SelName;
                chosen.ChildCount = 0;
                chosen.ChildRows.clear();
                m_listCtl->GetDataFolderPath(chosen);
                if (m_listCtl->KyoyuDataDown(chosen, true) != 1) m_info->SetShareStatus(chosen.LocalPath, 1);
                TDataSentakuRec again;
                if (m_listCtl->GetDataListRecordByPath(chosen.LocalPath, again) == 1) static_cast<TDataSentakuRec &>(*rec) = again;
                else *rec = chosen;
                DataListRefresh(row);
                if (row < PerfectGrid1->rowCount()) PerfectGrid1->setCurrentCell(row, dcNo);
            }
        } catch (const std::exception &e) {
            xAnimeProgressDialog1->Close();
            reportError(e, QStringLiteral("TDataSentakuBox.btnKyoyuDataDownClick"), QStringLiteral("共有データの取得に失敗しました。"));
        }
        ForceForegroundWindow(this);
        xAnimeProgressDialog1->Close();
        resetGridAfterTransfer();
    }
    m_locateOnShow = false;
    show();
}

void TDataSentakuBox::btnKyoyuDataUpClick()
{
    StoreSharedData(false);
    raise();
    UpdateFunctionKeys();
}

int TDataSentakuBox::FetchSharedData(bool quiet)
{
    const int row = PerfectGrid1->currentRow();
    if (!RowRecord(row)) return 0;
    if (!quiet && MessageDlg(QStringLiteral("共有データの取得を行います。よろしいですか？"), TMsgDlgType::mtConfirmation,
                             TMsgDlgButtons(mbYes | mbNo)) != mrYes)
        return 0;
    const int p = ParentRowOf(row);
    auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(RowRecord(p)));
    if (!rec) return 0;
    const QString work = RowFolderPath(p);
    showProgress(QStringLiteral("共有データ受信中"), QStringLiteral("共有データから受信中…"), false);
    int answer = 0;
    try {
        answer = m_listCtl->KyoyuDataDown(*rec, quiet);
        if (answer == 1) {
            DataListRefresh(row);
            if (row < PerfectGrid1->rowCount()) PerfectGrid1->setCurrentCell(row, dcNo);
        } else {
            m_info->SetShareStatus(work, 1);
        }
    } catch (const std::exception &e) {
        ForceForegroundWindow(this);
        xAnimeProgressDialog1->Close();
        resetGridAfterTransfer();
        reportError(e, QStringLiteral("TDataSentakuBox.FetchSharedData"), QStringLiteral("共有データの取得に失敗しました。"));
        return 0;
    }
    ForceForegroundWindow(this);
    xAnimeProgressDialog1->Close();
    resetGridAfterTransfer();
    return answer;
}

int TDataSentakuBox::StoreSharedData(bool quiet)
{
    const int row = PerfectGrid1->currentRow();
    if (!RowRecord(row)) return 0;
    const int p = ParentRowOf(row);
    auto *rec = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(RowRecord(p)));
    if (!rec) return 0;
    const QString work = RowFolderPath(p);
    if (CheckDataByHook(SystemDef.HostName, work, 0, quiet ? 1 : 0) == 0) {
        markRowDamaged(p);
        DataListRefresh(p);
        UpdateFunctionKeys();
        return 0;
    }
    if (isMerged(rec->GASSAN)) {
        bool damaged = rec->DATA_STATUS == 1;
        if (!damaged && CheckDataByHook(SystemDef.HostName, work, 0, 1) == 0) {
            markRowDamaged(p);
            damaged = true;
        }
        for (int i = 0; i < rec->ChildRows.size(); ++i) {
            TDataListRec &c = rec->ChildRows[i];
            const QString local = ExcludePathDelim(work) + u'/' + QFileInfo(ExcludePathDelim(c.PASNAME)).fileName();
            if (c.DATA_STATUS == 1 || CheckDataByHook(SystemDef.HostName, local, 0, 1) == 0) {
                c.DATA_STATUS = 1;
                damaged = true;
            }
        }
        if (damaged) DataListRefresh(p);
        if (damaged && !quiet) {
            TMessage2InfoRec box;
            InitMessage2InfoRec(2, box);
            box.Lines[0].Caption = QStringLiteral("合算・分散データに破損したデータが存在するため、共有データの保管を中止します。");
            box.Lines[1].Caption = QStringLiteral("データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。");
            box.Lines[2].Caption = QStringLiteral("ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。");
            ShowMessageBox2(box);
            UpdateFunctionKeys();
            return 0;
        }
    }
    if (!quiet && MessageDlg(QStringLiteral("共有データの保管を行います。よろしいですか？"), TMsgDlgType::mtConfirmation,
                             TMsgDlgButtons(mbYes | mbNo)) != mrYes)
        return 0;
    xAnimeProgressDialog1->Close();
    showProgress(QStringLiteral("共有データ送信中"), QStringLiteral("共有データへ送信中…"), false);
    int answer = 0;
    try {
        answer = m_listCtl->KyoyuDataUp(*rec, quiet);
        DataListRefresh(p);
    } catch (const std::exception &e) {
        ForceForegroundWindow(this);
        xAnimeProgressDialog1->Close();
        resetGridAfterTransfer();
        reportError(e, QStringLiteral("TDataSentakuBox.StoreSharedData"), QStringLiteral("共有データの保管に失敗しました。"));
        return 0;
    }
    ForceForegroundWindow(this);
    xAnimeProgressDialog1->Close();
    resetGridAfterTransfer();
    return answer == 1 ? 1 : 0;
}

void TDataSentakuBox::SetShareLock(int lock, TDataSentakuRec &rec)
{
    const int status = lock == 1 ? 2 : 1;
    auto one = [&](TDataListRec &r) {
        r.KYOYULOCK = lock;
        SaveListRecord(r);
        m_listCtl->GetDataFolderPath(r);
        m_info->SetShareStatus(r.LocalPath, status);
        TServerSentakuBox::SetDataStatus(r.PASNAME, status);
    };
    one(rec);
    if (isMerged(rec.GASSAN))
        for (TDataListRec &c : rec.ChildRows) one(c);
}

bool TDataSentakuBox::ReleaseSharedAllocation()
{
    const int row = PerfectGrid1->currentRow();
    auto *rec = const_cast<TDataListRec *>(RowRecord(row));
    if (!rec) return false;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 0;
    box.Caption = QStringLiteral("共有データの割当解除");
    box.Text = QStringLiteral("選択した共有データの割り当てを解除します。\rよろしいですか？");
    box.Lines = {QStringLiteral("【データ名】"), QStringLiteral("　") + PerfectGrid1->item(row, dcName)->text(), QString(),
                 QStringLiteral("【会計期間】"), QStringLiteral("　") + PerfectGrid1->item(row, dcKikan)->text(), QString(),
                 QStringLiteral("【共有データフォルダ】"), QStringLiteral("　") + PerfectGrid1->item(row, dcFolder)->text()};
    if (ShowMessageBox(box) != 1) return false;
    const QString listed = rec->PASNAME;
    const int held = rec->KYOYULOCK;
    const QString work = RowFolderPath(row);
    rec->PASNAME = work;
    rec->NETDRIVE = 0;
    rec->KYOYULOCK = 0;
    const bool removed = !QFileInfo::exists(work) || DM->RmDir(work, ConnectMode, false);
    if (removed && held == 1) TServerSentakuBox::SetDataStatus(listed, 1);
    DataListRefresh(row);
    return removed;
}

void TDataSentakuBox::SetRowLockIcon(int row, bool takenOut)
{
    auto *r = const_cast<TDataListRec *>(RowRecord(row));
    if (!r) return;
    const int lock = takenOut ? loginNumberOf(SystemDef.OpCode) : 0;
    PerfectGrid1->item(row, dcLockPic)->setIcon(m_pics[takenOut ? 1 : 0]);
    PerfectGrid1->item(row, dcLock)->setText(QString::number(lock));
    r->DATALOCK = lock;
    // The folder says who holds it, so that another operator's lock click is refused.
    try {
        m_info->SetDataStatus(RowFolderPath(row), takenOut ? 3 : 1);
    } catch (const std::exception &) {
    }
    try {
        SaveListRecord(*r);
    } catch (const platform::Error &e) {
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
    }
}

bool TDataSentakuBox::switchToLocalSettings()
{
    const QString common = GetAppDataFolder(true);
    if (common.isEmpty())
        throw platform::Error(QStringLiteral("アプリケーションの初期化に失敗しました。\r%1を終了します。\rデータフォルダの取得に失敗しました。")
                                  .arg(Product.AppName));
    ConnectMode = 0;
    SystemDef.HostName.clear();
    SystemDef.SysDir = common + u'/' + NativePath(Product.HomeDir) + QStringLiteral("/data");
    SystemDef.SysDef.DataPlace = 0;
    return !SystemDef.SysDir.isEmpty();
}

bool TDataSentakuBox::TakeOutOrBringBack()
{
    if (ConnectMode == 2) return true;
    if (ConnectMode != 1) return false;
    const int row = PerfectGrid1->currentRow();
    if (!RowRecord(row)) return false;
    const TKeptSettings kept = keepSettings();
    const bool takenOut = PerfectGrid1->item(row, dcLock)->text().toInt() != 0;
    const int choice = TakeOutChooser ? TakeOutChooser(this, takenOut) : AskTakeOutOrBringBack(this, takenOut);
    if (choice == 0) return false;
    const QString temp = SystemDef.WinTempDir;
    auto runLocal = [&](const QString &syori) {
        int answer = 0;
        try {
            if (!switchToLocalSettings()) return 0;
            if (reconnectSystemDatabase() && RunProcessHook)
                answer = RunProcessHook(QStringLiteral("QmDataSenkaku"), 1,
                                        QStringList{QStringLiteral("SyoriType=5"), QStringLiteral("OnlySA_Syori=") + syori,
                                                    QStringLiteral("OnlySA_BackupPath=") + temp}
                                            .join(u'\r'));
        } catch (...) {
            restoreSettings(kept);
            reconnectSystemDatabase();
            throw;
        }
        return answer;
    };
    if (choice == 1) {
        if (SaveData(temp) != 1) return false;
        TMessage2InfoRec box;
        InitMessage2InfoRec(2, box);
        box.Lines[0].Caption = QStringLiteral("続いて、このコンピュータのデータリストを表示します。");
        box.Lines[1].Caption = QStringLiteral("持ち出し先を選んで下さい。");
        ShowMessageBox2(box);
        const int answer = runLocal(QStringLiteral("Restore"));
        restoreSettings(kept);
        if (reconnectSystemDatabase()) SetRowLockIcon(row, answer == 1);
        return true;
    }
    const TDataListRec *r = RowRecord(row);
    if (!r || !m_info->IsUseData(RowFolderPath(row))) return true;
    TMessage2InfoRec box;
    InitMessage2InfoRec(2, box);
    box.Lines[0].Caption = QStringLiteral("このコンピュータのデータリストを表示します。");
    box.Lines[1].Caption = QStringLiteral("持ち帰ったデータを選んで下さい。");
    ShowMessageBox2(box);
    const int answer = runLocal(QStringLiteral("Backup"));
    restoreSettings(kept);
    if (!reconnectSystemDatabase() || answer != 1) return false;
    if (takenOut) SetRowLockIcon(row, false);
    RestoreData(temp);
    return true;
}
