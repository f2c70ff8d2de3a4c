// All platforms, checked with Qt 6.4.2 (which ends with a fatal message when no platform plugin
// starts): one Italian line and status 1 instead of the toolkit's English and an abort.
#include "app/Platform.h"
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace Platform {

namespace {
QtMessageHandler g_previous = nullptr;

void beforeDisplay(QtMsgType type, const QMessageLogContext &, const QString &)
{
    // Until the application exists every message is ours to word; the toolkit's last one is fatal.
    if (type != QtFatalMsg)
        return;
    std::fputs("Calcolino: serve un desktop grafico, ma nessuno schermo \xC3\xA8 disponibile.\n", stderr);
    std::fflush(stderr);
    // The half-made application object is still on the stack: nothing of it may run again.
    std::_Exit(1);
}
}

void exitQuietlyWithoutDisplay()
{
    g_previous = qInstallMessageHandler(beforeDisplay);
}

void displayFound()
{
    qInstallMessageHandler(g_previous);
}
}
