#include "print/z5PrintDlg.h"

#include "core/SjisText.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "dbaccess/StyleColorStore.h"
#include "framework/FrameworkMessages.h"
#include "framework/WindowUtils.h"
#include "framework/xKeyControls.h"
#include "framework/xPlButton.h"
#include "print/Pager512_Class.h"
#include "print/Pager512_ColorSet.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {

constexpr int kWidth = 400;
constexpr int kDesignHeight = 200;
constexpr int kBottomHeight = 86;

// The value of a name in name=value lines (the first line of that name).
QString valueOf(const QStringList &lines, const QString &name)
{
    for (const QString &line : lines) {
        const int eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

} // namespace

TPrintDlgBox::TPrintDlgBox(QWidget *parent) : TBSDI(parent, TFormBorderStyle::bsDialog)
{
    setObjectName(QStringLiteral("PrintDlgBox"));
    setWindowTitle(QStringLiteral("科目情報の印刷"));
    setFixedSize(kWidth, kDesignHeight);

    lblMain = new QLabel(QStringLiteral("メッセージ"), this);
    lblMain->setObjectName(QStringLiteral("lblMain"));
    lblMain->setGeometry(16, 10, kWidth - 32, 36);
    lblMain->setWordWrap(true);
    lblMain->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblColor = new QLabel(QStringLiteral("色指定:"), this);
    lblColor->setObjectName(QStringLiteral("lblColor"));
    lblColor->setGeometry(16, 66, 80, 22);
    grpColor = new QGroupBox(this);
    grpColor->setObjectName(QStringLiteral("grpColor"));
    grpColor->setGeometry(100, 50, 284, 58);
    btnMono = new TxRadioButton(QStringLiteral("白黒印刷"), grpColor);
    btnMono->setObjectName(QStringLiteral("btnMono"));
    btnMono->setGeometry(10, 6, 150, 22);
    btnMono->setChecked(true);
    btnColor = new TxRadioButton(QStringLiteral("カラー印刷"), grpColor);
    btnColor->setObjectName(QStringLiteral("btnColor"));
    btnColor->setGeometry(10, 30, 150, 22);
    btnColorSelect = NewPlButton(grpColor, QStringLiteral("btnColorSelect"), QStringLiteral("色選択"), QRect(190, 16, 84, 26));

    lblStartPage = new QLabel(QStringLiteral("開始ﾍﾟｰｼﾞ:"), this);
    lblStartPage->setObjectName(QStringLiteral("lblStartPage"));
    lblStartPage->setGeometry(16, 120, 80, 22);
    txtStartPage = new TxEdit(this);
    txtStartPage->setObjectName(QStringLiteral("txtStartPage"));
    txtStartPage->setGeometry(100, 119, 60, 24);
    txtStartPage->setText(QStringLiteral("1"));
    txtStartPage->setAlignment(Qt::AlignRight);
    txtStartPage->setMaxLength(5);

    chkBoth = new TxCheckBox(QStringLiteral("両面印刷用に余白を調整する"), this);
    chkBoth->setObjectName(QStringLiteral("chkBoth"));
    chkBoth->setGeometry(16, 154, kWidth - 32, 22);

    m_bottom = new QWidget(this);
    m_bottom->setObjectName(QStringLiteral("pnlBottom"));
    PanelHint = new QWidget(m_bottom);
    PanelHint->setObjectName(QStringLiteral("PanelHint"));
    PanelHint->setGeometry(8, 4, kWidth - 16, 40);
    HintArea = new QPlainTextEdit(PanelHint);
    HintArea->setObjectName(QStringLiteral("HintArea"));
    HintArea->setGeometry(0, 0, kWidth - 16, 40);
    HintArea->setReadOnly(true);
    HintArea->setFocusPolicy(Qt::NoFocus);
    btnPreview = NewPlButton(m_bottom, QStringLiteral("btnPreview"), QStringLiteral("プレビュー"), QRect(8, 52, 96, 26));
    btnCopy = NewPlButton(m_bottom, QStringLiteral("btnCopy"), QStringLiteral("コピー"), QRect(110, 52, 84, 26));
    btnOK = NewPlButton(m_bottom, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(216, 52, 84, 26));
    btnCancel = NewPlButton(m_bottom, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(306, 52, 86, 26));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);
    m_bottom->setGeometry(0, kDesignHeight - kBottomHeight, kWidth, kBottomHeight);

    connect(btnOK, &TxPlButton::clicked, this, [this] { btnOKClick(1); });
    connect(btnPreview, &TxPlButton::clicked, this, [this] { btnOKClick(2); });
    connect(btnCopy, &TxPlButton::clicked, this, [this] { btnOKClick(3); });
    connect(btnCancel, &TxPlButton::clicked, this, &TPrintDlgBox::btnCancelClick);
    connect(btnColorSelect, &TxPlButton::clicked, this, &TPrintDlgBox::btnColorSelectClick);

    HintMemo = HintArea;
    EndButton = btnOK;
    MainTextColor = palette().color(QPalette::WindowText);
    StylePrefix = QStringLiteral("020-");
    CreateDone = true;
}

