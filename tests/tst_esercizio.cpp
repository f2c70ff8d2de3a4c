// The session's rules on Esercizio itself, without a window: typing and taking back, right and
// wrong answers, "SI", "NO" and the intervention, the end of a sheet, the 30-row warning and
// restart, the print rows and the sheets' order.
#include "exercise/Esercizio.h"
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <set>

using Frame = Esercizio::Frame;

namespace {
// A session on a table, its sheets drawn from a clock the test sets.
struct Session {
    explicit Session(int n) : table(int16_t(n)) { e.open(); }
    int16_t table;
    double clock = 4321.25;
    Random random{[this] { return clock; }};
    Esercizio e{table, random};

    const Esercizio::Session &s() const { return e.session(); }
    const Esercizio::View &v() const { return e.view(); }
    int expected() const { return s().Risultati[size_t(s().RigaCorrente)].toInt(); }
    int row(int k) const { return int(std::find(v().Label2.begin(), v().Label2.end(), QString::number(k)) - v().Label2.begin()); }
    void answer(int value)
    {
        for (QChar c : QString::number(value))
            e.PremiTasto(c.digitValue());
        e.PremiTasto(Keypad::Invio);
    }
    // r right, w wrong, s "SI", n "NO", o "OK" of the intervention, N "Nuova Tabella", A "Ricomincia".
    void play(const QString &script)
    {
        for (QChar c : script) {
            switch (c.toLatin1()) {
            case 'r': answer(expected()); break;
            case 'w': answer(expected() + 1); break;
            case 's': e.SiSi(); break;
            case 'n': e.NoNo(); break;
            case 'o': e.optOK_Conferma(); break;
            case 'N': e.PremiTasto(Keypad::NuovaTabella); break;
            case 'A': e.AzzeraSessione(); break;
            }
        }
    }
    template <size_t N> static QString bits(const std::array<bool, N> &a) // '1' for each true
    {
        QString b;
        for (bool on : a)
            b += on ? u'1' : u'0';
        return b;
    }
    QString keys() const // the keypad's 14: digits and "Cancella", "Invio" too, or "Nuova Tabella" and "Esco"
    {
        const QString b = bits(v().enabled);
        return b == "11111111111000" ? "digits" : b == "11111111111100" ? "invio" : b == "00000000000011" ? "end" : b;
    }
};

QString r(int n) { return QStringLiteral("r").repeated(n); }
QString sheets(int n) { return QStringList(n, r(10)).join(u'N'); } // n whole sheets, right answers
}

