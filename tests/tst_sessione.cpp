// The exercise session: the sheets and their rows, typing and checking answers, the help offer,
// the intervention, the 30-row warning and restart, the print rows, and closing and opening the
// screen again; worked with every mouse button and with the keys of the overlays.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include <QFontInfo>
#include <algorithm>

namespace {
const Qt::KeyboardModifiers Pad = Qt::KeypadModifier, No = Qt::NoModifier;
const Esercizio::Session &S() { return T::P().esercizio().session(); }
FrmOperativo &op() { return (*T::P().frmOperativo()); }
int16_t contaNo() { return S().ContaNo; }
QAbstractButton *b(const char *name) { return T::btn("frmOperativo", QString::fromLatin1(name)); }
QAbstractButton *tabella(int n) { return T::btn("FrmInizio", QStringLiteral("Option1_%1").arg(n)); }
QString atteso(int row) { return QString::number(T::risultatoAtteso(row)); }
QString dato(int row) { return " " + atteso(row); } // a result given by the program

QStringList leggi(QLabel *(*f)(int))
{
    QStringList l;
    for (int i = 0; i < 10; ++i)
        l << f(i)->text();
    return l;
}
QStringList addendi() { return leggi(&T::addendo); }
QStringList celle() { return leggi(&T::cella); }

bool permutazione(QStringList a)
{
    std::sort(a.begin(), a.end(), [](const QString &x, const QString &y) { return x.toInt() < y.toInt(); });
    return a.join(' ') == QLatin1String("1 2 3 4 5 6 7 8 9 10");
}

void scrivi(const QString &cifre) // each digit with the next mouse button in turn
{
    int n = 0;
    for (QChar c : cifre)
        T::clic(T::key(c.digitValue()), T::Tasti[n++ % 3]);
}

// A fresh sheet; after a restart or a new session the print rows hold only its prefixes.
void verificaNuovaScheda(bool righeVuote = false)
{
    QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_0", 0));
    QCOMPARE(celle(), QStringList({"?", "", "", "", "", "", "", "", "", ""}));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(T::colore(T::cella(i)), T::ColoreCella);
    QVERIFY(permutazione(addendi()));
    for (int i = 0; righeVuote && i < 42; ++i)
        QCOMPARE(S().RigheStampa[size_t(i)], i < 10 ? T::prefisso(i) : QString());
}

int sbaglia(int row) // and the help offer is in front
{
    const int sbagliato = T::sbaglia(row);
    [&] {
        QCOMPARE(T::vista(), T::vistaDi("fraAiuto", "Option3_0", row, true));
        QCOMPARE(T::cella(row)->text(), QString::number(sbagliato));
        QCOMPARE(T::colore(T::cella(row)), T::Giallo);
    }();
    return sbagliato;
}

void rifiuta(int row, int volte, Qt::MouseButton m = Qt::LeftButton) // wrong, then "NO"
{
    for (int i = 0; i < volte; ++i) {
        sbaglia(row);
        T::clic(b("Option3_1"), m);
    }
}

// A row completed with its result given: the next row waits, or the sheet has ended.
void verificaDato(int row, int righeFatte)
{
    QCOMPARE(T::cella(row)->text(), dato(row));
    QCOMPARE(T::colore(T::cella(row)), T::Giallo);
    QCOMPARE(S().RigheFatte, int16_t(righeFatte));
    QCOMPARE(T::vista(), row < 9 ? T::vistaDi("fraTastierino", "Option1_0", row + 1)
                                 : T::vistaDi("fraTastierino", "Option1_12", -1));
}

void verificaIntervento()
{
    QCOMPARE(T::riquadro() + ' ' + T::focusName(), QString("fraIntervento optOK"));
    QCOMPARE(contaNo(), int16_t(0));
}

void giocaFinoA(int righe)
{
    for (int n = 0; n < 60 && S().RigheFatte < righe; ++n)
        T::rigaCorrente() < 0 ? T::clic(T::key(12)) : T::rispondiGiusto(T::rigaCorrente());
    QCOMPARE(S().RigheFatte, int16_t(righe));
}

void verificaAvviso(int righeFatte, int rigaArmata)
{
    QCOMPARE(T::vista(), T::vistaDi("fraAvviso", "optAvviso_0", rigaArmata));
    QCOMPARE(T::P().esercizio().completedRows().size(), righeFatte);
    QCOMPARE(T::colore(b("optAvviso_0")), T::Fuoco);
    QCOMPARE(T::colore(b("optAvviso_1")), T::Riposo);
}
}

