#include "comm/CashBookExchange.h"

#include "comm/DataTransfer.h"
#include "comm/RelayFileChannel.h"
#include "comm/RelayProtocol.h"
#include "comm/TransferFile.h"
#include "comm/TusinSteps.h"
#include "comm/z5CashBookLoader.h"
#include "comm/z5CashBookSender.h"
#include "comm/z5DataTusin.h"
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/z5HikakuMess2.h"
#include "platform/ForeignWindows.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

namespace cashbook {

namespace {

using State = TTusinSteps::State;

const QString kWorkBackup = QStringLiteral("vqacc.fbk");
const QString kWorkArchive = QStringLiteral("vqacc.zip");
const QString kWorkCipher = QStringLiteral("vqacc.wen");
const QString kVirusText = QStringLiteral("送信処理に失敗しました。ウイルス対策ソフトを実行中の場合は、終了してから再度送信を行ってください。");
const QString kNoData = QStringLiteral("　\r\n受信データがありません。\r\n ");
const QString kWrongPassword = QStringLiteral("　\r\nパスワードが違います。\r\n ");

QString className(const std::exception &e)
{
    const char *mangled = typeid(e).name();
    int status = 0;
    char *demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    return name;
}

QString withDetail(const QString &text, const QString &detail)
{
    return detail.isEmpty() ? text : text + QStringLiteral("\r\r[詳細情報]\r") + detail;
}

void errorYes(const QString &text, const QString &detail = QString())
{
    MessageDlg(withDetail(text, detail), TMsgDlgType::mtError, mbYes);
}

void errorOk(const QString &text, const QString &detail = QString())
{
    MessageDlg(withDetail(text, detail), TMsgDlgType::mtError, mbOK);
}

QString dateOf(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

bool stuck(const QString &path)
{
    return QFileInfo::exists(path) && !QFile::remove(path);
}

// The folder ("01".."03") and the slot of an index.
const TRelaySlotRec &slotOf(const TfmDataTusin &f, int index)
{
    return f.Session.Slots[size_t(index)];
}

bool samePeriod(const TRelaySlotRec &slot)
{
    return slot.PeriodStart.left(10) == dateOf(AccInf.KISHU);
}

bool sameName(const TRelaySlotRec &slot)
{
    return slot.DataName == AccInf.SHOUGOU;
}

TRelayFileChannel channelOf(const TfmDataTusin &f)
{
    TRelayFileChannel ch(f.Session.FtpHost, f.Settings.FtpPort, f.CommunicationId(), f.Session.FtpPassword);
    ch.ConnectTimeoutMs = f.Settings.ConnectTimeoutMs;
    ch.StallTimeoutMs = f.Settings.ReadTimeoutMs;
    return ch;
}


void setStep(TfmDataTusin &f, int n, const QString &text, State state)
{
    if (f.Steps) f.Steps->Set(n, text, state);
}

// The comparison dialog: the visible labels stacked in their order.
struct Comparison {
    explicit Comparison(QWidget *owner) : box(owner) {}
    void show(const QList<int> &visible)
    {
        QLabel *labels[] = {box.Label1, box.Label2, box.Label3, box.Label4, box.Label5,
                            box.Label6, box.Label7, box.Label8, box.Label9};
        const int dpi = box.logicalDpiX();
        int top = 16;
        int previous = 0;
        for (int n = 1; n <= 9; ++n) {
            QLabel *l = labels[n - 1];
            const bool on = visible.contains(n);
            l->setVisible(on);
            if (!on) continue;
            // A new group (a heading line) gets a little more room.
            if (previous != 0 && (n == 3 || n == 4 || n == 7)) top += 8;
            l->move(66 * dpi / 96, top * dpi / 96);
            l->adjustSize();
            top += 19;
            previous = n;
        }
        top += 16;
        box.Button1->move(box.Button1->x(), top * dpi / 96);
        box.Button2->move(box.Button2->x(), top * dpi / 96);
        box.resize(box.width(), (top + 40) * dpi / 96);
    }
    // Yes only through the Yes button.
    bool ask()
    {
        HikakuMess2Answer = 0;
        const int r = ModalRunner(box);
        return r == QDialog::Accepted && HikakuMess2Answer == 1;
    }
    TfmHikakuMess2 box;
};

QString periodLine(const QDate &start, const QDate &end, bool wareki)
{
    return RelayDateDisplay(dateOf(start), wareki) + QStringLiteral(" ～ ") + RelayDateDisplay(dateOf(end), wareki);
}

void fillDifferences(Comparison &c, const TRelaySlotRec &slot, bool sendSide)
{
    const bool wareki = sendSide && IsWarekiDisplay();
    c.box.Label4->setText(QStringLiteral("商号が違います。"));
    c.box.Label5->setText(QStringLiteral("現在利用中の商号　：　") + AccInf.SHOUGOU);
    c.box.Label6->setText(QStringLiteral("中継サーバーの商号：　") + slot.DataName);
    c.box.Label7->setText(QStringLiteral("会計期間が違います。"));
    c.box.Label8->setText(QStringLiteral("現在利用中の会計期間　：　") + periodLine(AccInf.KISHU, AccInf.KIMATU, wareki));
    const QString slotPeriod = wareki ? slot.PeriodStartText + QStringLiteral(" ～ ") + slot.PeriodEndText
                                      : slot.PeriodStart.left(10) + QStringLiteral(" ～ ") + slot.PeriodEnd.left(10);
    c.box.Label9->setText(QStringLiteral("中継サーバーの会計期間：　") + slotPeriod);
}

// The refusal of a receive whose slot differs from the data set.
void refuseReceive(TfmDataTusin &f, const TRelaySlotRec &slot, bool names, bool periods)
{
    Comparison c(&f);
    fillDifferences(c, slot, false);
    c.box.Label1->setText(QStringLiteral("中継サーバーのデータと下記相違点があるため受信出来ません。"));
    c.box.Label2->setText(QStringLiteral("データを切り換えて実行して下さい。"));
    c.box.Button1->setText(QStringLiteral("ＯＫ"));
    c.box.Button2->hide();
    QList<int> visible{1};
    if (f.SyoriType == 6) visible << 2;
    if (names) visible << 4 << 5 << 6;
    if (periods) visible << 7 << 8 << 9;
    c.show(visible);
    c.box.Button1->move((c.box.width() - c.box.Button1->width()) / 2, c.box.Button1->y());
    ModalRunner(c.box);
}

void reportException(bool send, const std::exception &e)
{
    MessageDlg((send ? QStringLiteral("送信処理中にエラーになりました。\r\n") : QStringLiteral("受信処理中にエラーになりました。\r\n")) +
                   className(e) + QStringLiteral(" error , with message : ") + exceptionText(e),
               TMsgDlgType::mtError, mbOK);
}

int runSender(quint8 stampMode, quint8 linkOnly)
{
    TCashBookSender sender(DM);
    sender.StampMode = stampMode;
    sender.LinkOnly = linkOnly;
    sender.Execute();
    return sender.ResultCode();
}

int sendModes(TfmDataTusin &f)
{
    const int compared = f.SyoriType == 3 ? 1 : 0;
    const TRelaySlotRec &master = slotOf(f, 2);
    if (master.hasData() && samePeriod(master)) {
        MessageDlg(QStringLiteral("　\r\n中継サーバーに未受信の全データが存在しますので送信できません。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    if (slotOf(f, compared).hasData() && CompareWithServer(f, compared) == -1) return 0;
    try {
        if (SendCashBookData(f) != 1) return 0;
    } catch (const std::exception &e) {
        reportException(true, e);
        return 0;
    }
    if (f.SyoriType != 7)
        MessageDlg(QStringLiteral("　\r\n送信処理が終了しました。\r\n　"), TMsgDlgType::mtInformation, mbOK);
    return 1;
}

int masterSend(TfmDataTusin &f)
{
    if (slotOf(f, 0).hasData()) {
        MessageDlg(QStringLiteral("　\r\n受信処理を行ってから、マスター送信して下さい。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    const TRelaySlotRec &master = slotOf(f, 2);
    if (master.hasData() && !samePeriod(master) && CompareWithServer(f, 2) != 1) return 0;
    if (slotOf(f, 1).hasData()) {
        if (MessageDlg(QStringLiteral("中継サーバーに現金出納帳データが存在します。\r\nこのままマスター送信をすると、削除されます。続行しますか？"),
                       TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
            return 0;
        f.DeleteCashBookServerData(1);
    }
    try {
        if (SendCashBookData(f) != 1) return 0;
    } catch (const std::exception &e) {
        reportException(true, e);
        return 0;
    }
    MessageDlg(QStringLiteral("　\r\n送信処理が終了しました。\r\n "), TMsgDlgType::mtInformation, mbOK);
    return 1;
}

int receiveModes(TfmDataTusin &f)
{
    const int mode = f.SyoriType;
    const QString password = f.CommunicationPassword();
    if (mode == 4) {
        if (!slotOf(f, 0).hasData()) {
            MessageDlg(kNoData, TMsgDlgType::mtInformation, mbOK);
            return 0;
        }
        f.CashBookSlot = 0;
    } else if (slotOf(f, 2).hasData()) {
        f.CashBookSlot = 2;
    } else if (slotOf(f, 1).hasData()) {
        f.CashBookSlot = 1;
    } else {
        if (mode == 10) MessageDlg(kNoData, TMsgDlgType::mtInformation, mbOK);
        return 0;
    }
    const TRelaySlotRec &slot = slotOf(f, f.CashBookSlot);
    if (f.CashBookSlot == 2) {
        f.MasterSlotChosen = true;
        if (slot.SlotPassword != password) {
            MessageDlg(kWrongPassword, TMsgDlgType::mtWarning, mbOK);
            return 0;
        }
        if (!samePeriod(slot)) {
            refuseReceive(f, slot, false, true);
            return 0;
        }
        if (!sameName(slot)) {
            Comparison c(&f);
            fillDifferences(c, slot, false);
            c.box.Label1->setText(QStringLiteral("商号が違いますが、受信を続行しますか？"));
            c.show({1, 4, 5, 6});
            if (!c.ask()) return 0;
        }
    } else {
        f.MasterSlotChosen = false;
        if (slot.SlotPassword != password) {
            MessageDlg(kWrongPassword, TMsgDlgType::mtWarning, mbOK);
            return 0;
        }
        if (!sameName(slot) || !samePeriod(slot)) {
            refuseReceive(f, slot, !sameName(slot), !samePeriod(slot));
            return 0;
        }
    }
    if ((mode == 4 || mode == 10) &&
        MessageDlg(QStringLiteral("　\r\nこれよりデータを受信します。\r\n "), TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return 0;

    f.CashBookLoaderFailed = false;
    int received = 0;
    try {
        received = ReceiveCashBookData(f, f.CashBookSlot);
    } catch (const std::exception &e) {
        reportException(false, e);
        return 0;
    }
    if (received == 1) {
        // Only a load that finished takes the data off the server.
        f.DeleteCashBookServerData(f.CashBookSlot);
        return f.CashBookSlot == 2 ? 2 : 1;
    }
    if (!f.CashBookLoaderFailed)
        MessageDlg(QStringLiteral("　\r\n受信処理が正常に終了していません。\r\n "), TMsgDlgType::mtError, mbOK);
    return 0;
}

} // namespace

bool Checks(TfmDataTusin &f)
{
    const int mode = f.SyoriType;
    const bool merged = AccInf.GassanKbn == 1 || AccInf.GassanKbn == 2;
    if ((mode == 3 || mode == 5) && merged) {
        MessageDlg(QStringLiteral("現在選択中のデータは合算データのため、現金出納帳の送信処理は行えません。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (mode == 4 && merged) {
        MessageDlg(QStringLiteral("現在選択中のデータは合算データのため、現金出納帳の受信処理は行えません。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    if (mode == 3 || mode == 5 || mode == 7 || mode == 9) {
        // Nothing is sent while the cash book upgrades itself.
        if (platform::ForeignWindows::instance().exists(kUpgradeWindowTitle)) return false;
        if (MessageDlg(QStringLiteral("  \r\n中継サーバーにデータを送信します。\r\n "), TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
            return false;
    }
    return true;
}

int Run(TfmDataTusin &f)
{
    switch (f.SyoriType) {
    case 3:
    case 7:
    case 9: return sendModes(f);
    case 5: return masterSend(f);
    case 4:
    case 6:
    case 10: return receiveModes(f);
    default: return 0;
    }
}

int CompareWithServer(TfmDataTusin &f, int index)
{
    const TRelaySlotRec &slot = slotOf(f, index);
    const bool password = slot.SlotPassword != f.CommunicationPassword();
    const bool names = !sameName(slot);
    const bool periods = !samePeriod(slot);
    if (!password && !names && !periods) return 2;
    if (password && !names && !periods)
        return MessageDlg(QStringLiteral("中継サーバーに下記相違点のあるデータが存在します。このまま送信して上書きしてもいいですか？\r\n\r\n"
                                         "パスワードが違います。"),
                          TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes
                   ? 1
                   : -1;
    Comparison c(&f);
    fillDifferences(c, slot, true);
    c.box.Label1->setText(QStringLiteral("中継サーバーに下記相違点のあるデータが存在します。"));
    c.box.Label2->setText(QStringLiteral("このまま送信して上書きしてもいいですか？"));
    c.box.Label3->setText(QStringLiteral("パスワードが違います。"));
    if (password && names && periods) c.show({1, 2, 3, 4, 5, 6, 7, 8, 9});
    else if (password && names) c.show({1, 2, 3, 4, 5, 6});
    else if (password) c.show({1, 2, 3, 7, 8, 9});
    else if (names && periods) c.show({1, 2, 4, 5, 6, 7, 8, 9});
    else if (names) c.show({1, 2, 4, 5, 6});
    else c.show({1, 2, 7, 8, 9});
    return c.ask() ? 1 : -1;
}

int SendCashBookData(TfmDataTusin &f)
{
    const QString work = datatransfer::SendWorkFolder();
    const QString backup = work + u'/' + kWorkBackup;
    const QString archive = work + u'/' + kWorkArchive;
    const QString cipher = work + u'/' + kWorkCipher;
    datatransfer::PipelineScope scope(f, work, datatransfer::PipelineScope::KeepWindow);
    scope.hourglass(true);
    f.Steps = std::make_unique<TTusinSteps>(&f, false);
    setStep(f, 1, QStringLiteral("送信用データ保存"), State::Running);
    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Pending);
    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Pending);
    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Pending);
    setStep(f, 5, QString(), State::Hidden);
    f.StepPause();

    auto fail = [&scope](const QString &text, const QString &detail = QString()) {
        scope.message([&] { errorYes(text, detail); });
        return 0;
    };

    if (f.SyoriType == 5) {
        // A master send goes out with every cash entry as its own link.
        int stamped = 0;
        scope.message([&] { stamped = runSender(0, 0); });
        if (stamped != 1) return fail(QStringLiteral("　\r\nデータセンダーエラー1\r\n "));
    }

    if (!ForceDir(work)) return fail(QStringLiteral("送信用フォルダの作成に失敗しました。"));
    if (stuck(backup)) return fail(QStringLiteral("旧バックアップファイルが削除出来ません。"));
    bool saved = false;
    scope.message([&] { saved = datatransfer::BackupForSend(f, true); });
    if (!saved) return 0;

    setStep(f, 1, QStringLiteral("送信用データ保存"), State::Finished);
    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Running);
    f.StepPause();
    try {
        if (stuck(archive)) return fail(QStringLiteral("旧圧縮ファイルが削除出来ません。"));
        if (!QFileInfo::exists(backup)) return fail(QStringLiteral("　\r\nバックアップファイルが見つかりません。\r\n "));
        transferfile::Pack(backup, archive);
    } catch (const TTransferFileError &e) {
        return fail(QStringLiteral("圧縮失敗"), e.message());
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n圧縮失敗\r\n "), exceptionText(e));
    }
    if (QFileInfo::exists(archive) && !transferfile::CheckArchive(archive)) return fail(kVirusText);

    setStep(f, 2, QStringLiteral("送信用データ圧縮"), State::Finished);
    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Running);
    try {
        if (!QFileInfo::exists(archive)) return fail(QStringLiteral("　\r\n圧縮ファイルが見つかりません。\r\n "));
        if (stuck(cipher)) return fail(QStringLiteral("旧ワークファイルが削除出来ません。"));
        transferfile::Encrypt(archive, cipher, transferfile::PassPhrase(f.CommunicationPassword()));
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n暗号失敗\r\n "), exceptionText(e));
    }

    setStep(f, 3, QStringLiteral("送信用データ暗号化"), State::Finished);
    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Running);
    f.StepPause();
    if (!QFileInfo::exists(cipher)) return fail(QStringLiteral("　\r\n暗号化ファイルが見つかりません。\r\n "));

    const int index = f.SyoriType == 3 ? 1 : f.SyoriType == 5 ? 2 : 0;
    const QString folder = RelaySlotFolderName(index);
    TRelayFileChannel channel = channelOf(f);
    switch (channel.Upload(folder, cipher)) {
    case TRelayFileChannel::Result::Ok:
        break;
    case TRelayFileChannel::Result::ConnectFailed:
        scope.message([&] { errorOk(QStringLiteral("　\r\nサーバーの接続に失敗しました。\r\n "), channel.LastError()); });
        return 0;
    case TRelayFileChannel::Result::FolderMissing:
        scope.message([&] { errorOk(QStringLiteral("　\r\n転送先のディレクトリが存在しません。\r\n ")); });
        return 0;
    case TRelayFileChannel::Result::SizeMismatch:
        return fail(kVirusText);
    default:
        scope.message([&] { errorOk(QStringLiteral("　\r\nデータの送信に失敗しました。\r\n "), channel.LastError()); });
        return 0;
    }

    TRelayRequest request;
    request.Code = rcCashBookSent;
    request.Serial = f.Session.SerialText;
    request.Id = f.CommunicationId();
    request.SlotFolder = folder;
    request.DataName = AccInf.SHOUGOU;
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
        return 0;
    }
    f.Session.Slots[0].SendTime = RelayCompactTimeText(out.ReplyTime);
    setStep(f, 4, QStringLiteral("中継サーバーへデータ送信"), State::Finished);
    f.StepPause();

    if (f.SyoriType != 5) {
        // What went out is linked, so that its return is recognised.
        int stamped = 0;
        scope.message([&] { stamped = runSender(1, 1); });
        if (stamped != 1) {
            scope.message([] { MessageDlg(QStringLiteral("　\r\nデータセンダーエラー2\r\n "), TMsgDlgType::mtError, mbOK); });
            return 0;
        }
    }
    return 1;
}

int ReceiveCashBookData(TfmDataTusin &f, int index)
{
    const QString work = datatransfer::ReceiveWorkFolder();
    const QString cipher = work + u'/' + kWorkCipher;
    const QString archive = work + u'/' + kWorkArchive;
    const QString backup = work + u'/' + kWorkBackup;
    datatransfer::PipelineScope scope(f, work, datatransfer::PipelineScope::KeepWindow);
    scope.hourglass(true);
    f.Steps = std::make_unique<TTusinSteps>(&f, false);
    setStep(f, 1, QStringLiteral("中継サーバーからデータ受信"), State::Running);
    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Pending);
    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Pending);
    setStep(f, 4, QStringLiteral("受信データ復元・照合"), State::Pending);
    setStep(f, 5, QString(), State::Hidden);
    f.StepPause();

    auto fail = [&scope](const QString &text, const QString &detail = QString()) {
        scope.message([&] { errorYes(text, detail); });
        return 0;
    };

    if (!ForceDir(work)) return fail(QStringLiteral("　\r\n受信用フォルダの作成に失敗しました。\r\n "));
    if (stuck(cipher)) return fail(QStringLiteral("旧ワークファイルが削除出来ません。"));
    TRelayFileChannel channel = channelOf(f);
    switch (channel.Download(RelaySlotFolderName(index), cipher)) {
    case TRelayFileChannel::Result::Ok:
        break;
    case TRelayFileChannel::Result::ConnectFailed:
        scope.message([&] { errorOk(QStringLiteral("　\r\nサーバーの接続に失敗しました。\r\n "), channel.LastError()); });
        return 0;
    case TRelayFileChannel::Result::RemoteMissing:
        scope.message([] { MessageDlg(QStringLiteral("　\r\nダウンロードファイルが見つかりません。\r\n "), TMsgDlgType::mtWarning, mbOK); });
        return 0;
    default:
        scope.message([&] { errorOk(QStringLiteral("　\r\nデータの受信に失敗しました。\r\n "), channel.LastError()); });
        return 0;
    }

    setStep(f, 1, QStringLiteral("中継サーバーからデータ受信"), State::Finished);
    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Running);
    f.StepPause();
    try {
        if (stuck(archive)) return fail(QStringLiteral("旧圧縮ファイルが削除出来ません。"));
        transferfile::Decrypt(cipher, archive, transferfile::PassPhrase(f.CommunicationPassword()));
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n暗号解読失敗\r\n "), exceptionText(e));
    }
    setStep(f, 2, QStringLiteral("受信データ暗号解読"), State::Finished);
    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Running);
    f.StepPause();
    try {
        if (stuck(backup)) return fail(QStringLiteral("旧復元ファイルが削除出来ません。"));
        transferfile::Unpack(archive, work);
    } catch (const std::exception &e) {
        return fail(QStringLiteral("　\r\n解凍失敗\r\n "), exceptionText(e));
    }
    setStep(f, 3, QStringLiteral("受信データ圧縮解凍"), State::Finished);
    setStep(f, 4, QStringLiteral("受信データ復元・照合"), State::Running);
    f.StepPause();
    if (!QFileInfo::exists(backup)) return fail(QStringLiteral("　\r\n解凍ファイルが見つかりません。\r\n "));
    bool restored = false;
    scope.message([&] { restored = datatransfer::RestoreReceived(f); });
    if (!restored) return 0;
    setStep(f, 4, QStringLiteral("受信データ復元"), State::Finished);
    f.StepPause();
    f.Steps.reset();
    // The restore attached the work database on the data module's company
    // connection and closed it again: the open data set comes back first.
    if (!DM->IBDatabaseDAT.connected()) DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);

    // The restored work database goes to the loader, and is deleted after it.
    const QString workDb = datatransfer::RestoreWorkFolder() + u'/' + Product.DataFile;
    struct DropWorkDb {
        QString path;
        ~DropWorkDb() { QFile::remove(path); }
    } drop{workDb};
    int result = 0;
    scope.message([&] {
        try {
            TCashBookLoaderBox box(DM, &f);
            box.SetSourceKind(index == 0 ? 0 : 1);
            box.SetImportKind(index == 2 ? 0 : 1);
            box.SetReceiveFile(workDb);
            if (index == 0) ModalRunner(box);
            else box.RunAuto();
            // However the dialog was closed, only a finished load counts.
            if (box.ResultCode() == 1) {
                result = 1;
            } else if (!box.Loader().SyoriLog.isEmpty()) {
                f.CashBookLoaderFailed = true; // the loader's log said why
            }
        } catch (const std::exception &) {
            MessageDlg(QStringLiteral("　\r\n出納帳データローダーエラー\r\n "), TMsgDlgType::mtError, mbOK);
            f.CashBookLoaderFailed = true;
            result = 0;
        }
    });
    return result;
}

} // namespace cashbook

void InstallCashBookPipelines()
{
    DataTusinPipelines.CashBookChecks = [](TfmDataTusin &form) { return cashbook::Checks(form); };
    DataTusinPipelines.CashBookRun = [](TfmDataTusin &form) { return cashbook::Run(form); };
}
