#pragma once
class QWidget;

// The two small information screens, always shown modally: the caller waits until they close.
void mostraAutore(QWidget *parent);
void mostraIstruzioni(QWidget *parent);
// Closes the author screen if it is open (the program is ending).
void scaricaAutore();
