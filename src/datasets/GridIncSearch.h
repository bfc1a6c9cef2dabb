#pragma once
// Typing on a data-list grid: the characters typed gather in a small box over
// the grid, and when the typing pauses the next row whose code begins with
// them becomes the current row (searching on below the current row, then
// from the top).
#include <QObject>
#include <QString>
#include <Qt>

class QLineEdit;
class QTableWidget;
class QTimer;
class QWidget;

// The character a key adds to the typed text, or a null character.
QChar IncSearchKeyChar(int key, Qt::KeyboardModifiers modifiers);

class TGridIncSearch : public QObject
{
public:
    // codeColumn is compared with the typed text; the found row's cell in
    // currentColumn becomes the current cell.
    TGridIncSearch(QTableWidget *grid, QWidget *boxParent, int codeColumn, int currentColumn, QObject *owner);

    // A key pressed on the grid: true when it went into the typed text.
    bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The typing paused: look for the text, then forget it.
    void TimerTick();
    // Looks for the typed text in the shown rows first..last.
    bool FindRow(int first, int last);
    QString Text() const { return m_text; }

    QLineEdit *Box = nullptr; // txtIncSerch
    QTimer *Timer = nullptr;  // IncSerchTimer

private:
    QTableWidget *m_grid;
    int m_codeColumn, m_currentColumn;
    QString m_text;
};
