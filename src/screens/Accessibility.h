#pragma once
#include <QString>

class QWidget;

// What assistive technology (a screen reader, switch-access software) is told about the
// controls of a screen. Buttons are told as push buttons with their caption; where a caption
// alone says little, a spoken Italian word is added ("Risultato: 7" for an answer cell,
// "Tabella del 7" as a table button's description, "Chiudi" for "C h i u d i"). Labels that
// carry such a word are read with their current caption every time, so a change of caption
// is announced under the new name. Focus and enabled state are the widgets' own, announced
// by the toolkit. Nothing here changes what the pupil sees.
namespace Accessibility {
// Makes the labels' reading known to the toolkit; needed before the first label gets its
// caption (the toolkit keeps the first reading it makes of a widget).
void install();
// Gives the controls of a screen just built their spoken names and descriptions; `screen`
// is the screen's name, `root` the widget that holds its controls.
void apply(const QString &screen, QWidget *root);
}
