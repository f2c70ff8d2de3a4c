// Automatic scanning as a pupil with a single switch meets it on the real screens: the highlight
// moving by itself once a period (a clock moved on by hand), the switch pressing, the pause after
// three rounds.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>

namespace {
const int Period = 1500;

// The scan's clock moved on by hand, a millisecond at a time; `elapsed` may start the next period.
struct Clock : ScanClock {
    int left = -1; // ms to the end of the period; -1: stopped
    std::function<void()> elapsed;
    void start(int ms, std::function<void()> f) override { left = ms, elapsed = std::move(f); }
    void stop() override { left = -1; }
    void advance(int ms) { for (; ms > 0 && left > 0; --ms) if (--left == 0) std::function<void()>{elapsed}(); }
};

// A key as the keyboard sends it: to the window, where held keys are dropped, on to the focus.
void key(QEvent::Type type, Qt::Key k, bool repeat = false)
{
    QKeyEvent e(type, k, {}, k == Qt::Key_Return ? "\r" : k < 0x80 ? QString(QChar(k)).toLower() : QString(), repeat);
    QApplication::sendEvent(QApplication::focusWidget()->window()->windowHandle(), &e);
}
void tap(const QString &k) // "Space*": held down, its second press marked as a repeat
{
    const Qt::Key c = QKeySequence(QString(k).remove('*'))[0].key();
    key(QEvent::KeyPress, c), k.endsWith('*') ? key(QEvent::KeyPress, c, true) : void(), key(QEvent::KeyRelease, c);
}
// A click as the mouse sends it: to the window, which gives the focus to the button under it.
void click(QWidget *w, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mouseClick(w->window()->windowHandle(), b, {}, w->mapTo(w->window(), w->rect().center()));
}
QString chosen() { return T::lbl("FrmInizio", "Label1")->text(); }
}

class TstScansione : public QObject {
    Q_OBJECT
    Clock clock;
    std::unique_ptr<Programma> p; // a program of its own for each case, scanning every 1.5 s

    // "Option1_: 5 6 0": from the button highlighted now, the highlight stays a whole period less a
    // millisecond on each button, then moves to the next.
    void expectOrder(const QString &order)
    {
        const QString array = order.section(' ', 0, 0).chopped(1);
        const QStringList names = order.section(' ', 1).split(' ');
        QCOMPARE(T::focusName(), array + names[0]);
        for (int i = 1; i < names.size(); ++i) {
            clock.advance(Period - 1);
            QCOMPARE(T::focusName(), array + names[i - 1]);
            clock.advance(1);
            QCOMPARE(T::focusName(), array + names[i]);
        }
    }
    void open(int table) // the exercise screen at its design size
    {
        click(T::btn("FrmInizio", QStringLiteral("Option1_%1").arg(table))), click(T::btn("FrmInizio", "Option2_0"));
        p->frmOperativo()->showNormal();
        p->frmOperativo()->resizeClient(Twips::toPx(QSizeF(11910, 8595)));
        T::activate(p->frmOperativo());
    }

private slots:
    void init()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        p = std::make_unique<Programma>([] { return 4321.25; }, nullptr, Period, &clock);
        p->frmInizio().show();
        p->frmInizio().resizeClient(Twips::toPx(QSizeF(11880, 8310)));
        T::activate(&p->frmInizio());
    }
    void cleanup()
    {
        p.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    // SPACE's order, round and round, from where the program leaves the highlight after the keys
    // typed ("open": table 7's sheet, where no answer of one digit is right; "+n": n periods; "*":
    // held down), each half a period into the running one. SPACE is the switch: it confirms.
    void order_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("order");
        QTest::addRow("the tables") << "" << "Option1_: 0 1 2 3 4 5 6 7 8 9 10 0 1";
        QTest::addRow("a table by its digit") << "8" << "Option1_: 8 9 10 0";
        QTest::addRow("the commands after Enter") << "Return" << "Option2_: 0 1 2 0 1";
        QTest::addRow("the commands after the switch") << "+4 Space" << "Option2_: 0 1 2 0";
        QTest::addRow("the switch held: confirms once") << "+3 Space*" << "Option2_: 0 1";
        QTest::addRow("keypad without Invio, Nuova Tabella, Esco") << "open" << "Option1_: 0 1 2 3 4 5 6 7 8 9 10 0 1";
        QTest::addRow("keypad from Invio after a digit") << "open 5" << "Option1_: 11 0 1";
        QTest::addRow("the switch on a digit: typed, the highlight stays") << "open +5 Space" << "Option1_: 5 6 7 8 9 10 11 0";
        QTest::addRow("the switch on Invio: the help offer") << "open 5 Space" << "Option3_: 0 1 0 1";
        QTest::addRow("the switch on NO: try again") << "open 5 Space +1 Space" << "Option1_: 0 1 2";
    }
    void order()
    {
        QFETCH(QString, keys);
        QFETCH(QString, order);
        for (const QString &k : keys.split(' ', Qt::SkipEmptyParts)) {
            clock.advance(k.startsWith('+') ? k.toInt() * Period : Period / 2);
            if (k == "open")
                open(7);
            else if (!k.startsWith('+'))
                tap(k);
        }
        QCOMPARE(bool(T::top("frmOperativo")), keys.contains("open")); // nothing pressed on the way
        expectOrder(order);
    }

    // Three rounds without a press and the highlight waits; the next press of any kind only wakes it.
    void pause_data()
    {
        QTest::addColumn<QString>("press");
        for (const char *press : {"Space", "Return", "5", "X", "right on 7", "left on Vai"})
            QTest::addRow("%s", press) << press;
    }
    void pause()
    {
        QFETCH(QString, press);
        for (int periods : {32, 1, 1, 20}) { // three rounds of eleven, then no more
            clock.advance(periods * Period);
            QCOMPARE(T::focusName(), QString(periods == 32 ? "Option1_10" : "Option1_0"));
        }
        const Qt::MouseButton button = press.startsWith("right") ? Qt::RightButton : Qt::LeftButton;
        press.contains(' ') ? click(T::btn("FrmInizio", press.endsWith('7') ? "Option1_7" : "Option2_0"), button) : tap(press);
        QCOMPARE(T::focusName() + chosen(), QString("Option1_0Tabella ")); // nothing done
        expectOrder("Option1_: 0 1");
        tap("Space");
        QCOMPARE(T::focusName() + chosen(), QString("Option2_0Tabella dell' 1"));
    }

    // The teacher's name field keeps its keys, SPACE included; the scan waits until Enter leaves it.
    void nameField()
    {
        emit p->esercizio().printRequested();
        QTRY_VERIFY(T::top("frmStampa") && QApplication::activeWindow() == T::top("frmStampa"));
        expectOrder("optComando_: 0 1");
        click(T::w("frmStampa", "txtNome"));
        tap("A"), tap("Space"), tap("B");
        clock.advance(5 * Period);
        QCOMPARE(T::focusName() + T::w("frmStampa", "txtNome")->property("text").toString(), QString("txtNomea b"));
        tap("Return");
        expectOrder("optComando_: 0 1 2 0");
    }

    // The program's own clock: a new period takes the place of the one running.
    void timerClock()
    {
        TimerClock timer;
        QString ended;
        timer.start(60000, [&] { ended += "long "; });
        timer.start(1, [&] { ended += "short"; });
        QTRY_COMPARE(ended, QString("short"));
    }
};

QTEST_MAIN(TstScansione)
#include "tst_scansione.moc"
