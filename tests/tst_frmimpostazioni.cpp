// The teacher's settings screen: what the teacher changes holds at once, "Salva" writes it, "Elimina"
// removes a profile for good; a teacher with the mouse changes any one setting in under 30 s.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
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

    // Each setting changed from the start screen with the mouse, the teacher's chord aside: the seconds it takes,
    // by the keystroke-level model over what was done here (M 1.35 s before each key chord and each control pointed
    // at, H 0.4 s from mouse to keyboard or back, K a key, P 1.1 s a pointing, B 0.1 s a mouse button's press or
    // release), for an average and a slow typist (K 0.28 and 0.5 s); a number is typed into its field.
    void teacherInUnder30s_data()
    {
        QTest::addColumn<QString>("typed"), QTest::addColumn<int>("saved");
        for (auto [name, typed, saved] : {std::tuple{"scansione", "", 1}, {"periodo_ms", "10", 10000}, {"primo_percento", "3", 300},
                                          {"giri", "10", 10}, {"accettazione_ms", "2", 2000}, {"ignora_ms", "0,5", 500},
                                          {"scansione_inversa", "", 1}, {"evidenziazione", "", 1}})
            QTest::newRow(name) << QString(typed) << saved;
    }
    void teacherInUnder30s()
    {
        QFETCH(QString, typed); QFETCH(int, saved);
        const QString path = dir.filePath(QTest::currentDataTag());
        Impostazioni s(path);
        T::Program p;
        FrmImpostazioni::attach(*p, s);
        int M = 0, H = 0, K = 0, P = 0, B = 0;
        bool mouse = true; // the teacher's hand
        const auto hand = [&](bool toMouse) { H += mouse != toMouse, mouse = toMouse; };
        const auto point = [&](QWidget *w, QPoint at) { hand(true), ++M, ++P, B += 2, QTest::mouseClick(w, Qt::LeftButton, {}, at); };
        hand(false), ++M, K += 6, QTest::keySequence(QApplication::focusWidget(), Chords); // Ctrl, Alt, I, M, P, O
        QWidget *e = ctl(QTest::currentDataTag());
        QApplication::setDoubleClickInterval(0); // a list's item is pointed at 1.1 s after the list opened: no double click
        point(e, QPoint(5, e->height() / 2));
        QCoreApplication::processEvents();
        if (auto *list = qobject_cast<QComboBox *>(e))
            point(list->view()->viewport(), list->view()->visualRect(list->model()->index(1, 0)).center());
        if (!typed.isEmpty())
            hand(false), K += 2 + int(typed.size()), QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier), QTest::keyClicks(e, typed);
        point(ctl("cmdSalva"), QPoint(5, 5));
        Impostazioni r(path);
        r.load();
        int setting = 0;
        while (QLatin1String(Impostazioni::info(Impostazioni::Setting(setting)).key) != QTest::currentDataTag())
            ++setting;
        QCOMPARE(r.value(Impostazioni::Setting(setting)), saved);
        for (double k : {0.28, 0.5}) {
            const double seconds = 1.35 * M + 0.4 * H + k * K + 1.1 * P + 0.1 * B;
            qInfo("%.1f s with K = %.2f s: %dM %dH %dK %dP %dB", seconds, k, M, H, K, P, B);
            QVERIFY(seconds < 30);
        }
    }
};

QTEST_MAIN(TstFrmImpostazioni)
#include "tst_frmimpostazioni.moc"
