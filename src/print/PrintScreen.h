#pragma once
#include "print/PrintedWork.h"

class FrmStampa;
class PrintDialogs;
class QWidget;

// The print screen as the rest of the program reaches it. Printing needs Qt's print support,
// which would cost every start time and memory: the program keeps the print screen in a library
// of its own, loaded the first time the screen opens (PrintScreenLoader.cpp). The tests link it
// in (PrintScreen.cpp).
namespace PrintScreen {
// A new print screen, not yet shown; without dialogs, the system's, each opened after
// `beforeQtDialog`. nullptr if the screen's library cannot be loaded.
FrmStampa *make(PrintDialogs *dialogs, const PrintedWork &work, void (*beforeQtDialog)());
// New work for the screen already open.
void setRows(FrmStampa *screen, const PrintedWork &work);
// The window to go back to when the screen closes.
void setOpener(FrmStampa *screen, QWidget *opener);

// What the library offers the program.
struct Functions {
    FrmStampa *(*make)(PrintDialogs *dialogs, const PrintedWork &work, void (*beforeQtDialog)());
    void (*setRows)(FrmStampa *screen, const PrintedWork &work);
    void (*setOpener)(FrmStampa *screen, QWidget *opener);
};
}

// The library's one entry point.
extern "C" const PrintScreen::Functions *calcolino_stampa();
