#pragma once
// The communication window ("データ通信"): the process form "QmDataTusin" through
// which the operator sends the open company data set to one of the relay
// server's ten slots, receives one back, inspects and clears the slots, and
// exchanges data with the cash-book application. The parameter "SyoriType"
// chooses the mode:
//   1 send, 2 receive (the window lists the ten slots of the data set's
//   communication ID; F12 runs the transfer, F5 deletes a slot);
//   8 server check (the three cash-book slots; F5 deletes one at once);
//   3 to 7, 9 and 10 the cash-book exchange, run without the window.
// Before any transfer the window checks the identity, asks when others use
// the data set and asks the relay server for its slot list (request 1720),
// showing each step in the step window.
//
// The transfers themselves (send, receive, the cash-book exchange) are
// installed by the libraries that carry them (DataTusinPipelines); a key
// without an installed pipeline stays disabled and a cash-book mode without
// one is refused.
#include "comm/DataTusinStore.h"
#include "comm/RelayProtocol.h"
#include "comm/RelaySettings.h"
#include "framework/ProcessForm.h"
#include "framework/SDI.h"

#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QPlainTextEdit;
class QTableWidget;
class TTusinSteps;
class TxAnimeProgressDialog;
class TxPlButton;
class TxPzConv;

class TfmDataTusin;

// The pipelines the window runs.
struct TDataTusinPipelines {
    // F12 of modes 1 and 2: 0 done (the window closes), 1 refused or failed.
    std::function<int(TfmDataTusin &form)> SendData;
    std::function<int(TfmDataTusin &form)> ReceiveData;
    // The cash-book modes: the checks before the slot list (false ends the run),
    // and the exchange after it (its result is the run's result).
    std::function<bool(TfmDataTusin &form)> CashBookChecks;
    std::function<int(TfmDataTusin &form)> CashBookRun;
};
extern TDataTusinPipelines DataTusinPipelines;

// Grid columns.
enum TDataTusinCol : int { tcLabel = 0, tcDataName, tcNendo, tcKikan, tcSendTime, tcReceiveTime, tcVersion, tcHidden, tcCount };

class TfmDataTusin : public TBSDI, public IProcessForm
{
    Q_OBJECT
public:
    explicit TfmDataTusin(QWidget *parent = nullptr);
    ~TfmDataTusin() override;

    // IProcessForm
    int Execute(bool modal) override;
    void SetParams(const QStringList &params) override;

    // The mode's caption ("データ送信", ...; the design caption for the modes
    // without one) and help page (empty for those without one).
    static QString ModeCaption(int syoriType);
    static QString ModeHelpPage(int syoriType);
    // The version text of a slot's "MMmm" ("14消改版", "5.2", "09版", "13版");
    // a text that is no version is shown as it is.
    static QString VersionLabel(const QString &slotVersion);
    static QString VersionLabel(int major, int minor);

    void PrepareRun(bool run);
    // Modes 1 and 2 on the first activation: the steps, the in-use question
    // and the slot list, then the grid.
    void AuthenticateAndList();
    // Request 1720 of the mode; a failure is shown and disables F5 and F12.
    bool CheckServer();
    void SetupGridForMode();
    int DeleteServerData();
    int DeleteCashBookServerData(int index);
    void SetFunctionKeys();

    // The communication identity of the mode: the data set's in modes 1 and 2,
    // the cash-book identity otherwise.
    QString CommunicationId() const;
    QString CommunicationPassword() const;
    int SelectedRow() const;
    void StepPause() const;

    int SyoriType = 0;
    int FormStyleKind = 0; // 0 MDI child, 1 MDI parent, 2 normal, 3 stay on top
    QStringList Params;
    bool RunFlag = false;
    bool FirstActivation = false;
    bool ReceivedFlag = false;
    bool DisconnectOnClose = false;
    int CloudKubun = 0;
    QString BackupFileName;
    QString OperationWord;
    QString SelectedFolder;
    QString GassanKubun, GassanCount;
    // The pipelines' shared state.
    QString VersionSent;
    int CashBookSlot = 0;
    bool MasterSlotChosen = false;
    bool CashBookLoaderFailed = false;

    TRelaySettings Settings;
    TRelaySession Session;
    TDataSentakuRecArray DataList;
    TDataTusinStore Store;
    std::unique_ptr<TTusinSteps> Steps;
    TxPzConv *PzConv1 = nullptr;
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;

    QTableWidget *PerfectGrid1 = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *ESC = nullptr, *F1 = nullptr, *F2 = nullptr, *F3 = nullptr, *F4 = nullptr, *F5 = nullptr,
               *F6 = nullptr, *F7 = nullptr, *F8 = nullptr, *F12 = nullptr;

    void done(int r) override;

protected:
    void showEvent(QShowEvent *e) override;
    void FormClose() override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;

private:
    void buildControls();
    void setCaptionAndHelp();
    void narrowForServerCheck();
    bool menuCallbackRefuses(bool inWindow);
    bool identityMissing(const QString &id, const QString &password);
    bool askInUse();
    void openSteps();
    void stepsToSlotList();
    void closeSteps();
    void hourglass(bool on);
    void clearRow(int row);
    void setHint(const QString &text);
    void fillRow(int row, const TRelaySlotRec &slot);
    void F5Click();
    void F12Click();
    void closeQuery();

    QString m_helpPage;
    bool m_hourglass = false;
    bool m_closing = false;
    bool m_transferKeys = true; // F5 and F12 may be used (cleared by a failed slot list)
};

void RegisterDataTusin();
