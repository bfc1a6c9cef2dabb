#include "framework/z5InputDlg.h"

#include "core/Messages.h"
#include "core/SjisText.h"
#include "framework/DorvelEdit.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

bool InputKeyFilterAccepts(int filter, QChar c)
{
    if (c == u'\r') return true;
    const bool backspace = c == QChar(0x08);
    const bool digit = c >= u'0' && c <= u'9';
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    switch (filter) {
    case 10: return digit || c == u'-' || c == u'.' || backspace;
    case 20: return letter || backspace;
    case 30: return letter || digit || backspace;
    case 40: return !QStringLiteral("\"*,/:;<>?\\|").contains(c);
    default: return true;
    }
}

TInputDlgBox::TInputDlgBox(QWidget *parent) : TBSDI(parent, TFormBorderStyle::bsDialog)
{
    setObjectName(QStringLiteral("InputDlgBox"));
    setFixedSize(427, 242);
    UseMenuCallback = false;
    SkipProcessCheck = false;
    KeepOnClose = true; // closing hides it; the owner frees it
    SaveFormSize = false;
    NotifyActivate = false;

    pnlClient = new QWidget(this);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setGeometry(0, 0, 427, 172);
    lblMain = new QLabel(pnlClient);
    lblMain->setObjectName(QStringLiteral("lblMain"));
    lblMain->setGeometry(17, 12, 393, 49);
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    pnlText = new QWidget(pnlClient);
    pnlText->setObjectName(QStringLiteral("pnlText"));
    pnlText->setGeometry(17, 70, 393, 90);
    txtInput = new TxEdit(pnlText);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // a password shows "*"
    txtInput->setGeometry(0, 8, 393, 24);
    txtInput->KeyStyles = KeyStyleBit(TKeyStyle::ksEnter);
    btnFuseji = new TxCheckBox(QStringLiteral("伏字にせず入力"), pnlText);
    btnFuseji->setObjectName(QStringLiteral("btnFuseji"));
    btnFuseji->setGeometry(0, 44, 200, 22);
    btnFuseji->setToolTip(QStringLiteral("パスワードを伏字にせず入力します。|チェックを入れるとパスワードを伏字にしないで入力が行えます。"));
    connect(btnFuseji, &QCheckBox::toggled, this, [this] { applyMask(); });

    pnlCombo = new QWidget(pnlClient);
    pnlCombo->setObjectName(QStringLiteral("pnlCombo"));
    pnlCombo->setGeometry(17, 70, 393, 40);
    cmbInput = new TxComboBox(pnlCombo);
    cmbInput->setObjectName(QStringLiteral("cmbInput"));
    cmbInput->setGeometry(0, 8, 393, 24);
    cmbInput->setEditable(true);
    cmbInput->setMaxVisibleItems(16);
    cmbInput->KeyTerm = QStringLiteral(":");
    pnlCombo->hide();

    pnlKingaku = new QWidget(pnlClient);
    pnlKingaku->setObjectName(QStringLiteral("pnlKingaku"));
    pnlKingaku->setGeometry(17, 70, 393, 40);
    txtKingaku = new TDorvelEdit(pnlKingaku);
    txtKingaku->setObjectName(QStringLiteral("txtKingaku"));
    txtKingaku->setGeometry(0, 8, 180, 24);
    txtKingaku->EditStyle = TEditStyle::esNumericMinus;
    txtKingaku->OutputFormat = QStringLiteral("#,##0");
    txtKingaku->setComma(true);
    txtKingaku->setZero3Key(TZeroKey::zkDot);
    txtKingaku->setMaxLength(11);
    txtKingaku->setAlignment(Qt::AlignRight);
    txtKingaku->ImeMode = TImeMode::imDisable;
    lblYen = new QLabel(QStringLiteral("円"), pnlKingaku);
    lblYen->setGeometry(186, 10, 20, 20);
    pnlKingaku->hide();

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, 172, 427, 70);
    PanelHint = new QWidget(pnlBottom);
    PanelHint->setObjectName(QStringLiteral("PanelHint"));
    PanelHint->setGeometry(8, 4, 411, 28);
    HintArea = new QPlainTextEdit(PanelHint);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setGeometry(0, 0, 411, 28);
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    F1 = NewPlButton(pnlBottom, QStringLiteral("F1"), QStringLiteral("F1:ヘルプ"), QRect(8, 38, 90, 26));
    F1->hide();
    btnOK = NewPlButton(pnlBottom, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(245, 38, 84, 26));
    btnCancel = NewPlButton(pnlBottom, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(335, 38, 84, 26));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);
    connect(btnOK, &TxPlButton::clicked, this, &TInputDlgBox::btnOKClick);
    connect(btnCancel, &TxPlButton::clicked, this, [this] { done(2); });

    HintMemo = HintArea;
    EndButton = btnOK;
    MessageColor = palette().color(QPalette::WindowText);
    txtInput->installEventFilter(this);
    CreateDone = true;
}

