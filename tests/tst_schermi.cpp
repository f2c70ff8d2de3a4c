// Each screen as the pupil meets it, worked by keys, by SPACE and Enter and by any mouse button, and
// what it draws: the screens must be wired to the session's rules and to the input model, and show it.
#include "TestSupport.h"
#include "app/Platform.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QBackingStore>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

namespace {
using namespace Keypad;
const auto Pad = Qt::KeypadModifier;

QAbstractButton *table(int i) { return T::btn("FrmInizio", QStringLiteral("Option1_%1").arg(i)); }
QAbstractButton *command(int i) { return T::btn("FrmInizio", QStringLiteral("Option2_%1").arg(i)); }
QWidget *op(const char *name, int i) { return T::w("frmOperativo", QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i)); }
QString chosen() { return T::lbl("FrmInizio", "Label1")->text(); }
QString given(int r) { return QStringLiteral(" %1").arg(T::expected(r)); } // a result the program gave
#define SHOWS(r, shown, focused) do { QCOMPARE(T::cell(r)->text(), QString(shown)); QCOMPARE(T::focusName(), QString(focused)); } while (0)

void answerByKeys(int value, Qt::KeyboardModifiers m = Qt::NoModifier) // and Enter on "Invio"
{
    for (QChar c : QString::number(value))
        T::type(Qt::Key(Qt::Key_0 + c.digitValue()), m);
    T::type(m ? Qt::Key_Enter : Qt::Key_Return, m);
}
void wrongByKeys(int r) { answerByKeys(T::expected(r) + 1); }

double inMemory(QWidget &w) // the share of the window's image buffer whose pages are in memory
{
    const auto *img = static_cast<const QImage *>(w.backingStore()->paintDevice());
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE)), from = uintptr_t(img->constBits()) & ~(page - 1);
    std::vector<unsigned char> in((uintptr_t(img->constBits()) + uintptr_t(img->sizeInBytes()) - from + page - 1) / page);
    if (mincore(reinterpret_cast<void *>(from), in.size() * page, in.data()) != 0)
        return -1;
    return double(std::count_if(in.begin(), in.end(), [](unsigned char c) { return c & 1; })) / double(in.size());
}

// `open` shows the author screen modally: drawn at the screen's centre, Enter closes it.
void authorScreen(const std::function<void()> &open)
{
    QString opened;
    QObject context; // gone with this call when nothing modal opened
    QTimer::singleShot(0, &context, [&] {
        QPointer<QDialog> d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == d; }); // else the key goes elsewhere: a failure
        const bool drawn = T::seen(d) == T::shot(d); // what it draws: tst_aspetto
        T::press(Qt::Key_Return); // released on the screen underneath
        opened = d->objectName() + (drawn ? "" : " not drawn") + (d->isVisible() ? " left open by the key" : "")
                 + (d->pos() + d->rect().center() == d->screen()->availableGeometry().center() ? "" : " off centre");
        d->reject();
    });
    open();
    QCOMPARE(opened, QString("frmAutore"));
}
}

class TstSchermi : public QObject {
    Q_OBJECT
    std::unique_ptr<T::Program> p; // a program of its own for each case
private slots:
    void init() { p = std::make_unique<T::Program>(); }
    void cleanup() { p.reset(); }

    void startScreen()
    {
        // Tab goes up the tables, then up the commands from "Esci" to "Vai", and round.
        T::steps({{Qt::Key_Tab, "Option1_1"}, {Qt::Key_Backtab, "Option1_0"}, {Qt::Key_Backtab, "Option2_0"}, {Qt::Key_Backtab, "Option2_1"},
                  {Qt::Key_Backtab, "Option2_2"}, {Qt::Key_Backtab, "Option1_10"}, {Qt::Key_Tab, "Option2_2"}, {Qt::Key_Tab, "Option2_1"},
                  {Qt::Key_Tab, "Option2_0"}, {Qt::Key_Tab, "Option1_0"}});
        // Digits and the keypad's * name a table without choosing it; Enter chooses.
        T::steps({{Qt::Key_8, "Option1_8"}, {Qt::Key_3, "Option1_3"}});
        T::steps({{Qt::Key_Asterisk, "Option1_10"}, {Qt::Key_9, "Option1_9"}, {Qt::Key_Asterisk, "Option1_10"}}, Pad);
        QCOMPARE(chosen(), QString("Tabella "));
        // On the commands 0 and 1 name "Vai" and "Ripristina", 2 nothing but, held, it keeps Enter back as
        // any key taken does; "Ripristina" goes back to "0".
        T::steps({{Qt::Key_Return, "Option2_0"}, {Qt::Key_1, "Option2_1"}, {Qt::Key_2, "Option2_1"}, {Qt::Key_0, "Option2_0"}, {Qt::Key_1, "Option2_1"}});
        T::press(Qt::Key_2), T::type(Qt::Key_Return), T::release(Qt::Key_2);
        QCOMPARE(T::focusName(), QString("Option2_1"));
        T::steps({{Qt::Key_Return, "Option1_0"}});
        QCOMPARE(chosen(), QString("Tabella del 10"));
        // Any mouse button chooses, and works "Ripristina" (one table named: the names are a table of the code).
        T::click(table(0), Qt::RightButton);
        QCOMPARE(chosen() + T::focusName(), QString("Tabella dello 0Option2_0"));
        T::click(command(1), Qt::MiddleButton);
        QCOMPARE(T::focusName(), QString("Option1_0"));
    }

