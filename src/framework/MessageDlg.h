#pragma once
// The framework's second message box: a main text in a colour, a memo of detail
// lines, OK and Cancel in one of four modes and an optional agreement check box.
#include "core/EnvUtils.h"
#include "framework/SDI.h"

#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TxCheckBox;
class TxPlButton;

// Position kinds of a form.
enum class TPosition : quint8 { poDesigned = 0, poDefault = 1, poScreenCenter = 4, poMainFormCenter = 6, poOwnerFormCenter = 7 };

struct TMessageInfoRec {
    qint32 Mode = 0; // 0 OK/Cancel; 1 OK; 2 OK/Cancel, OK gated by the agreement box; 3 OK/Cancel with the box
    TPosition Position = TPosition::poOwnerFormCenter;
    QString Caption;
    QString Text;
    TColor Color = 255;
    QStringList Lines;
    QString AgreeCaption;
};

void InitMessageInfoRec(TMessageInfoRec &rec);
// Shows the box modally; 1 OK, 2 Cancel or closed.
int ShowMessageBox(TMessageInfoRec &rec);

class TMessageBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TMessageBox(QWidget *parent = nullptr);

    // Fields a screen sets before Prepare.
    int Mode = 0;
    QString Caption;
    QString MainText;
    QColor MainColor;
    bool AgreeVisible = false;
    QString AgreeCaption = QStringLiteral("同意する");
    bool AgreeChecked = false;
    TPosition Position = TPosition::poOwnerFormCenter;

    void Prepare(bool flag);
    void SetMessageLines(const QStringList &lines);
    const QStringList &lines() const { return m_lines; }

    TxPlButton *btnOK, *btnCancel;
    QLabel *lblMain;
    QPlainTextEdit *MessageArea;
    TxCheckBox *cboxAgree;
    QWidget *pnlClient, *pnlBottom;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void ArrangeControls();
    void layoutPanels(int w, int h);
    bool m_prepared = false;
    QStringList m_lines;
    QSize m_design;
};
