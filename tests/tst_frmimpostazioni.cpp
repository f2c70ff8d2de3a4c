// The teacher's settings screen: what the teacher changes holds at once, "Salva" writes it, "Elimina"
// removes a profile for good; a teacher with the mouse changes any one setting in under 30 s.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "screens/Controls.h"
#include "start/FrmInizio.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>

namespace {
QWidget *ctl(const QString &name) { return T::w("frmImpostazioni", name); }
const QKeySequence Chords("Ctrl+Alt+I, Ctrl+Alt+M, Ctrl+Alt+P, Ctrl+Alt+O"); // the teacher's way in

QString saved(const QString &path) // the profiles, the current one's rounds and scan period (0: off); "?": unreadable
{
    Impostazioni s(path);
    s.load();
    return s.unreadable() ? "?" : QStringLiteral("%1 %2,%3").arg(s.names().join(' ')).arg(s.value(Impostazioni::Rounds))
                                                     .arg(s.scanPeriodMs().value_or(0));
}
int border(QWidget *f = QApplication::focusWidget()) { return T::pixels(T::shot(f), OptionButton::HighlightBorder, QRect(0, 0, 2, f->height())); } // the highlight's

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
        s.scanOverrideMs = 1250; // the command line's scanning, until the teacher sets it
        QTest::keySequence(QApplication::focusWidget(), Chords);
        auto *unreadable = qobject_cast<QLabel *>(ctl("lblNonLette"));
        QVERIFY(unreadable->isVisible() && unreadable->text().contains("non si sono potute leggere"));
        QVERIFY(ctl("lblRigaDiComando")->isVisible() && ctl("lblRigaDiComando")->property("text").toString().contains("ogni 1,25 s"));
        // A new profile, its rounds, scanning every half second, the border; 4 rounds for the other profile: at once, and saved.
        for (auto [name, typed] : {std::pair{"txtNuovoProfilo", "Marco\r"}, {"giri", "5\r"}, {"periodo_ms", "0,5\r"}, {"periodo_ms", "^"}, {"scansione", " "},
                                   {"evidenziazione", "v"}, {"cboProfilo", "v"}, {"giri", "4\r"}, {"cboProfilo", "^"}}) { // a list, a period (0.1 s a step) by the arrows
            if (*typed == 'v' || *typed == '^')
                QTest::keyClick(ctl(name), *typed == 'v' ? Qt::Key_Down : Qt::Key_Up);
            else
                QTest::keyClick(ctl(name), Qt::Key_A, Qt::ControlModifier), QTest::keyClicks(ctl(name), typed);
        }
        QCOMPARE(saved(path), "?"); // not yet written
        T::click(ctl("cmdSalva"));
        QVERIFY(!unreadable->isVisible() && !ctl("lblRigaDiComando")->isVisible());
        QCOMPARE(saved(path), "Marco Predefinito 5,600");
        T::top("frmImpostazioni")->close();
        T::activate(&p.inizio());
        QTRY_COMPARE_WITH_TIMEOUT(T::focusName(), "Option1_1", 5000); // the scan moves by itself
        QVERIFY(border() > 0);
        // "Elimina" asks first, then removes the profile from the file; the last one stays.
        QTest::keySequence(QApplication::focusWidget(), Chords);
        elimina("Annulla");
        elimina("Elimina");
        QCOMPARE(saved(path), "Predefinito 4,0");
        QVERIFY(!ctl("cmdElimina")->isEnabled());
        T::top("frmImpostazioni")->close();
        T::activate(&p.inizio());
        QCOMPARE(border(), 0); // the remaining profile's highlight, at once
    }

    // Each setting changed from the start screen with the mouse (a number typed in its field) and saved, timed by the
    // keystroke-level model over what was done here: M 1.35 s before each pointing and the chords, H 0.4 s between mouse
    // and keyboard, K a key (0.28 s; for a slow typist 0.5 s), P 1.1 s a pointing, B 0.1 s a mouse button down or up.
    void teacherInUnder30s_data()
    {
        QTest::addColumn<QString>("typed"), QTest::addColumn<QString>("saved");
        for (auto [name, typed, saved] : {std::tuple{"scansione", "", "true"}, {"periodo_ms", "10", "10000"}, {"primo_percento", "3", "300"},
                                          {"giri", "10", "10"}, {"accettazione_ms", "1,5", "1500"}, {"ignora_ms", "0,5", "500"},
                                          {"scansione_inversa", "", "true"}, {"evidenziazione", "", "\"colore e bordo spesso\""}})
            QTest::newRow(name) << QString(typed) << QStringLiteral("\"%1\": %2").arg(name, saved);
    }
    void teacherInUnder30s()
    {
        QFETCH(QString, typed); QFETCH(QString, saved);
        Impostazioni s(dir.filePath(QTest::currentDataTag()));
        T::Program p;
        FrmImpostazioni::attach(*p, s);
        int M = 1, H = 1, K = 6, P = 0, B = 0; // the hand to the keyboard for Ctrl, Alt, I, M, P, O
        QTest::keySequence(QApplication::focusWidget(), Chords);
        bool mouse = false;
        const auto point = [&](QWidget *w, QPoint at) { H += !mouse, mouse = true, ++M, ++P, B += 2, QTest::mouseClick(w, Qt::LeftButton, {}, at); };
        QWidget *e = ctl(QTest::currentDataTag());
        QApplication::setDoubleClickInterval(0); // a list's item is pointed at 1.1 s after the list opened: no double click
        point(e, QPoint(5, e->height() / 2)), QCoreApplication::processEvents();
        if (auto *list = qobject_cast<QComboBox *>(e))
            point(list->view()->viewport(), list->view()->visualRect(list->model()->index(1, 0)).center());
        if (!typed.isEmpty())
            H += mouse, mouse = false, K += 2 + int(typed.size()), QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier), QTest::keyClicks(e, typed);
        // A box ticked or an item chosen counts at once; a number typed only as a whole, when the field is left.
        QCOMPARE(ctl("lblStato")->property("text").toString().isEmpty(), !typed.isEmpty());
        point(ctl("cmdSalva"), QPoint(5, 5));
        QFile f(s.path());
        QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll().contains(saved.toUtf8()));
        const double seconds = 1.35 * M + 0.4 * H + 0.28 * K + 1.1 * P + 0.1 * B, slow = seconds + 0.22 * K;
        qInfo("%.1f s, for a slow typist %.1f s: %dM %dH %dK %dP %dB", seconds, slow, M, H, K, P, B);
        QVERIFY(slow < 30);
    }
};

QTEST_MAIN(TstFrmImpostazioni)
#include "tst_frmimpostazioni.moc"
