#include "datasets/DataSentaku.h"

#include "datasets/DataFolderCheck.h"
#include "datasets/DataListKensakuBox.h"
#include "datasets/DataSaveRestore.h"
#include "datasets/z5ComDataSentaku.h"
#include "datasets/z5DataSentakuPrintDlg.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbupdate/z5DbUpdate.h"
#include "framework/FrameworkMessages.h"
#include "framework/HtmlHelp.h"
#include "framework/MessageDlg2.h"
#include "framework/xPlButton.h"
#include "platform/Error.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>

QString DataSentakuSelectedKey;
QString DataSentakuProcessResult;
std::function<bool(QWidget *parent, TDataKensakuRec &rec)> DataListKensakuEditor = EditDataListKensaku;

namespace {

// Colour values as the settings store them (0x00BBGGRR).
QColor fromTColor(int v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

const QColor kDamaged = fromTColor(255);       // red
const QColor kGrey = fromTColor(8421504);      // upgrade forbidden
const QColor kServerOdd = fromTColor(16773345); // light blue
const QColor kServerFocus = fromTColor(8404992); // dark blue
// The framework's built-in colours of the local mode.
const QColor kClientColor = fromTColor(0xFFFFFF);
const QColor kClientColor2 = fromTColor(0xE1F0FF);
const QColor kActiveColor = fromTColor(0x246BFF);

bool isTopKind(int g) { return g == 0 || g == 1 || g == 2; }

QString stripTrailingSeparator(QString p)
{
    while (p.size() > 1 && (p.endsWith(u'/') || p.endsWith(u'\\'))) p.chop(1);
    return p;
}

QIcon makePicture(int kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    if (kind == 0) return QIcon(pm);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == 1) { // lock
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.drawArc(QRect(4, 1, 8, 9), 0, 180 * 16);
        p.fillRect(QRect(3, 7, 10, 8), QColor(200, 150, 30));
    } else { // shared
        p.setBrush(QColor(40, 120, 200));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(1, 4, 8, 8));
        p.drawEllipse(QRect(7, 4, 8, 8));
    }
    return QIcon(pm);
}

const char *const kHeaders[dcColCount] = {"No", "コード", "データ名  ", "会計年度", "会計期間", "データフォルダ",
                                          "バージョン", "", "", "鍵", "共有", "バージョン", "データ更新",
                                          "合算区分", "", "", "データステータス"};
const int kWidths[dcColCount] = {40, 70, 280, 80, 180, 200, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Qt::Alignment kAlign[dcColCount] = {
    Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft,
    Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignHCenter,
    Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignLeft};

// Paints the current row in its own colours (the focus colour set on its items)
// with a frame in the focus border colour, instead of the selection colours.
class RowFrameDelegate : public QStyledItemDelegate
{
public:
    RowFrameDelegate(const QColor &border, QObject *parent) : QStyledItemDelegate(parent), m_border(border) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o(option);
        const bool current = o.state & QStyle::State_Selected;
        o.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(p, o, index);
        if (!current) return;
        p->save();
        p->setPen(QPen(m_border, 2));
        const QRect r = o.rect.adjusted(0, 1, 0, -1);
        p->drawLine(r.topLeft(), r.topRight());
        p->drawLine(r.bottomLeft(), r.bottomRight());
        p->restore();
    }

private:
    QColor m_border;
};

} // namespace

QString DataSentakuFolderText(const QString &pasName, const QString &dataRoot)
{
    const QString root = stripTrailingSeparator(dataRoot);
    if (root.isEmpty()) return pasName;
    QString out = pasName;
    int at = 0;
    while ((at = out.indexOf(root, at, Qt::CaseInsensitive)) >= 0) {
        out.replace(at, root.size(), QStringLiteral("~"));
        at += 1;
    }
    return out;
}

// ---- creation ----

TDataSentakuBox::TDataSentakuBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("DataSentakuBox"));
    UseMenuCallback = false;
    SkipProcessCheck = false;
    SaveFormSize = false;
    NotifyActivate = false;
    buildControls();
    HintMemo = HintArea;
    EndButton = F12;

    setWindowTitle(ConnectMode == 1 ? QStringLiteral("データ選択（サーバー）") : QStringLiteral("データ選択"));
    m_dataPlace = SystemDef.SysDef.DataPlace;
    m_dataPlacePath = SystemDef.SysDir;
    for (int i = 0; i < 3; ++i) m_pics[i] = makePicture(i);
    try {
        m_kensaku = std::make_unique<TDataListKensakuCtl>();
        m_kensaku->ListType = 0;
        m_kensaku->InitSearchRec(m_fixed);
        m_dbUpdate = std::make_unique<TDbUpdateBox>();
        m_listCtl = std::make_unique<TDataSentakuListCtl>();
        m_listCtl->ConnectMode = ConnectMode;
        m_info = std::make_unique<TDataInfomation>();
        m_info->ConnectMode = ConnectMode;
        m_check = std::make_unique<TDataFolderCheck>();
    } catch (const std::exception &) {
        return; // CreateDone stays off: Execute reports the failed set-up
    }
    ForeColor = palette().color(QPalette::Text);
    const TGridColors colours = SetPerfectGridColors(PerfectGrid1, 0);
    BackColor = colours.Back;
    OddRowBackColor = colours.OddRowBack;
    FocusBorderColor = colours.FocusBorder;
    switch (ConnectMode) {
    case 0:
        setWindowTitle(QStringLiteral("データ選択"));
        BackColor = kClientColor;
        OddRowBackColor = kClientColor2;
        FocusBorderColor = kActiveColor;
        pnlDataMan->hide();
        break;
    default:
        setWindowTitle(ConnectMode == 1 ? QStringLiteral("データ選択（サーバー）") : QStringLiteral("データ選択"));
        BackColor = kClientColor;
        OddRowBackColor = kServerOdd;
        FocusBorderColor = kServerFocus;
        btnKyoyuDataUp->hide();
        btnKyoyuDataDown->hide();
        cboxKyoyuDataAuto->hide();
        pnlDataMan->show();
        break;
    }
    setupGrid();
    CreateDone = true;
}

TDataSentakuBox::~TDataSentakuBox() = default;

