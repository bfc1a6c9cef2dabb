#include "framework/xAnimeProgressDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <thread>

TxProgressLayout ProgressLayout(TxLabelPosition position, bool cancelButton, int labelHeight)
{
    TxProgressLayout l;
    const QPoint labelAt = position == TxLabelPosition::xlpRight ? QPoint(60, 24) : QPoint(20, 52);
    l.label = QRect(labelAt, QSize(300, labelHeight));
    if (cancelButton) {
        l.cancel = QRect(152, 67, 76, 23);
    } else {
        const int half = l.client.height() / 2;
        l.anime.moveTop(half - 20);
        l.label.moveTop(position == TxLabelPosition::xlpRight ? half - 8 : half + 20);
    }
    return l;
}

QPoint CenterOnArea(const QRect &area, const QSize &windowSize)
{
    // Integer division rounds toward zero, as the position arithmetic wants.
    return {area.left() + (area.width() - windowSize.width()) / 2, area.top() + (area.height() - windowSize.height()) / 2};
}

// ---- the animation ----

TxAnimeView::TxAnimeView(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % 12;
        update();
    });
}

void TxAnimeView::play(bool on)
{
    if (on && m_has) m_timer->start();
    else m_timer->stop();
}

bool TxAnimeView::playing() const
{
    return m_timer->isActive();
}

void TxAnimeView::paintEvent(QPaintEvent *)
{
    ++m_paints;
    if (!m_has) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(width() / 2.0, height() / 2.0);
    const double r = qMin(width(), height()) / 2.0 - 4;
    for (int i = 0; i < 12; ++i) {
        const double a = (i * 30.0) * M_PI / 180.0;
        const int age = (m_frame - i + 12) % 12; // 0: the newest dot
        QColor col(40, 90, 170);
        col.setAlpha(255 - age * 18);
        p.setPen(Qt::NoPen);
        p.setBrush(col);
        p.drawEllipse(c + QPointF(r * std::cos(a), r * std::sin(a)), 2.6, 2.6);
    }
}

// ---- the window ----

TxProgressForm::TxProgressForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TxProgressForm"));
}

void TxProgressForm::closeEvent(QCloseEvent *e)
{
    QDialog::closeEvent(e);
    if (e->isAccepted() && onClosedByUser) onClosedByUser();
}

void TxProgressForm::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (onShown) {
        auto run = std::move(onShown);
        onShown = nullptr;
        QMetaObject::invokeMethod(this, std::move(run), Qt::QueuedConnection);
    }
}

// ---- the component ----

TxAnimeProgressDialog::TxAnimeProgressDialog(QObject *parent) : QObject(parent) {}

TxAnimeProgressDialog::~TxAnimeProgressDialog()
{
    enableOwner();
    delete m_form.data();
}

void TxAnimeProgressDialog::setCaption(const QString &c)
{
    m_caption = c;
    if (m_form) m_form->setWindowTitle(c);
}

void TxAnimeProgressDialog::setInfoLabel(const QString &text)
{
    m_info = text;
    if (m_form && m_form->Label) {
        m_form->Label->setText(text);
        m_form->Label->repaint(); // seen at once, also while the caller keeps the thread busy
    }
}

void TxAnimeProgressDialog::setLabelPosition(TxLabelPosition p)
{
    m_labelPosition = p;
    layout();
}

bool TxAnimeProgressDialog::AnimeActive() const
{
    return m_form && m_form->Animate && m_form->Animate->playing();
}

void TxAnimeProgressDialog::layout()
{
    if (!m_form) return;
    const int h = m_form->fontMetrics().boundingRect(QStringLiteral("Wq")).height();
    const TxProgressLayout l = ProgressLayout(m_labelPosition, m_form->btnCancel != nullptr, h);
    m_form->Animate->setGeometry(l.anime);
    m_form->Label->setGeometry(l.label);
    if (m_form->btnCancel) m_form->btnCancel->setGeometry(l.cancel);
    m_form->update();
}

void TxAnimeProgressDialog::PlayAnime(bool on)
{
    if (!m_form || !m_form->Animate) return;
    m_form->Animate->play(on);
    m_form->update();
}

void TxAnimeProgressDialog::enableOwner()
{
    if (m_disabled) m_disabled->setEnabled(true);
    m_disabled = nullptr;
}

