#include "datasets/AppIniCreate.h"

#include "dbaccess/AppInfo.h"
#include "core/FileUtils.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

int TAppIniSettings::ApplicationKind = 0;

namespace {

QString yesNo(bool b) { return b ? QStringLiteral("YES") : QStringLiteral("NO"); }

} // namespace

QString TAppIniSettings::SectionOf(int mode)
{
    switch (mode) {
    case 1: return QStringLiteral("SERVER");
    case 2: return QStringLiteral("SBC");
    default: return QStringLiteral("LOCAL");
    }
}

bool TAppIniSettings::WriteIniFile(bool reset)
{
    platform::IniFile ini(SystemDef.AppIniFile);
    TSystemDef &r = SystemDef;
    if (reset) {
        if (ConnectMode == 0) r.HostName.clear();
        ini.eraseSection(QStringLiteral("DATABASE"));
        ini.eraseSection(QStringLiteral("MAINFORM"));
        const QString app = QStringLiteral("APPLICATION");
        ini.writeString(app, QStringLiteral("TOP"), QStringLiteral("0"));
        ini.writeString(app, QStringLiteral("LEFT"), QStringLiteral("0"));
        ini.writeString(app, QStringLiteral("WIDTH"), QStringLiteral("1024"));
        ini.writeString(app, QStringLiteral("HEIGHT"), QStringLiteral("738"));
        ini.writeString(app, QStringLiteral("CONNECT"), QStringLiteral("0"));
        const QString local = QStringLiteral("LOCAL");
        ini.writeString(local, QStringLiteral("HOSTNAME"), r.HostName);
        ini.writeString(local, QStringLiteral("GOGLOBAL"), yesNo(r.GoGlobal));
        ini.writeString(local, QStringLiteral("GROUP"), yesNo(r.GroupFlag));
        ini.writeString(local, QStringLiteral("SYSDIR"), r.SysDir);
        ini.writeString(local, QStringLiteral("USER"), r.DbUser);
        ini.writeString(local, QStringLiteral("PASSWORD"), r.DbPassword);
        const QString server = QStringLiteral("SERVER");
        ini.writeString(server, QStringLiteral("HOSTNAME"), QString());
        ini.writeString(server, QStringLiteral("GOGLOBAL"), QStringLiteral("NO"));
        ini.writeString(server, QStringLiteral("GROUP"), QStringLiteral("NO"));
        ini.writeString(server, QStringLiteral("SYSDIR"), QString());
        ini.writeString(server, QStringLiteral("USER"), r.DbUser);
        ini.writeString(server, QStringLiteral("PASSWORD"), r.DbPassword);
        return true;
    }
    const QString section = SectionOf(ConnectMode);
    ini.writeString(section, QStringLiteral("HOSTNAME"), r.HostName);
    ini.writeString(section, QStringLiteral("GOGLOBAL"), yesNo(r.GoGlobal));
    ini.writeString(section, QStringLiteral("GROUP"), yesNo(r.GroupFlag));
    ini.writeString(section, QStringLiteral("SYSDIR"), r.SysDir);
    ini.writeString(section, QStringLiteral("USER"), r.DbUser);
    ini.writeString(section, QStringLiteral("PASSWORD"), r.DbPassword);
    return true;
}

void TAppIniSettings::SaveConnectMode(int mode)
{
    if (mode < 0 || mode > 2 || ApplicationKind != 0) return;
    platform::IniFile(SystemDef.AppIniFile).writeString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), QString::number(mode));
}

int TAppIniSettings::ReadConnectMode()
{
    if (ApplicationKind != 0) return 0;
    return platform::IniFile(SystemDef.AppIniFile).readString(QStringLiteral("APPLICATION"), QStringLiteral("CONNECT"), QStringLiteral("0")).toInt();
}

int TAppIniSettings::ReadServerSettings(int mode)
{
    const platform::IniFile ini(SystemDef.AppIniFile);
    const QString section = SectionOf(mode);
    TSystemDef &r = SystemDef;
    r.HostName = ini.readString(section, QStringLiteral("HOSTNAME"));
    r.GoGlobal = ini.readString(section, QStringLiteral("GOGLOBAL"), QStringLiteral("NO")) == u"YES";
    // The folder keeps its letter case: the file system tells case apart.
    r.SysDir = ini.readString(section, QStringLiteral("SYSDIR"));
    r.DbUser = ini.readString(section, QStringLiteral("USER"), QStringLiteral("DORVEL")).toUpper();
    r.DbPassword = ini.readString(section, QStringLiteral("PASSWORD"), QStringLiteral("zoltup")).toLower();
    r.GroupFlag = false;
    r.SbcFlag = false;
    r.ExtraFlag = false;
    return 1;
}

int TAppIniSettings::LoadSettings(int mode)
{
    if (ApplicationKind == 0 || ApplicationKind == 2) return ReadServerSettings(mode);
    return 0;
}

// ---------------------------------------------------------------- the dialog

