#pragma once
// The print-options dialog of the data list: the engine's print-options dialog
// without its colour, start-page and duplex choices, with the paper orientation
// added. Landscape prints the data-code column as well. The orientation is kept
// with the operator's settings of the report as the line "P010=0" or "P010=1".
#include "print/z5PrintDlg.h"

class QGroupBox;
class QLabel;
class TxRadioButton;

class TDataSentakuPrintDlg : public TPrintDlgBox
{
    Q_OBJECT
public:
    explicit TDataSentakuPrintDlg(QWidget *parent = nullptr);
    ~TDataSentakuPrintDlg() override;

    // The chosen orientation (0 portrait, 1 landscape), read after the dialog closed.
    int Orientation = 0;

    void Prepare(int flag) override;
    void ArrangeControls() override;
    void LoadHints() override;
    void SaveRestoreSettings(const QString &mode) override;
    void btnOKClick(int result) override;

    QLabel *Label2 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    TxRadioButton *btnYousiTate = nullptr;
    TxRadioButton *btnYousiYoko = nullptr;
};
