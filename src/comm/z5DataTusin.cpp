#include "comm/z5DataTusin.h"

#include "comm/TusinSteps.h"
#include "comm/xPzConv.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "datasets/DataSentaku.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/HtmlHelp.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

TDataTusinPipelines DataTusinPipelines;

namespace {

constexpr int kFormWidth = 997;
constexpr int kFormHeight = 430;
constexpr int kGridWidth = 956;
constexpr std::array<int, tcCount> kWidths = {40, 300, 80, 180, 134, 134, 85, 0};
constexpr int kKeyTop = 388;
constexpr int kF12Left = 883;

const QString kNoData = QStringLiteral("　\r\n選択したフォルダには、データは存在しません。\r\n ");
const QString kDeleted = QStringLiteral("　\r\n中継サーバーのデータを削除しました。\r\n ");

TxPlButton *makeButton(QWidget *parent, const QString &name, const QString &text, const QRect &geo)
{
    TxPlButton *b = NewPlButton(parent, name, text, geo);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// The class name of an exception as the error message names it.
QString className(const std::exception &e)
{
    const char *mangled = typeid(e).name();
    int status = 0;
    char *demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    return name;
}

bool isCashBookMode(int mode)
{
    return (mode >= 3 && mode <= 7) || mode == 9 || mode == 10;
}

} // namespace

TfmDataTusin::TfmDataTusin(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("fmDataTusin"));
    setWindowTitle(QStringLiteral("データ通信"));
    DisconnectOnClose = false;
    SkipProcessCheck = true; // Execute makes its own checks
    buildControls();
    PzConv1 = new TxPzConv(this);
    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
    xAnimeProgressDialog1->setObjectName(QStringLiteral("xAnimeProgressDialog1"));
    ReceivedFlag = false;
    CreateDone = true;
}

TfmDataTusin::~TfmDataTusin()
{
    closeSteps();
    if (m_hourglass) QApplication::restoreOverrideCursor();
}

void TfmDataTusin::buildControls()
{
    setFixedSize(kFormWidth, kFormHeight);
    PerfectGrid1 = new QTableWidget(this);
    PerfectGrid1->setObjectName(QStringLiteral("PerfectGrid1"));
    PerfectGrid1->setGeometry(16, 12, kGridWidth, 270);
    PerfectGrid1->setColumnCount(tcCount);
    PerfectGrid1->verticalHeader()->hide();
    PerfectGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    PerfectGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    PerfectGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PerfectGrid1->setWordWrap(false);
    PerfectGrid1->verticalHeader()->setDefaultSectionSize(24);
    PerfectGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    PerfectGrid1->horizontalHeader()->setFixedHeight(24);
    PerfectGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PerfectGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PerfectGrid1->horizontalHeader()->setHighlightSections(false);
    SetPerfectGridColors(PerfectGrid1, 0);
    PerfectGrid1->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("データ名"), QStringLiteral("会計年度"),
                                             QStringLiteral("会計期間"), QStringLiteral("送信日時"), QStringLiteral("受信日時"),
                                             QStringLiteral("バージョン"), QString()});
    for (int c = 0; c < tcCount; ++c) {
        PerfectGrid1->setColumnWidth(c, kWidths[size_t(c)]);
        PerfectGrid1->setColumnHidden(c, kWidths[size_t(c)] == 0);
    }
    connect(PerfectGrid1, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) { SetFunctionKeys(); });

    HintArea = new QPlainTextEdit(this);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setGeometry(16, 290, kGridWidth, 88);
    HintArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HintMemo = HintArea;

    const char *names[] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8"};
    std::array<TxPlButton **, 9> slots = {&ESC, &F1, &F2, &F3, &F4, &F5, &F6, &F7, &F8};
    for (int k = 0; k < 9; ++k)
        *slots[size_t(k)] = makeButton(this, QLatin1String(names[k]), QString(), QRect(8 + k * 82, kKeyTop, 80, 34));
    F12 = makeButton(this, QStringLiteral("F12"), QString(), QRect(kF12Left, kKeyTop, 92, 34));
    ESC->setModalResult(2);
    connect(ESC, &TxPlButton::clicked, this, [this] {
        if (!IsBareKeyCaption(ESC->CaptionA().Caption())) done(2);
    });
    connect(F1, &TxPlButton::clicked, this, [this] {
        if (!IsBareKeyCaption(F1->CaptionA().Caption())) OpenHtmlManual(m_helpPage);
        SetFunctionKeys();
    });
    for (TxPlButton *b : {F2, F3, F4, F6, F7, F8}) connect(b, &TxPlButton::clicked, this, [this] { SetFunctionKeys(); });
    connect(F5, &TxPlButton::clicked, this, [this] { F5Click(); });
    connect(F12, &TxPlButton::clicked, this, [this] { F12Click(); });
    EndButton = F12;
    SetFunctionKeys();
}

