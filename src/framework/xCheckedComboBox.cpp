#include "framework/xCheckedComboBox.h"

#include "framework/xKeyControls.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QStringList elements(const QString &joined)
{
    return joined.isEmpty() ? QStringList() : joined.split(QLatin1Char(','));
}

} // namespace

TxCheckedComboBox::TxCheckedComboBox(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    resize(120, 20);
    DropDownWidth = width();

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("TextPanel"));
    m_text->setFrameShape(QFrame::Box);
    m_text->setAutoFillBackground(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->installEventFilter(this);

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("DropDownButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setAutoRaise(true);
    m_button->installEventFilter(this);
    connect(m_button, &QToolButton::clicked, this, &TxCheckedComboBox::ButtonClick);

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("DropDown"));
    m_popup->setFrameShape(QFrame::Box);
    m_popup->installEventFilter(this);
    auto *lay = new QVBoxLayout(m_popup);
    lay->setContentsMargins(1, 1, 1, 1);
    m_list = new QListWidget(m_popup);
    m_list->setObjectName(QStringLiteral("CheckList"));
    m_list->installEventFilter(this);
    lay->addWidget(m_list);
    connect(m_list, &QListWidget::itemChanged, this, &TxCheckedComboBox::listItemChanged);

    m_menu = new QMenu(m_list);
    m_selectAll = m_menu->addAction(CapSelectAll, this, &TxCheckedComboBox::SelectAll);
    m_deselectAll = m_menu->addAction(CapDeSelectAll, this, &TxCheckedComboBox::DeSelectAll);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_menu->popup(m_list->viewport()->mapToGlobal(pos)); });

    updateDisplay();
    updateLook();
}

TxCheckedComboBox::~TxCheckedComboBox() = default;

void TxCheckedComboBox::SetItems(const QStringList &items)
{
    m_items = items;
    if (m_sorted)
        m_items.sort();
    refillList();
}

void TxCheckedComboBox::SetSorted(bool on)
{
    m_sorted = on;
    if (on)
        SetItems(m_items);
}

void TxCheckedComboBox::SetDropDownLines(int lines)
{
    if (lines >= 1 && lines <= 20)
        m_dropDownLines = lines;
}

void TxCheckedComboBox::SetEmptyValue(const QString &text)
{
    m_emptyValue = text;
    updateDisplay();
    if (isVisible() && !hasFocus())
        update();
}

void TxCheckedComboBox::SetMultiSelect(bool on)
{
    m_multiSelect = on;
    m_selectAll->setEnabled(on);
}

bool TxCheckedComboBox::IsChecked(int index) const
{
    const QListWidgetItem *item = m_list->item(index);
    return item && item->checkState() == Qt::Checked;
}

QString TxCheckedComboBox::DisplayText() const
{
    if (DispStyle == TCHBDispStyle::dsKensu) {
        if (m_checkedCount == 0)
            return m_emptyValue;
        if (m_checkedCount == 1)
            return m_checkedText;
        QString f = KensuValueFormat;
        return f.replace(QLatin1String("%d"), QString::number(m_checkedCount));
    }
    if (m_checkedText.isEmpty())
        return m_emptyValue;
    if (!SortDisplay)
        return m_checkedText;
    QStringList ordered;
    for (int i = 0; i < m_list->count(); ++i)
        if (IsChecked(i))
            ordered << m_list->item(i)->text();
    return ordered.join(QLatin1Char(','));
}

