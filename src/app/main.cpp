#include "app/Platform.h"
#include "app/Programma.h"
#include <QApplication>

int main(int argc, char *argv[])
{
    Platform::noBusOfOurOwn();
    Platform::exitQuietlyWithoutDisplay();
    QApplication app(argc, argv);
    Platform::displayFound();
    Platform::detectableAutoRepeat();
    Platform::italian(app);
    Platform::menuBarIconWhenShown();
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    // The start screen ends the run when it closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    Programma programma;
    programma.start();
    return app.exec();
}
