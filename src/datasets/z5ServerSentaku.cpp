#include "datasets/z5ServerSentaku.h"

#include "core/FileUtils.h"
#include "core/SjisText.h"
#include "datasets/DataListKensakuBox.h"
#include "datasets/DataSentaku.h"
#include "datasets/DataSyosaiInfo.h"
#include "datasets/GridIncSearch.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "framework/FrameworkMessages.h"
#include "framework/HtmlHelp.h"
#include "framework/MessageDlg.h"
#include "framework/MessageDlg2.h"
#include "framework/WindowUtils.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "platform/MountedDrives.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTableWidget>

namespace {

const QString kFreeArea = QStringLiteral("空き領域");
const QString kNewArea = QStringLiteral("新しい領域");
const QColor kDamaged(255, 0, 0);
const QColor kFocusText(0x00, 0x40, 0x80); // dark blue

const int kWidths[scColCount] = {40, 70, 248, 80, 180, 200, 90, 32, 0, 0, 0, 0, 0, 0, 0};
const Qt::Alignment kAlign[scColCount] = {Qt::AlignRight,   Qt::AlignLeft,  Qt::AlignLeft,   Qt::AlignHCenter,
                                          Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignHCenter, Qt::AlignHCenter,
                                          Qt::AlignRight,   Qt::AlignLeft,  Qt::AlignLeft,   Qt::AlignLeft,
                                          Qt::AlignLeft,    Qt::AlignLeft,  Qt::AlignLeft};
const char *const kHeaders[scColCount] = {"No", "コード", "データ名", "会計年度", "会計期間", "データフォルダ",
                                          "バージョン", "共有", "共有値", "バージョン", "データ更新", "合算区分",
                                          "レコード", "子番号", "データステータス"};

// The shared mark: a small network-drive picture.
QIcon sharedMark()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0, 64, 128));
    p.setBrush(QColor(0, 128, 255));
    p.drawRect(2, 3, 11, 7);
    p.drawLine(7, 10, 7, 13);
    p.drawLine(3, 13, 12, 13);
    return QIcon(pm);
}

bool isBareCaption(const QString &c) { return c.endsWith(u':'); }

bool isTopKind(int g) { return g == 0 || g == 1 || g == 2; }

QDate infoDate(const QString &text)
{
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d : QDate();
}

} // namespace

bool IsFreeAreaName(const QString &name) { return name.isEmpty() || name == kFreeArea || name == kNewArea; }

void ServerListRecFromInfo(const TDataInfomationRec &info, TDataListRec &r, bool reset)
{
    if (reset) {
        const QString localPath = r.LocalPath;
        const int kyoyu = r.KYOYULOCK;
        const quint8 status = r.DATA_STATUS;
        const QString y1 = r.YOBI1, y2 = r.YOBI2, y3 = r.YOBI3;
        r = TDataListRec();
        r.GROUPID = SystemDef.GroupNo;
        r.ENTTEXT = r.DispName = kFreeArea;
        r.KikanText = QStringLiteral("～");
        r.NETDRIVE = 1;
        r.LocalPath = localPath;
        r.KYOYULOCK = kyoyu;
        r.DATA_STATUS = status;
        r.YOBI1 = y1;
        r.YOBI2 = y2;
        r.YOBI3 = y3;
        return;
    }
    r.GROUPID = SystemDef.GroupNo;
    r.DATACODE = info.Code;
    r.ENTTEXT = info.ListName;
    r.SHOUGOU = info.Shougou;
    if (IsFreeAreaName(r.ENTTEXT)) {
        if (r.ENTTEXT.isEmpty()) r.ENTTEXT = kFreeArea;
        r.SHOUGOU.clear();
    }
    r.NENDO = info.Nendo;
    r.KikanText = QStringLiteral("%1 ～ %2").arg(info.Kishu, info.Kimatu);
    r.KISHU = infoDate(info.Kishu);
    r.KIMATU = infoDate(info.Kimatu);
    r.DATATYPE = info.DataKbn;
    r.CODETYPE = info.CodeKbn;
    r.TANTOU = info.Tanto;
    r.VER_MAJOR = info.VerMajor;
    r.VER_MINOR1 = info.VerMinor1;
    r.VER_MINOR2 = info.VerMinor2;
    r.VER_TEXT = info.VerLabel;
    r.UPDATE_LOCK = info.UpdateLock;
    r.GASSAN = info.GassanKbn;
    r.DATALOCK = info.Status == 3 && info.OpCode != 0 ? 1 : 0;
    r.DispName = r.ENTTEXT;
}

TServerSentakuBox::TServerSentakuBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("ServerSentakuBox"));
    setWindowTitle(QStringLiteral("共有データの選択"));
    KeepOnClose = true; // the data-selection screen keeps it for its lifetime
    UseMenuCallback = false;
    SkipProcessCheck = true;
    SaveFormSize = false;
    NotifyActivate = false;
    buildControls();
    m_listCtl = std::make_unique<TDataSentakuListCtl>();
    m_listCtl->ConnectMode = quint8(ConnectMode);
    m_listCtl->ServerListFlag = 1;
    m_infoCtl = std::make_unique<TDataInfomation>();
    m_infoCtl->ConnectMode = quint8(ConnectMode);
    m_pics[1] = sharedMark();
    CreateDone = true;
}