void TDataSentakuBox::buildControls()
{
    setFixedSize(992, 564);
    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 992, 434);
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 434, 992, 130);

    pnlDataMan = new QWidget(pnlClient);
    pnlDataMan->setObjectName(QStringLiteral("pnlDataMan"));
    pnlDataMan->setGeometry(8, 6, 440, 30);
    Label1 = new QLabel(QStringLiteral("データの場所:"), pnlDataMan);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 4, 100, 22);
    cmbDataMan = new QComboBox(pnlDataMan);
    cmbDataMan->setObjectName(QStringLiteral("cmbDataMan"));
    cmbDataMan->setGeometry(104, 2, 240, 26);
    cmbDataMan->setEnabled(false); // the data places come with their dialog
    btnDataMan = NewPlButton(pnlDataMan, QStringLiteral("btnDataMan"), QStringLiteral("設定"), QRect(352, 1, 80, 28));
    btnDataMan->setEnabled(false);

    cboxKyoyuDataAuto = new QCheckBox(QStringLiteral("共有データの取得と保管を自動化する"), pnlClient);
    cboxKyoyuDataAuto->setObjectName(QStringLiteral("cboxKyoyuDataAuto"));
    cboxKyoyuDataAuto->setGeometry(8, 10, 290, 24);
    connect(cboxKyoyuDataAuto, &QCheckBox::clicked, this, [this](bool on) {
        SystemDef.SysDef.KyoyuDataAuto = on ? 1 : 0;
        m_kyoyuAuto = on;
        PerfectGrid1->setFocus(Qt::OtherFocusReason);
        UpdateFunctionKeys();
    });
    btnKyoyuDataUp = NewPlButton(pnlClient, QStringLiteral("btnKyoyuDataUp"), QStringLiteral("共有保管"), QRect(300, 7, 88, 30));
    btnKyoyuDataDown = NewPlButton(pnlClient, QStringLiteral("btnKyoyuDataDown"), QStringLiteral("共有取得"), QRect(392, 7, 88, 30));
    btnKyoyuDataUp->setEnabled(false);
    btnKyoyuDataDown->setEnabled(false);
    connect(btnKyoyuDataUp, &TxPlButton::clicked, this, [this] {
        if (btnKyoyuDataUp->isEnabled() && KyoyuUpCommand) KyoyuUpCommand();
    });
    connect(btnKyoyuDataDown, &TxPlButton::clicked, this, [this] {
        if (btnKyoyuDataDown->isEnabled() && KyoyuDownCommand) KyoyuDownCommand();
    });
    btnSearchCancel = NewPlButton(pnlClient, QStringLiteral("btnSearchCancel"), QStringLiteral("検索解除"), QRect(632, 7, 84, 30));
    btnSearchCancel->setEnabled(false);
    btnSearch = NewPlButton(pnlClient, QStringLiteral("btnSearch"), QStringLiteral("検索"), QRect(720, 7, 84, 30));
    btnDataInfo = NewPlButton(pnlClient, QStringLiteral("btnDataInfo"), QStringLiteral("情報"), QRect(808, 7, 84, 30));
    btnListUpdate = NewPlButton(pnlClient, QStringLiteral("btnListUpdate"), QStringLiteral("更新"), QRect(896, 7, 88, 30));
    connect(btnSearch, &TxPlButton::clicked, this, [this] { btnSearchClick(); });
    connect(btnSearchCancel, &TxPlButton::clicked, this, [this] { btnSearchCancelClick(); });
    connect(btnDataInfo, &TxPlButton::clicked, this, [this] { btnDataInfoClick(); });
    connect(btnListUpdate, &TxPlButton::clicked, this, [this] { btnListUpdateClick(); });

    PerfectGrid1 = new QTableWidget(pnlClient);
    PerfectGrid1->setObjectName(QStringLiteral("PerfectGrid1"));
    PerfectGrid1->setGeometry(8, 44, 976, 386);

    HintArea = new QPlainTextEdit(pnlBottom);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setGeometry(8, 2, 976, 86);
    HintArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const char *names[dkCount] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
    const QString captions[dkCount] = {QStringLiteral("ESC:ｷｬﾝｾﾙ"), QStringLiteral("F1:ヘルプ"), QStringLiteral("F2:"),
                                       QStringLiteral("F3:"), QStringLiteral("F4:"), QStringLiteral("F5:"),
                                       QStringLiteral("F6:"), QStringLiteral("F7:"), QStringLiteral("F8:印刷"),
                                       QStringLiteral("F12:選択")};
    for (int k = 0; k < dkCount; ++k) {
        const int x = k == dkF12 ? 992 - 8 - 92 : 8 + k * 97;
        Keys[k] = NewPlButton(pnlBottom, QLatin1String(names[k]), captions[k], QRect(x, 91, 92, 34));
        Keys[k]->setFocusPolicy(Qt::NoFocus);
    }
    ESC = Keys[dkESC]; F1 = Keys[dkF1]; F2 = Keys[dkF2]; F3 = Keys[dkF3]; F4 = Keys[dkF4];
    F5 = Keys[dkF5]; F6 = Keys[dkF6]; F7 = Keys[dkF7]; F8 = Keys[dkF8]; F12 = Keys[dkF12];
    ESC->setModalResult(2);
    F12->setModalResult(1);
    connect(ESC, &TxPlButton::clicked, this, [this] { ESCClick(); });
    connect(F12, &TxPlButton::clicked, this, [this] { F12Click(); });
    for (int k = dkF1; k <= dkF8; ++k) {
        TxPlButton *b = Keys[k];
        connect(b, &TxPlButton::clicked, this, [this, b] { F1Click(b); });
    }
    KeyCommands[dkF1] = [] { OpenHtmlManual(QStringLiteral("file01.html")); };
    buildRefreshControls();
    KeyCommands[dkF8] = [this] { PrintDataList(); };
    installDataSetCommands();
    KeyCommands[dkF6] = [this] { SaveData(QString()); };
    KeyCommands[dkF7] = [this] { RestoreData(QString()); };
}

TDataSaveRestore &TDataSentakuBox::SaveRestore()
{
    if (!m_saveRestore) m_saveRestore = std::make_unique<TDataSaveRestore>(*this);
    return *m_saveRestore;
}

int TDataSentakuBox::SaveData(const QString &folder) { return SaveRestore().SaveData(folder); }

int TDataSentakuBox::RestoreData(const QString &folder) { return SaveRestore().RestoreData(folder); }

