#include "start/InfoScreens.h"

void mostraAutore(QWidget *) {}
void mostraIstruzioni(QWidget *) {}
