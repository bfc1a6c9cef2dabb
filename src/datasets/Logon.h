#pragma once
// The login: the operator chooses stand-alone or client/server, enters code and
// password; the dialog opens the system database and registers the login.
#include "framework/SDI.h"

class TxEdit;
class TxRadioButton;
class TxPlButton;
class QLabel;
class QGroupBox;

class TLogonBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TLogonBox(QWidget *parent = nullptr);

    bool Usable = false;
    bool GroupMode = false;

    int GetConnectMode() const;
    bool ConnectSystemDatabase();
    void ReadOperatorInfo(int loginCode);
    void ReadOperatorRights(int loginCode);
    void OKBtnClick();

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    TxEdit *txtOpCode = nullptr, *txtPassword = nullptr, *txtGroupID = nullptr;
    QGroupBox *grpMode = nullptr;
    TxRadioButton *btnSA = nullptr, *btnCS = nullptr;
    TxPlButton *btnServerSettei = nullptr, *OKBtn = nullptr, *CancelBtn = nullptr;

public Q_SLOTS:
    // The "サーバー設定" button: the connection-settings dialog, modally.
    void ShowServerSettings();

protected:
    void FormShow() override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;

private:
    void btnSAClick();
    void toggleVarimox();
    bool m_xDown = false;
};
