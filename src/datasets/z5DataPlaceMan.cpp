#include "datasets/z5DataPlaceMan.h"

#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "framework/FrameworkMessages.h"
#include "framework/xPlButton.h"
#include "framework/z5InputDlg.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QShowEvent>
#include <QTableWidget>

namespace {

const QString kNoName = QStringLiteral("名称が入力されていません。");

QString gridHint()
{
    QString hint = QStringLiteral(
        "データ管理フォルダの情報を管理します。|[F2]で新規作成、[F3]で名称変更、[F5]で削除します。（例外：\"ﾄﾞﾗｲﾌﾞ:\\DORVELZAIMU\\DATA\"行の削除は禁止）\r\n"
        "[上へ][下へ]でリストの並べ替えが行えます。");
    if (Edition == 1 || Edition == 2)
        hint.replace(QStringLiteral("\\DORVELZAIMU\\DATA"), AppInfo.Rirev.ServerDir.toUpper(), Qt::CaseInsensitive);
    return hint;
}

} // namespace

TDataPlaceBox::TDataPlaceBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("DataPlaceBox"));
    setWindowTitle(QStringLiteral("データの場所の設定"));
    setFixedSize(691, 437);
    UseMenuCallback = false;
    SkipProcessCheck = false;
    SaveFormSize = false;
    NotifyActivate = false;
    KeepOnClose = true; // closing hides it; the screen reuses it

    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 691, 317);
    PerfectGrid1 = new QTableWidget(pnlClient);
    PerfectGrid1->setObjectName(QStringLiteral("PerfectGrid1"));
    PerfectGrid1->setGeometry(8, 8, 540, 301);
    PerfectGrid1->setColumnCount(3);
    PerfectGrid1->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("名称"), QStringLiteral("フォルダパス")});
    PerfectGrid1->setColumnWidth(0, 40);
    PerfectGrid1->setColumnWidth(1, 230);
    PerfectGrid1->setColumnWidth(2, 230);
    PerfectGrid1->verticalHeader()->hide();
    PerfectGrid1->verticalHeader()->setDefaultSectionSize(22);
    PerfectGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PerfectGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    PerfectGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    PerfectGrid1->horizontalHeader()->setSectionsClickable(false);
    PerfectGrid1->setWordWrap(false);
    const int x = 560, w = 120;
    F2 = NewPlButton(pnlClient, QStringLiteral("F2"), QStringLiteral("F2:新規作成"), QRect(x, 8, w, 30));
    F3 = NewPlButton(pnlClient, QStringLiteral("F3"), QStringLiteral("F3:名称変更"), QRect(x, 44, w, 30));
    F5 = NewPlButton(pnlClient, QStringLiteral("F5"), QStringLiteral("F5:削除"), QRect(x, 80, w, 30));
    F6 = NewPlButton(pnlClient, QStringLiteral("F6"), QStringLiteral("上へ"), QRect(x, 136, w, 30));
    F7 = NewPlButton(pnlClient, QStringLiteral("F7"), QStringLiteral("下へ"), QRect(x, 172, w, 30));
    for (TxPlButton *b : {F2, F3, F5, F6, F7}) b->setFocusPolicy(Qt::NoFocus);

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 317, 691, 120);
    PanelHint = new QWidget(pnlBottom);
    PanelHint->setObjectName(QStringLiteral("PanelHint"));
    PanelHint->setGeometry(8, 4, 675, 72);
    HintArea = new QPlainTextEdit(PanelHint);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setGeometry(0, 0, 675, 72);
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    F1 = NewPlButton(pnlBottom, QStringLiteral("F1"), QStringLiteral("F1:ヘルプ"), QRect(8, 84, 90, 30));
    F1->hide();
    btnOK = NewPlButton(pnlBottom, QStringLiteral("btnOK"), QStringLiteral("閉じる"), QRect(593, 84, 90, 30));
    btnOK->setModalResult(1);
    btnCancel = NewPlButton(pnlBottom, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(497, 84, 90, 30));
    btnCancel->setModalResult(2);
    btnCancel->hide();

    connect(F2, &TxPlButton::clicked, this, [this] { NewPlace(); });
    connect(F3, &TxPlButton::clicked, this, [this] { RenamePlace(); });
    connect(F5, &TxPlButton::clicked, this, [this] { FreePlace(); });
    connect(F6, &TxPlButton::clicked, this, [this] { MoveRow(-1); });
    connect(F7, &TxPlButton::clicked, this, [this] { MoveRow(1); });
    connect(btnOK, &TxPlButton::clicked, this, [this] { done(1); });
    connect(btnCancel, &TxPlButton::clicked, this, [this] { done(2); });
    connect(PerfectGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        markRow(m_markedRow, false);
        markRow(row, true);
        SetFunctionKeys();
    });
    PerfectGrid1->installEventFilter(this);

    FolderExists = [](const QString &folder) { return DM && DM->DExist(folder, ConnectMode); };
    MakeFolder = [](const QString &folder) { return DM && DM->MkDir(folder, ConnectMode); };

    HintMemo = HintArea;
    EndButton = btnOK;
    m_input = std::make_unique<TInputDlgBox>(this);
    SetPerfectGridColors(PerfectGrid1, 1);
    m_fore = PerfectGrid1->palette().color(QPalette::Text);
    CreateDone = true;
}