class TstSessione : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        T::orologio = &Random::secondsSinceMidnight;
        T::nessunoPremuto();
        T::chiudi();
    }

    void digitRulesWithEveryButton()
    {
        T::vai();
        verificaNuovaScheda(true);
        QTest::mousePress(T::key(5), Qt::RightButton, Qt::NoModifier, T::key(5)->rect().center());
        QCOMPARE(T::cella(0)->text(), QString("5")); // on the press
        QCOMPARE(T::focusName(), QString("Option1_5"));
        QTest::mouseRelease(T::key(5), Qt::RightButton, Qt::NoModifier, T::key(5)->rect().center());
        // 10 is "Cancella". "Invio" is there exactly while the cell shows an answer.
        const struct { int key; const char *shows; } passi[] = {
            {10, "?"}, {0, "?"}, {0, "?"}, {1, "1"}, {0, "10"}, {10, "1"}, {10, "?"}, {10, "?"}, {2, "2"}, {0, "20"},
            {10, "2"}, {10, "?"}, {1, "1"}, {2, "12"}, {3, "123"}, {4, "123"}, {9, "123"}, {10, "12"}, {10, "1"}, {10, "?"}};
        int n = 0;
        for (const auto &p : passi) {
            T::clic(T::key(p.key), T::Tasti[n++ % 3]);
            QCOMPARE(T::cella(0)->text(), QString(p.shows));
            QCOMPARE(T::key(11)->isEnabled(), QString(p.shows) != "?");
        }
        QCOMPARE(S().RigheFatte, int16_t(0));
    }

    void rightWrongAndSi()
    {
        T::apriTabella(4);
        scrivi(atteso(0));
        T::clic(T::key(11), Qt::RightButton);
        QCOMPARE(celle().mid(0, 2), QStringList({atteso(0), "?"}));
        QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_0", 1));
        // Wrong: yellow, the digits kept, the keypad behind the help offer deaf to every press.
        const int wrong = sbaglia(1);
        for (int i = 0; i <= 13; ++i)
            T::premiSopra(T::key(i), T::Tasti[i % 3]);
        QCOMPARE(T::vista(), T::vistaDi("fraAiuto", "Option3_0", 1, true));
        QCOMPARE(T::cella(1)->text(), QString::number(wrong));
        QCOMPARE(T::colore(T::cella(0)), T::ColoreCella);
        QCOMPARE(S().RigheStampa[1], T::prefisso(1) + QString::number(wrong) + "  ");
        // "NO": the same row again, still yellow; a right answer now leaves it yellow.
        T::clic(b("Option3_1"), Qt::RightButton);
        QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_0", 1));
        QCOMPARE(contaNo(), int16_t(1));
        T::rispondiGiusto(1);
        QCOMPARE(T::cella(1)->text(), atteso(1));
        QCOMPARE(T::colore(T::cella(1)), T::Giallo);
        QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_0", 2));
        // "SI" by the right button and by Enter gives the result.
        for (int volta = 0; volta < 2; ++volta) {
            const int riga = T::rigaCorrente(), sbagliato = sbaglia(riga);
            volta ? T::tasto(Qt::Key_Return) : T::clic(b("Option3_0"), Qt::RightButton);
            QCOMPARE(S().RigheStampa[size_t(riga)], T::prefisso(riga) + QStringLiteral("%1  ").arg(sbagliato) + dato(riga));
            verificaDato(riga, riga + 1);
        }
        // And by the left one, on 4 + 3 in a new sheet.
        T::finisciScheda();
        T::clic(T::key(12));
        int r = 0;
        for (; T::addendo(r)->text() != "3"; ++r)
            T::rispondiGiusto(r);
        T::scriviConTasti(6);
        T::tasto(Qt::Key_Return);
        T::clic(b("Option3_0"));
        QCOMPARE(S().RigheStampa[size_t(10 + r)], QString("4 +  3 = 6   7"));
        verificaDato(r, 11 + r);
        QCOMPARE(contaNo(), int16_t(1));
    }

    void keysOfTheHelpOffer()
    {
        T::apriTabella(5);
        const int sbagliato = sbaglia(0);
        // S, 1 and keypad 1 name "SI", N, 2 and keypad 2 "NO", SPACE goes back and forth; nothing is chosen.
        auto stato = [] {
            return QStringList({T::riquadro(), T::cella(0)->text(), QString::number(contaNo()),
                                T::colore(T::focus()) == T::Fuoco ? "lit" : "dark"})
                .join(' ');
        };
        const QByteArray fermo = QStringLiteral("fraAiuto %1 0 lit").arg(sbagliato).toUtf8();
        const char *f = fermo.constData();
        T::passi({{Qt::Key_N, No, "Option3_1", f}, {Qt::Key_S, No, "Option3_0", f},     {Qt::Key_2, No, "Option3_1", f},
                  {Qt::Key_1, No, "Option3_0", f}, {Qt::Key_2, Pad, "Option3_1", f},    {Qt::Key_1, Pad, "Option3_0", f},
                  {Qt::Key_R, No, "Option3_0", f}, {Qt::Key_3, No, "Option3_0", f},     {Qt::Key_N, No, "Option3_1", f},
                  {Qt::Key_A, No, "Option3_1", f}, {Qt::Key_Space, No, "Option3_0", f}, {Qt::Key_Space, No, "Option3_1", f},
                  {Qt::Key_Space, No, "Option3_0", f}},
                 stato);
        T::tieni(Qt::Key_Space, 2); // held, it moves once
        QCOMPARE(T::focusName(), QString("Option3_1"));
        QCOMPARE(T::colore(b("Option3_0")), T::Riposo);
        T::tasto(Qt::Key_Return); // Enter on "NO" refuses
        QCOMPARE(contaNo(), int16_t(1));
        QCOMPARE(T::cella(0)->text(), QString("?"));
        sbaglia(0); // Enter on "SI" helps, by the keys alone
        T::passi({{Qt::Key_N, No, "Option3_1"}, {Qt::Key_1, No, "Option3_0"}, {Qt::Key_Return, No, "Option1_0"}});
        verificaDato(0, 1);
    }

    void theThirdNoBringsTheIntervention()
    {
        T::apriTabella(6);
        const int primo = sbaglia(0);
        T::clic(b("Option3_1"));
        T::rispondiGiusto(0);
        QCOMPARE(S().RigheStampa[0], T::prefisso(0) + QStringLiteral("%1  %2  ").arg(primo).arg(atteso(0)));
        // Two more on the next row, the last by the middle button: the intervention.
        const int a = sbaglia(1);
        T::clic(b("Option3_1"), Qt::RightButton);
        QCOMPARE(contaNo(), int16_t(2));
        const int c = sbaglia(1);
        T::clic(b("Option3_1"), Qt::MiddleButton);
        verificaIntervento();
        QCOMPARE(T::cella(1)->text(), QString::number(c));
        T::tasto(Qt::Key_K); // any key on "OK" gives the result
        QCOMPARE(S().RigheStampa[1], T::prefisso(1) + QStringLiteral("%1  %2  ").arg(a).arg(c) + dato(1));
        verificaDato(1, 2);
        rifiuta(2, 2); // the count starts again after it
        QCOMPARE(T::riquadro(), QString("fraTastierino"));
        rifiuta(2, 1);
        verificaIntervento();
        T::clic(b("optOK"));
        verificaDato(2, 3);
        // The count outlives a new sheet, "Esco" and the close box.
        rifiuta(3, 1);
        T::finisciScheda();
        T::tasto(Qt::Key_Return); // "Nuova Tabella"
        rifiuta(0, 1);
        T::finisciScheda();
        T::clic(T::key(13));
        T::apriTabella(3);
        rifiuta(0, 1);
        verificaIntervento();
        T::tasto(Qt::Key_Space);
        verificaDato(0, 1);
        rifiuta(1, 2);
        op().close();
        T::apriTabella(3);
        rifiuta(0, 1);
        verificaIntervento();
    }

    void okByAnyKeyOrButton()
    {
        T::apriTabella(9);
        // An intervention on every row, "OK" by another key or button each time; "NO" by N,
        // by keypad 2 or by the mouse.
        struct Modo { Qt::Key k; Qt::KeyboardModifiers m; Qt::MouseButton b; };
        const Modo modi[] = {{Qt::Key_A, No, Qt::NoButton},         {Qt::Key_Space, No, Qt::NoButton},
                             {Qt::Key_Tab, No, Qt::NoButton},       {Qt::Key_Return, No, Qt::NoButton},
                             {Qt::Key_7, Pad, Qt::NoButton},        {Qt::Key_Escape, No, Qt::NoButton},
                             {Qt::Key_unknown, No, Qt::LeftButton}, {Qt::Key_unknown, No, Qt::RightButton},
                             {Qt::Key_unknown, No, Qt::MiddleButton}, {Qt::Key_Enter, Pad, Qt::NoButton}};
        for (int r = 0; r < 10; ++r) {
            QString riga = T::prefisso(r);
            for (int volta = 0; volta < 3; ++volta) {
                riga += QStringLiteral("%1  ").arg(sbaglia(r));
                if (r % 3 == 2)
                    T::clic(b("Option3_1"), Qt::RightButton);
                else
                    T::passi({{r % 3 ? Qt::Key_2 : Qt::Key_N, r % 3 ? Pad : No, "Option3_1"},
                              {r % 3 ? Qt::Key_Enter : Qt::Key_Return, r % 3 ? Pad : No, volta < 2 ? "Option1_0" : "optOK"}});
            }
            verificaIntervento();
            modi[r].b != Qt::NoButton ? T::clic(b("optOK"), modi[r].b) : T::tasto(modi[r].k, modi[r].m);
            QCOMPARE(S().RigheStampa[size_t(r)], riga + dato(r));
            verificaDato(r, r + 1);
        }
        T::tasto(Qt::Key_Return); // "SI" on the last row ends the sheet as well
        for (int r = 0; r < 9; ++r)
            T::rispondiGiusto(r);
        sbaglia(9);
        T::clic(b("Option3_0"), Qt::MiddleButton);
        verificaDato(9, 20);
    }

    void theWarningAndRestart()
    {
        // The 30th row answered right: behind the warning the sheet ended as usual.
        T::apriTabella(7);
        rifiuta(0, 1);
        giocaFinoA(12);
        rifiuta(T::rigaCorrente(), 1); // two "NO"s on the way: restart must not forget them
        giocaFinoA(29);
        QCOMPARE(T::riquadro(), QString("fraTastierino"));
        T::rispondiGiusto(9);
        verificaAvviso(30, -1);
        // R, S, 1, 2 and the keypad digits name a button; N and 9 nothing; SPACE goes back and forth.
        auto stato = [] { return QStringLiteral("%1 %2").arg(T::riquadro()).arg(S().RigheFatte); };
        const char *f = "fraAvviso 30";
        T::passi({{Qt::Key_N, No, "optAvviso_0", f},     {Qt::Key_R, No, "optAvviso_1", f},
                  {Qt::Key_N, No, "optAvviso_1", f},     {Qt::Key_S, No, "optAvviso_0", f},
                  {Qt::Key_2, No, "optAvviso_1", f},     {Qt::Key_1, No, "optAvviso_0", f},
                  {Qt::Key_2, Pad, "optAvviso_1", f},    {Qt::Key_1, Pad, "optAvviso_0", f},
                  {Qt::Key_Space, No, "optAvviso_1", f}, {Qt::Key_Space, No, "optAvviso_0", f},
                  {Qt::Key_9, No, "optAvviso_0", f},     {Qt::Key_Space, No, "optAvviso_1", f}},
                 stato);
        T::tasto(Qt::Key_Return); // "Ricomincia"
        verificaNuovaScheda(true);
        QCOMPARE(T::tabella(), 7);
        QCOMPARE(contaNo(), int16_t(2));
        // The 30th row by the intervention: the warning at once.
        rifiuta(0, 1);
        verificaIntervento();
        T::tasto(Qt::Key_X);
        giocaFinoA(29);
        rifiuta(9, 3);
        T::tasto(Qt::Key_X);
        verificaAvviso(30, -1);
        QCOMPARE(T::cella(9)->text(), dato(9));
        T::clic(b("optAvviso_1"), Qt::RightButton);
        verificaNuovaScheda(true);
        // The 30th row by "SI": no warning yet; the 31st by "SI": the warning, row 1 armed behind it.
        giocaFinoA(29);
        sbaglia(9);
        T::clic(b("Option3_0"));
        verificaDato(9, 30);
        T::clic(T::key(12));
        sbaglia(0);
        T::tasto(Qt::Key_Return);
        verificaAvviso(31, 1);
        QCOMPARE(T::cella(0)->text(), dato(0));
        T::tasto(Qt::Key_5); // no key reaches the keypad behind
        QCOMPARE(T::cella(1)->text(), QString("?"));
        T::passi({{Qt::Key_R, No, "optAvviso_1"}});
        T::tasto(Qt::Key_Return);
        verificaNuovaScheda(true);
        QCOMPARE(S().RigheFatte, int16_t(0));
    }

    void printRowsStayWholeAcrossSheets()
    {
        T::apriTabella(3);
        // A wrong answer before the right one on 3 + 5 in the first sheet and 3 + 10 in the third.
        const struct { int sheet; const char *k, *wrong, *row; } retries[] = {{0, "5", "7", "3 +  5 = 7  8  "},
                                                                            {2, "10", "12", "3 + 10 = 12  13  "}};
        QStringList expected;
        for (int sheet = 0; sheet < 3; ++sheet) {
            for (int r = 0; r < 10; ++r) {
                QString row = T::prefisso(r) + atteso(r) + "  ";
                for (const auto &x : retries) {
                    if (x.sheet == sheet && T::addendo(r)->text() == x.k) {
                        scrivi(x.wrong);
                        T::clic(T::key(11));
                        T::clic(b("Option3_1"), T::Tasti[r % 3]);
                        row = x.row;
                    }
                }
                T::rispondiGiusto(r);
                QCOMPARE(T::P().esercizio().completedRows(), expected << row);
            }
            if (sheet < 2)
                T::clic(T::key(12), Qt::RightButton);
        }
        for (int i = 30; i < 42; ++i)
            QCOMPARE(S().RigheStampa[size_t(i)], QString());
    }

    void endOfSheetAndNewSheet()
    {
        T::apriTabella(1);
        for (int r = 0; r < 10; ++r) {
            if (r == 3 || r == 9) // two rows go yellow on the way
                rifiuta(r, 1);
            T::rispondiGiusto(r);
        }
        for (int i = 0; i <= 11; ++i) // digits and "Invio" are out of reach now
            T::premiSopra(T::key(i), T::Tasti[i % 3]);
        QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_12", -1));
        for (int r = 0; r < 10; ++r)
            QCOMPARE(T::cella(r)->text(), atteso(r));
        QCOMPARE(T::colore(T::cella(9)), T::Giallo);
        T::clic(T::key(12), Qt::MiddleButton);
        verificaNuovaScheda();
        QCOMPARE(S().RigheFatte, int16_t(10));
        QCOMPARE(T::tabella(), 1);
    }

    void everySheetOfEveryTable()
    {
        T::vai();
        T::orologio = [seme = 1000.5]() mutable { return seme += 0.37; };
        QSet<QString> orders;
        for (int n = 0; n <= 10; ++n) {
            // The table chosen while the exercise is open shows from the next sheet on.
            const QString before = T::lbl("frmOperativo", "Label1")->text();
            T::clic(tabella(n), T::Tasti[n % 3]);
            QCOMPARE(T::lbl("frmOperativo", "Label1")->text(), before);
            for (int sheet = 0; sheet < 20; ++sheet) {
                T::P().esercizio().NuovaScheda();
                const QStringList a = addendi();
                QVERIFY2(permutazione(a), qPrintable(a.join(' ')));
                orders.insert(a.join(' '));
                QCOMPARE(T::tabella(), n);
                for (int g = 0; g < 10; ++g) {
                    QCOMPARE(S().Risultati[size_t(g)], " " + QString::number(n + a[g].toInt()));
                    QCOMPARE(S().RigheStampa[size_t(S().RigheFatte + g)], QStringLiteral("%1 + %2 = ").arg(n).arg(a[g], 2));
                }
            }
            if (n == 0 || n == 10) { // the pupil's sums are the ones accepted
                T::finisciScheda();
                QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_12", -1));
            }
        }
        QVERIFY(orders.size() > 200); // the sheets really differ
        T::orologio = [] { return 4321.25; }; // the order follows from the clock
        T::P().esercizio().NuovaScheda();
        const QStringList a = addendi();
        T::P().esercizio().NuovaScheda();
        QCOMPARE(addendi(), a);
    }

    void vaiWithTheExerciseOpenOnlyBringsItForward()
    {
        FrmOperativo &o = T::apriTabella(6);
        T::rispondiGiusto(0);
        scrivi("1");
        const QStringList sheet = addendi(), cells = celle(), rows = T::P().esercizio().completedRows();
        T::attiva(T::schermo("FrmInizio"));
        for (Qt::MouseButton b : T::Tasti) {
            T::clic(T::btn("FrmInizio", "Option2_0"), b);
            QTRY_VERIFY(o.isActiveWindow());
        }
        QCOMPARE(addendi(), sheet);
        QCOMPARE(celle(), cells);
        QCOMPARE(T::P().esercizio().completedRows(), rows);
        QCOMPARE(T::vista(), T::vistaDi("fraTastierino", "Option1_1", 1, true));
        T::clic(T::key(10)); // the typed answer is still the one being answered
        QCOMPARE(T::cella(1)->text(), QString("?"));
    }

    void closingAndOpeningAgainGivesAFreshSession()
    {
        // Closed by the close box during the help offer, after a sheet and two rows and mid-row,
        // and by "Esco" at the end of a sheet; disabled buttons pressed on the way.
        T::clic(tabella(2));
        enum Quando { AiutoOfferto, DopoDueRighe, Esco, AMetaRiga, Fine };
        for (Quando q : {AiutoOfferto, DopoDueRighe, Esco, AMetaRiga, Fine}) {
            T::vai(T::Tasti[q % 3]);
            for (int i : {11, 12, 13})
                T::premiSopra(T::key(i), T::Tasti[i % 3]);
            verificaNuovaScheda(true);
            if (q == DopoDueRighe || q == Esco)
                T::finisciScheda();
            if (q == DopoDueRighe) {
                T::clic(T::key(12));
                T::rispondiGiusto(0);
                T::rispondiGiusto(1);
            }
            if (q == DopoDueRighe || q == AMetaRiga)
                scrivi("12");
            if (q == AiutoOfferto || q == Fine) {
                T::rispondiGiusto(0);
                sbaglia(1);
            }
            if (q == Fine) // the start screen closed takes both away
                T::schermo("FrmInizio")->close();
            else if (q == Esco)
                T::clic(T::key(13), Qt::MiddleButton);
            else
                op().close();
            QVERIFY(!op().isVisible() && !op().caricato());
            if (q == Fine)
                break;
            QTRY_VERIFY(T::schermo("FrmInizio")->isActiveWindow());
            QTRY_COMPARE(T::focusName(), QString("Option1_0"));
            QCOMPARE(T::lbl("FrmInizio", "Label1")->text(), QString("Tabella del 2"));
        }
        QVERIFY(!T::schermo("FrmInizio")->isVisible());
    }

    void captionsUseArialOrItsTwin()
    {
        T::vai();
        for (QWidget *w : {static_cast<QWidget *>(T::key(0)), static_cast<QWidget *>(T::cella(0)),
                           static_cast<QWidget *>(T::lbl("FrmInizio", "Label1"))}) {
            const QString family = QFontInfo(w->font()).family();
            QVERIFY2(family == "Arial" || family == "Liberation Sans", qPrintable(w->objectName() + ": " + family));
        }
    }
};

QTEST_MAIN(TstSessione)
#include "tst_sessione.moc"
