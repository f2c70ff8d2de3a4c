// All platforms, checked with Qt 6.4.2: what comes after the application object, each measure
// where it applies, and the program's names.
#include "app/Platform.h"
#include <QApplication>

namespace Platform {

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool isWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void afterApplication(QApplication &app)
{
    detectableAutoRepeat();
    windowBuffersAtOnce();
    italian(app);
    menuBarIconWhenShown();
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    QApplication::setQuitOnLastWindowClosed(false);
}
}