void TDataSentakuBox::setupGrid()
{
    QTableWidget *g = PerfectGrid1;
    g->setColumnCount(dcColCount);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->horizontalHeader()->setSectionsClickable(true);
    g->horizontalHeader()->setHighlightSections(false);
    g->setIconSize(QSize(16, 16));
    g->setWordWrap(false);
    g->verticalHeader()->setDefaultSectionSize(24);
    QPalette pal = g->palette();
    pal.setColor(QPalette::Base, BackColor);
    pal.setColor(QPalette::AlternateBase, OddRowBackColor);
    pal.setColor(QPalette::Highlight, FocusBorderColor.lighter(170));
    pal.setColor(QPalette::HighlightedText, ForeColor);
    g->setPalette(pal);
    writeHeaders();
    for (int c = 0; c < dcColCount; ++c) {
        g->setColumnWidth(c, kWidths[c]);
        g->setColumnHidden(c, kWidths[c] == 0);
    }
    const int picCol = ConnectMode == 0 ? dcSharePic : (ConnectMode == 1 || ConnectMode == 2 ? dcLockPic : -1);
    if (picCol >= 0) {
        g->setColumnHidden(picCol, false);
        g->setColumnWidth(picCol, 32);
        g->setColumnWidth(dcName, 248);
    }
    g->installEventFilter(this);
    connect(g->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { HeaderClick(c); });
    connect(g, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (PerfectGrid1->rowCount() > 0 && row >= 0) F12->click();
    });
    connect(g, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) { cellFocusChanged(); });
    connect(g, &QTableWidget::cellClicked, this, [this](int row, int col) {
        if (col == dcLockPic && (ConnectMode == 1 || ConnectMode == 2) && row >= 0) LockClick(row);
    });
    g->setItemDelegate(new RowFrameDelegate(FocusBorderColor, g));
}

void TDataSentakuBox::writeHeaders()
{
    for (int c = 0; c < dcColCount; ++c) {
        QString text = QString::fromUtf8(kHeaders[c]);
        if (c == dcLockPic && ConnectMode != 0) text = QStringLiteral("鍵");
        if (c == dcSharePic && ConnectMode == 0) text = QStringLiteral("共有");
        if (c == m_sortCol && c >= 1 && c <= 6) text += m_sortDesc ? QStringLiteral("▼") : QStringLiteral("▲");
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        PerfectGrid1->setHorizontalHeaderItem(c, item);
    }
}

// ---- parameters ----

void TDataSentakuBox::SetSyoriType(int type)
{
    if (type > 5) throw platform::Error(QStringLiteral("処理タイプに範囲外の値が設定されました。"));
    m_syoriType = type;
    if (m_check) m_check->SyoriType = type;
}

void TDataSentakuBox::SetParams(const QStringList &params)
{
    m_params = params;
    auto has = [&params](const QString &key) {
        for (const QString &line : params) {
            const int eq = line.indexOf(u'=');
            if (eq >= 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    };
    auto value = [&params](const QString &key) { return ProcessParamValue(params, key); };

    if (has(QStringLiteral("SyoriType"))) {
        bool ok = false;
        const int t = value(QStringLiteral("SyoriType")).trimmed().toInt(&ok);
        if (ok && t >= 0) SetSyoriType(t);
    }
    if (has(QStringLiteral("FormStyle"))) {
        const int f = ProcessParamInt(params, QStringLiteral("FormStyle"), 0);
        m_formStyle = (f >= 0 && f <= 2) ? f : 3;
    } else {
        m_formStyle = 0;
    }
    if (m_kensaku) m_kensaku->InitSearchRec(m_fixed);
    if (has(QStringLiteral("JyokenSet"))) {
        m_fixed.JyokenUse = 1;
        m_fixed.DataType = ProcessParamInt(params, QStringLiteral("DataType"), 0);
        m_fixed.CodeType = ProcessParamInt(params, QStringLiteral("CodeType"), 0);
        if (has(QStringLiteral("DataVer"))) {
            m_fixed.DataVer = value(QStringLiteral("DataVer"));
            m_fixed.VerCompMode = 0;
        }
        if (has(QStringLiteral("DataVerMajor"))) {
            m_fixed.DataVer = value(QStringLiteral("DataVerMajor"));
            m_fixed.DataVer2.clear();
            m_fixed.VerCompMode = 1;
        }
        if (has(QStringLiteral("DataVerMore"))) {
            m_fixed.DataVer = value(QStringLiteral("DataVerMore"));
            m_fixed.DataVer2.clear();
            m_fixed.VerCompMode = 2;
        }
        if (value(QStringLiteral("ManualFree")) == QStringLiteral("1")) KeepOnClose = true;
    }
    m_backupMode = 0;
    m_backupPath.clear();
    if (m_syoriType == 5) {
        const QString s = value(QStringLiteral("OnlySA_Syori"));
        if (s == QStringLiteral("Restore")) m_backupMode = 1;
        m_backupPath = value(QStringLiteral("OnlySA_BackupPath"));
    }
}

// ---- running ----

int TDataSentakuBox::Execute(bool modal)
{
    QApplication::restoreOverrideCursor();
    if (!modal) {
        show();
        return 1;
    }
    if (!SkipProcessCheck && MenuCallbackHook && MenuCallbackHook(10, QString()) > 0) {
        MessageDlg(OtherProcessesOpenText(), TMsgDlgType::mtWarning, mbOK);
        freeOnClose();
        return -1;
    }
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        freeOnClose();
        return -1;
    }
    SetFormPosition(0, 0, 0, 0, 3);
    Prepare(true);
    return ModalRunner(*this);
}

void TDataSentakuBox::Prepare(bool modal)
{
    m_modal = modal;
    if (m_syoriType == 2 || m_syoriType == 5) {
        UseMenuCallback = false;
        DataSentakuProcessResult.clear();
    }
    ShowDataList();
    FirstPositioning = false;
}

void TDataSentakuBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e); // reports a failed set-up and closes
    if (e->spontaneous() || !CreateDone) return;
    LocateCurrentData();
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    UpdateFunctionKeys();
}

// ---- the list ----

void TDataSentakuBox::ShowDataList()
{
    LoadHints();
    m_kensaku->SelectRecord(m_saved);
    m_work = m_saved;
    if (m_work.JyokenUse == 0) {
        m_work.DataType = 0;
        m_work.CodeType = 0;
        m_work.DataCode.clear();
        m_work.DataName.clear();
        m_work.Tanto = 0;
        m_work.DataVer.clear();
        m_work.SeihinName.clear();
    }
    if (m_fixed.JyokenUse == 1) {
        m_fixed.SortCol = m_saved.SortCol;
        m_fixed.SortType = m_saved.SortType;
        m_work = m_fixed;
    }
    btnSearchCancel->setEnabled(m_work.JyokenUse == 1 && m_syoriType != 3);
    m_sortCol = m_work.SortCol;
    m_sortDesc = m_work.SortType != 0;
    if (LoadDataList() <= 0) return;
    FillGrid(-1);
    m_kyoyuAuto = SystemDef.SysDef.KyoyuDataAuto != 0;
    cboxKyoyuDataAuto->setChecked(m_kyoyuAuto); // "clicked" is not emitted
    m_prevFolder = SystemDef.DataDir;
    m_cancelRequested = false;
}

