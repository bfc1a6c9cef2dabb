#include "datasets/Logon.h"

#include "datasets/AppIniCreate.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "framework/WindowUtils.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "dbaccess/LogonStore.h"
#include "core/Messages.h"
#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

const QString kWrongCode = QStringLiteral("コードまたはパスワードが違います。\r正しいコードまたはパスワードを入力して下さい。");

TxPlButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new TxPlButton(parent);
    b->setObjectName(QLatin1String(name));
    b->CaptionA().setCaption(caption);
    b->setFixedSize(96, 28);
    return b;
}

} // namespace

TLogonBox::TLogonBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("LogonBox"));
    setWindowTitle(QStringLiteral("ログイン"));
    GroupMode = ConnectMode == 2 && SystemDef.GroupFlag;

    Label1 = new QLabel(QStringLiteral("%1 を利用するには、").arg(SystemDef.AppDispName), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(GroupMode ? QStringLiteral("グループ、オペレータコードとパスワードを入力して下さい。")
                                  : QStringLiteral("オペレータコードとパスワードを入力して下さい。"),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(QStringLiteral("グループ:"), this);
    Label4->setObjectName(QStringLiteral("Label4"));

    const auto digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    txtGroupID = new TxEdit(this);
    txtGroupID->setObjectName(QStringLiteral("txtGroupID"));
    txtGroupID->setMaxLength(16);
    txtGroupID->setEchoMode(QLineEdit::Password);
    txtGroupID->setValidator(digits);
    txtOpCode = new TxEdit(this);
    txtOpCode->setObjectName(QStringLiteral("txtOpCode"));
    txtOpCode->setMaxLength(9);
    txtOpCode->setValidator(digits);
    txtOpCode->ImeMode = TImeMode::imDisable;
    txtOpCode->setToolTip(QStringLiteral("オペレータコードを入力します。"));
    txtPassword = new TxEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setMaxLength(16);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setToolTip(QStringLiteral("パスワードを入力します。"));

    grpMode = new QGroupBox(this);
    grpMode->setObjectName(QStringLiteral("grpMode"));
    btnSA = new TxRadioButton(QStringLiteral("スタンドアロン"), grpMode);
    btnSA->setObjectName(QStringLiteral("btnSA"));
    btnCS = new TxRadioButton(QStringLiteral("クライアント(C/S)"), grpMode);
    btnCS->setObjectName(QStringLiteral("btnCS"));
    btnServerSettei = makeButton(grpMode, "btnServerSettei", QStringLiteral("サーバー設定"));
    btnServerSettei->setToolTip(QStringLiteral("データサーバーの情報を設定します。"));
    auto *modeLayout = new QHBoxLayout(grpMode);
    modeLayout->addWidget(btnSA);
    modeLayout->addWidget(btnCS);
    modeLayout->addWidget(btnServerSettei);

    OKBtn = makeButton(this, "OKBtn", QStringLiteral("OK"));
    CancelBtn = makeButton(this, "CancelBtn", QStringLiteral("キャンセル"));
    CancelBtn->setCancel(true);
    CancelBtn->setModalResult(2);

    auto *grid = new QGridLayout;
    grid->addWidget(Label4, 0, 0);
    grid->addWidget(txtGroupID, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("オペレータコード:"), this), 1, 0);
    grid->addWidget(txtOpCode, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("パスワード:"), this), 2, 0);
    grid->addWidget(txtPassword, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addLayout(grid);
    layout->addWidget(grpMode);
    layout->addLayout(buttons);

    if (!GroupMode) {
        Label4->hide();
        txtGroupID->hide();
    }
    connect(btnSA, &QRadioButton::toggled, this, [this] { btnSAClick(); });
    connect(btnCS, &QRadioButton::toggled, this, [this] { btnSAClick(); });
    if (TAppIniSettings::ReadConnectMode() != 0) btnCS->setChecked(true);
    else btnSA->setChecked(true);
    if (ConnectMode == 2 || Edition == 2) {
        grpMode->hide();
        btnSA->setChecked(true);
    }
    connect(OKBtn, &TxPlButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &TxPlButton::clicked, this, [] {});
    connect(btnServerSettei, &TxPlButton::clicked, this, &TLogonBox::ShowServerSettings);
    // Enter in the password goes to OK (the key style would pass it on to the mode buttons).
    txtPassword->KeyStyles &= ~KeyStyleBit(TKeyStyle::ksEnter);
    connect(txtPassword, &QLineEdit::returnPressed, this, [this] { OKBtn->setFocus(); });
    EndButton = OKBtn;

    // The dialog keeps the size of its contents, whatever the window manager
    // makes of a first mapping at another size.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    OptionalMenu = platform::IniFile(SystemDef.AppIniFile).readString(QStringLiteral("VARiMOX"), QStringLiteral("BETA_USER"), QStringLiteral("FALSE")) == u"TRUE";
    Usable = true;
    CreateDone = true;
}