    void keypadByMouse()
    {
        p->open(6);
        for (int b = 0; b < 3; ++b) // each button types; 123 is never right
            T::click(T::key(b + 1), T::Buttons[b]);
        SHOWS(0, "123", "Option1_3");
        for (Qt::MouseButton b : T::Buttons) // each one takes a digit back
            T::click(T::key(Cancella), b);
        QCOMPARE(T::cell(0)->text(), QString("?"));
        T::typeWithMouse(123);
        T::click(T::key(Invio)); // a wrong answer (its look: tst_aspetto)
        T::click(op("Option3", 0), Qt::RightButton); // "SI": the next row
        QCOMPARE(T::cell(0)->text() + T::cell(1)->text(), given(0) + "?");
        for (int r = 1; r < 10; ++r)
            T::answerRight(r);
        T::click(T::key(Esco), Qt::MiddleButton); // at the end of the sheet
        QVERIFY(!T::top("frmOperativo") && p->inizio().isVisible());
        T::click(command(2), Qt::RightButton); // "Esci"
        QVERIFY(!p->inizio().isVisible());
    }

    void keypadAndOverlaysByKeys()
    {
        p->open(5);
        // A digit types itself and leaves only Enter to press; I names "Invio", N and E nothing now.
        T::steps({{Qt::Key_7, "Option1_11"}, {Qt::Key_Space, "Option1_0"}, {Qt::Key_N, "Option1_0"},
                  {Qt::Key_E, "Option1_0"}, {Qt::Key_I, "Option1_11"}});
        T::type(Qt::Key_C); // takes it back
        QVERIFY(T::cell(0)->text() == "?" && !T::key(Invio)->isEnabled());
        // Enter on "Invio": a right answer arms the next row with the focus on "0".
        answerByKeys(T::expected(0), Pad);
        SHOWS(0, QString::number(T::expected(0)), "Option1_0");
        // The help offer: S, N, 1 and 2 on either keyboard name "SI" and "NO"; "NO" lets the pupil retry.
        wrongByKeys(1);
        T::steps({{Qt::Key_N, "Option3_1"}, {Qt::Key_S, "Option3_0"}, {Qt::Key_2, "Option3_1"}, {Qt::Key_1, "Option3_0"}});
        T::steps({{Qt::Key_2, "Option3_1"}, {Qt::Key_1, "Option3_0"}, {Qt::Key_2, "Option3_1"}}, Pad);
        T::type(Qt::Key_Return);
        wrongByKeys(1);
        T::steps({{Qt::Key_N, "Option3_1"}, {Qt::Key_Return, "Option1_0"}});
        // The third "NO": the program steps in, and any key on "OK" gives the result.
        wrongByKeys(1);
        T::steps({{Qt::Key_2, "Option3_1"}, {Qt::Key_Return, "optOK"}});
        T::type(Qt::Key_Tab); // even Tab
        SHOWS(1, given(1), "Option1_0");
        // To the 30th row with the mouse, then the warning by keys.
        for (int n = 0; n < 40 && p->session().RigheFatte < 30; ++n)
            p->session().mode == Esercizio::Mode::EndOfSheet ? T::click(T::key(NuovaTabella)) : T::answerRight(p->session().RigaCorrente);
        // At the warning R and S name its buttons (its digits are the help offer's); "Stampa": tst_stampa.
        T::steps({{Qt::Key_R, "optAvviso_1"}, {Qt::Key_S, "optAvviso_0"}, {Qt::Key_R, "optAvviso_1"}, {Qt::Key_Return, "Option1_0"}});
        QCOMPARE(T::cell(0)->text() + T::cell(9)->text(), QString("?")); // "Ricomincia"
    }

    void theGuards()
    {
        p->open(3);
        // Enter on "Invio" with a wrong answer is released over "SI", and a click on "SI" frees nothing:
        // the first key on the keypad does nothing, the next types. (SPACE and the mouse act at once,
        // whatever the key's flag: tst_input's buttonArray.)
        wrongByKeys(0);
        T::click(op("Option3", 0));
        SHOWS(0, given(0), "Option1_0");
        T::steps({{Qt::Key_6, "Option1_0"}, {Qt::Key_6, "Option1_11"}});
        QCOMPARE(T::cell(1)->text(), QString("6"));
        T::click(T::key(Cancella));
        // Enter on "Esco" is released on the start screen: on the keypad opened again the first key does nothing.
        for (int r = p->session().RigaCorrente; r < 10; ++r)
            T::answerRight(r);
        T::steps({{Qt::Key_E, "Option1_13"}, {Qt::Key_N, "Option1_12"}, {Qt::Key_E, "Option1_13"}});
        T::press(Qt::Key_Return);
        QVERIFY(QTest::qWaitForWindowActive(&p->inizio())); // the start screen is active again by itself
        T::release(Qt::Key_Return);
        p->open(3);
        T::type(Qt::Key_7);
        SHOWS(0, "?", "Option1_0");
        T::type(Qt::Key_7);
        SHOWS(0, "7", "Option1_11");
    }

