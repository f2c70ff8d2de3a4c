// Help offer, intervention, the 30-row warning and restart, driven by keys and mouse presses
// as a pupil works them.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include <set>

namespace {
const QColor Giallo(255, 255, 0);
const QColor ColoreCella(255, 235, 168);

FrmOperativo &op() { return Programma::frmOperativo(); }
Sessione &sessione() { return Programma::sessione; }
int16_t contaNo() { return op().ContaNo; }
QWidget *w(const char *name) { return T::w("frmOperativo", QString::fromLatin1(name)); }
QAbstractButton *si() { return T::btn("frmOperativo", "Option3_0"); }
QAbstractButton *no() { return T::btn("frmOperativo", "Option3_1"); }
QAbstractButton *ok() { return T::btn("frmOperativo", "optOK"); }
QAbstractButton *avviso(int i) { return T::btn("frmOperativo", QStringLiteral("optAvviso_%1").arg(i)); }
QColor colore(QWidget *c) { return c->property("BackColor").value<QColor>(); }

// The overlay frame the pupil can work: exactly one enabled, and it must be the one in front.
QString riquadro()
{
    const char *const nomi[] = {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"};
    QStringList abilitati;
    QWidget *davanti = nullptr;
    int posizione = -1;
    for (const char *n : nomi) {
        QWidget *f = w(n);
        if (f->isEnabled())
            abilitati << QString::fromLatin1(n);
        const int i = int(f->parentWidget()->children().indexOf(f));
        if (i > posizione) {
            posizione = i;
            davanti = f;
        }
    }
    if (abilitati.size() != 1)
        return QStringLiteral("enabled: ") + abilitati.join(QLatin1Char(','));
    if (davanti->objectName() != abilitati.first())
        return abilitati.first() + QStringLiteral(" behind ") + davanti->objectName();
    return abilitati.first();
}

// The row whose cell waits for an answer.
int rigaCorrente()
{
    for (int r = 0; r < 10; ++r)
        if (T::cella(r)->text() == QLatin1String("?"))
            return r;
    return -1;
}

QString prefisso(int row)
{
    return QStringLiteral("%1 + %2 = ").arg(T::tabella()).arg(T::addendo(row)->text().toInt(), 2);
}

void scriviTasti(int value)
{
    for (QChar c : QString::number(value))
        T::tasto(Qt::Key(Qt::Key_0 + c.digitValue()));
}

// A wrong answer for the current row, typed and confirmed with the mouse. (With the keyboard,
// the keypad ignores the first key after a help offer was answered by the mouse.)
int sbaglia(int row)
{
    const int sbagliato = T::risultatoAtteso(row) + 1;
    T::scriviConMouse(sbagliato);
    T::clic(T::key(11));
    return sbagliato;
}

// Right answers up to the end of the sheet.
void finisciScheda()
{
    for (int r = rigaCorrente(); r >= 0; r = rigaCorrente())
        T::rispondiGiusto(r);
}

bool nessunaRigaArmata()
{
    for (int r = 0; r < 10; ++r)
        if (w(qPrintable(QStringLiteral("lblSegno_%1").arg(r)))->isVisible() || T::cella(r)->text() == QLatin1String("?"))
            return false;
    return true;
}

bool nessunPulsantePremuto()
{
    return !si()->isChecked() && !no()->isChecked() && !ok()->isChecked() && !avviso(0)->isChecked() &&
           !avviso(1)->isChecked();
}
}

class TstAiuto : public QObject {
    Q_OBJECT

    // The help offer as a wrong answer leaves it: wrong digits in the yellow cell, focus on "SI".
    void verificaOffertaDiAiuto(int row, int sbagliato)
    {
        QCOMPARE(riquadro(), QString("fraAiuto"));
        QCOMPARE(T::focusName(), QString("Option3_0"));
        QCOMPARE(T::cella(row)->text(), QString::number(sbagliato));
        QCOMPARE(colore(T::cella(row)), Giallo);
        QVERIFY(!T::key(0)->isEnabled());
        QVERIFY(nessunPulsantePremuto());
    }

