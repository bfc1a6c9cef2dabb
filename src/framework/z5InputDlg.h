#pragma once
// The dialog that asks the operator for one value: a line of text, a password
// (masked, with a box to unmask it), a choice from a combo box or an amount of
// money. The owner sets the fields, calls Prepare, shows it modally and reads
// Value after the result 1.
#include "framework/SDI.h"

#include <QColor>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TDorvelEdit;
class TxCheckBox;
class TxComboBox;
class TxEdit;
class TxPlButton;

// Whether a character passes the key filter of the text input (10 digits and
// "-" "."; 20 letters; 30 letters and digits; 40 all but \"*,/:;<>?\\|; others all).
// Backspace passes every filter but 40's own list; Enter always passes.
bool InputKeyFilterAccepts(int filter, QChar c);

class TInputDlgBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TInputDlgBox(QWidget *parent = nullptr);
    ~TInputDlgBox() override;

    int InputMode = 0; // 0 text, 1 password, 2 combo box, 3 amount
    QString Caption;
    QString Message;
    QColor MessageColor;
    QString Value;
    QString InputHint;
    int MaxLength = 0;
    int InputImeMode = 3; // 0 disabled ... 3 do not care
    bool RequireInput = false;
    QStringList ComboItems;

    int KeyFilter() const { return m_keyFilter; }
    void SetKeyFilter(int filter);
    void Prepare(bool flag);

    // Null until the constructor makes them: the base form's event filter
    // already runs while they are being made.
    QWidget *pnlClient = nullptr, *pnlText = nullptr, *pnlCombo = nullptr, *pnlKingaku = nullptr, *pnlBottom = nullptr,
            *PanelHint = nullptr;
    QLabel *lblMain = nullptr, *lblYen = nullptr;
    TxEdit *txtInput = nullptr;
    TxCheckBox *btnFuseji = nullptr;
    TxComboBox *cmbInput = nullptr;
    TDorvelEdit *txtKingaku = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *F1 = nullptr, *btnOK = nullptr, *btnCancel = nullptr;

    void btnOKClick();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void applyMask();
    bool m_flag = false;
    int m_keyFilter = 0;
};