int TDataSentakuBox::LoadDataList()
{
    static const quint8 orders[7] = {1, 7, 2, 3, 4, 5, 6};
    const quint8 order = (m_sortCol >= 1 && m_sortCol <= 6) ? orders[m_sortCol] : 1;
    m_listCtl->SetDataListTable(m_dataPlace);
    m_listCtl->Execute(order, m_sortDesc);
    m_recs = m_listCtl->Recs;
    m_childRecs = m_listCtl->ChildRecs;
    ApplySearchFilter();
    return int(m_recs.size());
}

void TDataSentakuBox::ApplySearchFilter() { m_disp = ::ApplySearchFilter(m_recs, m_work); }

bool TDataSentakuBox::rowUpgradeForbidden(const TDataListRec &r)
{
    if (r.UPDATE_LOCK == 0 || r.VER_MAJOR == 0 || !m_dbUpdate) return false;
    m_dbUpdate->SetUpdateList(1, QStringLiteral("%1.%2.%3").arg(r.VER_MAJOR).arg(r.VER_MINOR1).arg(r.VER_MINOR2));
    return m_dbUpdate->UpdateNeeded();
}

void TDataSentakuBox::setRowColors(int row, const QColor &back, const QColor &fore)
{
    for (int c = 0; c < dcColCount; ++c)
        if (QTableWidgetItem *it = PerfectGrid1->item(row, c)) {
            it->setBackground(back);
            it->setForeground(fore);
        }
}

void TDataSentakuBox::writeGridRow(int row, const TDataListRec &r)
{
    QTableWidget *g = PerfectGrid1;
    auto set = [&](int c, const QString &text) {
        auto *it = new QTableWidgetItem(text);
        it->setTextAlignment(kAlign[c] | Qt::AlignVCenter);
        g->setItem(row, c, it);
    };
    const bool child = r.GASSAN == 10;
    set(dcNo, child ? QString() : QString::number(r.REC));
    set(dcCode, r.DATACODE);
    set(dcName, r.DispName.isEmpty() ? r.ENTTEXT : r.DispName);
    const bool special = r.ENTTEXT == QStringLiteral("空き領域") || r.ENTTEXT == QStringLiteral("新しい領域");
    if (!r.ENTTEXT.isEmpty() && !special) {
        set(dcNendo, QStringLiteral("%1 期").arg(r.NENDO));
        set(dcKikan, r.KikanText);
    } else {
        set(dcNendo, QString());
        set(dcKikan, QStringLiteral("～"));
    }
    set(dcFolder, DataSentakuFolderText(r.PASNAME, SystemDef.DataRootDir));
    set(dcVerText, r.VER_TEXT);
    set(dcLockPic, QString());
    set(dcSharePic, QString());
    set(dcLock, QString::number(r.DATALOCK));
    set(dcShare, QStringLiteral("0"));
    set(dcVersion, QStringLiteral("%1.%2.%3").arg(r.VER_MAJOR).arg(r.VER_MINOR1).arg(r.VER_MINOR2));
    set(dcUpdate, QString::number(r.UPDATE_LOCK));
    set(dcGassan, QString::number(r.GASSAN));
    set(dcRecIndex, QStringLiteral("0"));
    set(dcChildIndex, QStringLiteral("0"));
    set(dcStatus, QString::number(r.DATA_STATUS));
    g->item(row, dcLockPic)->setIcon(m_pics[r.DATALOCK != 0 ? 1 : 0]);
    QColor back = (row % 2 == 1) ? OddRowBackColor : BackColor;
    if (r.DATA_STATUS == 1) back = kDamaged;
    const QColor fore = CheckRowDbUpdate(row, true) ? kGrey : ForeColor;
    setRowColors(row, back, fore);
}

void TDataSentakuBox::FillGrid(int index)
{
    QTableWidget *g = PerfectGrid1;
    QSignalBlocker block(g);
    if (index < 0) {
        g->setRowCount(0);
        writeHeaders();
        for (int i = 0; i < m_disp.size(); ++i) FillGrid(i);
        m_focusRow = -1; // the rows are new: nothing to restore
        block.unblock();
        if (g->rowCount() > 0) g->setCurrentCell(0, dcNo);
        if (g->currentRow() != m_focusRow) cellFocusChanged();
        return;
    }
    if (index >= m_disp.size()) return;
    const int ri = m_disp[index];
    TDataSentakuRec &r = m_recs[ri];
    if (!isTopKind(r.GASSAN)) return;
    // The row of the record: an existing one when redrawn, else a new one at the end.
    int row = -1;
    for (int i = 0; i < g->rowCount(); ++i)
        if (g->item(i, dcRecIndex) && g->item(i, dcRecIndex)->text().toInt() == ri &&
            g->item(i, dcGassan)->text().toInt() != 10) {
            row = i;
            break;
        }
    if (row < 0) {
        row = g->rowCount();
        g->insertRow(row);
    }
    auto marks = [this, g](int rw, const TDataListRec &rec) {
        const int st = rec.NETDRIVE == 1 ? (rec.KYOYULOCK == 0 ? 1 : 2) : 0;
        if (st == 1) {
            g->item(rw, dcShare)->setText(QStringLiteral("0"));
            g->item(rw, dcSharePic)->setIcon(m_pics[2]);
        } else if (st == 2) {
            g->item(rw, dcShare)->setText(QStringLiteral("1"));
            g->item(rw, dcSharePic)->setIcon(m_pics[0]);
        }
    };
    writeGridRow(row, r);
    g->item(row, dcRecIndex)->setText(QString::number(ri));
    marks(row, r);
    while (row + 1 < g->rowCount() && g->item(row + 1, dcRecIndex) &&
           g->item(row + 1, dcRecIndex)->text().toInt() == ri && g->item(row + 1, dcGassan)->text().toInt() == 10)
        g->removeRow(row + 1);
    TDataSentakuListCtl::NumberChildNames(r);
    for (int c = 0; c < r.ChildRows.size(); ++c) {
        const int cr = row + 1 + c;
        g->insertRow(cr);
        writeGridRow(cr, r.ChildRows[c]);
        g->item(cr, dcNo)->setText(QString());
        g->item(cr, dcRecIndex)->setText(QString::number(ri));
        g->item(cr, dcChildIndex)->setText(QString::number(c));
        marks(cr, r.ChildRows[c]);
    }
}

