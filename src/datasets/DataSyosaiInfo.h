#pragma once
// The detail dialog of one data set ("データの詳細情報"): what its folder and
// information file say (status, company values, counts), the list name to
// rename it by, the prohibition of upgrades, the clearing of a status a
// crashed program left behind, and the rebuild of its company database (a
// backup and a restore over it, F7). The dialog writes no list row itself
// except the data lock it holds around a rebuild; the caller writes back what
// it returns.
#include "datasets/DataSentakuList.h"
#include "dbaccess/DataInfo.h"
#include "framework/SDI.h"

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class TBackupRestoreThread;
class TDorvelEdit;
class TxAnimeProgressDialog;
class TxPlButton;

// The text of a data kind and code system ("法人", "個人(一般)" ... "設定なし").
QString DataSyosaiKindText(int dataKbn, int codeKbn);
// The folder as the dialog shows it: every occurrence of the data root, in
// any letter case, replaced by "[<title>のデータ]".
QString DataSyosaiDisplayPath(const QString &folder, const QString &dataRoot, const QString &appTitle);

class TDataSyosaiInfoBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TDataSyosaiInfoBox(QWidget *parent = nullptr);
    ~TDataSyosaiInfoBox() override;

    // Set by the caller before SetMode.
    quint8 ServerListMode = 0;        // 0 the data-selection screen, 1 the shared-data selection
    TDataListRec *ListRec = nullptr;  // the caller's row
    QString DataPath;                 // the data folder
    int UpdateLock = 0;               // the row's UPDATE_LOCK; after OK the dialog's choice
    QString ListName;                 // the row's list name; after OK the dialog's name
    bool ReadOnly = false;
    int DataPlace = 0;                // the data place whose list holds the row (server modes)

    // Read by the caller.
    int StatusClear = 0; // 1: the operator asked to clear the status
    int Rebuilt = 0;     // 1 after a successful rebuild (also when then cancelled)

    void SetMode(int mode);
    void ShowDataInfo();
    void LoadHints();
    void SetFunctionKeys();
    // 1 rebuilt, 0 failed.
    int RebuildData();
    // Holds (1) or releases (0) the data lock of the row in the server modes.
    void UpdateDataLock(int flag);
    void F1Click(TxPlButton *button);
    void btnOKClick();

    const TDataInfomationRec &Info() const { return m_info; }
    bool ClearOffered() const { return m_clearOffered; }
    bool RebuildAllowed() const { return m_rebuildAllowed; }
    bool IsReadOnly() const { return m_readOnly; }

    // Runs the backup-and-restore job of the rebuild (default: the job's own
    // Execute); tests replace it.
    std::function<void(TBackupRestoreThread &job)> RunRebuildJob;

    // Controls (object names as the layout names them).
    QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr;
    QPlainTextEdit *txtDataPath = nullptr;
    QLabel *lblStatus = nullptr, *Image1 = nullptr, *lblDataSeigenMessage = nullptr;
    QCheckBox *cboxStatusClear = nullptr, *cboxDataUpdateLock = nullptr;
    QLabel *lblCode = nullptr, *lblDataKbn = nullptr, *lblName = nullptr, *lblKana = nullptr, *lblNendo = nullptr,
           *lblKikan = nullptr, *lblTanto = nullptr, *lblBumonKanri = nullptr, *lblSitenKanri = nullptr,
           *lblSiwakeKensu = nullptr;
    TDorvelEdit *txtListName = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    TxPlButton *btnOK = nullptr, *btnCancel = nullptr;
    std::array<TxPlButton *, 7> Keys{}; // F1 to F7
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;

private:
    void buildControls();
    void setEditable(bool editable);
    QString databaseFile() const;

    int m_mode = 0;
    TDataInfomationRec m_info;
    std::unique_ptr<TDataInfomation> m_dataInfo;
    bool m_readOnly = false;
    bool m_clearOffered = false;
    bool m_rebuildAllowed = false;
};