TServerSentakuBox::~TServerSentakuBox() = default;

void TServerSentakuBox::buildControls()
{
    setFixedSize(992, 566);
    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 992, 438);
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 438, 992, 128);

    lblDrive = new QLabel(QStringLiteral("共有ドライブ:"), pnlClient);
    lblDrive->setObjectName(QStringLiteral("lblDrive"));
    lblDrive->setGeometry(16, 8, 100, 24);
    cmbDrive = new QComboBox(pnlClient);
    cmbDrive->setObjectName(QStringLiteral("cmbDrive"));
    cmbDrive->setGeometry(118, 8, 300, 26);
    cmbDrive->setMaxVisibleItems(10);
    connect(cmbDrive, &QComboBox::currentIndexChanged, this, [this] { cmbDriveChange(); });
    cboxDataListUpdate = new QCheckBox(QStringLiteral("データリストを自動更新する"), pnlClient);
    cboxDataListUpdate->setObjectName(QStringLiteral("cboxDataListUpdate"));
    cboxDataListUpdate->setGeometry(16, 38, 260, 22);
    cboxDataListUpdate->setFocusPolicy(Qt::NoFocus);
    connect(cboxDataListUpdate, &QCheckBox::clicked, this, [](bool on) {
        // Flag 2 of Reserve4, kept in memory: this screen does not store the operator settings.
        if (on) SystemDef.SysDef.Reserve4 |= 2;
        else SystemDef.SysDef.Reserve4 &= ~2;
    });
    btnMount = NewPlButton(pnlClient, QStringLiteral("btnMount"), QStringLiteral("共有割当"), QRect(544, 8, 84, 30));
    btnSearchCancel = NewPlButton(pnlClient, QStringLiteral("btnSearchCancel"), QStringLiteral("検索解除"), QRect(632, 8, 84, 30));
    btnSearchCancel->setEnabled(false);
    btnSearch = NewPlButton(pnlClient, QStringLiteral("btnSearch"), QStringLiteral("検索"), QRect(720, 8, 84, 30));
    btnDataInfo = NewPlButton(pnlClient, QStringLiteral("btnDataInfo"), QStringLiteral("情報"), QRect(808, 8, 84, 30));
    btnListUpdate = NewPlButton(pnlClient, QStringLiteral("btnListUpdate"), QStringLiteral("更新"), QRect(896, 8, 84, 30));
    connect(btnMount, &TxPlButton::clicked, this, [this] { btnMountClick(); });
    connect(btnSearch, &TxPlButton::clicked, this, [this] { btnSearchClick(false); });
    connect(btnSearchCancel, &TxPlButton::clicked, this, [this] { btnSearchClick(true); });
    connect(btnDataInfo, &TxPlButton::clicked, this, [this] { btnDataInfoClick(); });
    connect(btnListUpdate, &TxPlButton::clicked, this, [this] { btnListUpdateClick(); });

    PerfectGrid1 = new QTableWidget(pnlClient);
    PerfectGrid1->setObjectName(QStringLiteral("PerfectGrid1"));
    PerfectGrid1->setGeometry(16, 64, 961, 369);
    PerfectGrid1->setColumnCount(scColCount);
    PerfectGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PerfectGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    PerfectGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    PerfectGrid1->verticalHeader()->hide();
    const TGridColors colors = SetPerfectGridColors(PerfectGrid1, 0);
    Q_UNUSED(colors);
    BackColor = QColor(255, 255, 255);
    OddRowBackColor = QColor(0xE1, 0xF0, 0xFF);
    FocusBorderColor = QColor(0x00, 0x40, 0x80);
    ForeColor = PerfectGrid1->palette().color(QPalette::Text);
    for (int c = 0; c < scColCount; ++c) {
        PerfectGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kHeaders[c])));
        PerfectGrid1->setColumnWidth(c, kWidths[c]);
        if (kWidths[c] == 0) PerfectGrid1->setColumnHidden(c, true);
    }
    connect(PerfectGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { HeaderClick(c); });
    connect(PerfectGrid1, &QTableWidget::cellDoubleClicked, this, [this] {
        if (PerfectGrid1->rowCount() > 0 && PerfectGrid1->currentRow() >= 0) F12Click();
    });
    connect(PerfectGrid1, &QTableWidget::currentCellChanged, this, [this](int row) { cellFocusChanged(row); });
    PerfectGrid1->installEventFilter(this);
    m_incSearch = new TGridIncSearch(PerfectGrid1, pnlClient, scCode, scNo, this);
    txtIncSerch = m_incSearch->Box;
    IncSerchTimer = m_incSearch->Timer;

    HintArea = new QPlainTextEdit(pnlBottom);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setGeometry(8, 2, 976, 84);
    HintMemo = HintArea;
    const char *names[10] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
    for (int k = 0; k < 10; ++k) {
        const int x = k == 9 ? 992 - 8 - 90 : 8 + k * 96;
        Keys[size_t(k)] = NewPlButton(pnlBottom, QLatin1String(names[k]), QLatin1String(names[k]) + u':', QRect(x, 94, 90, 26));
        Keys[size_t(k)]->setFocusPolicy(Qt::NoFocus);
    }
    ESC = Keys[0]; F1 = Keys[1]; F2 = Keys[2]; F3 = Keys[3]; F4 = Keys[4];
    F5 = Keys[5]; F6 = Keys[6]; F7 = Keys[7]; F8 = Keys[8]; F12 = Keys[9];
    connect(ESC, &TxPlButton::clicked, this, [this] {
        ESCClick();
        done(2); // the button closes the screen, also after leaving copy mode
    });
    connect(F12, &TxPlButton::clicked, this, [this] { F12Click(); });
    for (int k = 1; k <= 8; ++k) {
        TxPlButton *b = Keys[size_t(k)];
        connect(b, &TxPlButton::clicked, this, [this, b] { F1Click(b); });
    }
    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
}