const TDataListRec *TDataSentakuBox::RowRecord(int row) const
{
    QTableWidget *g = PerfectGrid1;
    if (row < 0 || row >= g->rowCount() || !g->item(row, dcRecIndex)) return nullptr;
    const int ri = g->item(row, dcRecIndex)->text().toInt();
    if (ri < 0 || ri >= m_recs.size()) return nullptr;
    if (isTopKind(g->item(row, dcGassan)->text().toInt())) return &m_recs[ri];
    const int ci = g->item(row, dcChildIndex)->text().toInt();
    const TDataListArray &children = m_recs[ri].ChildRows;
    return (ci >= 0 && ci < children.size()) ? &children[ci] : nullptr;
}

QString TDataSentakuBox::RowFolderPath(int row) const
{
    const TDataListRec *r = RowRecord(row);
    if (!r) return QString();
    if (r->NETDRIVE == 1) {
        const QString top = QDir::cleanPath(SystemDef.SysDir) + QStringLiteral("/%1").arg(r->REC, 4, 10, QLatin1Char('0'));
        if (isTopKind(r->GASSAN)) return top;
        return top + u'/' + QFileInfo(stripTrailingSeparator(r->PASNAME)).fileName();
    }
    return stripTrailingSeparator(r->PASNAME);
}

int TDataSentakuBox::ParentRowOf(int row) const
{
    QTableWidget *g = PerfectGrid1;
    if (row < 0 || row >= g->rowCount()) return row;
    if (isTopKind(g->item(row, dcGassan)->text().toInt())) return row;
    const QString ri = g->item(row, dcRecIndex)->text();
    for (int i = 0; i < g->rowCount(); ++i)
        if (g->item(i, dcRecIndex)->text() == ri && isTopKind(g->item(i, dcGassan)->text().toInt())) return i;
    return row;
}

int TDataSentakuBox::RowShareState(int row) const
{
    const TDataListRec *r = RowRecord(row);
    if (!r || r->NETDRIVE != 1) return 0;
    return r->KYOYULOCK == 0 ? 1 : 2;
}

int TDataSentakuBox::RowDispIndex(int row) const
{
    if (row < 0 || row >= PerfectGrid1->rowCount()) return 0;
    const int ri = PerfectGrid1->item(row, dcRecIndex)->text().toInt();
    if (!btnSearchCancel->isEnabled() && m_syoriType != 3) return ri;
    const int pos = int(m_disp.indexOf(ri));
    return pos < 0 ? 0 : pos;
}

void TDataSentakuBox::LocateCurrentData()
{
    if (!m_locateOnShow) return;
    const QString cur = stripTrailingSeparator(QDir::fromNativeSeparators(SystemDef.DataDir));
    if (!cur.isEmpty())
        for (int i = 0; i < PerfectGrid1->rowCount(); ++i)
            if (RowFolderPath(i).compare(cur, Qt::CaseInsensitive) == 0) {
                PerfectGrid1->setCurrentCell(i, dcNo);
                if (i >= 6) PerfectGrid1->scrollToItem(PerfectGrid1->item(i - 6, dcNo), QAbstractItemView::PositionAtTop);
                break;
            }
    m_locateOnShow = true;
}

void TDataSentakuBox::HeaderClick(int col)
{
    if (PerfectGrid1->currentRow() < 0) return;
    if (col < 0 || col > 6) return;
    const int target = col == 0 ? 0 : col;
    const bool same = col == 0 ? m_sortCol <= 0 : m_sortCol == col;
    m_sortDesc = same ? !m_sortDesc : false;
    m_sortCol = target;
    LoadDataList();
    FillGrid(-1);
    UpdateFunctionKeys();
}

// ---- keys ----

void TDataSentakuBox::LoadHints()
{
    cboxKyoyuDataAuto->setToolTip(QStringLiteral(
        "ﾁｪｯｸを入れると取得・保管ﾎﾞﾀﾝを使わずに共有ﾃﾞｰﾀを処理できます。空白行に共有ﾃﾞｰﾀを割り当てる場合やLANから切り離してﾃﾞｰﾀ持ち出す場合はﾁｪｯｸを外してください。|"));
    btnKyoyuDataUp->setToolTip(QStringLiteral("選択した共有ﾃﾞｰﾀを他のPCで使用可能にします。保管を行うと［共有］欄にｱｲｺﾝが付きます。|"));
    btnKyoyuDataDown->setToolTip(QStringLiteral(
        "空白行を選択してｸﾘｯｸすると［共有ﾃﾞｰﾀの選択］画面が開きます。共有ﾃﾞｰﾀ行を選択してｸﾘｯｸすると選択可能になります。（［共有］欄のｱｲｺﾝが外れます。）|"));
    btnSearchCancel->setToolTip(QStringLiteral("検索状態を解除します。|"));
    btnSearch->setToolTip(QStringLiteral("［検索条件の設定］画面を開きます。一定条件に該当するﾃﾞｰﾀを抽出表示する場合に使用します。|"));
    btnDataInfo->setToolTip(QStringLiteral(
        "「ﾃﾞｰﾀの詳細情報」画面を開きます。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。|"
        "「ﾃﾞｰﾀの詳細情報」画面を開きます。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。\r\n"
        "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更することも可能です。"));
    btnListUpdate->setToolTip(QStringLiteral(
        "ﾃﾞｰﾀﾘｽﾄを更新します。［F5：ﾃﾞｰﾀ削除］や［F7：復元］などの機能を使わずに移行したﾃﾞｰﾀを再表示します。|"
        "ﾃﾞｰﾀﾘｽﾄを更新します。入力済み仕訳件数や部門・本支店の設定状況など、選択ﾃﾞｰﾀの基本情報を表示します。\r\n"
        "ﾃﾞｰﾀ選択画面におけるﾃﾞｰﾀの表示名を変更することも可能です。"));
    cmbDataMan->setToolTip(QStringLiteral(
        "データの場所を選択します。|データの場所をドロップダウンリストより選択します。選択された場所のデータリストが表示されます。"));
    btnDataMan->setToolTip(QStringLiteral("データの場所を設定します。|データの場所を設定する画面が開きます。"));
    if (m_syoriType != 5) PerfectGrid1->setToolTip(DataSentakuGridHint(m_syoriType, ConnectMode));
}

