// The random pupil: seeded random events on the real screens (presses anywhere, through the window, again at
// one spot at human intervals of simulated time, or held), each followed by the rules that must always hold;
// then a million, most of them a pupil's hands on the keyboard. None may reach the teacher's settings.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include <QAction>
#include <QTemporaryDir>
#include <QTimer>
#include <random>
#include <sys/inotify.h>
#include <unistd.h>

using Key = std::pair<Qt::Key, Qt::KeyboardModifiers>;
static const char *const FrameNames[] = {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"};
static const Qt::Key OtherKeys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_F2, Qt::Key_Shift};

struct Pupil {
    Pupil(quint32 seed, const QString &file) : rng(seed), settings(file) { restart(); }
    std::mt19937 rng;
    T::Clock scan; // the automatic scan's, moved on by the pupil's time, with the teacher's settings
    Impostazioni settings;
    QList<int> down; // the keys held, in order, one on the numeric keypad with Pad; Ctrl+Alt+I made on the start screen
    int chords = 0, Pad = 1 << 30;
    std::unique_ptr<T::Program> p;
    QStringList log;
    int reached[6] = {}; // events with each frame in front, at the end of a sheet; presses on a button come up under the pointer
    QPoint spot; // the pointer, the button under it when it got there, the buttons held, the time in ms
    QPointer<QWidget> underWhenMoved;
    Qt::MouseButtons held;
    int ms = 1000000;
    bool mayRestart = false; // the pupil chose "Ricomincia" in this step, or opened the screen afresh