// ---------------------------------------------------------------- modes

QString TfmDataTusin::ModeCaption(int syoriType)
{
    switch (syoriType) {
    case 1: return QStringLiteral("データ送信");
    case 2: return QStringLiteral("データ受信");
    case 3: return QStringLiteral("現金出納帳送信");
    case 4: return QStringLiteral("現金出納帳受信");
    case 5: return QStringLiteral("マスター送信");
    case 8: return QStringLiteral("サーバー確認");
    default: return QStringLiteral("データ通信");
    }
}

QString TfmDataTusin::ModeHelpPage(int syoriType)
{
    switch (syoriType) {
    case 1: return QStringLiteral("tsusin01.html");
    case 2: return QStringLiteral("tsusin02.html");
    case 3: return QStringLiteral("tsusin06.html");
    case 4: return QStringLiteral("tsusin07.html");
    case 5: return QStringLiteral("tsusin10.html");
    case 8: return QStringLiteral("tsusin09.html");
    default: return QString();
    }
}

QString TfmDataTusin::VersionLabel(int major, int minor)
{
    if (major == 6 && minor == 1) return QStringLiteral("14消改版");
    if (minor != 0) return QString::number(major) + u'.' + QString::number(minor);
    if (major == 1) return QStringLiteral("09版");
    if (major == 2) return QStringLiteral("10版");
    return QString::number(major + 8) + QStringLiteral("版");
}

QString TfmDataTusin::VersionLabel(const QString &slotVersion)
{
    const QString v = slotVersion.trimmed();
    if (v.isEmpty()) return QString();
    bool okMajor = false, okMinor = false;
    const int major = v.left(2).toInt(&okMajor);
    const int minor = v.right(2).toInt(&okMinor);
    // Another client's text that is no version number is shown as it came.
    if (!okMajor || !okMinor) return v;
    return VersionLabel(major, minor);
}

void TfmDataTusin::SetParams(const QStringList &params)
{
    Params = params;
    const int type = ProcessParamInt(params, QStringLiteral("SyoriType"), -1);
    if (type >= 0) SyoriType = type;
    const QString style = ProcessParamValue(params, QStringLiteral("FormStyle"));
    bool ok = false;
    const int v = style.trimmed().toInt(&ok);
    FormStyleKind = !ok || v == 0 ? 0 : v == 1 ? 1 : v == 2 ? 2 : 3;
}

QString TfmDataTusin::CommunicationId() const
{
    return SyoriType == 1 || SyoriType == 2 ? AccInf.WEB_HOLDER : AccInf.TusinHolder[1];
}

QString TfmDataTusin::CommunicationPassword() const
{
    return SyoriType == 1 || SyoriType == 2 ? AccInf.PASWORD : AccInf.TusinPassword[1];
}

int TfmDataTusin::SelectedRow() const
{
    return PerfectGrid1->currentRow();
}

void TfmDataTusin::StepPause() const
{
    ::StepPause(Settings.StepPauseMs);
}

