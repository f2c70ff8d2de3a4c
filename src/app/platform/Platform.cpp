// All platforms, checked with Qt 6.4.2: what comes after the application object, each measure
// where it applies, and the program's names.
#include "app/Platform.h"
#include <QApplication>

namespace Platform {

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

void afterApplication(QApplication &app)
{
    detectableAutoRepeat();
    windowBuffersAtOnce();
    italian(app);
    menuBarIconWhenShown();
    altTakesMenuBarOnce(app);
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    // On Wayland the desktop file's name is the window's app id, through which the desktop finds
    // the program's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Calcolino"));
    QApplication::setQuitOnLastWindowClosed(false);
}
}
