// The instructions and author screens: what they show, how the pupil closes them, and where
// the focus is on the main screens once they have closed; the exercise screen's menu.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
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

const QString Chiudi = QStringLiteral("C h i u d i");

QString testoAtteso()
{
    const QChar cr(13);
    return QStringLiteral(" I dati possono essere immessi con: ") + cr
        + QStringLiteral(" - la tastiera ed il tastierino") + cr
        + QStringLiteral(" - il mouse") + cr
        + QStringLiteral(" - la scansione manuale") + cr
        + cr
        + cr
        + QStringLiteral(" PER UTILIZZARE LA TASTIERA ED IL TASTIERINO") + cr
        + QStringLiteral(" Premere il numero ordinale del pulsante.") + cr
        + QStringLiteral(" Oltre il numero 9 premere la lettera iniziale dei pulsanti.") + cr
        + QString::fromUtf8(" La funzione del tasto INVIO \xC3\xA8 sostituita dal pulsante ") + cr
        + QStringLiteral(" AVANTI del tasto programma") + cr
        + cr
        + QStringLiteral(" PER UTILIZZARE  IL MOUSE ") + cr
        + QStringLiteral(" Cliccare con il pulsante sinistro.") + cr
        + cr
        + QStringLiteral(" PER UTILIZZARE LA SCANSIONE MANUALE ") + cr
        + QStringLiteral(" Premere la BARRA-SPAZIO per scegliere, premere INVIO per confermare.");
}

// What happened to the modal screen that an action opened.
struct Esito {
    QString nome;               // objectName of the screen that opened, empty when none did
    bool rimastoAperto = false; // the step did not close it (it was closed to let the test go on)
    bool distrutto = false;     // nothing of it is left once it has closed
};

// Runs `apri`, which opens a modal screen and waits for it. As soon as the screen is up and
// active, `sulloSchermo` works it the way the pupil would and is expected to close it.
Esito conSchermoModale(const std::function<void()> &apri, const std::function<void(QDialog *)> &sulloSchermo)
{
    Esito esito;
    QPointer<QDialog> aperto;
    QTimer timer;
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

QDialog *schermoInfo(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return qobject_cast<QDialog *>(w);
    return nullptr;
}

// A click where the widget is on the screen, delivered the way the window system delivers it:
// a window that waits for a modal screen does not get it.
void clicSulloSchermo(QWidget *w)
{
    QWindow *finestra = w->window()->windowHandle();
    const QPoint p = w->mapTo(w->window(), w->rect().center());
    QTest::mousePress(finestra, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(finestra, Qt::LeftButton, Qt::NoModifier, p);
}

void cliccaMenu(QMainWindow *w, const char *action)
{
    QAction *a = w->findChild<QAction *>(QLatin1String(action));
    QVERIFY(a);
    QMenuBar *bar = w->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(a).center());
}

// Opens the author screen from a main screen's menu and closes it with Enter.
Esito autoreDalMenu(QMainWindow *w)
{
    return conSchermoModale([w] { cliccaMenu(w, "mnuInfo"); }, [](QDialog *) { T::premi(Qt::Key_Return); });
}
}