TPrintDlgBox::~TPrintDlgBox() = default;

void TPrintDlgBox::InitDefaultPrintRec(TDefaultPrintRec &rec)
{
    rec = TDefaultPrintRec();
    const TSysDefSettings &env = SystemDef.SysDef;
    rec.LineColor1 = env.PLineColor1;
    rec.LineColor2 = env.PLineColor2;
    rec.NetColor1 = env.NetColor1;
    rec.NetColor2 = env.NetColor2;
}

void TPrintDlgBox::Prepare(int flag)
{
    Prepared = flag;
    LoadHints();
    ArrangeControls();
    FirstPositioning = false;
}

void TPrintDlgBox::ArrangeControls()
{
    Result = 0;
    setWindowTitle(Caption);
    lblMain->setText(MainText);
    QPalette pal = lblMain->palette();
    pal.setColor(QPalette::WindowText, MainTextColor);
    lblMain->setPalette(pal);
    lblColor->setVisible(ShowColorGroup);
    grpColor->setVisible(ShowColorGroup);
    btnColorSelect->setVisible(ShowColorGroup);
    lblStartPage->setVisible(ShowStartPage);
    txtStartPage->setVisible(ShowStartPage);
    chkBoth->setVisible(ShowBothSides);
    btnPreview->setVisible(ShowPreview);
    btnCopy->setVisible(ShowCopy);
    if (FirstPositioning) {
        int h = height();
        if (ShowColorGroup)
            h = 250;
        if (ShowStartPage)
            h = 300;
        if (ShowBothSides)
            h = 300;
        setFixedSize(width(), h);
        m_bottom->move(0, h - kBottomHeight);
    }
    GetStyleColorRec();
    SaveRestoreSettings(QStringLiteral("Fukugen"));
}

void TPrintDlgBox::LoadHints()
{
    btnMono->setToolTip(QStringLiteral("白黒で印刷する場合に選択します。|白黒で印刷する場合に選択します。"));
    btnColor->setToolTip(QStringLiteral("色付きで印刷する場合に選択します。|色付きで印刷する場合に選択します。\r\n"
                                        "「色選択」ﾎﾞﾀﾝを押すと好みの色に変更できます。"));
    btnColorSelect->setToolTip(QStringLiteral("「色選択」画面を開きます。|「色選択」画面を開きます。\r\n"
                                              "「ｶﾗｰ印刷」を行う場合の色を指定します。"));
    txtStartPage->setToolTip(QStringLiteral("1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。|1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。"));
    chkBoth->setToolTip(QStringLiteral("偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。|偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。\r\n"
                                       "両面への印刷は「印刷」ﾎﾞﾀﾝ押下後に表示する「印刷」画面で「ﾌﾟﾛﾊﾟﾃｨ」ﾎﾞﾀﾝを押して設定します。"));
    btnPreview->setToolTip(QStringLiteral("帳票の印刷ｲﾒｰｼﾞを画面に表示します。|帳票の印刷ｲﾒｰｼﾞを画面に表示します。"));
    btnCopy->setToolTip(QStringLiteral("帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。|帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。\r\n"
                                       "ｺﾋﾟｰした情報はﾜｰﾌﾟﾛｿﾌﾄ、表計算ｿﾌﾄで貼り付けられます。"));
    btnOK->setToolTip(QStringLiteral("帳票を印刷します。|帳票を印刷します。"));
    btnCancel->setToolTip(QStringLiteral("印刷を取り止めます。|印刷を取り止めます。"));
}

void TPrintDlgBox::SaveRestoreSettings(const QString &mode)
{
    if (!PrintRec)
        return;
    TDefaultPrintRec &rec = *PrintRec;
    if (mode.compare(QLatin1String("HOZON"), Qt::CaseInsensitive) == 0) {
        // Only this dialog's own lines: nothing read earlier is written back.
        Settings.clear();
        if (ShowColorGroup && rec.ColorMode == 1)
            Settings << QStringLiteral("C010=1");
        if (ShowBothSides && rec.BothSides != 0)
            Settings << QStringLiteral("C020=1");
        rec.SSTR = Settings.join(QStringLiteral("\r\n"));
    } else if (mode.compare(QLatin1String("FUKUGEN"), Qt::CaseInsensitive) == 0) {
        Settings = rec.SSTR.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
        if (ShowColorGroup && valueOf(Settings, QStringLiteral("C010")) == QLatin1String("1")) {
            rec.ColorMode = 1;
            btnColor->setChecked(true);
        }
        if (ShowBothSides && valueOf(Settings, QStringLiteral("C020")) == QLatin1String("1")) {
            rec.BothSides = 1;
            chkBoth->setChecked(true);
        }
    }
}

