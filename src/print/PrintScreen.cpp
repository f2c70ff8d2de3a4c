#include "print/PrintScreen.h"
#include "print/FrmStampa.h"
#include "print/PrintDialogs.h"

namespace PrintScreen {

FrmStampa *make(PrintDialogs *dialogs, const PrintedWork &work, void (*beforeQtDialog)())
{
    static PrintDialogs system(beforeQtDialog);
    return new FrmStampa(dialogs ? *dialogs : system, work);
}

void setRows(FrmStampa *screen, const PrintedWork &work)
{
    screen->setWork(work);
}

void setOpener(FrmStampa *screen, QWidget *opener)
{
    screen->setOpener(opener);
}
}

extern "C" Q_DECL_EXPORT const PrintScreen::Functions *calcolino_stampa()
{
    static const PrintScreen::Functions functions{&PrintScreen::make, &PrintScreen::setRows, &PrintScreen::setOpener};
    return &functions;
}