TDataPlaceBox::~TDataPlaceBox()
{
    if (PerfectGrid1) PerfectGrid1->removeEventFilter(this);
}

QColor TDataPlaceBox::FocusMarkColor()
{
    return (Edition == 1 || Edition == 2) ? QColor(0, 128, 0) : QColor(255, 107, 36);
}

void TDataPlaceBox::LoadHints()
{
    PerfectGrid1->setToolTip(gridHint());
    btnOK->setToolTip(QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    btnCancel->setToolTip(QStringLiteral("画面を閉じます。|画面を閉じます。"));
}

bool TDataPlaceBox::LoadPlaces(bool namedOnly)
{
    try {
        m_places = dataplacestore::load(namedOnly);
        return true;
    } catch (const std::exception &) {
        m_places.clear();
        return false;
    }
}

QString TDataPlaceBox::PlaceNamesText()
{
    LoadPlaces(true);
    QString out;
    for (const TDataPlaceRec &p : m_places) out += p.NAME + u'\r';
    return out;
}

int TDataPlaceBox::PlaceRecByIndex(int index) const
{
    return index >= 0 && index < m_places.size() ? m_places[index].REC : -1;
}

QString TDataPlaceBox::PlacePathByIndex(int index) const
{
    return index >= 0 && index < m_places.size() ? m_places[index].PATH : QString();
}

int TDataPlaceBox::IndexOfPlaceRec(int rec) const
{
    for (int i = 0; i < m_places.size(); ++i)
        if (m_places[i].REC == rec) return i;
    return -1;
}

QString TDataPlaceBox::PlacePathByRec(int rec) const
{
    const int i = IndexOfPlaceRec(rec);
    return i < 0 ? QString() : m_places[i].PATH;
}

void TDataPlaceBox::Prepare(bool flag)
{
    m_flag = flag;
    LoadHints();
    LoadPlaces(false);
    fillGrid();
    FirstPositioning = false;
}

void TDataPlaceBox::fillGrid()
{
    QSignalBlocker block(PerfectGrid1);
    PerfectGrid1->setRowCount(0);
    PerfectGrid1->setRowCount(int(m_places.size()));
    for (int i = 0; i < m_places.size(); ++i) {
        const TDataPlaceRec &p = m_places[i];
        auto *no = new QTableWidgetItem(QString::number(i + 1));
        no->setData(Qt::UserRole, p.REC);
        no->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PerfectGrid1->setItem(i, 0, no);
        PerfectGrid1->setItem(i, 1, new QTableWidgetItem(p.NAME));
        PerfectGrid1->setItem(i, 2, new QTableWidgetItem(p.PATH));
    }
    int current = IndexOfPlaceRec(SystemDef.SysDef.DataPlace);
    if (current < 0) current = 0;
    m_markedRow = -1;
    if (!m_places.isEmpty()) {
        PerfectGrid1->setCurrentCell(current, 0);
        markRow(current, true);
    }
    block.unblock();
    SetFunctionKeys();
}

void TDataPlaceBox::markRow(int row, bool focused)
{
    if (row < 0 || row >= PerfectGrid1->rowCount()) return;
    QFont f = focused ? userFont() : PerfectGrid1->font();
    if (focused) {
        f.setBold(false);
        f.setItalic(false);
    }
    for (int c = 0; c < 3; ++c)
        if (QTableWidgetItem *it = PerfectGrid1->item(row, c)) {
            it->setForeground(focused ? FocusMarkColor() : m_fore);
            it->setFont(f);
        }
    if (focused) m_markedRow = row;
}

int TDataPlaceBox::currentIndex() const
{
    const int row = PerfectGrid1->currentRow();
    return row >= 0 && row < m_places.size() ? row : -1;
}

void TDataPlaceBox::SetFunctionKeys()
{
    F1->CaptionA().setCaption(QStringLiteral("F1:"));
    QString f2 = QStringLiteral("F2:"), f3 = QStringLiteral("F3:"), f5 = QStringLiteral("F5:");
    const int i = currentIndex();
    if (i >= 0) {
        const TDataPlaceRec &p = m_places[i];
        if (p.REC != 0) f5 = QStringLiteral("F5:削除");
        if (!TrimZen(p.NAME).isEmpty()) {
            f3 = QStringLiteral("F3:名称変更");
        } else {
            f2 = QStringLiteral("F2:新規作成");
            f5 = QStringLiteral("F5:");
        }
    }
    F2->CaptionA().setCaption(f2);
    F3->CaptionA().setCaption(f3);
    F5->CaptionA().setCaption(f5);
    F2->setEnabled(f2 != QStringLiteral("F2:"));
    F3->setEnabled(f3 != QStringLiteral("F3:"));
    F5->setEnabled(f5 != QStringLiteral("F5:"));
    F6->setEnabled(i > 0);
    F7->setEnabled(i >= 0 && i < m_places.size() - 1);
}

bool TDataPlaceBox::acts(const TxPlButton *b, const QString &bare)
{
    return b->CaptionA().Caption().size() > bare.size();
}

bool TDataPlaceBox::askName(const QString &caption, const QString &message, const QString &hint, QString &name)
{
    TInputDlgBox &box = *m_input;
    box.InputMode = 0;
    box.Caption = caption;
    box.Message = message;
    box.MessageColor = palette().color(QPalette::WindowText);
    box.Value = name;
    box.MaxLength = 20;
    box.InputImeMode = 1; // hiragana
    box.RequireInput = true;
    box.SetKeyFilter(0);
    box.InputHint = hint;
    box.Prepare(true);
    if (ModalRunner(box) != 1) return false;
    name = box.Value;
    return true;
}

void TDataPlaceBox::reloadAfterFailure()
{
    // Nothing was written: the grid shows the places as they are stored.
    LoadPlaces(false);
    fillGrid();
}

bool TDataPlaceBox::savePlaces()
{
    try {
        dataplacestore::save(m_places, Product.DataListCnt);
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TDataPlaceBox.SavePlaces"), QStringLiteral("データの場所の登録に失敗しました。"));
        return false;
    }
}

void TDataPlaceBox::NewPlace()
{
    const int i = currentIndex();
    if (i < 0 || !acts(F2, QStringLiteral("F2:"))) return;
    QString name;
    if (askName(QStringLiteral("新規作成"), QStringLiteral("新しく作成するデータ管理フォルダの名称を入力して下さい。"),
                QStringLiteral("新しく作成するデータ管理フォルダの名称を入力します。"), name)) {
        name = TrimZen(name);
        if (name.isEmpty()) {
            MessageDlg(kNoName, TMsgDlgType::mtInformation, mbOK);
        } else {
            TDataPlaceRec &p = m_places[i];
            bool go = true;
            if (FolderExists(p.PATH)) {
                MessageDlg(QStringLiteral("既にデータサーバーにフォルダが作成されています。"), TMsgDlgType::mtInformation, mbOK);
            } else if (!MakeFolder(p.PATH)) {
                MessageDlg(QStringLiteral("データサーバーへフォルダの作成が失敗しました。"), TMsgDlgType::mtInformation, mbOK);
                go = false;
            }
            if (go) {
                PerfectGrid1->item(i, 1)->setText(name);
                p.NAME = name;
                p.State = 1;
                if (!savePlaces()) reloadAfterFailure();
            }
        }
    }
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    SetFunctionKeys();
}

void TDataPlaceBox::RenamePlace()
{
    const int i = currentIndex();
    if (i < 0 || !acts(F3, QStringLiteral("F3:"))) return;
    QString name = m_places[i].NAME;
    if (askName(QStringLiteral("名称の変更"), QStringLiteral("データ管理フォルダの名称を入力して下さい。"),
                QStringLiteral("データ管理フォルダの管理名称を変更します。"), name)) {
        name = TrimZen(name);
        if (name.isEmpty()) {
            MessageDlg(kNoName, TMsgDlgType::mtInformation, mbOK);
        } else {
            PerfectGrid1->item(i, 1)->setText(name);
            m_places[i].NAME = name;
            m_places[i].State = 2;
            if (!savePlaces()) reloadAfterFailure();
        }
    }
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    SetFunctionKeys();
}

void TDataPlaceBox::FreePlace()
{
    const int i = currentIndex();
    if (i < 0 || !acts(F5, QStringLiteral("F5:")) || m_places[i].REC == 0) return;
    TDataPlaceRec &p = m_places[i];
    if (dataplacestore::hasDataSets(p.REC, FolderExists)) {
        MessageDlg(QStringLiteral("このフォルダ配下には会計データが存在しているため削除することが出来ません。\r"
                                  "どうしても削除を行いたい場合は、配下の会計データをすべて削除してから処理して下さい。"),
                   TMsgDlgType::mtInformation, mbOK);
        return;
    }
    if (MessageDlg(u'[' + p.NAME + QStringLiteral("]を削除します。よろしいですか？"), TMsgDlgType::mtConfirmation,
                   TMsgDlgButtons(mbOK | mbCancel)) != mrOk)
        return;
    PerfectGrid1->item(i, 1)->setText(QString());
    p.NAME.clear();
    p.State = 9;
    if (!savePlaces()) reloadAfterFailure();
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    SetFunctionKeys();
}

void TDataPlaceBox::MoveRow(int delta)
{
    const int i = currentIndex();
    const int j = i + delta;
    if (i < 0 || m_places.size() < 2 || j < 0 || j >= m_places.size()) return;
    m_places.swapItemsAt(i, j);
    for (int c = 0; c < 3; ++c) {
        QTableWidgetItem *a = PerfectGrid1->takeItem(i, c);
        QTableWidgetItem *b = PerfectGrid1->takeItem(j, c);
        PerfectGrid1->setItem(i, c, b);
        PerfectGrid1->setItem(j, c, a);
    }
    for (int r = 0; r < m_places.size(); ++r) {
        PerfectGrid1->item(r, 0)->setText(QString::number(r + 1));
        if (m_places[r].ORDERKBN != r + 1) {
            m_places[r].ORDERKBN = r + 1;
            m_places[r].State = 2;
        }
    }
    {
        QSignalBlocker block(PerfectGrid1);
        PerfectGrid1->setCurrentCell(j, 0);
    }
    markRow(i, false);
    markRow(j, true);
    if (!savePlaces()) reloadAfterFailure();
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    SetFunctionKeys();
}

bool TDataPlaceBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return TBSDI::FormKeyUp(key, modifiers);
    switch (key) {
    case Qt::Key_F1: return true;
    case Qt::Key_F2: F2->click(); return true;
    case Qt::Key_F3: F3->click(); return true;
    case Qt::Key_F5: F5->click(); return true;
    case Qt::Key_F4:
    case Qt::Key_F6:
    case Qt::Key_F7:
    case Qt::Key_F8:
    case Qt::Key_F12: return true;
    default: return TBSDI::FormKeyUp(key, modifiers);
    }
}

bool TDataPlaceBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == PerfectGrid1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true; // Enter does nothing in the grid
    }
    return TBSDI::eventFilter(watched, e);
}

void TDataPlaceBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    PerfectGrid1->setFocus(Qt::OtherFocusReason);
    markRow(PerfectGrid1->currentRow(), true);
}
