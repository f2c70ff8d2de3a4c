// The switch adapted to the pupil, on the real screens with clocks moved on by hand: the scan's
// timing, one-switch answers, the presses' timing (the highlight's border: tst_aspetto, tst_frmimpostazioni).
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "screens/ScreenDef.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QMenu>

class TstSensore : public QObject {
    Q_OBJECT
    T::Clock clock;
    std::unique_ptr<T::Program> p;
    void start(const AutoScan::Timing &t) // the start screen, scanning every second
    {
        p = std::make_unique<T::Program>([] { return 4321.25; }, &clock);
        (*p)->setScanTiming(t), (*p)->setScanPeriod(t.periodMs);
    }

private slots:
    void cleanup() { p.reset(); } // its screens go with it
    // A script of milliseconds, "k5" (the key 5), "v"/"^" (the switch down/up), on the start
    // screen; then the highlighted button, whether it is lit, the table chosen. The first button
    // after the program moved the highlight stays `first`% of the period; the scan waits after
    // `rounds` rounds of the eleven tables; inverse scanning moves only while the switch is held.
    void timing_data()
    {
        QTest::addColumn<int>("first"), QTest::addColumn<int>("rounds"), QTest::addColumn<bool>("inverse"), QTest::addColumn<QString>("script"), QTest::addColumn<QString>("expected");
        const struct { int first, rounds; bool inverse; const char *script, *expected; } rows[] = {
            {300, 1, 0, "2999", "Option1_0 lit Tabella "}, {300, 1, 0, "3000 999", "Option1_1 lit Tabella "},
            {300, 1, 0, "3000 1000", "Option1_2 lit Tabella "}, {300, 1, 0, "k5 2999", "Option1_5 lit Tabella "},
            {300, 1, 0, "k5 3000", "Option1_6 lit Tabella "}, {300, 1, 0, "12999", "Option1_10 lit Tabella "},
            {300, 1, 0, "13000", "Option1_10 dark Tabella "}, {150, 10, 0, "110499", "Option1_10 lit Tabella "},
            {150, 10, 0, "110500", "Option1_10 dark Tabella "}, {200, 1, 1, "50000", "Option1_0 lit Tabella "},
            {200, 1, 1, "v 1999", "Option1_0 lit Tabella "}, {200, 1, 1, "v 14000", "Option1_2 lit Tabella "},
            {200, 1, 1, "v 14000 ^ 9000", "Option2_0 lit Tabella del 2"}, {300, 1, 0, "3000 m 1000 M 1000", "Option1_2 lit Tabella "}};
        for (const auto &r : rows)
            QTest::addRow("%d%% %d %s: %s", r.first, r.rounds, r.inverse ? "inverse" : "", r.script)
                << r.first << r.rounds << r.inverse << r.script << r.expected;
    }
    void timing()
    {
        QFETCH(int, first); QFETCH(int, rounds); QFETCH(bool, inverse); QFETCH(QString, script); QFETCH(QString, expected);
        start({1000, first, rounds, true, inverse});
        QMenu menu; // "m": the teacher opens a menu, the highlight stays and the scan keeps its beat; "M" closes it
        menu.addAction("Autore");
        for (const QString &s : script.split(' '))
            s == "k5" ? T::windowKey(QEvent::KeyPress, Qt::Key_5), T::windowKey(QEvent::KeyRelease, Qt::Key_5)
            : s == "v" || s == "^" ? T::windowKey(s == "v" ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space)
            : s == "m" || s == "M" ? menu.setVisible(s == "m") : clock.advance(s.toInt());
        const bool lit = T::colour(QApplication::focusWidget()) == Def::color(Def::Focus);
        QCOMPARE(T::focusName() + (lit ? " lit " : " dark ") + T::lbl("FrmInizio", "Label1")->text(), expected);
    }

