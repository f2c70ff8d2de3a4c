// The exercise keypad and the start screen worked by keyboard and by any mouse button: what a
// key types or names, held keys, the guards left set by a key whose release lands elsewhere,
// the focus colours and the tab order.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include <QApplication>

namespace {
const QColor Fuoco(255, 192, 128);
const QColor Riposo(255, 224, 192);
const Qt::KeyboardModifiers Pad = Qt::KeypadModifier;

QString k(int i) { return QStringLiteral("Option1_%1").arg(i); }
QAbstractButton *tab(int i) { return T::btn("FrmInizio", k(i)); }
QAbstractButton *cmd(int i) { return T::btn("FrmInizio", QStringLiteral("Option2_%1").arg(i)); }
QString label1() { return T::lbl("FrmInizio", "Label1")->text(); }
QColor colore(QWidget *b) { return b->property("BackColor").value<QColor>(); }
Qt::Key cifra(int d) { return Qt::Key(Qt::Key_0 + d); }

// Types a number on the keyboard, main digits or numeric keypad.
void scrivi(int value, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    for (QChar c : QString::number(value))
        T::tasto(cifra(c.digitValue()), m);
}

// Answers every row of the sheet right with the mouse: the keypad is left in end-of-sheet mode.
void finisciScheda()
{
    for (int r = 0; r < 10; ++r)
        T::rispondiGiusto(r);
}

// Every push-button-style option button of every screen looks raised.
void nessunoPremuto()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QAbstractButton *b : top->findChildren<QAbstractButton *>())
            QVERIFY2(!b->isChecked(), qPrintable(top->objectName() + ": " + b->objectName()));
}

// Presses Tab from the focused button and collects where the focus goes.
QStringList giroTab(int passi)
{
    QStringList visti;
    for (int i = 0; i < passi; ++i) {
        T::tasto(Qt::Key_Tab);
        visti << T::focusName();
    }
    return visti;
}
}

