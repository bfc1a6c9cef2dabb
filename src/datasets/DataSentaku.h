#pragma once
// The data-selection screen: the operator picks the company data set to work on
// from the data-set list of the system database. Started by name as the process
// form "QmDataSenkaku"; the caller's parameter lines choose the processing type
// and an optional fixed filter. A successful choice leaves the folder in
// SystemDef.DataDir and the screen's result at 1; a cancel gives 2.
#include "datasets/DataListKensaku.h"
#include "datasets/DataSentakuKeys.h"
#include "datasets/DataSentakuList.h"
#include "datasets/GridIncSearch.h"
#include "framework/ProcessForm.h"
#include "framework/SDI.h"

#include <QColor>
#include <QIcon>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QTableWidget;
class QWidget;
class TDataFolderCheck;
class TDataSaveRestore;
class TDbUpdateBox;
class TGassanDataCtl;
class TServerSentakuBox;
class TxAnimeProgressDialog;
class TxPlButton;

// The grid's columns.
enum TDataSentakuCol : int {
    dcNo = 0, dcCode, dcName, dcNendo, dcKikan, dcFolder, dcVerText, dcLockPic, dcSharePic, dcLock, dcShare,
    dcVersion, dcUpdate, dcGassan, dcRecIndex, dcChildIndex, dcStatus, dcColCount
};

// Process-result text, selected key and the last process result shared with the callers.
extern QString DataSentakuSelectedKey;   // the list path (PASNAME) of the chosen row
extern QString DataSentakuProcessResult; // types 2 and 4: "PATH1=...\rPATH2=..."

// The search-conditions editor the search button opens: edits the record, true on OK.
extern std::function<bool(QWidget *parent, TDataKensakuRec &rec)> DataListKensakuEditor;

// The folder shown in the folder column: the data root replaced by "~" without regard to case.
QString DataSentakuFolderText(const QString &pasName, const QString &dataRoot);

// What the information of a data folder makes of its list record; with reset
// the record becomes an empty row (a shared one a free area) keeping its
// number, folder and damaged mark.
void SetListRecFromInfo(const TDataInfomationRec &info, TDataListRec &rec, bool reset);
// The print dialog of a data list, then the list printed or previewed
// (list kind 0 the data sets, 1 the shared areas).
void PrintDataSelectionList(QWidget *owner, int listKind, const QString &listName, const TDataSentakuRecArray &recs,
                            const TDataSentakuRecDispArray &disp, const QString &where);

class TDataSentakuBox : public TBSDI, public IProcessForm
{
    Q_OBJECT
public:
    explicit TDataSentakuBox(QWidget *parent = nullptr);
    ~TDataSentakuBox() override;

    // IProcessForm
    int Execute(bool modal) override;
    void SetParams(const QStringList &params) override;

    void Prepare(bool modal);
    void SetSyoriType(int type); // throws platform::Error above 5
    int SyoriType() const { return m_syoriType; }
    int FormStyleKind() const { return m_formStyle; } // 0 MDI child, 1 MDI frame, 2 normal, 3 stay on top
    const TDataKensakuRec &FixedFilter() const { return m_fixed; }
    bool FixedFilterOn() const { return m_fixed.JyokenUse == 1; }
    int BackupMode() const { return m_backupMode; }
    QString BackupPath() const { return m_backupPath; }
    QString SelectedFolder() const { return m_selFolder; }
    QString SelectedKey() const { return m_selKey; }
    int SortCol() const { return m_sortCol; }
    bool SortDesc() const { return m_sortDesc; }

    // The list.
    void ShowDataList();
    int LoadDataList();
    void ApplySearchFilter();
    void FillGrid(int index);
    const TDataListRec *RowRecord(int row) const;
    QString RowFolderPath(int row) const;
    int ParentRowOf(int row) const;
    int RowShareState(int row) const;
    int RowDispIndex(int row) const;
    void LocateCurrentData();
    void HeaderClick(int col);
    // A click on the lock column in the server modes locks or unlocks the data set.
    void LockClick(int row);
    // Writes a list record back; a record without a folder path is refused.
    void SaveListRecord(const TDataListRec &r);
    const TDataSentakuRecArray &Records() const { return m_recs; }
    const TDataSentakuRecDispArray &DisplayOrder() const { return m_disp; }

