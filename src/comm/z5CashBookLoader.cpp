#include "comm/z5CashBookLoader.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/WindowUtils.h"
#include "framework/xAnimeProgressDialog.h"
#include "framework/xPlButton.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

TCashBookLoaderBox::TCashBookLoaderBox(TDM *dm, QWidget *parent)
    : QDialog(parent), m_loader(std::make_unique<TCashBookLoader>(dm))
{
    setObjectName(QStringLiteral("CashBookLoaderBox"));
    setWindowTitle(QStringLiteral("現金出納帳の取り込み"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(631, 466);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    setFont(f);

    auto label = [this](const char *name, int x, int y) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->move(x, y);
        l->resize(400, 16);
        return l;
    };
    lblTitle1 = label("lblTitle1", 72, 20);
    lblTitle2 = label("lblTitle2", 72, 36);
    lblTitle3 = label("lblTitle3", 72, 52);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(24, 16, 33, 33);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(16, 112, 600, 225);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setAlternatingRowColors(false);
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &TCashBookLoaderBox::selectItem);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(15, 344, 602, 81);
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    pnlProgress = new QFrame(this);
    pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    pnlProgress->setGeometry(158, 200, 321, 57);
    pnlProgress->setFrameShape(QFrame::Panel);
    pnlProgress->setFrameShadow(QFrame::Raised);
    pnlProgress->setAutoFillBackground(true);
    Animate1 = new TxAnimeView(pnlProgress);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setGeometry(8, 12, 32, 32);
    Animate1->setHasAnimation(QFileInfo::exists(SystemDef.ProgramDir + QStringLiteral("/progress.avi")));
    Label1 = new QLabel(QStringLiteral("データの更新中です…"), pnlProgress);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(48, 8, 260, 16);
    ProgressBar1 = new QProgressBar(pnlProgress);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(48, 30, 260, 16);
    ProgressBar1->setTextVisible(false);
    pnlProgress->hide();

    btnOk = NewPlButton(this, QStringLiteral("btnOk"), QStringLiteral("OK"), QRect(450, 432, 75, 25));
    btnCancel = NewPlButton(this, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(540, 432, 75, 25));
    btnOutput = NewPlButton(this, QStringLiteral("btnOutput"), QStringLiteral("ファイル出力"), QRect(495, 72, 119, 26));
    connect(btnOk, &TxPlButton::clicked, this, &TCashBookLoaderBox::btnOkClick);
    connect(btnCancel, &TxPlButton::clicked, this, &TCashBookLoaderBox::btnCancelClick);
    connect(btnOutput, &TxPlButton::clicked, this, &TCashBookLoaderBox::btnOutputClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(false);
    connect(Timer1, &QTimer::timeout, this, &TCashBookLoaderBox::Timer1Timer);

    // The view of the run.
    TCashBookLoader &l = *m_loader;
    l.OnLabel = [this](const QString &text) {
        Label1->setText(text);
        QApplication::processEvents();
    };
    l.OnProgressReset = [this](int max) {
        ProgressBar1->setRange(0, max);
        ProgressBar1->setValue(0);
    };
    l.OnProgressStep = [this] { ProgressBar1->setValue(std::min(ProgressBar1->maximum(), ProgressBar1->value() + 1)); };
    l.OnLogCleared = [this] {
        ListView1->clear();
        RichEdit1->clear();
    };
    l.OnLogAdded = [this](const TCorvenaSyoriInfo &e) {
        auto *item = new QTreeWidgetItem(ListView1);
        item->setText(0, TCashBookLoader::LevelText(e.Level));
        item->setText(1, e.Message);
        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        if (e.Level == 2) icon = QStyle::SP_MessageBoxWarning;
        if (e.Level == 3) icon = QStyle::SP_MessageBoxCritical;
        if (e.Level >= 1 && e.Level <= 3) item->setIcon(0, style()->standardIcon(icon));
    };

    btnOutput->setEnabled(false);
    btnOk->setEnabled(false);
    btnCancel->setEnabled(false);
    SetAutoStart(true);
}

TCashBookLoaderBox::~TCashBookLoaderBox() = default;

void TCashBookLoaderBox::SetAutoStart(bool on)
{
    m_autoStart = on;
    btnOk->setEnabled(!on);
    btnCancel->setEnabled(!on);
    btnOk->setVisible(!on);
    btnCancel->CaptionA().setCaption(on ? QStringLiteral("閉じる") : QStringLiteral("キャンセル"));
    Timer1->setInterval(on ? 1500 : 0);
}

void TCashBookLoaderBox::SetupScreen()
{
    const int ppi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("ステータス"), QStringLiteral("情報")});
    ListView1->header()->resizeSection(0, ScaleByDpi(80, 96, ppi));
    ListView1->header()->resizeSection(1, ScaleByDpi(500, 96, ppi));
    if (SourceKind() == 0) {
        lblTitle1->setText(QStringLiteral("現金出納帳データの取り込みを行います。"));
        lblTitle2->setText(QStringLiteral("この処理を実行することにより、顧問先と現金残高の同期が行われます。"));
    } else {
        lblTitle1->setText(QStringLiteral("データの取り込みを行います。"));
        lblTitle2->setText(QStringLiteral("この処理を実行することにより、送信元とデータの同期が行われます。"));
    }
    lblTitle3->clear();
    lblTitle3->setStyleSheet(QStringLiteral("color: #ff0000;"));
    btnOk->move(ScaleByDpi(450, 96, ppi), btnOk->y());
    btnCancel->move(ScaleByDpi(540, 96, ppi), btnCancel->y());
}