    // One sheet of the table of 7 with the switch alone, pressed as soon as the highlight reaches
    // the next digit or "Invio": the steps waited, with the highlight staying on a digit pressed
    // (before) and sent to "Invio" (now).
    void fewerSteps()
    {
        int steps[2] = {};
        for (const bool toInvio : {false, true}) {
            start({1000, 100, 3, toInvio});
            QTest::mouseClick(T::btn("FrmInizio", "Option1_7"), Qt::LeftButton);
            QTest::mouseClick(T::btn("FrmInizio", "Option2_0"), Qt::LeftButton);
            T::activate((*p)->frmOperativo());
            const Esercizio::Session &s = (*p)->esercizio().session();
            for (int i = 0; s.RigheFatte < 10 && clock.left > 0 && i < 5000; ++i) {
                const QString want = QString::number(T::expected(s.RigaCorrente)), typed = s.Risposta.trimmed();
                if (T::focusName() == "Option1_" + (typed.size() < want.size() ? want.at(typed.size()) : QString("11")))
                    T::windowKey(QEvent::KeyPress, Qt::Key_Space), T::windowKey(QEvent::KeyRelease, Qt::Key_Space);
                else
                    clock.advance(clock.left), ++steps[toInvio];
            }
            QCOMPARE((*p)->esercizio().session().RigheFatte, 10);
            p.reset();
        }
        qInfo("Scan steps for a sheet of the table of 7: %d before, %d now", steps[0], steps[1]);
        QVERIFY(steps[1] <= steps[0] * 7 / 10);
    }

    // Presses of "1" on the keypad at the window, "start+length" ms on the presses' clock, by key
    // and by mouse button: how many digits they typed.
    void pressTimes_data()
    {
        QTest::addColumn<int>("acceptance"), QTest::addColumn<int>("ignore"), QTest::addColumn<QString>("presses"), QTest::addColumn<int>("typed");
        const struct { int acceptance, ignore; const char *presses; int typed; } rows[] = {
            {300, 0, "0+150", 0}, {300, 0, "0+350", 1}, {300, 0, "0+150 160+150", 0}, // two short ones are no long one
            {0, 500, "0+50 200+50", 1}, {0, 500, "0+50 600+50", 2}, {300, 500, "0+350 400+350 1300+350", 2},
            {300, 0, "0+400r", 1}, {0, 500, "0+50 200+800r", 1}}; // r: held, a press the toolkit did not mark as a repeat halfway
        for (const auto &r : rows)
            QTest::addRow("%d %d %s", r.acceptance, r.ignore, r.presses) << r.acceptance << r.ignore << r.presses << r.typed;
    }
    void pressTimes()
    {
        QFETCH(int, acceptance); QFETCH(int, ignore); QFETCH(QString, presses); QFETCH(int, typed);
        for (const bool mouse : {false, true}) {
            T::Program program;
            qint64 now = 0;
            QWindow *window = program.open(7).windowHandle();
            program->pressTiming().setClock([&now] { return now; });
            program->pressTiming().setTimes(acceptance, ignore);
            const QPoint at = T::key(1)->mapTo(T::key(1)->window(), T::key(1)->rect().center());
            for (const QString &press : presses.split(' ')) {
                const int from = press.section('+', 0, 0).toInt(), length = press.section('+', 1).remove('r').toInt();
                now = from;
                mouse ? QTest::mousePress(window, Qt::MiddleButton, {}, at) : T::windowKey(QEvent::KeyPress, Qt::Key_1, false, window);
                if (now += length / 2; press.endsWith('r') && !mouse)
                    T::windowKey(QEvent::KeyPress, Qt::Key_1, false, window);
                now = from + length;
                mouse ? QTest::mouseRelease(window, Qt::MiddleButton, {}, at) : T::windowKey(QEvent::KeyRelease, Qt::Key_1, false, window);
                QCoreApplication::sendPostedEvents();
            }
            QCOMPARE(program.session().Risposta.trimmed().size(), typed);
        }
    }
};

QTEST_MAIN(TstSensore)
#include "tst_sensore.moc"
