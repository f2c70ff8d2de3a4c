// The teacher's settings screen: what the teacher changes holds at once, "Salva" writes it, "Elimina"
// removes a profile for good; the teacher's four chords open it (that nothing else does is the random pupil's).
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

namespace {
bool opened() { return T::top("frmImpostazioni"); }
QWidget *ctl(const QString &name) { return T::w("frmImpostazioni", name); }
const QKeySequence Chords("Ctrl+Alt+I, Ctrl+Alt+M, Ctrl+Alt+P, Ctrl+Alt+O"); // the teacher's way in

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
        QTest::keySequence(QApplication::focusWidget(), Chords);
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
        QTest::keySequence(QApplication::focusWidget(), Chords);
        elimina("Annulla");
        elimina("Elimina");
        QCOMPARE(saved(path), "Predefinito 3,0");
        QVERIFY(!ctl("cmdElimina")->isEnabled());
    }
};

QTEST_MAIN(TstFrmImpostazioni)
#include "tst_frmimpostazioni.moc"