    // The refresh of the list from the data folders, the incremental search
    // of the grid and the upgrade test of a row.
    void btnListUpdateClick();
    // -1 the whole list, else one row (and a child's parent row).
    bool DataListRefresh(int row);
    void SetListRecFromInfo(TDataListRec &rec, bool reset);
    void RebuildChildList(int row);
    void ReloadAndLocate(int topRow, const TDataListRec &rec);
    bool IncSearch(int first, int last) { return m_incSearch->FindRow(first, last); }
    void IncSerchTimerTimer() { m_incSearch->TimerTick(); }
    QString IncSearchText() const { return m_incSearch->Text(); }
    bool CheckRowDbUpdate(int row, bool ask);
    // The details of the current row, and what the detail dialog changed.
    void btnDataInfoClick();
    bool ApplyDetailChanges(const QString &folder, QString &listName, int updateLock);
    // The fetch and store of shared data sets; a button without its command stays disabled.
    std::function<void()> KyoyuUpCommand, KyoyuDownCommand;
    QLineEdit *txtIncSerch = nullptr;
    QTimer *IncSerchTimer = nullptr;
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;

    // The data-set commands: copy and paste (F2), new data and distributed-input
    // copies (F3), data areas (F4 in the server modes) and delete (F5).
    bool CopyPasteData(TxPlButton *button);
    int NewData(); // the new-data process's answer: 1 made, 2 cancelled, else not run
    bool DeleteData(bool report);
    bool AddDataArea();
    bool AddDistributedData();
    void DeleteChildData(int row, bool all);
    void CopyChildList(int row);
    void WriteRowGassanSettings(int row);
    void NumberChildRows(int row);
    bool CopyPending() const { return m_copyPending; }
    QString CopySource() const { return m_copySource; }
    QString CopyListNameOfSource() const { return m_copyListName; }
    // Whether the new-data process is registered (else "F3:新規作成" stays off).
    static bool NewDataAvailable();
    // Stores a shared data set held here back to the shared server after a
    // paste or new data and takes its share lock again; true when stored.
    // Not installed: the data set stays held here.
    std::function<bool(int row)> StoreSharedAfterChange;
    // The take-out and bring-back of F3 in server mode 1; without it that key stays off.
    std::function<void()> TakeOutCommand;

    // Shared data (local mode) and the take-out of server mode 1.
    void btnKyoyuDataDownClick();
    void btnKyoyuDataUpClick();
    // The answer of the list controller's fetch / store (1 done); 0 when nothing was done.
    int FetchSharedData(bool quiet);
    int StoreSharedData(bool quiet);
    // Sets the share lock of a record and its children and writes the share
    // statuses of their work folders and shared folders (2 held, 1 free).
    void SetShareLock(int lock, TDataSentakuRec &rec);
    bool ReleaseSharedAllocation();
    bool TakeOutOrBringBack();
    void SetRowLockIcon(int row, bool takenOut);
    // The shared-data selection screen (made on first use, kept with this screen).
    TServerSentakuBox &ServerBox();
    // The last shared drive chosen (kept for the session).
    static QString &SharedDriveSetting()
    {
        static QString drive;
        return drive;
    }
    // Asks take-out (1) or bring-back (2), 0 cancelled (default: the choice dialog).
    std::function<int(QWidget *owner, bool takenOut)> TakeOutChooser;

    // Keys.
    void UpdateFunctionKeys();
    // Shows a computed key state on the keys and the shared-data buttons.
    void ApplyKeyState(const TDataKeyState &s);
    void LoadHints();
    void F1Click(TxPlButton *button);
    void ESCClick();
    void F12Click();
    int KeyState() const { return m_keyState; }
    // F8: the print options of the list, then its printout or preview.
    void PrintDataList();
    // F6 and F7: save the focused data set into a backup file, restore one
    // into the focused row (an empty folder lets the operator choose).
    int SaveData(const QString &folder);
    int RestoreData(const QString &folder);
    TDataSaveRestore &SaveRestore();
    int DataPlace() const { return m_dataPlace; }
    // The commands of F2 to F8 that this build carries; a key without one stays disabled.
    std::array<std::function<void()>, dkCount> KeyCommands;