    int pick(int n) { return int(rng() % unsigned(n)); }
    FrmOperativo *op() { return (*p)->frmOperativo() && (*p)->frmOperativo()->loaded() ? (*p)->frmOperativo() : nullptr; }
    void restart()
    {
        p.reset(), held = {}, mayRestart = true; // sheets from a clock that ticks with every sheet: a run repeats exactly
        p = std::make_unique<T::Program>([t = 0.0]() mutable { return t += 0.37; }, &scan);
        settings.load(), (*p)->applySettings(settings), FrmImpostazioni::attach(**p, settings); // as the program starts
        p->dialogs.file = [](QWidget *, const QString &) { return QString(); }; // nothing written
        p->dialogs.printer_ = [](QPrinter *, QWidget *) { return false; };
    }
    void send(QEvent::Type t, Key k, bool repeat = false) // to the focus, as the keyboard does
    {
        QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        mayRestart |= t == QEvent::KeyPress && T::focusName() == "optAvviso_1";
        QKeyEvent e(t, k.first, k.second, k.first < 0x7f ? QString(QChar(k.first)) : QString(), repeat);
        QApplication::sendEvent(to ? to : &p->inizio(), &e);
    }
    QWidget *buttonAt(QWidget *win) { QWidget *c = win->childAt(win->mapFromGlobal(spot)); return c && c->inherits("OptionButton") ? c : nullptr; }
    void mouse(QWidget *win, QEvent::Type t, Qt::MouseButton b = Qt::NoButton) // through the window, at the spot and the time
    {
        held = t == QEvent::MouseMove ? held : t == QEvent::MouseButtonPress ? held | b : held & ~Qt::MouseButtons(b);
        qt_handleMouseEvent(win->windowHandle(), win->windowHandle()->mapFromGlobal(spot), spot, held, b, t, {}, ms);
    }
    void key(QEvent::Type t, int k, bool repeat = false) // through the window system's door, shortcuts and all
    {
        Qt::KeyboardModifiers m = k & Pad ? Qt::KeypadModifier : Qt::NoModifier;
        for (int d : down)
            m |= d == Qt::Key_Shift ? Qt::ShiftModifier : d == Qt::Key_Control ? Qt::ControlModifier : d == Qt::Key_Alt ? Qt::AltModifier : d == Qt::Key_Meta ? Qt::MetaModifier : Qt::NoModifier;
        QWindow *to = QGuiApplication::focusWindow() ? QGuiApplication::focusWindow() : p->inizio().windowHandle();
        log.push_back(QStringLiteral("key %1/%2%3 %4 on %5").arg(k &= ~Pad, 0, 16).arg(int(m), 0, 16).arg(repeat ? " repeated" : "", t == QEvent::KeyPress ? "down" : "up", T::focusName()));
        chords += t == QEvent::KeyPress && k == Qt::Key_I && m == (Qt::ControlModifier | Qt::AltModifier) && to == p->inizio().windowHandle();
        qt_handleKeyEvent(to, t, k, m, k < 0x7f ? QString(QChar(k)) : QString(), repeat);
    }
    // A pupil's hands on a real keyboard, one event: one more key down (a modifier one time in four) or one of those
    // held let go, so chords of up to five keys; a held key repeating; or time going by, and the automatic scan with it.
    void hands()
    {
        static const int Modifiers[] = {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta};
        const int kind = pick(8), n = int(down.size()), old = n ? down.at(pick(n)) : 0;
        const int k = pick(4) ? (pick(2) ? Qt::Key_Space + pick(0x5f) : Qt::Key_Escape + pick(0x56)) | (pick(4) ? 0 : Pad) : Modifiers[pick(4)];
        if (!p->inizio().isVisible())
            restart();
        else if (kind < 5 && (n > pick(5) || down.contains(k)))
            key(QEvent::KeyRelease, old), down.removeOne(old);
        else if (kind < 5)
            key(QEvent::KeyPress, k), down.push_back(k);
        else if (kind < 6 && n)
            key(QEvent::KeyRelease, old, true), key(QEvent::KeyPress, old, true);
        else
            scan.advance(pick(1500));
    }
    void step()
    {
        FrmOperativo *o = op();
        QWidget *print = (*p)->frmStampa() && (*p)->frmStampa()->isVisible() ? (*p)->frmStampa() : nullptr;
        const int kind = pick(100), how = pick(4), n = pick(35), pad = pick(3) ? Qt::NoModifier : Qt::KeypadModifier;
        const Key k = n < 10 ? Key(Qt::Key(Qt::Key_0 + n), pad) : n < 27 ? Key(Qt::Key("CINESRPAVQZXBO  *"[n - 10]), pad) : Key(OtherKeys[n - 27], pad);
        log.push_back(QStringLiteral("event %1.%2, key %3/%4 on %5").arg(kind).arg(how).arg(k.first, 0, 16).arg(int(k.second), 0, 16).arg(T::focusName()));
        if (!p->inizio().isVisible()) { // "Esci": a new run
            restart();
        } else if (kind < 30) { // on with the exercise: the answer (right four times out of five), or a letter and Enter
            if (print || !o)
                return T::click(print ? T::btn("frmStampa", "optComando_2") : T::btn("FrmInizio", "Option2_0"), T::Buttons[how % 3]);
            QApplication::setActiveWindow(o); // back to it, wherever the pupil was
            const Esercizio::Session &s = (*p)->esercizio().session();
            const bool answering = s.mode == Esercizio::Mode::Answer && (*p)->esercizio().view().front == Esercizio::Frame::fraTastierino;
            for (QChar c : (answering ? QString::number(s.Risultati[size_t(s.RigaCorrente)].toInt() + !pick(5)) : QString("NRS"[how % 3])) + "=") {
                const Key t(c == u'=' ? Qt::Key_Return : Qt::Key(c.unicode()), c.isDigit() && pick(2) ? Qt::KeypadModifier : Qt::NoModifier);
                send(QEvent::KeyPress, t), send(QEvent::KeyRelease, t);
            }
        } else if (kind < 67) { // a key pressed and released, held down (repeated), left down, or only let go
            how != 3 ? send(QEvent::KeyPress, k) : void();
            for (int r = how == 1 ? 1 + pick(5) : 0; r > 0; --r)
                send(QEvent::KeyRelease, k, true), send(QEvent::KeyPress, k, true);
            how != 2 ? send(QEvent::KeyRelease, k) : void();
        } else if (kind < 93) { // a mouse button anywhere on a screen: where the pointer is, or after a move
            QWidget *win = print && pick(2) ? print : o && pick(4) ? static_cast<QWidget *>(o) : &p->inizio();
            QWidget *client = win == print ? win : static_cast<QMainWindow *>(win)->centralWidget();
            for (int h = Qt::LeftButton; h <= Qt::ForwardButton; h <<= 1) // what was held is let go first
                held.testFlag(Qt::MouseButton(h)) ? mouse(win, QEvent::MouseButtonRelease, Qt::MouseButton(h)) : void();
            const bool moves = pick(2) || !client->rect().contains(client->mapFromGlobal(spot));
            if (const QList<OptionButton *> all = client->findChildren<OptionButton *>(); moves) { // anywhere, or on a button
                QWidget *to = pick(2) ? client : all.at(pick(int(all.size())));
                spot = to->mapToGlobal(QPoint(pick(qMax(1, to->width())), pick(qMax(1, to->height()))));
                mouse(win, QEvent::MouseMove), underWhenMoved = buttonAt(win);
            }
            QWidget *on = buttonAt(win);
            log.push_back("mouse on " + (on ? on->objectName() : QString("nothing"))), reached[5] += !moves && on && on != underWhenMoved;
            mayRestart |= on && on->objectName() == "optAvviso_1" && (underWhenMoved == on || T::focusName() == "optAvviso_1");
            ms += 80 + pick(620), mouse(win, QEvent::MouseButtonPress, Qt::MouseButton(1 << n % 5)); // any of five
            if (how) // else held down
                ms += 50 + pick(150), mouse(win, QEvent::MouseButtonRelease, Qt::MouseButton(1 << n % 5));
        } else if (kind < 97) {
            const QSize s = how ? QSize(pick(1400), pick(1000)) : QSize(0, 0);
            o && pick(2) ? o->resizeClient(s) : p->inizio().resizeClient(s);
        } else if (kind < 99) { // the exercise screen closed, or opened again
            o ? void(o->close()) : T::click(T::btn("FrmInizio", "Option2_0"), T::Buttons[how % 3]);
        } else { // the author screen, closed at once
            (o && how ? static_cast<QMainWindow *>(o) : &p->inizio())->findChild<QAction *>("mnuInfo")->trigger();
        }
    }
};

