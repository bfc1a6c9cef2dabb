#pragma once
// The shared-data selection screen ("共有データの選択"): lists the network
// drives that carry the shared data folder at their root, shows the areas of
// the chosen drive (this installation's server list of the drive, rebuilt
// from the area folders on request) and lets the operator choose one, copy a
// data set from area to area (F2), add an area (F4), delete one (F5) and print
// the list (F8). A drive is a mount folder of this computer.
#include "datasets/DataListKensaku.h"
#include "datasets/DataSentakuList.h"
#include "framework/SDI.h"

#include <QColor>
#include <QIcon>
#include <QStringList>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;
class TGridIncSearch;
class TxAnimeProgressDialog;
class TxPlButton;

// The grid's columns.
enum TServerSentakuCol : int {
    scNo = 0, scCode, scName, scNendo, scKikan, scFolder, scVerText, scSharePic, scShare, scSpare, scUpdate,
    scGassan, scRecIndex, scChildIndex, scStatus, scColCount
};

// What the information of an area makes of its list record; with reset the
// record becomes a free area ("空き領域") of the current group.
void ServerListRecFromInfo(const TDataInfomationRec &info, TDataListRec &rec, bool reset);
// True for the list name of an area without a data set.
bool IsFreeAreaName(const QString &name);

class TServerSentakuBox : public TBSDI
{
    Q_OBJECT
public:
    explicit TServerSentakuBox(QWidget *parent = nullptr);
    ~TServerSentakuBox() override;

    // Set by the caller before SetMode (the last shared drive: a mount
    // folder); read with SelPath and SelName after modal result 1.
    QString ShareDrive;
    QString SharePath;
    QString SelPath, SelName;

    void SetMode(int mode);
    int Mode() const { return m_mode; }
    // Writes a shared row's list entry and its list name and update lock into
    // the information file of its area.
    void WriteDataInfo(const TDataListRec &rec);
    // Sets the share status (1 free, 2 taken out) of an area; true when it wrote.
    static bool SetDataStatus(const QString &folder, int status);
    int ReadShareStatus(const QString &folder);

    void InitScreen();
    void LoadHints();
    void ListServerDrives();
    void RefreshDataList();
    void LoadDataList(int mode);
    void SyncServerListRecord(TDataListRec &rec);
    void FilterDataList();
    void FillGrid(int index);
    void UpdateFunctionKeys();
    const TDataListRec *RowRecord(int row) const;
    int ParentRowOf(int row) const;
    void HeaderClick(int col);
    void cmbDriveChange();
    void btnListUpdateClick();
    void btnMountClick();
    void btnDataInfoClick();
    void btnSearchClick(bool cancel);
    void F1Click(TxPlButton *button);
    void ESCClick();
    void F12Click();
    int FunctionState() const { return m_funcState; }
    const TDataSentakuRecArray &Records() const { return m_recs; }
    const TDataSentakuRecDispArray &DisplayOrder() const { return m_disp; }
    QStringList DriveRoots() const { return m_driveLetters; }
    int SortCol() const { return m_sortCol; }
    bool SortDesc() const { return m_sortDesc; }

    // The area commands.
    quint8 CheckDataStatus(const QString &folder, bool warn, bool report);
    void WriteDataStatus(const QString &folder, int status);
    bool CopyData();
    bool CompareDataForCopy(const QString &label, const QString &source, const QString &target);
    bool AddDataArea();
    bool DeleteData(bool report);
    void PrintDataList();
    void DeleteChildData(int row);
    void CopyChildList(int row);
    bool CopyMode() const { return m_copyMode; }
    QString CopySource() const { return m_copySource; }
    const TDataListRec &CopySourceRecord() const { return m_copyRec; }

    // Opens the platform's dialog that connects a network drive: 0 connected.
    // Not installed: the call fails and the screen says so.
    static inline std::function<int(QWidget *owner)> NetworkDriveConnector;

    // Controls (object names as the layout names them).
    QWidget *pnlClient = nullptr, *pnlBottom = nullptr;
    QLabel *lblDrive = nullptr;
    QComboBox *cmbDrive = nullptr;
    QCheckBox *cboxDataListUpdate = nullptr;
    TxPlButton *btnMount = nullptr, *btnSearchCancel = nullptr, *btnSearch = nullptr, *btnDataInfo = nullptr,
               *btnListUpdate = nullptr;
    QTableWidget *PerfectGrid1 = nullptr;
    QLineEdit *txtIncSerch = nullptr;
    QTimer *IncSerchTimer = nullptr;
    QPlainTextEdit *HintArea = nullptr;
    std::array<TxPlButton *, 10> Keys{}; // ESC, F1..F8, F12
    TxPlButton *ESC = nullptr, *F1 = nullptr, *F2 = nullptr, *F3 = nullptr, *F4 = nullptr, *F5 = nullptr,
               *F6 = nullptr, *F7 = nullptr, *F8 = nullptr, *F12 = nullptr;
    TxAnimeProgressDialog *xAnimeProgressDialog1 = nullptr;
    QColor BackColor, OddRowBackColor, FocusBorderColor, ForeColor;

protected:
    void showEvent(QShowEvent *e) override;
    void FormClose() override;
    bool FormKeyUp(int key, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildControls();
    void cellFocusChanged(int row);
    void setRowCells(int row, const TDataListRec &r);
    void setShareMark(int row, const QString &folder);
    void setRowBack(int row, bool damaged);
    void removeChildRows(int row);
    void focusGrid();
    void showProgress(const QString &caption, const QString &text, bool cancel);
    TDataSentakuRec *recordOfRow(int row);
    void pasteOn(int row, const QString &t, quint8 s);

    int m_mode = 0;
    TGridIncSearch *m_incSearch = nullptr;
    int m_focusRow = -1;
    QString m_gridHint;
    QStringList m_driveLetters;
    TDataSentakuRecArray m_recs;
    TDataListArray m_childRecs;
    TDataSentakuRecDispArray m_disp;
    TDataKensakuRec m_edit, m_cond;
    int m_sortCol = -1;
    bool m_sortDesc = false;
    bool m_copyMode = false;
    QString m_copySource;
    TDataListRec m_copyRec;
    int m_copyIndex = -1;
    int m_funcState = 0;
    TDataInfomationRec m_info;
    QIcon m_pics[2];
    std::unique_ptr<TDataSentakuListCtl> m_listCtl;
    std::unique_ptr<TDataInfomation> m_infoCtl;
};
