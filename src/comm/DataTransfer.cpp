#include "comm/DataTransfer.h"

#include "comm/RelayFileChannel.h"
#include "comm/RelayProtocol.h"
#include "comm/TransferFile.h"
#include "comm/TusinSteps.h"
#include "comm/z5DataTusin.h"
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/BackupRestoreThread.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "framework/MessageDlg.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>

std::function<TCloudUploadResult(const QString &id, int slot)> CloudUploadHook;

namespace datatransfer {

namespace {

using State = TTusinSteps::State;

const QString kWorkBackup = QStringLiteral("vqacc.fbk");
const QString kWorkArchive = QStringLiteral("vqacc.zip");
const QString kWorkCipher = QStringLiteral("vqacc.wen");
const QString kVirusText = QStringLiteral("送信処理に失敗しました。ウイルス対策ソフトを実行中の場合は、終了してから再度送信を行ってください。");
const QString kWord = QStringLiteral("復元");

QString withDetail(const QString &text, const QString &detail)
{
    if (detail.isEmpty()) return text;
    return text + QStringLiteral("\r\r[詳細情報]\r") + detail;
}

void errorYes(const QString &text, const QString &detail = QString())
{
    MessageDlg(withDetail(text, detail), TMsgDlgType::mtError, mbYes);
}

void errorOk(const QString &text, const QString &detail = QString())
{
    MessageDlg(withDetail(text, detail), TMsgDlgType::mtError, mbOK);
}

void warningYes(const QString &text)
{
    MessageDlg(text, TMsgDlgType::mtWarning, mbYes);
}

QString jobMessage(const TBackupRestoreThread &job)
{
    return job.ErrInfo.Message + QStringLiteral("\r") + job.ErrInfo.Message2;
}

// A file of a work folder that is there and cannot be deleted.
bool stuck(const QString &path)
{
    return QFileInfo::exists(path) && !QFile::remove(path);
}

// The period texts of the grid and the report: era dates when the operator shows them.
QString dateText(const QString &yyyymmdd)
{
    return RelayDateDisplay(yyyymmdd, IsWarekiDisplay());
}

QString dateOf(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

void setStep(TfmDataTusin &f, int n, const QString &text, State state)
{
    if (f.Steps) f.Steps->Set(n, text, state);
}

void putCell(QTableWidget *grid, int row, int col, const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(col == tcNendo || col == tcVersion ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    grid->setItem(row, col, item);
}

TRelayFileChannel channelOf(const TfmDataTusin &f)
{
    TRelayFileChannel ch(f.Session.FtpHost, f.Settings.FtpPort, f.CommunicationId(), f.Session.FtpPassword);
    ch.ConnectTimeoutMs = f.Settings.ConnectTimeoutMs;
    ch.StallTimeoutMs = f.Settings.ReadTimeoutMs;
    return ch;
}

QString dataDir()
{
    return ExcludePathDelim(SystemDef.DataDir);
}

QString jobHost()
{
    return ConnectMode == 0 ? QString() : SystemDef.HostName;
}

// Runs a job behind the form's progress window with the given line.
void runJob(TfmDataTusin &f, TBackupRestoreThread &job, const QString &info)
{
    TxAnimeProgressDialog *p = f.xAnimeProgressDialog1;
    p->setCaption(f.windowTitle());
    p->CancelBtnShow = false;
    p->setInfoLabel(info);
    p->Show(&f);
    try {
        job.Execute();
    } catch (...) {
        p->Close();
        throw;
    }
    p->Close();
}

} // namespace

QString SendWorkFolder()
{
    return ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/ComS");
}

QString ReceiveWorkFolder()
{
    return ExcludePathDelim(SystemDef.WinTempDir) + QStringLiteral("/ComR");
}

QString RestoreWorkFolder()
{
    return ExcludePathDelim(SystemDef.TempDir);
}

void EmptyWorkFolder(const QString &folder)
{
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return;
    for (const QFileInfo &e : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (e.isDir() && !e.isSymLink()) QDir(e.filePath()).removeRecursively();
        else QFile::remove(e.filePath());
    }
}

// ---------------------------------------------------------------- send

bool BackupForSend(TfmDataTusin &f, bool showFailure)
{
    const QString dir = dataDir();
    TDataInfomation info;
    info.SetDataStatus(dir, 4);
    bool ok = false;
    {
        TBackupRestoreThread job;
        job.ClearResult();
        job.Mode = 0;
        job.Method = ConnectMode != 0 ? 1 : 0;
        job.Host = jobHost();
        job.DatabasePath = dir + u'/' + Product.DataFile;
        job.BackupFile = SendWorkFolder() + u'/' + kWorkBackup;
        job.RestoreOption = 1;
        job.WriteHeader = 1;
        job.Shougou = AccInf.SHOUGOU;
        job.Kishu = dateOf(AccInf.KISHU);
        job.Kimatu = dateOf(AccInf.KIMATU);
        job.Siwake = DM->GetYukouSiwakeCount(QString());
        job.TotalSiwake = DM->GetSiwakeCountAll(QString());
        job.DataVersion = QStringLiteral("%1.%2.%3").arg(AccInf.MAJOR).arg(AccInf.MINOR1).arg(AccInf.MINOR2);
        job.Gassan = AccInf.GassanKbn;
        job.MyNumberCheck = 1;
        job.Ask = 0;
        job.UseMyNumber = AccInf.MyNumberUse;
        job.ProcessName = QStringLiteral("データ送信");
        try {
            runJob(f, job, QStringLiteral("データを保存しています..."));
        } catch (...) {
            info.SetDataStatus(dir, 1);
            throw;
        }
        ok = job.Success == 1;
        if (!ok) warningYes(jobMessage(job));
    }
    info.SetDataStatus(dir, 1);
    if (f.SyoriType == 1) {
        f.raise();
        f.activateWindow();
    }
    if (!ok && showFailure) errorYes(QStringLiteral("データの保存に失敗しました。\r保存処理を中止しました。"));
    return ok;
}

bool SendToCloud(TfmDataTusin &f)
{
    const QString head = QStringLiteral("経営ベルダクラウドデータ送信エラー : ");
    if (!CloudUploadHook) {
        errorYes(head + QStringLiteral("クラウドへの送信はこのシステムでは行えません。"));
        return false;
    }
    const TCloudUploadResult r = CloudUploadHook(f.CommunicationId(), f.SelectedRow() + 1);
    if (r.Code == u"000") return true;
    errorYes(head + r.Code + u' ' + r.Text);
    return false;
}

int SendData(TfmDataTusin &f)
{
    const int row = f.SelectedRow();
    if (row < 0 || row >= TRelaySession::SlotCount) return 1;
    if (MessageDlg(QStringLiteral("　\r\n中継サーバーの No.") + QString::number(row + 1) +
                       QStringLiteral(" フォルダに、現在利用中のデータを送信します。実行しますか？") + QStringLiteral("\r") +
                       QStringLiteral("\n") + QStringLiteral(" "),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return 1;

    const QString work = SendWorkFolder();
    const QString backup = work + u'/' + kWorkBackup;
    const QString archive = work + u'/' + kWorkArchive;
    const QString cipher = work + u'/' + kWorkCipher;
    const bool cloud = f.CloudKubun == 1;
    PipelineScope scope(f, work, PipelineScope::EnableWindow);

    f.repaint();
    scope.hourglass(true);
    f.Steps = std::make_unique<TTusinSteps>(&f, cloud);
    setStep(f, 1, QStringLiteral("送信用データ保存"), State::Running);
    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Pending);
    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Pending);
    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Pending);
    setStep(f, 5, QStringLiteral("経営ベルダクラウドへデータ送信"), cloud ? State::Pending : State::Hidden);
    f.setEnabled(false);
    f.StepPause();

    auto fail = [&scope](const QString &text, const QString &detail = QString()) {
        scope.message([&] { errorYes(text, detail); });
        return 1;
    };

    if (!ForceDir(work)) return fail(QStringLiteral("送信用フォルダの作成に失敗しました。"));
    if (stuck(backup)) return fail(QStringLiteral("旧バックアップファイルが削除出来ません。"));
    bool saved = false;
    scope.message([&] { saved = BackupForSend(f, true); });
    if (!saved) return 1;

    setStep(f, 1, QStringLiteral("送信用データ保存"), State::Finished);
    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Running);
    f.StepPause();
    try {
        if (stuck(archive)) return fail(QStringLiteral("旧圧縮ファイルが削除出来ません。"));
        if (!QFileInfo::exists(backup)) return fail(QStringLiteral("　\r\nバックアップファイルが見つかりません。\r\n "));
        transferfile::Pack(backup, archive);
    } catch (const TTransferFileError &e) {
        return fail(QStringLiteral("圧縮エラー"), e.message());
    } catch (const std::exception &e) {
        return fail(QStringLiteral("圧縮失敗"), exceptionText(e));
    }
    f.StepPause();
    if (QFileInfo::exists(archive) && !transferfile::CheckArchive(archive)) return fail(kVirusText);

    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Finished);
    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Running);
    try {
        if (!QFileInfo::exists(archive)) return fail(QStringLiteral("　\r\n圧縮ファイルが見つかりません。\r\n "));
        if (stuck(cipher)) return fail(QStringLiteral("旧ワークファイルが削除出来ません。"));
        transferfile::Encrypt(archive, cipher, transferfile::PassPhrase(f.CommunicationPassword()));
    } catch (const TTransferFileError &e) {
        return fail(QStringLiteral("　\r\n暗号失敗\r\n "), e.message());
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n暗号失敗\r\n "), exceptionText(e));
    }

    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Finished);
    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Running);
    f.StepPause();
    if (!QFileInfo::exists(cipher)) return fail(QStringLiteral("　\r\n暗号化ファイルが見つかりません。\r\n "));

    const QString folder = RelaySlotFolderName(row);
    TRelayFileChannel channel = channelOf(f);
    const TRelayFileChannel::Result sent = channel.Upload(folder, cipher);
    switch (sent) {
    case TRelayFileChannel::Result::Ok:
        break;
    case TRelayFileChannel::Result::ConnectFailed:
        scope.message([&] { errorOk(QStringLiteral("　\r\nサーバーの接続に失敗しました。\r\n "), channel.LastError()); });
        return 1;
    case TRelayFileChannel::Result::FolderMissing:
        scope.message([&] { errorOk(QStringLiteral("　\r\n転送先のディレクトリが存在しません。\r\n ")); });
        return 1;
    case TRelayFileChannel::Result::SizeMismatch:
        return fail(kVirusText);
    default:
        scope.message([&] { errorOk(QStringLiteral("　\r\nデータの送信に失敗しました。\r\n "), channel.LastError()); });
        return 1;
    }
    f.StepPause();

    TRelayRequest request;
    request.Code = rcDataSent;
    request.Serial = f.Session.SerialText;
    request.Id = f.CommunicationId();
    request.SlotFolder = folder;
    request.DataName = AccInf.ENTTEXT;
    request.FiscalTerm = AccInf.NENDO;
    request.PeriodStart = AccInf.KISHU;
    request.PeriodEnd = AccInf.KIMATU;
    request.Password = f.CommunicationPassword();
    request.Version = RelayVersionText(AccInf.MAJOR, AccInf.MINOR1);
    f.VersionSent = request.Version;
    TRelayControl control(f.Settings);
    const TRelayOutcome out = control.Complete(request);
    if (!out.ok()) {
        scope.message([&] { ShowErrorMessage(out.Message, out.Detail); });
        return 1;
    }

    // The slot now holds what was sent.
    const bool wareki = IsWarekiDisplay();
    TRelaySlotRec &slot = f.Session.Slots[size_t(row)];
    slot.DataName = AccInf.ENTTEXT;
    slot.FiscalTerm = QString::number(AccInf.NENDO);
    slot.PeriodStart = dateOf(AccInf.KISHU) + QStringLiteral(" 00:00");
    slot.PeriodStartText = RelayDateDisplay(slot.PeriodStart, wareki);
    slot.PeriodEnd = dateOf(AccInf.KIMATU) + QStringLiteral(" 00:00");
    slot.PeriodEndText = RelayDateDisplay(slot.PeriodEnd, wareki);
    slot.SendTime = RelayCompactTimeText(out.ReplyTime);
    slot.SendTimeText = RelayTimeDisplay(slot.SendTime, wareki);
    slot.ReceiveTime = QStringLiteral("-");
    slot.ReceiveTimeText = QStringLiteral("-");
    slot.SlotPassword = request.Password;
    slot.SlotVersion = request.Version;
    QTableWidget *grid = f.PerfectGrid1;
    putCell(grid, row, tcDataName, slot.DataName);
    putCell(grid, row, tcNendo, slot.FiscalTerm + QStringLiteral("期"));
    putCell(grid, row, tcKikan, dateText(dateOf(AccInf.KISHU)) + QStringLiteral(" ～ ") + dateText(dateOf(AccInf.KIMATU)));
    putCell(grid, row, tcSendTime, slot.SendTimeText);
    putCell(grid, row, tcReceiveTime, slot.ReceiveTimeText);
    putCell(grid, row, tcVersion, TfmDataTusin::VersionLabel(AccInf.MAJOR, AccInf.MINOR1));

    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Finished);
    if (cloud) setStep(f, 5, QStringLiteral("経営ベルダクラウドへデータ送信"), State::Running);
    f.StepPause();
    if (cloud) {
        bool uploaded = false;
        scope.message([&] { uploaded = SendToCloud(f); });
        if (!uploaded) return 1;
        setStep(f, 5, QStringLiteral("経営ベルダクラウドへデータ送信"), State::Finished);
        f.StepPause();
    }

    f.Steps.reset();
    f.setEnabled(true);
    f.raise();
    f.activateWindow();
    f.xAnimeProgressDialog1->Close();
    scope.message([] {
        MessageDlg(QStringLiteral("　\r\nデータ送信処理が終了しました。\r\n "), TMsgDlgType::mtInformation, mbYes);
    });
    return 0;
}