    // Controls (object names as the layout names them).
    QWidget *pnlClient = nullptr, *pnlBottom = nullptr, *pnlDataMan = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cmbDataMan = nullptr;
    TxPlButton *btnDataMan = nullptr, *btnKyoyuDataUp = nullptr, *btnKyoyuDataDown = nullptr;
    QCheckBox *cboxKyoyuDataAuto = nullptr;
    TxPlButton *btnSearchCancel = nullptr, *btnSearch = nullptr, *btnDataInfo = nullptr, *btnListUpdate = nullptr;
    QTableWidget *PerfectGrid1 = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    std::array<TxPlButton *, dkCount> Keys{};
    TxPlButton *ESC = nullptr, *F1 = nullptr, *F2 = nullptr, *F3 = nullptr, *F4 = nullptr, *F5 = nullptr,
               *F6 = nullptr, *F7 = nullptr, *F8 = nullptr, *F12 = nullptr;

    QColor BackColor, OddRowBackColor, FocusBorderColor, ForeColor;

    void done(int r) override;

protected:
    void showEvent(QShowEvent *e) override;
    void FormClose() override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildControls();
    void setupGrid();
    void writeGridRow(int row, const TDataListRec &r);
    void setRowColors(int row, const QColor &back, const QColor &fore);
    void writeHeaders();
    bool rowUpgradeForbidden(const TDataListRec &r);
    void clearSelection();
    bool closeQuery();
    int checkFolder(const QString &folder);
    void btnSearchClick();
    void btnSearchCancelClick();
    void cellFocusChanged();
    void buildRefreshControls();
    // The data-set commands (DataSentakuCommands.cpp).
    void installDataSetCommands();
    bool copyStep(int row);
    bool pasteStep(int row);
    bool pasteOnServer(const QString &s, const QString &t, TDataListRec &rec, QString &why);
    bool checkPastePattern(const QString &name, const TDataInfomationRec &source, const QString &t);
    void markRowDamaged(int row);
    void showProgress(const QString &caption, const QString &text, bool animation);
    void setRowDataLock(TDataListRec &rec, bool on);
    bool keyCarried(int key, const QString &caption) const;
    void installSharedCommands();
    void assignSharedData(int row);
    void resetGridAfterTransfer();
    bool switchToLocalSettings();
    // The automatic fetch (or store) of a shared row; true when nothing stops the run.
    bool autoSharedTransfer(int row, bool upload);

    QStringList m_params;
    bool m_modal = false;
    int m_syoriType = 0;
    int m_formStyle = 0;
    TDataKensakuRec m_fixed;
    TDataKensakuRec m_saved, m_work;
    int m_sortCol = -1;
    bool m_sortDesc = false;
    TDataSentakuRecArray m_recs;
    TDataListArray m_childRecs;
    TDataSentakuRecDispArray m_disp;
    int m_keyState = 0;
    bool m_copyPending = false;
    QString m_copySource;
    QString m_selFolder, m_selKey, m_prevFolder;
    bool m_cancelRequested = false;
    bool m_locateOnShow = true;
    int m_backupMode = 0;
    QString m_backupPath;
    int m_dataPlace = 0;
    QString m_dataPlacePath;
    bool m_kyoyuAuto = false;
    int m_focusRow = -1;
    QIcon m_pics[3];
    TGridIncSearch *m_incSearch = nullptr;
    TDataInfomationRec m_curInfo;

    std::unique_ptr<TDataListKensakuCtl> m_kensaku;
    std::unique_ptr<TDataSentakuListCtl> m_listCtl;
    std::unique_ptr<TDataInfomation> m_info;
    std::unique_ptr<TDataFolderCheck> m_check;
    std::unique_ptr<TDbUpdateBox> m_dbUpdate;
    // The copy waiting for its paste target.
    TDataSentakuRec m_copyRec;
    QString m_copyListName;
    int m_copyRecIndex = -1;
    int m_copyGassan = 0;
    std::shared_ptr<TGassanDataCtl> m_gassan; // made on first use
    std::unique_ptr<TDataSaveRestore> m_saveRestore;
    TServerSentakuBox *m_serverBox = nullptr; // a child of this screen
};

// Registers the screen with the process registry under "QmDataSenkaku".
void RegisterDataSentakuBox();
