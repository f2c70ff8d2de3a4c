// The switch adapted to the pupil, on the real screens with clocks moved on by hand: the scan's
// timing, one-switch answers, the presses' timing and the highlight's border.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "exercise/FrmOperativo.h"
#include "screens/ScreenDef.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTemporaryDir>
#include <cmath>

namespace {
const int Period = 1000;

struct Clock : ScanClock { // as in the scan's own test: a millisecond at a time
    int left = -1;
    std::function<void()> elapsed;
    void start(int ms, std::function<void()> f) override { left = ms, elapsed = std::move(f); }
    void stop() override { left = -1; }
    void advance(int ms) { for (; ms > 0 && left > 0; --ms) if (--left == 0) std::function<void()>{elapsed}(); }
};

void key(QEvent::Type type, Qt::Key k) // to the window, as the keyboard sends it
{
    QKeyEvent e(type, k, {}, k == Qt::Key_Space ? " " : QString(QChar(k)));
    QApplication::sendEvent(QApplication::focusWidget()->window()->windowHandle(), &e);
}
void tap(Qt::Key k) { key(QEvent::KeyPress, k), key(QEvent::KeyRelease, k); }
double luminance(QColor c) // WCAG's relative luminance
{
    const auto f = [](int v) { return v / 255.0 <= 0.03928 ? v / 255.0 / 12.92 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * f(c.red()) + 0.7152 * f(c.green()) + 0.0722 * f(c.blue());
}
double contrast(QColor a, QColor b)
{
    const double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}
bool lit() { return T::colour(QApplication::focusWidget()) == Def::color(Def::Focus); }
}

class TstSensore : public QObject {
    Q_OBJECT
    Clock clock;
    std::unique_ptr<Programma> p;

    void start(const AutoScan::Timing &t)
    {
        QApplication::setQuitOnLastWindowClosed(false);
        p = std::make_unique<Programma>([] { return 4321.25; }, nullptr, t.periodMs, &clock);
        p->setScanTiming(t);
        p->frmInizio().show();
        p->frmInizio().resizeClient(Twips::toPx(QSizeF(11880, 8310)));
        T::activate(&p->frmInizio());
    }

private slots:
    void cleanup()
    {
        p.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    // The first button after the program moved the highlight (the screen shown, a key naming a
    // table) stays `first` times the period, the others one period; after `rounds` rounds of the
    // eleven tables the highlight goes off.
    void timing_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("rounds");
        QTest::newRow("as designed") << 100 << 3;
        QTest::newRow("3x, one round") << 300 << 1;
        QTest::newRow("1.5x, ten rounds") << 150 << 10;
    }
    void timing()
    {
        QFETCH(int, first);
        QFETCH(int, rounds);
        start({Period, first, rounds, true});
        for (const char *name : {"Option1_0", "Option1_5"}) {
            if (name[8] == '5')
                tap(Qt::Key_5);
            QCOMPARE(T::focusName(), QString(name));
            clock.advance(Period * first / 100 - 1);
            QCOMPARE(T::focusName(), QString(name));
            clock.advance(1);
            QVERIFY(T::focusName() != QString(name));
            clock.advance(Period - 1);
            QVERIFY(T::focusName() != QString(name));
        }
        clock.advance((rounds * 11 - 2) * Period); // to the end of the last round's last button
        QVERIFY(lit());
        clock.advance(1);
        QVERIFY(!lit());
    }

    // Inverse scanning: the highlight waits until the switch goes down, moves while it is held,
    // and its release presses the highlighted table.
    void inverse()
    {
        start({Period, 200, 1, true, true});
        clock.advance(50 * Period);
        QCOMPARE(T::focusName(), QString("Option1_0"));
        key(QEvent::KeyPress, Qt::Key_Space);
        clock.advance(2 * Period - 1);
        QCOMPARE(T::focusName(), QString("Option1_0"));
        clock.advance(1 + 12 * Period); // round and round: it never pauses while held
        QCOMPARE(T::focusName(), QString("Option1_2"));
        QVERIFY(lit());
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella "));
        key(QEvent::KeyRelease, Qt::Key_Space);
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 2"));
        clock.advance(5 * Period);
        QCOMPARE(T::focusName(), QString("Option2_0"));
    }

    // One whole sheet of the table of 7 answered with the switch alone, pressed as soon as the
    // highlight reaches the next digit or "Invio": the steps the pupil waits, with a digit
    // sending the highlight to "Invio" and with the highlight staying on it.
    void fewerSteps()
    {
        int steps[2] = {};
        for (const bool toInvio : {false, true}) {
            start({Period, 100, 3, toInvio});
            QTest::mouseClick(T::btn("FrmInizio", "Option1_7"), Qt::LeftButton);
            QTest::mouseClick(T::btn("FrmInizio", "Option2_0"), Qt::LeftButton);
            T::activate(p->frmOperativo());
            while (p->esercizio().session().RigheFatte < 10 && steps[toInvio] < 2000) {
                const Esercizio::Session &s = p->esercizio().session();
                const QString want = QString::number(T::expected(s.RigaCorrente)), typed = s.Risposta.trimmed();
                const QString next = typed.size() < want.size() ? want.at(typed.size()) : QStringLiteral("11");
                QVERIFY(clock.left > 0);
                if (T::focusName() == "Option1_" + next)
                    tap(Qt::Key_Space);
                else
                    clock.advance(clock.left), ++steps[toInvio];
            }
            cleanup();
        }
        qInfo("Steps for a sheet of the table of 7: %d before, %d now", steps[0], steps[1]);
        QVERIFY2(steps[1] <= steps[0] * 7 / 10, qPrintable(QString("%1 -> %2").arg(steps[0]).arg(steps[1])));
    }