// ---------------------------------------------------------------- receive

QString MergedDataRefusal(int current, int received)
{
    const QString cur = current == 1 ? QStringLiteral("合算データ") : QStringLiteral("合算本支店データ");
    QString got;
    if (current == 1) {
        if (received == 0) got = QStringLiteral("通常データ");
        else if (received == 2) got = QStringLiteral("合算本支店データ");
        else if (received == 10) got = QStringLiteral("分散データ");
    } else if (current == 2) {
        if (received == 0) got = QStringLiteral("通常データ");
        else if (received == 1) got = QStringLiteral("合算データ");
        else if (received == 10) got = QStringLiteral("分散データ");
    }
    if (got.isEmpty()) return QString();
    return QStringLiteral("現在の処理データは、") + cur + QStringLiteral("ですが、受信したデータは、") + got +
           QStringLiteral("なので、復元出来ません。");
}

bool ReportVerification(const QString &word, const TDataInfomationRec &source, const TDataInfomationRec &target)
{
    auto complete = [](const TDataInfomationRec &r) {
        return !r.Shougou.isEmpty() && !r.Kishu.isEmpty() && !r.Kimatu.isEmpty();
    };
    if (!complete(source)) {
        warningYes(QStringLiteral("%1処理元のデータ情報が不正です。").arg(word) + QStringLiteral("\r"));
        return false;
    }
    if (!complete(target)) {
        warningYes(QStringLiteral("%1処理先のデータ情報が不正です。").arg(word) + QStringLiteral("\r"));
        return false;
    }
    QStringList lines;
    auto group = [&lines, &word](const QString &title, const QString &from, const QString &to) {
        lines << title << QStringLiteral("　【%1元】：%2").arg(word, from) << QStringLiteral("　【%1先】：%2").arg(word, to) << QString();
    };
    if (source.Shougou != target.Shougou) group(QStringLiteral("会社名に違いがありました。"), source.Shougou, target.Shougou);
    if (source.Kishu != target.Kishu) group(QStringLiteral("期首に違いがありました。"), dateText(source.Kishu), dateText(target.Kishu));
    if (source.Kimatu != target.Kimatu)
        group(QStringLiteral("期末に違いがありました。"), dateText(source.Kimatu), dateText(target.Kimatu));
    if (source.TotalSiwake < target.TotalSiwake)
        group(QStringLiteral("仕訳件数(修正・削除仕訳含む)が減っています。"), FormatMoney(source.TotalSiwake) + QStringLiteral(" 件"),
              FormatMoney(target.TotalSiwake) + QStringLiteral(" 件"));
    if (lines.isEmpty()) return true;
    TMessageInfoRec box;
    InitMessageInfoRec(box);
    box.Mode = 2;
    box.Caption = QStringLiteral("データ照合チェックの結果");
    box.Text = QStringLiteral("以下の項目に違いが検出されました。");
    box.Color = 255;
    box.Lines = lines;
    box.AgreeCaption = QStringLiteral("データ%1処理の続行に同意します。").arg(word);
    return ShowMessageBox(box) == 1;
}

