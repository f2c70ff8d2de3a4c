// The teacher's settings screen: only the teacher's chord opens it, never a pupil's key, held key or
// click; what the teacher changes holds at once, "Salva" writes it, "Elimina" removes a profile
// from the file for good.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

namespace {
bool opened() { return T::top("frmImpostazioni"); }
QWidget *ctl(const char *name) { return T::w("frmImpostazioni", QLatin1String(name)); }

// The profiles saved, with their rounds and scan period (0: off); "?": none could be read.
QString saved(const QString &path)
{
    Impostazioni s(path);
    s.load();
    QStringList all;
    for (const QString &n : s.names())
        all << QStringLiteral("%1:%2,%3").arg(n).arg(s.choose(n) * s.value(Impostazioni::Rounds)).arg(s.scanPeriodMs().value_or(0));
    return s.unreadable() ? "?" : all.join(' ');
}

// Answers the question that comes up next with the button of that text.
void answer(const QString &text)
{
    QTimer::singleShot(0, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == text)
                b->click();
    });
}
}

class TstFrmImpostazioni : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void onlyTheTeachersChordOpensIt()
    {
        Impostazioni s(dir.filePath("guard.json"));
        T::Program p;
        FrmImpostazioni::attach(*p, s);
        std::vector<std::pair<int, Qt::KeyboardModifiers>> keys = {{Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier}};
        for (int k = Qt::Key_0; k <= Qt::Key_Z; ++k) // digits, letters and signs; on the keypad too
            for (auto m : {Qt::NoModifier, Qt::KeypadModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
                keys.push_back({k, m});
        for (int k : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Escape,
                      Qt::Key_Left, Qt::Key_Down, Qt::Key_F1, Qt::Key_F2, Qt::Key_F10, Qt::Key_Menu})
            keys.insert(keys.end(), {{k, Qt::NoModifier}, {k, Qt::KeypadModifier}});
        // Each key on a table and on a command, pressed, held (its repeats) and let go, through
        // the toolkit's shortcuts as a real key goes.
        for (const auto &[k, m] : keys)
            for (const char *on : {"Option1_0", "Option2_1"}) {
                T::activate(&p.inizio());
                QWidget *b = T::btn("FrmInizio", on);
                b->setFocus();
                const QString text = k < 0x80 && !(m & (Qt::ControlModifier | Qt::AltModifier)) ? QString(QChar(k)) : QString();
                for (bool repeat : {false, true, true})
                    QTest::simulateEvent(b, true, k, m, text, repeat);
                QTest::simulateEvent(b, false, k, m, text, false);
                QVERIFY2(!opened(), qPrintable(QStringLiteral("key 0x%1 modifiers 0x%2").arg(k, 0, 16).arg(int(m), 0, 16)));
            }
        // The chord opens it, wherever the start screen's focus is.
        T::activate(&p.inizio());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(opened());
        T::top("frmImpostazioni")->close();
        // Every control of the start screen, every mouse button, held and let go; "Esci" last.
        QList<QWidget *> controls = p.inizio().centralWidget()->findChildren<QWidget *>();
        std::stable_partition(controls.begin(), controls.end(), [](QWidget *w) { return w->objectName() != "Option2_2"; });
        for (QWidget *c : controls)
            for (Qt::MouseButton b : T::Buttons) {
                QTest::mousePress(c, b, {}, c->rect().center());
                const bool whileHeld = opened();
                QTest::mouseRelease(c, b, {}, c->rect().center());
                QVERIFY2(!whileHeld && !opened(), qPrintable(c->objectName()));
            }
        QVERIFY(!p.inizio().isVisible()); // "Esci" was pressed: every control was reached
        QVERIFY(!QFile::exists(s.path()));
    }

    void changedSavedAndRemoved()
    {
        const QString path = dir.filePath("profili.json");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\"profilo\": \"Marco\", \"prof") && f.flush());
        Impostazioni s(path);
        s.load();
        T::Program p;
        FrmImpostazioni::attach(*p, s);
        FrmImpostazioni::open(*p, s); // as --impostazioni does
        auto *unreadable = qobject_cast<QLabel *>(ctl("lblNonLette"));
        QVERIFY(unreadable->isVisible() && unreadable->text().contains("non si sono potute leggere"));
        // A new profile, its rounds, scanning every half second: at once, and saved.
        QTest::keyClicks(ctl("txtNuovoProfilo"), "Marco");
        QTest::keyClick(ctl("txtNuovoProfilo"), Qt::Key_Return);
        for (auto [name, keys] : {std::pair{"giri", "5"}, {"periodo_ms", "0,5"}, {"scansione", " "}}) {
            ctl(name)->setFocus();
            QTest::keyClick(ctl(name), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(ctl(name), keys);
        }
        QCOMPARE(saved(path), "?"); // not yet written
        T::click(ctl("cmdSalva"));
        QVERIFY(!unreadable->isVisible());
        QCOMPARE(saved(path), "Marco:5,500 Predefinito:3,0");
        T::top("frmImpostazioni")->close();
        T::activate(&p.inizio());
        QCOMPARE(T::focusName(), "Option1_0");
        QTRY_COMPARE_WITH_TIMEOUT(T::focusName(), "Option1_1", 5000); // the scan moves by itself
        // "Elimina" asks first, then removes the profile from the file.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        answer("Annulla");
        T::click(ctl("cmdElimina"));
        answer("Elimina");
        T::click(ctl("cmdElimina"));
        QCOMPARE(saved(path), "Predefinito:3,0");
        QVERIFY(!ctl("cmdElimina")->isEnabled()); // the last one stays
    }
};

QTEST_MAIN(TstFrmImpostazioni)
#include "tst_frmimpostazioni.moc"