void TServerSentakuBox::SetMode(int mode)
{
    m_mode = mode;
    InitScreen();
    FirstPositioning = false;
}

void TServerSentakuBox::LoadHints()
{
    QString drive = QStringLiteral(
        "ﾘｽﾄからﾃﾞｰﾀを管理しているﾄﾞﾗｲﾌﾞを選択します。|ﾘｽﾄからﾃﾞｰﾀを管理しているﾄﾞﾗｲﾌﾞを選択します。\r\n"
        "ﾏｲｺﾝﾋﾟｭｰﾀに表示されるﾄﾞﾗｲﾌﾞの中からﾄﾞﾗｲﾌﾞ直下に“dorvelzaimu”ﾌｫﾙﾀﾞのあるﾄﾞﾗｲﾌﾞのみを表示しています。");
    if (Edition == 1 || Edition == 2) drive.replace(QStringLiteral("dorvelzaimu"), Product.ShareDir);
    cmbDrive->setToolTip(drive);
    btnMount->setToolTip(QStringLiteral("ネットワーク上の共有フォルダをドライブに割り当てます。|"));
    btnSearchCancel->setToolTip(QStringLiteral("検索状態を解除します。|"));
    btnSearch->setToolTip(QStringLiteral("［検索条件の設定］画面を開きます。一定条件に該当するﾃﾞｰﾀを抽出表示する場合に使用します。|"));
    btnDataInfo->setToolTip(QStringLiteral("「ﾃﾞｰﾀの詳細情報」画面を開きます。選択ﾃﾞｰﾀの基本情報を表示します。ﾃﾞｰﾀの表示名を変更できます。|"));
    btnListUpdate->setToolTip(QStringLiteral("ﾃﾞｰﾀﾘｽﾄを更新します。ﾌﾟﾛｸﾞﾗﾑの機能を使わずに移行したﾃﾞｰﾀを表示できます。|"));
    m_gridHint = QStringLiteral(
        "［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。|［ENTER］又はﾀﾞﾌﾞﾙｸﾘｯｸ又は［F12］で選択します。\r\n"
        "［共有］欄にｱｲｺﾝが付いているﾃﾞｰﾀは他のｵﾍﾟﾚｰﾀが使用しているため取得できません。\r\n"
        "［F4］で新規にﾃﾞｰﾀ領域を作成できます。\r\n"
        "行を選択すると［ﾃﾞｰﾀ選択］に戻ります。「新しい領域」行への新規ﾃﾞｰﾀ作成や、共有ﾃﾞｰﾀのﾌﾗｯｼｭﾒﾓﾘなどへの保存は［ﾃﾞｰﾀ選択］で行います。");
    PerfectGrid1->setToolTip(m_gridHint);
}

void TServerSentakuBox::InitScreen()
{
    LoadHints();
    m_copyMode = false;
    m_copySource.clear();
    SelPath.clear();
    SelName.clear();
    SharePath.clear();
    // The search conditions of the shared-data list.
    m_edit = TDataKensakuRec();
    try {
        TDataListKensakuCtl kensaku;
        m_edit.ListType = 1;
        kensaku.SelectRecord(m_edit);
    } catch (const std::exception &) {
        m_edit = TDataKensakuRec();
    }
    m_edit.ListType = 1;
    m_cond = m_edit;
    if (m_cond.JyokenUse == 0) {
        m_cond.DataType = m_cond.CodeType = m_cond.Tanto = 0;
        m_cond.DataCode.clear();
        m_cond.DataName.clear();
        m_cond.DataVer.clear();
        m_cond.SeihinName.clear();
    }
    btnSearchCancel->setEnabled(m_cond.JyokenUse == 1);
    if (m_sortCol >= 0) {
        m_cond.SortCol = m_sortCol;
        m_cond.SortType = m_sortDesc ? 1 : 0;
    }
    if (m_cond.SortCol <= 0) {
        m_cond.SortCol = 5;
        m_cond.SortType = 0;
    }
    m_sortCol = m_cond.SortCol;
    m_sortDesc = m_cond.SortType != 0;

    ListServerDrives();
    cboxDataListUpdate->setChecked((SystemDef.SysDef.Reserve4 & 2) != 0);
    PerfectGrid1->setRowCount(0);
    m_recs.clear();
    m_disp.clear();
    if (ShareDrive.isEmpty()) return;
    LoadDataList(0);
    FillGrid(-1);
    if (cboxDataListUpdate->isChecked() || PerfectGrid1->rowCount() == 0) RefreshDataList();
}

