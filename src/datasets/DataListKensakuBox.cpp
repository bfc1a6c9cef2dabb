#include "datasets/DataListKensakuBox.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "framework/FrameworkMessages.h"
#include "framework/xCheckedComboBox.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>

namespace {

QLabel *label(QWidget *parent, const QString &text, const QRect &geo)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geo);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QComboBox *combo(QWidget *parent, const char *name, const QRect &geo)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setMaxVisibleItems(10);
    c->setGeometry(geo);
    return c;
}

} // namespace

TDataListKensakuBox::TDataListKensakuBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("DataListKensakuBox"));
    setWindowTitle(QStringLiteral("検索条件の設定"));
    KeepOnClose = true; // the caller owns the dialog
    setFixedSize(460, 330);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 8, 444, 190);
    label(GroupBox2, QStringLiteral("コード:"), QRect(8, 14, 120, 26));
    txtCode = new TxEdit(GroupBox2);
    txtCode->setObjectName(QStringLiteral("txtCode"));
    txtCode->setMaxBytes(8);
    txtCode->ImeMode = TImeMode::imClose;
    txtCode->setGeometry(136, 14, 120, 26);
    label(GroupBox2, QStringLiteral("データ区分:"), QRect(8, 48, 120, 26));
    cmbDataKbn = combo(GroupBox2, "cmbDataKbn", QRect(136, 48, 200, 26));
    label(GroupBox2, QStringLiteral("データリスト名:"), QRect(8, 82, 120, 26));
    txtListName = new TxEdit(GroupBox2);
    txtListName->setObjectName(QStringLiteral("txtListName"));
    txtListName->setMaxBytes(40);
    txtListName->ImeMode = TImeMode::imOpen;
    txtListName->setGeometry(136, 82, 296, 26);
    label(GroupBox2, QStringLiteral("担当者:"), QRect(8, 116, 120, 26));
    cmbTanto = combo(GroupBox2, "cmbTanto", QRect(136, 116, 296, 26));
    // A multi-select operator chooser that the dialog carries hidden; it is
    // neither shown nor read.
    cmbTanto2 = new TxCheckedComboBox(GroupBox2);
    cmbTanto2->setObjectName(QStringLiteral("cmbTanto2"));
    cmbTanto2->setGeometry(136, 116, 296, 20);
    cmbTanto2->hide();
    label(GroupBox2, QStringLiteral("データバージョン:"), QRect(8, 150, 120, 26));
    cmbDataVer = combo(GroupBox2, "cmbDataVer", QRect(136, 150, 296, 26));

    cboxYukou = new QCheckBox(QStringLiteral("この検索条件を毎回有効にする"), this);
    cboxYukou->setObjectName(QStringLiteral("cboxYukou"));
    cboxYukou->setGeometry(16, 204, 300, 24);
    HintArea = new QPlainTextEdit(this);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    HintArea->setGeometry(8, 234, 444, 48);
    HintMemo = HintArea;
    btnOK = new TxPlButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->CaptionA().setCaption(QStringLiteral("OK"));
    btnOK->setGeometry(264, 290, 90, 32);
    btnOK->setModalResult(1);
    btnCancel = new TxPlButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->CaptionA().setCaption(QStringLiteral("キャンセル"));
    btnCancel->setGeometry(362, 290, 90, 32);
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);
    connect(btnOK, &TxPlButton::clicked, this, [this] { btnOKClick(); });
    EndButton = btnOK;

    for (int i = 0; i < DataKbnChoiceCount; ++i) cmbDataKbn->addItem(DataKbnChoiceText(i));
    m_tr = std::make_unique<FbTransaction>(DM ? &DM->IBDatabaseDEF : nullptr,
                                           QStringList{QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                                       QStringLiteral("nowait")});
    Operators.SetTransaction(m_tr.get(), 0);
    Operators.GroupId = SystemDef.GroupNo;
    Operators.FirstEntryText = QStringLiteral("選択なし");
    Operators.Execute();
    cmbTanto->addItems(Operators.Lines);
    Versions.FirstEntryText = QStringLiteral("選択なし");
    Versions.Execute(1);
    for (int i = 0; i < int(Versions.Items.size()); ++i) cmbDataVer->addItem(Versions.GetTypeName(i));
    CreateDone = true;
}

void TDataListKensakuBox::SetMode(int mode)
{
    Mode = mode;
    ShowConditions();
    FirstPositioning = false;
}

void TDataListKensakuBox::ShowConditions()
{
    cmbDataKbn->setCurrentIndex(GetDataKbnIndex(Cond));
    txtCode->setText(Cond.DataCode);
    txtListName->setText(Cond.DataName);
    cmbTanto->setCurrentIndex(qMax(0, Operators.IndexOf(Cond.Tanto)));
    cmbDataVer->setCurrentIndex(qMax(0, Versions.IndexOf(Cond.SeihinName)));
    cboxYukou->setChecked(Cond.JyokenUse != 0);
}

void TDataListKensakuBox::btnOKClick()
{
    SetDataKbn(cmbDataKbn->currentIndex(), Cond);
    Cond.DataCode = txtCode->text();
    Cond.DataName = txtListName->text();
    const int t = cmbTanto->currentIndex();
    Cond.Tanto = Operators.GetOpCode(t);
    const int v = cmbDataVer->currentIndex();
    Cond.DataVer = Versions.VersionText(v);
    Cond.DataVer2.clear();
    Cond.VerCompMode = 0;
    Cond.SeihinName = Versions.GetTypeName(v);
    Cond.JyokenUse = cboxYukou->isChecked() ? 1 : 0;
    setResult(1);
}

void TDataListKensakuBox::showEvent(QShowEvent *e)
{
    TBSDI::showEvent(e);
    if (e->spontaneous()) return;
    if (!CreateDone) {
        MessageDlg(InitFailedText(windowTitle()), TMsgDlgType::mtError, mbOK);
        QMetaObject::invokeMethod(this, [this] { done(2); }, Qt::QueuedConnection);
        return;
    }
    txtCode->setFocus(Qt::OtherFocusReason);
}

bool EditDataListKensaku(QWidget *parent, TDataKensakuRec &rec)
{
    TDataListKensakuBox box(parent);
    box.Cond = rec;
    box.SetMode(0);
    if (ModalRunner(box) != 1) return false;
    rec = box.Cond;
    return true;
}