namespace {

TxPlButton *makeBoxButton(QWidget *parent, const char *name, const QString &caption, int width)
{
    auto *b = new TxPlButton(parent);
    b->setObjectName(QLatin1String(name));
    b->CaptionA().setCaption(caption);
    b->setFixedSize(width, 28);
    return b;
}

TxEdit *makeEdit(QWidget *parent, const char *name)
{
    auto *e = new TxEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

// "/" stands for a folder on a server without drive letters.
const QString kNoDrive = QStringLiteral("/");

} // namespace

TAppIniCreateBox::TAppIniCreateBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("AppIniCreateBox"));
    setWindowTitle(QStringLiteral("データサーバーの設定"));
    Label1 = new QLabel(QStringLiteral("データサーバーを利用するための設定を行います。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("データサーバーの情報を入力して下さい。"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    txtHostName = makeEdit(this, "txtHostName");
    txtHostName->setToolTip(QStringLiteral("接続先のコンピューター名またはIPアドレスを入力して下さい。"));
    btnCompShow = makeBoxButton(this, "btnCompShow", QStringLiteral("参照"), 72);
    cmbDrive = new TxComboBox(this);
    cmbDrive->setObjectName(QStringLiteral("cmbDrive"));
    cmbDrive->addItem(kNoDrive);
    for (char c = 'C'; c <= 'Z'; ++c) cmbDrive->addItem(QStringLiteral("%1:").arg(QLatin1Char(c)));
    txtDataPath = makeEdit(this, "txtDataPath");
    txtUserName = makeEdit(this, "txtUserName");
    txtPassWord = makeEdit(this, "txtPassWord");
    txtPassWord->setEchoMode(QLineEdit::Password);
    btnOK = makeBoxButton(this, "btnOK", QStringLiteral("OK"), 96);
    btnCancel = makeBoxButton(this, "btnCancel", QStringLiteral("キャンセル"), 96);
    btnCancel->setCancel(true);
    btnCancel->setModalResult(2);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("コンピュータ名:"), this), 0, 0);
    grid->addWidget(txtHostName, 0, 1);
    grid->addWidget(btnCompShow, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("データパス:"), this), 1, 0);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(cmbDrive);
    pathRow->addWidget(txtDataPath, 1);
    grid->addLayout(pathRow, 1, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(grid);
    layout->addWidget(txtUserName);
    layout->addWidget(txtPassWord);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the size of its contents, always
    txtHostName->setMinimumWidth(200);
    txtDataPath->setMinimumWidth(200);

    // The data path, user and password are fixed by the installation.
    txtDataPath->setEnabled(false);
    txtUserName->setEnabled(false);
    txtPassWord->setEnabled(false);
    txtUserName->hide();
    txtPassWord->hide();
    txtDataPath->setText(NativePath(AppInfo.Rirev.ServerDir));
    txtUserName->setText(SystemDef.DbUser);
    txtPassWord->setText(SystemDef.DbPassword);

    connect(btnCompShow, &TxPlButton::clicked, this, [this] { btnCompShowClick(); });
    connect(btnOK, &TxPlButton::clicked, this, [this] { OKBtnClick(); });
    connect(btnCancel, &TxPlButton::clicked, this, [] {});
    EndButton = btnOK;
    Usable = true;
    CreateDone = true;
}

void TAppIniCreateBox::LoadServerSection()
{
    TAppIniSettings::ReadServerSettings(1);
    txtHostName->setText(SystemDef.HostName);
    const QString sys = SystemDef.SysDir;
    const int drive = sys.size() >= 2 && sys[1] == u':' ? cmbDrive->findText(sys.left(2).toUpper()) : -1;
    cmbDrive->setCurrentIndex(drive >= 0 ? drive : cmbDrive->findText(sys.startsWith(u'/') || sys.isEmpty() ? kNoDrive : QStringLiteral("C:")));
    txtUserName->setText(SystemDef.DbUser);
    txtPassWord->setText(SystemDef.DbPassword);
}

void TAppIniCreateBox::FormShow()
{
    TBSDI::FormShow();
    LoadServerSection();
    txtHostName->setFocus();
}

void TAppIniCreateBox::btnCompShowClick()
{
    const QString name = FileChooser::instance().chooseComputer(
        QStringLiteral("サーバーのコンピュータを選択して下さい。サーバーのコンピュータがリストに無い場合は、[ｷｬﾝｾﾙ]を押してコンピュータ名を入力して下さい。"),
        txtHostName->text());
    if (!name.isEmpty()) txtHostName->setText(name);
}

void TAppIniCreateBox::OKBtnClick()
{
    TSystemDef &r = SystemDef;
    r.HostName = txtHostName->text().trimmed().toLower();
    const QString drive = cmbDrive->currentText() == kNoDrive ? QString() : cmbDrive->currentText();
    r.SysDir = drive + txtDataPath->text().trimmed(); // the folder keeps its case
    r.DbUser = txtUserName->text().trimmed().toUpper();
    r.DbPassword = txtPassWord->text().trimmed().toLower();
    r.GoGlobal = r.GroupFlag = r.SbcFlag = r.ExtraFlag = false;
    auto refuse = [](const QString &text) { MessageDlg(text, TMsgDlgType::mtError, mbYes); };
    if (ConnectMode == 0) {
        r.HostName.clear();
    } else if (r.HostName.isEmpty()) {
        refuse(ConnectMode == 1 ? QStringLiteral("コンピュータ名が指定されていません。\r入力してください。")
                                : QStringLiteral("コンピュータ名が指定されていません。\r"));
        txtHostName->setFocus();
        return;
    }
    if (ConnectMode == 2) r.GoGlobal = true;
    if (r.DbUser.isEmpty()) {
        refuse(QStringLiteral("データベースのユーザーが指定されていません。\r入力してください。"));
        return;
    }
    if (r.DbPassword.isEmpty()) {
        refuse(QStringLiteral("データベースのパスワードが指定されていません。\r入力してください。"));
        return;
    }
    TAppIniSettings::WriteIniFile(false);
    done(1);
}