void TDataSentakuBox::UpdateFunctionKeys()
{
    TDataKeyInput in;
    in.ConnectMode = ConnectMode;
    in.SyoriType = m_syoriType;
    const bool active = focusWidget() == PerfectGrid1;
    in.GridActive = active;
    in.GridEnabled = PerfectGrid1->isEnabled();
    const int row = PerfectGrid1->currentRow();
    in.HasRow = row >= 0 && row < PerfectGrid1->rowCount();
    in.CopyPending = m_copyPending;
    in.KyoyuAutoVisible = cboxKyoyuDataAuto->isVisibleTo(this);
    in.KyoyuAuto = m_kyoyuAuto;
    if (active) LoadHints();
    if (const TDataListRec *r = in.HasRow ? RowRecord(row) : nullptr) {
        in.NETDRIVE = r->NETDRIVE;
        in.KYOYULOCK = r->KYOYULOCK;
        in.GASSAN = r->GASSAN;
        in.ENTTEXT = r->ENTTEXT;
        in.DATA_STATUS = r->DATA_STATUS;
        const TDataListRec *p = RowRecord(ParentRowOf(row));
        in.ParentGASSAN = p ? p->GASSAN : r->GASSAN;
    }
    const TDataKeyState s = ComputeDataSentakuKeys(in);
    if (s.PasteHint) PerfectGrid1->setToolTip(DataSentakuPasteHint());
    if (active && in.HasRow && HintArea) ShowHintInMemo(PerfectGrid1, HintArea);
    ApplyKeyState(s);
}

void TDataSentakuBox::ApplyKeyState(const TDataKeyState &s)
{
    m_keyState = s.KeyState;
    // A shared-data button without its command stays disabled, like the keys.
    btnKyoyuDataUp->setEnabled(s.KyoyuUpEnabled && m_keyState == 1 && bool(KyoyuUpCommand));
    btnKyoyuDataDown->setEnabled(s.KyoyuDownEnabled && m_keyState == 1 && bool(KyoyuDownCommand));
    btnSearch->setEnabled(s.SearchEnabled && bool(DataListKensakuEditor));
    if (!s.SearchEnabled) btnSearchCancel->setEnabled(false);
    for (int k = 0; k < dkCount; ++k) {
        // A key whose command this build does not carry, or that this kind of
        // run switches off, shows its bare label and stays disabled rather
        // than doing nothing.
        const bool built = k == dkESC || k == dkF12 || (bool(KeyCommands[k]) && keyCarried(k, s.Captions[k]));
        Keys[k]->CaptionA().setCaption(built ? s.Captions[k] : DataSentakuBareKey(k));
        Keys[k]->setEnabled(built && !IsBareKeyCaption(Keys[k]->CaptionA().Caption()));
    }
}

void TDataSentakuBox::F1Click(TxPlButton *button)
{
    const int k = int(std::find(Keys.begin(), Keys.end(), button) - Keys.begin());
    if (k < dkF1 || k > dkF8 || IsBareKeyCaption(button->CaptionA().Caption()) || !button->isEnabled()) return;
    if (KeyCommands[k]) KeyCommands[k]();
    UpdateFunctionKeys();
}

void PrintDataSelectionList(QWidget *owner, int listKind, const QString &listName, const TDataSentakuRecArray &recs,
                            const TDataSentakuRecDispArray &disp, const QString &where)
{
    TDefaultPrintRec rec;
    TDataSentakuPrintDlg dlg(owner);
    TPrintDlgBox::InitDefaultPrintRec(rec);
    rec.StyleName = QStringLiteral("DataSentakuList");
    dlg.PrintRec = &rec;
    dlg.StoredColors = false;
    dlg.Caption = listName + QStringLiteral("の印刷");
    dlg.MainText = listName + QStringLiteral("を印刷します。");
    dlg.MainTextColor = owner->palette().color(QPalette::WindowText);
    const QString hint = QStringLiteral(
        "［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。印刷ｲﾒｰｼﾞを確認する場合は［ﾌﾟﾚﾋﾞｭｰ］を押します。");
    dlg.setToolTip(hint + u'|' + hint);
    dlg.ShowPreview = true;
    dlg.ShowCopy = false;
    dlg.Prepare(1);
    if (ModalRunner(dlg) != 1 || (dlg.Result != 1 && dlg.Result != 2)) return;
    try {
        TPrDataList printer;
        printer.PrintRec = rec;
        printer.ListKind = listKind;
        printer.Recs = recs;
        printer.Disp = disp;
        printer.Orientation = dlg.Orientation;
        printer.Execute(dlg.Result == 1);
    } catch (const std::exception &e) {
        reportError(e, where, listName + QStringLiteral("の印刷に失敗しました。"));
    }
}

void TDataSentakuBox::PrintDataList()
{
    if (PerfectGrid1->rowCount() == 0) {
        MessageDlg(QStringLiteral("データリストが絞り込みにより表示されていません。\r"), TMsgDlgType::mtInformation, mbOK);
        return;
    }
    PrintDataSelectionList(this, 0, QStringLiteral("データリスト"), m_recs, m_disp, QStringLiteral("TDataSentakuBox.PrintDataList"));
}

void TDataSentakuBox::ESCClick()
{
    if (m_copyPending) {
        m_copyPending = false;
        setResult(0);
        UpdateFunctionKeys();
        if (!m_copySource.isEmpty()) m_info->SetDataStatus(m_copySource, 1);
        m_copySource.clear();
        return;
    }
    m_cancelRequested = true;
    setResult(2);
}

void TDataSentakuBox::clearSelection()
{
    m_selFolder.clear();
    m_selKey.clear();
    setResult(0);
}

int TDataSentakuBox::checkFolder(const QString &folder)
{
    try {
        return m_check->CheckDataFolder(folder);
    } catch (const std::exception &) {
        return CheckDataByHook(SystemDef.HostName, folder, 1, 0) == 0 ? DataFolderDamaged : DataFolderRefused;
    }
}