void TServerSentakuBox::ListServerDrives()
{
    QSignalBlocker block(cmbDrive);
    cmbDrive->clear();
    m_driveLetters.clear();
    for (const platform::MountedDrive &d : platform::mountedDrives()) {
        if (!d.remote) continue;
        if (!QFileInfo(ExcludePathDelim(d.root) + u'/' + Product.ShareDir).isDir()) continue;
        cmbDrive->addItem(d.text);
        m_driveLetters << d.root;
    }
    if (!m_driveLetters.isEmpty()) {
        int at = int(m_driveLetters.indexOf(ShareDrive));
        if (at < 0) at = 0;
        cmbDrive->setCurrentIndex(at);
        ShareDrive = m_driveLetters[at];
        SharePath = ExcludePathDelim(ShareDrive) + u'/' + Product.ShareDir;
    } else {
        cmbDrive->addItem(QStringLiteral("[%1]が見つかりません").arg(Product.ShareDir));
        m_driveLetters << QString();
        cmbDrive->setCurrentIndex(0);
        ShareDrive.clear();
        SharePath.clear();
    }
}

void TServerSentakuBox::cmbDriveChange()
{
    const int i = cmbDrive->currentIndex();
    const QString root = i >= 0 && i < m_driveLetters.size() ? m_driveLetters[i] : QString();
    if (root != ShareDrive) {
        ShareDrive = root;
        SharePath = root.isEmpty() ? QString() : ExcludePathDelim(root) + u'/' + Product.ShareDir;
        LoadDataList(0);
        FillGrid(-1);
        if (!SharePath.isEmpty() && (cboxDataListUpdate->isChecked() || PerfectGrid1->rowCount() == 0)) RefreshDataList();
    }
    UpdateFunctionKeys();
}

void TServerSentakuBox::RefreshDataList()
{
    LoadDataList(1);
    FillGrid(-1);
    LoadDataList(0);
    FillGrid(-1);
}

void TServerSentakuBox::LoadDataList(int mode)
{
    quint8 kind = 1;
    switch (m_sortCol) {
    case 1: kind = 7; break;
    case 2: kind = 2; break;
    case 3: kind = 3; break;
    case 4: kind = 4; break;
    case 5: kind = 5; break;
    case 6: kind = 6; break;
    default: kind = 1;
    }
    m_recs.clear();
    m_childRecs.clear();
    if (!SharePath.isEmpty()) {
        m_listCtl->ServerExecute(mode, SharePath, kind, m_sortDesc);
        m_recs = m_listCtl->Recs;
        m_childRecs = m_listCtl->ChildRecs;
    }
    if (mode == 1) {
        m_childRecs.clear();
        for (TDataSentakuRec &r : m_recs) {
            if (CheckDataStatus(r.PASNAME, false, false) == 10) r.DATA_STATUS = 1;
            ServerListRecFromInfo(m_info, r, false);
            SyncServerListRecord(r);
            for (int i = 0; i < r.ChildRows.size(); ++i) {
                TDataListRec &c = r.ChildRows[i];
                if (CheckDataStatus(c.PASNAME, false, false) == 10) c.DATA_STATUS = 1;
                ServerListRecFromInfo(m_info, c, false);
                c.REC = r.REC;
                c.ROWNO = i + 1;
                c.GASSAN = 10;
                SyncServerListRecord(c);
                m_childRecs << c;
            }
        }
    }
    FilterDataList();
}

void TServerSentakuBox::SyncServerListRecord(TDataListRec &rec)
{
    const QString db = ExcludePathDelim(rec.PASNAME) + u'/' + Product.DataFile;
    if (QFileInfo::exists(db)) {
        m_listCtl->UpdateServerDataListRecord(rec, true, true);
        return;
    }
    if (rec.ENTTEXT.isEmpty()) return;
    const int number = rec.REC;
    const QString name = rec.ENTTEXT, path = rec.PASNAME;
    const quint8 kind = rec.GASSAN == 10 ? quint8(10) : quint8(0);
    const int rowNo = rec.ROWNO;
    ServerListRecFromInfo(TDataInfomationRec(), rec, true);
    rec.REC = number;
    rec.ROWNO = rowNo;
    rec.GASSAN = kind;
    rec.ENTTEXT = rec.DispName = name;
    rec.PASNAME = path;
    m_listCtl->UpdateServerDataListRecord(rec, true, true);
}

void TServerSentakuBox::FilterDataList() { m_disp = ::ApplySearchFilter(m_recs, m_cond); }

void TServerSentakuBox::setRowBack(int row, bool damaged)
{
    const QColor back = damaged ? kDamaged : (row % 2 == 1 ? OddRowBackColor : BackColor);
    for (int c = 0; c < scColCount; ++c)
        if (QTableWidgetItem *it = PerfectGrid1->item(row, c)) it->setBackground(back);
}

