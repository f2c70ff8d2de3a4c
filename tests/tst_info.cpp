// The instructions and author screens: what they show, how the pupil closes them, and where
// the focus is on the main screens once they have closed; the exercise screen's menu.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <functional>

namespace {

const QStringList Istruzioni = {
    " I dati possono essere immessi con: ", " - la tastiera ed il tastierino", " - il mouse", " - la scansione manuale",
    "", "", " PER UTILIZZARE LA TASTIERA ED IL TASTIERINO", " Premere il numero ordinale del pulsante.",
    " Oltre il numero 9 premere la lettera iniziale dei pulsanti.",
    QString::fromUtf8(" La funzione del tasto INVIO \xC3\xA8 sostituita dal pulsante "), " AVANTI del tasto programma", "",
    " PER UTILIZZARE  IL MOUSE ", " Cliccare con il pulsante sinistro.", "", " PER UTILIZZARE LA SCANSIONE MANUALE ",
    " Premere la BARRA-SPAZIO per scegliere, premere INVIO per confermare."};

// What became of the modal screen an action opened.
struct Esito {
    QString nome;               // objectName of the screen that opened, empty when none did
    bool rimastoAperto = false; // the pupil's step did not close it
    bool distrutto = false;     // nothing of it is left once it has closed
};

// Runs `apri`, which opens a modal screen and waits for it; once the screen is up and active,
// `sulloSchermo` works it as the pupil would and should close it.
Esito conSchermoModale(const std::function<void()> &apri, const std::function<void(QDialog *)> &sulloSchermo)
{
    Esito esito;
    QPointer<QDialog> aperto;
    QTimer timer; // gone with this call when nothing modal opened
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        aperto = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!aperto)
            return;
        esito.nome = aperto->objectName();
        if (QTest::qWaitFor([&] { return aperto && QApplication::activeWindow() == aperto; }))
            sulloSchermo(aperto);
        if (aperto && aperto->isVisible()) {
            esito.rimastoAperto = true;
            aperto->reject();
        }
    });
    timer.start(0);
    apri();
    esito.distrutto = !aperto;
    return esito;
}

// A click where the widget is on the screen, as the window system delivers it: a window that
// waits for a modal screen does not get it.
void clicSulloSchermo(QWidget *w)
{
    const QPoint p = w->mapTo(w->window(), w->rect().center());
    QTest::mousePress(w->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(w->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, p);
}

void cliccaMenu(QMainWindow *w, const char *action)
{
    QAction *a = w->findChild<QAction *>(QLatin1String(action));
    QVERIFY(a);
    QTest::mouseClick(w->menuBar(), Qt::LeftButton, Qt::NoModifier, w->menuBar()->actionGeometry(a).center());
}

// Opens the author screen from a main screen's menu, closes it with Enter, and waits for the
// main screen to be active again.
void autoreDalMenu(QMainWindow *w)
{
    const Esito e = conSchermoModale([w] { cliccaMenu(w, "mnuInfo"); }, [](QDialog *) { T::premi(Qt::Key_Return); });
    QCOMPARE(e.nome, QString("frmAutore"));
    QVERIFY(!e.rimastoAperto);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(w));
}
}

