#include "datasets/z5DataSentakuPrintDlg.h"

#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"

#include <QGroupBox>
#include <QLabel>

namespace {

constexpr int kClientHeight = 219;
const QString kOrientationKey = QStringLiteral("P010");

} // namespace

TDataSentakuPrintDlg::TDataSentakuPrintDlg(QWidget *parent) : TPrintDlgBox(parent)
{
    setObjectName(QStringLiteral("DataSentakuPrintDlg"));
    setFixedSize(width(), kClientHeight);

    Label2 = new QLabel(QStringLiteral("用紙向き:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 70, 80, 22);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(100, 56, 284, 50);
    btnYousiTate = new TxRadioButton(QStringLiteral("縦"), GroupBox1);
    btnYousiTate->setObjectName(QStringLiteral("btnYousiTate"));
    btnYousiTate->setGeometry(16, 14, 100, 22);
    btnYousiTate->setChecked(true);
    btnYousiYoko = new TxRadioButton(QStringLiteral("横"), GroupBox1);
    btnYousiYoko->setObjectName(QStringLiteral("btnYousiYoko"));
    btnYousiYoko->setGeometry(140, 14, 100, 22);

    // The engine's choices that the data list does not offer lie below the
    // orientation and stay hidden.
    lblColor->move(lblColor->x(), 120);
    grpColor->move(grpColor->x(), 120);
    lblStartPage->move(lblStartPage->x(), 180);
    txtStartPage->move(txtStartPage->x(), 180);
    chkBoth->move(chkBoth->x(), 210);
}

TDataSentakuPrintDlg::~TDataSentakuPrintDlg() = default;

void TDataSentakuPrintDlg::Prepare(int flag)
{
    ShowColorGroup = false;
    ShowStartPage = false;
    ShowBothSides = false;
    TPrintDlgBox::Prepare(flag);
}

void TDataSentakuPrintDlg::ArrangeControls()
{
    // The operator's saved settings of the report are read (and written back on closing).
    StoredColors = true;
    TPrintDlgBox::ArrangeControls();
    Orientation = 0;
    btnYousiTate->setChecked(true);
    for (const QString &line : Settings) {
        const int eq = int(line.indexOf(u'='));
        if (eq <= 0 || line.left(eq).trimmed().compare(kOrientationKey, Qt::CaseInsensitive) != 0) continue;
        bool ok = false;
        if (line.mid(eq + 1).trimmed().toInt(&ok) == 1 && ok) {
            btnYousiYoko->setChecked(true);
            Orientation = 1;
        }
        break;
    }
}

void TDataSentakuPrintDlg::LoadHints()
{
    TPrintDlgBox::LoadHints();
    const QString orientation = QStringLiteral(
        "印刷帳票の用紙の向きを選択します。|印刷帳票の用紙の向きを選択します。\r\n"
        "[横]を選択したときに限り、帳票上にコード情報を出力します。");
    btnYousiTate->setToolTip(orientation);
    btnYousiYoko->setToolTip(orientation);
    const QString preview = QStringLiteral("|[ﾌﾟﾚﾋﾞｭｰ]ﾎﾞﾀﾝを押すと画面上に印刷ｲﾒｰｼﾞを出力します。");
    btnPreview->setToolTip(preview);
    btnOK->setToolTip(preview);
    btnCancel->setToolTip(preview);
}

void TDataSentakuPrintDlg::SaveRestoreSettings(const QString &mode)
{
    TPrintDlgBox::SaveRestoreSettings(mode);
    if (!PrintRec || mode.compare(QLatin1String("HOZON"), Qt::CaseInsensitive) != 0) return;
    // The engine has rebuilt the list from its own choices alone, so the one
    // orientation line added here replaces any saved before (a second, older
    // line would win when read back and fix the orientation for good).
    Settings << QStringLiteral("%1=%2").arg(kOrientationKey).arg(Orientation);
    PrintRec->SSTR = Settings.join(QStringLiteral("\r\n"));
}

void TDataSentakuPrintDlg::btnOKClick(int result)
{
    // Taken before the engine's handler stores the settings and closes the dialog.
    Orientation = btnYousiYoko->isChecked() ? 1 : 0;
    TPrintDlgBox::btnOKClick(result);
}
