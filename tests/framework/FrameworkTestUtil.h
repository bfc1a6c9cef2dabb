#pragma once
// Key presses sent straight to a widget, and screenshots under the build folder.
#include <QString>
#include <Qt>

class QWidget;

namespace fwtest {
void press(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString());
void release(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
void tap(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString());
// Saves a picture of the widget as <build>/screenshots/<name>.png and returns the path.
QString screenshot(QWidget *widget, const QString &name);
// Shows a window and makes it the active one.
void showActive(QWidget *window);
} // namespace fwtest
