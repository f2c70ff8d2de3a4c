// What assistive technology finds on every screen: each control the pupil can reach with its
// role, spoken name, enabled and focused state; a press through the accessible action that
// works as Enter; and the announcements of a new answer and of the focus as the pupil works.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "screens/Controls.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

QAccessibleInterface *ai(QObject *o) { return QAccessible::queryAccessibleInterface(o); }
QString nome(QObject *o) { return ai(o)->text(QAccessible::Name); }
QWidget *schermo(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

// Every accessible object below a screen's window, as a client walks the tree.
void discendenti(QAccessibleInterface *i, std::vector<QAccessibleInterface *> &out)
{
    for (int c = 0; c < i->childCount(); ++c) {
        QAccessibleInterface *figlio = i->child(c);
        if (!figlio)
            continue;
        out.push_back(figlio);
        discendenti(figlio, out);
    }
}

// Checks every button of a screen as assistive technology finds it, walking the accessible
// tree down from the window: a push button (never a toggle) named by its caption or spoken
// word, with the press action, and its enabled and focused states as the pupil has them.
// Gives the accessible names of the buttons, in tree order.
void verificaPulsanti(QWidget *finestra, QStringList &nomi)
{
    std::vector<QAccessibleInterface *> albero;
    discendenti(ai(finestra), albero);
    int trovati = 0;
    for (QAccessibleInterface *i : albero) {
        auto *b = qobject_cast<OptionButton *>(i->object());
        if (!b)
            continue;
        ++trovati;
        const QByteArray dove = (finestra->objectName() + QLatin1Char('/') + b->objectName()).toUtf8();
        const QAccessible::State s = i->state();
        QVERIFY2(i->role() == QAccessible::Button, dove);
        QVERIFY2(!i->text(QAccessible::Name).trimmed().isEmpty(), dove);
        QVERIFY2(!s.checkable && !s.checked, dove);
        QVERIFY2(s.focusable, dove);
        QVERIFY2(bool(s.disabled) == !b->isEnabled(), dove);
        QVERIFY2(bool(s.focused) == b->hasFocus(), dove);
        // Only a button that can be worked offers to be pressed.
        QVERIFY2(i->actionInterface(), dove);
        QVERIFY2(i->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()) == b->isEnabled(),
                 dove);
        nomi << i->text(QAccessible::Name);
    }
    // None is left out of the tree.
    QCOMPARE(trovati, int(finestra->findChildren<OptionButton *>().size()));
}
#define PULSANTI(finestra, nomi)                                                                                  \
    do {                                                                                                          \
        verificaPulsanti(finestra, nomi);                                                                         \
        if (QTest::currentTestFailed())                                                                           \
            return;                                                                                               \
    } while (0)

// Runs `sulloSchermo` as soon as the modal screen that `apri` opens is up and active; the
// screen is closed afterwards if it is still open, so that a failure does not hang the test.
void conModale(const char *nomeSchermo, const std::function<void()> &apri, const std::function<void()> &sulloSchermo)
{
    QTimer::singleShot(0, [&] {
        if (QTest::qWaitFor([&] {
                QWidget *d = schermo(nomeSchermo);
                return d && QApplication::activeWindow() == d;
            }))
            sulloSchermo();
        if (auto *d = qobject_cast<QDialog *>(schermo(nomeSchermo)))
            d->reject();
    });
    apri();
}

bool abilitato(QObject *o) { return !ai(o)->state().disabled; }
bool haIlFuoco(QObject *o) { return ai(o)->state().focused; }

// The menu items as assistive technology lists them: name, and whether they can be chosen.
QStringList vociMenu(QMainWindow *w)
{
    QAccessibleInterface *barra = ai(w->menuBar());
    QStringList voci;
    for (int c = 0; c < barra->childCount(); ++c) {
        QAccessibleInterface *v = barra->child(c);
        voci << v->text(QAccessible::Name) + (v->state().disabled ? QStringLiteral(" (no)") : QString());
    }
    return voci;
}

// Presses a button through its accessible action, as a screen reader or switch access does,
// and waits until the press has arrived (the toolkit delivers it a moment later).
void premiAT(QAbstractButton *b)
{
    QSignalSpy premuto(b, &QAbstractButton::clicked);
    ai(b)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(premuto.count(), 1);
}

int rigaCorrente()
{
    for (int r = 0; r < 10; ++r)
        if (T::cella(r)->text() == QLatin1String("?"))
            return r;
    return -1;
}

