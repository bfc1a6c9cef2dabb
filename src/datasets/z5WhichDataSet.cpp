#include "datasets/z5WhichDataSet.h"

#include "framework/FrameworkMessages.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>

TWhichDataSetBox::TWhichDataSetBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("WhichDataSetBox"));
    setWindowTitle(QStringLiteral("データの持ち出し／持ち帰り"));
    KeepOnClose = true; // the owner frees the dialog
    setFixedSize(492, 246);

    Label1 = new QLabel(QStringLiteral("データの処理方法:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 20, 130, 24);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(150, 8, 326, 90);
    btnMochidashi = new TxRadioButton(QStringLiteral("データを持ち出します"), GroupBox1);
    btnMochidashi->setObjectName(QStringLiteral("btnMochidashi"));
    btnMochidashi->setGeometry(16, 14, 290, 26);
    btnMochikaeri = new TxRadioButton(QStringLiteral("データを持ち帰りました"), GroupBox1);
    btnMochikaeri->setObjectName(QStringLiteral("btnMochikaeri"));
    btnMochikaeri->setGeometry(16, 50, 290, 26);

    HintArea = new QPlainTextEdit(this);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setGeometry(8, 110, 476, 84);
    HintMemo = HintArea;
    btnOK = NewPlButton(this, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(294, 204, 90, 32));
    btnOK->setModalResult(1);
    btnCancel = NewPlButton(this, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(392, 204, 90, 32));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);
    connect(btnOK, &TxPlButton::clicked, this, [this] { btnOKClick(); });
    EndButton = btnOK;
    btnMochidashi->setChecked(true);
    CreateDone = true;
}

TWhichDataSetBox::~TWhichDataSetBox() = default;

void TWhichDataSetBox::Prepare(int flag)
{
    m_flag = flag;
    btnMochidashi->setToolTip(QStringLiteral(
        "データの処理方法を選択します。|データを持ち出すため、「データ選択（サーバ）」画面で選択した場所にあるデータをコンピュータ内のデータエリアへコピーします。"));
    btnMochikaeri->setToolTip(QStringLiteral(
        "データの処理方法を選択します。|データを持ち帰ったため、「データ選択（サーバ）」画面で選択した場所へコンピュータ内のデータエリアよりコピーします。"));
    btnOK->setToolTip(QStringLiteral("内容を登録して画面を閉じます。|内容を登録して画面を閉じます。"));
    btnCancel->setToolTip(QStringLiteral("画面を閉じます。|画面を閉じます。"));
    btnMochidashi->setEnabled(true);
    btnMochikaeri->setEnabled(true);
    if (TakeOutRefused == 1) btnMochidashi->setEnabled(false);
    if (TakeOutRefused != 0 || Result) btnMochikaeri->setChecked(true);
    else btnMochidashi->setChecked(true);
    FirstPositioning = false;
}

void TWhichDataSetBox::btnOKClick()
{
    Result = false;
    if (btnMochidashi->isEnabled() && btnMochidashi->isChecked()) {
        done(1);
        return;
    }
    if (btnMochikaeri->isEnabled() && btnMochikaeri->isChecked()) Result = true;
    done(1);
}

void TWhichDataSetBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    if (btnMochidashi->isChecked() && btnMochidashi->isEnabled()) btnMochidashi->setFocus(Qt::OtherFocusReason);
    else btnMochikaeri->setFocus(Qt::OtherFocusReason);
}

bool TWhichDataSetBox::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // The function keys have no meaning here.
    if ((key >= Qt::Key_F1 && key <= Qt::Key_F8) || key == Qt::Key_F12) return true;
    return TBSDI::FormKeyUp(key, modifiers);
}

int AskTakeOutOrBringBack(QWidget *parent, bool takenOut)
{
    TWhichDataSetBox box(parent);
    box.Result = false;
    box.TakeOutRefused = takenOut ? 1 : 0;
    box.Prepare(1);
    if (ModalRunner(box) != 1) return 0;
    return box.Result ? 2 : 1;
}