    void authorAddresses() // nothing invented: where the installed documentation is, once it is there
    {
        const QString docs = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/doc/calcolino");
        for (bool installed : {false, true}) {
            QVERIFY(installed ? QDir().mkpath(docs) : !QFileInfo::exists(docs));
            const auto author = InfoScreen::frmAutore(&p->inizio());
            QCOMPARE(author->screen().label("Label2")->text() + " | " + author->screen().label("Label4")->text(),
                     (installed ? docs : "man calcolino") + " | non indicata");
        }
        QVERIFY(QDir().rmpath(docs));
    }

    void infoScreens()
    {
        T::type(Qt::Key_5);
        authorScreen([&] { p->inizio().findChild<QAction *>("mnuInfo")->trigger(); });
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        FrmOperativo &f = p->open(9); // on the exercise screen the focus goes to "1" afterwards
        T::type(Qt::Key_3);
        authorScreen([&] { f.findChild<QAction *>("mnuInfo")->trigger(); });
        QTRY_COMPARE(T::focusName(), QString("Option1_1")); // two items of its menu greyed out: tst_aspetto
        // So narrow that the menu bar folds its items behind its overflow button, which gets its icon
        // then, and no sooner: reading it at start-up costs time.
        auto *more = f.menuBar()->findChild<QToolButton *>("qt_menubar_ext_button");
        QVERIFY(more->icon().isNull());
        f.resize(90, 400);
        QTRY_VERIFY(more->isVisible() && !more->icon().isNull());
    }

    // Qt's messages (those a developer asks for with QT_LOGGING_RULES) are held back only while the
    // application is made, where the lack of a display is told in Italian; then they reach the terminal again.
    void messagesOnceTheDisplayIsFound()
    {
        static QStringList seen;
        const QtMessageHandler terminal = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) { seen << m; });
        Platform::exitQuietlyWithoutDisplay();
        qWarning("while the application is made");
        Platform::displayFound();
        qWarning("with the display");
        qInstallMessageHandler(terminal);
        QCOMPARE(seen, QStringList{"with the display"});
    }

    void buffersReadyBeforePainting()
    {
        // Memory is read on X only: there a buffer is the server's shared memory, new at each size;
        // offscreen it comes from the heap, whose pages may be in memory already.
        const bool x = QGuiApplication::platformName() == QLatin1String("xcb");
        // A window shown, then one maximized: each new buffer is all in memory before it is painted
        // into (the shown one's opaque child leaves it a strip to paint first).
        {
            QWidget shown;
            (new QWidget(&shown))->setGeometry(0, 0, 600, 380);
            shown.findChild<QWidget *>()->setAutoFillBackground(true);
            shown.resize(600, 400);
            double first = -1;
            T::OnPaint watchShown;
            watchShown.run = [&] { first = first < 0 ? (x ? inMemory(shown) : 1.0) : first; };
            shown.installEventFilter(&watchShown);
            shown.show();
            QTRY_VERIFY(first >= 0);
            QCOMPARE(first, 1.0);
        }
        FrmInizio &inizio = p->inizio();
        std::vector<double> atPaint;
        T::OnPaint watch;
        watch.run = [&] { atPaint.push_back(x ? inMemory(inizio) : 1.0); };
        inizio.installEventFilter(&watch);
        inizio.showMaximized();
        QTRY_VERIFY(inizio.isMaximized() && !atPaint.empty() && inizio.backingStore()->size() == inizio.size());
        QCOMPARE(*std::min_element(atPaint.begin(), atPaint.end()), 1.0);
        QTRY_COMPARE(T::seen(&inizio), T::shot(&inizio));
        // A table chosen: the exercise screen gets its size, its window and its buffer, hidden.
        T::click(table(4));
        QTRY_VERIFY((*p)->frmOperativo() && (*p)->frmOperativo()->backingStore());
        FrmOperativo &f = *(*p)->frmOperativo();
        QTRY_COMPARE(f.backingStore()->size(), inizio.size());
        QCOMPARE(f.size(), inizio.size());
        QVERIFY(!f.isVisible());
        QCOMPARE(x ? inMemory(f) : 1.0, 1.0);
        // "Vai": the screen shows it painted.
        T::click(command(0));
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTRY_COMPARE(T::seen(&f), T::shot(&f));
    }
};

QTEST_MAIN(TstSchermi)
#include "tst_schermi.moc"