    // A row completed with its result given: the next row waits on the keypad with "0" focused.
    void verificaRisultatoDato(int row, int righeFatte)
    {
        QCOMPARE(T::cella(row)->text(), QStringLiteral(" %1").arg(T::risultatoAtteso(row)));
        QCOMPARE(colore(T::cella(row)), Giallo);
        QCOMPARE(sessione().RigheFatte, int16_t(righeFatte));
        QCOMPARE(riquadro(), QString("fraTastierino"));
        QVERIFY(nessunPulsantePremuto());
        if (row < 9) {
            QCOMPARE(rigaCorrente(), row + 1);
            QVERIFY(w(qPrintable(QStringLiteral("lblSegno_%1").arg(row + 1)))->isVisible());
            QVERIFY(!w(qPrintable(QStringLiteral("lblSegno_%1").arg(row)))->isVisible());
            QCOMPARE(T::focusName(), QString("Option1_0"));
            QVERIFY(!T::key(11)->isEnabled());
        } else {
            verificaFineScheda();
        }
    }

    void verificaFineScheda()
    {
        QVERIFY(nessunaRigaArmata());
        for (int i = 0; i <= 11; ++i)
            QVERIFY2(!T::key(i)->isEnabled(), qPrintable(QString::number(i)));
        QVERIFY(T::key(12)->isEnabled());
        QVERIFY(T::key(13)->isEnabled());
        QCOMPARE(T::focusName(), QString("Option1_12"));
        QCOMPARE(riquadro(), QString("fraTastierino"));
    }

    // Wrong, "NO" (the second element), as many times as asked; "NO" is chosen by the mouse.
    void rifiuta(int row, int volte, Qt::MouseButton b = Qt::LeftButton)
    {
        for (int i = 0; i < volte; ++i) {
            const int sbagliato = sbaglia(row);
            verificaOffertaDiAiuto(row, sbagliato);
            T::clic(no(), b);
        }
    }

    void verificaIntervento()
    {
        QCOMPARE(riquadro(), QString("fraIntervento"));
        QCOMPARE(T::focusName(), QString("optOK"));
        QVERIFY(!ok()->isChecked());
        QCOMPARE(contaNo(), int16_t(0));
    }

    // Plays right answers until `righe` rows are completed since the last restart.
    void giocaFinoA(int righe)
    {
        while (sessione().RigheFatte < righe) {
            const int r = rigaCorrente();
            if (r < 0)
                T::clic(T::key(12)); // "Nuova Tabella"
            else
                T::rispondiGiusto(r);
            QVERIFY(riquadro() == QLatin1String("fraTastierino"));
        }
    }

    void verificaAvviso(int righeFatte)
    {
        QCOMPARE(riquadro(), QString("fraAvviso"));
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
        QCOMPARE(sessione().RigheFatte, int16_t(righeFatte));
        QCOMPARE(colore(avviso(0)), QColor(255, 192, 128));
        QCOMPARE(colore(avviso(1)), QColor(255, 224, 192));
    }