void TDataSentakuBox::F12Click()
{
    setResult(0);
    SystemDef.DataDamaged = false;
    const int row = PerfectGrid1->currentRow();
    if (IsBareKeyCaption(F12->CaptionA().Caption()) || row < 0 || row >= PerfectGrid1->rowCount() || row == 32700)
        return;
    const TDataListRec *rec = RowRecord(row);
    if (!rec) return;
    m_selFolder = RowFolderPath(row);
    m_selKey = rec->PASNAME;

    if (m_syoriType == 2 || m_syoriType == 4) {
        if (m_selFolder == stripTrailingSeparator(SystemDef.DataDir)) {
            MessageDlg(QStringLiteral("このデータは現在選択中のデータです。\r他の場所を選んで下さい。"),
                       TMsgDlgType::mtInformation, mbOK);
            clearSelection();
            return;
        }
        const int res = checkFolder(m_selFolder);
        if (res < 0) return clearSelection();
        if (res == DataFolderUsable) {
            MessageDlg(QStringLiteral("選択したパスには既にデータが存在します。\r他の場所を選んで下さい。"),
                       TMsgDlgType::mtInformation, mbOK);
            return clearSelection();
        }
        DataSentakuProcessResult = QStringLiteral("PATH1=") + m_selFolder + u'\r' + QStringLiteral("PATH2=") + m_selKey;
        setResult(1);
        return;
    }

    if (rec->NETDRIVE == 1 && rec->KYOYULOCK == 0 && !m_kyoyuAuto) {
        MessageDlg(QStringLiteral("このデータは共有サーバーに保管されています。\r共有取得を実行してから選択して下さい。"),
                   TMsgDlgType::mtInformation, mbOK);
        return clearSelection();
    }
    const int res = checkFolder(m_selFolder);
    if (res < 0) {
        if (res == DataFolderDamaged) {
            TDataListRec *r = const_cast<TDataListRec *>(rec);
            r->DATA_STATUS = 1;
            PerfectGrid1->item(row, dcStatus)->setText(QStringLiteral("1"));
            setRowColors(row, kDamaged, ForeColor);
        }
        clearSelection();
        UpdateFunctionKeys();
        return;
    }
    if (res == DataFolderNoDatabase) {
        if (m_syoriType == 5 && m_backupMode == 0)
            MessageDlg(QStringLiteral("この場所にはデータがありません。他の場所を選んで下さい。"),
                       TMsgDlgType::mtInformation, mbOK);
        if (m_syoriType == 5 && m_backupMode == 1) {
            SystemDef.DataDir = m_selFolder;
            DataSentakuSelectedKey = m_selKey;
            if (!autoSharedTransfer(row, false) || RestoreData(m_backupPath) == -1) return clearSelection();
            setResult(1);
            return;
        }
        // Reached when the database vanished after the status check: offer a new
        // data set, and choose the folder only when one was made.
        if (m_syoriType != 5 && NewDataAvailable() &&
            MessageDlg(QStringLiteral("選択したパスにはデータが存在しません。\r新規にデータを作成しますか？"),
                       TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbYes | mbNo)) == mrYes) {
            const QString folder = m_selFolder, key = m_selKey;
            if (NewData() == 1) {
                SystemDef.DataDir = folder;
                DataSentakuSelectedKey = key;
                setResult(1);
                return;
            }
        }
        return clearSelection();
    }
    if ((m_syoriType == 0 || m_syoriType == 1) && PerfectGrid1->item(row, dcUpdate)->text().toInt() != 0) {
        TMessage2InfoRec box;
        SetMessage2ById(0x1011, box);
        ShowMessageBox2(box);
        return clearSelection();
    }
    if (m_syoriType == 5) {
        SystemDef.DataDir = m_selFolder;
        DataSentakuSelectedKey = m_selKey;
        if (!autoSharedTransfer(row, false)) return clearSelection();
        if (m_backupMode == 0) {
            int r = SaveData(m_backupPath);
            if (r == 1 && !autoSharedTransfer(row, true)) r = 0;
            if (r < 1) return clearSelection();
        } else if (RestoreData(m_backupPath) == -1) {
            return clearSelection();
        }
        setResult(1);
        return;
    }
    SystemDef.DataDir = m_selFolder;
    DataSentakuSelectedKey = m_selKey;
    setResult(1);
}

bool TDataSentakuBox::autoSharedTransfer(int row, bool upload)
{
    if (!m_kyoyuAuto) return true;
    auto *r = static_cast<TDataSentakuRec *>(const_cast<TDataListRec *>(RowRecord(ParentRowOf(row))));
    if (!r || r->NETDRIVE != 1) return true;
    if (upload ? r->KYOYULOCK != 1 : r->KYOYULOCK != 0) return true;
    return (upload ? m_listCtl->KyoyuDataUp(*r, true) : m_listCtl->KyoyuDataDown(*r, true)) == 1;
}

bool TDataSentakuBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return TBSDI::FormKeyUp(key, modifiers);
    auto act = [](TxPlButton *b) {
        if (b->isEnabled() && !IsBareKeyCaption(b->CaptionA().Caption())) b->click();
        return true;
    };
    if (key == Qt::Key_Escape) return act(ESC);
    if (key == Qt::Key_F12) return act(F12);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8) return act(Keys[dkF1 + (key - Qt::Key_F1)]);
    return TBSDI::FormKeyUp(key, modifiers);
}

bool TDataSentakuBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == PerfectGrid1 && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (!IsBareKeyCaption(F12->CaptionA().Caption())) F12->click();
            return true;
        }
        if (m_incSearch->KeyPressed(k->key(), k->modifiers())) return true;
    }
    if (watched == PerfectGrid1 && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut))
        QMetaObject::invokeMethod(this, [this] { UpdateFunctionKeys(); }, Qt::QueuedConnection);
    return TBSDI::eventFilter(watched, e);
}

void TDataSentakuBox::cellFocusChanged()
{
    QTableWidget *g = PerfectGrid1;
    if (m_focusRow >= 0 && m_focusRow < g->rowCount())
        if (const TDataListRec *r = RowRecord(m_focusRow)) {
            const QColor fore = rowUpgradeForbidden(*r) ? kGrey : ForeColor;
            for (int c = 0; c < dcColCount; ++c)
                if (auto *it = g->item(m_focusRow, c)) {
                    it->setForeground(fore);
                    it->setFont(g->font());
                }
        }
    m_focusRow = g->currentRow();
    if (m_focusRow >= 0 && m_focusRow != 32700)
        if (const TDataListRec *r = RowRecord(m_focusRow)) {
            QColor fore = ConnectMode == 0 ? kActiveColor : (ConnectMode <= 2 ? kServerFocus : fromTColor(SystemDef.SysDef.ActiveColor));
            if (rowUpgradeForbidden(*r)) fore = kGrey;
            if (r->DATA_STATUS == 1) fore = ForeColor;
            QFont f = userFont();
            f.setBold(false);
            f.setItalic(false);
            for (int c = 0; c < dcColCount; ++c)
                if (auto *it = g->item(m_focusRow, c)) {
                    it->setForeground(fore);
                    it->setFont(f);
                }
        }
    UpdateFunctionKeys();
}