void TxAnimeProgressDialog::centreOnOwner(QWidget *ownerWindow)
{
    QRect area;
    if (m_owner) area = ownerWindow->frameGeometry();
    else if (ownerWindow) area = ownerWindow->normalGeometry();
    if (!ownerWindow || area.isEmpty()) {
        if (QScreen *s = QGuiApplication::primaryScreen())
            m_form->move(CenterOnArea(s->availableGeometry(), m_form->frameGeometry().size()));
        if (!(m_form->windowFlags() & Qt::WindowStaysOnTopHint)) {
            m_form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            m_form->show();
        }
        return;
    }
    m_form->move(CenterOnArea(area, m_form->frameGeometry().size()));
}

void TxAnimeProgressDialog::Show(QWidget *ownerForm)
{
    m_owner = ownerForm;
    QWidget *ownerWindow = ownerForm ? ownerForm->window() : ParentHandle.data();
    ParentHandle = ownerWindow;

    delete m_form.data();
    // The window has no parent: a window parented to the owner would be disabled with it.
    m_form = new TxProgressForm(nullptr);
    TxProgressForm *form = m_form;
    if (ownerWindow) form->setFont(ownerWindow->font());
    form->setWindowTitle(m_caption);
    form->setFixedSize(380, 100);
    form->onClosedByUser = [this] {
        if (OnClose) OnClose(this);
    };

    form->Animate = new TxAnimeView(form);
    form->Animate->setObjectName(QStringLiteral("Animate"));
    if (!AviFile.isEmpty() && !QFileInfo::exists(AviFile)) AviFile.clear();
    form->Animate->setHasAnimation(CommonAVI != TCommonAVI::aviNone || !AviFile.isEmpty());
    form->Label = new QLabel(m_info, form);
    form->Label->setObjectName(QStringLiteral("Label"));
    m_cancelled = false;
    if (CancelBtnShow) {
        form->btnCancel = new QPushButton(QStringLiteral("キャンセル"), form);
        form->btnCancel->setObjectName(QStringLiteral("btnCancel"));
        form->btnCancel->setAutoDefault(false);
        connect(form->btnCancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    }
    layout();

    m_showing = true;
    PlayAnime(true);

    if (OnShow) {
        m_error = nullptr;
        form->onShown = [this, form] {
            try {
                OnShow(form);
            } catch (...) {
                m_error = std::current_exception();
            }
            form->done(QDialog::Accepted);
        };
        form->setWindowModality(Qt::ApplicationModal);
        form->exec();
        delete m_form.data();
        m_showing = false;
        ProcessMessages();
        if (m_error) {
            std::exception_ptr e = m_error;
            m_error = nullptr;
            std::rethrow_exception(e);
        }
        return;
    }
    // Placed once shown, when the size of its frame is known.
    if (ownerWindow) {
        if (ownerWindow->isEnabled()) {
            ownerWindow->setEnabled(false);
            m_disabled = ownerWindow;
        }
        form->show();
        centreOnOwner(ownerWindow);
    } else {
        form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        form->show();
        centreOnOwner(nullptr);
    }
    form->raise();
    ProcessMessages();
    Wait(50);
}

int TxAnimeProgressDialog::Close()
{
    enableOwner();
    m_showing = false;
    if (m_form) {
        m_form->onClosedByUser = nullptr;
        m_form->hide();
        m_form->deleteLater();
        m_form = nullptr;
    }
    return 0;
}

void TxAnimeProgressDialog::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TxAnimeProgressDialog::Wait(int milliseconds)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(qMax<qint64>(1, milliseconds - t.elapsed())));
        QThread::msleep(1);
    }
    return true;
}

namespace {
class WorkReporter : public TxProgressReporter
{
public:
    WorkReporter(TxAnimeProgressDialog *d, const std::atomic<bool> &flag) : m_d(d), m_flag(flag) {}
    void setInfo(const QString &text) override
    {
        QPointer<TxAnimeProgressDialog> d(m_d);
        QMetaObject::invokeMethod(m_d, [d, text] {
            if (d) d->setInfoLabel(text);
        }, Qt::QueuedConnection);
    }
    bool cancelled() const override { return m_flag.load(); }

private:
    TxAnimeProgressDialog *m_d;
    const std::atomic<bool> &m_flag;
};
} // namespace

void TxAnimeProgressDialog::RunWork(const std::function<void(TxProgressReporter &)> &work)
{
    WorkReporter reporter(this, m_cancelled);
    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work(reporter);
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    ProcessMessages(); // the last reports of the work
    if (error) std::rethrow_exception(error);
}
