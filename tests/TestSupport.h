#pragma once
// Drives the real screens the way a pupil does: keys at the focused widget, presses of any
// mouse button, and reading what the screen shows. Everything is found through the object
// tree by the controls' names.
#include "app/Programma.h"
#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QEvent>
#include <functional>
#include <memory>

class FrmInizio;
class FrmOperativo;

namespace T {

// The scan's clock moved on by hand a ms at a time, each period's end seen `late` ms late; `elapsed` may start the next.
struct Clock : ScanClock {
    int left = -1, late = 0, t = 0; // left: ms to the end of the period, -1 stopped; t: the time
    std::function<void()> elapsed;
    void stop() override { ScanClock::stop(), left = -1; }
    void advance(int ms) { for (; ms > 0; --ms) if (++t, left > 0 && --left == 0) t += late, std::function<void()>{elapsed}(); }
    qint64 now() const override { return t; }
    void wake(int ms, std::function<void()> f) override { left = ms, elapsed = std::move(f); }
};
// A key as the keyboard sends it: to the window (the focused one's by default), where the
// program's filters see it first, on to the focus.
void windowKey(QEvent::Type type, Qt::Key k, bool repeat = false, QWindow *to = nullptr);

// The print screen's dialogs as a test case sets them; by default they fail the test.
struct Dialogs : PrintDialogs {
    std::function<QString(QWidget *, const QString &)> file = [](QWidget *, const QString &) -> QString { qFatal("the real file dialog would open"); };
    std::function<bool(QPrinter *, QWidget *)> printer_ = [](QPrinter *, QWidget *) -> bool { qFatal("the real print dialog would open"); };
    QString pdfFile(QWidget *parent, const QString &proposal) override { return file(parent, proposal); }
    bool printer(QPrinter *p, QWidget *parent) override { return printer_(p, parent); }
};

// A program of its own for a test case: the start screen shown at its design size and
// active; the sheets drawn from `clock` (the same order every time by default), an automatic scan on `scan`.
class Program {
public:
    explicit Program(std::function<double()> clock = [] { return 4321.25; }, ScanClock *scan = nullptr);
    ~Program();
    Programma &operator*() { return *m_p; }
    Programma *operator->() { return m_p.get(); }
    FrmInizio &inizio();
    const Esercizio::Session &session() { return m_p->esercizio().session(); }
    // Chooses table n and presses "Vai" with the mouse; the exercise screen at its design size.
    FrmOperativo &open(int n);
    Dialogs dialogs;

private:
    std::unique_ptr<Programma> m_p;
};

QWidget *top(const char *name); // a visible top-level window by objectName, or null
QWidget *w(const char *screen, const QString &name);
QAbstractButton *btn(const char *screen, const QString &name);
QLabel *lbl(const char *screen, const QString &name);
inline QAbstractButton *key(int i) { return btn("frmOperativo", QStringLiteral("Option1_%1").arg(i)); }
inline QLabel *cell(int i) { return lbl("frmOperativo", QStringLiteral("lblRisultato_%1").arg(i)); }
QString focusName();
QColor colour(QWidget *w); // its BackColor

// Keys at the focused widget; digits of the numeric keypad carry the keypad modifier.
void press(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, bool autoRepeat = false);
void release(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, bool autoRepeat = false);
void type(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier);
// Keys one after another, each followed by the control that must then have the focus.
void steps(const std::vector<std::pair<Qt::Key, const char *>> &keysAndFocus, Qt::KeyboardModifiers m = Qt::NoModifier);
// A press and release of a mouse button on a widget.
void click(QWidget *w, Qt::MouseButton b = Qt::LeftButton);
extern const Qt::MouseButton Buttons[3]; // left, right, middle

// The exercise screen: the expected result of row r, read from the screen.
int expected(int r);
void typeWithMouse(int value); // on the keypad, then nothing else
void answerRight(int r);       // digits and "Invio" with the mouse
void activate(QWidget *w);     // brought forward, its activation arrived

// What the pupil sees: the picture of a widget and how many of its pixels have a colour.
QImage shot(QWidget *w);
QImage seen(QWidget *w); // what a window shows as painted into it: a change that asked for no repaint is not there
int pixels(const QImage &img, const QColor &c, const QRect &area = QRect());
struct OnPaint : QObject { // runs at every paint of a widget, before its children are painted
    std::function<void()> run;
    bool eventFilter(QObject *, QEvent *e) override { return e->type() == QEvent::Paint ? run(), false : false; }
};
}
