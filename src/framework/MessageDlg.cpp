#include "framework/MessageDlg.h"

#include "framework/FrameworkMessages.h"
#include "framework/MessageDlg2.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>

#include <memory>

namespace {
constexpr int kDesignW = 504, kDesignH = 293;
constexpr int kBottomH = 41;
constexpr int kMemoH = 156;
} // namespace

void InitMessageInfoRec(TMessageInfoRec &rec)
{
    rec = TMessageInfoRec();
}

TMessageBox::TMessageBox(QWidget *parent) : TBSDI(parent, TFormBorderStyle::bsDialog)
{
    UseMenuCallback = SaveFormSize = NotifyActivate = false;
    KeepOnClose = true; // closing hides the box; the owner frees it
    setObjectName(QStringLiteral("MessageBox"));

    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    lblMain = new QLabel(pnlClient);
    lblMain->setObjectName(QStringLiteral("lblMain"));
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MessageArea = new QPlainTextEdit(pnlClient);
    MessageArea->setObjectName(QStringLiteral("MessageArea"));
    MessageArea->setReadOnly(true);
    MessageArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cboxAgree = new TxCheckBox(QStringLiteral("同意する。"), pnlClient);
    cboxAgree->setObjectName(QStringLiteral("cboxAgree"));
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    btnOK = new TxPlButton(pnlBottom);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new TxPlButton(pnlBottom);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (TxPlButton *b : {btnOK, btnCancel}) {
        b->resize(90, 26);
        b->setGradEndColor(QColor(182, 182, 182));
    }
    connect(btnOK, &TxPlButton::clicked, this, [this] { setResult(btnOK->ModalResult()); });
    connect(btnCancel, &TxPlButton::clicked, this, [this] { setResult(btnCancel->ModalResult()); });
    connect(cboxAgree, &QCheckBox::toggled, this, [this](bool on) {
        if (Mode == 2) btnOK->setEnabled(on);
    });
    EndButton = btnOK;
    MainColor = palette().color(QPalette::WindowText);
    m_design = QSize(kDesignW, kDesignH);
    layoutPanels(kDesignW, kDesignH);
    CreateDone = true;
}

void TMessageBox::layoutPanels(int w, int h)
{
    setFixedSize(w, h);
    pnlBottom->setGeometry(0, h - kBottomH, w, kBottomH);
    pnlClient->setGeometry(0, 0, w, h - kBottomH);
    lblMain->setGeometry(24, 16, 445, 49);
    MessageArea->setGeometry(24, 72, w - 39, kMemoH);
    cboxAgree->setGeometry(24, pnlClient->height() - 26, w - 48, 22);
    btnCancel->move(w - 90 - 12, (kBottomH - 26) / 2);
    btnOK->move(btnCancel->x() - 90 - 8, (kBottomH - 26) / 2);
}

void TMessageBox::SetMessageLines(const QStringList &lines)
{
    m_lines = lines;
}

void TMessageBox::Prepare(bool flag)
{
    m_prepared = flag;
    AgreeVisible = Mode == 2 || Mode == 3;
    layoutPanels(m_design.width(), m_design.height());
    ArrangeControls();
    if (Position == TPosition::poScreenCenter) SetFormPosition(0, 0, 0, 0, 3);
    FirstPositioning = false;
}

void TMessageBox::ArrangeControls()
{
    btnOK->show();
    btnOK->CaptionA().setCaption(QStringLiteral("OK"));
    btnOK->setModalResult(1);
    btnCancel->CaptionA().setCaption(QStringLiteral("キャンセル"));
    btnCancel->setModalResult(2);
    if (Mode == 1) {
        btnOK->hide();
        btnCancel->CaptionA().setCaption(QStringLiteral("OK"));
        btnCancel->setModalResult(1);
    }
    setWindowTitle(Caption);
    lblMain->setText(MainText);
    lblMain->setStyleSheet(QStringLiteral("color: %1").arg(MainColor.name()));
    MessageArea->setPlainText(m_lines.join(u'\n'));
    if (m_lines.isEmpty()) {
        MessageArea->hide();
        layoutPanels(width(), height() - kMemoH);
    } else {
        MessageArea->show();
    }
    cboxAgree->setVisible(AgreeVisible);
    cboxAgree->setText(AgreeCaption);
    cboxAgree->setChecked(AgreeChecked);
    btnOK->setEnabled(true);
    if (Mode == 2 && AgreeVisible && !cboxAgree->isChecked()) btnOK->setEnabled(false);
}

void TMessageBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (CreateDone) {
        update();
        btnCancel->setFocus();
    }
}

int ShowMessageBox(TMessageInfoRec &rec)
{
    auto *fw = dynamic_cast<FrameworkMessageService *>(&MessageService::instance());
    if (fw) return fw->showInfoRecord(rec);

    MessageRequest r;
    r.kind = TMsgDlgType::mtCustom;
    r.title = rec.Caption;
    QStringList parts{rec.Text};
    parts += rec.Lines;
    r.text = parts.join(u'\r');
    r.buttons = rec.Mode == 1 ? TMsgDlgButtons(mbOK) : TMsgDlgButtons(mbOK | mbCancel);
    r.defaultResult = rec.Mode == 1 ? mrOk : mrCancel;
    return MessageService::instance().show(r);
}
