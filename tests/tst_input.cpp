// The button input model: key codes; an array of bare buttons worked by keys, SPACE scanning and
// the mouse, with its press flags; a press under a pointer that has not moved, on the exercise screen;
// held keys at the window. "Num+": on the numeric keypad.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include "input/ButtonArray.h"
#include "input/HeldKeys.h"
#include "input/KeyCodes.h"

namespace {
using Rules = ButtonArray::Rules;
enum { Guarded, Pair, Ok }; // the arrays on the bench
const QColor Focus(255, 192, 128), Rest(255, 224, 192);
}

class TstInput : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // "key=code" where the screens' tests do not reach (0: a key no table knows). With Shift a digit key
        // gives its symbol, its keycode (after @) still says which digit; with Num Lock off the keypad's
        // digits give what is printed under them, still that digit (keypad digits: 96..105).
        const QString rows = "Shift+Z=90 Backspace=8 Left=37 F2=113 *=0 F1=0 Tab=0 Shift+!=0 Shift+!@10=49 Shift+)@19=48 "
                             "Shift+?@20=0 Num+Ins=96 Num+End=97 Num+Down=98 Num+PgDown=99 Num+Left=100 Num+Clear=101 "
                             "Num+Right=102 Num+Home=103 Num+Up=104 Num+PgUp=105 Num+Del=0 Home=0 PgUp=0";
        for (const QString &r : rows.split(' '))
            QTest::newRow(qPrintable(r)) << r.section('=', 0, 0) << r.section('=', 1);
    }
    void keys()
    {
        QFETCH(QString, key);
        const QKeyCombination k = QKeySequence::fromString(key.section('@', 0, 0))[0];
        const QKeyEvent ev(QEvent::KeyPress, k.key(), k.keyboardModifiers(), key.section('@', 1).toUInt(), 0, 0);
        QTEST(QString::number(KeyCode::of(&ev)), "expected");
    }

    // Fourteen bare buttons, button 0 focused, and a script: + press, - release, ~ auto-repeat release
    // and press, d the second press of a double click, of a key or the mouse over a button (L2); !n
    // disables button n, @n focuses it. At the end what the array did (C2: button 2 confirmed, O7: the
    // owner's action 7), the focus (@n) and the press flags set (S SPACE, T key).
    void buttonArray_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("end");
        QTest::newRow("SPACE: the pair kind does not skip") << int(Pair) << "!1 +Space -Space" << "@0 --";
        QTest::newRow("the pair kind has no flags") << int(Pair) << "+Return ~Return +Space ~Space" << "C0 C0 @2 --";
        QTest::newRow("a held key keeps others back") << int(Guarded) << "+P ~P +C" << "@1 -T";
        QTest::newRow("the two flags apart; a key release clears both") << int(Guarded) << "+Space +C -X +Return +Space" << "C2 @3 ST";
        QTest::newRow("a mouse release clears both") << int(Guarded) << "+Return +Space -L5 +Space +Return" << "C0 C2 @2 ST";
        QTest::newRow("a double click confirms once") << int(Guarded) << "+L2 -L2 dL2 -L2" << "C2 @2 --";
        QTest::newRow("OK: every key, Tab too") << int(Ok) << "+Tab +X +Space +F1 +Return" << "C0 C0 C0 C0 C0 @0 --";
    }
    void buttonArray()
    {
        QFETCH(int, kind);
        QFETCH(QString, script);
        QWidget w;
        std::vector<OptionButton *> b;
        bool spaceFlag = false, keyFlag = false;
        QStringList log;
        ButtonArray a(kind == Pair ? Rules::pair() : kind == Ok ? Rules::anyKey() : Rules::guarded(&spaceFlag, &keyFlag),
                      std::array{KeyTables::printCommands, KeyTables::helpOffer, KeyTables::anyKey}[size_t(kind)],
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
            const bool mouse = what.size() == 2 && what[0] == u'L' && what[1].isDigit();
            OptionButton *on = b[size_t(mouse ? what[1].digitValue() : qBound(0, what.toInt(), 13))];
            const QKeyCombination k = QKeySequence::fromString(what)[0];
            if (op == '!' || op == '@')
                op == '!' ? on->setEnabled(false) : on->setFocus();
            else if (mouse)
                op == '+' ? QTest::mousePress(on, Qt::LeftButton) : op == '-' ? QTest::mouseRelease(on, Qt::LeftButton) : QTest::mouseDClick(on, Qt::LeftButton);
            else if (op == '~')
                T::release(k.key(), k.keyboardModifiers(), true), T::press(k.key(), k.keyboardModifiers(), true);
            else
                op == '-' ? T::release(k.key(), k.keyboardModifiers()) : T::press(k.key(), k.keyboardModifiers());
        }
        const auto focus = std::find(b.begin(), b.end(), QApplication::focusWidget()) - b.begin();
        QTEST((log + QStringList{QStringLiteral("@%1").arg(focus), QString(spaceFlag ? "S" : "-") + (keyFlag ? "T" : "-")}).join(' '), "end");
        // The focus shows by colour, except on the OK, which keeps its own.
        for (OptionButton *o : b)
            QCOMPARE(T::colour(o), o->hasFocus() && kind != Ok ? Focus : Rest);
    }

    // A button that comes up under a pointer that has not moved takes no press: the first button
    // pressed twice (a double click, then once more at a human interval) acts once; after a move of one
    // pixel, or a key that brings the highlight there, the button now there acts. The session is played
    // up to the first button ("r": the right result, "=": Invio, N: NO; "29": that many rows done right),
    // then the first button, the one that comes up ("FrmInizio:" on the start screen, made larger), the key.
    void stillPointer_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("Invio, then SI") << "1 Option1_11 Option3_0";
        QTest::newRow("OK on the 30th row, then Ricomincia") << "291=N1=N1=N optOK optAvviso_1";
        QTest::newRow("OK on the 30th row, R, then Ricomincia") << "291=N1=N1=N optOK optAvviso_1 R";
        QTest::newRow("Esco, then Vai") << "r=r=r=r=r=r=r=r=r=r= Option1_13 FrmInizio:Option2_0";
    }
    void stillPointer()
    {
        QFETCH(QString, script);
        T::Program p;
        QWindow *win = p.open(7).windowHandle();
        Esercizio &e = p->esercizio();
        const QString play = script.section(' ', 0, 0).replace("29", QString("r=").repeated(29));
        for (QChar c : play) {
            if (e.session().mode == Esercizio::Mode::EndOfSheet)
                e.PremiTasto(Keypad::NuovaTabella);
            for (QChar d : c == u'r' ? e.session().Risultati[size_t(e.session().RigaCorrente)].trimmed() : c.isDigit() ? QString(c) : "")
                e.PremiTasto(d.digitValue());
            c == u'=' ? e.PremiTasto(Keypad::Invio) : c == u'N' ? e.NoNo() : void();
        }
        const QString then = script.section(' ', 2, 2);
        p.inizio().resizeClient(QSize(1212, 877)); // its "Vai" under the exercise screen's "Esco"
        QWidget *a = T::w("frmOperativo", script.section(' ', 1, 1)), *b = T::w(then.contains(':') ? "FrmInizio" : "frmOperativo", then.section(':', -1));
        const QRect both = QRect(a->mapToGlobal(QPoint()), a->size()) & QRect(b->mapToGlobal(QPoint()), b->size());
        QVERIFY(!both.isEmpty() && a->isVisible());
        QPoint at = win->mapFromGlobal(both.center());
        auto state = [&] { // what a press could change
            return QStringLiteral("%1 %2 %3 %4").arg(e.session().RigheFatte).arg(e.session().Risposta, T::focusName()).arg(int(e.view().front));
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

    void heldKeysForgottenAway()
    {
        // At the window, before any widget, a press of a key still down (as X sends a held key once asked
        // to) is swallowed; a key let go while another program had the keyboard is down no more.
        struct Window : QWindow { int presses = 0; void keyPressEvent(QKeyEvent *) override { ++presses; } } win;
        HeldKeys held;
        qApp->installEventFilter(&held);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, 10, 0, 0);
        QEvent away(QEvent::ApplicationDeactivate);
        QApplication::sendEvent(&win, &press);
        QApplication::sendEvent(&win, &press);
        QApplication::sendEvent(qApp, &away);
        QApplication::sendEvent(&win, &press);
        QCOMPARE(win.presses, 2);
    }
};

QTEST_MAIN(TstInput)
#include "tst_input.moc"