class TstInfo : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup() { T::chiudi(); }

    void whatTheScreensShowAndEveryWayOfClosingThem()
    {
        const std::function<void(QDialog *)> modi[] = {
            [](QDialog *) { T::premi(Qt::Key_Return); },
            [](QDialog *) { T::premi(Qt::Key_Enter, Qt::KeypadModifier); },
            [](QDialog *) { T::premi(Qt::Key_Space); },
            [](QDialog *d) { T::clic(d->findChild<QWidget *>("Command1"), Qt::LeftButton); },
            [](QDialog *d) { T::clic(d->findChild<QWidget *>("Command1"), Qt::RightButton); },
            [](QDialog *d) { d->close(); }};
        for (const char *nome : {"frmIstruzioni", "frmAutore"}) {
            const bool autore = nome == QLatin1String("frmAutore");
            for (const auto &chiudi : modi) { // made afresh at every opening
                const Esito e = conSchermoModale([&] { (autore ? InfoScreen::frmAutore : InfoScreen::frmIstruzioni)(&T::P().frmInizio())->showModal(); },
                                                 [&](QDialog *d) {
                    // Keys that are not the close button's leave the screen as it is.
                    for (Qt::Key k : {Qt::Key_Escape, Qt::Key_C, Qt::Key_1, Qt::Key_Tab})
                        T::tasto(k);
                    QCOMPARE(T::focusName(), QString("Command1"));
                    QCOMPARE(T::btn(nome, "Command1")->text(), QString("C h i u d i"));
                    if (autore) {
                        QCOMPARE(d->windowTitle(), QString("Autore"));
                        QCOMPARE(d->size(), Twips::toPx(QRectF(0, 0, 6975, 3510)).size());
                        QCOMPARE(T::lbl(nome, "Label1")->text(), QString("Sito dell'autore:"));
                        QVERIFY(!T::lbl(nome, "Label2")->text().isEmpty());
                        QCOMPARE(T::lbl(nome, "Label3")->text(), QString("Email:"));
                        QVERIFY(T::lbl(nome, "Label4")->text().contains('@'));
                    } else {
                        QCOMPARE(d->windowTitle(), QString("ISTRUZIONI"));
                        QCOMPARE(T::lbl(nome, "Label1")->text(), Istruzioni.join(QChar(13)));
                        QCOMPARE(d->size(), Twips::toPx(QRectF(0, 0, 9000, 5745)).size());
                        QCOMPARE(T::w(nome, "Label1")->geometry(), Twips::toPx(QRectF(420, 240, 7995, 4710)));
                    }
                    chiudi(d);
                });
                QCOMPARE(e.nome, QString(nome));
                QVERIFY(!e.rimastoAperto && e.distrutto);
            }
        }
    }

    void theFocusOnceTheAuthorScreenHasClosed()
    {
        // The start screen waits meanwhile (a click on a table does nothing); then "0" has the focus.
        FrmInizio &inizio = T::P().frmInizio();
        T::clic(T::btn("FrmInizio", "Option1_3"));
        const Esito e = conSchermoModale([&] { cliccaMenu(&inizio, "mnuInfo"); }, [](QDialog *) {
            clicSulloSchermo(T::btn("FrmInizio", "Option1_5"));
            T::premi(Qt::Key_Space);
        });
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QCOMPARE(T::P().NumeroTabella, int16_t(3));
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        T::tasto(Qt::Key_2);
        autoreDalMenu(&inizio);
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        clicSulloSchermo(T::btn("FrmInizio", "Option1_5"));
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 5"));

        // The exercise screen: "1" where it can take the focus, the typed answer kept.
        FrmOperativo &op = T::vai();
        T::tasto(Qt::Key_1);
        autoreDalMenu(&op);
        QCOMPARE(T::focusName(), QString("Option1_1"));
        QCOMPARE(T::cella(0)->text(), QString("1"));
        // During the help offer it cannot; the pupil still answers the offer by the keys.
        T::tasto(Qt::Key_I);
        T::tasto(Qt::Key_Return);
        autoreDalMenu(&op);
        QVERIFY(T::focusName() != QLatin1String("Option1_1"));
        T::passi({{Qt::Key_S, Qt::NoModifier, "Option3_0"}, {Qt::Key_Return, Qt::NoModifier, "Option1_0"}});
        QCOMPARE(T::cella(0)->text(), " " + QString::number(T::risultatoAtteso(0)));
        // At the end of a sheet "Nuova Tabella" keeps it, and still works.
        T::finisciScheda();
        autoreDalMenu(&op);
        QCOMPARE(T::focusName(), QString("Option1_12"));
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(0)->text(), QString("?"));
    }

    void onlyAuthorCanBeChosenInTheExerciseMenu()
    {
        auto controlla = [](FrmOperativo &op) {
            const QString primaFocus = T::focusName();
            for (const char *nome : {"MnuStampaEsercizio", "mnuIstruzioni", "mnuInfo"}) {
                QAction *a = op.findChild<QAction *>(nome);
                QCOMPARE(a->isEnabled(), qstrcmp(nome, "mnuInfo") == 0);
                if (a->isEnabled())
                    continue;
                QVERIFY(conSchermoModale([&] { cliccaMenu(&op, nome); }, [](QDialog *) {}).nome.isEmpty());
                QVERIFY(conSchermoModale([&] { a->trigger(); }, [](QDialog *) {}).nome.isEmpty());
                QCOMPARE(T::focusName(), primaFocus);
            }
            QStringList voci;
            for (QAction *a : op.menuBar()->actions())
                voci << a->text();
            QCOMPARE(voci, QStringList({"Stampa esercizio", "Autore", "Istruzioni"}));
        };
        FrmOperativo &op = T::apriTabella(6);
        controlla(op);
        T::rispondiGiusto(0);
        T::sbaglia(1);
        controlla(op); // during the help offer
        T::clic(T::btn("frmOperativo", "Option3_0"));
        T::finisciScheda();
        controlla(op);
        T::clic(T::key(13));
        controlla(T::apriTabella(1)); // opened again
    }

    void leavingTheProgramTakesTheAuthorScreenAway()
    {
        FrmOperativo &op = T::apriTabella(3);
        bool operativoChiuso = false;
        const Esito e = conSchermoModale([&] { cliccaMenu(&op, "mnuInfo"); }, [&](QDialog *) {
            T::P().frmInizio().close();
            operativoChiuso = !op.isVisible();
        });
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto && e.distrutto && operativoChiuso);
        QVERIFY(!T::P().frmInizio().isVisible());
    }
};

QTEST_MAIN(TstInfo)
#include "tst_info.moc"