void TLogonBox::ShowServerSettings()
{
    TAppIniCreateBox box(this);
    if (box.Usable) ModalRunner(box);
}

void TLogonBox::FormShow()
{
    TBSDI::FormShow();
    btnServerSettei->setEnabled(btnCS->isChecked());
    (GroupMode ? txtGroupID : txtOpCode)->setFocus();
    ForceForegroundWindow(this);
}

void TLogonBox::btnSAClick()
{
    if (ConnectMode != 2) ConnectMode = btnCS->isChecked() ? 1 : 0;
    btnServerSettei->setEnabled(btnCS->isChecked());
}

int TLogonBox::GetConnectMode() const
{
    if (ConnectMode == 2) return 2;
    return btnCS->isChecked() ? 1 : 0;
}

bool TLogonBox::ConnectSystemDatabase()
{
    DM->IBDatabaseDEF.close();
    try {
        return DM->fnAccDefConnected(SystemDef.HostName, false);
    } catch (const FbError &e) {
        QString text;
        if (e.errorCode() == 335544344 || e.errorCode() == 335544721) {
            text = QStringLiteral("ログイン処理に失敗しました。以下の理由が考えられます。\r");
            if (ConnectMode == 0)
                text += QStringLiteral("１）データファイルが見つからない。\r２）別のプロセスがデータファイルを使用中。");
            else
                text += QStringLiteral("１）サーバー上でFireBirdサービスが起動しているか確認して下さい。\r"
                                       "２）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。\r"
                                       "３）Windowsファイヤーウォール(市販のセキュリティソフト含む)が有効の場合は、"
                                       "このアプリケーションがサーバーと通信できる状態か確認して下さい。");
        } else {
            text = QStringLiteral("財務システムデータベースの接続処理に失敗しました。\r[例外内容]\r(IBXエラーコード:%1) %2")
                       .arg(e.errorCode())
                       .arg(GetIBErrorText(e.errorCode(), e.sqlCode()));
        }
        MessageDlg(text, TMsgDlgType::mtInformation, mbOK);
    } catch (const std::exception &e) {
        MessageDlg(QStringLiteral("財務システムデータベースの接続処理に失敗しました。\r[例外内容]\r") +
                       (exceptionText(e)),
                   TMsgDlgType::mtInformation, mbOK);
    }
    return false;
}

void TLogonBox::ReadOperatorInfo(int loginCode)
{
    logonstore::readOperatorInfo(loginCode);
}

void TLogonBox::ReadOperatorRights(int loginCode)
{
    logonstore::readOperatorRights(loginCode);
}

