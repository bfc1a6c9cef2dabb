#include "print/Pager512_ColorSet.h"

#include "core/Messages.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "framework/xPlButton.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QString CustomColorStyle = QStringLiteral("Pallet_CustomColor");

QColor toQColor(TColor c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TColor toTColor(const QColor &c)
{
    return TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace

std::function<bool(QColor &, QWidget *)> TPrnColorSetBox::PickColorHook = [](QColor &color, QWidget *parent) {
    const QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
};

TPrnColorSetBox::TPrnColorSetBox(QWidget *parent) : TBSDI(parent)
{
    setObjectName(QStringLiteral("PrnColorSetBox"));
    setWindowTitle(QStringLiteral("帳票色の選択"));
    setFixedSize(300, 220);

    const std::array<const char *, 4> captions = {"枠線:", "縦横線:", "見出し行:", "合計行:"};
    const std::array<const char *, 4> panels = {"pnlLineColor1", "pnlLineColor2", "pnlNetColor1", "pnlNetColor2"};
    const std::array<const char *, 4> buttons = {"btnLineColor1", "btnLineColor2", "btnNetColor1", "btnNetColor2"};
    for (int i = 0; i < 4; ++i) {
        const int y = 16 + i * 34;
        auto *label = new QLabel(QString::fromUtf8(captions[size_t(i)]), this);
        label->setGeometry(16, y + 4, 80, 20);
        auto *panel = new QLabel(this);
        panel->setObjectName(QString::fromLatin1(panels[size_t(i)]));
        panel->setGeometry(100, y, 90, 26);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAutoFillBackground(true);
        m_panels[size_t(i)] = panel;
        TxPlButton *change = NewPlButton(this, QString::fromLatin1(buttons[size_t(i)]), QStringLiteral("変更"),
                                        QRect(200, y, 76, 26));
        change->setProperty("tag", i);
        connect(change, &TxPlButton::clicked, this, [this, i] { btnLineColor1Click(i); });
    }

    lblKankyoColor = new QLabel(QStringLiteral("環境設定の色に戻す"), this);
    lblKankyoColor->setObjectName(QStringLiteral("lblKankyoColor"));
    lblKankyoColor->setGeometry(16, 150, 200, 20);
    lblKankyoColor->setCursor(Qt::PointingHandCursor);
    lblKankyoColor->installEventFilter(this);

    btnOK = NewPlButton(this, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(110, 182, 84, 26));
    btnCancel = NewPlButton(this, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(200, 182, 84, 26));
    btnCancel->setModalResult(2);
    btnCancel->setCancel(true);
    connect(btnOK, &TxPlButton::clicked, this, &TPrnColorSetBox::btnOKClick);
    connect(btnCancel, &TxPlButton::clicked, this, [this] { done(2); });

    EndButton = btnOK;
    const TSysDefSettings &env = SystemDef.SysDef;
    LineColor1 = env.PLineColor1;
    LineColor2 = env.PLineColor2;
    NetColor1 = env.NetColor1;
    NetColor2 = env.NetColor2;
    CreateDone = true;
}

void TPrnColorSetBox::paintPanel(int index, TColor c)
{
    m_panelColors[size_t(index)] = c;
    QLabel *panel = m_panels[size_t(index)];
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, toQColor(c));
    panel->setPalette(p);
}

void TPrnColorSetBox::SetLineColor1(TColor c) { LineColor1 = c; paintPanel(0, c); }
void TPrnColorSetBox::SetLineColor2(TColor c) { LineColor2 = c; paintPanel(1, c); }
void TPrnColorSetBox::SetNetColor1(TColor c) { NetColor1 = c; paintPanel(2, c); }
void TPrnColorSetBox::SetNetColor2(TColor c) { NetColor2 = c; paintPanel(3, c); }

void TPrnColorSetBox::Prepare(int flag)
{
    m_prepared = flag;
    ShowColors();
    FirstPositioning = false;
}

void TPrnColorSetBox::ShowColors()
{
    paintPanel(0, LineColor1);
    paintPanel(1, LineColor2);
    paintPanel(2, NetColor1);
    paintPanel(3, NetColor2);
    lblKankyoColor->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    lblKankyoColor->setVisible(Mode == 1);

    QString text = DM ? DM->GetStyleColor(SystemDef.OpCode, CustomColorStyle) : QString();
    if (text.isEmpty()) {
        for (char letter = 'A'; letter <= 'P'; ++letter)
            text += QStringLiteral("Color%1=FFFFFF\r").arg(QLatin1Char(letter));
    }
    LoadCustomColors(text);
}

QString TPrnColorSetBox::CustomColorsText()
{
    QString text;
    for (int i = 0; i < 16; ++i)
        text += QStringLiteral("Color%1=%2\r")
                    .arg(QLatin1Char(char('A' + i)))
                    .arg(QStringLiteral("%1").arg(uint(toTColor(QColorDialog::customColor(i))), 6, 16, QLatin1Char('0')).toUpper());
    return text;
}

void TPrnColorSetBox::LoadCustomColors(const QString &text)
{
    // Every slot not named in the text is cleared to white.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const int eq = line.indexOf(u'=');
        const QString name = line.left(eq).trimmed();
        if (eq < 0 || name.size() != 6 || !name.startsWith(QStringLiteral("Color"), Qt::CaseInsensitive))
            continue;
        const int slot = name.at(5).toUpper().unicode() - u'A';
        bool ok = false;
        const uint value = line.mid(eq + 1).trimmed().toUInt(&ok, 16);
        if (ok && slot >= 0 && slot < 16)
            QColorDialog::setCustomColor(slot, toQColor(TColor(value & 0xFFFFFF)));
    }
}