void TCashBookLoaderBox::ShowResultTitles()
{
    const bool zero = SourceKind() == 0;
    if (m_loader->ResultValue <= 0) {
        lblTitle1->setText(zero ? QStringLiteral("現金出納帳データの取り込みが中止されました。")
                                : QStringLiteral("データの取り込みが中止されました。"));
        lblTitle2->setText(QStringLiteral("下記の情報より、中止された理由を確認して下さい。"));
    } else {
        lblTitle1->setText(zero ? QStringLiteral("現金出納帳データの取り込みを行いました。")
                                : QStringLiteral("データの取り込みを行いました。"));
        lblTitle2->setText(QStringLiteral("下記の情報を確認して下さい。"));
    }
    lblTitle3->clear();
}

void TCashBookLoaderBox::RunAuto()
{
    if (SourceKind() != 1) return;
    Timer1->stop();
    SetupScreen();
    if (m_autoStart) btnOkClick();
}

void TCashBookLoaderBox::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    SetupScreen();
    repaint();
    if (m_autoStart) {
        Timer1->start();
        Animate1->play(true);
        pnlProgress->show();
        Label1->setText(QStringLiteral("準備中です…"));
    } else if (m_shownAfterError && m_loader->ResultValue < 0) {
        Animate1->play(false);
        pnlProgress->hide();
        ShowResultTitles();
    }
}

void TCashBookLoaderBox::Timer1Timer()
{
    Timer1->stop();
    if (m_autoStart) btnOkClick();
}

void TCashBookLoaderBox::btnOkClick()
{
    if (m_running) return;
    m_running = true;
    setResult(0);
    btnCancel->CaptionA().setCaption(QStringLiteral("閉じる"));
    btnCancel->setEnabled(false);
    btnOk->setEnabled(false);
    Animate1->play(true);
    pnlProgress->show();
    m_loader->Run();
    if (ListView1->topLevelItemCount() > 0) ListView1->setCurrentItem(ListView1->topLevelItem(0));
    // The end of every run: only "閉じる" and the log export are left.
    m_autoStart = false;
    ShowResultTitles();
    Animate1->play(false);
    pnlProgress->hide();
    btnOutput->setEnabled(ListView1->topLevelItemCount() > 0);
    btnCancel->setEnabled(true);
    m_running = false;
    if (isVisible()) {
        btnCancel->setFocus();
    } else if (m_loader->ResultValue < 0) {
        m_shownAfterError = true;
        ModalRunner(*this);
    }
}

void TCashBookLoaderBox::btnCancelClick()
{
    if (m_running) return;
    done(btnCancel->text() == u"閉じる" ? QDialog::Accepted : QDialog::Rejected);
}

void TCashBookLoaderBox::reject()
{
    if (m_running || !btnCancel->isEnabled()) return; // Esc waits for the run
    btnCancelClick();
}

void TCashBookLoaderBox::selectItem()
{
    RichEdit1->clear();
    const int i = ListView1->indexOfTopLevelItem(ListView1->currentItem());
    if (i >= 0 && i < m_loader->SyoriLog.size()) RichEdit1->setPlainText(m_loader->SyoriLog[i].Message);
}

void TCashBookLoaderBox::btnOutputClick()
{
    const QString start = ExcludePathDelim(SystemDef.DocumentDir) + QStringLiteral("/現金出納帳の受信ログ.csv");
    QString path = FileChooser::instance().chooseSaveFile(
        QStringLiteral("ファイル出力"), start, QStringLiteral("ＣＳＶシート(*.csv)|*.CSV|テキストファイル(*.txt)|*.TXT"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    ExportLog(path);
}

bool TCashBookLoaderBox::ExportLog(const QString &target)
{
    QString path = target;
    if (!CheckSaveFileAccess(path)) return false;
    const bool csv = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) != 0;
    try {
        platform::AtomicFile out(path);
        out.open();
        out.write(TCashBookLoader::LogFileBytes(m_loader->SyoriLog, csv));
        out.commit();
    } catch (const platform::Error &e) {
        ShowErrorMessage(QStringLiteral("ファイルの出力に失敗しました。"), e.message());
        return false;
    }
    return true;
}
