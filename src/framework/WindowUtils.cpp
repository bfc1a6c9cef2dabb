#include "framework/WindowUtils.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <cmath>

TColor ColorToRGB(TColor color)
{
    if (color >= 0) return color;
    // System colours of the window system, by index.
    QPalette pal = qobject_cast<QApplication *>(QCoreApplication::instance()) ? QApplication::palette() : QPalette();
    QPalette::ColorRole role;
    switch (color & 0xFF) {
    case 5: role = QPalette::Base; break;            // window
    case 8: role = QPalette::Text; break;            // window text
    case 13: role = QPalette::Highlight; break;      // highlight
    case 14: role = QPalette::HighlightedText; break;
    case 15: role = QPalette::Button; break;         // button face
    case 16: role = QPalette::Mid; break;            // button shadow
    case 17: role = QPalette::PlaceholderText; break; // grey text
    case 18: role = QPalette::ButtonText; break;
    case 20: role = QPalette::Light; break;          // button highlight
    case 23: role = QPalette::ToolTipText; break;    // info text
    case 24: role = QPalette::ToolTipBase; break;    // info background
    default: role = QPalette::Window; break;
    }
    const QColor c = pal.color(role);
    return RGBColor(c.red(), c.green(), c.blue());
}

TColor RgbToGray(TColor color)
{
    if (color == clWhite || color == clBlack) return color;
    const TColor rgb = ColorToRGB(color);
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    const int grey = int(std::nearbyint((r + g + b) / 3.0));
    return RGBColor(grey, grey, grey);
}

void ForceForegroundWindow(QWidget *window)
{
    if (!window) return;
    window->raise();
    window->activateWindow();
}

namespace {

// Swallows the pending mouse and key input of one window.
class InputEater : public QObject
{
public:
    explicit InputEater(QWidget *w) : m_window(w) {}
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto *w = qobject_cast<QWidget *>(obj);
            return w && (w == m_window || m_window->isAncestorOf(w));
        }
        default:
            return false;
        }
    }

private:
    QWidget *m_window;
};

} // namespace

void FlushInputMessages(QWidget *window)
{
    if (!window || !QCoreApplication::instance()) return;
    InputEater eater(window);
    QCoreApplication::instance()->installEventFilter(&eater);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&eater);
}

int ScaleByDpi(int value, int ppiB, int ppiC)
{
    if (ppiC == 0) {
        ppiC = 96;
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::primaryScreen())
            ppiC = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    }
    if (ppiB == ppiC || ppiC == 0) return value;
    return int((qint64(value) * ppiB) / ppiC);
}

int SystemFrameThickness()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        return QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return 4;
}

QWidget *FindWindowByName(const QString &className, const QString &windowName)
{
    if (className.compare(QStringLiteral("desktop"), Qt::CaseInsensitive) == 0) return nullptr;
    if (className.isEmpty() && windowName.isEmpty()) return nullptr;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!className.isEmpty() && className != QLatin1String(w->metaObject()->className())) continue;
        if (!windowName.isEmpty() && windowName != w->windowTitle()) continue;
        return w;
    }
    return nullptr;
}