void TxCheckedComboBox::refillList()
{
    m_updating = true;
    m_list->clear();
    for (const QString &s : std::as_const(m_items)) {
        auto *item = new QListWidgetItem(s, m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    m_updating = false;
    m_checkedText.clear();
    m_checkedCount = 0;
    updateDisplay();
}

void TxCheckedComboBox::SetChecked(int index, bool checked)
{
    QListWidgetItem *item = m_list->item(index);
    if (!item)
        return;
    // Setting the state runs the same path as the operator's click.
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TxCheckedComboBox::listItemChanged(QListWidgetItem *item)
{
    if (m_updating)
        return;
    const QString text = item->text();
    QStringList checked = elements(m_checkedText);
    if (item->checkState() == Qt::Checked) {
        if (!m_multiSelect) {
            m_updating = true;
            for (int i = 0; i < m_list->count(); ++i) {
                QListWidgetItem *other = m_list->item(i);
                if (other != item && other->checkState() == Qt::Checked) {
                    other->setCheckState(Qt::Unchecked);
                    checked.removeOne(other->text());
                }
            }
            m_updating = false;
            m_checkedCount = 0;
        }
        if (!checked.contains(text)) {
            checked << text;
            ++m_checkedCount;
        }
    } else if (checked.removeOne(text)) {
        --m_checkedCount;
    }
    m_checkedText = checked.join(QLatin1Char(','));
    updateDisplay();
    Q_EMIT Change();
    Q_EMIT ClickCheck();
}

void TxCheckedComboBox::SelectAll()
{
    if (!m_multiSelect)
        return;
    m_updating = true;
    QStringList all;
    for (int i = 0; i < m_list->count(); ++i) {
        m_list->item(i)->setCheckState(Qt::Checked);
        all << m_list->item(i)->text();
    }
    m_updating = false;
    m_checkedText = all.join(QLatin1Char(','));
    m_checkedCount = m_list->count();
    updateDisplay();
    update();
    Q_EMIT Change();
}

void TxCheckedComboBox::DeSelectAll()
{
    m_updating = true;
    m_checkedCount = 0;
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(Qt::Unchecked);
    m_updating = false;
    m_checkedText.clear();
    updateDisplay();
    Q_EMIT Change();
}

int TxCheckedComboBox::VisibleLines() const
{
    const int n = m_list->count();
    int lines = Columns < 2 ? qMin(m_dropDownLines, n) : n / Columns + 1;
    return qBound(1, lines, 20);
}

void TxCheckedComboBox::ButtonClick()
{
    setButtonImage(QStringLiteral("DROPDOWN_PRESS"));
    setFocus(Qt::OtherFocusReason);
    if (m_list->count() > 0) {
        if (m_closedOnButton) {
            // The press that closed the open list lands here: it only closes.
            m_closedOnButton = false;
        } else {
            Q_EMIT Clicked();
            const int lines = VisibleLines();
            m_popup->setFont(font());
            if (Columns >= 2) {
                m_list->setFlow(QListView::TopToBottom);
                m_list->setWrapping(true);
            } else {
                m_list->setFlow(QListView::TopToBottom);
                m_list->setWrapping(false);
            }
            const int itemHeight = qMax(m_list->sizeHintForRow(0), QFontMetrics(font()).height());
            const int w = qMax(width(), DropDownWidth);
            const int h = itemHeight * lines + 4;
            QPoint pos = mapToGlobal(QPoint(0, height()));
            const QScreen *scr = screen();
            const int screenHeight = scr ? scr->geometry().height() : 0;
            if (screenHeight > 0 && pos.y() + h > screenHeight - 20)
                pos = mapToGlobal(QPoint(0, -h));
            m_selectAll->setText(CapSelectAll);
            m_deselectAll->setText(CapDeSelectAll);
            m_popup->setGeometry(pos.x(), pos.y(), w, h);
            m_popup->show();
            m_list->setFocus(Qt::PopupFocusReason);
            update();
        }
    }
    Q_EMIT ButtonClicked();
}

bool TxCheckedComboBox::IsDroppedDown() const
{
    return m_popup->isVisible();
}

void TxCheckedComboBox::CloseUp()
{
    setButtonImage(QStringLiteral("DROPDOWN_NORMAL"));
    m_closedOnButton = m_button->rect().contains(m_button->mapFromGlobal(QCursor::pos()))
                       && QApplication::mouseButtons() != Qt::NoButton;
    if (m_popup->isVisible()) {
        m_updating = true; // the hide handler must not close up a second time
        m_popup->hide();
        m_updating = false;
    }
    setFocus(Qt::PopupFocusReason);
    Q_EMIT CloseUpped();
}

QString TxCheckedComboBox::ButtonImage() const
{
    return isEnabled() ? m_buttonImage : QStringLiteral("DROPDOWN_GRAY");
}

void TxCheckedComboBox::setButtonImage(const QString &name)
{
    m_buttonImage = name;
}

void TxCheckedComboBox::updateDisplay()
{
    m_text->setText(DisplayText());
}

void TxCheckedComboBox::updateLook()
{
    QPalette pal = m_text->palette();
    if (!isEnabled()) {
        pal.setColor(QPalette::Window, palette().color(QPalette::Window));
        pal.setColor(QPalette::WindowText, palette().color(QPalette::Disabled, QPalette::Text));
    } else if (hasFocus()) {
        pal.setColor(QPalette::Window, palette().color(QPalette::Highlight));
        pal.setColor(QPalette::WindowText, Qt::white);
    } else {
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, palette().color(QPalette::WindowText));
    }
    m_text->setPalette(pal);
}

void TxCheckedComboBox::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_F4) {
        ButtonClick();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        MoveFocusFrom(this, true);
        return;
    }
    QFrame::keyPressEvent(e);
}

bool TxCheckedComboBox::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_list && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        const bool plain = k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier;
        if (k->key() == Qt::Key_Escape) {
            CloseUp();
            return true;
        }
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && plain) {
            CloseUp();
            MoveFocusFrom(this, true);
            return true;
        }
        if (k->key() == Qt::Key_Backtab) {
            CloseUp();
            MoveFocusFrom(this, false);
            return true;
        }
    } else if (watched == m_popup && e->type() == QEvent::Hide && !m_updating) {
        CloseUp();
    } else if (watched == m_text && e->type() == QEvent::MouseButtonRelease) {
        setFocus(Qt::MouseFocusReason);
        Q_EMIT PanelClick();
    } else if (watched == m_button && !m_popup->isVisible()) {
        if (e->type() == QEvent::Enter)
            setButtonImage(QStringLiteral("DROPDOWN_HOT"));
        else if (e->type() == QEvent::Leave)
            setButtonImage(QStringLiteral("DROPDOWN_NORMAL"));
    }
    return QFrame::eventFilter(watched, e);
}

void TxCheckedComboBox::focusInEvent(QFocusEvent *e)
{
    QFrame::focusInEvent(e);
    updateLook();
}

void TxCheckedComboBox::focusOutEvent(QFocusEvent *e)
{
    QFrame::focusOutEvent(e);
    updateLook();
}

void TxCheckedComboBox::changeEvent(QEvent *e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        m_button->setEnabled(isEnabled());
        updateLook();
    } else if (e->type() == QEvent::FontChange) {
        setFixedHeight(QFontMetrics(font()).height() + 6);
    }
}

void TxCheckedComboBox::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const int h = height();
    const int b = qMax(1, h - 2);
    m_button->setGeometry(width() - b, 1, b, b);
    m_text->setGeometry(0, 0, qMax(0, width() - h - 3), h);
}
