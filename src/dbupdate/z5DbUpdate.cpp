#include "dbupdate/z5DbUpdate.h"

#include "core/EnvUtils.h"
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/MojiBunkatu.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/UserList.h"
#include "framework/MessageDlg.h"
#include "framework/WindowUtils.h"
#include "framework/xAnimeProgressDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTextEdit>

namespace {

TDbVersionRec versionOf(const TDbUpdateListRec &rec)
{
    return {rec.Major, rec.Minor1, rec.Minor2};
}

int textToInt(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

// The database symbol of the dialog: a cylinder in the kind's colour.
QPixmap databaseSymbol(const QColor &colour)
{
    QPixmap pm(33, 33);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(160), 1.2));
    const QRectF top(5, 3, 23, 8);
    QPainterPath body;
    body.moveTo(5, 7);
    body.lineTo(5, 26);
    body.arcTo(QRectF(5, 22, 23, 8), 180, 180);
    body.lineTo(28, 7);
    body.closeSubpath();
    p.setBrush(colour);
    p.drawPath(body);
    p.setBrush(colour.lighter(150));
    p.drawEllipse(top);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 10, 23, 8), 180 * 16, 180 * 16);
    p.drawArc(QRectF(5, 16, 23, 8), 180 * 16, 180 * 16);
    return pm;
}

