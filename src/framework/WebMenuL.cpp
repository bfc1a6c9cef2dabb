#include "framework/WebMenuL.h"

#include "dbaccess/ErrorHandler.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "framework/xPlButton.h"

#include <QApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

QString TfmWebMenuL::HintText()
{
    return QStringLiteral("他のオペレーターがドルベル財務を利用中のため、バ\n"
                          "ージョンアップができません。\n"
                          "他のオペレータの利用がない状態で、管理者権限に\n"
                          "て、バージョンアップを実行してください。\n");
}

TfmWebMenuL::TfmWebMenuL(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("fmWebMenuL"));
    setWindowTitle(QStringLiteral("ログインユーザー"));
    setFixedSize(357, 361);

    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 357, 240);
    PerfectGrid1 = new QTableWidget(pnlClient);
    PerfectGrid1->setObjectName(QStringLiteral("PerfectGrid1"));
    PerfectGrid1->setGeometry(32, 24, 295, 193);
    PerfectGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PerfectGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    PerfectGrid1->verticalHeader()->hide();

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 240, 357, 121);
    PanelHint = new QWidget(pnlBottom);
    PanelHint->setObjectName(QStringLiteral("PanelHint"));
    PanelHint->setGeometry(8, 4, 341, 80);
    HintArea = new QPlainTextEdit(PanelHint);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setGeometry(0, 0, 341, 80);
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setPlainText(HintText());
    F1 = NewPlButton(pnlBottom, QStringLiteral("F1"), QStringLiteral("F1:ヘルプ"), QRect(8, 90, 90, 26));
    F1->hide();
    ESC = NewPlButton(pnlBottom, QStringLiteral("ESC"), QStringLiteral("ESC:ｷｬﾝｾﾙ"), QRect(160, 90, 90, 26));
    ESC->hide();
    F12 = NewPlButton(pnlBottom, QStringLiteral("F12"), QStringLiteral("F12:閉じる"), QRect(259, 90, 90, 26));
    connect(F12, &TxPlButton::clicked, this, [this] { done(1); });
    EndButton = F12;

    // The grid: number, code, name.
    SetPerfectGridColors(PerfectGrid1, 0);
    PerfectGrid1->setColumnCount(3);
    PerfectGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("No"), QStringLiteral("コード"), QStringLiteral("オペレータ名")});
    const int widths[] = {50, 70, 154};
    for (int c = 0; c < 3; ++c)
        PerfectGrid1->setColumnWidth(c, widths[c]);

    // A database failure is reported by the reader and ends the creation.
    if (!fnDBConect_OP())
        setResult(2);
    CreateDone = true;
}

TfmWebMenuL::~TfmWebMenuL() = default;

bool TfmWebMenuL::fnDBConect_OP()
{
    m_users.clear();
    m_count = 0;
    try {
        m_users = logonstore::readLogonUsers(SystemDef.OpCode);
    } catch (const FbError &e) {
        ShowIBError(e, QStringLiteral("TfmWebMenuL.fnDBConect_OP"), QString());
        throw;
    }
    // The table has room for 99 operators.
    if (m_users.size() > 99)
        m_users.resize(99);
    m_count = int(m_users.size());
    return m_count > 0;
}

void TfmWebMenuL::SetParams(const QStringList &params)
{
    m_params = params;
    SyoriType = ProcessParamInt(params, QStringLiteral("SyoriType"), 0);
}

void TfmWebMenuL::Prepare(bool modal)
{
    m_modal = modal;
    FirstPositioning = false;
}

int TfmWebMenuL::Execute(bool modal)
{
    QApplication::restoreOverrideCursor();
    const int r = ExecuteProcessForm(this, modal, [this] { Prepare(true); });
    if (!modal)
        return r;
    return r == 1 && UserCount() > 0 ? 1 : 0;
}

void TfmWebMenuL::FormShow()
{
    TBSDI::FormShow();
    if (m_count == 0) {
        // Nobody else is logged on: the list closes itself.
        QTimer::singleShot(0, this, [this] { done(2); });
        return;
    }
    const int rows = int(m_users.size());
    PerfectGrid1->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const logonstore::LogonUser &u = m_users[std::size_t(i)];
        const QString cells[] = {QString::number(i + 1), QString::number(u.OpCode), u.OpName};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
            PerfectGrid1->setItem(i, c, item);
        }
    }
}

void TfmWebMenuL::FormClose()
{
    TBSDI::FormClose();
    m_users.clear();
}

void TfmWebMenuL::done(int)
{
    // Closed in any way, the result tells whether anybody was listed.
    TBSDI::done(m_count > 0 ? 1 : 2);
}

bool TfmWebMenuL::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Escape || key == Qt::Key_F1)
        return true; // neither does anything here
    return TBSDI::FormKeyUp(key, modifiers);
}

void RegisterWebMenuL()
{
    RegisterProcessClass<TfmWebMenuL>(QStringLiteral("WebMenuL"));
}

namespace {
const bool kRegistered = (RegisterWebMenuL(), true);
}
