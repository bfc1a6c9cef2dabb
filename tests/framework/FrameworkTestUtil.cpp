#include "FrameworkTestUtil.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QDir>
#include <QKeyEvent>
#include <QPixmap>
#include <QTimer>
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
int execUntilDone(QDialog &dialog, const std::function<void()> &onShown)
{
    bool finished = false;
    QEventLoop loop;
    const auto link = QObject::connect(&dialog, &QDialog::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const bool wasModal = dialog.testAttribute(Qt::WA_ShowModal);
    dialog.setAttribute(Qt::WA_ShowModal, true);
    dialog.setResult(0);
    dialog.show();
    if (!finished) {
        if (onShown) QTimer::singleShot(0, &loop, onShown);
        loop.exec(QEventLoop::DialogExec);
    }
    QObject::disconnect(link);
    dialog.setAttribute(Qt::WA_ShowModal, wasModal);
    return dialog.result();
}
} // namespace fwtest
