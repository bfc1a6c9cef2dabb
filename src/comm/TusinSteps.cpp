#include "comm/TusinSteps.h"

#include "framework/WindowUtils.h"
#include "framework/z5WaitMess.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QThread>

namespace {

int formPpi(QWidget *w)
{
    return w ? w->logicalDpiX() : 96;
}

} // namespace

TTusinSteps::TTusinSteps(QWidget *owner, bool fifthStep) : m_owner(owner)
{
    WaitMessOwner = owner;
    m_window.reset(new TfmWaitMess(owner));
    ShowFifthStep(fifthStep);
    m_window->show();
}

TTusinSteps::~TTusinSteps()
{
    m_window.reset();
    if (WaitMessOwner == m_owner) WaitMessOwner = nullptr;
}

TfmWaitMess *TTusinSteps::window() const
{
    return m_window.get();
}

QCheckBox *TTusinSteps::box(int n) const
{
    switch (n) {
    case 1: return m_window->CheckBox1;
    case 2: return m_window->CheckBox2;
    case 3: return m_window->CheckBox3;
    case 4: return m_window->CheckBox4;
    case 5: return m_window->CheckBox5;
    default: return nullptr;
    }
}

QString TTusinSteps::RunningText(const QString &text)
{
    return text + QStringLiteral("　実行中");
}

QString TTusinSteps::FinishedText(const QString &text)
{
    return text + QStringLiteral("　終了");
}

void TTusinSteps::ShowFifthStep(bool on)
{
    const int ppi = formPpi(m_owner);
    m_window->setFixedSize(ScaleByDpi(435, ppi, 96), ScaleByDpi(on ? 206 : 194, ppi, 96));
    m_window->CheckBox5->setVisible(on);
}

void TTusinSteps::Set(int n, const QString &text, State state)
{
    QCheckBox *b = box(n);
    if (!b) return;
    QColor color = Qt::black;
    switch (state) {
    case State::Hidden:
        b->hide();
        return;
    case State::Pending:
        b->setText(text);
        b->setChecked(false);
        break;
    case State::Running:
        b->setText(RunningText(text));
        b->setChecked(true);
        color = Qt::blue;
        break;
    case State::Finished:
        b->setText(FinishedText(text));
        color = QColor(128, 128, 128);
        break;
    }
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    pal.setColor(QPalette::Text, color);
    b->setPalette(pal);
    b->show();
}

void StepPause(int milliseconds)
{
    // The pause reads the clock only: window messages wait until the next step.
    QDeadlineTimer deadline(std::max(0, milliseconds));
    while (!deadline.hasExpired()) QThread::msleep(quint64(std::max<qint64>(1, std::min<qint64>(deadline.remainingTime(), 20))));
}
