// The button input model on bare buttons: key codes, the key tables, and an array worked by keys,
// SPACE scanning and any mouse button, with its press flags. "Num+": on the numeric keypad.
#include "TestSupport.h"
#include "input/ButtonArray.h"
#include "input/HeldKeys.h"
#include "input/KeyCodes.h"
#include <QWindow>
#include <QKeySequence>

namespace {
using E = KeyTables::Effect;
using Rules = ButtonArray::Rules;
enum { Guarded, GuardedKeypad, Pair, Ok, Close }; // the arrays on the bench
const QColor Focus(255, 192, 128), Rest(255, 224, 192);

// Rows "key=expected" of a key table or, without one, of the key codes. A table's effect, in the
// order of Effect::Kind: D discard, L let through, F focus on, C confirm, O the owner's action; /n:
// only while button n is enabled.
std::vector<ButtonArray::KeyTable> tables; // those of the rows
void rows(const char *name, ButtonArray::KeyTable table, const char *given)
{
    tables.push_back(table);
    for (const QString &r : QString(given).split(' '))
        QTest::addRow("%s %s", name, qPrintable(r)) << (table ? int(tables.size() - 1) : -1) << r.section('=', 0, 0) << r.section('=', 1);
}
}

class TstInput : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // Both keyboards' digits, the keypad's *, letters, both Enter keys; 0: a key no table knows.
        rows("code", nullptr, "0=48 9=57 Num+0=96 Num+9=105 Num+*=106 A=65 Shift+A=65 Shift+Z=90 Return=13 Num+Enter=13 "
                              "Space=32 Backspace=8 Left=37 Down=40 F2=113 *=0 F1=0 Tab=0 Esc=0 Shift+!=0");
        // With Shift a digit key gives its symbol; its keycode (after @) still says which digit.
        rows("shifted", nullptr, "Shift+!@10=49 Shift+)@19=48 Shift+?@20=0");
        // The keypad's digits with Num Lock off: what is printed under each digit, still that digit.
        rows("numLockOff", nullptr, "Num+Ins=96 Num+End=97 Num+Down=98 Num+PgDown=99 Num+Left=100 Num+Clear=101 "
                                    "Num+Right=102 Num+Home=103 Num+Up=104 Num+PgUp=105 Num+Del=0 Home=0 PgUp=0");
        // The start screen's commands: only 0 and 1 of the main keyboard name one, "Esci" none.
        rows("commands", KeyTables::commands, "0=F0 1=F1 Return=C 2=L 9=L Num+0=L Num+1=L Num+2=L E=L V=L N=L F2=L Backspace=L X=D S=D Num+*=D Space=D");
        rows("tables", KeyTables::tables, "0=F0 Num+0=F0 4=F4 Num+4=F4 9=F9 Num+9=F9 Num+*=F10 Return=C S=L N=L X=D E=D Backspace=D Space=D");
        // The pairs and the print screen: the place on either keyboard or the caption's initial.
        rows("helpOffer", KeyTables::helpOffer, "S=F0 1=F0 Num+1=F0 N=F1 2=F1 Num+2=F1 Return=C R=D 0=D 3=D Space=D");
        rows("warning", KeyTables::warning, "S=F0 1=F0 Num+1=F0 R=F1 2=F1 Num+2=F1 Return=C N=D 0=D 3=D Space=D");
        rows("printCommands", KeyTables::printCommands, "S=F0 1=F0 Num+1=F0 P=F1 2=F1 Num+2=F1 C=F2 3=F2 Num+3=F2 Return=C X=D 0=D 4=D Space=D");
        rows("keypad", KeyTables::keypad, "0=O0/0 Num+0=O0/0 5=O5/5 Num+5=O5/5 9=O9/9 Num+9=O9/9 C=O10/10 I=F11/11 N=F12/12 "
                                          "E=F13/13 Return=C Backspace=L Left=L Up=L Right=L Down=L F2=L V=L X=D S=D Num+*=D Space=D");
    }
    void keys()
    {
        QFETCH(int, table);
        QFETCH(QString, key);
        const QKeyCombination k = QKeySequence::fromString(key.section('@', 0, 0))[0];
        const QKeyEvent ev(QEvent::KeyPress, k.key(), k.keyboardModifiers(), key.section('@', 1).toUInt(), 0, 0);
        const int code = KeyCode::of(&ev);
        const E e = table < 0 ? E{} : tables[size_t(table)](code);
        const QString index = e.kind == E::FocusOn || e.kind == E::Own ? QString::number(e.index) : QString();
        const QString needs = e.needsEnabled >= 0 ? "/" + QString::number(e.needsEnabled) : QString();
        QTEST(table < 0 ? QString::number(code) : QString("DLFCO")[e.kind] + index + needs, "expected");
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
            {"SPACE: the next enabled button, round", Guarded, "!1 !13 @12 +Space -Space +Space -Space +Space -Space", "@3 --"},
            {"SPACE: the pair kind does not skip", Pair, "!1 +Space -Space", "@0 --"},
            {"the pair kind has no flags", Pair, "+Return ~Return +Space ~Space", "C0 C0 @2 --"},
            {"held Enter confirms once, again after the release", Guarded, "+Return ~Return ~Return -Return +Return", "C0 C0 @0 -T"},
            {"a held key keeps others back", Guarded, "+P ~P +C", "@1 -T"},
            {"held SPACE scans once", Guarded, "+Space ~Space ~Space -Space", "@1 --"},
            {"a discarded key sets no flag", Guarded, "+X +Return", "C0 @0 -T"},
            {"the two flags apart; a key release clears both", Guarded, "+Space +C -X +Return +Space", "C2 @3 ST"},
            {"a mouse release clears both", Guarded, "+Return +Space -L5 +Space +Return", "C0 C2 @2 ST"},
            {"any mouse button, on the press", Guarded, "+Return +L2 +R3 +M4", "C0 C2 C3 C4 @4 -T"},
            {"a double click confirms once", Guarded, "+L2 -L2 dL2 -L2", "C2 @2 --"},
            {"keypad keys", GuardedKeypad, "+7 -7 +Num+3 -Num+3 +C -C +I -I +E", "O7 O3 O10 @13 -T"},
            {"keypad keys of disabled buttons taken", GuardedKeypad, "!0 !7 !10 !11 @1 +0 +8 -8 +7 -7 +C -C +I", "@1 -T"},
            {"OK: every key, Tab too", Ok, "+Tab +X +Space +F1 +Return", "C0 C0 C0 C0 C0 @0 --"},
            {"close button: SPACE too", Close, "+Space -Space +X +Return", "C0 C0 @0 --"}};
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
        ButtonArray a(kind == Pair ? Rules::coppia() : kind == Ok ? Rules::qualsiasiTasto()
                      : kind == Close ? Rules::pulsanteChiudi() : Rules::guardate(&spazio, &tasto),
                      std::array{KeyTables::printCommands, KeyTables::keypad, KeyTables::helpOffer, KeyTables::anyKey,
                                 KeyTables::closeButton}[size_t(kind)],
                      [&](int i) { log << QStringLiteral("C%1").arg(i); }, [&](int i) { log << QStringLiteral("O%1").arg(i); });
        for (int i = 0; i < 14; ++i)
            b.push_back(new OptionButton(&w)), b.back()->setBackColor(Rest);
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
        // The focus shows by colour, except on the OK and the close button, which keep theirs.
        for (OptionButton *o : b)
            QCOMPARE(T::colour(o), o->hasFocus() && kind != Ok && kind != Close ? Focus : Rest);
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