// The teacher's settings untouched: no settings screen, nothing written in their folder (as the kernel tells `watch`).
static QString guard(Pupil &u, int watch)
{
    char e[4096];
    return u.p->inizio().findChild<FrmImpostazioni *>(QString(), Qt::FindDirectChildrenOnly) ? "the settings screen opened"
           : ::read(watch, e, sizeof e) > 0 ? "something written where the settings are" : QString();
}

// What must always hold, the rows done before the step among them (unless mayRestart); empty, or what went wrong.
static QString check(Pupil &u, const QStringList &rows)
{
    if (QWidget *f = QApplication::focusWidget(); f && !f->isEnabled())
        return "the focus on the disabled " + f->objectName();
    if (!u.op())
        return {};
    if (!u.mayRestart && (*u.p)->esercizio().completedRows().mid(0, rows.size()) != rows)
        return QStringLiteral("%1 rows lost, %2 now").arg(rows.size()).arg((*u.p)->esercizio().completedRows().size());
    const Esercizio::Session &s = (*u.p)->esercizio().session();
    const Esercizio::View &v = (*u.p)->esercizio().view();
    Screen &sc = u.op()->screen();
    QString a = FrameNames[int(v.front)], b; // the exercise screen as the session says it is, as the widgets show it
    for (QObject *o : sc.panel("fraAiuto")->parentWidget()->children()) // back to front
        b = o->objectName().startsWith("fra") ? o->objectName() : b;
    for (int f = 0; f < 4; ++f)
        a += v.frameEnabled[size_t(f)] ? " on" : " off", b += sc.panel(FrameNames[f])->isEnabled() ? " on" : " off";
    for (int i = 0; i < Keypad::Buttons; ++i)
        a += v.enabled[size_t(i)] ? "1" : "0", b += sc.button("Option1", i)->isEnabledTo(sc.panel("fraTastierino")) ? "1" : "0";
    for (int g = 0; g < 10; ++g) {
        const VbLabel *cell = sc.label("lblRisultato", g);
        a += QStringLiteral(" %1+%2=%3%4").arg(v.armed[size_t(g)] ? "" : "/", v.Label2[size_t(g)], v.lblRisultato[size_t(g)], v.yellow[size_t(g)] ? "!" : "");
        b += QStringLiteral(" %1+%2=%3%4").arg(sc.line("Line2", g)->isVisible() && !sc.get<QWidget>("lblSegno", g)->isHidden() ? "" : "/",
                                               sc.label("Label2", g)->text(), cell->text(), cell->backColor() == Def::color(Def::Yellow) ? "!" : "");
    }
    if (a != b)
        return "the session says " + a + "\n  the screen shows " + b;
    // One frame enabled, in front, with the focus (or the menu bar); the mode's keys; answering, only the current row armed, showing the answer, "Invio" if any.
    const bool answering = s.mode == Esercizio::Mode::Answer;
    const QString &shown = v.lblRisultato[size_t(std::clamp<int>(s.RigaCorrente, 0, 9))];
    if (std::count(v.frameEnabled.begin(), v.frameEnabled.end(), true) != 1 || !v.frameEnabled[size_t(v.front)]
        || (QApplication::activeWindow() == u.op() && !sc.panel(FrameNames[int(v.front)])->isAncestorOf(QApplication::focusWidget())
            && !(QApplication::focusWidget() && QApplication::focusWidget()->inherits("QMenuBar"))) // Alt alone: the keyboard in the menu bar
        || uint(s.RigaCorrente) > 9 || v.enabled[0] != answering || v.enabled[Keypad::NuovaTabella] == answering || v.enabled[Keypad::Esco] == answering
        || s.Risposta.size() > 3 || s.Risposta.startsWith(u'0') || std::count(v.armed.begin(), v.armed.end(), true) != answering
        || (answering && (!v.armed[size_t(s.RigaCorrente)] || shown != (s.Risposta.isEmpty() ? "?" : s.Risposta) || v.enabled[Keypad::Invio] != (shown != "?"))))
        return QStringLiteral("answer \"%1\", row %2, focus on %3: ").arg(s.Risposta).arg(s.RigaCorrente).arg(T::focusName()) + a;
    u.reached[4] += !answering, ++u.reached[int(v.front)];
    return {};
}

