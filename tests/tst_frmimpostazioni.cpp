// The teacher's settings screen: what the teacher changes holds at once, "Salva" writes it, "Elimina"
// removes a profile for good; only the teacher's chord opens it, never a pupil's key, held key or click.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

namespace {
bool opened() { return T::top("frmImpostazioni"); }
QWidget *ctl(const char *name) { return T::w("frmImpostazioni", QLatin1String(name)); }

QString saved(const QString &path) // the profiles, the current one's rounds and scan period (0: off); "?": unreadable
{
    Impostazioni s(path);
    s.load();
    return s.unreadable() ? "?" : QStringLiteral("%1 %2,%3").arg(s.names().join(' ')).arg(s.value(Impostazioni::Rounds))
                                                     .arg(s.scanPeriodMs().value_or(0));
}

void elimina(const QString &answer) // "Elimina", answering its question with the button of that text
{
    QTimer::singleShot(0, [answer] {
        QVERIFY(QApplication::activeModalWidget()->inherits("QMessageBox"));
        for (QAbstractButton *b : QApplication::activeModalWidget()->findChildren<QAbstractButton *>())
            if (b->text() == answer)
                b->click();
    });
    T::click(ctl("cmdElimina"));
}
}

class TstFrmImpostazioni : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void theTeachersScreen()
    {
        const QString path = dir.filePath("profili.json");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\"profilo\": \"Marco\", \"prof") && f.flush());
        Impostazioni s(path);
        s.load();
        T::Program p;
        FrmImpostazioni::attach(*p, s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        auto *unreadable = qobject_cast<QLabel *>(ctl("lblNonLette"));
        QVERIFY(unreadable->isVisible() && unreadable->text().contains("non si sono potute leggere"));
        // A new profile, its rounds, scanning every half second: at once, and saved.
        for (auto [name, typed] : {std::pair{"txtNuovoProfilo", "Marco\r"}, {"giri", "5"}, {"periodo_ms", "0,5"}, {"scansione", " "}}) {
            QTest::keyClick(ctl(name), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(ctl(name), typed);
        }
        QCOMPARE(saved(path), "?"); // not yet written
        T::click(ctl("cmdSalva"));
        QVERIFY(!unreadable->isVisible());
        QCOMPARE(saved(path), "Marco Predefinito 5,500");
        T::top("frmImpostazioni")->close();
        T::activate(&p.inizio());
        QTRY_COMPARE_WITH_TIMEOUT(T::focusName(), "Option1_1", 5000); // the scan moves by itself
        // "Elimina" asks first, then removes the profile from the file; the last one stays.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        elimina("Annulla");
        elimina("Elimina");
        QCOMPARE(saved(path), "Predefinito 3,0");
        QVERIFY(!ctl("cmdElimina")->isEnabled());
        T::top("frmImpostazioni")->close();
        // No other key opens it: each alone, on the keypad, with Shift, Ctrl or Alt, on a table and on a
        // command, through the toolkit's shortcuts as a real key goes.
        for (auto [first, last] : {std::pair{Qt::Key_Space, Qt::Key_Z}, {Qt::Key_Escape, Qt::Key_Menu}})
            for (int k = first; k <= last; ++k)
                for (auto m : {Qt::NoModifier, Qt::KeypadModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
                    for (const char *on : {"Option1_0", "Option2_1"}) {
                        T::activate(&p.inizio());
                        T::btn("FrmInizio", on)->setFocus();
                        for (int i : {0, 1, 2}) // pressed, held (a repeat) and let go
                            QTest::simulateEvent(QApplication::focusWidget(), i < 2, k, m, {}, i == 1);
                        QVERIFY2(!opened(), qPrintable(QStringLiteral("key 0x%1 modifiers 0x%2").arg(k, 0, 16).arg(int(m), 0, 16)));
                    }
        // Nor does any mouse button on any of the start screen's buttons, "Esci" last.
        QList<QAbstractButton *> buttons = p.inizio().centralWidget()->findChildren<QAbstractButton *>();
        std::stable_partition(buttons.begin(), buttons.end(), [](QWidget *w) { return w->objectName() != "Option2_2"; });
        for (QAbstractButton *c : buttons)
            for (Qt::MouseButton b : T::Buttons) {
                T::click(c, b);
                QVERIFY2(!opened(), qPrintable(c->objectName()));
            }
        QVERIFY(!p.inizio().isVisible()); // "Esci" was pressed: every button was reached
    }
};

QTEST_MAIN(TstFrmImpostazioni)
#include "tst_frmimpostazioni.moc"
