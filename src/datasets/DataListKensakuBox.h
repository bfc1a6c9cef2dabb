#pragma once
// The dialog that edits an operator's search conditions of a data-set list
// ("検索条件の設定"). The caller copies its conditions into Cond, runs the dialog
// and, after OK, takes Cond back and stores it with the storage controller.
#include "datasets/DataListKensaku.h"
#include "dbaccess/SeihinVersion.h"
#include "dbaccess/UserList.h"
#include "framework/SDI.h"

#include <QList>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class TxCheckedComboBox;
class TxEdit;
class TxPlButton;

class TDataListKensakuBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TDataListKensakuBox(QWidget *parent = nullptr);

    int Mode = 0;
    int ListType = 0;
    TDataKensakuRec Cond;
    TUserList Operators;               // entry 0 is "選択なし"
    TSeihinVersionList Versions;       // entry 0 is "選択なし"

    void SetMode(int mode);   // shows Cond
    void ShowConditions();
    void btnOKClick();        // takes the controls into Cond

    QGroupBox *GroupBox2 = nullptr;
    TxEdit *txtCode = nullptr, *txtListName = nullptr;
    QComboBox *cmbDataKbn = nullptr, *cmbTanto = nullptr, *cmbDataVer = nullptr;
    TxCheckedComboBox *cmbTanto2 = nullptr;   // hidden, unused
    QCheckBox *cboxYukou = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;

private:
    std::unique_ptr<FbTransaction> m_tr;
};

// Runs the dialog on the conditions; true (and the edited conditions) after OK.
bool EditDataListKensaku(QWidget *parent, TDataKensakuRec &rec);
