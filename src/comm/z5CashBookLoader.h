#pragma once
// The take-in dialog of a received company database: shown modally it starts
// by itself after a moment; run unattended (RunAuto) it shows itself only when
// the run failed. It lists the processing log, shows the selected entry's
// message and exports the log as a CSV or text file. The work is done by
// TCashBookLoader.
#include "comm/CashBookLoader.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QTextEdit;
class QTimer;
class QTreeWidget;
class QFrame;
class TxAnimeView;
class TxPlButton;
class TDM;

class TCashBookLoaderBox : public QDialog
{
    Q_OBJECT
public:
    explicit TCashBookLoaderBox(TDM *dm, QWidget *parent = nullptr);
    ~TCashBookLoaderBox() override;

    TCashBookLoader &Loader() { return *m_loader; }

    quint8 SourceKind() const { return m_loader->SourceKind; }
    quint8 ImportKind() const { return m_loader->ImportKind; }
    void SetSourceKind(quint8 kind) { m_loader->SourceKind = kind; }
    void SetImportKind(quint8 kind) { m_loader->ImportKind = kind; }

    void SetReceiveFile(const QString &path) { m_loader->SetReceiveFile(path); }
    void RunAuto();
    qint32 ResultCode() { return m_loader->ResultCode(); }
    void SetAutoStart(bool on);
    bool AutoStart() const { return m_autoStart; }
    bool ShownAfterError() const { return m_shownAfterError; }

    void SetupScreen();
    void ShowResultTitles();
    void btnOkClick();
    void btnCancelClick();
    void btnOutputClick();
    void Timer1Timer();
    // Writes the log to a file (CSV unless the name ends in ".txt"); false
    // after a message when the file cannot be written there.
    bool ExportLog(const QString &path);

    QLabel *lblTitle1, *lblTitle2, *lblTitle3, *Image1, *Label1;
    QTreeWidget *ListView1;
    QTextEdit *RichEdit1;
    QFrame *pnlProgress;
    QProgressBar *ProgressBar1;
    TxAnimeView *Animate1;
    TxPlButton *btnOk, *btnCancel, *btnOutput;
    QTimer *Timer1;

protected:
    void showEvent(QShowEvent *e) override;
    void reject() override;

private:
    void run();
    void selectItem();

    std::unique_ptr<TCashBookLoader> m_loader;
    bool m_autoStart = true;
    bool m_shownAfterError = false;
    bool m_running = false;
};
