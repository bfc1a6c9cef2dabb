#pragma once
// The location dialogs of saving and restoring a data set: a folder chosen
// from the recently used places (kept in an ini file) or browsed for.
// TFileOperationBoxEx1 adds the choice between that place and the program's
// default place. The caller sets the fields, calls Prepare(true), runs the
// dialog modally and on the result 1 reads ResultFolder (and Choice).
#include "framework/SDI.h"

#include <QColor>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TxComboBox;
class TxEdit;
class TxPlButton;
class TxRadioButton;

// The place history of an ini section: lines "HIST%d=%s" numbered from 1,
// most recent first; only the values count.
namespace fileophistory {
inline constexpr int MaxEntries = 8;
// The values of the section in the file's order (none when a name is empty).
QStringList load(const QString &file, const QString &section);
// Rewrites the section with the first eight entries.
void save(const QString &file, const QString &section, const QStringList &history);
// The place moved (or inserted) to the top; the other entries keep their order.
QStringList moveToTop(QStringList history, const QString &place);
} // namespace fileophistory

class TFileOperationBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TFileOperationBox(QWidget *parent = nullptr);
    ~TFileOperationBox() override;

    // Fields the caller sets before Prepare.
    int Mode = 0;            // 2 or 3: both choose a folder
    bool History = false;    // keep a place history (also shows btnHistDelete)
    QString HistFolder;      // default: the ini folder of the data root
    QString HistFile;
    QString HistSection;
    QString Caption;
    QString Message;
    QColor MessageColor;
    QString PlaceLabel;
    QString DefaultFolder;   // always offered
    QString PlaceHint;

    // The result: the place as the OK handling accepted it.
    QString ResultFolder;

    virtual void Prepare(bool flag);
    virtual void ArrangeControls();
    virtual void LoadHints();
    void LoadHistory();
    void SaveHistory();
    // Selects a place, inserting it at the top of the list when it is not listed.
    void SelectPlace(const QString &place);
    QStringList HistoryList() const { return m_history; }
    QString HistoryFilePath() const;

    void btnSansyoClick();
    virtual void btnOKClick();
    void btnHistDeleteClick();

    QWidget *pnlClient = nullptr, *pnlBottom = nullptr;
    QLabel *lblMain = nullptr, *lblFileSelect = nullptr, *lblFileName = nullptr;
    TxComboBox *cmbFileSelect = nullptr;
    TxEdit *txtFileName = nullptr;
    TxPlButton *btnSansyo = nullptr, *btnHistDelete = nullptr, *btnOK = nullptr, *btnCancel = nullptr;
    QPlainTextEdit *HintArea = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool m_flag = false;
    QStringList m_history;
};

class TFileOperationBoxEx1 : public TFileOperationBox
{
    Q_OBJECT
public:
    explicit TFileOperationBoxEx1(QWidget *parent = nullptr);

    // 1 the chosen place, 2 the program's default place.
    int Choice = 1;

    void Prepare(bool flag) override;
    void ArrangeControls() override;
    void LoadHints() override;
    void btnOKClick() override;
    void SetSelect1Caption(const QString &text);
    void SetSelect2Caption(const QString &text);
    void SetSelection(int choice);
    void btnSelect1Click();

    TxRadioButton *btnSelect1 = nullptr, *btnSelect2 = nullptr;

private:
    bool m_positioned = false;
};