void TServerSentakuBox::setRowCells(int row, const TDataListRec &r)
{
    QTableWidget *g = PerfectGrid1;
    auto set = [&](int c, const QString &text) {
        auto *it = new QTableWidgetItem(text);
        it->setTextAlignment(kAlign[c] | Qt::AlignVCenter);
        g->setItem(row, c, it);
    };
    const bool free = IsFreeAreaName(r.ENTTEXT);
    if (!g->item(row, scNo)) set(scNo, QString());
    set(scCode, r.DATACODE);
    set(scName, r.DispName.isEmpty() ? r.ENTTEXT : r.DispName);
    set(scNendo, free ? QString() : QStringLiteral("%1 期").arg(r.NENDO));
    set(scKikan, free ? QStringLiteral("～") : r.KikanText);
    set(scFolder, r.PASNAME);
    set(scVerText, r.VER_TEXT);
    set(scSharePic, QString());
    set(scShare, QStringLiteral("0"));
    set(scSpare, QString());
    set(scUpdate, QString::number(r.UPDATE_LOCK));
    set(scGassan, QString::number(r.GASSAN));
    set(scRecIndex, QStringLiteral("0"));
    set(scChildIndex, QStringLiteral("0"));
    set(scStatus, QString::number(r.DATA_STATUS));
    setRowBack(row, r.DATA_STATUS == 1);
}

void TServerSentakuBox::setShareMark(int row, const QString &folder)
{
    const bool out = ReadShareStatus(folder) == 2;
    PerfectGrid1->item(row, scShare)->setText(out ? QStringLiteral("1") : QStringLiteral("0"));
    PerfectGrid1->item(row, scSharePic)->setIcon(out ? m_pics[1] : QIcon());
}

void TServerSentakuBox::removeChildRows(int row)
{
    QTableWidget *g = PerfectGrid1;
    const QString index = g->item(row, scRecIndex)->text();
    int n = 0;
    while (row + 1 + n < g->rowCount() && g->item(row + 1 + n, scRecIndex) &&
           g->item(row + 1 + n, scRecIndex)->text() == index && g->item(row + 1 + n, scGassan)->text() == QStringLiteral("10"))
        ++n;
    for (int i = 0; i < n; ++i) g->removeRow(row + 1);
    const int ri = index.toInt();
    if (ri >= 0 && ri < m_recs.size()) TDataSentakuListCtl::NumberChildNames(m_recs[ri]);
}

void TServerSentakuBox::FillGrid(int index)
{
    QTableWidget *g = PerfectGrid1;
    if (index < 0) {
        g->setRowCount(0);
        for (int c = 0; c <= scVerText; ++c) {
            QString h = QString::fromUtf8(kHeaders[c]);
            if (c == m_sortCol) h += m_sortDesc ? QStringLiteral("▼") : QStringLiteral("▲");
            g->horizontalHeaderItem(c)->setText(h);
        }
        g->horizontalHeaderItem(scSharePic)->setText(QStringLiteral("共有"));
        for (int p = 0; p < m_disp.size(); ++p) {
            const int row = g->rowCount();
            g->insertRow(row);
            auto *no = new QTableWidgetItem(QString::number(p + 1));
            no->setTextAlignment(kAlign[scNo] | Qt::AlignVCenter);
            g->setItem(row, scNo, no);
            g->setCurrentCell(row, scNo);
            FillGrid(p);
        }
        if (g->rowCount() > 0) g->setCurrentCell(0, scName);
        return;
    }
    if (index >= m_disp.size()) return;
    const int ri = m_disp[index];
    const TDataSentakuRec &r = m_recs[ri];
    if (!isTopKind(r.GASSAN)) return;
    int row = g->currentRow();
    if (row < 0) row = g->rowCount() - 1;
    setRowCells(row, r);
    g->item(row, scRecIndex)->setText(QString::number(ri));
    setShareMark(row, r.PASNAME);
    removeChildRows(row);
    for (int i = 0; i < r.ChildRows.size(); ++i) {
        const int cr = row + 1 + i;
        g->insertRow(cr);
        setRowCells(cr, r.ChildRows[i]);
        g->item(cr, scNo)->setText(QString());
        g->item(cr, scGassan)->setText(QStringLiteral("10"));
        g->item(cr, scRecIndex)->setText(QString::number(ri));
        g->item(cr, scChildIndex)->setText(QString::number(i));
        setShareMark(cr, r.ChildRows[i].PASNAME);
    }
}

TDataSentakuRec *TServerSentakuBox::recordOfRow(int row)
{
    if (row < 0 || row >= PerfectGrid1->rowCount() || !PerfectGrid1->item(row, scRecIndex)) return nullptr;
    const int ri = PerfectGrid1->item(row, scRecIndex)->text().toInt();
    return ri >= 0 && ri < m_recs.size() ? &m_recs[ri] : nullptr;
}

const TDataListRec *TServerSentakuBox::RowRecord(int row) const
{
    auto *self = const_cast<TServerSentakuBox *>(this);
    TDataSentakuRec *r = self->recordOfRow(row);
    if (!r) return nullptr;
    if (PerfectGrid1->item(row, scGassan)->text().toInt() != 10) return r;
    const int ci = PerfectGrid1->item(row, scChildIndex)->text().toInt();
    return ci >= 0 && ci < r->ChildRows.size() ? &r->ChildRows[ci] : nullptr;
}