// ---- the lock of a data set (server modes) ----

void TDataSentakuBox::LockClick(int row)
{
    auto *r = const_cast<TDataListRec *>(RowRecord(row));
    if (!r) return;
    const QString folder = RowFolderPath(row);
    const quint8 status = m_check->CheckDataStatus(folder, true, QString(), false);
    if (status == 0) return;
    const TDataInfomationRec info = m_check->CurrentInfo;
    if (status > 3) {
        ShowDataLockReport(MakeDataLockReport(folder, info, status));
        return;
    }
    int lock = PerfectGrid1->item(row, dcLock)->text().toInt();
    if (lock != 0) {
        if (info.Status == 3 && info.OpCode != SystemDef.OpCode) {
            TDataLockReport held = MakeDataLockReport(folder, info, status);
            held.Title = QStringLiteral("ロックデータの状態");
            held.Text = QStringLiteral("このデータは違うオペレータによりロックされているため解除は行えません。");
            ShowDataLockReport(held);
        } else {
            // Our own lock, or a list mark whose folder no longer says locked.
            if (info.Status == 3) m_info->SetDataStatus(folder, 1);
            lock = 0;
        }
    } else {
        m_info->SetDataStatus(folder, 3);
        const int groupBase = SystemDef.GroupNo * 10000;
        lock = groupBase != 0 ? SystemDef.OpCode % groupBase : SystemDef.OpCode;
    }
    PerfectGrid1->item(row, dcLockPic)->setIcon(m_pics[lock != 0 ? 1 : 0]);
    PerfectGrid1->item(row, dcLock)->setText(QString::number(lock));
    r->DATALOCK = lock;
    try {
        SaveListRecord(*r);
    } catch (const platform::Error &e) {
        MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
    }
}

void TDataSentakuBox::SaveListRecord(const TDataListRec &r)
{
    if (RemoveSpaces(r.PASNAME).isEmpty())
        throw platform::Error(QStringLiteral("データフォルダパスが不正です。\r処理を中止します。"));
    m_listCtl->UpdateDataListRecord(r, true, true);
}

// ---- search ----

void TDataSentakuBox::btnSearchClick()
{
    if (!DataListKensakuEditor) return;
    TDataKensakuRec rec = m_saved;
    if (!DataListKensakuEditor(this, rec)) return;
    m_kensaku->UpdateRecord(rec);
    m_saved = rec;
    m_work = rec;
    btnSearchCancel->setEnabled(m_work.JyokenUse == 1);
    if (LoadDataList() > 0) FillGrid(-1);
    UpdateFunctionKeys();
}

void TDataSentakuBox::btnSearchCancelClick()
{
    TDataKensakuRec rec = m_saved;
    rec.JyokenUse = 0;
    m_kensaku->UpdateRecord(rec);
    m_saved = rec;
    m_kensaku->InitSearchRec(m_work);
    m_work.SortCol = m_sortCol;
    m_work.SortType = m_sortDesc ? 1 : 0;
    btnSearchCancel->setEnabled(false);
    if (LoadDataList() > 0) FillGrid(-1);
    UpdateFunctionKeys();
}

// ---- closing ----

bool TDataSentakuBox::closeQuery()
{
    if ((m_syoriType == 1 || m_syoriType == 3) && result() != 1) {
        if (m_syoriType == 1 && !m_cancelRequested) {
            setResult(3);
            if (MessageDlg(SystemDef.AppDispName + QStringLiteral("を終了します。よろしいですか？"),
                           TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbOK | mbCancel)) != mrOk) {
                setResult(0);
                m_cancelRequested = false;
                return false;
            }
        } else {
            m_selFolder = stripTrailingSeparator(m_prevFolder);
            m_selKey.clear();
            if (m_selFolder.isEmpty()) {
                // nothing was chosen before: nothing to re-validate
            } else {
                const int res = checkFolder(m_selFolder);
                if (res < 0 || res == DataFolderNoDatabase) {
                    if (res == DataFolderNoDatabase)
                        MessageDlg(QStringLiteral("前回、選択したデータは削除されています。\r"), TMsgDlgType::mtInformation, mbOK);
                    // The wizard opens the folder it finds here: a data set that
                    // is refused now (another operator holds it, it is damaged)
                    // must not be opened, and its lock taken, behind the refusal.
                    const bool refusedDataSet =
                        res < 0 && DM && DM->FExist(m_selFolder + u'/' + Product.DataFile, ConnectMode);
                    if (m_syoriType == 3 && refusedDataSet) SystemDef.DataDir.clear();
                    m_selFolder.clear();
                    if (m_syoriType == 1) setResult(0);
                } else {
                    SystemDef.DataDir = m_selFolder;
                    DataSentakuSelectedKey.clear();
                }
            }
        }
        if (result() == 0) {
            m_cancelRequested = false;
            return false;
        }
    }
    if (m_syoriType == 2 && DM && !DM->IBDatabaseDAT.connected() && !SystemDef.DataDir.isEmpty())
        DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, true);
    return true;
}

void TDataSentakuBox::done(int r)
{
    setResult(r);
    if (!closeQuery()) return;
    TBSDI::done(result());
}

void TDataSentakuBox::FormClose()
{
    TBSDI::FormClose();
    if (m_copyPending) ESCClick();
    if (m_kensaku) {
        m_work.SortCol = m_sortCol;
        m_work.SortType = m_sortDesc ? 1 : 0;
        TDataKensakuRec rec = m_saved;
        rec.SortCol = m_work.SortCol;
        rec.SortType = m_work.SortType;
        m_kensaku->UpdateRecordSortField(rec);
    }
    if (m_syoriType == 5) return;
    SystemDef.SysDef.DataPlace = (ConnectMode == 1 || ConnectMode == 2) ? m_dataPlace : 0;
    if (m_syoriType != 2 && DM) DM->fnPutSysDef();
}

void RegisterDataSentakuBox() { RegisterProcessClass<TDataSentakuBox>(QStringLiteral("QmDataSenkaku")); }

namespace {
// Registered at program start whenever the screen is linked in.
const bool kRegistered = (RegisterDataSentakuBox(), true);
} // namespace