bool CheckTargetPath(const QString &word, const TDataInfomationRec &source, const QString &targetFolder)
{
    if (targetFolder.trimmed().isEmpty()) {
        warningYes(QStringLiteral("%1処理先のデータパスが不正です。").arg(word) + QStringLiteral("\r"));
        return false;
    }
    if (!DM->DExist(targetFolder, ConnectMode)) {
        DM->MkDir(targetFolder, ConnectMode);
        return true;
    }
    if (!DM->FExist(ExcludePathDelim(targetFolder) + u'/' + Product.DataFile, ConnectMode)) return true;
    TDataInfomation info;
    info.UpdateIniFile(targetFolder, QStringLiteral("DATAINFO"));
    TDataInfomationRec target;
    info.ReadIniInfo(targetFolder, target);
    return ReportVerification(word, source, target);
}

bool CheckSourceTargetPaths(const QString &word, const QString &host, const QString &targetFolder, const QString &sourceFolder)
{
    if (sourceFolder.trimmed().isEmpty()) {
        warningYes(QStringLiteral("%1処理元のデータパスが不正です。").arg(word) + QStringLiteral("\r"));
        return false;
    }
    if (targetFolder.trimmed().isEmpty()) {
        warningYes(QStringLiteral("%1処理先のデータパスが不正です。").arg(word) + QStringLiteral("\r"));
        return false;
    }
    if (!DM->DExist(targetFolder, ConnectMode)) {
        DM->MkDir(targetFolder, ConnectMode);
        return true;
    }
    if (!DM->FExist(ExcludePathDelim(targetFolder) + u'/' + Product.DataFile, ConnectMode)) return true;
    TDataInfomation info;
    info.UpdateIniFile(targetFolder, QStringLiteral("DATAINFO"));
    // The source (a check database) has no information file of its own yet.
    info.UpdateIniFile(sourceFolder, QStringLiteral("DATAINFO"));
    TDataInfomationRec target, source;
    info.ReadIniInfo(targetFolder, target);
    info.ReadIniFile(host, sourceFolder, source);
    return ReportVerification(word, source, target);
}

