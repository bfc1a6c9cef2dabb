#include "app/MainForm.h"

#include "comm/z5DataTusin.h"
#include "comm/DataTransfer.h"
#include "comm/CashBookExchange.h"
#include "datasets/DataSentakuList.h"
#include "datasets/Logon.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/DataModule.h"
#include "core/EnvUtils.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "core/Messages.h"
#include "framework/FrameworkMessages.h"
#include "framework/ProcessForm.h"
#include "framework/SDI.h"
#include "framework/WebMenuL.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "framework/xWizard.h"
#include "platform/AtomicFile.h"
#include "platform/CallerChannel.h"
#include "platform/NamedLock.h"
#include "platform/Error.h"
#include "platform/RegistryStore.h"
#include "platform/WriteFailure.h"

#include <QApplication>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

TxPlButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new TxPlButton(parent);
    b->setObjectName(QLatin1String(name));
    b->CaptionA().setCaption(caption);
    b->setFixedSize(110, 28);
    return b;
}

QWidget *makePage(TxWizard *w, const char *name)
{
    auto *p = new QWidget(w);
    p->setObjectName(QLatin1String(name));
    new QVBoxLayout(p);
    w->addWidget(p);
    return p;
}

QPlainTextEdit *makeMemo(QWidget *page, const char *name)
{
    auto *m = new QPlainTextEdit(page);
    m->setObjectName(QLatin1String(name));
    m->setReadOnly(true);
    page->layout()->addWidget(m);
    return m;
}

// The path as the file system finds it: links followed, "." and ".." and
// doubled or trailing delimiters resolved; a last part that does not exist yet
// is kept as written, below its resolved folder.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(platform::AtomicFile::resolveTarget(path));
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty()) return QDir::cleanPath(info.absoluteFilePath());
    return folder == u"/" ? folder + info.fileName() : folder + u'/' + info.fileName();
}

// Whether the resolved path is the folder or lies below it.
bool isInside(const QString &resolved, const QString &folder)
{
    if (folder.trimmed().isEmpty()) return false;
    const QString f = resolvedPath(folder);
    return resolved == f || resolved.startsWith(f.endsWith(u'/') ? f : f + u'/');
}

} // namespace

TForm1::TForm1(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(640, 460);
    Wizard1 = new TxWizard(this);
    Wizard1->setObjectName(QStringLiteral("Wizard1"));

    QWidget *page1 = makePage(Wizard1, "page1");
    Memo1a = makeMemo(page1, "Memo1a");
    Memo1b = makeMemo(page1, "Memo1b");

    QWidget *page2 = makePage(Wizard1, "page2");
    Label2a = new QLabel(page2);
    Label2a->setObjectName(QStringLiteral("Label2a"));
    btnDataSentaku = makeButton(page2, "btnDataSentaku", QStringLiteral("データ選択を開く"));
    listDataInfo = new QTableWidget(0, 2, page2);
    listDataInfo->setObjectName(QStringLiteral("listDataInfo"));
    listDataInfo->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("内容")});
    listDataInfo->verticalHeader()->hide();
    listDataInfo->horizontalHeader()->setStretchLastSection(true);
    listDataInfo->horizontalHeader()->setSectionsClickable(false);
    listDataInfo->setColumnWidth(0, 120);
    listDataInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listDataInfo->setSelectionMode(QAbstractItemView::NoSelection);
    listDataInfo->setFocusPolicy(Qt::NoFocus);
    Label2c = new QLabel(page2);
    Label2c->setObjectName(QStringLiteral("Label2c"));
    for (QWidget *w : {static_cast<QWidget *>(Label2a), static_cast<QWidget *>(btnDataSentaku),
                       static_cast<QWidget *>(listDataInfo), static_cast<QWidget *>(Label2c)})
        page2->layout()->addWidget(w);

    QWidget *page4 = makePage(Wizard1, "page4");
    Label4a = new QLabel(page4);
    Label4a->setObjectName(QStringLiteral("Label4a"));
    Edit4a = new TxEdit(page4);
    Edit4a->setObjectName(QStringLiteral("Edit4a"));
    BitBtn4a = makeButton(page4, "BitBtn4a", QStringLiteral("参照"));
    Label4b = new QLabel(page4);
    Label4b->setObjectName(QStringLiteral("Label4b"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(Edit4a);
    fileRow->addWidget(BitBtn4a);
    static_cast<QVBoxLayout *>(page4->layout())->addWidget(Label4a);
    static_cast<QVBoxLayout *>(page4->layout())->addLayout(fileRow);
    static_cast<QVBoxLayout *>(page4->layout())->addWidget(Label4b);
    static_cast<QVBoxLayout *>(page4->layout())->addStretch();

    QWidget *page5 = makePage(Wizard1, "page5");
    Memo5a = makeMemo(page5, "Memo5a");
    // A short lead on the page's own background; the summary takes the page.
    Memo5a->setMaximumHeight(48);
    Memo5a->setFrameShape(QFrame::NoFrame);
    Memo5a->viewport()->setAutoFillBackground(false);
    Memo5a->setFocusPolicy(Qt::NoFocus);
    Memo5a->setPlainText(QStringLiteral("以下の内容で中間ファイルを作成します。\n作成を始めるには[完了]をクリックしてください。"));
    Memo5b = makeMemo(page5, "Memo5b");
    Memo5b->setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP")));

    Button1 = makeButton(this, "Button1", QStringLiteral("< 戻る(&B)"));
    Button2 = makeButton(this, "Button2", QStringLiteral("次へ(&N) >"));
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("ｷｬﾝｾﾙ"));
    Wizard1->setBackButton(Button1);
    Wizard1->setNextButton(Button2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Wizard1);
    layout->addLayout(buttons);

    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);

    Wizard1->OnNextClicking = [this](QObject *, bool finalState, bool &allow) { Wizard1NextClicking(finalState, allow); };
    Wizard1->OnNextClick = [this](QObject *, bool finalState) { Wizard1NextClick(finalState); };
    connect(Wizard1, &QStackedWidget::currentChanged, this, [this] {
        if (pageName() == u"page2" && listDataInfo->rowCount() == 0) btnDataSentaku->setFocus();
    });
    connect(btnDataSentaku, &TxPlButton::clicked, this, [this] { btnDataSentakuClick(); });
    connect(btnCancel, &TxPlButton::clicked, this, [this] { btnCancelClick(); });
    connect(BitBtn4a, &TxPlButton::clicked, this, [this] { BitBtn4aClick(); });
}