void TLogonBox::OKBtnClick()
{
    const int mode = GetConnectMode();
    try {
        TAppIniSettings::ReadServerSettings(mode);
    } catch (const std::exception &) {
        MessageDlg(QStringLiteral("iniファイルよりデータベース情報の取得に失敗しました。"), TMsgDlgType::mtError, mbOK);
        return;
    }
    if (GroupMode) {
        bool ok = false;
        const int g = txtGroupID->text().toInt(&ok);
        SystemDef.GroupNo = (ok && g <= 99999) ? g : 0;
    }
    bool ok = false;
    const int code = txtOpCode->text().toInt(&ok);
    if (!ok || code < 10) {
        MessageDlg(kWrongCode, TMsgDlgType::mtError, mbOK);
        txtOpCode->setFocus();
        return;
    }
    if (mode == 1 || mode == 2) {
        const QString hint = mode == 1 ? QStringLiteral("[サーバー設定]ボタンを押して正しい情報を入力して下さい。")
                                       : QStringLiteral("[データサーバーの設定]を起動し正しい情報を入力して下さい。");
        if (SystemDef.HostName.isEmpty()) {
            MessageDlg(QStringLiteral("データサーバーのコンピュータ名が設定されていません。\r") + hint, TMsgDlgType::mtError, mbOK);
            return;
        }
        if (SystemDef.SysDir.isEmpty()) {
            MessageDlg(QStringLiteral("データサーバー上のデータパスが設定されていません。\r") + hint, TMsgDlgType::mtError, mbOK);
            return;
        }
    }
    ConnectMode = quint8(mode);
    if (!ConnectSystemDatabase()) return;

    try {
        SystemDef.OpCode = 0;
        const logonstore::LogonTestResult r = logonstore::logonUserTest(SystemDef.PcName, SystemDef.GroupNo, code, txtPassword->text());
        if (r.Num == -1) {
            MessageDlg(kWrongCode, TMsgDlgType::mtError, mbOK);
            txtOpCode->setFocus();
            return;
        }
        if (r.Num == -3) {
            MessageDlg(QStringLiteral("指定したユーザーは既にシステムへログインしているため、ログインできませんでした。"), TMsgDlgType::mtError, mbOK);
            return;
        }
        if (r.Num != 0 && r.Num != 1) return;
        SystemDef.OpCode = SystemDef.GroupNo * 10000 + r.LoginCode;
        SystemDef.LoginNo = r.LoginCode;
        SystemDef.OpLevel = r.JobLevel;
        logonstore::readOperator(r.LoginCode);
        if (Edition == 2) {
            SystemDef.OpLevel = 0;
            SystemDef.Jimusho = false;
        }
        // Paths have no drive here: the server's data folder is the identity's one.
        SystemDef.ServerWorkDir = mode == 0 ? QString() : NativePath(AppInfo.Rirev.ServerDir);
        TAppIniSettings::SaveConnectMode(mode);
        done(1);
    } catch (const std::exception &e) {
        const QString text = QStringLiteral("ログイン処理に失敗しました。\r%1を終了します。").arg(SystemDef.AppDispName);
        if (const auto *db = dynamic_cast<const FbError *>(&e)) {
            // The handler logs and shows the database error first.
            ShowIBError(*db, QStringLiteral("TLogonBox.OKBtnClick"), QString(), true);
            MessageDlg(text, TMsgDlgType::mtError, mbOK);
        } else {
            ShowErrorMessage(text, exceptionText(e));
        }
        done(2);
    }
}

bool TLogonBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // Ctrl with X and M switches the optional file-creation menu.
    if ((modifiers & Qt::ControlModifier) && key == Qt::Key_X) m_xDown = true;
    else if ((modifiers & Qt::ControlModifier) && key == Qt::Key_M && m_xDown) {
        m_xDown = false;
        toggleVarimox();
        return true;
    } else if (!(modifiers & Qt::ControlModifier)) {
        m_xDown = false;
    }
    return TBSDI::FormKeyUp(key, modifiers);
}

void TLogonBox::toggleVarimox()
{
    if (TAppIniSettings::ApplicationKind != 0) return;
    try {
        platform::IniFile ini(SystemDef.AppIniFile);
        if (OptionalMenu) {
            OptionalMenu = false;
            ini.eraseSection(QStringLiteral("VARiMOX"));
            MessageDlg(QStringLiteral("VARiMOX用のファイル作成機能を無効にしました。"), TMsgDlgType::mtInformation, mbOK);
        } else {
            OptionalMenu = true;
            ini.writeString(QStringLiteral("VARiMOX"), QStringLiteral("BETA_USER"), QStringLiteral("TRUE"));
            MessageDlg(QStringLiteral("VARiMOX用のファイル作成機能が有効になりました。\rファイル作成メニューは、「拡張機能」カテゴリーの中に追加されています。"),
                       TMsgDlgType::mtInformation, mbOK);
        }
    } catch (...) {
    }
}
