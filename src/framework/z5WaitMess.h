#pragma once
// The step window of a send: lists the steps and ticks them off while an
// animation runs. The caller sets WaitMessOwner, creates the window (it becomes
// fmWaitMess), shows it modelessly, hides, re-captions and ticks the check boxes
// as the steps proceed, lets events through between its steps and frees it.
#include <QDialog>

class QCheckBox;
class QTimer;
class TxAnimeView;

class TfmWaitMess : public QDialog
{
    Q_OBJECT
public:
    explicit TfmWaitMess(QWidget *parent = nullptr);
    ~TfmWaitMess() override;

    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QCheckBox *CheckBox3 = nullptr;
    QCheckBox *CheckBox4 = nullptr;
    QCheckBox *CheckBox5 = nullptr;
    QTimer *Timer1 = nullptr;
    TxAnimeView *Animate = nullptr;
    // The file the animation is taken from (program folder + "progress.avi");
    // without it the animation stays empty.
    QString AnimationFile;

    void reject() override {} // Esc does not close the step window

protected:
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void timerTick();
};

// The window that owns the step window; set by the caller before creating it.
extern QWidget *WaitMessOwner;
// The step window while it exists.
extern TfmWaitMess *fmWaitMess;
