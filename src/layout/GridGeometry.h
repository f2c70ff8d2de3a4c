#pragma once

class Screen;

// The red lines that fan out from the table's number to each column's plus sign. They
// follow the labels' current places; the offsets are fixed twips and never scale.
void PosizionaLinee(Screen &frmOperativo);
