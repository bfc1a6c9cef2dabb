#include "GridIncSearch.h"

#include <QFont>
#include <QLineEdit>
#include <QPalette>
#include <QTableWidget>
#include <QTimer>

namespace {
const int kShownMax = 8;
}

QChar IncSearchKeyChar(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return QChar();
    // Digits, capital letters and the punctuation of the keyboard (the number
    // pad's digits and operators arrive with the same codes); the key codes of
    // these are their characters.
    if (key >= 0x21 && key <= 0x60) return QChar(key);
    return QChar();
}

TGridIncSearch::TGridIncSearch(QTableWidget *grid, QWidget *boxParent, int codeColumn, int currentColumn, QObject *owner)
    : QObject(owner), m_grid(grid), m_codeColumn(codeColumn), m_currentColumn(currentColumn)
{
    Box = new QLineEdit(boxParent);
    Box->setObjectName(QStringLiteral("txtIncSerch"));
    Box->setReadOnly(true);
    Box->setMaxLength(kShownMax);
    Box->setFocusPolicy(Qt::NoFocus);
    Box->setFrame(false);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setBold(true);
    Box->setFont(f);
    QPalette pal = Box->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::Text, Qt::white);
    Box->setPalette(pal);
    Box->setFixedSize(110, 22);
    Box->hide();
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("IncSerchTimer"));
    Timer->setInterval(0);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTick(); });
}

bool TGridIncSearch::KeyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_grid->rowCount() == 0) return false;
    const QChar c = IncSearchKeyChar(key, modifiers);
    if (c.isNull()) return false;
    m_text += c;
    if (m_text.size() <= kShownMax) {
        const QRect grid = m_grid->geometry();
        Box->move(grid.left() + grid.width() / 10 + 4, grid.top() - 12);
        Box->setText(m_text);
        Box->show();
        Box->raise();
        // 500 ms after the first key, 1000 ms after each further one.
        Timer->setInterval(qMin(Timer->interval() + 500, 1000));
        Timer->start();
    }
    return true;
}

void TGridIncSearch::TimerTick()
{
    if (m_grid->hasFocus() && !m_text.isEmpty()) {
        const int current = m_grid->currentRow();
        if (!FindRow(current + 1, m_grid->rowCount() - 1)) FindRow(0, current);
    }
    Timer->stop();
    Timer->setInterval(0);
    m_text.clear();
    Box->clear();
    Box->hide();
}

bool TGridIncSearch::FindRow(int first, int last)
{
    const int n = int(m_text.size());
    for (int row = qMax(0, first); row <= last && row < m_grid->rowCount(); ++row) {
        const QTableWidgetItem *code = m_grid->item(row, m_codeColumn);
        if (m_grid->isRowHidden(row) || !code) continue;
        if (code->text().left(n).compare(m_text, Qt::CaseInsensitive) != 0) continue;
        m_grid->setCurrentCell(row, m_currentColumn);
        m_grid->scrollToItem(m_grid->item(row, m_currentColumn));
        return true;
    }
    return false;
}
