// The exercise keypad worked by the keyboard and by scanning: what a key types or names, held
// keys, the guards left by a key released elsewhere, the focus colours and the tab order, and
// a whole session with SPACE and Enter alone.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"

namespace {
const Qt::KeyboardModifiers Pad = Qt::KeypadModifier, No = Qt::NoModifier;
QString k(int i) { return QStringLiteral("Option1_%1").arg(i); }
QStringList nomi(std::initializer_list<int> indici)
{
    QStringList l;
    for (int i : indici)
        l << k(i);
    return l;
}
QString prima() { return T::cella(0)->text(); }
}

class TstTastiera : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        T::nessunoPremuto();
        T::chiudi();
    }

    void keysTypeTakeBackAndConfirm()
    {
        T::apriTabella(2);
        QCOMPARE(T::focusName(), k(0));
        T::passi({{Qt::Key_7, No, "Option1_11", "7"}}, prima);
        // C on "Invio" empties the answer; a keypad button that takes the next key keeps the focus.
        T::tasto(Qt::Key_C);
        QCOMPARE(prima(), QString("?"));
        QVERIFY(!T::key(11)->isEnabled());
        QVERIFY(T::focusName().startsWith("Option1_") && T::focus()->isEnabled());
        T::passi({{Qt::Key_1, Pad, "Option1_11", "1"}, {Qt::Key_2, No, "Option1_11", "12"},
                  {Qt::Key_3, Pad, "Option1_11", "123"}, {Qt::Key_4, No, "Option1_11", "123"},
                  {Qt::Key_C, No, "Option1_11", "12"}, {Qt::Key_C, Qt::ShiftModifier, "Option1_11", "1"}},
                 prima);
        T::clic(T::key(10));
        T::clic(T::key(3)); // a digit put in with the mouse keeps the focus
        T::passi({{Qt::Key_C, No, "Option1_3", "?"},    {Qt::Key_C, No, "Option1_3", "?"},
                  {Qt::Key_0, No, "Option1_3", "?"},    {Qt::Key_0, Pad, "Option1_3", "?"},
                  {Qt::Key_I, No, "Option1_3", "?"},    {Qt::Key_1, Pad, "Option1_11", "1"},
                  {Qt::Key_0, Pad, "Option1_11", "10"}, {Qt::Key_N, No, "Option1_11", "10"},
                  {Qt::Key_E, No, "Option1_11", "10"},  {Qt::Key_V, No, "Option1_11", "10"},
                  {Qt::Key_X, No, "Option1_11", "10"},  {Qt::Key_Backspace, No, "Option1_11", "10"},
                  {Qt::Key_Left, No, "Option1_11", "10"}, {Qt::Key_Tab, No, "Option1_10", "10"},
                  {Qt::Key_I, No, "Option1_11", "10"},  {Qt::Key_C, No, "Option1_11", "1"},
                  {Qt::Key_5, Qt::ShiftModifier, "Option1_11", "15"},
                  // Enter on a digit types it, on "Cancella" takes one back; the focus stays.
                  {Qt::Key_Space, No, "Option1_0", "15"}, {Qt::Key_Space, No, "Option1_1", "15"},
                  {Qt::Key_Return, No, "Option1_1", "151"}, {Qt::Key_Return, No, "Option1_1", "151"},
                  {Qt::Key_Tab, No, "Option1_2", "151"}, {Qt::Key_C, No, "Option1_2", "15"},
                  {Qt::Key_Enter, Pad, "Option1_2", "152"}},
                 prima);
        T::clic(T::key(10));
        T::passi({{Qt::Key_Return, No, "Option1_10", "1"}}, prima);
        // Return and the keypad's Enter on "Invio" confirm.
        for (int r = 0; r < 2; ++r) {
            T::clic(T::key(10));
            const int giusto = T::risultatoAtteso(r);
            T::scriviConTasti(giusto, r ? Pad : No);
            T::tasto(r ? Qt::Key_Enter : Qt::Key_Return, r ? Pad : No);
            QCOMPARE(T::cella(r)->text(), QString::number(giusto));
            QCOMPARE(T::cella(r + 1)->text(), QString("?"));
            QCOMPARE(T::focusName(), k(0));
        }
    }

    void heldKeysActOnce()
    {
        T::apriTabella(7);
        T::tieni(Qt::Key_1, 4);
        T::tieni(Qt::Key_2, 4, Pad);
        QCOMPARE(prima(), QString("12"));
        T::tieni(Qt::Key_C, 3);
        QCOMPARE(prima(), QString("1"));
        T::clic(T::key(3));
        T::tieni(Qt::Key_Space, 5);
        QCOMPARE(T::focusName(), k(4));
        T::tieni(Qt::Key_Space, 2);
        QCOMPARE(T::focusName(), k(5));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), k(6));
        T::tieni(Qt::Key_Return, 3);
        QCOMPARE(prima(), QString("136"));
        QCOMPARE(T::focusName(), k(6));
    }

    void endOfSheetKeys()
    {
        T::apriTabella(9);
        T::finisciScheda();
        auto celle = [] { return T::cella(0)->text() + '|' + T::cella(9)->text(); };
        const QByteArray fatte = celle().toUtf8();
        const char *f = fatte.constData();
        T::passi({{Qt::Key_7, No, "Option1_12", f}, {Qt::Key_1, Pad, "Option1_12", f}, {Qt::Key_C, No, "Option1_12", f},
                  {Qt::Key_I, No, "Option1_12", f}, {Qt::Key_E, No, "Option1_13", f}, {Qt::Key_E, No, "Option1_13", f},
                  {Qt::Key_N, No, "Option1_12", f}, {Qt::Key_Space, No, "Option1_13", f},
                  {Qt::Key_Space, No, "Option1_12", f}, {Qt::Key_Tab, No, "Option1_13", f}, {Qt::Key_Tab, No, "Option1_12", f}},
                 celle);
        T::tasto(Qt::Key_Return); // a new sheet of the same table
        QCOMPARE(T::tabella(), 9);
        QCOMPARE(prima(), QString("?"));
        QCOMPARE(T::focusName(), k(0));
        QVERIFY(!T::key(12)->isEnabled() && !T::key(13)->isEnabled());
        T::scriviConTasti(T::risultatoAtteso(0));
        QCOMPARE(prima(), QString::number(T::risultatoAtteso(0)));
    }

    void enterOnEscoLeavesTheReopenedKeypadGuarded()
    {
        // Enter on "Esco" released on the start screen: on the keypad opened again the first
        // digit key does nothing and the next types; SPACE and a click act at once.
        const std::vector<T::Passo> primi[] = {{{Qt::Key_7, No, "Option1_0", "?"}, {Qt::Key_7, No, "Option1_11", "7"}},
                                               {{Qt::Key_Space, No, "Option1_1", "?"}, {Qt::Key_7, No, "Option1_11", "7"}},
                                               {}};
        for (const auto &primo : primi) {
            FrmOperativo &op = T::apriTabella(2);
            T::finisciScheda();
            T::tasto(Qt::Key_E);
            T::invioVerso(&T::P().frmInizio());
            QVERIFY(!op.isVisible());
            QCOMPARE(T::focusName(), k(0));
            QVERIFY(T::focus()->window() == &T::P().frmInizio());
            T::apriTabella(2);
            T::passi(primo, prima);
            if (primo.empty()) {
                T::clic(T::key(5));
                T::passi({{Qt::Key_3, No, "Option1_11", "53"}}, prima);
            }
            T::avvia();
        }
    }

    void aClickOnSiLeavesTheKeypadGuarded()
    {
        T::apriTabella(8);
        auto sbaglia = [](int r) {
            T::scriviConTasti(T::risultatoAtteso(r) + 1);
            T::tasto(Qt::Key_Return);
            QCOMPARE(T::focusName(), QString("Option3_0"));
            QVERIFY(!T::key(11)->isEnabled());
        };
        // A click on "SI": the first key on the keypad does nothing, the second types.
        sbaglia(0);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        QCOMPARE(prima(), " " + QString::number(T::risultatoAtteso(0)));
        auto seconda = [] { return T::cella(1)->text(); };
        T::passi({{Qt::Key_6, No, "Option1_0", "?"}, {Qt::Key_6, No, "Option1_11", "6"}}, seconda);
        T::tasto(Qt::Key_C);
        // SPACE works at once.
        sbaglia(1);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        T::passi({{Qt::Key_Space, No, "Option1_1"}, {Qt::Key_4, No, "Option1_11", "4"}}, [] { return T::cella(2)->text(); });
        T::tasto(Qt::Key_C);
        // So does a click on the keypad, whose release frees the keys as well.
        sbaglia(2);
        T::clic(T::btn("frmOperativo", "Option3_0"));
        T::clic(T::key(9));
        T::passi({{Qt::Key_1, No, "Option1_11", "91"}}, [] { return T::cella(3)->text(); });
        T::clic(T::key(10));
        T::clic(T::key(10));
        // Enter on "SI" is released over the keypad and frees it itself.
        sbaglia(3);
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::cella(3)->text(), " " + QString::number(T::risultatoAtteso(3)));
        T::passi({{Qt::Key_2, No, "Option1_11", "2"}}, [] { return T::cella(4)->text(); });
    }

    void focusColoursTabOrderAndScanning()
    {
        T::apriTabella(1);
        QCOMPARE(T::colore(T::key(0)), T::Fuoco);
        for (int i = 1; i <= 13; ++i)
            QCOMPARE(T::colore(T::key(i)), T::Riposo);
        // Without an answer "Invio" is left out; with one it comes before "Cancella" by Tab, after it by SPACE.
        QCOMPARE(T::giro(Qt::Key_Tab, 11), nomi({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}));
        QCOMPARE(T::giro(Qt::Key_Space, 11), nomi({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}));
        QCOMPARE(T::colore(T::key(0)), T::Fuoco);
        QCOMPARE(T::colore(T::key(10)), T::Riposo);
        T::clic(T::key(1), Qt::RightButton);
        QCOMPARE(T::giro(Qt::Key_Space, 12), nomi({2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 1}));
        QCOMPARE(T::giro(Qt::Key_Tab, 12), nomi({2, 3, 4, 5, 6, 7, 8, 9, 11, 10, 0, 1}));
        QCOMPARE(prima(), QString("1")); // neither types
        T::tasto(Qt::Key_3);
        QCOMPARE(T::colore(T::key(1)), T::Riposo);
        QCOMPARE(T::colore(T::key(11)), T::Fuoco);
        // Enter on what the scan reached: "Cancella" takes back, and "Invio" leaves the round.
        QVERIFY(T::scorriFino(k(10)));
        QCOMPARE(T::colore(T::key(10)), T::Fuoco);
        T::tasto(Qt::Key_Return);
        T::tasto(Qt::Key_Return);
        QCOMPARE(prima(), QString("?"));
        QCOMPARE(T::giro(Qt::Key_Space, 1), nomi({0}));
    }

    void aWholeSessionWithSpaceAndEnterAlone()
    {
        QVERIFY(T::scorriFino("Option1_7"));
        T::tasto(Qt::Key_Return);
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::invioVerso(nullptr);
        FrmOperativo &op = (*T::P().frmOperativo());
        QCOMPARE(T::tabella(), 7);
        for (int r = 0; r < 10; ++r) {
            QCOMPARE(T::focusName(), k(0));
            const int atteso = T::risultatoAtteso(r);
            for (QChar c : QString::number(atteso)) {
                QVERIFY(T::scorriFino(k(c.digitValue())));
                T::tasto(Qt::Key_Return);
            }
            QVERIFY(T::scorriFino(k(11)));
            T::tasto(Qt::Key_Return);
            QCOMPARE(T::cella(r)->text(), QString::number(atteso));
            QCOMPARE(T::colore(T::cella(r)), T::ColoreCella);
        }
        QCOMPARE(T::giro(Qt::Key_Space, 3), nomi({13, 12, 13}));
        T::invioVerso(&T::P().frmInizio());
        QVERIFY(!op.isVisible());
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 7"));
        T::tasto(Qt::Key_8); // the start screen takes keys at once
        QCOMPARE(T::focusName(), QString("Option1_8"));
    }
};

QTEST_MAIN(TstTastiera)
#include "tst_tastiera.moc"