bool RestoreReceived(TfmDataTusin &f)
{
    if (f.SyoriType == 2) {
        const int row = f.SelectedRow();
        if (row < 0 || row == 32700) return false;
    }
    const QString received = ReceiveWorkFolder() + u'/' + kWorkBackup;
    if (!QFileInfo::exists(received)) {
        MessageDlg(QStringLiteral("この場所には、バックアップファイル(%1)がありませんでした。").arg(kWorkBackup) + QStringLiteral("\r"),
                   TMsgDlgType::mtInformation, mbOK);
        return false;
    }
    const QString work = RestoreWorkFolder();
    QDir().mkpath(work);
    for (const QString &name : {kWorkBackup, Product.DataFile, QStringLiteral("vqacc.ini")}) {
        const QString path = work + u'/' + name;
        if (DM->FExist(path, 0)) DM->FDel(path, 0, false);
    }
    const QString copy = work + u'/' + kWorkBackup;
    if (!DM->FCopy(received, copy, 0)) {
        MessageDlg(QStringLiteral("ワーク領域にファイルをコピー出来なかったため、復元処理は失敗しました。"), TMsgDlgType::mtInformation, mbOK);
        return false;
    }
    // The information block is read and cut off the work copy, which the engine restores.
    TBackupRestoreThread header;
    const bool hasHeader = header.ReadBackupInfo(copy, true);

    const QString dir = dataDir();
    TDataInfomation info;
    bool statusWritten = false;
    struct AtEnd {
        TfmDataTusin &f;
        TDataInfomation &info;
        const QString &dir;
        bool &statusWritten;
        ~AtEnd()
        {
            f.xAnimeProgressDialog1->Close();
            if (statusWritten) info.SetDataStatus(dir, 1);
            if (f.SyoriType == 2) {
                f.raise();
                f.activateWindow();
            }
        }
    } atEnd{f, info, dir, statusWritten};

    if (DM->FExist(dir + u'/' + Product.DataFile, ConnectMode)) {
        bool agreed = true;
        if (!hasHeader) {
            // Without the block the backup is restored beside, and its own data compared.
            TBackupRestoreThread check;
            check.Mode = 1;
            check.Method = 0;
            check.MyNumberCheck = 0;
            check.Host = QStringLiteral("127.0.0.1");
            check.DatabasePath = work + u'/' + Product.DataFile;
            check.BackupFile = copy;
            check.RestoreOption = 0;
            check.ProcessName = QStringLiteral("データ受信");
            runJob(f, check, QStringLiteral("照合チェック中、しばらくお待ちください…"));
            if (check.Success != 1) {
                warningYes(jobMessage(check));
                return false;
            }
            agreed = CheckSourceTargetPaths(kWord, QStringLiteral("127.0.0.1"), dir, work);
        } else if (f.SyoriType == 2) {
            const QString refusal = MergedDataRefusal(AccInf.GassanKbn, header.Gassan);
            if (!refusal.isEmpty()) {
                warningYes(refusal);
                return false;
            }
            TDataInfomationRec source;
            TDataInfomation::ClearDataInfoRec(source);
            source.Shougou = header.Shougou;
            source.Kishu = header.Kishu;
            source.Kimatu = header.Kimatu;
            source.Siwake = header.Siwake;
            source.TotalSiwake = header.TotalSiwake;
            source.GassanKbn = quint8(header.Gassan);
            source.UseMyNumber = header.UseMyNumber;
            agreed = CheckTargetPath(kWord, source, dir);
        }
        if (!agreed) return false;
    }

    DM->MkDir(dir, ConnectMode);
    info.SetDataStatus(dir, 5);
    statusWritten = true;
    TBackupRestoreThread job;
    job.Mode = 1;
    job.RestoreOption = 1;
    job.MyNumberCheck = 1;
    job.Ask = 0;
    job.UseMyNumber = hasHeader ? header.UseMyNumber : 0;
    job.ProcessName = QStringLiteral("データ受信");
    job.Method = ConnectMode != 0 ? 1 : 0;
    job.BackupFile = copy;
    const bool cashBook = f.SyoriType == 4 || f.SyoriType == 6 || f.SyoriType == 10;
    if (cashBook) {
        job.Host = QStringLiteral("127.0.0.1");
        job.DatabasePath = work + u'/' + Product.DataFile;
        if (f.SyoriType == 4 && DM->fnFileManConnected(SystemDef.HostName)) {
            job.Method = 0;
            DM->IBFileMan.close();
        }
    } else {
        job.Host = jobHost();
        job.DatabasePath = dir + u'/' + Product.DataFile;
    }
    runJob(f, job, QStringLiteral("復元中、しばらくお待ちください…"));
    if (job.Success != 1) {
        warningYes(jobMessage(job));
        return false;
    }

    if (f.SyoriType == 2) {
        TDataInfomationRec rec;
        TDataInfomation::ClearDataInfoRec(rec);
        info.GetDataInfoRecByPath(dir, rec);
        info.UpdateDataInfomation(SystemDef.HostName, dir, rec);
        TDataListRec row;
        row.ENTTEXT = rec.ListName;
        row.SHOUGOU = rec.Shougou;
        row.NENDO = rec.Nendo;
        row.KISHU = QDate::fromString(rec.Kishu, QStringLiteral("yyyy/MM/dd"));
        row.KIMATU = QDate::fromString(rec.Kimatu, QStringLiteral("yyyy/MM/dd"));
        row.PASNAME = dir;
        row.VER_MAJOR = rec.VerMajor;
        row.VER_MINOR1 = rec.VerMinor1;
        row.VER_MINOR2 = rec.VerMinor2;
        row.VER_TEXT = QStringLiteral("%1.%2.%3").arg(rec.VerMajor).arg(rec.VerMinor1).arg(rec.VerMinor2);
        if (!f.DataList.isEmpty()) static_cast<TDataListRec &>(f.DataList[0]) = row;
        f.Store.UpdateDataListRecord(row, f.SelectedFolder.isEmpty() ? dir : f.SelectedFolder, f.GassanKubun);
    }
    f.ReceivedFlag = true;
    return true;
}

