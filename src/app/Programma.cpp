#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <memory>

namespace Programma {
int16_t NumeroTabella = 0;
Sessione sessione;

namespace {
std::unique_ptr<FrmInizio> g_inizio;
std::unique_ptr<FrmOperativo> g_operativo;
}

FrmInizio &frmInizio()
{
    if (!g_inizio)
        g_inizio = std::make_unique<FrmInizio>();
    return *g_inizio;
}

FrmOperativo &frmOperativo()
{
    if (!g_operativo)
        g_operativo = std::make_unique<FrmOperativo>();
    return *g_operativo;
}

bool frmOperativoCreated() { return bool(g_operativo); }
FrmInizio *frmInizioSeEsiste() { return g_inizio.get(); }

QString nomeTabella(int n)
{
    static const char *const nomi[] = {
        "Tabella dello 0", "Tabella dell' 1", "Tabella del 2", "Tabella del 3", "Tabella del 4", "Tabella del 5",
        "Tabella del 6", "Tabella del 7", "Tabella dell'8", "Tabella del 9", "Tabella del 10",
    };
    return n >= 0 && n <= 10 ? QString::fromUtf8(nomi[n]) : QString();
}

QIcon icona()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/calcolino-%1.png").arg(size), QSize(size, size));
    return icon;
}

void termina()
{
    // Any window still open (the print screen) goes with the start screen.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QCoreApplication::quit();
}

void reset()
{
    // Hidden first, so that going away closes nothing else and ends nothing.
    if (g_operativo)
        g_operativo->hide();
    if (g_inizio)
        g_inizio->hide();
    g_operativo.reset();
    g_inizio.reset();
    NumeroTabella = 0;
    sessione = Sessione();
}
}
