#pragma once
// The print dialog and the printer set-up dialog of the print engine, on the
// printer layer: both choose the printer; the print dialog adds the copies, the
// collation and the page range, the set-up dialog the paper and the orientation.
// OK selects the chosen printer and writes the choice into its device mode.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TPrinterDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Kind { Print, Setup };
    explicit TPrinterDialog(Kind kind, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }

    // The print dialog's values: set before Prepare, read after OK.
    bool PageNumsOption = false; // the page-number range is offered
    bool PageNumbers = false;    // the range chosen is page numbers (else all pages)
    int MinPage = 1;
    int MaxPage = 1;
    int FromPage = 1;
    int ToPage = 1;
    int Copies = 1;
    bool Collate = false;

    // Fills the controls from the fields and the selected printer.
    void Prepare();
    // OK: selects the printer, writes its device mode, reads the fields back, closes.
    void btnOKClick();

    QComboBox *cmbPrinter = nullptr;
    QSpinBox *spnCopies = nullptr;
    QCheckBox *chkCollate = nullptr;
    QGroupBox *grpRange = nullptr;
    QRadioButton *rbAll = nullptr;
    QRadioButton *rbPages = nullptr;
    QSpinBox *spnFrom = nullptr;
    QSpinBox *spnTo = nullptr;
    QComboBox *cmbPaper = nullptr;
    QRadioButton *rbPortrait = nullptr;
    QRadioButton *rbLandscape = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void fillPapers();

    Kind m_kind;
};

// Shows the dialog modally through the program's modal runner; true after OK.
bool ExecutePrinterDialog(TPrinterDialog &dialog);
