#include "print/Pager512_Yohaku.h"

#include "framework/FrameworkFonts.h"
#include "print/Pager512_Edit.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

// ---- up-down ----

TUpDown::TUpDown(int min, int max, QWidget *parent)
    : QWidget(parent), m_min(min), m_max(max), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void TUpDown::setPosition(int value)
{
    m_position = qBound(m_min, value, m_max);
    if (m_edit)
        m_edit->setText(QString::number(m_position));
}

void TUpDown::setAssociate(QLineEdit *edit)
{
    m_edit = edit;
    setPosition(m_position);
}

void TUpDown::step(int delta)
{
    int current = m_position;
    if (m_edit) {
        bool ok = false;
        const int typed = m_edit->text().trimmed().toInt(&ok);
        current = ok ? typed : 0;
    }
    setPosition(current + delta);
}

// ---- margin dialog ----

namespace {

constexpr int MarginLimit = 100;
constexpr int RatioLimit = 50;

QLabel *label(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

} // namespace

Tfmyohaku::Tfmyohaku(QWidget *parent)
    : QDialog(parent),
      m_upDown1(new TUpDown(-MarginLimit, MarginLimit, this)),
      m_upDown2(new TUpDown(-MarginLimit, MarginLimit, this)),
      m_upDown3(new TUpDown(-RatioLimit, RatioLimit, this)),
      m_upDown4(new TUpDown(-RatioLimit, RatioLimit, this))
{
    setObjectName(QStringLiteral("fmyohaku"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(DesignFont());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_upDown1->setObjectName(QStringLiteral("UpDown1"));
    m_upDown2->setObjectName(QStringLiteral("UpDown2"));
    m_upDown3->setObjectName(QStringLiteral("UpDown3"));
    m_upDown4->setObjectName(QStringLiteral("UpDown4"));

    // The margins: -100 needs four characters.
    m_top = makeEdit("ED_TOP", m_upDown2, 4);
    m_left = makeEdit("ED_LEFT", m_upDown1, 4);
    m_vRatio = makeEdit("ED_VRATIO", m_upDown3, 3);
    m_hRatio = makeEdit("ED_HRATIO", m_upDown4, 3);

    auto *margins = new QGroupBox(QStringLiteral("余白設定"), this);
    margins->setObjectName(QStringLiteral("GroupBox1"));
    auto *marginGrid = new QGridLayout(margins);
    marginGrid->addWidget(label(QStringLiteral("逆方向はマイナス （max=100）"), margins), 0, 0, 1, 4);
    marginGrid->addWidget(label(QStringLiteral("上下"), margins), 1, 0);
    marginGrid->addWidget(m_top, 1, 1);
    marginGrid->addWidget(m_upDown2, 1, 2);
    marginGrid->addWidget(label(QStringLiteral("左右"), margins), 2, 0);
    marginGrid->addWidget(m_left, 2, 1);
    marginGrid->addWidget(m_upDown1, 2, 2);
    auto *sketch = new QPlainTextEdit(margins);
    sketch->setObjectName(QStringLiteral("Memo1"));
    sketch->setReadOnly(true);
    sketch->setFocusPolicy(Qt::NoFocus);
    sketch->setFrameShape(QFrame::NoFrame);
    sketch->viewport()->setAutoFillBackground(false);
    sketch->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sketch->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sketch->setPlainText(QStringLiteral("　　 －\n　　 ↑\n－ ←　→ ＋\n　　 ↓\n　　 ＋  (1/10)mm"));
    const QFontMetrics fm(sketch->font());
    sketch->setFixedSize(fm.horizontalAdvance(QStringLiteral("－ ←　→ ＋  (1/10)mm")) + 12,
                         fm.lineSpacing() * 5 + 12);
    marginGrid->addWidget(sketch, 1, 3, 2, 1);
    marginGrid->setColumnStretch(3, 1);

    auto *ratios = new QGroupBox(QStringLiteral("行間隔・文字間隔"), this);
    ratios->setObjectName(QStringLiteral("GroupBox3"));
    auto *ratioGrid = new QGridLayout(ratios);
    ratioGrid->addWidget(label(QStringLiteral("縦補正"), ratios), 0, 0);
    ratioGrid->addWidget(m_vRatio, 0, 1);
    ratioGrid->addWidget(m_upDown3, 0, 2);
    ratioGrid->addWidget(label(QStringLiteral("(1/10) ％"), ratios), 0, 3);
    ratioGrid->addWidget(label(QStringLiteral("横補正"), ratios), 1, 0);
    ratioGrid->addWidget(m_hRatio, 1, 1);
    ratioGrid->addWidget(m_upDown4, 1, 2);
    ratioGrid->addWidget(label(QStringLiteral("(max=50)"), ratios), 1, 3);
    ratioGrid->setColumnStretch(3, 1);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto *ok = new QPushButton(QStringLiteral("ＯＫ"), panel);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setAutoDefault(false);
    panelLayout->addStretch();
    panelLayout->addWidget(ok);
    panelLayout->addStretch();
    connect(ok, &QPushButton::clicked, this, [this] {
        Button1Click();
        done(QDialog::Accepted);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(margins);
    layout->addWidget(ratios);
    layout->addWidget(panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_top, m_left);
    setTabOrder(m_left, m_vRatio);
    setTabOrder(m_vRatio, m_hRatio);
    setTabOrder(m_hRatio, ok);
}

TEdit512 *Tfmyohaku::makeEdit(const char *name, TUpDown *upDown, int maxLength)
{
    auto *edit = new TEdit512(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setText(QStringLiteral("0"));
    edit->setAlignment512(Qt::AlignRight);
    edit->setKeyEdit3D(0);
    edit->setLong(0);
    edit->ImeMode = TImeMode::imDisable;
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    const QFontMetrics fm(edit->font());
    edit->setFixedWidth(fm.horizontalAdvance(QStringLiteral("-100")) + 12);
    edit->installEventFilter(this);
    upDown->setAssociate(edit);
    return edit;
}

int Tfmyohaku::limitOf(const TEdit512 *edit) const
{
    return (edit == m_top || edit == m_left) ? MarginLimit : RatioLimit;
}

bool Tfmyohaku::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<TEdit512 *>(watched);
    if (edit && event->type() == QEvent::FocusOut) {
        ED_TOPExit(edit);
    } else if (edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->key() == Qt::Key_Backspace ? QStringLiteral("\b") : key->text();
        // Only keys that type a character go through the filter; Enter, Tab, Esc
        // and the moving keys pass.
        if (typed == QStringLiteral("\b") || (!typed.isEmpty() && typed.at(0).unicode() > 31)) {
            const bool whole = edit->selectedText().size() == edit->text().size();
            if (FilterNumericKey(edit->text(), typed.at(0), whole).isNull())
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfmyohaku::ED_TOPExit(TEdit512 *edit)
{
    const int limit = limitOf(edit);
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok);
    if (!ok)
        value = 0;
    if (value > limit || value < -limit) {
        value = qBound(-limit, value, limit);
        edit->setText(QString::number(value));
    }
    if (edit == m_top)
        TopMargin = value;
    else if (edit == m_left)
        LeftMargin = value;
    else if (edit == m_vRatio)
        VRatio = value + 1000;
    else if (edit == m_hRatio)
        HRatio = value + 1000;
}

void Tfmyohaku::Button1Click()
{
    // A value typed and confirmed without leaving its edit is held to its range too.
    for (TEdit512 *edit : {m_top, m_left, m_vRatio, m_hRatio})
        ED_TOPExit(edit);
    TopMargin = m_top->Long();
    LeftMargin = m_left->Long();
    VRatio = m_vRatio->Long() + 1000;
    HRatio = m_hRatio->Long() + 1000;
}

void Tfmyohaku::SetTopMargin(int value)
{
    if (value == TopMargin)
        return;
    m_upDown2->setPosition(value);
    TopMargin = value;
}

void Tfmyohaku::SetLeftMargin(int value)
{
    if (value == LeftMargin)
        return;
    m_upDown1->setPosition(value);
    LeftMargin = value;
}

void Tfmyohaku::SetVRatio(int perMille)
{
    m_upDown3->setPosition(perMille >= 950 && perMille <= 1050 ? perMille - 1000 : 0);
    VRatio = perMille;
}

void Tfmyohaku::SetHRatio(int perMille)
{
    m_upDown4->setPosition(perMille >= 950 && perMille <= 1050 ? perMille - 1000 : 0);
    HRatio = perMille;
}