QString TPrintDlgBox::MakeStyleName() const
{
    const QString key = PrintRec ? PrintRec->StyleName : QString();
    return TrimZen(SjisLeft((StylePrefix + key).toUpper(), 40));
}

bool TPrintDlgBox::storeInUse() const
{
    return StoredColors && PrintRec && !PrintRec->StyleName.isEmpty() && DM;
}

void TPrintDlgBox::GetStyleColorRec()
{
    if (!storeInUse())
        return;
    StyleName = MakeStyleName();
    try {
        stylecolorstore::TStyleColorRow row;
        if (stylecolorstore::read(SystemDef.OpCode, StyleName, row)) {
            TDefaultPrintRec &rec = *PrintRec;
            if (row.LineColor1 != -1)
                rec.LineColor1 = row.LineColor1;
            if (row.LineColor2 != -1)
                rec.LineColor2 = row.LineColor2;
            if (row.NetColor1 != -1)
                rec.NetColor1 = row.NetColor1;
            if (row.NetColor2 != -1)
                rec.NetColor2 = row.NetColor2;
            rec.SSTR = row.SSTR;
        }
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TPrintDlgBox.GetStyleColorRec"), QStringLiteral("ユーザー別帳票色情報の取得に失敗しました。"),
                    false);
    }
}

void TPrintDlgBox::SaveStyleColorRec()
{
    if (!storeInUse())
        return;
    StyleName = MakeStyleName();
    const TDefaultPrintRec &rec = *PrintRec;
    const TSysDefSettings &env = SystemDef.SysDef;
    // A colour equal to the environment's follows later changes of it.
    const auto own = [](TColor chosen, TColor environment) { return chosen == environment ? TColor(-1) : chosen; };
    stylecolorstore::TStyleColorRow row;
    row.LineColor1 = own(rec.LineColor1, env.PLineColor1);
    row.LineColor2 = own(rec.LineColor2, env.PLineColor2);
    row.NetColor1 = own(rec.NetColor1, env.NetColor1);
    row.NetColor2 = own(rec.NetColor2, env.NetColor2);
    row.SSTR = rec.SSTR;
    try {
        stylecolorstore::write(SystemDef.OpCode, StyleName, row);
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TPrintDlgBox.SaveStyleColorRec"), QStringLiteral("ユーザー別帳票色情報の更新に失敗しました。"),
                    false);
    }
}

void TPrintDlgBox::btnOKClick(int result)
{
    if (PrintRec) {
        TDefaultPrintRec &rec = *PrintRec;
        rec.ColorMode = btnColor->isChecked() ? 1 : 0;
        bool ok = false;
        const int page = txtStartPage->text().trimmed().toInt(&ok);
        rec.StartPage = ok && page != 0 ? page : 1;
        rec.BothSides = chkBoth->isChecked() ? 1 : 0;
    }
    SaveRestoreSettings(QStringLiteral("Hozon"));
    Result = result;
    done(1);
}

void TPrintDlgBox::btnCancelClick()
{
    done(2);
}

void TPrintDlgBox::btnColorSelectClick()
{
    if (!PrintRec)
        return;
    TDefaultPrintRec &rec = *PrintRec;
    TPrnColorSetBox box(this);
    box.Mode = StoredColors ? 1 : 0;
    box.SetLineColor1(rec.LineColor1);
    box.SetLineColor2(rec.LineColor2);
    box.SetNetColor1(rec.NetColor1);
    box.SetNetColor2(rec.NetColor2);
    box.SetFormPosition(0, 0, box.width(), box.height(), 2);
    box.Prepare(1);
    if (ModalRunner(box) == 1) {
        rec.LineColor1 = box.LineColor1;
        rec.LineColor2 = box.LineColor2;
        rec.NetColor1 = box.NetColor1;
        rec.NetColor2 = box.NetColor2;
        SaveStyleColorRec();
    }
}

void TPrintDlgBox::FormClose()
{
    TBSDI::FormClose();
    // Kept also after cancel.
    SaveStyleColorRec();
}

bool TPrintDlgBox::event(QEvent *e)
{
    const bool handled = TBSDI::event(e);
    if (e->type() == QEvent::WindowActivate && isVisible())
        btnOK->setFocus();
    return handled;
}

void SetMonoPrintColors(int colourFlag, TPager512 &pager)
{
    if (colourFlag != 0)
        return;
    pager.UserColor1 = 0;
    pager.UserColor2 = 0;
    pager.OcrGreen = pager.OcrBlue = pager.OcrBrown = pager.OcrPink = pager.OcrOrange = pager.OcrViolet =
        pager.OcrPurple = 0;
    pager.NetColor1 = RgbToGray(pager.NetColor1);
    pager.NetColor2 = RgbToGray(pager.NetColor2);
}
