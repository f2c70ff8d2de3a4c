#pragma once
#include "app/Sessione.h"
#include <QIcon>
#include <cstdint>

class FrmInizio;
class FrmOperativo;

// What the whole program shares: the chosen table, the session, and its main screens.
namespace Programma {
extern int16_t NumeroTabella; // 0..10, written only by the table choice
extern Sessione sessione;

// The main screens are made once and outlive their windows: closing a screen and opening it
// again keeps its own variables.
FrmInizio &frmInizio();
FrmOperativo &frmOperativo();
bool frmOperativoCreated();
FrmInizio *frmInizioSeEsiste();

// A table's name as the pupil reads it: "Tabella dello 0", "Tabella dell' 1", ... "Tabella del 10"
// (the spacing around the apostrophes differs between 1 and 8). Empty outside 0..10.
QString nomeTabella(int n);

// The program's icon, the window icon of both main screens.
QIcon icona();

// Closes every screen and ends the run.
void termina();

// Forgets the screens (tests start every case from a fresh program).
void reset();
}