TForm1::~TForm1()
{
    // The last-used values were written as the wizard closed (SaveExportSettings).
    Export.reset();
    m_listCtl.reset();
    MenuCallbackHook = nullptr;
    RunProcessHook = nullptr;
    DataCheckHook = nullptr;
    AnswerCaller(Caller, ResultCode);
}

void AnswerCaller(const CallerInfo &caller, int resultCode)
{
    const platform::CallerChannel channel(caller.handle);
    if (!channel.active()) return;
    channel.enable();
    channel.foreground();
    channel.post(caller.message, caller.number, resultCode);
}

int RunWizardProgram(const QStringList &arguments, const QString &programPath)
{
    // A refusal before the wizard exists still answers a caller that waits.
    auto refuse = [&arguments] {
        CallerInfo caller;
        if (!arguments.isEmpty() && ParseCommandLine({arguments.first()}, caller)) AnswerCaller(caller, 2);
        return 1;
    };
    platform::NamedLock own(QStringLiteral("SOLTEA_RENDO"));
    if (!CheckSingleInstance(own)) return refuse();
    // The application's title is the main window's caption alone: a display
    // name would be appended by the window manager to every dialog's title.
    try {
        // The form answers its caller when it is destroyed, however this block ends.
        TForm1 form;
        if (!form.FormCreate(arguments, programPath)) return 1;
        if (!InitApplication()) return 1;
        form.show();
        return QApplication::exec();
    } catch (const std::exception &e) {
        ShowErrorMessage(QStringLiteral("アプリケーションを強制終了します。"), exceptionText(e));
    }
    return 1;
}

QString TForm1::pageName() const
{
    return Wizard1->currentWidget() ? Wizard1->currentWidget()->objectName() : QString();
}