class TstInfo : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup() { T::chiudi(); }

    void instructionsShowTheSeventeenLinesOnEveryOpening()
    {
        FrmInizio &inizio = Programma::frmInizio();
        for (int volta = 0; volta < 2; ++volta) {
            QString testo, titolo;
            QSize dimensione;
            QRect riquadro;
            const Esito e = conSchermoModale([&] { mostraIstruzioni(&inizio); }, [&](QDialog *d) {
                testo = T::lbl("frmIstruzioni", "Label1")->text();
                titolo = d->windowTitle();
                dimensione = d->size();
                riquadro = T::w("frmIstruzioni", "Label1")->geometry();
                QCOMPARE(T::focusName(), QString("Command1"));
                QCOMPARE(T::btn("frmIstruzioni", "Command1")->text(), Chiudi);
                T::premi(Qt::Key_Return);
            });
            QCOMPARE(e.nome, QString("frmIstruzioni"));
            QVERIFY(!e.rimastoAperto);
            QVERIFY(e.distrutto);
            QCOMPARE(titolo, QString("ISTRUZIONI"));
            QCOMPARE(testo, testoAtteso());
            QCOMPARE(testo.count(QChar(13)), 16);
            QVERIFY(!testo.contains(QChar(10)));
            QVERIFY(testo.endsWith(QLatin1String("per confermare.")));
            QCOMPARE(dimensione, Twips::toPx(QRectF(0, 0, 9000, 5745)).size());
            QCOMPARE(riquadro, Twips::toPx(QRectF(420, 240, 7995, 4710)));
        }
    }

    void authorScreenShowsTheAddresses()
    {
        QStringList testi;
        QString titolo;
        QSize dimensione;
        const Esito e = conSchermoModale([] { mostraAutore(&Programma::frmInizio()); }, [&](QDialog *d) {
            for (const char *n : {"Label1", "Label2", "Label3", "Label4"})
                testi << T::lbl("frmAutore", n)->text();
            titolo = d->windowTitle();
            dimensione = d->size();
            QCOMPARE(T::focusName(), QString("Command1"));
            QCOMPARE(T::btn("frmAutore", "Command1")->text(), Chiudi);
            // Nothing but the close button takes the focus: Tab leaves it there.
            T::tasto(Qt::Key_Tab);
            QCOMPARE(T::focusName(), QString("Command1"));
            T::premi(Qt::Key_Return);
        });
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QCOMPARE(titolo, QString("Autore"));
        QCOMPARE(dimensione, Twips::toPx(QRectF(0, 0, 6975, 3510)).size());
        QCOMPARE(testi.size(), 4);
        QCOMPARE(testi[0], QString("Sito dell'autore:"));
        QCOMPARE(testi[2], QString("Email:"));
        QVERIFY(!testi[1].isEmpty());
        QVERIFY(testi[3].contains(QLatin1Char('@')));
    }

    void everyWayOfClosingClosesBothScreens()
    {
        using Modo = std::function<void(QDialog *)>;
        const QList<QPair<const char *, Modo>> modi = {
            {"Enter", [](QDialog *) { T::premi(Qt::Key_Return); }},
            {"keypad Enter", [](QDialog *) { T::premi(Qt::Key_Enter, Qt::KeypadModifier); }},
            {"SPACE", [](QDialog *) { T::premi(Qt::Key_Space); }},
            {"left button", [](QDialog *d) { T::clic(d->findChild<QWidget *>("Command1"), Qt::LeftButton); }},
            {"right button", [](QDialog *d) { T::clic(d->findChild<QWidget *>("Command1"), Qt::RightButton); }},
            {"close box", [](QDialog *d) { d->close(); }},
        };
        for (bool istruzioni : {false, true}) {
            for (const auto &modo : modi) {
                const QString dove = QStringLiteral("%1, %2").arg(istruzioni ? "frmIstruzioni" : "frmAutore", modo.first);
                bool apertoPrima = false;
                const Esito e = conSchermoModale(
                    [&] { istruzioni ? mostraIstruzioni(&Programma::frmInizio()) : mostraAutore(&Programma::frmInizio()); },
                    [&](QDialog *d) {
                        // Keys that are not the close button's leave the screen as it is.
                        for (Qt::Key k : {Qt::Key_Escape, Qt::Key_C, Qt::Key_1, Qt::Key_Tab})
                            T::tasto(k);
                        apertoPrima = d->isVisible() && T::focusName() == QLatin1String("Command1");
                        modo.second(d);
                    });
                QVERIFY2(apertoPrima, qPrintable(dove));
                QVERIFY2(!e.rimastoAperto, qPrintable(dove));
                QVERIFY2(e.distrutto, qPrintable(dove));
            }
        }
    }

    void startScreenGetsTheFocusBackOnZero()
    {
        FrmInizio &inizio = Programma::frmInizio();
        T::clic(T::btn("FrmInizio", "Option1_3"));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        const Esito e = conSchermoModale([&] { cliccaMenu(&inizio, "mnuInfo"); }, [](QDialog *) {
            // The start screen waits: a click on one of its tables does nothing.
            clicSulloSchermo(T::btn("FrmInizio", "Option1_5"));
            QCOMPARE(T::focusName(), QString("Command1"));
            T::premi(Qt::Key_Space);
        });
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 3"));
        QCOMPARE(Programma::NumeroTabella, int16_t(3));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&inizio));
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        // A second opening works the same; the start screen takes clicks again afterwards.
        T::tasto(Qt::Key_2);
        QCOMPARE(T::focusName(), QString("Option1_2"));
        QCOMPARE(autoreDalMenu(&inizio).nome, QString("frmAutore"));
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        clicSulloSchermo(T::btn("FrmInizio", "Option1_5"));
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 5"));
    }

    void exerciseScreenGetsTheFocusOnOneWhenItCan()
    {
        FrmOperativo &op = T::apriTabella(4);
        // Typing a digit leaves the focus on "Invio".
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), QString("Option1_11"));
        const Esito e = autoreDalMenu(&op);
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&op));
        QCOMPARE(T::focusName(), QString("Option1_1"));
        // The typed digit is still there, and the pupil goes on from "1".
        QCOMPARE(T::cella(0)->text(), QString("1"));

        // Help offer: the keypad is not the active overlay, so "1" cannot have the focus;
        // the pupil still answers the offer with the keys.
        T::tasto(Qt::Key_I);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), QString("Option3_0"));
        QCOMPARE(autoreDalMenu(&op).nome, QString("frmAutore"));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&op));
        QVERIFY(T::focusName() != QLatin1String("Option1_1"));
        T::tasto(Qt::Key_S);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(0)->text().trimmed(), QString::number(T::risultatoAtteso(0)));
        QCOMPARE(T::focusName(), QString("Option1_0"));
    }

    void endOfSheetKeepsTheFocusOffTheDisabledOne()
    {
        FrmOperativo &op = T::apriTabella(2);
        for (int r = 0; r < 10; ++r)
            T::rispondiGiusto(r);
        QVERIFY(!T::key(1)->isEnabled());
        QCOMPARE(T::focusName(), QString("Option1_12"));
        const Esito e = autoreDalMenu(&op);
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&op));
        QCOMPARE(T::focusName(), QString("Option1_12"));
        // "Nuova Tabella" still works from where the focus is.
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QVERIFY(T::key(1)->isEnabled());
    }

    void onlyAuthorCanBeChosenInTheExerciseMenu()
    {
        auto controlla = [](FrmOperativo &op, const char *quando) {
            auto *stampa = op.findChild<QAction *>("MnuStampaEsercizio");
            auto *info = op.findChild<QAction *>("mnuInfo");
            auto *istruzioni = op.findChild<QAction *>("mnuIstruzioni");
            QVERIFY2(stampa && info && istruzioni, quando);
            QCOMPARE(stampa->text(), QString("Stampa esercizio"));
            QCOMPARE(info->text(), QString("Autore"));
            QCOMPARE(istruzioni->text(), QString("Istruzioni"));
            QVERIFY2(!stampa->isEnabled(), quando);
            QVERIFY2(info->isEnabled(), quando);
            QVERIFY2(!istruzioni->isEnabled(), quando);
            const QString primaFocus = T::focusName();
            for (const char *nome : {"MnuStampaEsercizio", "mnuIstruzioni"}) {
                const Esito clic = conSchermoModale([&] { cliccaMenu(&op, nome); }, [](QDialog *) {});
                const Esito trig = conSchermoModale([&] { op.findChild<QAction *>(nome)->trigger(); }, [](QDialog *) {});
                QVERIFY2(clic.nome.isEmpty() && trig.nome.isEmpty(), quando);
                for (QWidget *w : QApplication::topLevelWidgets())
                    QVERIFY2(!(w->isVisible() && w->objectName() == QLatin1String("frmStampa")), quando);
                QCOMPARE(T::focusName(), primaFocus);
            }
        };
        FrmOperativo &op = T::apriTabella(6);
        controlla(op, "at load");
        T::rispondiGiusto(0);
        T::tasto(Qt::Key_1);
        T::tasto(Qt::Key_Return); // 6 + k is never 1: the help offer
        controlla(op, "help offer");
        T::tasto(Qt::Key_Return); // "SI"
        for (int r = 2; r < 10; ++r)
            T::rispondiGiusto(r);
        controlla(op, "end of sheet");
        T::tasto(Qt::Key_E); // "Esco"
        T::premi(Qt::Key_Return);
        QVERIFY(!op.isVisible());
        FrmOperativo &ancora = T::apriTabella(1);
        controlla(ancora, "opened again");
    }

    void leavingTheProgramTakesTheAuthorScreenAway()
    {
        FrmOperativo &op = T::apriTabella(3);
        bool operativoChiuso = false;
        const Esito e = conSchermoModale([&] { cliccaMenu(&op, "mnuInfo"); }, [&](QDialog *) {
            Programma::frmInizio().close();
            operativoChiuso = !op.isVisible();
        });
        QCOMPARE(e.nome, QString("frmAutore"));
        QVERIFY(!e.rimastoAperto);
        QVERIFY(e.distrutto);
        QVERIFY(operativoChiuso);
        QVERIFY(!schermoInfo("frmAutore"));
        QVERIFY(!Programma::frmInizio().isVisible());
    }
};

QTEST_MAIN(TstInfo)
#include "tst_info.moc"
