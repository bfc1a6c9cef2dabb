#include "FrameworkTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>

namespace fwtest {
void press(QWidget *target, int key, Qt::KeyboardModifiers mods, const QString &text)
{
    QKeyEvent e(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &e);
}
void release(QWidget *target, int key, Qt::KeyboardModifiers mods)
{
    QKeyEvent e(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(target, &e);
}
void tap(QWidget *target, int key, Qt::KeyboardModifiers mods, const QString &text)
{
    press(target, key, mods, text);
    release(target, key, mods);
}
QString screenshot(QWidget *widget, const QString &name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    const QString path = dir + u'/' + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}
void showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
}
} // namespace fwtest
