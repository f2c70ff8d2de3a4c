// The start screen worked by any mouse button, by keys and by scanning: choosing a table, the
// three commands, held keys and the guards a key leaves when its release lands elsewhere.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"

namespace {
QString k(int i) { return QStringLiteral("Option1_%1").arg(i); }
QString cmd(int i) { return QStringLiteral("Option2_%1").arg(i); }
QAbstractButton *tab(int i) { return T::btn("FrmInizio", k(i)); }
QString nomeScelto() { return T::lbl("FrmInizio", "Label1")->text(); }
const Qt::KeyboardModifiers Pad = Qt::KeypadModifier, No = Qt::NoModifier;
}

class TstAvvio : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        T::nessunoPremuto();
        T::chiudi();
    }

    void choosingATableWithAnyButton()
    {
        QCOMPARE(T::lbl("FrmInizio", "Label7")->text(), QString("Vers.1.0\rMouse "));
        QCOMPARE(nomeScelto(), QString("Tabella "));
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(T::colore(tab(0)), T::Fuoco);
        QCOMPARE(T::colore(tab(1)), T::Riposo);
        const char *const nomi[] = {"Tabella dello 0", "Tabella dell' 1", "Tabella del 2", "Tabella del 3",
                                    "Tabella del 4",   "Tabella del 5",   "Tabella del 6", "Tabella del 7",
                                    "Tabella dell'8",  "Tabella del 9",   "Tabella del 10"};
        for (int i = 0; i <= 10; ++i) {
            T::clic(tab(i), T::Tasti[i % 3]);
            QCOMPARE(nomeScelto(), QString(nomi[i]));
            QCOMPARE(T::P().NumeroTabella, int16_t(i));
            QCOMPARE(T::focusName(), cmd(0));
            QCOMPARE(T::colore(T::btn("FrmInizio", cmd(0))), T::Fuoco);
            QCOMPARE(T::colore(tab(i)), T::Riposo);
        }
    }

    void keysNameTablesAndEnterChooses()
    {
        // Digits, keypad digits and keypad * name a table; other keys nothing; SPACE scans.
        T::passi({{Qt::Key_7, No, "Option1_7"},    {Qt::Key_3, Pad, "Option1_3"},       {Qt::Key_Asterisk, Pad, "Option1_10"},
                  {Qt::Key_0, No, "Option1_0"},    {Qt::Key_9, Pad, "Option1_9"},       {Qt::Key_S, No, "Option1_9"},
                  {Qt::Key_N, No, "Option1_9"},    {Qt::Key_V, No, "Option1_9"},        {Qt::Key_E, No, "Option1_9"},
                  {Qt::Key_A, No, "Option1_9"},    {Qt::Key_Asterisk, No, "Option1_9"}, {Qt::Key_Backspace, No, "Option1_9"},
                  {Qt::Key_Space, No, "Option1_10"}, {Qt::Key_Space, No, "Option1_0"},  {Qt::Key_Space, No, "Option1_1"}});
        QCOMPARE(nomeScelto(), QString("Tabella "));
        QCOMPARE(T::P().NumeroTabella, int16_t(0));
        QCOMPARE(T::colore(tab(1)), T::Fuoco);
        QCOMPARE(T::colore(tab(9)), T::Riposo);
        QCOMPARE(T::giro(Qt::Key_Space, 11), (QStringList{k(2), k(3), k(4), k(5), k(6), k(7), k(8), k(9), k(10), k(0), k(1)}));
        T::tieni(Qt::Key_Space, 4); // held keys act once
        QCOMPARE(T::focusName(), k(2));
        T::tieni(Qt::Key_4, 3);
        QCOMPARE(T::focusName(), k(4));
        T::tasto(Qt::Key_Return);
        QCOMPARE(nomeScelto(), QString("Tabella del 4"));
        QCOMPARE(T::focusName(), cmd(0));
        T::tieni(Qt::Key_Space, 3);
        QCOMPARE(T::focusName(), cmd(1));
        T::clic(T::btn("FrmInizio", cmd(1))); // the tab order: the tables, then the commands from the last
        QCOMPARE(T::giro(Qt::Key_Tab, 14),
                 (QStringList{k(1), k(2), k(3), k(4), k(5), k(6), k(7), k(8), k(9), k(10), cmd(2), cmd(1), cmd(0), k(0)}));
    }

    void theCommands()
    {
        T::vai(); // before any choice: table 0
        QCOMPARE(T::tabella(), 0);
        (*T::P().frmOperativo()).close();
        QTRY_COMPARE(T::focusName(), k(0));
        // 0 and 1 name "Vai" and "Ripristina", SPACE scans the three, no key reaches "Esci";
        // "Ripristina", by Enter or any button, only puts the focus back on the tables.
        T::clic(tab(3), Qt::RightButton);
        T::clic(tab(4), Qt::MiddleButton);
        T::passi({{Qt::Key_1, No, "Option2_1"},     {Qt::Key_0, No, "Option2_0"},     {Qt::Key_2, No, "Option2_0"},
                  {Qt::Key_9, No, "Option2_0"},     {Qt::Key_E, No, "Option2_0"},     {Qt::Key_F2, No, "Option2_0"},
                  {Qt::Key_1, Pad, "Option2_0"},    {Qt::Key_2, Pad, "Option2_0"},    {Qt::Key_Space, No, "Option2_1"},
                  {Qt::Key_Space, No, "Option2_2"}, {Qt::Key_Space, No, "Option2_0"}, {Qt::Key_1, No, "Option2_1"},
                  {Qt::Key_Return, No, "Option1_0", "Tabella del 4"}, {Qt::Key_Space, No, "Option1_1"}},
                 nomeScelto);
        T::clic(T::btn("FrmInizio", cmd(1)), Qt::RightButton);
        QCOMPARE(T::focusName(), k(0));
        QCOMPARE(T::P().NumeroTabella, int16_t(4));
        // Enter on "Vai" runs the last table chosen.
        T::clic(tab(8), Qt::MiddleButton);
        T::tasto(Qt::Key_Enter, Pad);
        T::attiva(T::P().frmOperativo());
        QCOMPARE(T::tabella(), 8);
        T::rispondiGiusto(0);
        QCOMPARE(T::P().esercizio().session().RigheFatte, int16_t(1));
    }

    void aReleaseOverTheOtherColumnFreesNothing()
    {
        // Enter on a table is released over "Vai": the tables stay guarded, the commands not.
        T::tasto(Qt::Key_4);
        T::tasto(Qt::Key_Return);
        T::passi({{Qt::Key_1, No, "Option2_1"}});
        T::clic(T::btn("FrmInizio", cmd(1)));
        T::passi({{Qt::Key_5, No, "Option1_0"}, {Qt::Key_5, No, "Option1_5"}});
        // Enter on "Ripristina" is released over the tables: now the commands stay guarded.
        T::clic(tab(2));
        T::passi({{Qt::Key_1, No, "Option2_1"}, {Qt::Key_Return, No, "Option1_0"}, {Qt::Key_6, No, "Option1_6"}});
        T::clic(tab(6));
        T::passi({{Qt::Key_1, No, "Option2_0"}, {Qt::Key_1, No, "Option2_1"}, {Qt::Key_Space, No, "Option2_2"}});
        QCOMPARE(nomeScelto(), QString("Tabella del 6"));
    }

    void tablesGuardedAfterTheExerciseIsClosedByItsCloseBox()
    {
        // Enter on "Vai" released over the keypad leaves the tables guarded: the first key on
        // them does nothing, the next acts; SPACE and a click act at once.
        const std::vector<T::Passo> primi[] = {
            {{Qt::Key_5, No, "Option1_0"}, {Qt::Key_5, No, "Option1_5"}},
            {{Qt::Key_Return, No, "Option1_0", "Tabella del 7"}, {Qt::Key_Return, No, "Option2_0", "Tabella dello 0"}},
            {{Qt::Key_Space, No, "Option1_1"}, {Qt::Key_3, No, "Option1_3"}},
            {}};
        for (const auto &primo : primi) {
            FrmInizio &inizio = T::avvia();
            T::tasto(Qt::Key_7);
            T::tasto(Qt::Key_Return);
            T::invioVerso(nullptr);
            QCOMPARE(T::tabella(), 7);
            (*T::P().frmOperativo()).close();
            T::attiva(&inizio);
            QCOMPARE(T::focusName(), k(0));
            T::passi(primo, nomeScelto);
            if (primo.empty()) {
                T::clic(tab(3));
                QCOMPARE(nomeScelto(), QString("Tabella del 3"));
            }
            T::nessunoPremuto();
        }
    }
};

QTEST_MAIN(TstAvvio)
#include "tst_avvio.moc"