void TfmDataTusin::hourglass(bool on)
{
    if (on == m_hourglass) return;
    m_hourglass = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfmDataTusin::setCaptionAndHelp()
{
    setWindowTitle(ModeCaption(SyoriType));
    m_helpPage = ModeHelpPage(SyoriType);
}

void TfmDataTusin::narrowForServerCheck()
{
    PerfectGrid1->setColumnWidth(tcReceiveTime, 0);
    PerfectGrid1->setColumnHidden(tcReceiveTime, true);
    PerfectGrid1->resize(822, PerfectGrid1->height());
    HintArea->resize(822, HintArea->height());
    F12->move(749, F12->y());
    setFixedSize(863, height());
}

bool TfmDataTusin::menuCallbackRefuses(bool inWindow)
{
    if (!MenuCallbackHook || MenuCallbackHook(10, QString()) <= 0) return false;
    if (inWindow)
        MessageDlg(QStringLiteral("メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。"),
                   TMsgDlgType::mtWarning, mbYes);
    else
        MessageDlg(QStringLiteral("　\r\n現在メニュー以外の画面を表示中なので、") + OperationWord +
                       QStringLiteral("処理は行えません。") + QStringLiteral("\r") + QStringLiteral("\n") + QStringLiteral(" "),
                   TMsgDlgType::mtWarning, mbOK);
    return true;
}

bool TfmDataTusin::identityMissing(const QString &id, const QString &password)
{
    if (TrimZen(id).isEmpty()) {
        MessageDlg(QStringLiteral("　\r\n通信IDが設定されてません。通信設定で設定して下さい。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return true;
    }
    if (TrimZen(password).isEmpty()) {
        MessageDlg(QStringLiteral("　\r\nパスワードが設定されてません。通信設定で設定して下さい。\r\n "), TMsgDlgType::mtWarning, mbOK);
        return true;
    }
    return false;
}

bool TfmDataTusin::askInUse()
{
    if (!DM || !DM->AccDatInConnection(1, QString(), false, SystemDef.DataDir)) return true;
    return MessageDlg(QStringLiteral("　\r\nこのデータは他の人が利用中です。") + windowTitle() + QStringLiteral("を開始しますか？") +
                          QStringLiteral("\r") + QStringLiteral("\n") + QStringLiteral(" "),
                      TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes;
}

void TfmDataTusin::openSteps()
{
    closeSteps();
    Steps = std::make_unique<TTusinSteps>(this, false);
    Steps->Set(1, QString(), TTusinSteps::State::Hidden);
    Steps->Set(2, QStringLiteral("認証チェック"), TTusinSteps::State::Running);
    Steps->Set(3, QStringLiteral("中継サーバー情報確認"), TTusinSteps::State::Pending);
    Steps->Set(4, QString(), TTusinSteps::State::Hidden);
    Steps->Set(5, QString(), TTusinSteps::State::Hidden);
}

void TfmDataTusin::stepsToSlotList()
{
    if (!Steps) return;
    Steps->Set(2, QStringLiteral("認証チェック"), TTusinSteps::State::Finished);
    Steps->Set(3, QStringLiteral("中継サーバー情報確認"), TTusinSteps::State::Running);
}

void TfmDataTusin::closeSteps()
{
    Steps.reset();
}

int TfmDataTusin::Execute(bool modal)
{
    int result = -1;
    hourglass(false);
    if (DM && DM->IBDatabaseDAT.connected()) {
        try {
            CloudKubun = DM->GetAccReg(QStringLiteral("通信設定"), QStringLiteral("クラウド区分"), QStringLiteral("整数"),
                                       QStringLiteral("0"))
                             .toInt();
        } catch (const std::exception &e) {
            reportError(e, QStringLiteral("TfmDataTusin.Execute"), QStringLiteral("基本情報の取得に失敗しました。"));
        }
    }
    BackupFileName = WorkBackupFile;
    FirstActivation = true;
    OperationWord = Edition == 1 || Edition == 2 ? QStringLiteral("データ送受信") : QStringLiteral("データ通信");
    Settings = TRelaySettings::fromApplicationIni();

    auto refuse = [this](int r) {
        freeOnClose(); // never shown, so it would never free itself
        return r;
    };

    if (SyoriType == 1 || SyoriType == 2) {
        if (identityMissing(AccInf.WEB_HOLDER, AccInf.PASWORD)) return refuse(-1);
        if (!modal) {
            show();
            return 0;
        }
        if (menuCallbackRefuses(true)) return refuse(-1);
        if (!CreateDone) {
            MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbYes);
            return refuse(-1);
        }
        SetFormPosition(0, 0, 0, 0, 0);
        PrepareRun(true);
        setCaptionAndHelp();
        ModalRunner(*this);
        return ReceivedFlag ? 1 : 0;
    }

    if (isCashBookMode(SyoriType) && (!DataTusinPipelines.CashBookChecks || !DataTusinPipelines.CashBookRun)) {
        MessageDlg(QStringLiteral("　\r\nこの") + OperationWord + QStringLiteral("処理はこのシステムでは行えません。\r\n "),
                   TMsgDlgType::mtWarning, mbOK);
        return refuse(-1);
    }
    if (SyoriType != 7 && menuCallbackRefuses(false)) return refuse(-1);
    if (identityMissing(AccInf.TusinHolder[1], AccInf.TusinPassword[1])) return refuse(SyoriType == 6 ? 0 : -1);

    // From here every way out frees the step window and restores the window.
    struct Finally {
        TfmDataTusin *f;
        ~Finally()
        {
            f->hourglass(false);
            f->closeSteps();
            if ((f->SyoriType >= 1 && f->SyoriType <= 5) || f->SyoriType == 8) f->setCaptionAndHelp();
        }
    } finally{this};

    hourglass(true);
    if (SyoriType == 3 || SyoriType == 4 || SyoriType == 5 || SyoriType == 8) {
        if (Store.CountApprovedEntries(SystemDef.DataDir)) {
            hourglass(false);
            MessageDlg(QStringLiteral("現在ご利用中のデータは承認済み仕訳が含まれます。\r\n現金出納帳通信処理は行えません。"),
                       TMsgDlgType::mtWarning, mbOK);
            return refuse(result);
        }
    }
    if (isCashBookMode(SyoriType) && !DataTusinPipelines.CashBookChecks(*this)) return refuse(result);

    openSteps();
    StepPause();
    setCaptionAndHelp();
    if (SyoriType == 8) narrowForServerCheck();
    if (!askInUse()) return refuse(result);
    Session.SerialText = Settings.SerialText;
    stepsToSlotList();
    StepPause();
    if (!CheckServer()) return refuse(0);

    if (isCashBookMode(SyoriType)) {
        closeSteps();
        result = DataTusinPipelines.CashBookRun(*this);
        freeOnClose();
        return result;
    }
    if (SyoriType == 8) {
        closeSteps();
        hourglass(false);
        PrepareRun(true);
        setCaptionAndHelp();
        ModalRunner(*this);
        return ReceivedFlag ? 1 : 0;
    }
    return refuse(-1);
}

void TfmDataTusin::PrepareRun(bool run)
{
    RunFlag = run;
    FirstPositioning = false;
    if (SyoriType == 2) DataSentakuProcessResult.clear();
    if (SyoriType != 1 && SyoriType != 2) SetupGridForMode();
}

void TfmDataTusin::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if ((SyoriType == 1 || SyoriType == 2) && FirstActivation) {
        // The slot list is read once the window stands.
        QTimer::singleShot(0, this, [this] {
            if (!FirstActivation) return;
            AuthenticateAndList();
            if (PerfectGrid1->rowCount() == 0) {
                F12->setEnabled(false);
                F5->setEnabled(false);
            } else {
                PerfectGrid1->setCurrentCell(0, tcDataName);
            }
            hourglass(false);
            SetFunctionKeys();
        });
    }
    if (PerfectGrid1->isVisible() && PerfectGrid1->isEnabled()) PerfectGrid1->setFocus(Qt::OtherFocusReason);
}

void TfmDataTusin::AuthenticateAndList()
{
    FirstActivation = false;
    hourglass(false);
    BackupFileName = WorkBackupFile;
    if (SyoriType != 7 && menuCallbackRefuses(false)) return;
    hourglass(true);
    openSteps();
    StepPause();
    setCaptionAndHelp();
    if (!askInUse()) {
        m_transferKeys = false;
        closeSteps();
        hourglass(false);
        SetFunctionKeys();
        return;
    }
    Session.SerialText = Settings.SerialText;
    stepsToSlotList();
    StepPause();
    CheckServer();
    closeSteps();
    hourglass(false);
    SetupGridForMode();
    SetFunctionKeys();
}

bool TfmDataTusin::CheckServer()
{
    TRelayControl control(Settings);
    const TRelayOutcome out = control.CheckServer(Session, CommunicationId(), RelayTrKubun(SyoriType, Edition), IsWarekiDisplay());
    if (out.ok()) return true;
    // Without the slot list there is no file-channel account to work with.
    m_transferKeys = false;
    SetFunctionKeys();
    const bool cursor = m_hourglass;
    hourglass(false);
    ShowErrorMessage(out.Message, out.Detail);
    hourglass(cursor);
    return false;
}

// ---------------------------------------------------------------- the grid

void TfmDataTusin::SetupGridForMode()
{
    try {
        if (Store.LoadDataList(DataList) == 0) return;
    } catch (const std::exception &) {
        return; // reported by the store
    }
    SelectedFolder = SystemDef.DataDir;
    QTableWidget *g = PerfectGrid1;
    const bool server = SyoriType == 8;
    const int rows = server ? 3 : TRelaySession::SlotCount;
    g->clearContents();
    g->setRowCount(rows);
    g->setHorizontalHeaderItem(tcLabel, new QTableWidgetItem(server ? QStringLiteral("処理") : QStringLiteral("No")));
    if (server) {
        g->setColumnWidth(tcLabel, 55);
        g->setColumnWidth(tcDataName, 285);
    }
    const QStringList serverLabels = {QStringLiteral("受信"), QStringLiteral("送信"), QStringLiteral("全送信")};
    for (int r = 0; r < rows; ++r) {
        auto *label = new QTableWidgetItem(server ? serverLabels[r] : QString::number(r + 1));
        label->setTextAlignment(Qt::AlignCenter);
        g->setItem(r, tcLabel, label);
    }

    const TSysDefSettings &o = SystemDef.SysDef;
    QPalette pal = g->palette();
    switch (SyoriType) {
    case 1:
        setWindowTitle(QStringLiteral("データ送信"));
        pal.setColor(QPalette::Highlight, TColorToQColor(o.ActiveColor));
        pal.setColor(QPalette::HighlightedText, TColorToQColor(o.ForeColor));
        setHint(QStringLiteral("［F12］を押すと現在利用中のデータが中継先サーバーの選択したフォルダに送信されます。\r\n\r\n"
                                              "［F5］を押すと中継先サーバーのデータが削除されます。"));
        break;
    case 2:
        setWindowTitle(QStringLiteral("データ受信"));
        pal.setColor(QPalette::Base, TColorToQColor(o.ClientColor));
        pal.setColor(QPalette::Highlight, QColor(187, 217, 255));
        pal.setColor(QPalette::HighlightedText, QColor(0, 64, 128));
        setHint(QStringLiteral("［F12］を押すと選択したデータを受信して、現在利用中のデータに上書きします。\r\n\r\n"
                                              "［F5］を押すと中継先サーバーのデータが削除されます。"));
        break;
    case 8:
        setWindowTitle(QStringLiteral("サーバー確認"));
        F12->hide();
        setHint(QStringLiteral("１行目は現金出納帳から送信されたデータです。　　　２行目はドルベル財務が送信したデータです。\r\n"
                                              "３行目はドルベル財務が送信したマスターデータです。\r\n\r\n"
                                              "［F5］を押すと中継先サーバーのデータが削除されます。"));
        break;
    default:
        break;
    }
    g->setPalette(pal);

    hourglass(true);
    for (int r = 0; r < rows; ++r) {
        const TRelaySlotRec &slot = Session.Slots[size_t(r)];
        if (slot.hasData()) fillRow(r, slot);
    }
    hourglass(false);
}

void TfmDataTusin::setHint(const QString &text)
{
    // The memo shows the long hint of the focused control: the grid carries it.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    PerfectGrid1->setToolTip(QStringLiteral("|") + shown);
    HintArea->setPlainText(shown);
}

void TfmDataTusin::fillRow(int row, const TRelaySlotRec &slot)
{
    auto put = [this, row](int col, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(col == tcNendo || col == tcVersion ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        PerfectGrid1->setItem(row, col, item);
    };
    put(tcDataName, slot.DataName);
    put(tcNendo, slot.FiscalTerm + QStringLiteral("期"));
    put(tcKikan, slot.PeriodStartText.left(10) + QStringLiteral(" ～ ") + slot.PeriodEndText.left(10));
    put(tcSendTime, slot.SendTimeText);
    put(tcReceiveTime, slot.ReceiveTimeText);
    if (!slot.SlotVersion.trimmed().isEmpty()) put(tcVersion, VersionLabel(slot.SlotVersion));
}

void TfmDataTusin::clearRow(int row)
{
    for (int c = tcDataName; c <= tcVersion; ++c) delete PerfectGrid1->takeItem(row, c);
}

// ---------------------------------------------------------------- keys

void TfmDataTusin::SetFunctionKeys()
{
    const QString captions[] = {QStringLiteral("ESC:ｷｬﾝｾﾙ"), QStringLiteral("F1:ヘルプ"), QStringLiteral("F2:"),
                                QStringLiteral("F3:"),        QStringLiteral("F4:"),      QStringLiteral("F5:ﾃﾞｰﾀ削除"),
                                QStringLiteral("F6:"),        QStringLiteral("F7:"),      QStringLiteral("F8:")};
    TxPlButton *keys[] = {ESC, F1, F2, F3, F4, F5, F6, F7, F8};
    for (int k = 0; k < 9; ++k) keys[k]->CaptionA().setCaption(captions[k]);
    F12->CaptionA().setCaption(QStringLiteral("F12:実  行"));
    // Keys without a command stay disabled.
    for (TxPlButton *b : {F2, F3, F4, F6, F7, F8}) b->setEnabled(false);
    const bool rows = PerfectGrid1->rowCount() > 0;
    F5->setEnabled(m_transferKeys && rows);
    const bool pipeline = SyoriType == 1 ? bool(DataTusinPipelines.SendData)
                          : SyoriType == 8 ? false
                                           : bool(DataTusinPipelines.ReceiveData);
    F12->setEnabled(m_transferKeys && rows && pipeline);
}

bool TfmDataTusin::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) return TBSDI::FormKeyUp(key, modifiers);
    TxPlButton *button = nullptr;
    switch (key) {
    case Qt::Key_Escape: button = ESC; break;
    case Qt::Key_F1: button = F1; break;
    case Qt::Key_F2: button = F2; break;
    case Qt::Key_F3: button = F3; break;
    case Qt::Key_F4: button = F4; break;
    case Qt::Key_F5: button = F5; break;
    case Qt::Key_F6: button = F6; break;
    case Qt::Key_F7: button = F7; break;
    case Qt::Key_F8: button = F8; break;
    case Qt::Key_F12: button = F12; break;
    default: return TBSDI::FormKeyUp(key, modifiers);
    }
    if (button->isVisible() && button->isEnabled()) button->click();
    if (isVisible()) SetFunctionKeys();
    return true;
}

void TfmDataTusin::F5Click()
{
    if (SyoriType == 1 || SyoriType == 2)
        DeleteServerData();
    else
        DeleteCashBookServerData(SelectedRow());
    SetFunctionKeys();
}

void TfmDataTusin::F12Click()
{
    if (SyoriType == 8) return;
    const bool send = SyoriType == 1;
    const auto &pipeline = send ? DataTusinPipelines.SendData : DataTusinPipelines.ReceiveData;
    if (!pipeline) return;
    try {
        if (pipeline(*this) != 0) return; // the pipeline said why; the window stays
    } catch (const std::exception &e) {
        setEnabled(true);
        if (!send) {
            F12->setEnabled(true);
            F5->setEnabled(true);
        }
        hourglass(false);
        closeSteps();
        MessageDlg((send ? QStringLiteral("送信処理中にエラーになりました。\r\n") : QStringLiteral("受信処理中にエラーになりました。\r\n")) +
                       className(e) + QStringLiteral(" error , with message : ") + exceptionText(e),
                   TMsgDlgType::mtError, mbOK);
    }
    done(1);
}

// ---------------------------------------------------------------- slot deletion

int TfmDataTusin::DeleteServerData()
{
    const int row = SelectedRow();
    if (row < 0) return 1;
    const QString folder = RelaySlotFolderName(row);
    const QTableWidgetItem *name = PerfectGrid1->item(row, tcDataName);
    if (!name || name->text().trimmed().isEmpty()) {
        MessageDlg(kNoData, TMsgDlgType::mtInformation, mbOK);
        return 1;
    }
    if (MessageDlg(QStringLiteral("　\r\n選択した中継サーバーのデータを削除します。実行しますか？\r\n "), TMsgDlgType::mtConfirmation,
                   mbYes | mbNo) != mrYes)
        return 1;
    xAnimeProgressDialog1->setCaption(QStringLiteral("削除中"));
    xAnimeProgressDialog1->setInfoLabel(QStringLiteral("データ削除中…"));
    xAnimeProgressDialog1->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    xAnimeProgressDialog1->CancelBtnShow = false;
    xAnimeProgressDialog1->Show(this);
    hourglass(true);
    TRelayControl control(Settings);
    const TRelayOutcome out = control.DeleteSlot(Session, AccInf.WEB_HOLDER, folder);
    xAnimeProgressDialog1->Close();
    hourglass(false);
    if (out.ok()) {
        clearRow(row);
        activateWindow();
        MessageDlg(kDeleted, TMsgDlgType::mtInformation, mbOK);
    } else {
        ShowErrorMessage(out.Message, out.Detail);
    }
    return 1;
}

int TfmDataTusin::DeleteCashBookServerData(int index)
{
    if (index < 0 || index > 2) return 0;
    if (SyoriType == 8) {
        const QTableWidgetItem *name = PerfectGrid1->item(index, tcDataName);
        if (!name || name->text().trimmed().isEmpty()) {
            MessageDlg(kNoData, TMsgDlgType::mtInformation, mbOK);
            return 0;
        }
    }
    const QString folder = RelaySlotFolderName(index);
    xAnimeProgressDialog1->setCaption(QStringLiteral("削除中"));
    xAnimeProgressDialog1->setInfoLabel(QStringLiteral("データ削除中…"));
    xAnimeProgressDialog1->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    xAnimeProgressDialog1->CancelBtnShow = false;
    xAnimeProgressDialog1->Show(this);
    hourglass(true);
    TRelayControl control(Settings);
    const TRelayOutcome out = control.DeleteSlot(Session, AccInf.TusinHolder[1], folder);
    xAnimeProgressDialog1->Close();
    hourglass(false);
    if (out.ok()) {
        if (SyoriType == 8) {
            clearRow(index);
            activateWindow();
            MessageDlg(kDeleted, TMsgDlgType::mtInformation, mbOK);
        }
    } else {
        ShowErrorMessage(out.Message, out.Detail);
    }
    return 1;
}

// ---------------------------------------------------------------- closing

void TfmDataTusin::done(int r)
{
    if (m_closing) return;
    m_closing = true;
    closeQuery();
    TBSDI::done(r);
    m_closing = false;
}

void TfmDataTusin::closeQuery()
{
    if (!DM) return;
    bool notify = true;
    if (!DM->IBDatabaseDAT.connected() && !SystemDef.DataDir.isEmpty()) {
        // A receive replaced the company database: it is opened again.
        if (!DM->fnAccDatConnected(QString(), SystemDef.DataDir, true) || !DM->fnGetAccInfo()) {
            MessageDlg(QStringLiteral("　\r\nデータの接続に失敗したため、データ選択画面を開きます。\r\n "), TMsgDlgType::mtWarning, mbOK);
            SystemDef.DataDir.clear();
            notify = false;
        }
    }
    if (notify && DM->IBDatabaseDAT.connected() && !DM->GetOpeDefSisetuCode()) {
        DisconnectOnClose = true;
        notify = false;
    }
    if (notify && DM->IBDatabaseDAT.connected()) {
        if (DataResetProc) DataResetProc(0);
        if (DataInfoProc) {
            DataInfoProc(0, AccInf.SHOUGOU, AccInf.SITEN, DataListPeriodText(AccInf.KISHU, AccInf.KIMATU));
            QString facility;
            DM->GetOpeDefSisetu(facility);
            DataInfoProc(1, facility, AccInf.SITEN, QString());
        }
        if (DataCountProc) {
            DataCountProc(0, 0);
            DataCountProc(1, 0);
        }
    }
    try {
        if (DM->IBTransactionDEF.inTransaction()) DM->IBTransactionDEF.rollback();
    } catch (const std::exception &) {
        // nothing of ours was pending there
    }
}

void TfmDataTusin::FormClose()
{
    TBSDI::FormClose();
    closeSteps();
    if (DisconnectOnClose && DM) DM->fnAccDatDisConnected(QString(), true, false);
}

void RegisterDataTusin()
{
    RegisterProcessClass<TfmDataTusin>(QStringLiteral("QmDataTusin"));
}

namespace {
const bool kRegistered = (RegisterDataTusin(), true);
}