class TstAllievo : public QObject {
    Q_OBJECT
private slots:
    // CALCOLINO_EVENTI events (15000), each followed by every rule; then CALCOLINO_MANI (985000), of the hands but one
    // in 50, every 100th followed by every rule; seed CALCOLINO_SEME. The teacher's settings checked after each, the file at the end.
    void aRandomPupilBreaksNothing()
    {
        const int events = qEnvironmentVariableIsSet("CALCOLINO_EVENTI") ? qEnvironmentVariableIntValue("CALCOLINO_EVENTI") : 15000;
        const int hands = qEnvironmentVariableIsSet("CALCOLINO_MANI") ? qEnvironmentVariableIntValue("CALCOLINO_MANI") : 985000;
        const quint32 seed = qEnvironmentVariableIsSet("CALCOLINO_SEME") ? quint32(qEnvironmentVariableIntValue("CALCOLINO_SEME")) : 20261206u;
        QTimer closer; // what waits in a loop of its own (the author screen, a text field's menu) goes at once
        closer.callOnTimeout([] { if (QWidget *m = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget()) m->close(); });
        closer.start(0);
        QTemporaryDir dir; // the teacher's settings: scanning every second
        const QByteArray file = R"({"profilo": "A", "profili": {"A": {"scansione": true, "periodo_ms": 1000}}})";
        QFile f(dir.filePath("profili.json"));
        const int watch = inotify_init1(IN_NONBLOCK);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) && f.flush() && (f.close(), true)
                && inotify_add_watch(watch, QFile::encodeName(dir.path()), IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVE) >= 0);
        Pupil u(seed, f.fileName());
        for (int i = 0; i < events + hands; ++i) {
            const QStringList rows = u.op() && i < events ? (*u.p)->esercizio().completedRows() : QStringList();
            u.mayRestart = !u.op();
            i < events || !u.pick(50) ? u.step() : u.hands();
            if (const QString fault = (i < events || i % 100 == 0 ? check(u, rows) : QString()) + guard(u, watch); !fault.isEmpty())
                QFAIL(qPrintable(QStringLiteral("event %1, seed %2: %3\nthe last events:\n  %4").arg(i).arg(seed).arg(fault, u.log.mid(u.log.size() - 40).join("\n  "))));
            if (i % 500 == 0)
                QApplication::processEvents(), u.log.remove(0, qMax<qsizetype>(0, u.log.size() - 100));
        }
        // Every frame, the end of a sheet, a press on a button come up under the pointer and Ctrl+Alt+I on the start
        // screen (which once opened the settings) reached, or it proves little.
        QVERIFY(std::find(u.reached + 1, u.reached + 6, 0) == u.reached + 6 && u.chords);
        QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == file);
    }
};

QTEST_MAIN(TstAllievo)
#include "tst_allievo.moc"
