#pragma once
// The step window of the communication pipelines: the framework's step form
// with its five check boxes. A step that runs reads "<text>　実行中", is
// ticked and blue; a finished one reads "<text>　終了" and is grey; a pending
// one is black and not ticked. Each step change is followed by a pause (the
// settings' step pause) in which no window messages are processed.
#include <QString>

#include <memory>

class QCheckBox;
class QWidget;
class TfmWaitMess;

class TTusinSteps
{
public:
    enum class State { Pending, Running, Finished, Hidden };

    // Opens the step window owned by the form; `fifthStep` makes it taller.
    TTusinSteps(QWidget *owner, bool fifthStep);
    ~TTusinSteps();
    TTusinSteps(const TTusinSteps &) = delete;
    TTusinSteps &operator=(const TTusinSteps &) = delete;

    // Step n (1..5): its base text and state.
    void Set(int n, const QString &text, State state);
    // The fifth step shown or hidden, with the window's height.
    void ShowFifthStep(bool on);

    TfmWaitMess *window() const;
    QCheckBox *box(int n) const;

    // The texts of a running and a finished step.
    static QString RunningText(const QString &text);
    static QString FinishedText(const QString &text);

private:
    std::unique_ptr<TfmWaitMess> m_window;
    QWidget *m_owner;
};

// Waits the milliseconds without processing window messages.
void StepPause(int milliseconds);