bool TForm1::FormCreate(const QStringList &arguments, const QString &programPath)
{
    MenuCallbackHook = [](int, const QString &) { return 0; };
    RunProcessHook = [](const QString &name, int mode, const QString &params) { return RunProcess(name, mode, params); };
    RegisterWebMenuL();
    RegisterDataTusin();
    InstallDataTransferPipelines();
    InstallCashBookPipelines();
    DataCheckHook = [this](const QString &host, const QString &dir, int quiet) { return QVariant(CheckDamagedData(host, dir, quiet != 0)); };
    ResultCode = 2;
    Wizard1->setCurrentIndex(0);

    if (!ParseCommandLine(arguments, Caller)) {
        // The first argument may still name a caller waiting for the answer.
        if (!ParseCommandLine({arguments.first()}, Caller)) Caller = CallerInfo();
        MessageDlg(QStringLiteral("不正な引数が渡されました。\r\rアプリケーションを強制終了します。"), TMsgDlgType::mtError, mbOK);
        return false;
    }
    if (Caller.hasCaller()) {
        platform::CallerChannel(Caller.handle).disable();
        Wizard1->removePage(QStringLiteral("page4"));
        Label4a = Label4b = nullptr;
        Edit4a = nullptr;
        BitBtn4a = nullptr;
    }
    const int loaded = LoadAppInfo(programPath, AppInfo);
    if (loaded != 1) {
        const QString text = loaded == 0 ? QStringLiteral("アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。\rアプリケーションを強制終了します。")
                             : loaded == -1 ? QStringLiteral("アプリケーションの設定ファイル(AppInfo.ini)の値を参照できませんでした。\rアプリケーションを強制終了します。")
                                            : QStringLiteral("アプリケーションの設定ファイル(AppInfo.ini)を参照できませんでした。\rアプリケーションを強制終了します。");
        MessageDlg(text, TMsgDlgType::mtError, mbOK);
        return false;
    }
    if (AppInfo.Application.OEM == u"MeridaData") Edition = 1;
    SetFrameworkGlobals(AppInfo);
    Export = std::make_unique<THojinZeiGenkaDataExport>(Caller.number, Caller.file);
    if (!CompareVersion(Export->ProductVersion, QStringLiteral("11.0.0"))) {
        MessageDlg(QStringLiteral("このアプリケーションはインストールされている「") + AppInfo.Rirev.AppTitle +
                       QStringLiteral("」のバージョンに対応していません。\rバージョン:11.0.0以降をインストールしてください。\r\rアプリケーションを強制終了します。"),
                   TMsgDlgType::mtError, mbOK);
        return false;
    }
    DocumentDir = GetMyDocumentsFolder();
    setWindowTitle(Export->Caption);
    const QString p = Export->ProductName, t = Export->TargetName;
    if (Caller.hasCaller()) {
        Memo1a->setPlainText(QStringLiteral("『%1』から『%2』へデータの連動を行います。").arg(p, t));
    } else {
        Memo1a->setPlainText(QStringLiteral("『%1』から『%2』へデータを連動させるための\n中間ファイルを作成します。").arg(p, t));
        Label4a->setText(QStringLiteral("連動先となる『%1』で使用する中間ファイルを指定します。").arg(t));
    }
    Memo1b->setPlainText(QStringLiteral("『%1』が起動している場合は終了してください。\n\n\n作成を始めるには[次へ]をクリックしてください。").arg(p));
    Label2a->setText(QStringLiteral("連動元となる対象データを「データ選択を開く」ボタンを押して指定します。"));
    if (Edit4a) Edit4a->setText(Export->ExportFile);
    return true;
}

void TForm1::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_shown) return;
    m_shown = true;
    QMetaObject::invokeMethod(this, [this] {
        if (!FirstShow()) QCoreApplication::exit(1); // a failed start; the caller gets 2
    }, Qt::QueuedConnection);
}

bool TForm1::FirstShow()
{
    repaint();
    SystemDef.AppDispName = QStringLiteral("ソルテア連動コンポーネント");
    TLogonBox logon;
    const bool ok = logon.Usable && ModalRunner(logon) == 1;
    if (!ok) {
        DM->IBDatabaseDEF.close();
        return false;
    }
    LoggedIn = true;
    if (!DM->fnGetSysDef()) {
        DM->DeleteLogonInfo();
        return false;
    }
    DM->LoadGengo();
    return true;
}

void TForm1::closeEvent(QCloseEvent *e)
{
    if (ResultCode == 2 && e->spontaneous()) ResultCode = 1;
    ReleaseAll();
    QWidget::closeEvent(e);
}

void TForm1::ReleaseAll()
{
    SaveExportSettings();
    if (DataSetOpen) {
        if (!DM->IBDatabaseDAT.connected()) DM->fnAccDatConnected(QString(), QString(), false);
        DM->fnAccDatDisConnected(QString(), true, false);
        DataSetOpen = false;
    }
    if (LoggedIn) {
        if (!DM->IBDatabaseDEF.connected()) DM->fnAccDefConnected(QString(), true);
        DM->DeleteLogonInfo();
        AutoUploadSharedData(sharedAutomatic());
        DM->IBDatabaseDEF.close();
        LoggedIn = false;
    }
}

