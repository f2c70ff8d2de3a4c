// What assistive technology finds on every screen (each button's role, spoken name, enabled and
// focused state; the words said with a label's caption) and its "Press", which works as Enter.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QAccessible>
#include <QSignalSpy>

namespace {
QAccessibleInterface *ai(QObject *o) { return QAccessible::queryAccessibleInterface(o); }
QString name(QObject *o) { return ai(o)->text(QAccessible::Name); }

// The buttons of a window as a client finds them walking the accessible tree, by their names in
// alphabetical order: each a push button (never a toggle) that can take the focus, disabled and
// focused as the pupil finds it, offering "Press" exactly when it can be worked.
QStringList buttons(QAccessibleInterface *i)
{
    QStringList names;
    for (int c = 0; c < i->childCount(); ++c)
        names += buttons(i->child(c));
    if (auto *b = qobject_cast<OptionButton *>(i->object())) {
        const QAccessible::State s = i->state();
        const bool right = i->role() == QAccessible::Button && !s.checkable && !s.checked && s.focusable && bool(s.disabled) != b->isEnabled()
                           && bool(s.focused) == b->hasFocus()
                           && i->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()) == b->isEnabled();
        names << (right ? i->text(QAccessible::Name) : "wrong: " + b->objectName());
    }
    names.sort();
    return names;
}
QStringList buttons(QWidget *window) { return buttons(ai(window)); }

// Pressed as a screen reader or switch-access software presses it; the toolkit delivers it later.
void press(QAbstractButton *b)
{
    QSignalSpy pressed(b, &QAbstractButton::clicked);
    ai(b)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(pressed.count(), 1);
}
}

class TstAccessibilita : public QObject {
    Q_OBJECT
private slots:
    void everyControl()
    {
        T::Program p;
        QCOMPARE(buttons(&p.inizio()), QStringList({"0", "1", "10", "2", "3", "4", "5", "6", "7", "8", "9", "Esci", "Ripristina", "Vai"}));
        QCOMPARE(ai(T::btn("FrmInizio", "Option1_7"))->text(QAccessible::Description), QString("Tabella del 7"));
        QCOMPARE(name(T::lbl("FrmInizio", "Label7")), QString("Vers.1.0\nMouse")); // its lines as drawn

        FrmOperativo &op = p.open(4); // the start screen's buttons pressed by assistive technology: real_session.py
        QCOMPARE(buttons(&op), QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Cancella", "Esco", "Invio", "NO",
                                            "Nuova Tabella", "OK", "Ricomincia", "SI", "Stampa"}));
        QCOMPARE(name(T::lbl("frmOperativo", "Label1")), QString("Tabella: 4"));
        QCOMPARE(name(T::lbl("frmOperativo", "Label2_3")), "Addendo: " + T::lbl("frmOperativo", "Label2_3")->text());
        // A keypad button pressed takes the focus, as under the mouse, and works as Enter there.
        const QString right = QString::number(T::expected(0));
        for (QChar c : right)
            press(T::key(c.digitValue()));
        QVERIFY(ai(T::key(right.back().digitValue()))->state().focused);
        QCOMPARE(name(T::cell(0)), "Risultato: " + right); // the name follows the caption
        press(T::key(11));
        QCOMPARE(T::cell(1)->text(), QString("?"));
        // Behind the author screen, modal, the exercise screen takes no press, as it takes no key.
        const auto author = InfoScreen::frmAutore(&op); // the instructions screen has the same button
        author->setModal(true);
        author->show(); // "C h i u d i", spelt out letter by letter, said as one word
        QCOMPARE(buttons(author.get()), QStringList{"Chiudi"});
        press(T::key(5));
        QCOMPARE(T::cell(1)->text(), QString("?"));
        press(T::btn("frmAutore", "Command1"));
        QVERIFY(!author->isVisible());

        FrmStampa print(p.dialogs, PrintedWork{p->esercizio().completedRows(), {}, {}, 0, 4});
        print.show();
        QCOMPARE(name(print.findChild<QWidget *>("picAnteprima")) + name(print.findChild<QWidget *>("txtNome")), QString("Anteprima di stampaNome dell'alunno"));
        QAccessible::setActive(true); // a screen reader connects: the toolkit's words turn Italian
        QCOMPARE(ai(T::key(0))->actionInterface()->localizedActionName(QAccessibleActionInterface::pressAction()), QString("Premi"));
    }
};

QTEST_MAIN(TstAccessibilita)
#include "tst_accessibilita.moc"