// What the toolkit announced: kind of event, object, and the object's name at that moment.
struct Annuncio {
    QAccessible::Event tipo;
    QObject *oggetto;
    QString nome;
};
std::vector<Annuncio> g_annunci;
void registra(QAccessibleEvent *e)
{
    QAccessibleInterface *i = e->accessibleInterface();
    g_annunci.push_back({e->type(), e->object(), i ? i->text(QAccessible::Name) : QString()});
}
bool annunciato(QAccessible::Event tipo, QObject *o, const QString &nome = QString())
{
    for (const Annuncio &a : g_annunci)
        if (a.tipo == tipo && a.oggetto == o && (nome.isNull() || a.nome == nome))
            return true;
    return false;
}
}

class TstAccessibilita : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        QAccessible::installUpdateHandler(nullptr);
        T::chiudi();
    }

    void schermoIniziale()
    {
        QWidget *inizio = schermo("FrmInizio");
        QStringList attesi;
        for (int i = 0; i <= 10; ++i)
            attesi << QString::number(i);
        attesi << "Vai" << "Ripristina" << "Esci";
        QStringList nomi;
        PULSANTI(inizio, nomi);
        nomi.sort();
        attesi.sort();
        QCOMPARE(nomi, attesi);
        QVERIFY(haIlFuoco(T::btn("FrmInizio", "Option1_0")));
        QCOMPARE(ai(T::btn("FrmInizio", "Option1_7"))->text(QAccessible::Description), QString("Tabella del 7"));
        QCOMPARE(ai(T::btn("FrmInizio", "Option1_0"))->text(QAccessible::Description), QString("Tabella dello 0"));
        QCOMPARE(ai(T::btn("FrmInizio", "Option1_8"))->text(QAccessible::Description), QString("Tabella dell'8"));
        QCOMPARE(vociMenu(T::schermo("FrmInizio")), QStringList{"Autore"});
        // Labels are read as the pupil sees them: line breaks, no stray blanks.
        QCOMPARE(nome(T::lbl("FrmInizio", "Label1")), QString("Tabella"));
        QCOMPARE(nome(T::lbl("FrmInizio", "Label7")), QString("Vers.1.0\nMouse"));

        // A table key moves the focus, and the focused state follows it.
        T::tasto(Qt::Key_5);
        QVERIFY(haIlFuoco(T::btn("FrmInizio", "Option1_5")));
        QVERIFY(!haIlFuoco(T::btn("FrmInizio", "Option1_0")));

        // Pressed through the accessible action, a table button chooses its table as Enter
        // does, even where the focus was not on it; "Ripristina" goes back to "0"; "Vai" opens
        // the exercise screen on the table.
        premiAT(T::btn("FrmInizio", "Option1_7"));
        QCOMPARE(nome(T::lbl("FrmInizio", "Label1")), QString("Tabella del 7"));
        QVERIFY(haIlFuoco(T::btn("FrmInizio", "Option2_0")));
        premiAT(T::btn("FrmInizio", "Option2_1"));
        QVERIFY(haIlFuoco(T::btn("FrmInizio", "Option1_0")));
        QCOMPARE(T::P().NumeroTabella, int16_t(7));
        premiAT(T::btn("FrmInizio", "Option2_0"));
        QVERIFY(schermo("frmOperativo"));
        QCOMPARE(nome(T::lbl("frmOperativo", "Label1")), QString("Tabella: 7"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(!T::btn("FrmInizio", QStringLiteral("Option2_%1").arg(i))->isChecked());
    }

    void schermoEsercizio()
    {
        FrmOperativo &op = T::apriTabella(3);
        QStringList nomi;
        PULSANTI(&op, nomi);
        for (const char *c : {"Cancella", "Invio", "Nuova Tabella", "Esco", "SI", "NO", "OK", "Stampa", "Ricomincia"})
            QVERIFY2(nomi.contains(QLatin1String(c)), c);
        QCOMPARE(vociMenu(&op), (QStringList{"Stampa esercizio (no)", "Autore", "Istruzioni (no)"}));
        // Answer mode: digits and "Cancella" can be worked, the rest waits; only the keypad
        // is there to be worked.
        for (int i = 0; i <= 10; ++i)
            QVERIFY(abilitato(T::key(i)));
        for (int i = 11; i <= 13; ++i)
            QVERIFY(!abilitato(T::key(i)));
        for (const char *c : {"Option3_0", "Option3_1", "optOK", "optAvviso_0", "optAvviso_1"})
            QVERIFY2(!abilitato(T::btn("frmOperativo", c)), c);
        QVERIFY(haIlFuoco(T::key(0)));

        // The sums as they are read: the table, each addend, each answer cell.
        QCOMPARE(nome(T::lbl("frmOperativo", "Label1")), QString("Tabella: 3"));
        for (int g = 0; g < 10; ++g)
            QCOMPARE(nome(T::addendo(g)), QStringLiteral("Addendo: %1").arg(T::addendo(g)->text()));
        QCOMPARE(nome(T::cella(0)), QString("Risultato: ?"));
        QCOMPARE(nome(T::cella(1)), QString("Risultato"));

        // The right answer pressed through the accessible actions, digit by digit: the cell's
        // name follows what it shows, and "Invio" can be pressed once there is an answer.
        const int giusto = T::risultatoAtteso(0);
        for (QChar c : QString::number(giusto))
            premiAT(T::key(c.digitValue()));
        QCOMPARE(nome(T::cella(0)), QStringLiteral("Risultato: %1").arg(giusto));
        QVERIFY(abilitato(T::key(11)));
        premiAT(T::key(11));
        QCOMPARE(rigaCorrente(), 1);
        QCOMPARE(nome(T::cella(1)), QString("Risultato: ?"));
        QCOMPARE(nome(T::cella(0)), QStringLiteral("Risultato: %1").arg(giusto));

        // A wrong answer: the help offer can be worked, the keypad cannot. "NO" pressed lets
        // the pupil try again; "SI" pressed gives the result.
        const int giusto1 = T::risultatoAtteso(1);
        for (QChar c : QString::number(giusto1 + 1))
            T::tasto(Qt::Key(Qt::Key_0 + c.digitValue()));
        premiAT(T::key(11));
        QVERIFY(abilitato(T::btn("frmOperativo", "Option3_1")));
        QVERIFY(haIlFuoco(T::btn("frmOperativo", "Option3_0")));
        QVERIFY(!abilitato(T::key(0)));
        premiAT(T::btn("frmOperativo", "Option3_1"));
        QVERIFY(haIlFuoco(T::key(0)));
        QCOMPARE(nome(T::cella(1)), QString("Risultato: ?"));
        T::tasto(Qt::Key_9);
        T::tasto(Qt::Key_9);
        T::tasto(Qt::Key_Return);
        premiAT(T::btn("frmOperativo", "Option3_0"));
        QCOMPARE(nome(T::cella(1)), QStringLiteral("Risultato: %1").arg(giusto1));
        QCOMPARE(rigaCorrente(), 2);
        QVERIFY(haIlFuoco(T::key(0)));
    }

    void annunci()
    {
        if (!QAccessible::isActive())
            QSKIP("no accessibility bridge is active on this platform: the ctest entry "
                  "tst_accessibilita_atspi runs this under an accessibility bus");
        T::apriTabella(4);
        g_annunci.clear();
        QAccessible::installUpdateHandler(registra);
        // SPACE moves the highlight: the new focus is announced.
        T::tasto(Qt::Key_Space);
        QVERIFY(annunciato(QAccessible::Focus, T::key(1)));
        // A digit shows in the cell, under its new name; "Invio" becomes available and takes
        // the focus.
        const int giusto = T::risultatoAtteso(0);
        T::tasto(Qt::Key(Qt::Key_0 + QString::number(giusto).at(0).digitValue()));
        const QString mostrato = T::cella(0)->text();
        QVERIFY(annunciato(QAccessible::NameChanged, T::cella(0), QStringLiteral("Risultato: ") + mostrato));
        QVERIFY(annunciato(QAccessible::StateChanged, T::key(11)));
        QVERIFY(annunciato(QAccessible::Focus, T::key(11)));
        // The answer completed through the accessible action, and a wrong one after it: the
        // next cell and the help offer's "SI" are announced.
        for (QChar c : QString::number(giusto).mid(1))
            premiAT(T::key(c.digitValue()));
        premiAT(T::key(11));
        QVERIFY(annunciato(QAccessible::NameChanged, T::cella(1), QStringLiteral("Risultato: ?")));
        T::tasto(Qt::Key_9);
        T::tasto(Qt::Key_9);
        g_annunci.clear();
        T::tasto(Qt::Key_Return);
        QVERIFY(annunciato(QAccessible::Focus, T::btn("frmOperativo", "Option3_0")));
    }

    void schermiInformativi()
    {
        // The author screen, opened from the start screen's menu, modally.
        bool visto = false;
        conModale("frmAutore", [] { T::P().frmInizio().findChild<QAction *>("mnuInfo")->trigger(); }, [&] {
            QStringList nomi;
            PULSANTI(schermo("frmAutore"), nomi);
            QCOMPARE(nomi, QStringList{"Chiudi"});
            QVERIFY(haIlFuoco(T::btn("frmAutore", "Command1")));
            QCOMPARE(nome(T::lbl("frmAutore", "Label1")), QString("Sito dell'autore:"));
            QCOMPARE(nome(T::lbl("frmAutore", "Label3")), QString("Email:"));
            // The start screen waits behind it: a press there does nothing, as a key would not.
            premiAT(T::btn("FrmInizio", "Option2_0"));
            QVERIFY(!schermo("frmOperativo"));
            premiAT(T::btn("frmAutore", "Command1"));
            visto = !schermo("frmAutore");
        });
        QVERIFY(visto);

        // The instructions, opened from the exercise screen: the text is read with its lines.
        FrmOperativo &op = T::apriTabella(2);
        visto = false;
        conModale("frmIstruzioni", [&] { InfoScreen::frmIstruzioni(&op)->showModal(); }, [&] {
            QStringList nomi;
            PULSANTI(schermo("frmIstruzioni"), nomi);
            QCOMPARE(nomi, QStringList{"Chiudi"});
            const QString testo = nome(T::lbl("frmIstruzioni", "Label1"));
            QVERIFY(testo.startsWith(QLatin1String("I dati possono essere immessi con:")));
            QVERIFY(testo.contains(QLatin1String("\n - la tastiera ed il tastierino\n - il mouse\n")));
            QCOMPARE(testo.count(QLatin1Char('\n')), 16);
            QVERIFY(!testo.contains(QLatin1Char('\r')));
            premiAT(T::btn("frmIstruzioni", "Command1"));
            visto = !schermo("frmIstruzioni");
        });
        QVERIFY(visto);
    }

    void schermoStampa()
    {
        // Thirty rows bring the warning; the last one is answered through accessible presses.
        T::apriTabella(6);
        for (int n = 0; n < 30; ++n) {
            const int r = rigaCorrente();
            QVERIFY(r >= 0);
            if (n < 29) {
                T::rispondiGiusto(r);
            } else {
                for (QChar c : QString::number(T::risultatoAtteso(r)))
                    premiAT(T::key(c.digitValue()));
                premiAT(T::key(11));
            }
            if (r == 9 && n < 29)
                T::clic(T::key(12)); // "Nuova Tabella"
        }
        QAbstractButton *stampaAvviso = T::btn("frmOperativo", "optAvviso_0");
        QVERIFY(abilitato(stampaAvviso));
        QVERIFY(haIlFuoco(stampaAvviso));
        QVERIFY(!abilitato(T::key(0)));

        // "Stampa" pressed through the accessible action opens the print screen.
        premiAT(stampaAvviso);
        QWidget *s = schermo("frmStampa");
        QVERIFY(s);
        QTRY_COMPARE(QApplication::activeWindow(), s);
        QStringList nomi;
        PULSANTI(s, nomi);
        QCOMPARE(nomi, (QStringList{"Stampa", "Salva PDF", "Chiudi"}));
        QVERIFY(haIlFuoco(T::btn("frmStampa", "optComando_0")));
        QCOMPARE(nome(s->findChild<QWidget *>("picAnteprima")), QString("Anteprima di stampa"));

        // "Salva PDF" pressed asks for a file; given none, the screen stays as it was.
        int chiesto = 0;
        const auto prima = T::dialoghi.file;
        T::dialoghi.file = [&](QWidget *, const QString &) { ++chiesto; return QString(); };
        premiAT(T::btn("frmStampa", "optComando_1"));
        T::dialoghi.file = prima;
        QCOMPARE(chiesto, 1);
        QVERIFY(haIlFuoco(T::btn("frmStampa", "optComando_1")));

        // "Chiudi" pressed closes it, back to the warning; "Ricomincia" pressed restarts.
        premiAT(T::btn("frmStampa", "optComando_2"));
        QTRY_VERIFY(!schermo("frmStampa"));
        QTRY_VERIFY(haIlFuoco(stampaAvviso));
        premiAT(T::btn("frmOperativo", "optAvviso_1"));
        QCOMPARE(T::P().esercizio().session().RigheFatte, int16_t(0));
        QVERIFY(abilitato(T::key(0)));
        QVERIFY(haIlFuoco(T::key(0)));
        QCOMPARE(nome(T::cella(0)), QString("Risultato: ?"));
    }
};

QTEST_MAIN(TstAccessibilita)
#include "tst_accessibilita.moc"