    // Presses of "1" on the keypad, each "start+length" ms on the presses' clock, by key and by
    // mouse button: how many digits they typed.
    void pressTimes_data()
    {
        QTest::addColumn<int>("acceptance");
        QTest::addColumn<int>("ignore");
        QTest::addColumn<QString>("presses");
        QTest::addColumn<int>("typed");
        QTest::newRow("300: 150 ms does nothing") << 300 << 0 << "0+150" << 0;
        QTest::newRow("300: 350 ms acts") << 300 << 0 << "0+350" << 1;
        QTest::newRow("300: two short ones are no long one") << 300 << 0 << "0+150 160+150" << 0;
        QTest::newRow("ignore 500: 200 ms later ignored") << 0 << 500 << "0+50 200+50" << 1;
        QTest::newRow("ignore 500: 600 ms later acts") << 0 << 500 << "0+50 600+50" << 2;
        QTest::newRow("both: from when it acted") << 300 << 500 << "0+350 400+350 1300+350" << 2;
    }
    void pressTimes()
    {
        QFETCH(int, acceptance);
        QFETCH(int, ignore);
        QFETCH(QString, presses);
        QFETCH(int, typed);
        for (const bool mouse : {false, true}) {
            T::Program program;
            qint64 now = 0;
            program.open(7);
            program->pressTiming().setClock([&now] { return now; });
            program->pressTiming().setTimes(acceptance, ignore);
            QWindow *window = program.operativo().windowHandle();
            const QPoint at = T::key(1)->mapTo(T::key(1)->window(), T::key(1)->rect().center());
            for (const QString &press : presses.split(' ')) {
                for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                    now = press.section('+', 0, 0).toInt() + (type == QEvent::KeyRelease ? press.section('+', 1).toInt() : 0);
                    QKeyEvent key(type, Qt::Key_1, {}, "1");
                    if (!mouse)
                        QApplication::sendEvent(window, &key);
                    else if (type == QEvent::KeyPress)
                        QTest::mousePress(window, Qt::MiddleButton, {}, at);
                    else
                        QTest::mouseRelease(window, Qt::MiddleButton, {}, at);
                    QCoreApplication::sendPostedEvents();
                }
            }
            QCOMPARE(program.session().Risposta.trimmed().size(), typed);
        }
    }

    // What the teacher changes on the settings screen holds at once, before any "Salva".
    void fromTheSettingsScreen()
    {
        QTemporaryDir dir;
        Impostazioni settings(dir.filePath("profili.json"));
        T::Program program;
        FrmImpostazioni *f = FrmImpostazioni::open(*program, settings);
        f->findChild<QComboBox *>("evidenziazione")->setCurrentIndex(1);
        f->findChild<QDoubleSpinBox *>("accettazione_ms")->setValue(2);
        f->close();
        T::activate(&program.inizio());
        const QImage lit = T::shot(QApplication::focusWidget());
        QCOMPARE(lit.pixelColor(1, lit.height() / 2), OptionButton::HighlightBorder);
        QWidget *five = T::btn("FrmInizio", "Option1_5"); // clicked at the window, far quicker than 2 s
        QTest::mouseClick(five->window()->windowHandle(), Qt::LeftButton, {}, five->mapTo(five->window(), QPoint(5, 5)));
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella "));
        OptionButton::setHighlightBorder(false);
    }

    // The highlighted key as the window shows it: with the border asked for, a band of one colour
    // all round, at least 4 px at full HD and narrower in a smaller window, in 3:1 contrast with
    // the button's colour inside it and the screen's around it; with the design's colour alone,
    // none.
    void border()
    {
        T::Program program;
        FrmOperativo &op = program.open(7);
        int widths[2] = {};
        for (const int border : {0, 1, 1}) {
            OptionButton::setHighlightBorder(border);
            const bool full = widths[0] > 0;
            if (full)
                op.resizeClient(QSize(1920, 1080));
            QWidget *key = QApplication::focusWidget();
            const QRect at = key->geometry().translated(key->parentWidget()->mapTo(&op, QPoint()));
            const QImage img = T::seen(&op);
            const QColor edge = img.pixelColor(at.left(), at.center().y());
            int w = 0;
            while (w < at.width() / 2 && img.pixelColor(at.left() + w, at.center().y()) == edge
                   && img.pixelColor(at.center().x(), at.bottom() - w) == edge)
                ++w;
            if (!border) {
                QVERIFY(w <= 1); // the design's one-pixel edge
                continue;
            }
            widths[full] = w;
            QVERIFY2(contrast(edge, img.pixelColor(at.left() + w + 1, at.center().y())) >= 3, "against the button");
            QVERIFY2(contrast(edge, img.pixelColor(at.left() - 2, at.center().y())) >= 3, "against the screen");
        }
        OptionButton::setHighlightBorder(false);
        QVERIFY2(widths[1] >= 4 && widths[0] < widths[1], qPrintable(QString("%1 %2").arg(widths[0]).arg(widths[1])));
    }
};

QTEST_MAIN(TstSensore)
#include "tst_sensore.moc"
