// Manual scanning on both screens, and whole sessions played without the mouse: with the
// keyboard alone, then with SPACE and Enter alone.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include <QApplication>

namespace {
const QColor Fuoco(255, 192, 128);
const QColor Riposo(255, 224, 192);

QString k(int i) { return QStringLiteral("Option1_%1").arg(i); }
QString cmd(int i) { return QStringLiteral("Option2_%1").arg(i); }
QString label1() { return T::lbl("FrmInizio", "Label1")->text(); }
QColor colore(QWidget *b) { return b->property("BackColor").value<QColor>(); }

// Presses SPACE and collects where the focus goes; only the focused button is highlighted.
QStringList scorri(int passi)
{
    QStringList visti;
    for (int i = 0; i < passi; ++i) {
        QWidget *prima = T::focus();
        T::tasto(Qt::Key_Space);
        visti << T::focusName();
        if (T::focus() != prima) {
            [&] {
                QCOMPARE(colore(prima), Riposo);
                QCOMPARE(colore(T::focus()), Fuoco);
            }();
        }
    }
    return visti;
}

// SPACE until the named button has the focus; false when a whole round does not reach it.
bool scorriFino(const QString &nome)
{
    for (int i = 0; i < 15 && T::focusName() != nome; ++i)
        T::tasto(Qt::Key_Space);
    return T::focusName() == nome;
}

// Enter pressed on a button that opens or closes a screen: the window that comes to the
// front takes the release, as when the pupil lifts the finger.
void invioCheCambiaSchermo(QWidget *dopo)
{
    T::premi(Qt::Key_Return);
    T::attiva(dopo);
    T::rilascia(Qt::Key_Return);
}

void nessunoPremuto()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QAbstractButton *b : top->findChildren<QAbstractButton *>())
            QVERIFY2(!b->isChecked(), qPrintable(top->objectName() + ": " + b->objectName()));
}
}

class TstScansione : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        nessunoPremuto();
        T::chiudi();
    }

    void keypadScanningVisitsEnabledButtonsInOrder()
    {
        T::apriTabella(5);
        QCOMPARE(T::focusName(), k(0));
        // "Invio" not there yet: after "Cancella" the scan wraps to "0".
        QStringList atteso;
        for (int i = 1; i <= 10; ++i)
            atteso << k(i);
        atteso << k(0);
        QCOMPARE(scorri(11), atteso);
        // With an answer typed, "Invio" follows "Cancella".
        T::clic(T::key(1));
        QCOMPARE(T::focusName(), k(1));
        atteso = QStringList{k(2), k(3), k(4), k(5), k(6), k(7), k(8), k(9), k(10), k(11), k(0), k(1)};
        QCOMPARE(scorri(12), atteso);
        QCOMPARE(T::cella(0)->text(), QString("1")); // scanning types nothing
        // Enter confirms the button the scan reached.
        QVERIFY(scorriFino(k(10)));
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QCOMPARE(T::focusName(), k(10));
        QCOMPARE(scorri(1), QStringList{k(0)});
    }

    void startScanningWrapsWithinEachArray()
    {
        QCOMPARE(T::focusName(), k(0));
        QStringList atteso;
        for (int i = 1; i <= 10; ++i)
            atteso << k(i);
        atteso << k(0) << k(1);
        QCOMPARE(scorri(12), atteso);
        QCOMPARE(label1(), QString("Tabella ")); // scanning chooses nothing
        T::tasto(Qt::Key_Return);
        QCOMPARE(label1(), QString("Tabella dell' 1"));
        QCOMPARE(T::focusName(), cmd(0));
        QCOMPARE(scorri(4), (QStringList{cmd(1), cmd(2), cmd(0), cmd(1)}));
        // Enter on "Ripristina": back to the tables, where the scan starts again from "0".
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(scorri(1), QStringList{k(1)});
    }

    void wholeSessionWithTheKeyboardAlone()
    {
        FrmInizio &inizio = Programma::frmInizio();
        T::tasto(Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(T::focusName(), k(3));
        T::tasto(Qt::Key_Return);
        QCOMPARE(label1(), QString("Tabella del 3"));
        QCOMPARE(T::focusName(), cmd(0));
        FrmOperativo &op = Programma::frmOperativo();
        invioCheCambiaSchermo(&op);
        QVERIFY(op.isVisible());
        QCOMPARE(T::tabella(), 3);
        QCOMPARE(T::focusName(), k(0));

        for (int r = 0; r < 10; ++r) {
            QCOMPARE(T::cella(r)->text(), QString("?"));
            const int atteso = T::risultatoAtteso(r);
            // Main keyboard and Return on the even rows, numeric keypad and its Enter on the odd.
            const Qt::KeyboardModifiers m = r % 2 ? Qt::KeypadModifier : Qt::NoModifier;
            for (QChar c : QString::number(atteso))
                T::tasto(Qt::Key(Qt::Key_0 + c.digitValue()), m);
            QCOMPARE(T::cella(r)->text(), QString::number(atteso));
            QCOMPARE(T::focusName(), k(11));
            T::tasto(r % 2 ? Qt::Key_Enter : Qt::Key_Return, m);
            QCOMPARE(T::cella(r)->text(), QString::number(atteso));
            QCOMPARE(colore(T::cella(r)), QColor(255, 235, 168)); // never wrong
        }
        QCOMPARE(T::focusName(), k(12));
        QCOMPARE(T::lbl("frmOperativo", "Label1")->text(), QString("3"));
        T::tasto(Qt::Key_E);
        QCOMPARE(T::focusName(), k(13));
        invioCheCambiaSchermo(&inizio);
        QVERIFY(!op.isVisible());
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(label1(), QString("Tabella del 3"));
        // The start screen takes keys at once.
        T::tasto(Qt::Key_8);
        QCOMPARE(T::focusName(), k(8));
    }

    void wholeSessionWithSpaceAndEnterAlone()
    {
        FrmInizio &inizio = Programma::frmInizio();
        QVERIFY(scorriFino(k(7)));
        T::tasto(Qt::Key_Return);
        QCOMPARE(label1(), QString("Tabella del 7"));
        QCOMPARE(T::focusName(), cmd(0));
        FrmOperativo &op = Programma::frmOperativo();
        invioCheCambiaSchermo(&op);
        QVERIFY(op.isVisible());
        QCOMPARE(T::tabella(), 7);

        for (int r = 0; r < 10; ++r) {
            QCOMPARE(T::focusName(), k(0));
            const int atteso = T::risultatoAtteso(r);
            for (QChar c : QString::number(atteso)) {
                QVERIFY(scorriFino(k(c.digitValue())));
                T::tasto(Qt::Key_Return);
            }
            QCOMPARE(T::cella(r)->text(), QString::number(atteso));
            QVERIFY(scorriFino(k(11)));
            T::tasto(Qt::Key_Return);
            QCOMPARE(T::cella(r)->text(), QString::number(atteso));
            if (r < 9)
                QCOMPARE(T::cella(r + 1)->text(), QString("?"));
        }
        // End of the sheet: the scan alternates between "Nuova Tabella" and "Esco".
        QCOMPARE(T::focusName(), k(12));
        QCOMPARE(scorri(3), (QStringList{k(13), k(12), k(13)}));
        invioCheCambiaSchermo(&inizio);
        QVERIFY(!op.isVisible());
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(label1(), QString("Tabella del 7"));
    }
};

QTEST_MAIN(TstScansione)
#include "tst_scansione.moc"