bool TForm1::SaveExportSettings()
{
    if (!Export || m_settingsSaved) return true;
    m_settingsSaved = true;
    try {
        Export->SaveSettings();
        return true;
    } catch (const std::exception &e) {
        ShowErrorMessage(QStringLiteral("今回指定した内容を次回の初期値として保存できませんでした。"), exceptionText(e),
                         TMsgDlgType::mtWarning);
        return false;
    }
}

void TForm1::btnCancelClick()
{
    if (MessageDlg(QStringLiteral("[キャンセル]ボタンが押されました。\r連動データの作成ウィザードを終了してもよろしいですか？\r"),
                   TMsgDlgType::mtInformation, mbYes | mbNo) == mrYes) {
        ResultCode = 1;
        close();
    }
}

void TForm1::BitBtn4aClick()
{
    if (!Edit4a) return;
    const QString start = QFileInfo::exists(Edit4a->text()) ? Edit4a->text() : DocumentDir + QStringLiteral("/");
    QString chosen = FileChooser::instance().chooseSaveFile(QStringLiteral("中間ﾌｧｲﾙの指定"), start,
                                                            QStringLiteral("中間ﾌｧｲﾙ (*.xml *.XML);;すべてのﾌｧｲﾙ(*.*) (*)"));
    if (chosen.isEmpty()) return;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".xml");
    Edit4a->setText(chosen);
}

int TForm1::CheckDamagedData(const QString &host, const QString &dataDir, bool quiet)
{
    SystemDef.DataDamaged = false;
    const QString db = ExcludePathDelim(dataDir) + u'/' + Product.DataFile;
    // The validation tells damage apart from a database that another
    // attachment holds or that the engine cannot reach: only damage fails it.
    const bool remote = !host.isEmpty() && host != u"127.0.0.1" && ConnectMode != 0;
    const bool ok = DM && (remote ? DM->ValidateDatabase(TDM::ProtocolTcp, host, db)
                                  : DM->ValidateDatabase(TDM::ProtocolLocal, QString(), db));
    if (ok) return 1;
    SystemDef.DataDamaged = true;
    if (!quiet)
        MessageDlg(QStringLiteral("データ検証の結果、このデータは破損している恐れがあります。\rデータのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。\r"
                                  "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。"),
                   TMsgDlgType::mtError, mbOK);
    try {
        int rec = 0, child = 0;
        DM->GetDataListRec(dataDir, rec, child);
        listCtl().markDamaged(rec, child);
        TDataInfomation info;
        info.ConnectMode = ConnectMode;
        info.SetDataStatus(dataDir, 10);
    } catch (...) {
    }
    return 0;
}

// ---------------------------------------------------------------- data choice

void TForm1::btnDataSentakuClick()
{
    if (DataSetOpen) {
        DM->fnAccDatDisConnected(QString(), true, false);
        DataSetOpen = false;
        AutoUploadSharedData(sharedAutomatic());
    }
    if (SelectAndConnectData(3, 1) == 1) {
        listDataInfo->setRowCount(0);
        addDataInfo(QStringLiteral("データ区分"), AccInf.CodeTypeName.isEmpty()
                                                 ? AccInf.DataTypeName
                                                 : QStringLiteral("%1／%2").arg(AccInf.DataTypeName, AccInf.CodeTypeName));
        if (AccInf.DATATYPE == 1) addDataInfo(QStringLiteral("会社名"), AccInf.SHOUGOU);
        if (AccInf.DATATYPE == 2) addDataInfo(QStringLiteral("データ名"), AccInf.SHOUGOU);
        addDataInfo(QStringLiteral("会計年度"), QStringLiteral("%1期").arg(AccInf.NENDO));
        QString period;
        FormatKikan(period, AccInf.KISHU, AccInf.KIMATU);
        addDataInfo(QStringLiteral("会計期間"), period);
    }
    if (SystemDef.DataDir.trimmed().isEmpty()) listDataInfo->setRowCount(0);
}

void TForm1::addDataInfo(const QString &name, const QString &value)
{
    const int row = listDataInfo->rowCount();
    listDataInfo->insertRow(row);
    listDataInfo->setItem(row, 0, new QTableWidgetItem(name));
    listDataInfo->setItem(row, 1, new QTableWidgetItem(value));
}

QStringList TForm1::dataInfoLines() const
{
    QStringList lines;
    for (int i = 0; i < listDataInfo->rowCount(); ++i)
        lines << listDataInfo->item(i, 0)->text() + u'=' + listDataInfo->item(i, 1)->text();
    return lines;
}

