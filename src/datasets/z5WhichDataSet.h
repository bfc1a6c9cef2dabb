#pragma once
// The question asked before a data set of the data server is taken out to
// this computer or brought back from it: "データを持ち出します" or
// "データを持ち帰りました". A data set that is already taken out (its data
// lock is set) can only be brought back.
#include "framework/SDI.h"

class QGroupBox;
class QLabel;
class TxPlButton;
class TxRadioButton;

class TWhichDataSetBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TWhichDataSetBox(QWidget *parent = nullptr);
    ~TWhichDataSetBox() override;

    // Set by the owner before Prepare: 1 when the chosen row is taken out.
    quint8 TakeOutRefused = 0;
    // Read by the owner after modal result 1: true to bring the data back.
    bool Result = false;

    void Prepare(int flag);
    void btnOKClick();

    QLabel *Label1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    TxRadioButton *btnMochidashi = nullptr, *btnMochikaeri = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;

private:
    int m_flag = 0;
};

// Asks the question for a row (taken out or not): 0 cancelled, 1 take out, 2 bring back.
int AskTakeOutOrBringBack(QWidget *parent, bool takenOut);
