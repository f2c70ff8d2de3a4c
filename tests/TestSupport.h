#pragma once
// Drives the real screens the way a pupil does: keys at the focused widget, presses of any
// mouse button, and reading what the screen shows. Everything is found through the object
// tree by the controls' names.
#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QString>
#include <QTest>

class FrmInizio;
class FrmOperativo;

namespace T {
// A fresh program: forgets the screens and shows the start screen at its design size.
FrmInizio &avvia();
// Ends the program's screens (call at cleanup()).
void chiudi();

QMainWindow *schermo(const char *name); // a visible top-level screen by objectName
QWidget *w(const char *screen, const QString &name);
QAbstractButton *btn(const char *screen, const QString &name);
QLabel *lbl(const char *screen, const QString &name);
QObject *line(int i);
inline QAbstractButton *key(int i) { return btn("frmOperativo", QStringLiteral("Option1_%1").arg(i)); }
inline QLabel *cella(int i) { return lbl("frmOperativo", QStringLiteral("lblRisultato_%1").arg(i)); }
inline QLabel *addendo(int i) { return lbl("frmOperativo", QStringLiteral("Label2_%1").arg(i)); }

// The widget that has the keyboard focus in the active window.
QWidget *focus();
QString focusName();

// A key pressed and released at the focused widget. Digits of the numeric keypad carry the
// keypad modifier.
void tasto(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier);
void premi(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, bool autoRepeat = false);
void rilascia(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, bool autoRepeat = false);
// A held key: a press, then `repeats` auto-repeat release/press pairs, then the release.
void tieni(Qt::Key k, int repeats, Qt::KeyboardModifiers m = Qt::NoModifier);

// A press and release of a mouse button on a widget (left unless said).
void clic(QWidget *w, Qt::MouseButton b = Qt::LeftButton);

// Start screen: choose a table with the mouse and press "Vai"; returns the exercise screen.
FrmOperativo &apriTabella(int n);

// The expected result of the current row, read from the screen (table + addend).
int risultatoAtteso(int row);
int tabella(); // the exercise screen's Label1
// Types a whole number on the on-screen keypad with the mouse.
void scriviConMouse(int value);
// Answers the row right with the mouse (digits then "Invio").
void rispondiGiusto(int row);

// Bring a window forward and let its activation arrive.
void attiva(QWidget *w);
}
