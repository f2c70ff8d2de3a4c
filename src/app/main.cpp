#include "app/Programma.h"
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    // The start screen ends the run when it closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    Programma programma;
    programma.start();
    return app.exec();
}
