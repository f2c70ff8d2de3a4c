// The exercise session worked with the mouse alone: opening and closing the exercise screen
// from the start screen, the sheets and their rows, typing and checking answers, the print
// rows, the end of a sheet, and input that must neither crash nor stick.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QFontInfo>
#include <QMouseEvent>
#include <algorithm>

namespace {
const QColor ColoreCella(255, 235, 168);
const QColor Giallo(255, 255, 0);
const Qt::MouseButton Tasti[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

Sessione &S() { return Programma::sessione; }
FrmOperativo &op() { return Programma::frmOperativo(); }

QAbstractButton *inizio(const char *name) { return T::btn("FrmInizio", QString::fromLatin1(name)); }
QAbstractButton *tabella(int n) { return T::btn("FrmInizio", QStringLiteral("Option1_%1").arg(n)); }
QAbstractButton *si() { return T::btn("frmOperativo", QStringLiteral("Option3_0")); }
QAbstractButton *no() { return T::btn("frmOperativo", QStringLiteral("Option3_1")); }
QString label1Inizio() { return T::lbl("FrmInizio", QStringLiteral("Label1"))->text(); }
QString label1() { return T::lbl("frmOperativo", QStringLiteral("Label1"))->text(); }

// A press and release delivered to the button itself, disabled or covered as it may be: the
// press a pupil aims at it, without the test tool's complaint about ignored clicks.
void premiSopra(QWidget *w, Qt::MouseButton b)
{
    const QPointF c = QRectF(w->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, c, w->mapToGlobal(c), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, c, w->mapToGlobal(c), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// "Vai" on the start screen, then the exercise screen at its design size and active.
FrmOperativo &vai(Qt::MouseButton b = Qt::LeftButton)
{
    T::clic(inizio("Option2_0"), b);
    FrmOperativo &o = op();
    o.showNormal();
    o.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    T::attiva(&o);
    return o;
}

// Types digits on the keypad, each with the next mouse button in turn.
void scrivi(const QString &cifre)
{
    int n = 0;
    for (QChar c : cifre)
        T::clic(T::key(c.digitValue()), Tasti[n++ % 3]);
}

QStringList addendi()
{
    QStringList a;
    for (int i = 0; i < 10; ++i)
        a << T::addendo(i)->text();
    return a;
}

QStringList celle()
{
    QStringList c;
    for (int i = 0; i < 10; ++i)
        c << T::cella(i)->text();
    return c;
}

bool permutazione(const QStringList &a)
{
    QList<int> n;
    for (const QString &s : a)
        n << s.toInt();
    std::sort(n.begin(), n.end());
    return n == QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
}

// Which rows show "+", "=", the red bar and the line: '1' all four, '0' none, 'x' a mix.
QString segni()
{
    QString s;
    for (int i = 0; i < 10; ++i) {
        const bool v[] = {!T::w("frmOperativo", QStringLiteral("lblSegno_%1").arg(i))->isHidden(),
                          !T::w("frmOperativo", QStringLiteral("lblUguale_%1").arg(i))->isHidden(),
                          !T::w("frmOperativo", QStringLiteral("Shape4_%1").arg(i))->isHidden(),
                          T::line(i)->property("visible").toBool()};
        const bool all = v[0] && v[1] && v[2] && v[3], none = !v[0] && !v[1] && !v[2] && !v[3];
        s += all ? u'1' : none ? u'0' : u'x';
    }
    return s;
}

QString armata(int r)
{
    QString s(10, u'0');
    if (r >= 0)
        s[r] = u'1';
    return s;
}

QColor colore(int i) { return T::cella(i)->property("BackColor").value<QColor>(); }

// Which keypad buttons can be pressed, as a string of 14 '1'/'0'.
QString tastiAttivi()
{
    QString s;
    for (int i = 0; i <= 13; ++i)
        s += T::key(i)->isEnabled() ? u'1' : u'0';
    return s;
}

QStringList riquadriAttivi()
{
    QStringList on;
    for (const char *f : {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"})
        if (T::w("frmOperativo", QString::fromLatin1(f))->isEnabled())
            on << QString::fromLatin1(f);
    return on;
}

// The overlay drawn in front: the last of the frames' siblings in the stacking order.
QString riquadroDavanti()
{
    QWidget *parent = T::w("frmOperativo", QStringLiteral("fraTastierino"))->parentWidget();
    QString last;
    for (QObject *o : parent->children())
        if (o->isWidgetType())
            last = o->objectName();
    return last;
}

QString prefissoAtteso(int n, int k)
{
    return QString::number(n) + QStringLiteral(" + ") + (k < 10 ? QStringLiteral(" ") : QString()) + QString::number(k)
        + QStringLiteral(" = ");
}

QString atteso(int row) { return QString::number(T::risultatoAtteso(row)); }
// A wrong answer that keeps to the digit rules.
QString sbagliato(int row) { return QString::number(T::risultatoAtteso(row) + 1); }

bool schermoAperto() { return op().isVisible() && op().caricato(); }
}

class TstSessione : public QObject {
    Q_OBJECT
private slots:
    void init() { T::avvia(); }
    void cleanup()
    {
        Casuale::orologio = &Casuale::secondiDallaMezzanotte;
        T::chiudi();
    }

    void vaiRunsTheLastChosenTable()
    {
        // Before any choice: table 0, while the start screen has not named a table yet.
        vai();
        QCOMPARE(label1Inizio(), QString("Tabella "));
        QCOMPARE(label1(), QString("0"));
        QVERIFY(permutazione(addendi()));
        T::rispondiGiusto(0);
        QCOMPARE(S().RigheFatte, int16_t(1));
        op().close();

        // 3 then 7: the last choice runs.
        T::clic(tabella(3), Qt::RightButton);
        T::clic(tabella(7), Qt::MiddleButton);
        vai();
        QCOMPARE(label1(), QString("7"));
        T::rispondiGiusto(0); // the pupil's right answer for 7 + k is accepted
        QCOMPARE(S().RigheFatte, int16_t(1));
        op().close();
        QTRY_VERIFY(T::schermo("FrmInizio")->isActiveWindow());

        // "Ripristina" only puts the focus back on the tables; the choice stays.
        T::clic(tabella(4));
        QCOMPARE(T::focusName(), QString("Option2_0"));
        T::clic(inizio("Option2_1"), Qt::RightButton);
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(label1Inizio(), QString("Tabella del 4"));
        QCOMPARE(Programma::NumeroTabella, int16_t(4));
        vai();
        QCOMPARE(label1(), QString("4"));
    }

    void vaiWithTheExerciseOpenOnlyBringsItForward()
    {
        T::clic(tabella(6));
        FrmOperativo &o = vai();
        T::rispondiGiusto(0);
        scrivi("1");
        const QStringList sheet = addendi(), cells = celle();
        const QString row0 = S().RigheStampa[0];
        QCOMPARE(cells.mid(0, 2), QStringList({atteso(0), "1"}));

        T::attiva(T::schermo("FrmInizio"));
        for (Qt::MouseButton b : Tasti) {
            T::clic(inizio("Option2_0"), b);
            QTRY_VERIFY(o.isActiveWindow());
            QVERIFY(T::schermo("FrmInizio")->isVisible());
        }
        QCOMPARE(addendi(), sheet);
        QCOMPARE(celle(), cells);
        QCOMPARE(segni(), armata(1));
        QCOMPARE(S().RigheFatte, int16_t(1));
        QCOMPARE(S().RigheStampa[0], row0);
        QVERIFY(T::key(11)->isEnabled());
        // The typed answer is still the one being answered.
        T::clic(T::key(10));
        QCOMPARE(T::cella(1)->text(), QString("?"));
    }

    void closingTheExerciseAndReopeningGivesAFreshSession()
    {
        // A sheet and two rows of the next, so that print rows beyond the first sheet are used.
        T::clic(tabella(2));
        vai();
        for (int r = 0; r < 10; ++r)
            T::rispondiGiusto(r);
        T::clic(T::key(12));
        T::rispondiGiusto(0);
        T::rispondiGiusto(1);
        scrivi("12");
        QCOMPARE(S().righeCompletate().size(), 12);

        // The close box.
        op().close();
        QVERIFY(!schermoAperto());
        QTRY_VERIFY(T::schermo("FrmInizio")->isActiveWindow());
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(label1Inizio(), QString("Tabella del 2"));

        vai();
        QCOMPARE(label1(), QString("2"));
        QCOMPARE(S().RigheFatte, int16_t(0));
        QVERIFY(S().righeCompletate().isEmpty());
        for (int i = 0; i < 42; ++i) // only the new sheet's prefixes, no answers
            QCOMPARE(S().RigheStampa[size_t(i)], i < 10 ? prefissoAtteso(2, T::addendo(i)->text().toInt()) : QString());
        QCOMPARE(celle(), QStringList({"?", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(segni(), armata(0));
        QCOMPARE(tastiAttivi(), QString("11111111111000"));
        QCOMPARE(T::focusName(), QString("Option1_0"));

        // "Esco" at the end of a sheet.
        for (int r = 0; r < 10; ++r)
            T::rispondiGiusto(r);
        QCOMPARE(S().RigheFatte, int16_t(10));
        T::clic(T::key(13), Qt::MiddleButton);
        QVERIFY(!schermoAperto());
        QVERIFY(T::schermo("FrmInizio")->isVisible());
        QTRY_VERIFY(T::schermo("FrmInizio")->isActiveWindow());
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(label1Inizio(), QString("Tabella del 2"));

        vai(Qt::RightButton);
        QCOMPARE(S().RigheFatte, int16_t(0));
        QVERIFY(S().righeCompletate().isEmpty());
        QCOMPARE(celle(), QStringList({"?", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(segni(), armata(0));
        QCOMPARE(tastiAttivi(), QString("11111111111000"));
        QCOMPARE(T::focusName(), QString("Option1_0"));
        T::rispondiGiusto(0);
        QCOMPARE(S().righeCompletate(), QStringList({prefissoAtteso(2, T::addendo(0)->text().toInt()) + atteso(0) + "  "}));
    }

    void closingTheStartScreenClosesBoth()
    {
        T::clic(tabella(5));
        vai();
        scrivi("1");
        T::schermo("FrmInizio")->close();
        QVERIFY(!T::schermo("FrmInizio")->isVisible());
        QVERIFY(!op().isVisible());
        QVERIFY(!op().caricato());
    }

    void everySheetIsAPermutation()
    {
        // A few sheets played through with the mouse...
        T::clic(tabella(9));
        vai();
        for (int sheet = 0; sheet < 3; ++sheet) {
            QVERIFY(permutazione(addendi()));
            QCOMPARE(label1(), QString("9"));
            for (int r = 0; r < 10; ++r)
                T::rispondiGiusto(r);
            QCOMPARE(segni(), armata(-1));
            T::clic(T::key(12), Tasti[sheet]);
        }

        // ...and many drawn straight by the engine, on every table. The table chosen on the
        // start screen while the exercise is open shows from the next sheet on.
        Casuale::orologio = [seme = 1000.5]() mutable { return seme += 0.37; };
        QSet<QString> orders;
        for (int n = 0; n <= 10; ++n) {
            const QString before = label1();
            const auto risultati = S().Risultati;
            T::clic(tabella(n), Tasti[n % 3]);
            QCOMPARE(label1(), before);
            QVERIFY(S().Risultati == risultati);
            for (int sheet = 0; sheet < 20; ++sheet) {
                op().NuovaScheda();
                const QStringList a = addendi();
                QVERIFY2(permutazione(a), qPrintable(a.join(' ')));
                orders.insert(a.join(' '));
                QCOMPARE(label1(), QString::number(n));
                for (int g = 0; g < 10; ++g) {
                    const QString r = S().Risultati[size_t(g)];
                    QCOMPARE(r, " " + QString::number(n + a[g].toInt()));
                    QVERIFY(!r.trimmed().startsWith('0'));
                    QVERIFY(r.trimmed().size() <= 2);
                }
            }
        }
        QVERIFY(orders.size() > 200); // the sheets really differ

        // The order follows from the clock read when the sheet is drawn.
        Casuale::orologio = [] { return 4321.25; };
        op().NuovaScheda();
        const QStringList a = addendi();
        op().NuovaScheda();
        QCOMPARE(addendi(), a);
    }

    void tablesZeroAndTen()
    {
        const struct {
            int n;
            int k;
            const char *prefix;
        } cases[] = {{0, 5, "0 +  5 = "}, {0, 10, "0 + 10 = "}, {10, 10, "10 + 10 = "}, {10, 1, "10 +  1 = "}};
        for (int n : {0, 10}) {
            T::clic(tabella(n));
            vai();
            QCOMPARE(label1(), QString::number(n));
            QList<int> results;
            for (int g = 0; g < 10; ++g) {
                const int k = T::addendo(g)->text().toInt();
                const QString r = S().Risultati[size_t(g)];
                QVERIFY(r.startsWith(' '));
                QVERIFY(!r.trimmed().startsWith('0'));
                QVERIFY(r.trimmed().size() <= 2);
                results << r.trimmed().toInt();
                QCOMPARE(S().RigheStampa[size_t(g)], prefissoAtteso(n, k));
                for (const auto &c : cases)
                    if (c.n == n && c.k == k)
                        QCOMPARE(S().RigheStampa[size_t(g)], QString(c.prefix));
            }
            std::sort(results.begin(), results.end());
            QCOMPARE(results.first(), n + 1);
            QCOMPARE(results.last(), n + 10);
            // The pupil's sums are the ones accepted.
            for (int r = 0; r < 10; ++r)
                T::rispondiGiusto(r);
            QCOMPARE(S().RigheFatte, int16_t(10));
            QCOMPARE(S().righeCompletate().size(), 10);
            op().close();
        }
    }

    void digitRules()
    {
        vai();
        QLabel *c = T::cella(0);
        auto step = [&](int key, Qt::MouseButton b, const char *shows) {
            T::clic(T::key(key), b);
            QCOMPARE(c->text(), QString(shows));
            QCOMPARE(T::key(11)->isEnabled(), QString(shows) != "?");
        };
        QCOMPARE(c->text(), QString("?"));
        QVERIFY(!T::key(11)->isEnabled());
        step(0, Qt::LeftButton, "?"); // no answer begins with 0
        step(0, Qt::RightButton, "?");
        step(1, Qt::MiddleButton, "1");
        step(0, Qt::LeftButton, "10");
        step(10, Qt::RightButton, "1");
        step(10, Qt::LeftButton, "?");
        step(10, Qt::MiddleButton, "?"); // nothing to take back
        step(2, Qt::LeftButton, "2");
        step(0, Qt::LeftButton, "20");
        step(10, Qt::LeftButton, "2");
        step(10, Qt::LeftButton, "?");
        step(1, Qt::LeftButton, "1");
        step(2, Qt::RightButton, "12");
        step(3, Qt::MiddleButton, "123");
        step(4, Qt::LeftButton, "123"); // a fourth digit is dropped
        step(9, Qt::RightButton, "123");
        step(10, Qt::LeftButton, "12");
        step(10, Qt::LeftButton, "1");
        step(10, Qt::LeftButton, "?");
        step(0, Qt::LeftButton, "?");
        QCOMPARE(S().RigheFatte, int16_t(0));
        QCOMPARE(segni(), armata(0));
    }

    void rightAndWrongAnswers()
    {
        T::clic(tabella(8));
        vai();

        // Right: the next row is armed and the focus goes back to "0".
        scrivi(atteso(0));
        T::clic(T::key(11), Qt::RightButton);
        QCOMPARE(T::cella(0)->text(), atteso(0));
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QCOMPARE(segni(), armata(1));
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(tastiAttivi(), QString("11111111111000"));
        QCOMPARE(colore(0), ColoreCella);
        QCOMPARE(riquadriAttivi(), QStringList({"fraTastierino"}));
        QCOMPARE(riquadroDavanti(), QString("fraTastierino"));

        // Wrong: the cell turns yellow and keeps the digits; the help offer is in front.
        const QString wrong = sbagliato(1);
        scrivi(wrong);
        T::clic(T::key(11), Qt::MiddleButton);
        QCOMPARE(T::cella(1)->text(), wrong);
        QCOMPARE(colore(1), Giallo);
        QCOMPARE(colore(0), ColoreCella);
        QCOMPARE(riquadriAttivi(), QStringList({"fraAiuto"}));
        QCOMPARE(riquadroDavanti(), QString("fraAiuto"));
        QCOMPARE(T::focusName(), QString("Option3_0"));
        QCOMPARE(tastiAttivi(), QString("00000000000000"));
        QCOMPARE(segni(), armata(1));
        QCOMPARE(S().RigheFatte, int16_t(1));
        QCOMPARE(S().RigheStampa[1], prefissoAtteso(8, T::addendo(1)->text().toInt()) + wrong + "  ");

        // The keypad behind the help offer does nothing, whatever is pressed on it.
        for (int i = 0; i <= 13; ++i)
            premiSopra(T::key(i), Tasti[i % 3]);
        QCOMPARE(T::cella(1)->text(), wrong);
        QCOMPARE(riquadriAttivi(), QStringList({"fraAiuto"}));
        QCOMPARE(T::focusName(), QString("Option3_0"));
        QCOMPARE(S().RigheStampa[1], prefissoAtteso(8, T::addendo(1)->text().toInt()) + wrong + "  ");
        QVERIFY(schermoAperto());

        // "NO": the same row again, still yellow; a right answer now leaves it yellow.
        T::clic(no(), Qt::RightButton);
        QCOMPARE(riquadriAttivi(), QStringList({"fraTastierino"}));
        QCOMPARE(riquadroDavanti(), QString("fraTastierino"));
        QCOMPARE(T::cella(1)->text(), QString("?"));
        QCOMPARE(colore(1), Giallo);
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(tastiAttivi(), QString("11111111111000"));
        T::rispondiGiusto(1);
        QCOMPARE(T::cella(1)->text(), atteso(1));
        QCOMPARE(colore(1), Giallo);
        QCOMPARE(segni(), armata(2));
        QCOMPARE(S().RigheFatte, int16_t(2));
    }

    void printRowsStayWholeAcrossSheets()
    {
        T::clic(tabella(3));
        vai();
        QStringList expected;
        // A wrong answer then a right one: on the row of 3 + 5 in the first sheet and on
        // 3 + 10 in the third.
        const struct {
            int sheet, k;
            const char *wrong, *row;
        } retries[] = {{0, 5, "7", "3 +  5 = 7  8  "}, {2, 10, "12", "3 + 10 = 12  13  "}};
        for (int sheet = 0; sheet < 3; ++sheet) {
            QVERIFY(permutazione(addendi()));
            for (int r = 0; r < 10; ++r) {
                const int k = T::addendo(r)->text().toInt();
                QString row = prefissoAtteso(3, k);
                for (const auto &x : retries) {
                    if (x.sheet == sheet && x.k == k) {
                        scrivi(x.wrong);
                        T::clic(T::key(11));
                        QCOMPARE(T::focusName(), QString("Option3_0"));
                        T::clic(no(), Tasti[r % 3]);
                        QCOMPARE(T::cella(r)->text(), QString("?"));
                        row += QString::fromLatin1(x.wrong) + "  ";
                    }
                }
                T::rispondiGiusto(r);
                row += atteso(r) + "  ";
                for (const auto &x : retries)
                    if (x.sheet == sheet && x.k == k)
                        QCOMPARE(row, QString(x.row));
                expected << row;
                QCOMPARE(S().righeCompletate(), expected);
            }
            if (sheet < 2)
                T::clic(T::key(12), Qt::RightButton);
        }
        QCOMPARE(S().RigheFatte, int16_t(30));
        for (int i = 0; i < 42; ++i)
            QCOMPARE(S().RigheStampa[size_t(i)], i < 30 ? expected[i] : QString());
    }

    void endOfSheetAndNewSheet()
    {
        T::clic(tabella(1));
        vai();
        for (int r = 0; r < 10; ++r) {
            if (r == 3 || r == 9) { // two rows go yellow on the way
                scrivi(sbagliato(r));
                T::clic(T::key(11));
                T::clic(no());
            }
            T::rispondiGiusto(r);
        }
        QCOMPARE(segni(), armata(-1));
        QCOMPARE(T::cella(9)->text(), atteso(9));
        QCOMPARE(colore(9), Giallo);
        QCOMPARE(tastiAttivi(), QString("00000000000011"));
        QCOMPARE(T::focusName(), QString("Option1_12"));
        QCOMPARE(riquadriAttivi(), QStringList({"fraTastierino"}));
        QCOMPARE(S().RigheFatte, int16_t(10));
        const QStringList cells = celle();
        for (int r = 0; r < 10; ++r)
            QCOMPARE(cells[r], atteso(r));

        // Digits and "Invio" are out of reach now.
        for (int i = 0; i <= 11; ++i)
            premiSopra(T::key(i), Tasti[i % 3]);
        QCOMPARE(celle(), cells);
        QCOMPARE(segni(), armata(-1));
        QCOMPARE(tastiAttivi(), QString("00000000000011"));
        QCOMPARE(S().RigheFatte, int16_t(10));

        T::clic(T::key(12), Qt::MiddleButton);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(colore(i), ColoreCella);
        QCOMPARE(celle(), QStringList({"?", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(segni(), armata(0));
        QCOMPARE(tastiAttivi(), QString("11111111111000"));
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(S().RigheFatte, int16_t(10));
        QCOMPARE(S().righeCompletate().size(), 10);
        QCOMPARE(label1(), QString("1"));
        QVERIFY(permutazione(addendi()));
    }

    void invioIsThereExactlyWhileTheCellShowsAnAnswer()
    {
        T::clic(tabella(5));
        vai();
        int row = 0;
        // "Invio" is enabled exactly when the current cell does not show "?".
        auto coerente = [&] { return T::key(11)->isEnabled() == (T::cella(row)->text() != "?"); };
        QVERIFY(coerente());
        T::clic(T::key(0));
        QVERIFY(coerente());
        scrivi(sbagliato(0).left(1));
        QVERIFY(coerente());
        T::clic(T::key(10));
        QVERIFY(coerente());
        scrivi(sbagliato(0));
        QVERIFY(coerente());
        T::clic(T::key(11));
        QVERIFY(!T::key(11)->isEnabled()); // behind the help offer
        T::clic(no());
        QVERIFY(coerente());
        QVERIFY(!T::key(11)->isEnabled());
        scrivi(atteso(0));
        QVERIFY(coerente());
        T::clic(T::key(11));
        row = 1;
        QVERIFY(coerente());
        QVERIFY(!T::key(11)->isEnabled());
        for (; row < 9; ++row) {
            scrivi(atteso(row));
            QVERIFY(coerente());
            if (row == 4) { // taken back to "?" digit by digit, then typed again
                for (int n = atteso(row).size(); n >= 0; --n) {
                    T::clic(T::key(10), Qt::RightButton);
                    QVERIFY(coerente());
                }
                QCOMPARE(T::cella(row)->text(), QString("?"));
                scrivi(atteso(row));
                QVERIFY(coerente());
            }
            T::clic(T::key(11));
            QCOMPARE(T::cella(row + 1)->text(), QString("?"));
            QVERIFY(!T::key(11)->isEnabled());
        }
        scrivi(atteso(9));
        QVERIFY(coerente());
        T::clic(T::key(11));
        QVERIFY(!T::key(11)->isEnabled()); // end of sheet
        T::clic(T::key(12));
        row = 0;
        QVERIFY(coerente());
        QVERIFY(!T::key(11)->isEnabled());
        scrivi("1");
        QVERIFY(coerente());
    }

    void badInputNeverSticks()
    {
        T::clic(tabella(7));
        vai();
        const QStringList sheet = addendi();

        // Disabled buttons at the start of a sheet, with every mouse button.
        for (Qt::MouseButton b : Tasti)
            for (int i : {11, 12, 13})
                premiSopra(T::key(i), b);
        QVERIFY(schermoAperto());
        QCOMPARE(addendi(), sheet);
        QCOMPARE(celle()[0], QString("?"));
        QCOMPARE(segni(), armata(0));
        QCOMPARE(S().RigheFatte, int16_t(0));

        // "Vai" over and over.
        for (int i = 0; i < 5; ++i)
            T::clic(inizio("Option2_0"), Tasti[i % 3]);
        QCOMPARE(addendi(), sheet);
        QCOMPARE(segni(), armata(0));

        // Closed mid-row, with digits typed.
        scrivi("12");
        op().close();
        QVERIFY(!schermoAperto());
        vai();
        QCOMPARE(celle()[0], QString("?"));
        QVERIFY(!T::key(11)->isEnabled());
        QCOMPARE(T::focusName(), QString("Option1_0"));

        // Closed during the help offer: the next opening has the keypad in front again.
        T::rispondiGiusto(0);
        scrivi(sbagliato(1));
        T::clic(T::key(11));
        QCOMPARE(riquadriAttivi(), QStringList({"fraAiuto"}));
        op().close();
        QVERIFY(!schermoAperto());
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        vai(Qt::MiddleButton);
        QCOMPARE(riquadriAttivi(), QStringList({"fraTastierino"}));
        QCOMPARE(riquadroDavanti(), QString("fraTastierino"));
        QCOMPARE(T::focusName(), QString("Option1_0"));
        QCOMPARE(segni(), armata(0));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(colore(i), ColoreCella);
        T::rispondiGiusto(0);
        QCOMPARE(S().RigheFatte, int16_t(1));

        // Closed at the end of a sheet, then the start screen closed during the help offer,
        // mid-row and at the end of a sheet.
        for (int r = 1; r < 10; ++r)
            T::rispondiGiusto(r);
        op().close();
        QVERIFY(!schermoAperto());
        vai();
        QCOMPARE(segni(), armata(0));

        for (int moment = 0; moment < 3; ++moment) {
            T::chiudi();
            T::avvia();
            vai();
            if (moment == 0) {
                scrivi(sbagliato(0));
                T::clic(T::key(11));
                QCOMPARE(T::focusName(), QString("Option3_0"));
            } else if (moment == 1) {
                scrivi("3");
            } else {
                for (int r = 0; r < 10; ++r)
                    T::rispondiGiusto(r);
                QCOMPARE(T::focusName(), QString("Option1_12"));
            }
            T::schermo("FrmInizio")->close();
            QVERIFY(!T::schermo("FrmInizio")->isVisible());
            QVERIFY(!op().isVisible());
        }
    }

    void captionsUseArialOrItsTwin()
    {
        vai();
        for (QWidget *w : {static_cast<QWidget *>(T::key(0)), static_cast<QWidget *>(T::cella(0)),
                           static_cast<QWidget *>(T::lbl("FrmInizio", "Label1"))}) {
            const QString family = QFontInfo(w->font()).family();
            QVERIFY2(family == "Arial" || family == "Liberation Sans", qPrintable(w->objectName() + ": " + family));
        }
    }
};

QTEST_MAIN(TstSessione)
#include "tst_sessione.moc"
