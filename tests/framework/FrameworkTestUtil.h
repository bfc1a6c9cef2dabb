#pragma once
// Key presses sent straight to a widget, and screenshots under the build folder.
#include <QString>
#include <functional>
#include <Qt>

class QDialog;
class QWidget;

namespace fwtest {
void press(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString());
void release(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void tap(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString());
// Saves a picture of the widget as <build>/screenshots/<name>.png and returns the path.
QString screenshot(QWidget *widget, const QString &name);
// Shows a window and makes it the active one.
void showActive(QWidget *window);
// Runs a dialog modally until done() is called on it and returns its result.
// onShown runs from the dialog's loop once show() has returned: a form's show
// event may process events, and a test's timers started before show() could
// run there, before the form stands. Unlike QDialog::exec() it also returns
// when done() comes while the dialog is still being shown (exec() would then
// wait for ever on a hidden dialog).
int execUntilDone(QDialog &dialog, const std::function<void()> &onShown = {});
} // namespace fwtest
