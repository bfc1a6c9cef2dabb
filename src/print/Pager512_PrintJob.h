#pragma once
// The print loop: sends a print job (a print-data file over an optional form
// file) to the selected printer of the printer layer behind a small progress
// dialog. The form's pages are drawn in cycles under the data pages; the program
// collates copies itself when asked; a page range prints only its sheets; a page
// whose orientation differs from the printer's, and a "MESSAGE" record, end the
// document and begin a new one. The cancel button aborts the job after the page
// in hand.
#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
struct TP512DEF;

// The print dialog's values for one run: the page range, its limits and the
// collate box. Made for each run and read by the loop.
struct TStartPrintDlg {
    enum TPrintRange { prAllPages, prPageNums };
    bool PageNumsOption = false;
    TPrintRange PrintRange = prAllPages;
    int MinPage = 1;
    int MaxPage = 0;
    int FromPage = 1;
    int ToPage = 0;
    bool Collate = false;

    // Shows the print dialog (printer, copies, collation, range); true when accepted.
    bool Execute();
};

// The printing-progress dialog ("印刷"). Its timer starts the loop once, inside
// the dialog's modal loop; the loop closes the dialog when it ends.
class TNowPrintingdlg : public QDialog
{
    Q_OBJECT
public:
    explicit TNowPrintingdlg(QWidget *parent = nullptr);

    // The print loop.
    void PrintStart();
    // Asks "印刷を中止しますか？"; Yes aborts after the page in hand.
    void CancelButtonClick();

    QLabel *PrintMessage = nullptr;
    QLabel *PageMessage = nullptr;
    QPushButton *CancelButton = nullptr;
    QTimer *Timer = nullptr;

    // Milliseconds from showing to the start of the loop (tests shorten it).
    static int TimerInterval;

protected:
    void reject() override;
    void closeEvent(QCloseEvent *e) override;
};

// Prints a whole job. Not permitted: the preview opens instead and false is
// answered. False also when the engine is not ready, a file is missing or not
// print data (with its box), the print dialog is cancelled, the user aborts or
// the printer fails.
bool StartPrint(TP512DEF &definition);

// Prints page `page` of the job in the given orientation (0 portrait, 1
// landscape), without the print dialog.
void PrintCurrentPage(TP512DEF &definition, int page, int orientation);

// The progress dialog of the run in progress (nullptr between runs).
TNowPrintingdlg *NowPrintingDlg();