TInputDlgBox::~TInputDlgBox()
{
    if (txtInput) txtInput->removeEventFilter(this);
}

void TInputDlgBox::SetKeyFilter(int filter)
{
    m_keyFilter = filter;
}

void TInputDlgBox::applyMask()
{
    txtInput->setEchoMode(InputMode == 1 && !btnFuseji->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void TInputDlgBox::Prepare(bool flag)
{
    m_flag = flag;
    setWindowTitle(Caption);
    lblMain->setText(Message);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, MessageColor);
    lblMain->setPalette(pal);
    const TImeMode ime = TImeMode(qBound(0, InputImeMode, 3));
    if (InputMode == 2) {
        pnlCombo->setGeometry(pnlText->geometry());
        pnlText->hide();
        pnlKingaku->hide();
        pnlCombo->show();
        cmbInput->clear();
        cmbInput->addItems(ComboItems);
        cmbInput->setEditText(Value);
        cmbInput->setToolTip(InputHint);
        if (MaxLength > 0 && cmbInput->lineEdit()) cmbInput->lineEdit()->setMaxLength(MaxLength);
    } else if (InputMode == 3) {
        pnlKingaku->move(pnlText->pos());
        pnlText->hide();
        pnlCombo->hide();
        pnlKingaku->show();
        txtKingaku->setText(Value);
        txtKingaku->setToolTip(InputHint);
        txtKingaku->setMaxLength(MaxLength > 0 ? MaxLength : 32767);
        txtKingaku->ImeMode = TImeMode::imDisable;
    } else {
        pnlCombo->hide();
        pnlKingaku->hide();
        pnlText->show();
        txtInput->setText(Value);
        txtInput->setToolTip(InputHint);
        txtInput->setMaxLength(MaxLength > 0 ? MaxLength : 32767);
        txtInput->ImeMode = ime;
        btnFuseji->hide();
        if (InputMode == 1) {
            RequireInput = true;
            btnFuseji->show();
        }
        applyMask();
    }
    SetKeyFilter(m_keyFilter);
    btnOK->setToolTip(QStringLiteral("内容を確定します。|内容を確定します。"));
    btnCancel->setToolTip(QStringLiteral("画面を閉じます。|画面を閉じます。"));
    FirstPositioning = false;
}

void TInputDlgBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (!CreateDone) return; // the base form reports and closes
    if (InputMode == 2) cmbInput->setFocus();
    else if (InputMode == 3) txtKingaku->setFocus();
    else txtInput->setFocus();
}

bool TInputDlgBox::eventFilter(QObject *watched, QEvent *e)
{
    if (txtInput && watched == txtInput && e->type() == QEvent::KeyPress && m_keyFilter != 0) {
        auto *k = static_cast<QKeyEvent *>(e);
        QChar c;
        if (k->key() == Qt::Key_Backspace) c = QChar(0x08);
        else if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) c = u'\r';
        else if (k->text().size() == 1 && k->text().at(0).unicode() >= 32) c = k->text().at(0);
        // Ctrl+V, Ctrl+X and the like are characters of their own to the filter.
        else if (k->text().size() == 1 && (k->modifiers() & Qt::ControlModifier)) c = k->text().at(0);
        if (!c.isNull() && !InputKeyFilterAccepts(m_keyFilter, c)) return true;
        return false;
    }
    return TBSDI::eventFilter(watched, e);
}

void TInputDlgBox::btnOKClick()
{
    setResult(0);
    if (InputMode == 2) {
        if (RequireInput && TrimZen(cmbInput->currentText()).isEmpty()) {
            MessageDlg(QStringLiteral("入力または選択してから[OK]ボタンを押して下さい。"), TMsgDlgType::mtInformation, mbOK);
            cmbInput->setFocus();
            return;
        }
        Value = cmbInput->currentText();
    } else if (InputMode == 3) {
        if (TrimZen(txtKingaku->text()).isEmpty()) txtKingaku->setText(QStringLiteral("0"));
        Value = txtKingaku->text();
    } else {
        if (RequireInput && TrimZen(txtInput->text()).isEmpty()) {
            MessageDlg(QStringLiteral("入力してから[OK]ボタンを押して下さい。"), TMsgDlgType::mtInformation, mbOK);
            txtInput->setFocus();
            return;
        }
        Value = txtInput->text();
    }
    done(1);
}