int TServerSentakuBox::ParentRowOf(int row) const
{
    QTableWidget *g = PerfectGrid1;
    if (row < 0 || row >= g->rowCount()) return row;
    if (g->item(row, scGassan)->text().toInt() != 10) return row;
    const QString index = g->item(row, scRecIndex)->text();
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->item(r, scRecIndex)->text() == index && g->item(r, scGassan)->text().toInt() != 10) return r;
    return row;
}

void TServerSentakuBox::HeaderClick(int col)
{
    if (col < 1 || col > 6 || PerfectGrid1->currentRow() < 0) return;
    m_sortDesc = col == m_sortCol && !m_sortDesc;
    m_sortCol = col;
    LoadDataList(0);
    FillGrid(-1);
}

void TServerSentakuBox::btnSearchClick(bool cancel)
{
    if (!cancel) {
        if (!DataListKensakuEditor) return;
        TDataKensakuRec edited = m_edit;
        edited.ListType = 1;
        if (DataListKensakuEditor(this, edited)) {
            m_edit = edited;
            try {
                TDataListKensakuCtl().UpdateRecord(m_edit);
            } catch (const std::exception &) {
            }
            const int sc = m_cond.SortCol, st = m_cond.SortType;
            m_cond = m_edit;
            m_cond.SortCol = sc;
            m_cond.SortType = st;
            LoadDataList(0);
            FillGrid(-1);
            btnSearchCancel->setEnabled(true);
        }
    } else {
        m_cond.JyokenUse = 0;
        m_cond.DataType = m_cond.CodeType = m_cond.Tanto = 0;
        m_cond.DataCode.clear();
        m_cond.DataName.clear();
        m_cond.DataVer.clear();
        m_cond.SeihinName.clear();
        LoadDataList(0);
        FillGrid(-1);
        btnSearchCancel->setEnabled(false);
    }
    UpdateFunctionKeys();
}

void TServerSentakuBox::showProgress(const QString &caption, const QString &text, bool cancel)
{
    xAnimeProgressDialog1->setCaption(caption);
    xAnimeProgressDialog1->setInfoLabel(text);
    xAnimeProgressDialog1->AviFile = QDir(SystemDef.ProgramDir).filePath(QStringLiteral("progress.avi"));
    xAnimeProgressDialog1->CancelBtnShow = cancel;
    xAnimeProgressDialog1->Show(this);
}

void TServerSentakuBox::btnListUpdateClick()
{
    if (ShareDrive.isEmpty()) return;
    QString text = QStringLiteral("データリストの更新を行います。");
    const bool searching = btnSearchCancel->isEnabled();
    if (searching) text += QStringLiteral("検索実行中のため検索は解除されます。");
    text += QStringLiteral("\rよろしいですか？");
    if (MessageDlg(text, TMsgDlgType::mtConfirmation, TMsgDlgButtons(mbYes | mbNo)) == mrYes) {
        showProgress(QStringLiteral("更新中"), QStringLiteral("データリストの更新中…"), true);
        try {
            if (searching) btnSearchClick(true);
            RefreshDataList();
        } catch (...) {
            ForceForegroundWindow(this);
            xAnimeProgressDialog1->Close();
            throw;
        }
        ForceForegroundWindow(this);
        xAnimeProgressDialog1->Close();
    }
    UpdateFunctionKeys();
}

void TServerSentakuBox::btnMountClick()
{
    int result = -1;
    if (!NetworkDriveConnector) {
        MessageDlg(QStringLiteral("ネットワークドライブの割り当てAPIの呼び出しに失敗しました。\rOSの機能からネットワークドライブの割り当てを行って下さい。"),
                   TMsgDlgType::mtInformation, mbOK);
    } else {
        try {
            result = NetworkDriveConnector(this);
        } catch (const std::exception &) {
            MessageDlg(QStringLiteral("ネットワークドライブの割り当てAPIの呼び出しに失敗しました。\rOSの機能からネットワークドライブの割り当てを行って下さい。"),
                       TMsgDlgType::mtInformation, mbOK);
        }
    }
    if (result == 0) {
        ListServerDrives();
        RefreshDataList();
    }
    ForceForegroundWindow(this);
    UpdateFunctionKeys();
}

void TServerSentakuBox::btnDataInfoClick()
{
    const int row = PerfectGrid1->currentRow();
    auto *rec = const_cast<TDataListRec *>(RowRecord(row));
    if (!rec) return;
    TDataSyosaiInfoBox dlg(this);
    dlg.ServerListMode = 1;
    dlg.ListRec = rec;
    dlg.DataPath = rec->PASNAME;
    dlg.UpdateLock = rec->UPDATE_LOCK;
    dlg.ListName = rec->ENTTEXT;
    dlg.ReadOnly = true;
    dlg.SetMode(1);
    const int answer = ModalRunner(dlg);
    if (answer == 1 && dlg.StatusClear == 1) {
        rec->DATALOCK = 0;
        WriteDataStatus(rec->PASNAME, 1);
        PerfectGrid1->item(row, scShare)->setText(QStringLiteral("0"));
        PerfectGrid1->item(row, scSharePic)->setIcon(QIcon());
    }
    if (answer == 1) m_listCtl->UpdateServerDataListRecord(*rec, true, true);
    if (dlg.Rebuilt == 1) {
        WriteDataStatus(rec->PASNAME, 1);
        rec->DATA_STATUS = 0;
        m_listCtl->UpdateServerDataListRecord(*rec, true, true);
        RefreshDataList();
    }
    UpdateFunctionKeys();
}