    // Restart: print rows gone (only the new sheet's rows are begun), count from 0, a new
    // sheet of the same table, focus on "0".
    void verificaRicomincia(int tabella, int16_t contaNoPrima)
    {
        QCOMPARE(riquadro(), QString("fraTastierino"));
        QCOMPARE(sessione().RigheFatte, int16_t(0));
        QCOMPARE(sessione().righeCompletate(), QStringList());
        for (size_t i = 0; i < sessione().RigheStampa.size(); ++i)
            QCOMPARE(sessione().RigheStampa[i], i < 10 ? prefisso(int(i)) : QString());
        QCOMPARE(contaNo(), contaNoPrima);
        QCOMPARE(T::tabella(), tabella);
        QCOMPARE(T::cella(0)->text(), QString("?"));
        std::set<int> addendi;
        for (int r = 0; r < 10; ++r) {
            if (r > 0)
                QCOMPARE(T::cella(r)->text(), QString());
            QCOMPARE(colore(T::cella(r)), ColoreCella);
            addendi.insert(T::addendo(r)->text().toInt());
        }
        QCOMPARE(addendi, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QVERIFY(T::key(0)->isEnabled());
        QVERIFY(!T::key(11)->isEnabled());
        QVERIFY(!T::key(12)->isEnabled());
    }

private slots:
    void init() { T::avvia(); }
    void cleanup() { T::chiudi(); }

    void sbagliatoPoiSi()
    {
        T::apriTabella(4);
        // The four frames stand one over the other.
        QCOMPARE(w("fraAiuto")->geometry(), w("fraTastierino")->geometry());
        QCOMPARE(w("fraAvviso")->geometry(), w("fraTastierino")->geometry());
        QCOMPARE(w("fraIntervento")->geometry(), w("fraTastierino")->geometry());
        QCOMPARE(riquadro(), QString("fraTastierino"));

        // Right answers up to the row of 4 + 3; there 6, then "SI" with the left button.
        int r = rigaCorrente();
        while (T::addendo(r)->text() != QLatin1String("3")) {
            T::rispondiGiusto(r);
            r = rigaCorrente();
        }
        scriviTasti(6);
        T::tasto(Qt::Key_Return);
        verificaOffertaDiAiuto(r, 6);
        T::clic(si());
        QCOMPARE(T::cella(r)->text(), QString(" 7"));
        QCOMPARE(sessione().RigheStampa[size_t(r)], QString("4 +  3 = 6   7"));
        verificaRisultatoDato(r, r + 1);
        QCOMPARE(contaNo(), int16_t(0));

        // A right-button press on "SI" gives the help just the same, and so does Enter.
        for (int volta = 0; volta < 2 && rigaCorrente() >= 0; ++volta) {
            const int riga = rigaCorrente();
            const int fatte = sessione().RigheFatte;
            const int sbagliato = sbaglia(riga);
            verificaOffertaDiAiuto(riga, sbagliato);
            if (volta == 0)
                T::clic(si(), Qt::RightButton);
            else
                T::tasto(Qt::Key_Return);
            QCOMPARE(sessione().RigheStampa[size_t(fatte)],
                     prefisso(riga) + QStringLiteral("%1   %2").arg(sbagliato).arg(T::risultatoAtteso(riga)));
            verificaRisultatoDato(riga, fatte + 1);
        }
        QCOMPARE(contaNo(), int16_t(0));
    }

    void treNoPortanoLIntervento()
    {
        T::apriTabella(6);
        // Row 0: wrong, "NO": the same row again, "?" on its yellow cell, "Invio" not there.
        const int primo = sbaglia(0);
        T::clic(no());
        QCOMPARE(riquadro(), QString("fraTastierino"));
        QCOMPARE(T::cella(0)->text(), QString("?"));
        QCOMPARE(colore(T::cella(0)), Giallo);
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QVERIFY(!T::key(11)->isEnabled());
        QCOMPARE(sessione().RigheFatte, int16_t(0));
        QCOMPARE(contaNo(), int16_t(1));
        T::rispondiGiusto(0);
        QCOMPARE(sessione().RigheStampa[0], prefisso(0) + QStringLiteral("%1  %2  ").arg(primo).arg(T::risultatoAtteso(0)));

        // Row 1: wrong, "NO" (the second), wrong again, "NO": the third brings the intervention.
        const int a = sbaglia(1);
        T::clic(no(), Qt::RightButton);
        QCOMPARE(contaNo(), int16_t(2));
        QCOMPARE(riquadro(), QString("fraTastierino"));
        const int b = sbaglia(1);
        T::clic(no(), Qt::MiddleButton);
        verificaIntervento();
        QCOMPARE(T::cella(1)->text(), QString::number(b));
        QCOMPARE(sessione().RigheFatte, int16_t(1));

        // Any key on "OK" gives the result and moves on.
        T::tasto(Qt::Key_K);
        QCOMPARE(sessione().RigheStampa[1],
                 prefisso(1) + QStringLiteral("%1  %2   %3").arg(a).arg(b).arg(T::risultatoAtteso(1)));
        verificaRisultatoDato(1, 2);

        // After the intervention the count starts again: two more "NO"s are not enough.
        rifiuta(2, 2);
        QCOMPARE(riquadro(), QString("fraTastierino"));
        QCOMPARE(contaNo(), int16_t(2));
        rifiuta(2, 1);
        verificaIntervento();
        T::clic(ok());
        verificaRisultatoDato(2, 3);
    }

    void contaNoAttraversaSchedeEChiusura()
    {
        T::apriTabella(2);
        rifiuta(0, 1);
        finisciScheda();
        verificaFineScheda();
        QCOMPARE(contaNo(), int16_t(1));
        // A new sheet keeps the count.
        T::tasto(Qt::Key_Return); // "Nuova Tabella" has the focus
        QCOMPARE(rigaCorrente(), 0);
        QCOMPARE(sessione().RigheFatte, int16_t(10));
        rifiuta(0, 1);
        QCOMPARE(contaNo(), int16_t(2));
        finisciScheda();
        // Closing the screen with "Esco" and opening a table again keeps it too.
        T::clic(T::key(13));
        QVERIFY(!op().isVisible());
        T::apriTabella(3);
        QCOMPARE(sessione().RigheFatte, int16_t(0));
        QCOMPARE(contaNo(), int16_t(2));
        // So the first "NO" here is the third.
        rifiuta(0, 1);
        verificaIntervento();
        T::tasto(Qt::Key_Space);
        verificaRisultatoDato(0, 1);

        // The same after the window's own close button.
        rifiuta(1, 2);
        QCOMPARE(contaNo(), int16_t(2));
        op().close();
        T::apriTabella(3);
        rifiuta(0, 1);
        verificaIntervento();
    }

    void okConQualsiasiTastoOPulsante()
    {
        T::apriTabella(9);
        // Ten interventions, one per row, each "OK" by a different key or mouse button; the
        // last ends the sheet.
        struct Modo { Qt::Key k; Qt::KeyboardModifiers m; Qt::MouseButton b; };
        const Modo modi[] = {
            {Qt::Key_A, Qt::NoModifier, Qt::NoButton},      {Qt::Key_Space, Qt::NoModifier, Qt::NoButton},
            {Qt::Key_Tab, Qt::NoModifier, Qt::NoButton},    {Qt::Key_Return, Qt::NoModifier, Qt::NoButton},
            {Qt::Key_7, Qt::KeypadModifier, Qt::NoButton},  {Qt::Key_Escape, Qt::NoModifier, Qt::NoButton},
            {Qt::Key_unknown, {}, Qt::LeftButton},          {Qt::Key_unknown, {}, Qt::RightButton},
            {Qt::Key_unknown, {}, Qt::MiddleButton},        {Qt::Key_Enter, Qt::KeypadModifier, Qt::NoButton},
        };
        for (int r = 0; r < 10; ++r) {
            QCOMPARE(rigaCorrente(), r);
            int sbagliati[3];
            for (int &s : sbagliati) {
                s = sbaglia(r);
                // "NO" by keys and by the mouse in turn.
                if (r % 3 == 0) {
                    T::tasto(Qt::Key_N);
                    T::tasto(Qt::Key_Return);
                } else if (r % 3 == 1) {
                    T::tasto(Qt::Key_2, Qt::KeypadModifier);
                    T::tasto(Qt::Key_Enter, Qt::KeypadModifier);
                } else {
                    T::clic(no(), Qt::RightButton);
                }
            }
            verificaIntervento();
            const Modo &m = modi[r];
            if (m.b != Qt::NoButton)
                T::clic(ok(), m.b);
            else
                T::tasto(m.k, m.m);
            QCOMPARE(sessione().RigheStampa[size_t(r)],
                     prefisso(r) + QStringLiteral("%1  %2  %3   %4")
                                       .arg(sbagliati[0]).arg(sbagliati[1]).arg(sbagliati[2]).arg(T::risultatoAtteso(r)));
            verificaRisultatoDato(r, r + 1);
        }
        // The help given by "SI" on the last row ends the sheet as well.
        T::tasto(Qt::Key_Return); // "Nuova Tabella"
        for (int r = 0; r < 9; ++r)
            T::rispondiGiusto(r);
        sbaglia(9);
        T::clic(si(), Qt::MiddleButton);
        verificaRisultatoDato(9, 20);
    }

    void tastiDellOffertaDiAiuto()
    {
        T::apriTabella(5);
        const int sbagliato = sbaglia(0);
        // N, 2, keypad 2 name "NO" without choosing it; S, 1, keypad 1 name "SI".
        struct Caso { Qt::Key k; Qt::KeyboardModifiers m; const char *focus; };
        const Caso casi[] = {
            {Qt::Key_N, Qt::NoModifier, "Option3_1"},     {Qt::Key_S, Qt::NoModifier, "Option3_0"},
            {Qt::Key_2, Qt::NoModifier, "Option3_1"},     {Qt::Key_1, Qt::NoModifier, "Option3_0"},
            {Qt::Key_2, Qt::KeypadModifier, "Option3_1"}, {Qt::Key_1, Qt::KeypadModifier, "Option3_0"},
            {Qt::Key_S, Qt::NoModifier, "Option3_0"},     {Qt::Key_R, Qt::NoModifier, "Option3_0"},
            {Qt::Key_3, Qt::NoModifier, "Option3_0"},     {Qt::Key_N, Qt::NoModifier, "Option3_1"},
            {Qt::Key_R, Qt::NoModifier, "Option3_1"},     {Qt::Key_A, Qt::NoModifier, "Option3_1"},
            {Qt::Key_Space, Qt::NoModifier, "Option3_0"}, {Qt::Key_Space, Qt::NoModifier, "Option3_1"},
            {Qt::Key_Space, Qt::NoModifier, "Option3_0"},
        };
        for (const Caso &c : casi) {
            T::tasto(c.k, c.m);
            QCOMPARE(T::focusName(), QString(c.focus));
            // Nothing chosen: the offer stands, the cell unchanged.
            QCOMPARE(riquadro(), QString("fraAiuto"));
            QCOMPARE(T::cella(0)->text(), QString::number(sbagliato));
            QCOMPARE(contaNo(), int16_t(0));
            QVERIFY(nessunPulsantePremuto());
            QCOMPARE(colore(T::btn("frmOperativo", c.focus)), QColor(255, 192, 128));
        }
        // Holding SPACE goes back and forth: a press and two repeats move three times.
        T::tieni(Qt::Key_Space, 2);
        QCOMPARE(T::focusName(), QString("Option3_1"));
        QCOMPARE(colore(si()), QColor(255, 224, 192));
        // Enter on "NO" refuses.
        T::tasto(Qt::Key_Return);
        QCOMPARE(contaNo(), int16_t(1));
        QCOMPARE(riquadro(), QString("fraTastierino"));
        QCOMPARE(T::cella(0)->text(), QString("?"));

        // 2 then Enter: the second "NO", on the same row.
        sbaglia(0);
        T::tasto(Qt::Key_2);
        QCOMPARE(contaNo(), int16_t(1));
        T::tasto(Qt::Key_Return);
        QCOMPARE(contaNo(), int16_t(2));
        QCOMPARE(riquadro(), QString("fraTastierino"));

        // Enter on "SI" helps, by the keys alone.
        sbaglia(0);
        T::tasto(Qt::Key_N);
        T::tasto(Qt::Key_1);
        T::tasto(Qt::Key_Return);
        verificaRisultatoDato(0, 1);
        QCOMPARE(contaNo(), int16_t(2));
    }

    void avvisoConRispostaGiustaERicomincia()
    {
        T::apriTabella(7);
        // Two "NO"s on the way: restart must not forget them.
        rifiuta(0, 1);
        giocaFinoA(12);
        rifiuta(rigaCorrente(), 1);
        giocaFinoA(29);
        QCOMPARE(contaNo(), int16_t(2));
        QCOMPARE(riquadro(), QString("fraTastierino"));
        T::rispondiGiusto(9); // the 30th row
        verificaAvviso(30);
        // Behind the warning the sheet ended as usual, but the focus stays on "Stampa".
        QVERIFY(T::key(12)->isEnabledTo(w("fraTastierino")));
        QVERIFY(!T::key(0)->isEnabledTo(w("fraTastierino")));
        QVERIFY(nessunaRigaArmata());

        // The warning's keys: N is discarded; S, R, 1, 2 and the keypad digits name a button;
        // SPACE goes back and forth.
        struct Caso { Qt::Key k; Qt::KeyboardModifiers m; const char *focus; };
        const Caso casi[] = {
            {Qt::Key_N, Qt::NoModifier, "optAvviso_0"},     {Qt::Key_R, Qt::NoModifier, "optAvviso_1"},
            {Qt::Key_N, Qt::NoModifier, "optAvviso_1"},     {Qt::Key_S, Qt::NoModifier, "optAvviso_0"},
            {Qt::Key_2, Qt::NoModifier, "optAvviso_1"},     {Qt::Key_1, Qt::NoModifier, "optAvviso_0"},
            {Qt::Key_2, Qt::KeypadModifier, "optAvviso_1"}, {Qt::Key_1, Qt::KeypadModifier, "optAvviso_0"},
            {Qt::Key_Space, Qt::NoModifier, "optAvviso_1"}, {Qt::Key_Space, Qt::NoModifier, "optAvviso_0"},
            {Qt::Key_9, Qt::NoModifier, "optAvviso_0"},     {Qt::Key_Space, Qt::NoModifier, "optAvviso_1"},
        };
        for (const Caso &c : casi) {
            T::tasto(c.k, c.m);
            QCOMPARE(T::focusName(), QString(c.focus));
            QCOMPARE(riquadro(), QString("fraAvviso"));
            QCOMPARE(sessione().RigheFatte, int16_t(30));
            QVERIFY(nessunPulsantePremuto());
        }
        // Enter on "Ricomincia".
        T::tasto(Qt::Key_Return);
        verificaRicomincia(7, 2);
        // The count of "NO"s went on: one more brings the intervention.
        rifiuta(0, 1);
        verificaIntervento();
    }

    void avvisoConIntervento()
    {
        T::apriTabella(0);
        giocaFinoA(29);
        rifiuta(9, 3);
        verificaIntervento();
        T::tasto(Qt::Key_X);
        // The 30th row came by the intervention: the warning at once.
        verificaAvviso(30);
        QCOMPARE(T::cella(9)->text(), QStringLiteral(" %1").arg(T::risultatoAtteso(9)));
        QVERIFY(nessunaRigaArmata());
        QVERIFY(T::key(12)->isEnabledTo(w("fraTastierino")));
        QVERIFY(!T::key(0)->isEnabledTo(w("fraTastierino")));
        QVERIFY(nessunPulsantePremuto());
        QCOMPARE(sessione().righeCompletate().size(), 30);
        // "Ricomincia" with a right-button press.
        T::clic(avviso(1), Qt::RightButton);
        verificaRicomincia(0, 0);
    }

    void avvisoConSiAlTrentunesimo()
    {
        T::apriTabella(10);
        giocaFinoA(29);
        // The 30th row by "SI": no warning yet, the sheet simply ends.
        sbaglia(9);
        T::clic(si());
        verificaRisultatoDato(9, 30);
        T::clic(T::key(12));
        // The 31st, by "SI" again: now the warning; behind it the engine arms row 1 and puts
        // the keypad in answer mode, and the focus stays on "Stampa".
        sbaglia(0);
        T::tasto(Qt::Key_Return);
        verificaAvviso(31);
        QCOMPARE(T::cella(0)->text(), QStringLiteral(" %1").arg(T::risultatoAtteso(0)));
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QVERIFY(w("lblSegno_1")->isVisible());
        QVERIFY(!T::key(0)->isEnabled());
        QVERIFY(!w("fraTastierino")->isEnabled());
        QVERIFY(T::key(0)->isEnabledTo(w("fraTastierino"))); // answer mode behind the warning
        QVERIFY(!T::key(12)->isEnabledTo(w("fraTastierino")));
        QCOMPARE(sessione().righeCompletate().size(), 31);
        // Keys cannot reach the keypad behind.
        T::tasto(Qt::Key_5);
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QCOMPARE(riquadro(), QString("fraAvviso"));
        // "R" then Enter starts over.
        T::tasto(Qt::Key_R);
        T::tasto(Qt::Key_Return);
        verificaRicomincia(10, 0);
    }
};

QTEST_MAIN(TstAiuto)
#include "tst_aiuto.moc"