class TstTastiera : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        nessunoPremuto();
        T::chiudi();
    }

    // ------------------------------------------------------------ exercise keypad

    void digitOnEitherKeyboardTypesAndFocusesInvio()
    {
        T::apriTabella(4);
        for (Qt::KeyboardModifiers m : {Qt::KeyboardModifiers(Qt::NoModifier), Pad}) {
            QCOMPARE(T::focusName(), k(0));
            QVERIFY(!T::key(11)->isEnabled());
            T::tasto(Qt::Key_7, m);
            QCOMPARE(T::cella(0)->text(), QString("7"));
            QVERIFY(T::key(11)->isEnabled());
            QCOMPARE(T::focusName(), k(11));
            nessunoPremuto();
            // C by key on the focused "Invio": the answer empties, and the keypad still has a
            // focused button that takes the next key.
            T::tasto(Qt::Key_C);
            QCOMPARE(T::cella(0)->text(), QString("?"));
            QVERIFY(!T::key(11)->isEnabled());
            QVERIFY(T::focusName().startsWith("Option1_"));
            QVERIFY(T::focus()->isEnabled());
            T::tasto(Qt::Key_1);
            QCOMPARE(T::cella(0)->text(), QString("1"));
            T::tasto(Qt::Key_C);
            T::clic(T::key(0));
        }
        // With Shift held a digit key still types its digit.
        T::tasto(Qt::Key_5, Qt::ShiftModifier);
        QCOMPARE(T::cella(0)->text(), QString("5"));
    }

    void digitsAreCutAtThreeAndNoAnswerBeginsWithZero()
    {
        T::apriTabella(2);
        scrivi(1234);
        QCOMPARE(T::cella(0)->text(), QString("123"));
        for (int i = 0; i < 3; ++i)
            T::tasto(Qt::Key_C);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        T::clic(T::key(3)); // the focus back on a digit
        T::tasto(Qt::Key_C);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        T::tasto(Qt::Key_0);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QVERIFY(!T::key(11)->isEnabled());
        QCOMPARE(T::focusName(), k(3));
        T::tasto(Qt::Key_0, Pad);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        T::tasto(Qt::Key_1, Pad);
        T::tasto(Qt::Key_0, Pad);
        QCOMPARE(T::cella(0)->text(), QString("10"));
        QCOMPARE(T::focusName(), k(11));
    }

    void cancellaByKeyKeepsTheFocus()
    {
        T::apriTabella(5);
        // Digits put in with the mouse leave the focus on the last one pressed.
        T::clic(T::key(1));
        T::clic(T::key(2));
        QCOMPARE(T::cella(0)->text(), QString("12"));
        QCOMPARE(T::focusName(), k(2));
        T::tasto(Qt::Key_C);
        QCOMPARE(T::cella(0)->text(), QString("1"));
        QCOMPARE(T::focusName(), k(2));
        T::tasto(Qt::Key_C, Qt::ShiftModifier); // upper or lower case alike
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(2));
        QVERIFY(!T::key(11)->isEnabled());
        T::tasto(Qt::Key_C);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        // I goes to "Invio" only while there is an answer to confirm.
        T::tasto(Qt::Key_I);
        QCOMPARE(T::focusName(), k(2));
        T::clic(T::key(8));
        T::tasto(Qt::Key_I);
        QCOMPARE(T::focusName(), k(11));
        // N and E do nothing while a sheet is being answered; neither does another letter.
        for (Qt::Key l : {Qt::Key_N, Qt::Key_E, Qt::Key_V, Qt::Key_X, Qt::Key_Backspace, Qt::Key_Left}) {
            T::tasto(l);
            QCOMPARE(T::focusName(), k(11));
            QCOMPARE(T::cella(0)->text(), QString("8"));
        }
    }

    void enterOnEitherKeyConfirms()
    {
        T::apriTabella(6);
        const int primo = T::risultatoAtteso(0);
        scrivi(primo);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(0)->text(), QString::number(primo));
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(0));
        const int secondo = T::risultatoAtteso(1);
        scrivi(secondo, Pad);
        T::tasto(Qt::Key_Enter, Pad);
        QCOMPARE(T::cella(1)->text(), QString::number(secondo));
        QCOMPARE(T::cella(2)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(0));
        // Enter on a digit button types that digit and leaves the focus on it.
        T::tasto(Qt::Key_Space);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(2)->text(), QString("1"));
        QCOMPARE(T::focusName(), k(1));
        // Enter on "Cancella" takes it back.
        T::clic(T::key(10));
        QCOMPARE(T::cella(2)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(10));
        T::clic(T::key(4));
        T::tasto(Qt::Key_Tab); // from "4" the tab order goes on to "5"
        QCOMPARE(T::focusName(), k(5));
        T::tasto(Qt::Key_Enter, Pad);
        QCOMPARE(T::cella(2)->text(), QString("45"));
    }

    void anyMouseButtonWorksOnThePress()
    {
        T::apriTabella(3);
        QTest::mousePress(T::key(5), Qt::RightButton, Qt::NoModifier, T::key(5)->rect().center());
        QCOMPARE(T::cella(0)->text(), QString("5")); // before the release
        QCOMPARE(T::focusName(), k(5));
        QTest::mouseRelease(T::key(5), Qt::RightButton, Qt::NoModifier, T::key(5)->rect().center());
        T::clic(T::key(1), Qt::MiddleButton);
        QCOMPARE(T::cella(0)->text(), QString("51"));
        T::clic(T::key(10), Qt::RightButton);
        QCOMPARE(T::cella(0)->text(), QString("5"));
        // A right press on "Invio" checks the answer.
        T::clic(T::key(10));
        const int giusto = T::risultatoAtteso(0);
        for (QChar c : QString::number(giusto))
            T::clic(T::key(c.digitValue()), Qt::RightButton);
        T::clic(T::key(11), Qt::RightButton);
        QCOMPARE(T::cella(0)->text(), QString::number(giusto));
        QCOMPARE(T::cella(1)->text(), QString("?"));
    }

    void heldKeysActOnce()
    {
        T::apriTabella(7);
        T::tieni(Qt::Key_1, 4);
        QCOMPARE(T::cella(0)->text(), QString("1"));
        T::tieni(Qt::Key_2, 4, Pad);
        QCOMPARE(T::cella(0)->text(), QString("12"));
        T::tieni(Qt::Key_C, 3);
        QCOMPARE(T::cella(0)->text(), QString("1"));
        T::clic(T::key(3)); // back to a digit, "13"
        T::tieni(Qt::Key_Space, 5);
        QCOMPARE(T::focusName(), k(4));
        T::tieni(Qt::Key_Space, 2);
        QCOMPARE(T::focusName(), k(5));
        // The next press after a real release acts again.
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(6));
        // A held Enter on a digit button types its digit once.
        T::tieni(Qt::Key_Return, 3);
        QCOMPARE(T::cella(0)->text(), QString("136"));
        QCOMPARE(T::focusName(), k(6));
    }

    void endOfSheetKeys()
    {
        T::apriTabella(9);
        finisciScheda();
        QCOMPARE(T::focusName(), k(12));
        const QString ultima = T::cella(9)->text();
        QCOMPARE(ultima, QString::number(T::risultatoAtteso(9)));
        for (int i = 0; i <= 11; ++i)
            QVERIFY(!T::key(i)->isEnabled());
        for (Qt::Key key : {Qt::Key_7, Qt::Key_1, Qt::Key_C, Qt::Key_I}) {
            T::tasto(key);
            T::tasto(key, Pad);
            QCOMPARE(T::focusName(), k(12));
            QCOMPARE(T::cella(9)->text(), ultima);
            QCOMPARE(T::cella(0)->text(), QString::number(T::risultatoAtteso(0)));
        }
        T::tasto(Qt::Key_E);
        QCOMPARE(T::focusName(), k(13));
        T::tasto(Qt::Key_E);
        QCOMPARE(T::focusName(), k(13));
        T::tasto(Qt::Key_N);
        QCOMPARE(T::focusName(), k(12));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(13));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(12));
        T::tasto(Qt::Key_Return);
        // A new sheet of the same table.
        QCOMPARE(T::tabella(), 9);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(0));
        QVERIFY(!T::key(12)->isEnabled());
        QVERIFY(!T::key(13)->isEnabled());
        scrivi(T::risultatoAtteso(0));
        QCOMPARE(T::cella(0)->text(), QString::number(T::risultatoAtteso(0)));
    }

    void enterOnEscoLeavesTheReopenedKeypadGuarded()
    {
        // Each round: finish a sheet, Enter on "Esco", start again from the start screen,
        // and see what the first action on the keypad does.
        enum Primo { Cifra, Spazio, Clic };
        for (Primo primo : {Cifra, Spazio, Clic}) {
            FrmOperativo &op = T::apriTabella(2);
            finisciScheda();
            T::tasto(Qt::Key_E);
            T::premi(Qt::Key_Return);
            QVERIFY(!op.isVisible());
            T::attiva(&Programma::frmInizio());
            T::rilascia(Qt::Key_Return); // lands on the start screen
            QCOMPARE(T::focusName(), k(0));
            QVERIFY(T::focus()->window() == &Programma::frmInizio());

            T::apriTabella(2);
            QCOMPARE(T::focusName(), k(0));
            switch (primo) {
            case Cifra:
                T::premi(Qt::Key_7);
                QCOMPARE(T::cella(0)->text(), QString("?"));
                QCOMPARE(T::focusName(), k(0));
                T::rilascia(Qt::Key_7);
                T::tasto(Qt::Key_7);
                QCOMPARE(T::cella(0)->text(), QString("7"));
                break;
            case Spazio:
                T::tasto(Qt::Key_Space);
                QCOMPARE(T::focusName(), k(1));
                T::tasto(Qt::Key_7);
                QCOMPARE(T::cella(0)->text(), QString("7"));
                break;
            case Clic:
                T::clic(T::key(5));
                QCOMPARE(T::cella(0)->text(), QString("5"));
                T::tasto(Qt::Key_3);
                QCOMPARE(T::cella(0)->text(), QString("53"));
                break;
            }
            T::chiudi();
            T::avvia();
        }
    }

    void wrongAnswerThenClickOnSiLeavesTheKeypadGuarded()
    {
        T::apriTabella(8);
        auto sbaglia = [](int r) {
            const int sbagliato = T::risultatoAtteso(r) + 1;
            scrivi(sbagliato);
            QCOMPARE(T::focusName(), k(11));
            T::tasto(Qt::Key_Return);
            QCOMPARE(T::focusName(), QString("Option3_0"));
            QCOMPARE(T::cella(r)->text(), QString::number(sbagliato));
            QCOMPARE(colore(T::cella(r)), QColor(255, 255, 0));
            // The keypad stands behind the help offer: its keys reach nothing.
            QVERIFY(!T::key(11)->isEnabled());
        };

        // A click on "SI": the first key on the keypad does nothing, the second types.
        sbaglia(0);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        QCOMPARE(T::cella(0)->text(), " " + QString::number(T::risultatoAtteso(0))); // the result given
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(T::cella(1)->text(), QString("?"));
        T::tasto(Qt::Key_6);
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_6);
        QCOMPARE(T::cella(1)->text(), QString("6"));
        T::tasto(Qt::Key_C);
        QCOMPARE(T::cella(1)->text(), QString("?"));

        // SPACE works at once.
        sbaglia(1);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(1));
        T::tasto(Qt::Key_4);
        QCOMPARE(T::cella(2)->text(), QString("4"));
        T::tasto(Qt::Key_C);

        // So does a click on a keypad button, whose release also frees the keys.
        sbaglia(2);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        T::clic(T::key(9));
        QCOMPARE(T::cella(3)->text(), QString("9"));
        T::tasto(Qt::Key_1);
        QCOMPARE(T::cella(3)->text(), QString("91"));
        T::clic(T::key(10));
        T::clic(T::key(10));

        // Enter on "SI" is released over the keypad and frees it itself.
        sbaglia(3);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(3)->text(), " " + QString::number(T::risultatoAtteso(3)));
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_2);
        QCOMPARE(T::cella(4)->text(), QString("2"));
    }

    void focusShowsByColourOnTheKeypad()
    {
        T::apriTabella(1);
        QCOMPARE(colore(T::key(0)), Fuoco);
        for (int i = 1; i <= 13; ++i)
            QCOMPARE(colore(T::key(i)), Riposo);
        T::tasto(Qt::Key_Space);
        QCOMPARE(colore(T::key(0)), Riposo);
        QCOMPARE(colore(T::key(1)), Fuoco);
        T::tasto(Qt::Key_3);
        QCOMPARE(colore(T::key(1)), Riposo);
        QCOMPARE(colore(T::key(11)), Fuoco);
        T::clic(T::key(9), Qt::RightButton);
        QCOMPARE(colore(T::key(11)), Riposo);
        QCOMPARE(colore(T::key(9)), Fuoco);
        nessunoPremuto();
    }

    void tabFollowsTheKeypadDesign()
    {
        T::apriTabella(3);
        // "Invio" not yet there: the digits, then "Cancella", then round again.
        QStringList atteso;
        for (int i = 1; i <= 9; ++i)
            atteso << k(i);
        atteso << k(10) << k(0);
        QCOMPARE(giroTab(11), atteso);
        // "Invio" comes before "Cancella".
        T::clic(T::key(1));
        T::clic(T::key(0));
        atteso = QStringList{k(1), k(2), k(3), k(4), k(5), k(6), k(7), k(8), k(9), k(11), k(10), k(0)};
        QCOMPARE(giroTab(12), atteso);
        QCOMPARE(T::cella(0)->text(), QString("10"));
        T::tasto(Qt::Key_C);
        T::tasto(Qt::Key_C);
        // At the end of a sheet only "Nuova Tabella" and "Esco" take the focus.
        finisciScheda();
        QCOMPARE(T::focusName(), k(12));
        QCOMPARE(giroTab(3), (QStringList{k(13), k(12), k(13)}));
    }

    // ------------------------------------------------------------ start screen

    void startDigitsNameTablesWithoutChoosing()
    {
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_7);
        QCOMPARE(T::focusName(), k(7));
        QCOMPARE(label1(), QString("Tabella "));
        T::tasto(Qt::Key_3, Pad);
        QCOMPARE(T::focusName(), k(3));
        T::tasto(Qt::Key_Asterisk, Pad);
        QCOMPARE(T::focusName(), k(10));
        T::tasto(Qt::Key_0);
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_9, Pad);
        QCOMPARE(T::focusName(), k(9));
        // Letters and other keys name nothing and choose nothing.
        for (Qt::Key l : {Qt::Key_S, Qt::Key_N, Qt::Key_V, Qt::Key_E, Qt::Key_A, Qt::Key_Asterisk, Qt::Key_Backspace}) {
            T::tasto(l);
            QCOMPARE(T::focusName(), k(9));
        }
        QCOMPARE(label1(), QString("Tabella "));
        QCOMPARE(Programma::NumeroTabella, int16_t(0));
        QCOMPARE(colore(tab(9)), Fuoco);
        QCOMPARE(colore(tab(0)), Riposo);
        nessunoPremuto();
        T::tasto(Qt::Key_7);
        T::tasto(Qt::Key_Return);
        QCOMPARE(label1(), QString("Tabella del 7"));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        QCOMPARE(colore(cmd(0)), Fuoco);
        QCOMPARE(colore(tab(7)), Riposo);
    }

    void commandColumnKeys()
    {
        T::clic(tab(4));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), QString("Option2_1"));
        QCOMPARE(colore(cmd(1)), Fuoco);
        QCOMPARE(colore(cmd(0)), Riposo);
        T::tasto(Qt::Key_0);
        QCOMPARE(T::focusName(), QString("Option2_0"));
        // No key reaches "Esci".
        for (Qt::Key key : {Qt::Key_2, Qt::Key_9, Qt::Key_E, Qt::Key_V, Qt::Key_A, Qt::Key_X, Qt::Key_F2})
            T::tasto(key);
        T::tasto(Qt::Key_1, Pad);
        T::tasto(Qt::Key_2, Pad);
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::tasto(Qt::Key_1);
        // Enter on "Ripristina" goes back to the tables, the choice kept.
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(label1(), QString("Tabella del 4"));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(1));
        // Any mouse button on a table chooses it; on "Ripristina" it goes back.
        T::clic(tab(6), Qt::RightButton);
        QCOMPARE(label1(), QString("Tabella del 6"));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::clic(cmd(1), Qt::MiddleButton);
        QCOMPARE(T::focusName(), k(0));
        T::clic(tab(8), Qt::MiddleButton);
        QCOMPARE(label1(), QString("Tabella dell'8"));
        // Enter on "Vai" starts the chosen table.
        T::tasto(Qt::Key_Enter, Pad);
        QVERIFY(Programma::frmOperativo().isVisible());
        T::attiva(&Programma::frmOperativo());
        QCOMPARE(T::tabella(), 8);
    }

    void startTablesGuardedAfterTheExerciseIsClosedByItsCloseBox()
    {
        enum Primo { Cifra, Invio, Spazio, Clic };
        for (Primo primo : {Cifra, Invio, Spazio, Clic}) {
            FrmInizio &inizio = T::avvia();
            T::tasto(Qt::Key_7);
            T::tasto(Qt::Key_Return); // released over "Vai": the tables' guard stays
            QCOMPARE(label1(), QString("Tabella del 7"));
            T::premi(Qt::Key_Return);
            FrmOperativo &op = Programma::frmOperativo();
            QVERIFY(op.isVisible());
            T::attiva(&op);
            T::rilascia(Qt::Key_Return); // released over the keypad
            QCOMPARE(T::tabella(), 7);
            op.close();
            T::attiva(&inizio);
            QCOMPARE(T::focusName(), k(0));
            QCOMPARE(label1(), QString("Tabella del 7"));

            switch (primo) {
            case Cifra:
                T::premi(Qt::Key_5);
                QCOMPARE(T::focusName(), k(0));
                T::rilascia(Qt::Key_5);
                T::tasto(Qt::Key_5);
                QCOMPARE(T::focusName(), k(5));
                break;
            case Invio:
                T::tasto(Qt::Key_Return);
                QCOMPARE(label1(), QString("Tabella del 7"));
                QCOMPARE(T::focusName(), k(0));
                T::tasto(Qt::Key_Return);
                QCOMPARE(label1(), QString("Tabella dello 0"));
                QCOMPARE(T::focusName(), QString("Option2_0"));
                break;
            case Spazio:
                T::tasto(Qt::Key_Space);
                QCOMPARE(T::focusName(), k(1));
                T::tasto(Qt::Key_3);
                QCOMPARE(T::focusName(), k(3));
                break;
            case Clic:
                T::clic(tab(3));
                QCOMPARE(label1(), QString("Tabella del 3"));
                QCOMPARE(T::focusName(), QString("Option2_0"));
                break;
            }
            nessunoPremuto();
            T::chiudi();
        }
    }

    void aReleaseOverTheOtherColumnFreesNothing()
    {
        // Enter on a table is released over "Vai": the tables stay guarded, the commands not.
        T::tasto(Qt::Key_4);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), cmd(0)->objectName());
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), QString("Option2_1"));
        T::clic(cmd(1)); // back to the tables with the mouse
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_5);
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_5);
        QCOMPARE(T::focusName(), k(5));
        // Enter on "Ripristina" is released over the tables: now the commands stay guarded.
        T::clic(tab(2));
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), QString("Option2_1"));
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), k(0));
        T::tasto(Qt::Key_6);
        QCOMPARE(T::focusName(), k(6));
        T::clic(tab(6));
        QCOMPARE(T::focusName(), cmd(0)->objectName());
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), cmd(0)->objectName());
        T::tasto(Qt::Key_1);
        QCOMPARE(T::focusName(), QString("Option2_1"));
        // Scanning was never held back.
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), QString("Option2_2"));
        QCOMPARE(label1(), QString("Tabella del 6"));
    }

    void heldKeysOnTheStartScreenActOnce()
    {
        T::tieni(Qt::Key_Space, 4);
        QCOMPARE(T::focusName(), k(1));
        T::tieni(Qt::Key_4, 3);
        QCOMPARE(T::focusName(), k(4));
        QCOMPARE(label1(), QString("Tabella "));
        T::tasto(Qt::Key_Return);
        QCOMPARE(label1(), QString("Tabella del 4"));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::tieni(Qt::Key_Space, 3);
        QCOMPARE(T::focusName(), QString("Option2_1"));
    }

    void tabFollowsTheStartDesign()
    {
        QStringList atteso;
        for (int i = 1; i <= 10; ++i)
            atteso << k(i);
        atteso << "Option2_2" << "Option2_1" << "Option2_0" << k(0);
        QCOMPARE(giroTab(14), atteso);
        QCOMPARE(colore(tab(0)), Fuoco);
        QCOMPARE(colore(cmd(0)), Riposo);
    }
};

QTEST_MAIN(TstTastiera)
#include "tst_tastiera.moc"
