#pragma once
// The progress window: a small waiting window with an animation, one information
// line and, optionally, a cancel button, shown over a disabled owner form while a
// long operation runs. The window is built anew at each Show.
//
// Ways of use:
// - Modeless: set the fields, Show(owner), do the work in steps while updating the
//   information line and reading Cancelled (call ProcessMessages between steps),
//   then Close().
// - With a worker: Show(owner), then RunWork(): the work runs on a worker thread,
//   reports through the reporter and reads the cancel flag, while the window keeps
//   painting. The work must not touch the data module's connections (they belong
//   to the main thread).
// - Modal with a work handler: set OnShow; Show runs it once the window is up and
//   closes the window when it returns, raising again any error it raised.
#include <QDialog>
#include <QPointer>
#include <QString>

#include <atomic>
#include <exception>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

enum class TxLabelPosition { xlpRight, xlpBottom };
enum class TCommonAVI {
    aviNone,
    aviFindFolder,
    aviFindFile,
    aviFindComputer,
    aviCopyFiles,
    aviCopyFile,
    aviRecycleFile,
    aviEmptyRecycle,
    aviDeleteFile
};

// Geometry of the progress window (client coordinates).
struct TxProgressLayout {
    QSize client{380, 100};
    QRect anime{20, 16, 32, 32};
    QRect label;  // width 300, height of the text "Wq"
    QRect cancel; // empty without a button
};
// The layout for a label of the given text height.
TxProgressLayout ProgressLayout(TxLabelPosition position, bool cancelButton, int labelHeight);
// The top-left that centres a window of the given frame size on an area (the
// halves rounded toward zero).
QPoint CenterOnArea(const QRect &area, const QSize &windowSize);

// The animation: a turning ring of dots of our own, ticking on a timer.
class TxAnimeView : public QWidget
{
    Q_OBJECT
public:
    explicit TxAnimeView(QWidget *parent = nullptr);
    void setHasAnimation(bool on) { m_has = on; update(); }
    bool hasAnimation() const { return m_has; }
    void play(bool on);
    bool playing() const;
    int frame() const { return m_frame; }
    int paintCount() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QTimer *m_timer;
    bool m_has = false;
    int m_frame = 0;
    int m_paints = 0;
};

class TxProgressForm : public QDialog
{
    Q_OBJECT
public:
    explicit TxProgressForm(QWidget *parent = nullptr);
    TxAnimeView *Animate = nullptr;
    QLabel *Label = nullptr;
    QPushButton *btnCancel = nullptr;
    std::function<void()> onClosedByUser;
    std::function<void()> onShown;

    void reject() override {} // Esc does not close the waiting window

protected:
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;
};

// What a worker sees of the dialog.
class TxProgressReporter
{
public:
    // Sets the information line (delivered to the window on the main thread).
    virtual void setInfo(const QString &text) = 0;
    // Whether the cancel button has been clicked.
    virtual bool cancelled() const = 0;
    virtual ~TxProgressReporter() = default;
};

class TxAnimeProgressDialog : public QObject
{
    Q_OBJECT
public:
    explicit TxAnimeProgressDialog(QObject *parent = nullptr);
    ~TxAnimeProgressDialog() override;

    // The progress window while it exists.
    TxProgressForm *Handle() const { return m_form; }
    // The owner window; set by Show from the owner form, or beforehand when no form is given.
    QPointer<QWidget> ParentHandle;

    QString Caption() const { return m_caption; }
    void setCaption(const QString &c);
    QString InfoLabel() const { return m_info; }
    void setInfoLabel(const QString &text);
    TxLabelPosition LabelPosition() const { return m_labelPosition; }
    void setLabelPosition(TxLabelPosition p);
    TCommonAVI CommonAVI = TCommonAVI::aviNone;
    // A file whose animation is shown; a name whose file does not exist is cleared when applied.
    QString AviFile;
    bool AnimeActive() const;
    void setAnimeActive(bool on) { PlayAnime(on); }
    bool CancelBtnShow = true;
    std::function<void(QWidget *sender)> OnShow;
    std::function<void(QObject *sender)> OnClose;

    // Set by the cancel button, cleared by each Show. The caller decides to stop.
    bool Cancelled() const { return m_cancelled.load(); }
    QWidget *OwnerForm() const { return m_owner; }
    bool Showing() const { return m_showing; }

    void Show(QWidget *ownerForm = nullptr);
    int Close();
    void PlayAnime(bool on);
    // Waits the time while the window keeps painting; true.
    bool Wait(int milliseconds);
    // Lets pending window messages be processed (painting, the cancel button).
    static void ProcessMessages();

    // Runs the work on a worker thread and returns when it has ended, keeping the
    // window painting and the cancel button answering. An error raised by the work
    // is raised again here.
    void RunWork(const std::function<void(TxProgressReporter &)> &work);

Q_SIGNALS:
    void infoRequested(const QString &text);

private:
    void layout();
    void centreOnOwner(QWidget *ownerWindow);
    void enableOwner();

    QPointer<TxProgressForm> m_form;
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_disabled; // the owner window disabled by Show
    QString m_caption, m_info;
    TxLabelPosition m_labelPosition = TxLabelPosition::xlpRight;
    std::atomic<bool> m_cancelled{false};
    bool m_showing = false;
    std::exception_ptr m_error;
};