void TServerSentakuBox::UpdateFunctionKeys()
{
    QStringList c = {QStringLiteral("ESC:ｷｬﾝｾﾙ"), QStringLiteral("F1:ヘルプ"),    QStringLiteral("F2:コピー"),
                     QStringLiteral("F3:"),       QStringLiteral("F4:領域追加"), QStringLiteral("F5:ﾃﾞｰﾀ削除"),
                     QStringLiteral("F6:"),       QStringLiteral("F7:"),         QStringLiteral("F8:印刷"),
                     QStringLiteral("F12:選択")};
    m_funcState = 0;
    bool f12 = true;
    const bool active = focusWidget() == PerfectGrid1 || !isVisible();
    if (active) {
        QString hint = m_gridHint;
        if (ShareDrive.isEmpty())
            hint = QStringLiteral("|[共有割当]ボタンよりネットワーク上の共有フォルダをドライブに割り当てて下さい。");
        else if (m_recs.isEmpty())
            hint = QStringLiteral("|［F4］でﾃﾞｰﾀ領域を作成してください。");
        const int row = PerfectGrid1->currentRow();
        if (const TDataListRec *r = row >= 0 ? RowRecord(row) : nullptr) {
            m_funcState = m_copyMode ? 2 : 1;
            if (m_copyMode) {
                c[2] = QStringLiteral("F2:貼り付け");
                hint = QStringLiteral("貼り付け先を選択して［F2］を押します。|貼り付け先を選択して［F2］を押します。\r\n"
                                      "ｺﾋﾟｰ処理を中断する場合は［ESC］を押します。");
            }
            if (r->GASSAN == 10) {
                c[2] = QStringLiteral("F2:");
                c[5] = QStringLiteral("F5:");
                c[9] = QStringLiteral("F12:");
                f12 = false;
            }
            if (IsFreeAreaName(r->ENTTEXT) && !m_copyMode) c[2] = QStringLiteral("F2:");
            if (PerfectGrid1->item(row, scShare)->text() == QStringLiteral("1")) {
                c[5] = QStringLiteral("F5:");
                if (m_copyMode) c[2] = QStringLiteral("F2:");
            }
            if (r->DATA_STATUS != 0) {
                c[9] = QStringLiteral("F12:");
                if (m_funcState == 1) c[2] = QStringLiteral("F2:");
            }
        }
        PerfectGrid1->setToolTip(hint);
        if (isVisible()) ShowHintInMemo(PerfectGrid1, HintArea);
        PerfectGrid1->setToolTip(m_gridHint);
        HintArea->setPlainText(hint.mid(hint.indexOf(u'|') + 1));
    }
    if (m_funcState == 0) {
        for (int k = 2; k <= 7; ++k) c[k] = QStringLiteral("F%1:").arg(k);
        if (!SharePath.isEmpty()) c[4] = QStringLiteral("F4:領域追加");
    }
    for (int k = 0; k < 10; ++k) {
        Keys[size_t(k)]->CaptionA().setCaption(c[k]);
        if (k >= 1 && k <= 8) Keys[size_t(k)]->setEnabled(!isBareCaption(c[k]));
    }
    F12->setEnabled(f12 && !isBareCaption(c[9]));
}

void TServerSentakuBox::focusGrid()
{
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
}

void TServerSentakuBox::F1Click(TxPlButton *b)
{
    if (isBareCaption(b->CaptionA().Caption())) return;
    if (b == F1) {
        OpenHtmlManual(QStringLiteral("kyoyudata.html"));
    } else if (b == F2) {
        if (m_funcState == 1) {
            m_copyMode = true;
            CopyData();
        } else if (m_funcState == 2) {
            m_copyMode = false;
            CopyData();
            m_copySource.clear();
            focusGrid();
        }
    } else if (b == F4) {
        AddDataArea();
        focusGrid();
    } else if (b == F5) {
        DeleteData(true);
    } else if (b == F8) {
        PrintDataList();
    }
    UpdateFunctionKeys();
}

void TServerSentakuBox::ESCClick()
{
    if (m_copyMode) {
        m_copyMode = false;
        UpdateFunctionKeys();
        WriteDataStatus(m_copySource, 1);
        m_copySource.clear();
        return;
    }
    done(2);
}