int TForm1::SelectAndConnectData(int syoriType, int selection)
{
    m_previousDataDir = SystemDef.DataDir;
    bool firstPass = true;
    auto ask = [](const QString &text) {
        return MessageDlg(text, TMsgDlgType::mtConfirmation, mbOK | mbCancel) == mrOk;
    };
    for (;;) {
        const QString params = QStringList{QStringLiteral("SyoriType=%1").arg(syoriType), QStringLiteral("JyokenSet=%1").arg(selection),
                                           QStringLiteral("DataType=%1").arg(-13), QStringLiteral("CodeType=%1").arg(0),
                                           QStringLiteral("DataVerMajor=") + Export->DataMajorVersion}
                                   .join(u'\r');
        const int result = RunProcessHook ? RunProcessHook(QStringLiteral("QmDataSenkaku"), 1, params) : -1;
        const bool accepted = result == 1;
        if (!accepted && !firstPass) SystemDef.DataDir = m_previousDataDir;
        // Only an empty folder ends the road here: a cancelled screen leaves a
        // folder behind (the one chosen before), which is opened again, since
        // the data set held before the click has been released.
        if (SystemDef.DataDir.trimmed().isEmpty()) return accepted ? 1 : 0;

        // A data set of a shared server is worked on in its local folder.
        QString listed;
        int kyoyuLock = 0, netDrive = 0;
        if (!listCtl().ConvLocalPathToSharePath(SystemDef.DataDir, listed, kyoyuLock, netDrive)) {
            if (!ask(QStringLiteral("共有データパスの変換に失敗しました。\rデータ選択画面を開き、選択しなおしますか？\r"))) {
                SystemDef.DataDir.clear();
                return 0;
            }
            SystemDef.DataDir = m_previousDataDir;
            continue;
        }
        if (AutoDownloadSharedData(sharedAutomatic()) != 1) {
            SystemDef.DataDir = m_previousDataDir;
            continue;
        }

        showProgress(QStringLiteral("接続中"), QStringLiteral("会計データに接続中です…"));
        bool failed = false;
        QString question;
        DataSetOpen = DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, true);
        if (!DataSetOpen || !DM->fnGetAccInfo()) {
            question = QStringLiteral("データの接続に失敗しました。\rデータ選択画面を開き、別のデータを選択しますか？\r");
            failed = true;
        } else if (!DM->fnGetExistsOpeDefSisetu()) {
            question = QStringLiteral("このデータを扱う権限がありません。\rデータ選択画面を開き、別のデータを選択しますか？\r");
            failed = true;
        } else {
            QString version;
            DM->fnGetDataBaseVer(version);
            if (!CompareVersion(version, QStringLiteral("11.0.0"))) {
                question = QStringLiteral("このプログラムで処理できるデータバージョンに達していません。\rデータバージョン:11.0.0以降のデータを選択して下さい。\r\r"
                                          "データ選択画面を開き、別のデータを選択しますか？\r");
                failed = true;
            }
        }
        xAnimeProgressDialog1->Close();
        if (!failed) return accepted ? 1 : 0;
        if (DataSetOpen) {
            DM->fnAccDatDisConnected(QString(), true, false);
            DataSetOpen = false;
        }
        // A fetched shared data set goes back to its server once it is closed.
        AutoUploadSharedData(sharedAutomatic());
        if (!ask(question)) {
            SystemDef.DataDir.clear();
            return 0;
        }
        firstPass = false;
    }
}

TDataSentakuListCtl &TForm1::listCtl()
{
    if (!m_listCtl) {
        m_listCtl = std::make_unique<TDataSentakuListCtl>();
        m_listCtl->ConnectMode = quint8(ConnectMode);
    }
    return *m_listCtl;
}

bool TForm1::sharedAutomatic() const { return SystemDef.SysDef.KyoyuDataAuto != 0; }

void TForm1::showProgress(const QString &caption, const QString &info)
{
    xAnimeProgressDialog1->setCaption(caption);
    xAnimeProgressDialog1->setInfoLabel(info);
    xAnimeProgressDialog1->CancelBtnShow = false;
    xAnimeProgressDialog1->Show(this);
}

