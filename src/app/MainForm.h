#pragma once
// The program's main window: the linkage wizard. It installs the hooks the
// framework calls, reads the command line of a calling program, logs the
// operator in on first showing, leads through the data choice, the file and
// the summary, writes the intermediate file and reports the result.
#include "app/Startup.h"
#include "app/hj19.h"

#include <QWidget>

#include <memory>

class TxWizard;
class TxPlButton;
class TxEdit;
class TxAnimeProgressDialog;
class QLabel;
class QTableWidget;
class QPlainTextEdit;
class TDataSentakuListCtl;
class TDataInfomation;

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The creation steps; false when the program must end (the reason has been shown).
    bool FormCreate(const QStringList &arguments, const QString &programPath);
    // The login and the operator's settings; false ends the program.
    bool FirstShow();

    void btnDataSentakuClick();
    int SelectAndConnectData(int syoriType, int selection);
    bool CheckDataSelected();
    // A data set kept on a shared server is fetched into its work folder
    // before use (1 usable, 0 refused, -1 fetch refused) and stored back when
    // it is left (1 nothing to do or stored, 0 not stored).
    int AutoDownloadSharedData(bool automatic);
    int AutoUploadSharedData(bool automatic);
    void BuildSummary();
    int ExecuteExport();
    void Wizard1NextClick(bool finalState);
    void Wizard1NextClicking(bool finalState, bool &allowChange);
    void btnCancelClick();
    void BitBtn4aClick();
    // Releases the data set and the login (the closing of the window).
    void ReleaseAll();
    // The damaged-data check the data module asks for.
    int CheckDamagedData(const QString &host, const QString &dataDir, bool quiet);
    // The rows of the data summary as "name=value" lines.
    QStringList dataInfoLines() const;
    // The file page's path with "~" expanded and a bare name put in the
    // documents folder; empty (after saying why) when the file cannot be
    // written there, or must not be: a database file, a file in the data root
    // or in a data folder of the list, a file the program itself keeps.
    QString checkExportFile(const QString &path);
    // Why the export must not write this path (the refusal's first lines), or
    // empty. Paths are compared as the file system resolves them.
    QString exportTargetRefusal(const QString &path);
    // Writes the export's last-used values ("Soltea.ini") once, as the wizard
    // closes; a failure is shown. False when it failed.
    bool SaveExportSettings();

    int ResultCode = 2;
    bool LoggedIn = false;
    bool DataSetOpen = false;
    CallerInfo Caller;
    QString DocumentDir;
    std::unique_ptr<THojinZeiGenkaDataExport> Export;

    TxWizard *Wizard1 = nullptr;
    TxPlButton *Button1 = nullptr, *Button2 = nullptr, *btnCancel = nullptr;
    QPlainTextEdit *Memo1a = nullptr, *Memo1b = nullptr, *Memo5a = nullptr, *Memo5b = nullptr;
    QLabel *Label2a = nullptr, *Label2c = nullptr, *Label4a = nullptr, *Label4b = nullptr;
    TxPlButton *btnDataSentaku = nullptr, *BitBtn4a = nullptr;
    QTableWidget *listDataInfo = nullptr; // name and value columns under a title row
    TxEdit *Edit4a = nullptr;
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    // Enter that no control takes is the next (or finish) button's.
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    QString pageName() const;
    void addDataInfo(const QString &name, const QString &value);
    void refuseFilePage(const QString &text);
    TDataSentakuListCtl &listCtl();
    bool sharedAutomatic() const;
    // The step window over the wizard, without a cancel button.
    void showProgress(const QString &caption, const QString &info);
    bool m_shown = false;
    bool m_settingsSaved = false;
    QString m_previousDataDir;
    std::unique_ptr<TDataSentakuListCtl> m_listCtl;
};

// Sends a caller its answer: "ENABLE", "FOREGROUND" and the posted result code.
void AnswerCaller(const CallerInfo &caller, int resultCode);

// The program: the single-instance marks, the wizard, its start-up and the
// message loop. Every end after the command line was read answers the caller
// (2 unless the run set another code). Returns the process's exit status.
int RunWizardProgram(const QStringList &arguments, const QString &programPath);
