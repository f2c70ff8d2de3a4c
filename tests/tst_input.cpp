// The button input model: key codes; an array of bare buttons worked by keys, SPACE scanning and
// any mouse button, with its press flags; a press under a pointer that has not moved, on the
// exercise screen. "Num+": on the numeric keypad.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include "input/ButtonArray.h"
#include "input/HeldKeys.h"
#include "input/KeyCodes.h"
#include <QWindow>
#include <QKeySequence>

namespace {
using Rules = ButtonArray::Rules;
enum { Guarded, GuardedKeypad, Pair, Ok }; // the arrays on the bench
const QColor Focus(255, 192, 128), Rest(255, 224, 192);

// Rows "key=expected" of the key codes.
void rows(const char *name, const char *given)
{
    for (const QString &r : QString(given).split(' '))
        QTest::addRow("%s %s", name, qPrintable(r)) << r.section('=', 0, 0) << r.section('=', 1);
}
}

class TstInput : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // Both keyboards' digits, the keypad's *, letters, both Enter keys; 0: a key no table knows.
        rows("code", "0=48 9=57 Num+0=96 Num+9=105 Num+*=106 A=65 Shift+Z=90 Return=13 Num+Enter=13 "
                     "Space=32 Backspace=8 Left=37 F2=113 *=0 F1=0 Tab=0 Shift+!=0");
        // With Shift a digit key gives its symbol; its keycode (after @) still says which digit.
        rows("shifted", "Shift+!@10=49 Shift+)@19=48 Shift+?@20=0");
        // The keypad's digits with Num Lock off: what is printed under each digit, still that digit.
        rows("numLockOff", "Num+Ins=96 Num+End=97 Num+Down=98 Num+PgDown=99 Num+Left=100 Num+Clear=101 "
                           "Num+Right=102 Num+Home=103 Num+Up=104 Num+PgUp=105 Num+Del=0 Home=0 PgUp=0");
    }
    void keys()
    {
        QFETCH(QString, key);
        const QKeyCombination k = QKeySequence::fromString(key.section('@', 0, 0))[0];
        const QKeyEvent ev(QEvent::KeyPress, k.key(), k.keyboardModifiers(), key.section('@', 1).toUInt(), 0, 0);
        QTEST(QString::number(KeyCode::of(&ev)), "expected");
    }

    // Fourteen bare buttons, button 0 focused, and a script: + press, - release, ~ auto-repeat release
    // and press, d the second press of a double click, of a key or a mouse button over a button (L2,
    // R2, M2); !n disables button n, @n focuses it. At the end what the array did (C2: button 2
    // confirmed, O7: the owner's action 7), the focus (@n) and the press flags set (S SPACE, T key).
    void buttonArray_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("end");
        const struct { const char *name; int kind; const char *script, *end; } rows[] = {
            {"SPACE: the pair kind does not skip", Pair, "!1 +Space -Space", "@0 --"},
            {"the pair kind has no flags", Pair, "+Return ~Return +Space ~Space", "C0 C0 @2 --"},
            {"held Enter confirms once, again after the release", Guarded, "+Return ~Return ~Return -Return +Return", "C0 C0 @0 -T"},
            {"a held key keeps others back", Guarded, "+P ~P +C", "@1 -T"},
            {"a discarded key sets no flag", Guarded, "+X +Return", "C0 @0 -T"},
            {"the two flags apart; a key release clears both", Guarded, "+Space +C -X +Return +Space", "C2 @3 ST"},
            {"a mouse release clears both", Guarded, "+Return +Space -L5 +Space +Return", "C0 C2 @2 ST"},
            {"any mouse button, on the press", Guarded, "+Return +L2 +R3 +M4", "C0 C2 C3 C4 @4 -T"},
            {"a double click confirms once", Guarded, "+L2 -L2 dL2 -L2", "C2 @2 --"},
            {"keypad keys of disabled buttons taken", GuardedKeypad, "!0 !7 !10 !11 @1 +0 +8 -8 +7 -7 +C -C +I", "@1 -T"},
            {"OK: every key, Tab too", Ok, "+Tab +X +Space +F1 +Return", "C0 C0 C0 C0 C0 @0 --"}};
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.kind << QString(r.script) << QString(r.end);
    }
    void buttonArray()
    {
        QFETCH(int, kind);
        QFETCH(QString, script);
        QWidget w;
        std::vector<OptionButton *> b;
        bool spazio = false, tasto = false;
        QStringList log;
        ButtonArray a(kind == Pair ? Rules::coppia() : kind == Ok ? Rules::qualsiasiTasto() : Rules::guardate(&spazio, &tasto),
                      std::array{KeyTables::printCommands, KeyTables::keypad, KeyTables::helpOffer, KeyTables::anyKey}[size_t(kind)],
                      [&](int i) { log << QStringLiteral("C%1").arg(i); }, [&](int i) { log << QStringLiteral("O%1").arg(i); });
        for (int i = 0; i < 14; ++i)
            b.push_back(new OptionButton(&w)), b.back()->setBackColor(Rest), b.back()->setGeometry(i * 40, 0, 40, 30);
        a.setButtons(b);
        w.show();
        QApplication::setActiveWindow(&w);
        b[0]->setFocus();
        for (const QString &t : script.split(' ')) {
            const QChar op = t[0];
            const QString what = t.mid(1);
            const bool mouse = what.size() == 2 && QString("LRM").contains(what[0]) && what[1].isDigit();
            OptionButton *on = b[size_t(mouse ? what[1].digitValue() : qBound(0, what.toInt(), 13))];
            const auto m = what[0] == 'L' ? Qt::LeftButton : what[0] == 'R' ? Qt::RightButton : Qt::MiddleButton;
            const QKeyCombination k = QKeySequence::fromString(what)[0];
            if (op == '!' || op == '@')
                op == '!' ? on->setEnabled(false) : on->setFocus();
            else if (mouse)
                op == '+' ? QTest::mousePress(on, m) : op == '-' ? QTest::mouseRelease(on, m) : QTest::mouseDClick(on, m);
            else if (op == '~')
                T::release(k.key(), k.keyboardModifiers(), true), T::press(k.key(), k.keyboardModifiers(), true);
            else
                op == '-' ? T::release(k.key(), k.keyboardModifiers()) : T::press(k.key(), k.keyboardModifiers());
        }
        const auto focus = std::find(b.begin(), b.end(), QApplication::focusWidget()) - b.begin();
        QTEST((log + QStringList{QStringLiteral("@%1").arg(focus), QString(spazio ? "S" : "-") + (tasto ? "T" : "-")}).join(' '), "end");
        // The focus shows by colour, except on the OK, which keeps its own.
        for (OptionButton *o : b)
            QCOMPARE(T::colour(o), o->hasFocus() && kind != Ok ? Focus : Rest);
    }

    // A button that comes up under a pointer that has not moved takes no press: the first button
    // pressed twice (a double click, then once more at a human interval) acts once; after a move of
    // one pixel, or a key that brings the highlight there, the button now there acts. The session is
    // played up to the first button ("r": the right result, "=": Invio, S/N/K: SI, NO, OK; "29": that
    // many rows done right), then the first button, the one that comes up ("FrmInizio:": on the start
    // screen, made larger), perhaps the key.
    void stillPointer_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("Invio, then SI") << "1 Option1_11 Option3_0";
        QTest::newRow("SI, then a digit") << "1= Option3_0 Option1_7";
        QTest::newRow("NO, then OK") << "1=N1=N1= Option3_1 optOK";
        QTest::newRow("OK, then Cancella") << "1=N1=N1=N optOK Option1_10";
        QTest::newRow("OK on the 30th row, then Ricomincia") << "291=N1=N1=N optOK optAvviso_1";
        QTest::newRow("OK on the 30th row, R, then Ricomincia") << "291=N1=N1=N optOK optAvviso_1 R";
        QTest::newRow("Invio on the 30th row, then Stampa") << "29r Option1_11 optAvviso_0";
        QTest::newRow("Esco, then Vai") << "r=r=r=r=r=r=r=r=r=r= Option1_13 FrmInizio:Option2_0";
    }
    void stillPointer()
    {
        QFETCH(QString, script);
        T::Program p;
        FrmOperativo &op = p.open(7);
        Esercizio &e = p->esercizio();
        const QString play = script.section(' ', 0, 0).replace("29", QString("r=").repeated(29));
        for (int i = 0; i < play.size(); ++i) {
            const QChar c = play[i];
            for (QChar d : c == u'r' ? e.session().Risultati[size_t(e.session().RigaCorrente)].trimmed() : c.isDigit() ? QString(c) : "")
                e.PremiTasto(d.digitValue());
            c == u'=' ? e.PremiTasto(Keypad::Invio) : c == u'S' ? e.SiSi() : c == u'N' ? e.NoNo() : c == u'K' ? e.optOK_Conferma() : void();
            if (e.session().mode == Esercizio::Mode::EndOfSheet && i + 1 < play.size())
                e.PremiTasto(Keypad::NuovaTabella);
        }
        const QString then = script.section(' ', 2, 2);
        if (then.contains(':')) // its "Vai" under the exercise screen's "Esco"
            p.inizio().resizeClient(QSize(1212, 877));
        QWidget *a = T::w("frmOperativo", script.section(' ', 1, 1)), *b = T::w(then.contains(':') ? "FrmInizio" : "frmOperativo", then.section(':', -1));
        const QRect both = QRect(a->mapToGlobal(QPoint()), a->size()) & QRect(b->mapToGlobal(QPoint()), b->size());
        QVERIFY(!both.isEmpty() && a->isVisible());
        QWindow *win = op.windowHandle();
        QPoint at = win->mapFromGlobal(both.center());
        auto state = [&] { // what a press could change
            return QStringLiteral("%1 %2 %3 %4 %5").arg(e.session().RigheFatte).arg(e.session().Risposta, T::focusName())
                .arg(int(e.view().front)).arg(bool(T::top("frmStampa")));
        };
        QTest::mouseMove(win, at);
        QTest::mouseDClick(win, Qt::LeftButton, {}, at);
        QVERIFY(b->isVisible() && b->isEnabled());
        at = b->window()->windowHandle()->mapFromGlobal(both.center()), win = b->window()->windowHandle(); // where it came up
        const QString key = script.section(' ', 3);
        if (!key.isEmpty())
            T::type(Qt::Key(key[0].unicode()));
        const QString before = state();
        QTest::mouseClick(win, Qt::RightButton, {}, at, 300);
        QCOMPARE(state() == before, key.isEmpty());
        QTest::mouseMove(win, at + QPoint(0, 1));
        QTest::mouseClick(win, Qt::LeftButton, {}, at + QPoint(0, 1));
        QVERIFY(state() != before);
    }

    void heldKeysActOnce()
    {
        // At the window, before any widget: a marked repeat, or a press of a key still down (as X
        // sends a held key once asked to), is swallowed; a key let go while another program had
        // the keyboard is not down any more.
        struct Count : QObject {
            QStringList seen;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::KeyPress)
                    seen << QString::number(static_cast<QKeyEvent *>(e)->nativeScanCode());
                return true;
            }
        } count;
        HeldKeys held;
        qApp->installEventFilter(&held);
        QWindow win;
        win.installEventFilter(&count);
        auto send = [&](QEvent::Type t, quint32 scan, bool repeat = false) {
            QKeyEvent e(t, Qt::Key_1, Qt::NoModifier, scan, 0, 0, QString(), repeat);
            QApplication::sendEvent(&win, &e);
        };
        for (const char *step : {"+10", "+10", "~10", "-10", "+10", "-10", "+11", "+12"})
            send(step[0] == '-' ? QEvent::KeyRelease : QEvent::KeyPress, QByteArray(step + 1).toUInt(), step[0] == '~');
        QEvent away(QEvent::ApplicationDeactivate);
        QApplication::sendEvent(qApp, &away);
        send(QEvent::KeyPress, 11);
        QCOMPARE(count.seen, QStringList({"10", "10", "11", "12", "11"}));
    }
};

QTEST_MAIN(TstInput)
#include "tst_input.moc"