int ReceiveData(TfmDataTusin &f)
{
    const int row = f.SelectedRow();
    if (row < 0 || row >= TRelaySession::SlotCount) return 1;
    const QTableWidgetItem *name = f.PerfectGrid1->item(row, tcDataName);
    if (!name || name->text().trimmed().isEmpty()) {
        MessageDlg(QStringLiteral("　\r\n選択したフォルダには、データは存在しません。\r\n "), TMsgDlgType::mtInformation, mbOK);
        return 1;
    }
    if (f.Session.Slots[size_t(row)].SlotPassword != f.CommunicationPassword()) {
        MessageDlg(QStringLiteral("　\r\n選択したデータと現在利用中のデータではパスワードが一致しません。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return 1;
    }
    if (MessageDlg(QStringLiteral("　\r\n受信処理を開始します。現在利用中のデータが中継サーバーのデータで上書きされます。実行しますか？\r\n "),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return 1;

    const QString work = ReceiveWorkFolder();
    const QString cipher = work + u'/' + kWorkCipher;
    const QString archive = work + u'/' + kWorkArchive;
    const QString backup = work + u'/' + kWorkBackup;
    PipelineScope scope(f, work, PipelineScope::EnableReceiveKeys);
    f.F12->setEnabled(false);
    f.F5->setEnabled(false);
    scope.hourglass(true);
    const QString dir = dataDir();
    if (ConnectMode == 0) {
        f.GassanKubun.clear();
        f.GassanCount.clear();
        f.Store.ReadGassanInfo(dir, f.GassanKubun, f.GassanCount);
    }
    f.Steps = std::make_unique<TTusinSteps>(&f, false);
    setStep(f, 1, QStringLiteral("中継サーバーからデータ受信"), State::Running);
    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Pending);
    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Pending);
    setStep(f, 4, QStringLiteral("受信データ復元・照合"), State::Pending);
    setStep(f, 5, QString(), State::Hidden);
    f.StepPause();
    f.setEnabled(false);

    auto fail = [&scope](const QString &text, const QString &detail = QString()) {
        scope.message([&] { errorYes(text, detail); });
        return 1;
    };

    if (!ForceDir(work)) return fail(QStringLiteral("　\r\n受信用フォルダの作成に失敗しました。\r\n "));
    if (stuck(cipher)) return fail(QStringLiteral("旧ワークファイルが削除出来ません。"));

    const QString folder = RelaySlotFolderName(row);
    TRelayFileChannel channel = channelOf(f);
    switch (channel.Download(folder, cipher)) {
    case TRelayFileChannel::Result::Ok:
        break;
    case TRelayFileChannel::Result::ConnectFailed:
        scope.message([&] { errorOk(QStringLiteral("　\r\nサーバーの接続に失敗しました。\r\n "), channel.LastError()); });
        return 1;
    case TRelayFileChannel::Result::RemoteMissing:
        scope.message([] {
            MessageDlg(QStringLiteral("　\r\nダウンロードファイルが見つかりません。\r\n "), TMsgDlgType::mtWarning, mbOK);
        });
        return 1;
    default:
        // A broken download is said, and the data set stays as it was.
        scope.message([&] { errorOk(QStringLiteral("　\r\nデータの受信に失敗しました。\r\n "), channel.LastError()); });
        return 1;
    }

    setStep(f, 1, QStringLiteral("中継サーバーからデータ受信"), State::Finished);
    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Running);
    f.StepPause();
    try {
        if (!QFileInfo::exists(cipher)) return fail(QStringLiteral("　\r\n受信ファイルが見つかりません。\r\n "));
        if (stuck(archive)) return fail(QStringLiteral("旧圧縮ファイルが削除出来ません。"));
        transferfile::Decrypt(cipher, archive, transferfile::PassPhrase(f.CommunicationPassword()));
    } catch (const TTransferFileError &e) {
        return fail(QStringLiteral("　\r\n暗号解読失敗\r\n "), e.message());
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n暗号解読失敗\r\n "), exceptionText(e));
    }

    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Finished);
    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Running);
    f.StepPause();
    try {
        if (!QFileInfo::exists(archive)) return fail(QStringLiteral("　\r\n解読ファイルが見つかりません。\r\n "));
        if (stuck(backup)) return fail(QStringLiteral("旧復元ファイルが削除出来ません。"));
        transferfile::Unpack(archive, work);
    } catch (const TTransferFileError &e) {
        // A failed unpack is said, and the data set stays as it was.
        return fail(QStringLiteral("　\r\n解凍失敗\r\n "), e.message());
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n解凍失敗\r\n "), exceptionText(e));
    }

    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Finished);
    setStep(f, 4, QStringLiteral("受信データ復元・照合"), State::Running);
    f.StepPause();
    if (!QFileInfo::exists(backup)) return fail(QStringLiteral("　\r\n解凍ファイルが見つかりません。\r\n "));
    bool restored = false;
    scope.message([&] { restored = RestoreReceived(f); });
    if (!restored) return 1;

    setStep(f, 4, QStringLiteral("受信データ復元"), State::Finished);
    f.StepPause();
    f.raise();
    f.activateWindow();
    f.xAnimeProgressDialog1->Close();

    // The merged-data settings of the data set outlive the receive.
    if (ConnectMode != 0) {
        f.GassanKubun = QStringLiteral("0");
        f.GassanCount = QStringLiteral("0");
        f.Store.WriteGassanInfo(dir, f.GassanKubun, f.GassanCount);
    } else if (f.GassanKubun == u"1" || f.GassanKubun == u"2" || f.GassanKubun == u"10") {
        f.Store.WriteGassanInfo(dir, f.GassanKubun, f.GassanCount);
    } else if (f.GassanKubun == u"0") {
        f.Store.ReadGassanInfo(dir, f.GassanKubun, f.GassanCount);
        if (f.GassanKubun == u"10") {
            f.GassanKubun = QStringLiteral("0");
            f.GassanCount = QStringLiteral("0");
            f.Store.WriteGassanInfo(dir, f.GassanKubun, f.GassanCount);
        }
    }
    if (DM->IBTransactionDEF.inTransaction()) DM->IBTransactionDEF.commit();

    f.Steps.reset();
    TRelayRequest request;
    request.Code = rcDataReceived;
    request.Serial = f.Session.SerialText;
    request.Id = f.CommunicationId();
    request.SlotFolder = folder;
    TRelayControl control(f.Settings);
    const TRelayOutcome out = control.Complete(request);
    if (!out.ok()) {
        scope.message([&] { ShowErrorMessage(out.Message, out.Detail); });
        return 1;
    }
    TRelaySlotRec &slot = f.Session.Slots[size_t(row)];
    slot.ReceiveTime = RelayCompactTimeText(out.ReplyTime);
    slot.ReceiveTimeText = RelayTimeDisplay(slot.ReceiveTime, IsWarekiDisplay());
    putCell(f.PerfectGrid1, row, tcReceiveTime, slot.ReceiveTimeText);

    scope.message([] {
        MessageDlg(QStringLiteral("　\r\nデータ受信処理が終了しました。\r\n "), TMsgDlgType::mtInformation, mbOK);
    });
    return 0;
}

PipelineScope::PipelineScope(TfmDataTusin &form, const QString &workFolder, Window window)
    : m_form(form), m_folder(workFolder), m_window(window)
{
}

PipelineScope::~PipelineScope()
{
    if (m_window != KeepWindow) m_form.setEnabled(true);
    if (m_window == EnableReceiveKeys) {
        m_form.F12->setEnabled(true);
        m_form.F5->setEnabled(true);
    }
    hourglass(false);
    m_form.Steps.reset();
    if (m_form.xAnimeProgressDialog1) m_form.xAnimeProgressDialog1->Close();
    EmptyWorkFolder(m_folder);
}

void PipelineScope::hourglass(bool on)
{
    if (on == m_cursor) return;
    m_cursor = on;
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

} // namespace datatransfer

void InstallDataTransferPipelines()
{
    DataTusinPipelines.SendData = [](TfmDataTusin &form) { return datatransfer::SendData(form); };
    DataTusinPipelines.ReceiveData = [](TfmDataTusin &form) { return datatransfer::ReceiveData(form); };
}
