#pragma once
// Drives the real screens the way a pupil does: keys at the focused widget, presses of any
// mouse button, and reading what the screen shows. Everything is found through the object
// tree by the controls' names.
#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QString>
#include <QTest>
#include <functional>
#include <vector>

#include "app/Programma.h"

class FrmInizio;
class FrmOperativo;

namespace T {
// The print screen's dialogs, as each test case sets them.
struct Dialoghi : PrintDialogs {
    std::function<QString(QWidget *, const QString &)> file;
    std::function<bool(QPrinter *, QWidget *)> stampante;
    QString pdfFile(QWidget *parent, const QString &proposal) override { return file(parent, proposal); }
    bool printer(QPrinter *p, QWidget *parent) override { return stampante(p, parent); }
};
extern Dialoghi dialoghi;
extern std::function<double()> orologio; // the clock of the sheets' order

// A fresh program: shows the start screen at its design size.
FrmInizio &avvia();
Programma &P();
// Ends the program (call at cleanup()).
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

// ---------------------------------------------------------------- shared by the screens' tests

extern const QColor Fuoco, Riposo, ColoreCella, Giallo; // focused and resting buttons, answer cells
extern const Qt::MouseButton Tasti[3];                   // left, right, middle
QColor colore(QWidget *w);                                // its BackColor
// "Vai" on the start screen with the given button, then the exercise screen at its design size.
FrmOperativo &vai(Qt::MouseButton b = Qt::LeftButton);
// A press and release delivered to the widget itself, disabled or covered as it may be.
void premiSopra(QWidget *w, Qt::MouseButton b = Qt::LeftButton);
QStringList giro(Qt::Key k, int n);   // where the focus goes at each of n presses of a key
bool scorriFino(const QString &name); // SPACE until it has the focus; false after a whole round
void invioVerso(QWidget *dopo);       // Enter on a button that brings `dopo` forward, released there
void scriviConTasti(int value, Qt::KeyboardModifiers m = Qt::NoModifier);
int rigaCorrente();        // the row whose cell shows "?", -1 when none
QString prefisso(int row); // "8 +  3 = "
int sbaglia(int row);      // a wrong answer typed and confirmed with the mouse; returns it
void finisciScheda();      // right answers to the end of the sheet
QString riquadro();        // the one enabled overlay frame, which must be in front
// The exercise screen at a glance: that frame, the focus, the keypad buttons its mode offers
// ('1' for each of 0..13) and the armed rows ('1' where "+", "=", the bar and the line show).
QString vista();
// The same as it should be: the keys for answering while a row is armed ("Invio" among them
// when the cell shows an answer), those for the end of the sheet when none is.
QString vistaDi(const char *frame, const char *focus, int rigaArmata, bool invio = false);
void nessunoPremuto();     // no button of any screen looks pressed
// Keys one after another, each followed by the control that must have the focus and, when
// given, the text `vede` must read.
struct Passo {
    Qt::Key k;
    Qt::KeyboardModifiers m;
    const char *focus;
    const char *testo = nullptr;
};
void passi(const std::vector<Passo> &p, const std::function<QString()> &vede = {});
}
