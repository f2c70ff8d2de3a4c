// Automatic scanning as a pupil with a single switch meets it on the real screens: the highlight moving by
// itself once a period (a clock moved on by hand), on time on a busy machine too, the switch pressing, the pause.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"

namespace {
const int Period = 1500;

void tap(const QString &k) // "Space*": held down, its second press marked as a repeat
{
    const Qt::Key c = QKeySequence(QString(k).remove('*'))[0].key();
    T::windowKey(QEvent::KeyPress, c), k.endsWith('*') ? T::windowKey(QEvent::KeyPress, c, true) : void(), T::windowKey(QEvent::KeyRelease, c);
}
// A click as the mouse sends it: to the window, which gives the focus to the button under it; the
// pointer moved there first, from a button that may have been just there in the last case.
void click(QWidget *w, Qt::MouseButton b = Qt::LeftButton)
{
    const QPoint at = w->mapTo(w->window(), w->rect().center());
    QTest::mouseMove(w->window()->windowHandle(), at - QPoint(1, 1)), QTest::mouseMove(w->window()->windowHandle(), at);
    QTest::mouseClick(w->window()->windowHandle(), b, {}, at);
}
}

class TstScansione : public QObject {
    Q_OBJECT
    T::Clock clock;
    std::unique_ptr<T::Program> p; // a program of its own for each case, scanning every 1.5 s

    // "Option1_: 5 6 0": the button highlighted now, then after each period.
    void expectOrder(const QString &order)
    {
        const QStringList names = order.section(' ', 1).split(' ');
        for (int i = 0; i < names.size(); clock.advance(Period), ++i)
            QCOMPARE(T::focusName(), order.section(':', 0, 0) + names[i]);
    }

private slots:
    void init() { clock.late = 0, p = std::make_unique<T::Program>([] { return 4321.25; }, &clock), (*p)->setScanPeriod(Period); }
    void cleanup() { p.reset(); }

    // Runs a script: "open" (table 7's sheet, where no answer of one digit is right), "+n" n periods ("+n-1": a
    // millisecond less), "late" each period's end seen 40 ms late from then on, "right:Name" the right mouse
    // button on the start screen's button, else a key ("*": held down). SPACE is the switch: it confirms.
    void run(const QString &script)
    {
        for (const QString &k : script.split(' ', Qt::SkipEmptyParts)) {
            if (k == "open") { // the exercise screen at its design size
                click(T::btn("FrmInizio", "Option1_7")), click(T::btn("FrmInizio", "Option2_0"));
                (*p)->frmOperativo()->showNormal(), (*p)->frmOperativo()->resizeClient(Twips::toPx(QSizeF(11910, 8595)));
                T::activate((*p)->frmOperativo());
            } else if (k == "late")
                clock.late = 40;
            else if (k.startsWith('+'))
                clock.advance(k.mid(1).section('-', 0, 0).toInt() * Period - k.section('-', 1).toInt());
            else if (k.contains(':'))
                click(T::btn("FrmInizio", k.section(':', 1)), Qt::RightButton);
            else
                tap(k);
        }
    }

    // After a script, SPACE's order round and round ("Option1_: 8 9"), or the focus, whether it is lit and the
    // table chosen. The last button of the third round has its whole period and a press in it acts; then the
    // scan waits with no button lit: a key only wakes it, a mouse press on a button presses it.
    void scan_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        const char *rows[][2] = {
            {"", "Option1_: 0 1 2 3 4 5 6 7 8 9 10 0 1"}, {"8", "Option1_: 8 9 10 0"},
            {"late +1 +1-40", "Option1_: 2 3"}, {"+2-800 8 +1-1", "Option1_: 8 9"}, // a key: a new period
            {"+3 Space*", "Option2_: 0 1 2 0"}, // held, it confirms once
            {"open", "Option1_: 0 1 2 3 4 5 6 7 8 9 10 0 1"}, // not Invio, Nuova Tabella, Esco
            {"open +5 Space", "Option1_: 11 0 1"}, // a digit typed by the switch: on to Invio
            {"open 5 Space +1 Space", "Option1_: 0 1 2"}, // "NO": try again
            {"+33-1 Space", "Option2_0 lit Tabella del 10"},
            {"+33 Space +1", "Option1_0 lit Tabella "}, // woken, on again
            {"+33 5 +1", "Option1_0 lit Tabella "},
            {"+33 right:Option1_7", "Option2_0 lit Tabella del 7"},
            {"open 5 Space +26", "Option3_1 dark Tabella del 7"}}; // three rounds of two, and it stays
        for (const auto &r : rows)
            QTest::newRow(*r[0] ? r[0] : "start") << r[0] << r[1];
    }
    void scan()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        run(script);
        if (expected.contains(':')) {
            QCOMPARE(bool(T::top("frmOperativo")), script.contains("open")); // nothing pressed on the way
            return expectOrder(expected);
        }
        QWidget *f = QApplication::focusWidget(); // as the window shows it
        const QRect r(f->mapTo(f->window(), QPoint()), f->size());
        const bool lit = T::pixels(T::seen(f->window()), QColor(255, 192, 128), r) > r.width() * r.height() / 2;
        QCOMPARE(T::focusName() + (lit ? " lit " : " dark ") + T::lbl("FrmInizio", "Label1")->text(), expected);
    }

    // The teacher's name field keeps its keys, SPACE included; the scan waits until Enter leaves it.
    void nameField()
    {
        emit (*p)->esercizio().printRequested();
        QTRY_VERIFY(T::top("frmStampa") && QApplication::activeWindow() == T::top("frmStampa"));
        click(T::w("frmStampa", "txtNome"));
        tap("A"), tap("Space"), tap("B"), clock.advance(5 * Period);
        QCOMPARE(T::focusName() + T::w("frmStampa", "txtNome")->property("text").toString(), QString("txtNomea b"));
        tap("Return");
        expectOrder("optComando_: 0 1 2 0");
    }
};

QTEST_MAIN(TstScansione)
#include "tst_scansione.moc"
