#include "app/Programma.h"
#include "start/FrmInizio.h"
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    // The start screen ends the run when it closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    FrmInizio &inizio = Programma::frmInizio();
    inizio.showMaximized();
    inizio.activateWindow();
    const int rc = app.exec();
    Programma::reset(); // the screens go before the application object
    return rc;
}