int TForm1::AutoDownloadSharedData(bool automatic)
{
    if (ConnectMode != 0) return 1;
    QString listed;
    int kyoyuLock = 0, netDrive = 0;
    if (!listCtl().ConvLocalPathToSharePath(SystemDef.DataDir, listed, kyoyuLock, netDrive)) {
        MessageDlg(QStringLiteral("共有データパスの変換に失敗しました。データ選択画面を開きます。"), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    if (netDrive != 1 || kyoyuLock != 0) return 1;
    if (!automatic) {
        MessageDlg(QStringLiteral("このデータは共有取得が行われていません。データ選択画面を開きます。"), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    showProgress(QStringLiteral("共有データ受信中"), QStringLiteral("共有データから受信中…"));
    TDataSentakuRec rec;
    int result = 0;
    try {
        listCtl().GetDataListRecordByPath(SystemDef.DataDir, rec);
        result = listCtl().KyoyuDataDown(rec, true);
    } catch (const platform::Error &e) {
        xAnimeProgressDialog1->Close();
        MessageDlg(e.message(), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    xAnimeProgressDialog1->Close();
    if (result == -1) return -1;
    if (result == 1 && QFileInfo::exists(ExcludePathDelim(SystemDef.DataDir) + u'/' + Product.DataFile)) return 1;
    // The folder is offered again as it is listed; a path is never stored upper-cased.
    m_previousDataDir = rec.LocalPath;
    MessageDlg(QStringLiteral("共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。\r"
                              "共有データパス: ") + listed,
               TMsgDlgType::mtInformation, mbOK);
    return 0;
}

int TForm1::AutoUploadSharedData(bool automatic)
{
    if (ConnectMode != 0 || SystemDef.DataDir.trimmed().isEmpty()) return 1;
    if (SystemDef.DataDamaged) return 0;
    if (!automatic) return 1;
    QString listed;
    int kyoyuLock = 0, netDrive = 0;
    if (!listCtl().ConvLocalPathToSharePath(SystemDef.DataDir, listed, kyoyuLock, netDrive)) {
        MessageDlg(QStringLiteral("共有データパスの変換に失敗しました。共有データの自動保管は行えませんでした。"), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
    if (netDrive != 1 || kyoyuLock != 1) return 1;
    showProgress(QStringLiteral("共有データ送信中"), QStringLiteral("共有データへ送信中…"));
    try {
        TDataSentakuRec rec;
        listCtl().GetDataListRecordByPath(SystemDef.DataDir, rec);
        bool damaged = CheckDataByHook(SystemDef.HostName, rec.LocalPath, 0, 1) == 0;
        for (const TDataListRec &child : rec.ChildRows)
            if (!damaged && CheckDataByHook(SystemDef.HostName, child.LocalPath, 0, 1) == 0) damaged = true;
        if (damaged) {
            xAnimeProgressDialog1->Close();
            MessageDlg(QStringLiteral("合算・分散データに破損したデータが存在するため、共有データの自動保管を中止します。\r"
                                      "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。"),
                       TMsgDlgType::mtInformation, mbOK);
            return 0;
        }
        const int result = listCtl().KyoyuDataUp(rec, true);
        xAnimeProgressDialog1->Close();
        return result;
    } catch (const platform::Error &e) {
        xAnimeProgressDialog1->Close();
        MessageDlg(e.message(), TMsgDlgType::mtWarning, mbOK);
        return 0;
    }
}

bool TForm1::CheckDataSelected()
{
    if (SystemDef.DataDir.isEmpty() || listDataInfo->rowCount() == 0) {
        MessageDlg(QStringLiteral("会計データの選択が行われていません。\r「データ選択を開く」ボタンを押して選択して下さい。"),
                   TMsgDlgType::mtWarning, mbOK);
        btnDataSentaku->setFocus();
        return false;
    }
    prepareExportFromCompany(*Export, SystemDef.DataDir, AccInf);
    return true;
}

// ---------------------------------------------------------------- pages and the run

void TForm1::Wizard1NextClicking(bool, bool &allowChange)
{
    const QString page = pageName();
    allowChange = true;
    if (page == u"page2") {
        allowChange = CheckDataSelected();
        if (allowChange && Caller.hasCaller()) BuildSummary();
    } else if (page == u"page4" && Edit4a) {
        QString path = Edit4a->text().trimmed();
        if (path == u"~" || path.startsWith(QStringLiteral("~/"))) {
            path = QDir::homePath() + path.mid(1);
            Edit4a->setText(path);
        }
        const QFileInfo info(path);
        if (path.isEmpty() || info.fileName().isEmpty()) {
            refuseFilePage(QStringLiteral("中間ﾌｧｲﾙが指定されていません。\r指定してから[次へ]をｸﾘｯｸしてください。\r"));
            allowChange = false;
            return;
        }
        // The root of the system drive does not take files.
        if (GetWinMajorVersion() >= 6 && info.path() == u"/" && path.contains(u'/')) {
            refuseFilePage(QStringLiteral("ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(%1)直下にﾌｧｲﾙは指定できません。\r別のﾄﾞﾗｲﾌﾞまたはﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。\r")
                               .arg(QStringLiteral("/")));
            allowChange = false;
            return;
        }
        // Refused here, the file cannot end the run (and the wizard) later.
        if (checkExportFile(path).isEmpty()) {
            allowChange = false;
            return;
        }
        if (!TComDataExport::CanRememberFile(path))
            MessageDlg(QStringLiteral("指定された中間ﾌｧｲﾙのﾊﾟｽには、Soltea.iniに保存できない文字が含まれています。\r"
                                      "ﾌｧｲﾙは作成できますが、次回の初期値としては記憶されません。\r"),
                       TMsgDlgType::mtInformation, mbOK);
        BuildSummary();
    }
}

void TForm1::refuseFilePage(const QString &text)
{
    MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
    TxWizard::setButtonCaption(Button2, Wizard1->NextButtonCap);
}

QString TForm1::exportTargetRefusal(const QString &path)
{
    const QString target = resolvedPath(path);
    const QString shown = QStringLiteral("\r%1\r").arg(path);

    // The databases: any Firebird file, and the files the data module has open.
    const QString suffix = QFileInfo(target).suffix();
    bool database = suffix.compare(QStringLiteral("fdb"), Qt::CaseInsensitive) == 0 ||
                    suffix.compare(QStringLiteral("gdb"), Qt::CaseInsensitive) == 0;
    if (DM && !database) {
        for (const FbDatabase *db : {&DM->IBDatabaseDEF, &DM->IBDatabaseDAT, &DM->IBDatabaseZEN, &DM->IBFileMan}) {
            QString host, file;
            SplitDatabaseName(db->DatabaseName, host, file);
            if (!file.isEmpty() && resolvedPath(file) == target) database = true;
        }
    }
    if (database) return QStringLiteral("指定されたﾌｧｲﾙはﾃﾞｰﾀﾍﾞｰｽのﾌｧｲﾙのため、中間ﾌｧｲﾙには指定できません。") + shown;

    // The files the program keeps: its ini files, the registry store, the logs.
    QStringList ownFiles{SystemDef.AppIniFile, platform::RegistryStore::storePath()};
    if (Export) ownFiles << Export->SettingsFile();
    QStringList ownFolders{SystemDef.LogDir, SystemDef.IniDir};
    if (Export) ownFolders << Export->SettingsIniDir;
    bool own = false;
    for (const QString &f : ownFiles)
        if (!f.trimmed().isEmpty() && resolvedPath(f) == target) own = true;
    for (const QString &f : ownFolders)
        if (isInside(target, f)) own = true;
    if (own) return QStringLiteral("指定されたﾌｧｲﾙはｱﾌﾟﾘｹｰｼｮﾝが使用するﾌｧｲﾙのため、中間ﾌｧｲﾙには指定できません。") + shown;

    // The data root and every data folder of the list (each holds a database
    // and its information file).
    QStringList dataFolders{SystemDef.DataRootDir, SystemDef.SysDir, SystemDef.DataDir};
    if (DM && DM->IBDatabaseDEF.connected()) {
        TDataSentakuListCtl list;
        list.ConnectMode = quint8(ConnectMode);
        list.Execute(0, false);
        for (TDataSentakuRec &rec : list.Recs) {
            dataFolders << list.GetDataFolderPath(rec);
            for (TDataListRec &child : rec.ChildRows) dataFolders << list.GetDataFolderPath(child);
        }
    }
    for (const QString &f : dataFolders)
        if (isInside(target, f))
            return QStringLiteral("指定されたﾌｫﾙﾀﾞは会計ﾃﾞｰﾀのﾌｫﾙﾀﾞのため、中間ﾌｧｲﾙを作成できません。") + shown;
    return QString();
}

QString TForm1::checkExportFile(const QString &typed)
{
    const QString path = typed.contains(u'/') ? typed : DocumentDir + u'/' + typed;
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    const QString again = QStringLiteral("別のﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。\r");
    if (!QFileInfo(folder).isDir()) {
        refuseFilePage(QStringLiteral("指定されたﾌｫﾙﾀﾞが見つかりません。\r%1\r").arg(folder) + again);
        return QString();
    }
    if (file.isDir()) {
        refuseFilePage(QStringLiteral("指定された中間ﾌｧｲﾙはﾌｫﾙﾀﾞです。\r%1\r").arg(path) +
                       QStringLiteral("ﾌｧｲﾙ名を指定してから[次へ]をｸﾘｯｸしてください。\r"));
        return QString();
    }
    // The file replaces whatever has its name: never a database or a file the program works with.
    const QString refusal = exportTargetRefusal(path);
    if (!refusal.isEmpty()) {
        refuseFilePage(refusal + again);
        return QString();
    }
    // The file is written beside itself and renamed over: the folder must take a new file.
    try {
        platform::AtomicFile probe(path);
        probe.open();
        probe.discard();
    } catch (const platform::WriteError &e) {
        refuseFilePage(QStringLiteral("指定されたﾌｫﾙﾀﾞにはﾌｧｲﾙを書き込めません。(%1)\r%2\r").arg(platform::writeFailureReason(e.errnum()), folder) +
                       again);
        return QString();
    }
    return path;
}

void TForm1::keyPressEvent(QKeyEvent *e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && Button2->isVisible() && Button2->isEnabled()) {
        Button2->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TForm1::BuildSummary()
{
    QStringList lines{QStringLiteral("【連動元情報】"), QStringLiteral(" 会社名        : %1").arg(Export->KomonsakiName)};
    lines << (Export->Nendo > 0 ? QStringLiteral(" 会計年度      : %1 期").arg(Export->Nendo) : QStringLiteral(" 会計年度      : - 期"));
    QString from, to;
    FormatWarekiDateKanji(QStringLiteral("yyyy年m月d日"), 1, from, Export->JigyouNendoFrom.date());
    FormatWarekiDateKanji(QStringLiteral("yyyy年m月d日"), 1, to, Export->JigyouNendoTo.date());
    lines << QStringLiteral(" 会計期間      : %1 ～ %2").arg(from, to);
    if (!Caller.hasCaller() && Edit4a) {
        Export->ExportFile = Edit4a->text().trimmed();
        const bool hasFolder = Export->ExportFile.contains(u'/');
        lines << QString() << QStringLiteral("【中間ﾌｧｲﾙ】")
              << (hasFolder ? QStringLiteral(" %1").arg(Export->ExportFile) : QStringLiteral(" %1/%2").arg(DocumentDir, Export->ExportFile));
    }
    Memo5b->setPlainText(lines.join(u'\n'));
}

int TForm1::ExecuteExport()
{
    QString path = Export->ExportFile;
    if (!path.contains(u'/')) path = DocumentDir + u'/' + path;
    // A caller's file is checked here, as the file page checks a typed one.
    const QString refusal = exportTargetRefusal(path);
    if (!refusal.isEmpty()) {
        xAnimeProgressDialog1->PlayAnime(false);
        MessageDlg(refusal, TMsgDlgType::mtError, mbOK);
        return 4;
    }
    try {
        WriteIntermediateFile(*Export, path);
        return 1;
    } catch (const EDataExportError &e) {
        xAnimeProgressDialog1->PlayAnime(false);
        const QString text = e.message() + u'\r' + e.Place + u'\r';
        if (e.Code == 16 || e.Code == 6) {
            MessageDlg(text, TMsgDlgType::mtInformation, mbOK);
            return 3;
        }
        MessageDlg(text, TMsgDlgType::mtError, mbOK);
        return 4;
    }
}

void TForm1::Wizard1NextClick(bool finalState)
{
    if (!finalState) return;
    showProgress(QStringLiteral("連動データの作成中"), QStringLiteral("連動データの作成中です…"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int run = 4;
    QString unexpected;
    try {
        run = ExecuteExport();
    } catch (const std::exception &e) {
        unexpected = exceptionText(e);
    }
    QApplication::restoreOverrideCursor();
    xAnimeProgressDialog1->Close();
    if (run == 1) {
        if (!Caller.hasCaller()) MessageDlg(QStringLiteral("中間ファイルが作成されました。\r"), TMsgDlgType::mtInformation, mbOK);
        ResultCode = 0;
        close();
    } else if (run == 3) {
        ResultCode = 1;
    } else {
        MessageDlg(QStringLiteral("中間ファイルの作成に失敗しました。\r"), TMsgDlgType::mtError, mbOK);
        ResultCode = 2;
        if (!unexpected.isEmpty()) ShowErrorMessage(unexpected, QString());
        close();
    }
}