void TServerSentakuBox::F12Click()
{
    if (isBareCaption(F12->CaptionA().Caption())) return;
    setResult(0);
    const int cur = PerfectGrid1->currentRow();
    const TDataListRec *cr = RowRecord(cur);
    if (!cr || cr->GASSAN == 10) return;
    const int row = ParentRowOf(cur);
    const TDataListRec *r = RowRecord(row);
    if (!r) return;
    SelPath = r->PASNAME;
    SelName = r->ENTTEXT;
    if (ReadShareStatus(SelPath) == 2 && (SelName == kFreeArea || SelName == kNewArea)) {
        TMessage2InfoRec box;
        InitMessage2InfoRec(2, box);
        box.Lines[0].Caption = QStringLiteral("この領域は、現在データが作成されている可能性があるため選択できません。");
        ShowMessageBox2(box);
        return;
    }
    if (!QFileInfo(SelPath).isDir()) {
        TMessage2InfoRec box;
        InitMessage2InfoRec(2, box);
        box.Lines[0].Caption = QStringLiteral(
            "共有サーバーが起動していない、接続が切断されている または 共有サーバー上のデータ領域が削除された可能性があります。");
        box.Lines[1].Caption = QStringLiteral("共有サーバーが起動している場合は [更新]ボタンを押しデータリストの再作成を行って下さい。");
        ShowMessageBox2(box);
        return;
    }
    if (r->GASSAN == 1 || r->GASSAN == 2) {
        const auto *rec = static_cast<const TDataSentakuRec *>(r);
        for (const TDataListRec &child : rec->ChildRows) {
            if (child.DATA_STATUS == 0) continue;
            TMessageInfoRec box;
            InitMessageInfoRec(box);
            box.Mode = 1;
            box.Position = TPosition::poScreenCenter;
            box.Caption = QStringLiteral("選択データの状態");
            box.Text = QStringLiteral("共有サーバー上のデータが破損しているため、共有データの取得を中止します。\r"
                                      "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。");
            box.Lines = {QStringLiteral("【データフォルダ】"), QStringLiteral("　") + child.PASNAME, QString(),
                         QStringLiteral("【オペレータ】"), QString(), QStringLiteral("【オペレータ名】"), QString()};
            ShowMessageBox(box);
            return;
        }
    }
    done(1);
}

void TServerSentakuBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    focusGrid();
    UpdateFunctionKeys();
}

void TServerSentakuBox::FormClose()
{
    TBSDI::FormClose();
    if (m_copyMode) {
        m_copyMode = false;
        WriteDataStatus(m_copySource, 1);
        m_copySource.clear();
    }
    m_cond.SortCol = m_sortCol;
    m_cond.SortType = m_sortDesc ? 1 : 0;
    m_cond.ListType = 1;
    try {
        TDataListKensakuCtl().UpdateRecordSortField(m_cond);
    } catch (const std::exception &) {
    }
}

bool TServerSentakuBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == PerfectGrid1 && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (m_incSearch->KeyPressed(k->key(), k->modifiers())) return true;
    }
    return TBSDI::eventFilter(watched, e);
}

// The focused area's row is written in dark blue and the user's font; a
// damaged one keeps the grid's text colour.
void TServerSentakuBox::cellFocusChanged(int row)
{
    QTableWidget *g = PerfectGrid1;
    auto paint = [g](int r, const QColor &fore, const QFont &font) {
        for (int c = 0; c < scColCount; ++c)
            if (auto *it = g->item(r, c)) {
                it->setForeground(fore);
                it->setFont(font);
            }
    };
    if (m_focusRow >= 0 && m_focusRow < g->rowCount() && m_focusRow != row) paint(m_focusRow, ForeColor, g->font());
    m_focusRow = row;
    if (row >= 0 && row < g->rowCount() && recordOfRow(row)) {
        const QTableWidgetItem *status = g->item(row, scStatus);
        const bool damaged = status && status->text().toInt() == 1;
        QFont f = userFont();
        f.setBold(false);
        f.setItalic(false);
        paint(row, damaged ? ForeColor : kFocusText, f);
    }
    UpdateFunctionKeys();
}

bool TServerSentakuBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Escape) {
        if (!isBareCaption(ESC->CaptionA().Caption())) ESCClick();
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8) {
        F1Click(Keys[size_t(1 + key - Qt::Key_F1)]);
        return true;
    }
    if (key == Qt::Key_F12) {
        F12Click();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && focusWidget() == PerfectGrid1) {
        if (PerfectGrid1->rowCount() > 0 && PerfectGrid1->currentRow() >= 0) F12Click();
        return true;
    }
    return TBSDI::FormKeyUp(key, modifiers);
}

void TServerSentakuBox::WriteDataInfo(const TDataListRec &rec)
{
    const bool child = rec.GASSAN == 10;
    const bool ok = child ? m_listCtl->UpdateServerDataListChildRecord(rec, true, true)
                          : m_listCtl->UpdateServerDataListRecord(rec, true, true);
    if (!ok || (child && !QFileInfo(rec.PASNAME).isDir())) return;
    m_infoCtl->WriteIniValue(rec.PASNAME, QStringLiteral("DATAINFO"), false, rec.ENTTEXT, QStringLiteral("DATALISTNAME"));
    m_infoCtl->WriteIniValue(rec.PASNAME, QStringLiteral("DATASTS"), false, QString::number(rec.UPDATE_LOCK),
                             QStringLiteral("UPDATE_LOCK"));
}

bool TServerSentakuBox::SetDataStatus(const QString &folder, int status)
{
    if (status != 1 && status != 2) return false;
    TDataInfomation info;
    info.ConnectMode = quint8(ConnectMode);
    TDataInfomationRec r;
    info.ReadIniInfo(folder, r);
    if (r.ShareStatus == status) return false;
    info.SetShareStatus(folder, status);
    return true;
}

int TServerSentakuBox::ReadShareStatus(const QString &folder)
{
    m_infoCtl->ReadIniInfo(folder, m_info);
    return m_info.ShareStatus;
}