// The status images of the list: a tick for a done step, a cross for a failed one.
QIcon statusImage(bool done)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (done) {
        p.setPen(QPen(QColor(0, 128, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    } else {
        p.setPen(QPen(QColor(200, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    }
    return QIcon(pm);
}

QString databaseFolder(quint8 kind)
{
    return ExcludePathDelim(kind == 0 ? SystemDef.SysDir : SystemDef.DataDir);
}

QString databasePath(quint8 kind)
{
    return databaseFolder(kind) + u'/' + (kind == 0 ? Product.DataDefFile : Product.DataFile);
}

} // namespace

// ---- creation -------------------------------------------------------------

TDbUpdateBox::TDbUpdateBox(QWidget *parent)
    : TDbUpdateBox(SystemDbUpdateSteps(), UserDbUpdateSteps(), parent)
{
}

TDbUpdateBox::TDbUpdateBox(TArrayDbUpdateListRec systemList, TArrayDbUpdateListRec dataList, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    FUpdateNeeded = false;
    FUpdateOk = false;
    FFirstIndex = 0;
    FLastIndex = 0;
    FBackupCount = 0;
    FBackupFile.clear();
    buildControls();
    pnlProgress->hide();
    FSystemList = std::move(systemList);
    FDataList = std::move(dataList);
    FCurrentList = &FSystemList;
}

TDbUpdateBox::~TDbUpdateBox() = default;

void TDbUpdateBox::buildControls()
{
    setObjectName(QStringLiteral("DbUpdateBox"));
    setWindowTitle(QStringLiteral("データベースの更新"));
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const auto s = [dpi](int v) { return ScaleByDpi(v, 96, dpi); };
    const auto rect = [&s](int x, int y, int w, int h) { return QRect(s(x), s(y), s(w), s(h)); };
    setFixedSize(s(472), s(520));

    ImageRed = new QLabel(this);
    ImageRed->setObjectName(QStringLiteral("ImageRed"));
    ImageRed->setGeometry(rect(16, 12, 33, 33));
    ImageRed->setPixmap(databaseSymbol(QColor(220, 40, 40)));
    ImageGrn = new QLabel(this);
    ImageGrn->setObjectName(QStringLiteral("ImageGrn"));
    ImageGrn->setGeometry(rect(16, 12, 33, 33));
    ImageGrn->setPixmap(databaseSymbol(QColor(40, 160, 60)));
    ImageGrn->hide();

    lblTitle1 = new QLabel(this);
    lblTitle1->setObjectName(QStringLiteral("lblTitle1"));
    lblTitle1->setGeometry(rect(60, 12, 396, 33));
    QFont bold = lblTitle1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lblTitle1->setFont(bold);

    ListView1 = new QTableWidget(0, 3, this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(rect(16, 56, 440, 212));
    ListView1->setShowGrid(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setDefaultSectionSize(s(20));
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListView1->setWordWrap(false);
    connect(ListView1, &QTableWidget::currentCellChanged, this, [this](int row) { ListView1SelectItem(row); });

    pnlProgress = new QFrame(this);
    pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    pnlProgress->setGeometry(rect(56, 120, 360, 76));
    pnlProgress->setFrameShape(QFrame::Panel);
    pnlProgress->setFrameShadow(QFrame::Raised);
    pnlProgress->setAutoFillBackground(true);
    Label1 = new QLabel(QStringLiteral("データの更新中です…"), pnlProgress);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(rect(16, 10, 328, 22));
    ProgressBar1 = new QProgressBar(pnlProgress);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(rect(16, 38, 328, 22));
    ProgressBar1->setTextVisible(false);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(rect(16, 276, 440, 112));
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    cboxAgree = new QCheckBox(QStringLiteral("データの更新に同意します。"), this);
    cboxAgree->setObjectName(QStringLiteral("cboxAgree"));
    cboxAgree->setGeometry(rect(16, 396, 440, 22));
    connect(cboxAgree, &QCheckBox::toggled, this, [this] { cboxAgreeClick(); });

    QPalette red;
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblTitle2 = new QLabel(this);
    lblTitle2->setObjectName(QStringLiteral("lblTitle2"));
    lblTitle2->setGeometry(rect(16, 424, 440, 18));
    lblTitle2->setPalette(red);
    lblTitle3 = new QLabel(this);
    lblTitle3->setObjectName(QStringLiteral("lblTitle3"));
    lblTitle3->setGeometry(rect(16, 444, 440, 18));
    lblTitle3->setPalette(red);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(rect(380, 480, 76, 26));
    btnOk->setAutoDefault(false);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(rect(380, 480, 76, 26));
    btnCancel->setAutoDefault(false);
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    // F12 runs OK when it is enabled.
    auto *f12 = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(f12, &QShortcut::activated, this, [this] {
        if (btnOk->isEnabled()) btnOkClick();
    });

    xAnimeProgressDialog1 = new TxAnimeProgressDialog(this);
    xAnimeProgressDialog1->setObjectName(QStringLiteral("xAnimeProgressDialog1"));
    ImageList1[0] = statusImage(true);
    ImageList1[1] = statusImage(false);
}

// ---- the version test -----------------------------------------------------

void TDbUpdateBox::SetDbVersionText(const QString &text)
{
    FDbVersion = TDbVersionRec();
    TMojiBunkatu split;
    split.Delimiter = u'.';
    split.Split(text);
    if (split.Count != 3) return;
    FDbVersion.Major = textToInt(split.Item(0));
    FDbVersion.Minor = textToInt(split.Item(1));
    FDbVersion.Rev = textToInt(split.Item(2));
}

void TDbUpdateBox::SetDbVersion()
{
    static const QString kOperation = QStringLiteral("TDbUpdateBox.SetDbVersion");
    static const QString kText = QStringLiteral("データベースバージョンの取得に失敗しました。");
    FDbVersion = TDbVersionRec();
    if (!DM) {
        ShowErrorMessage(kText, QString());
        return;
    }
    try {
        FDbVersion = ReadNewestDbVersion(FDbKind == 0 ? DM->IBDatabaseDEF : DM->IBDatabaseDAT, FDbKind);
    } catch (const std::exception &e) {
        reportError(e, kOperation, kText, false);
    }
}

void TDbUpdateBox::arrangeForKind()
{
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const int top = btnOk->y();
    if (FDbKind == 0) {
        ImageRed->show();
        ImageGrn->hide();
        lblTitle1->setText(QStringLiteral("システムデータの更新を行います。"));
        lblTitle2->clear();
        lblTitle3->clear();
        cboxAgree->hide();
        btnCancel->hide();
        btnOk->move(ScaleByDpi(380, 96, dpi), top);
    } else {
        ImageRed->hide();
        ImageGrn->show();
        lblTitle1->setText(QStringLiteral("会計データの更新を行います。"));
        lblTitle2->setText(QStringLiteral("バックアップを取得せずに、この処理を行うと元に戻すことが出来ません。"));
        lblTitle3->setText(QStringLiteral("必ずバックアップを取得後に実行することを強く推奨します。"));
        cboxAgree->show();
        btnCancel->show();
        btnOk->move(ScaleByDpi(280, 96, dpi), top);
        btnCancel->move(ScaleByDpi(380, 96, dpi), top);
    }
}

void TDbUpdateBox::cboxAgreeClick()
{
    btnOk->setEnabled(cboxAgree->isVisibleTo(this) ? cboxAgree->isChecked() : true);
}

void TDbUpdateBox::ListView1SelectItem(int row)
{
    RichEdit1->clear();
    const int index = row + FFirstIndex;
    if (row >= 0 && index >= 0 && index < int(FCurrentList->size()))
        RichEdit1->setPlainText(QString((*FCurrentList)[size_t(index)].Description).replace(u'\r', u'\n'));
}

void TDbUpdateBox::SetUpdateList(quint8 kind, const QString &versionText)
{
    FDbKind = kind;
    FUpdateNeeded = false;
    FUpdateOk = false;
    FFirstIndex = -1;
    FLastIndex = -1;
    FNewestVersion = TDbVersionRec();
    FBackupCount = 0;

    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    ListView1->setHorizontalHeaderLabels({QStringLiteral("Ver."), QStringLiteral("説明"), QStringLiteral("状況")});
    const int widths[] = {60, 280, 80};
    for (int c = 0; c < 3; ++c) ListView1->setColumnWidth(c, ScaleByDpi(widths[c], 96, dpi));
    arrangeForKind();
    FCurrentList = kind == 0 ? &FSystemList : &FDataList;
    cboxAgreeClick();

    if (!FCurrentList->empty()) FNewestVersion = versionOf(FCurrentList->back());
    if (!versionText.isEmpty())
        SetDbVersionText(versionText);
    else
        SetDbVersion();

    // The lists are ordered: every step from the first newer one on is pending.
    for (size_t i = 0; i < FCurrentList->size(); ++i) {
        if (versionOf((*FCurrentList)[i]) > FDbVersion) {
            FUpdateNeeded = true;
            FFirstIndex = int(i);
            break;
        }
    }
    if (!FUpdateNeeded) return;

    FLastIndex = int(FCurrentList->size()) - 1;
    const QSignalBlocker quiet(ListView1);
    ListView1->setRowCount(0);
    for (int i = FFirstIndex; i <= FLastIndex; ++i) {
        const TDbUpdateListRec &rec = (*FCurrentList)[size_t(i)];
        const int row = ListView1->rowCount();
        ListView1->insertRow(row);
        ListView1->setItem(row, 0, new QTableWidgetItem(QStringLiteral("%1.%2.%3").arg(rec.Major).arg(rec.Minor1).arg(rec.Minor2)));
        ListView1->setItem(row, 1, new QTableWidgetItem(rec.Title));
        ListView1->setItem(row, 2, new QTableWidgetItem(QString()));
        FBackupCount += rec.NeedBackup;
    }
    ListView1->setCurrentCell(0, 0);
    ListView1SelectItem(0);
}

QString TDbUpdateBox::RowStatus(int row) const
{
    const QTableWidgetItem *it = ListView1->item(row, 2);
    return it ? it->text() : QString();
}

void TDbUpdateBox::setRowStatus(int row, const QString &text, int image)
{
    QTableWidgetItem *it = ListView1->item(row, 2);
    if (!it) {
        it = new QTableWidgetItem;
        ListView1->setItem(row, 2, it);
    }
    it->setText(text);
    it->setIcon(ImageList1[image]);
}

// ---- the run ----------------------------------------------------------------

bool TDbUpdateBox::runJob(int mode, const QString &caption, const QString &info, const QString &dbPath)
{
    xAnimeProgressDialog1->setCaption(caption);
    xAnimeProgressDialog1->setInfoLabel(info);
    xAnimeProgressDialog1->AviFile = ExcludePathDelim(SystemDef.ProgramDir) + QStringLiteral("/progress.avi");
    xAnimeProgressDialog1->CancelBtnShow = false;
    xAnimeProgressDialog1->Show(this);

    bool success = false;
    {
        TBackupRestoreThread job;
        job.Mode = mode;
        job.Method = (ConnectMode == 1 || ConnectMode == 2) ? 1 : 0;
        job.Host = SystemDef.HostName;
        job.DatabasePath = dbPath;
        job.BackupFile = FBackupFile;
        job.RestoreOption = 1;
        job.Ask = 0;
        if (mode == 1) job.UseMyNumber = AccInf.MyNumberUse;
        // The job ends every failure in its result record.
        job.Execute();
        FJobResult = job.ErrInfo;
        success = job.Success == 1;
    }

    if (mode == 0 && FDbKind == 0) DM->IBDatabaseDEF.close();
    ForceForegroundWindow(this);
    xAnimeProgressDialog1->Close();
    return success;
}

namespace {
QString &stepMessage()
{
    static QString text;
    return text;
}
} // namespace

void SetDbUpdateStepMessage(const QString &text)
{
    stepMessage() = text;
}

QString DbUpdateStepMessage()
{
    return stepMessage();
}

int TDbUpdateBox::ExecuteUpdate()
{
    int result = -1;
    const QString dbPath = databasePath(FDbKind);
    FBackupFile = ExcludePathDelim(SystemDef.TempDir) + QStringLiteral("/dataup.fbk");
    FUpdateOk = false;
    FJobResult = TErrInfomation();
    SetDbUpdateStepMessage(QString());

    if (!FUpdateNeeded || FFirstIndex < 0 || FLastIndex < FFirstIndex) return -1;

    bool backedUp = true;
    if (FBackupCount > 0) {
        if (FDbKind == 0 && !DM->IBDatabaseDEF.connected()) DM->fnAccDefConnected(SystemDef.HostName, true);
        QDir().mkpath(ExcludePathDelim(SystemDef.TempDir));
        backedUp = runJob(0, QStringLiteral("データ更新の準備中"), QStringLiteral("準備中、しばらくお待ちください…"), dbPath);
        const QString before = ExcludePathDelim(SystemDef.DocumentDir) + QStringLiteral("/更新前データ");
        if (!SystemDef.DocumentDir.isEmpty() && DM->DExist(before, 0)) DM->RmDir(before, 0, false);
    }
    if (!backedUp) {
        FFirstIndex = -1;
        FLastIndex = -1;
        return -1;
    }

    // The steps, one after another; the first that fails ends the run.
    ProgressBar1->setRange(0, FLastIndex - FFirstIndex + 1);
    ProgressBar1->setValue(0);
    pnlProgress->show();
    pnlProgress->raise();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool failed = false;
    for (int index = FFirstIndex; index <= FLastIndex; ++index) {
        const TDbUpdateListRec &rec = (*FCurrentList)[size_t(index)];
        const int row = index - FFirstIndex;
        int stepResult = DbUpdateFileMissing;
        SetDbUpdateStepMessage(QString());
        try {
            if (rec.UpdateProc) stepResult = rec.UpdateProc();
        } catch (const std::exception &e) {
            // A step that raises has changed the database as far as it got:
            // it counts as failed, so that the backup is put back.
            QApplication::restoreOverrideCursor();
            reportError(e, QStringLiteral("TDbUpdateBox.ExecuteUpdate"),
                        QStringLiteral("Ver %1.%2.%3のデータベース更新に失敗しました。").arg(rec.Major).arg(rec.Minor1).arg(rec.Minor2),
                        false);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            stepResult = DbUpdateToolError;
        }
        if (stepResult == DbUpdateDone) {
            setRowStatus(row, QStringLiteral("完了"), 0);
            ProgressBar1->setValue(ProgressBar1->value() + 1);
            continue;
        }
        setRowStatus(row, stepResult == DbUpdateFileMissing ? QStringLiteral("ﾌｧｲﾙ不足") : QStringLiteral("失敗"), 1);
        failed = true;
        break;
    }
    WaitMs(300);
    pnlProgress->hide();
    QApplication::restoreOverrideCursor();

    if (failed && FBackupCount > 0) {
        const bool restored = runJob(1, QStringLiteral("更新前データの復元中"), QStringLiteral("復元中、しばらくお待ちください…"), dbPath);
        if (!restored) {
            FFirstIndex = -1;
            FLastIndex = -1;
            return -1;
        }
    }

    FFirstIndex = -1;
    FLastIndex = -1;
    if (!failed) {
        FDbVersion = FNewestVersion;
        result = 1;
    } else {
        result = 0;
    }
    FUpdateOk = result == 1;
    return result;
}

QString TDbUpdateBox::GetUseOperatorList()
{
    QString out;
    try {
        if (DM->fnAccDefConnected(SystemDef.HostName, true)) {
            TLoginUserListOnDef list;
            list.Execute(SystemDef.GroupNo, SystemDef.OpCode, false);
            for (int i = 0; i < list.Count; ++i)
                out += QStringLiteral("[ %1 ]:  %2\r").arg(list.GetOpCode(i), 4, 10, QChar(u'0')).arg(list.GetOpName(i));
        }
    } catch (const std::exception &) {
        // The list has reported its failure; the box shows what was read.
    }
    DM->IBDatabaseDEF.close();
    return out;
}

void TDbUpdateBox::showFailureBox()
{
    InitMessage2InfoRec(1, FErrorBox);
    FErrorBox.Lines[0].Caption =
        FDbKind == 0 ? QStringLiteral("システムデータの更新に失敗しました。") : QStringLiteral("会計データの更新に失敗しました。");
    const QStringList stepMessage = DbUpdateStepMessage().split(u'\r', Qt::SkipEmptyParts);
    if (!stepMessage.isEmpty()) {
        // What the failed step asks of the operator.
        FErrorBox.Lines[1].Caption = QStringLiteral("[エラー内容]");
        FErrorBox.Lines[2].Caption = stepMessage.value(0);
        FErrorBox.Lines[3].Caption = stepMessage.value(1);
    } else if (!FJobResult.Message.isEmpty()) {
        FErrorBox.Lines[1].Caption = QStringLiteral("[エラー内容]");
        FErrorBox.Lines[2].Caption = FJobResult.Message;
        FErrorBox.Lines[3].Caption = FJobResult.Message2;
    }
    ShowMessageBox2(FErrorBox);
}

void TDbUpdateBox::btnOkClick()
{
    if (FRunTag == 1) return;
    FRunTag = 1;
    int modalResult = 4;
    const QString host = SystemDef.HostName;

    bool refused = false;
    if (FDbKind == 0) {
        if (DM->IBDatabaseDEF.connected()) DM->IBDatabaseDEF.close();
        if (DM->AccDatInConnection(0, host, false, SystemDef.SysDir)) {
            TMessageInfoRec box;
            InitMessageInfoRec(box);
            box.Mode = 1;
            box.Position = TPosition::poScreenCenter;
            box.Caption = QStringLiteral("情報");
            box.Text = QStringLiteral("現在、他のオペレータがシステムを利用中です。\rデータベースの更新を行うには、システムを終了するようにご連絡して下さい。");
            box.Lines = QStringList{QStringLiteral("利用中のオペレータ (異常終了時のオペレータ含む)"), QString()};
            QString users = GetUseOperatorList();
            if (users.endsWith(u'\r')) users.chop(1);
            if (!users.isEmpty()) box.Lines += users.split(u'\r');
            ShowMessageBox(box);
            refused = true;
        }
    } else {
        if (DM->IBDatabaseDAT.connected()) DM->fnAccDatDisConnected(SystemDef.DataDir, false, false);
        if (DM->AccDatInConnection(1, host, false, SystemDef.DataDir)) {
            MessageDlg(QStringLiteral("現在、他のオペレータが会計データを利用中です。\rデータベースの更新を行うには、会計データの利用を停止するようにご連絡して下さい。"),
                       TMsgDlgType::mtInformation, mbYes);
            refused = true;
        }
    }

    if (!refused) {
        ExecuteUpdate();
        if (!FBackupFile.isEmpty() && DM->FExist(FBackupFile, 0)) DM->FDel(FBackupFile, 0, false);
        if (FUpdateOk)
            modalResult = 1;
        else
            showFailureBox();
    }

    // The database is put back in use as the program holds it.
    if (FDbKind == 0) {
        if (!DM->IBDatabaseDEF.connected()) DM->fnAccDefConnected(host, true);
    } else {
        if (!DM->IBDatabaseDAT.connected()) DM->fnAccDatConnected(host, SystemDef.DataDir, false);
        // Closing writes the data set's information file and its list row (the new version).
        DM->fnAccDatDisConnected(SystemDef.DataDir, true, true);
        if (DM->fnAccDatConnected(host, SystemDef.DataDir, false)) DM->fnGetAccInfo();
    }
    FRunTag = 0;
    done(modalResult);
}

void TDbUpdateBox::btnCancelClick()
{
    if (FRunTag == 1) return;
    done(2);
}

void TDbUpdateBox::reject()
{
    btnCancelClick();
}

void TDbUpdateBox::closeEvent(QCloseEvent *e)
{
    if (FRunTag == 1) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TDbUpdateBox::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (isVisible()) update();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}
