#pragma once
// The print-options dialog of the reports: monochrome or colour (with the
// report-colour dialog), the number of the first page, the duplex margin, and
// print, preview or copy. The colours are kept per operator and report in
// STYLECOLOR, the other choices in that row's settings text ("C010=1" colour,
// "C020=1" duplex). Derived dialogs add their own settings lines.
#include "core/EnvUtils.h"
#include "framework/SDI.h"

#include <QColor>
#include <QStringList>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class TPager512;
class TxCheckBox;
class TxEdit;
class TxPlButton;
class TxRadioButton;

struct TDefaultPrintRec {
    QString StyleName;    // the report's key; empty: no stored colours
    qint32 ColorMode = 0; // 0 monochrome, 1 colour
    qint32 StartPage = 1;
    quint8 BothSides = 0; // 1: the even pages' margin moves for duplex printing
    qint32 FontIndex = 0;
    qint32 FontSize1 = 16;
    qint32 FontSize2 = 9;
    qint32 FontSize3 = 10;
    TColor LineColor1 = 0; // frame lines
    TColor LineColor2 = 0; // grid lines
    TColor NetColor1 = 0;  // heading rows
    TColor NetColor2 = 0;  // total rows
    QString SSTR;          // saved settings, name=value lines
};

class TPrintDlgBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TPrintDlgBox(QWidget *parent = nullptr);
    ~TPrintDlgBox() override;

    // The defaults; the colours are the operator's environment colours.
    static void InitDefaultPrintRec(TDefaultPrintRec &rec);

    // Set by the owner before Prepare.
    TDefaultPrintRec *PrintRec = nullptr;
    QString Caption;
    QString MainText;
    QColor MainTextColor;
    bool StoredColors = false;
    bool ShowColorGroup = false;
    bool ShowStartPage = false;
    bool ShowBothSides = false;
    bool ShowPreview = false;
    bool ShowCopy = false;

    // Set by the dialog.
    int Prepared = 0;
    int Result = 0; // 0 none, 1 print, 2 preview, 3 copy
    QString StylePrefix;
    QString StyleName;

    virtual void Prepare(int flag);
    virtual void ArrangeControls();
    virtual void LoadHints();
    // "HOZON" writes the choices into the record's settings text, "FUKUGEN" reads
    // them back into the record and the controls (the mode in any case).
    virtual void SaveRestoreSettings(const QString &mode);

    // "020-" + the record's key, upper-cased, at most 40 bytes, trimmed.
    QString MakeStyleName() const;
    void GetStyleColorRec();
    void SaveStyleColorRec();

    virtual void btnOKClick(int result);
    void btnCancelClick();
    void btnColorSelectClick();

    QLabel *lblMain = nullptr;
    QLabel *lblColor = nullptr;
    QGroupBox *grpColor = nullptr;
    TxRadioButton *btnMono = nullptr;
    TxRadioButton *btnColor = nullptr;
    TxPlButton *btnColorSelect = nullptr;
    QLabel *lblStartPage = nullptr;
    TxEdit *txtStartPage = nullptr;
    TxCheckBox *chkBoth = nullptr;
    QWidget *PanelHint = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *btnPreview = nullptr;
    TxPlButton *btnCopy = nullptr;
    TxPlButton *btnOK = nullptr;
    TxPlButton *btnCancel = nullptr;

protected:
    void FormClose() override;
    bool event(QEvent *e) override;

    // The settings text as lines while it is read or written.
    QStringList Settings;

private:
    bool storeInUse() const;
    QWidget *m_bottom = nullptr;
};

// Prepares a report for monochrome output (flag 0): user and OCR colours black,
// the hatch colours grey. Any other flag changes nothing.
void SetMonoPrintColors(int colourFlag, TPager512 &pager);