class TstEsercizio : public QObject {
    Q_OBJECT
private slots:
    void digits_data()
    {
        QTest::addColumn<QString>("keys"); // digits, and C to take one back
        QTest::addColumn<QString>("shows");
        QTest::newRow("two zeros") << "100" << "100";
        QTest::newRow("a fourth digit is dropped") << "1234" << "123";
        QTest::newRow("taken back to ?") << "12CC" << "?";
        QTest::newRow("taking back from ?") << "C" << "?";
        QTest::newRow("taken back, typed again") << "25C7" << "27";
        QTest::newRow("a first 0 refused, after taking back all") << "3C0" << "?";
    }
    void digits()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shows);
        // By the keypad's buttons (mouse, Enter on a button) and by the keyboard: the same answer;
        // the keyboard also takes the focus to "Invio" whenever there is something to confirm.
        for (bool byKey : {false, true}) {
            Session t(6);
            for (QChar c : keys) {
                const int d = c == u'C' ? int(Keypad::Cancella) : c.digitValue();
                !byKey ? t.e.PremiTasto(d) : d == Keypad::Cancella ? t.e.deleteDigit() : t.e.typeDigit(d);
            }
            QCOMPARE(t.v().lblRisultato[0], shows);
            QCOMPARE(t.s().Risposta, shows == "?" ? QString() : shows);
            QCOMPARE(t.keys(), shows == "?" ? "digits" : "invio");
            const bool hadAnswer = keys.contains(QRegularExpression(QStringLiteral("^[C0]*[1-9]")));
            QCOMPARE(t.v().focus.index, byKey && hadAnswer ? int(Keypad::Invio) : 0);
        }
    }

    // After a script: rows done, "NO" counted, the frame in front (K keypad, H help offer, I
    // intervention, W warning) and its button with the focus, the keys enabled, the rows armed.
    void flow_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        const QString last = sheets(2) + "N" + r(9); // up to the 30th row
        QTest::newRow("right") << "r" << "1 0 K0 digits 0100000000";
        QTest::newRow("wrong: help offered") << "w" << "0 0 H0 invio 1000000000";
        QTest::newRow("SI") << "ws" << "1 0 K0 digits 0100000000";
        QTest::newRow("NO: the same row again") << "wn" << "0 1 K0 digits 1000000000";
        QTest::newRow("the third NO") << "wnwnwn" << "0 0 I0 invio 1000000000";
        QTest::newRow("NO counts across rows") << "wnrwnrwn" << "2 0 I0 invio 0010000000";
        QTest::newRow("OK gives the result") << "wnwnwno" << "1 0 K0 digits 0100000000";
        QTest::newRow("the end of a sheet") << r(10) << "10 0 K12 end 0000000000";
        QTest::newRow("the end by SI") << r(9) + "ws" << "10 0 K12 end 0000000000";
        QTest::newRow("the end by OK") << r(9) + "wnwnwno" << "10 0 K12 end 0000000000";
        QTest::newRow("a new sheet") << r(10) + "Nr" << "11 0 K0 digits 0100000000";
        QTest::newRow("30 right: the warning") << sheets(3) << "30 0 W0 end 0000000000";
        QTest::newRow("30th by SI: not yet") << last + "ws" << "30 0 K12 end 0000000000";
        // Behind the warning the row is armed and the keys set, but the focus stays on "Stampa".
        QTest::newRow("31st by SI: the warning") << last + "wsNws" << "31 0 W0 digits 0100000000";
        QTest::newRow("30th by OK: at once") << last + "wnwnwno" << "30 0 W0 end 0000000000";
        QTest::newRow("Ricomincia") << "wn" + sheets(3) + "A" << "0 1 K0 digits 1000000000";
    }
    void flow()
    {
        QFETCH(QString, script);
        Session t(4);
        t.play(script);
        const QString armed = t.bits(t.v().armed);
        QTEST(QStringLiteral("%1 %2 %3%4 %5 %6").arg(t.s().RigheFatte).arg(t.s().ContaNo).arg(QChar("KHIW"[int(t.v().front)]))
                  .arg(t.v().focus.index).arg(t.keys(), armed), "expected");
        // One frame enabled at a time: the one in front, with the focus.
        for (Frame f : {Frame::fraTastierino, Frame::fraAiuto, Frame::fraIntervento, Frame::fraAvviso})
            QCOMPARE(t.v().frameEnabled[size_t(f)], f == t.v().front);
        QCOMPARE(t.v().focus.frame, t.v().front);
        // The armed row waits for its answer, unless a wrong one is still shown; no other cell shows "?".
        const bool wrongShown = t.v().front == Frame::fraAiuto || t.v().front == Frame::fraIntervento;
        for (int g = 0; g < 10; ++g)
            QCOMPARE(t.v().lblRisultato[size_t(g)] == "?", armed[g] == u'1' && !wrongShown);
        // The current row is the armed one, the first when none is; a right answer is typed no more.
        QCOMPARE(t.s().RigaCorrente, int16_t(std::max<qsizetype>(0, armed.indexOf(u'1'))));
        QVERIFY(script.endsWith(u'r') ? t.s().Risposta.isEmpty() : !wrongShown || !t.s().Risposta.isEmpty());
    }

    void whatEachRowShowsAndPrints()
    {
        // Table 4, addend 3 answered 6, then "SI"; addend 5 answered 10, "NO", then 9; addend 10 by
        // the intervention after 15 and "NO" as often as it takes; the rest right at once.
        QString byIntervention = QStringLiteral("4 + 10 = ");
        Session t(4);
        for (int g = 0; g < 10; ++g) {
            const int k = t.v().Label2[size_t(g)].toInt();
            if (k == 3) {
                t.answer(6);
                QCOMPARE(t.v().lblRisultato[size_t(g)], QString("6"));
                t.e.SiSi();
                QCOMPARE(t.v().lblRisultato[size_t(g)], QString(" 7")); // given, with its blank
            } else if (k == 10) {
                for (; t.v().front != Frame::fraIntervento; byIntervention += QStringLiteral("15  "))
                    t.play("wn");
                t.play("o");
            } else {
                t.play(k == 5 ? "wnr" : "r");
            }
            QCOMPARE(t.v().yellow[size_t(g)], k == 3 || k == 5 || k == 10);
        }
        const QStringList rows = t.e.completedRows();
        QCOMPARE(rows.at(t.row(3)), QString("4 +  3 = 6   7"));
        QCOMPARE(rows.at(t.row(5)), QString("4 +  5 = 10  9  "));
        QCOMPARE(rows.at(t.row(10)), byIntervention + " 14");
        QCOMPARE(rows.at(t.row(1)), QString("4 +  1 = 5  "));
        // A new sheet: fresh cells in the cell colour, its rows printed after the rows done.
        t.play("N");
        QCOMPARE(t.v().yellow, (std::array<bool, 10>{}));
        QCOMPARE(t.v().lblRisultato[0] + t.v().lblRisultato[9], QString("?"));
        t.play("wsr");
        QCOMPARE(t.e.completedRows().mid(0, 10), rows);
        QCOMPARE(t.e.completedRows().size(), 12);
        QVERIFY(t.e.completedRows().at(10).endsWith(QStringLiteral("   %1").arg(4 + t.v().Label2[0].toInt())));
        // Restart: no rows left to print.
        t.play("wnA");
        QVERIFY(t.e.completedRows().isEmpty() && t.e.completedOutcomes().empty());
    }

    void sheetsAndTheirOrder()
    {
        // Every sheet holds 1..10 once; the order follows the clock, read at every sheet.
        Session t(10);
        std::set<QString> orders;
        for (int sheet = 0; sheet < 60; ++sheet) {
            t.clock = 1000.5 + sheet * 0.37;
            t.e.NuovaScheda();
            QStringList a(t.v().Label2.begin(), t.v().Label2.end());
            orders.insert(a.join(u' '));
            std::sort(a.begin(), a.end(), [](const QString &x, const QString &y) { return x.toInt() < y.toInt(); });
            QCOMPARE(a.join(u' '), QString("1 2 3 4 5 6 7 8 9 10"));
        }
        QVERIFY(orders.size() > 50);
        t.clock = 1000.5; // the same clock, the same order, on every machine, every time
        for (int again = 0; again < 2; ++again) {
            t.e.NuovaScheda();
            QCOMPARE(QStringList(t.v().Label2.begin(), t.v().Label2.end()).join(u' '), QString("6 8 2 4 1 7 10 3 9 5"));
        }
        // The table is read as the rows are shown: a new choice shows from the next sheet.
        t.table = 0;
        t.play("r");
        QCOMPARE(t.v().Label1, QString("10"));
        t.play("N");
        QCOMPARE(t.v().Label1, QString("0"));
        QCOMPARE(t.s().Risultati[1].toInt(), t.v().Label2[1].toInt());
    }
};

QTEST_GUILESS_MAIN(TstEsercizio)
#include "tst_esercizio.moc"