void TPrnColorSetBox::btnLineColor1Click(int tag)
{
    if (tag < 0 || tag > 3)
        return;
    QColor color = toQColor(m_panelColors[size_t(tag)]);
    if (PickColorHook && PickColorHook(color, this))
        paintPanel(tag, toTColor(color));
}

void TPrnColorSetBox::lblKankyoColorClick()
{
    if (MessageDlg(QStringLiteral("帳票の色を環境設定の色に戻します。\r\nよろしいですか？"), TMsgDlgType::mtConfirmation,
                   mbYes | mbNo) != mrYes)
        return;
    lblKankyoColor->setStyleSheet(QStringLiteral("color: purple; text-decoration: underline;"));
    const TSysDefSettings &env = SystemDef.SysDef;
    LineColor1 = env.PLineColor1;
    LineColor2 = env.PLineColor2;
    NetColor1 = env.NetColor1;
    NetColor2 = env.NetColor2;
    paintPanel(0, LineColor1);
    paintPanel(1, LineColor2);
    paintPanel(2, NetColor1);
    paintPanel(3, NetColor2);
}

void TPrnColorSetBox::btnOKClick()
{
    LineColor1 = m_panelColors[0];
    LineColor2 = m_panelColors[1];
    NetColor1 = m_panelColors[2];
    NetColor2 = m_panelColors[3];
    if (Mode == 0) {
        TSysDefSettings &env = SystemDef.SysDef;
        env.PLineColor1 = LineColor1;
        env.PLineColor2 = LineColor2;
        env.NetColor1 = NetColor1;
        env.NetColor2 = NetColor2;
        if (DM)
            DM->fnPutSysDef();
    }
    done(1);
}

void TPrnColorSetBox::FormClose()
{
    TBSDI::FormClose();
    // Kept also after cancel.
    if (DM)
        DM->PutStyleColor(SystemDef.OpCode, CustomColorStyle, CustomColorsText());
}

bool TPrnColorSetBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblKankyoColor && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        lblKankyoColorClick();
        return true;
    }
    return TBSDI::eventFilter(watched, event);
}
