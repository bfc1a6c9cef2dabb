#pragma once
// The application ini file: per computer, how the program reaches its database
// server — one section per connection mode (LOCAL, SERVER, SBC) with host,
// system-database folder, database user and password, and the last connection
// mode with window defaults (APPLICATION).
#include <QString>

class TAppIniSettings
{
public:
    // The section of a connection mode: 0 "LOCAL", 1 "SERVER", 2 "SBC".
    static QString SectionOf(int mode);

    // With reset: the default file (stand-alone mode clears the host first);
    // without: the current values into the section of the current connection mode.
    static bool WriteIniFile(bool reset);
    static void SaveConnectMode(int mode);
    static int ReadConnectMode();
    // Reads the section of a mode into the system record; 1.
    static int ReadServerSettings(int mode);
    // 1 read, 0 for an application kind this program does not know.
    static int LoadSettings(int mode);

    // Application kind: always 0 in this program.
    static int ApplicationKind;
};

#include "framework/SDI.h"

class TxEdit;
class TxComboBox;
class TxPlButton;
class QLabel;

// "データサーバーの設定": the editor of the client/server section, opened from the
// login's "サーバー設定" button. The host is stored in lower case, the user in
// upper case and the password in lower case; the system-database folder keeps
// the letter case it was typed in, because the file system tells case apart.
class TAppIniCreateBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TAppIniCreateBox(QWidget *parent = nullptr);

    bool Usable = false;

    // Shows the section of the client/server mode in the controls.
    void LoadServerSection();
    void btnCompShowClick();
    // Checks and stores the entries; closes with OK when they pass.
    void OKBtnClick();

    QLabel *Label1 = nullptr, *Label2 = nullptr;
    TxEdit *txtHostName = nullptr, *txtDataPath = nullptr, *txtUserName = nullptr, *txtPassWord = nullptr;
    TxComboBox *cmbDrive = nullptr;
    TxPlButton *btnCompShow = nullptr, *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void FormShow() override;
};
