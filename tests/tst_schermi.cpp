// Each screen as the pupil meets it, worked by keys, by SPACE and Enter and by any mouse button, and
// what it draws: the screens must be wired to the session's rules and to the input model, and show it.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
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
const QColor Focus(255, 192, 128), Yellow(255, 255, 0), Red(255, 0, 0), Cyan(192, 255, 255), Black(0, 0, 0);

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

using T::seen;
QRect area(const QImage &img, QWidget *w, int inset = 0) // where a control is in the picture of its window
{
    const qreal d = img.devicePixelRatio();
    return QRect(w->mapTo(w->window(), QPoint()) * d, w->size() * d).adjusted(inset, inset, -inset, -inset);
}
int count(const QImage &img, QWidget *w, const QColor &c, int inset = 0) { return T::pixels(img, c, area(img, w, inset)); }
double share(const QImage &i, QWidget *w, const QColor &c) { return count(i, w, c) / double(area(i, w).width() * area(i, w).height()); }
bool inFront(QWidget *w) { return w->window()->childAt(w->mapTo(w->window(), w->rect().center())) == w; }

// Red shows for the armed row alone: its bar, its plus and equals signs, and its line where it ends.
void onlyRowArmed(FrmOperativo &f, int armed)
{
    const QImage img = seen(&f);
    for (int r = 0; r < 10; ++r) {
        const QObject *l = f.findChild<QObject *>(QStringLiteral("Line2_%1").arg(r));
        const QPointF end = Twips::toPixels(QPointF(l->property("X2").toDouble(), l->property("Y2").toDouble()));
        const QPoint p = T::w("frmOperativo", "Frame1")->mapTo(&f, end.toPoint()) * img.devicePixelRatio();
        for (int n : {count(img, op("Shape4", r), Red), count(img, op("lblSegno", r), Red), count(img, op("lblUguale", r), Red),
                      T::pixels(img, Red, QRect(p - QPoint(5, 5), QSize(11, 11)))})
            QVERIFY2((n > 0) == (r == armed), qPrintable(QStringLiteral("row %1: %2 red pixels").arg(r).arg(n)));
    }
}

double inMemory(QWidget &w) // the share of the window's image buffer whose pages are in memory
{
    const auto *img = static_cast<const QImage *>(w.backingStore()->paintDevice());
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE)), from = uintptr_t(img->constBits()) & ~(page - 1);
    std::vector<unsigned char> in((uintptr_t(img->constBits()) + uintptr_t(img->sizeInBytes()) - from + page - 1) / page);
    if (mincore(reinterpret_cast<void *>(from), in.size() * page, in.data()) != 0)
        return -1;
    return double(std::count_if(in.begin(), in.end(), [](unsigned char c) { return c & 1; })) / double(in.size());
}

struct OnPaint : QObject { // runs at every paint of a window, before its children are painted
    std::function<void()> run;
    bool eventFilter(QObject *, QEvent *e) override { return e->type() == QEvent::Paint ? run(), false : false; }
};

void menuAutore(QMainWindow *w)
{
    QTest::mouseClick(w->menuBar(), Qt::LeftButton, {}, w->menuBar()->actionGeometry(w->findChild<QAction *>("mnuInfo")).center());
}

// `open` shows an information screen modally: it must be drawn (cyan, with text), and the key close it.
void infoScreen(const char *name, const std::function<void()> &open, Qt::Key key = Qt::Key_Return)
{
    QString opened;
    int cyan = 0, text = 0;
    QObject context; // gone with this call when nothing modal opened
    QTimer::singleShot(0, &context, [&] {
        QPointer<QDialog> d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == d; }); // else the key goes elsewhere: a failure
        const QImage img = seen(d);
        cyan = T::pixels(img, Cyan) * 100 / (img.width() * img.height());
        text = count(img, d->findChild<QWidget *>("Label1"), Black);
        T::press(key); // released on the screen underneath
        opened = d->objectName() + " " + d->windowTitle() + (d->windowIcon().isNull() ? "" : " with an icon") + (d->isVisible() ? " left open by the key" : "")
                 + (d->pos() + d->rect().center() == d->screen()->availableGeometry().center() ? "" : " off centre");
        d->reject();
    });
    open();
    QCOMPARE(opened, QString(name));
    QVERIFY2(cyan > 50 && text > 100, qPrintable(QStringLiteral("%1% cyan, %2 text pixels").arg(cyan).arg(text)));
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
        QCOMPARE(T::lbl("FrmInizio", "Label7")->text(), QString("Vers.1.0\rMouse "));
        QVERIFY(p->inizio().windowTitle() == "Calcolino" && !p->inizio().windowIcon().isNull());
        // Tab goes up the tables, then up the commands from "Esci" to "Vai", and round.
        for (const char *n : {"Option1_1", "Option1_2", "Option1_3", "Option1_4", "Option1_5", "Option1_6", "Option1_7",
                              "Option1_8", "Option1_9", "Option1_10", "Option2_2", "Option2_1", "Option2_0", "Option1_0"})
            T::steps({{Qt::Key_Tab, n}});
        T::steps({{Qt::Key_Backtab, "Option2_0"}, {Qt::Key_Tab, "Option1_0"}});
        // Digits and the keypad's * name a table, SPACE goes round; Enter chooses.
        T::steps({{Qt::Key_8, "Option1_8"}, {Qt::Key_3, "Option1_3"}});
        T::steps({{Qt::Key_Asterisk, "Option1_10"}, {Qt::Key_9, "Option1_9"}, {Qt::Key_Asterisk, "Option1_10"}}, Pad);
        T::steps({{Qt::Key_Space, "Option1_0"}, {Qt::Key_Space, "Option1_1"}});
        QCOMPARE(chosen(), QString("Tabella "));
        // On the commands 0 and 1 name "Vai" and "Ripristina", 2 nothing; "Ripristina" goes back to "0".
        T::steps({{Qt::Key_Return, "Option2_0"}, {Qt::Key_1, "Option2_1"}, {Qt::Key_2, "Option2_1"},
                  {Qt::Key_0, "Option2_0"}, {Qt::Key_Space, "Option2_1"}, {Qt::Key_Space, "Option2_2"},
                  {Qt::Key_Space, "Option2_0"}, {Qt::Key_1, "Option2_1"}, {Qt::Key_Return, "Option1_0"}});
        QCOMPARE(chosen(), QString("Tabella dell' 1"));
        // Any mouse button chooses, and works "Ripristina".
        const std::pair<int, const char *> choices[] = {{10, "Tabella del 10"}, {0, "Tabella dello 0"}, {8, "Tabella dell'8"}};
        for (int b = 0; b < 3; ++b) {
            T::click(table(choices[b].first), T::Buttons[b]);
            QCOMPARE(chosen() + T::focusName(), QString(choices[b].second) + "Option2_0");
            T::click(command(1), T::Buttons[b]);
            QCOMPARE(T::focusName(), QString("Option1_0"));
        }
        T::steps({{Qt::Key_Space, "Option1_1"}, {Qt::Key_Space, "Option1_2"}, {Qt::Key_Return, "Option2_0"}});
        T::type(Qt::Key_Return); // "Vai": the exercise on the table chosen last
        QCOMPARE(T::top("frmOperativo") ? T::lbl("frmOperativo", "Label1")->text() : QString(), QString("2"));
    }

    void keypadByKeys()
    {
        QCOMPARE(p->open(4).windowTitle(), QString("TABELLA"));
        // SPACE goes round the keys that can be used: without an answer "Invio" is left out.
        for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0})
            T::steps({{Qt::Key_Space, qPrintable(T::key(i)->objectName())}});
        // A digit types itself and leaves only Enter to press; I names "Invio", N and E nothing now.
        T::steps({{Qt::Key_7, "Option1_11"}, {Qt::Key_Space, "Option1_0"}, {Qt::Key_N, "Option1_0"},
                  {Qt::Key_E, "Option1_0"}, {Qt::Key_I, "Option1_11"}});
        QCOMPARE(T::cell(0)->text(), QString("7"));
        T::type(Qt::Key_C); // takes it back
        QVERIFY(T::cell(0)->text() == "?" && !T::key(Invio)->isEnabled());
        // Enter on "Invio": a right answer arms the next row with the focus on "0".
        answerByKeys(T::expected(0), Pad);
        SHOWS(0, QString::number(T::expected(0)), "Option1_0");
        // A held key acts once: its repeats do nothing until it is released.
        T::press(Qt::Key_5);
        T::press(Qt::Key_5, Qt::NoModifier, true);
        T::release(Qt::Key_5);
        T::press(Qt::Key_Space);
        T::press(Qt::Key_Space, Qt::NoModifier, true);
        T::release(Qt::Key_Space);
        SHOWS(1, "5", "Option1_0");
        // A wrong answer: the cell turns yellow and "SI" of the help offer, in front, has the focus.
        T::type(Qt::Key_C);
        wrongByKeys(1);
        QVERIFY(T::colour(T::cell(1)) == Yellow && T::focusName() == "Option3_0" && inFront(op("Option3", 1)));
    }

    void keypadByMouse()
    {
        p->open(2);
        T::click(T::key(Invio), Qt::RightButton); // nothing to confirm: it takes no press
        for (int b = 0; b < 3; ++b) { // each button types on the press
            QTest::mousePress(T::key(b + 1), T::Buttons[b], {}, QPoint(5, 5));
            SHOWS(0, QString("123").left(b + 1), T::key(b + 1)->objectName());
            QTest::mouseRelease(T::key(b + 1), T::Buttons[b], {}, QPoint(5, 5));
        }
        T::activate(&p->inizio());
        T::click(command(0)); // "Vai" on the start screen behind only brings the exercise back, as it was
        QTRY_COMPARE(QApplication::activeWindow(), T::top("frmOperativo"));
        QCOMPARE(T::cell(0)->text(), QString("123"));
        for (Qt::MouseButton b : T::Buttons) // each one takes a digit back
            T::click(T::key(Cancella), b);
        QCOMPARE(T::cell(0)->text(), QString("?"));
        for (int r = 0; r < 10; ++r)
            T::answerRight(r);
        // At the end of the sheet the digits and "Cancella" take no press; "Nuova Tabella" and "Esco" do.
        T::click(T::key(5), Qt::RightButton);
        T::click(T::key(Cancella), Qt::RightButton);
        SHOWS(0, QString::number(T::expected(0)), "Option1_12");
        T::click(T::key(NuovaTabella), Qt::RightButton);
        SHOWS(0, "?", "Option1_0");
        for (int r = 0; r < 10; ++r)
            T::answerRight(r);
        T::click(T::key(Esco), Qt::MiddleButton);
        QVERIFY(!T::top("frmOperativo") && p->inizio().isVisible());
        T::click(command(2), Qt::RightButton); // "Esci"
        QVERIFY(!p->inizio().isVisible());
    }

    void overlaysByKeys()
    {
        FrmOperativo &f = p->open(5);
        // The help offer: S, N, 1 and 2 on either keyboard name "SI" and "NO"; "NO" lets the pupil retry.
        wrongByKeys(0);
        // SPACE held there, repeated as X repeats it (presses at the window that Qt does not mark): one step.
        for (auto action : {QTest::Press, QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, f.windowHandle(), Qt::Key_Space, ' ', Qt::NoModifier);
        QCOMPARE(T::focusName(), QString("Option3_1"));
        T::steps({{Qt::Key_N, "Option3_1"}, {Qt::Key_S, "Option3_0"}, {Qt::Key_2, "Option3_1"}, {Qt::Key_1, "Option3_0"}});
        T::steps({{Qt::Key_2, "Option3_1"}, {Qt::Key_1, "Option3_0"}, {Qt::Key_2, "Option3_1"}}, Pad);
        T::type(Qt::Key_Return);
        SHOWS(0, "?", "Option1_0");
        wrongByKeys(0);
        T::steps({{Qt::Key_N, "Option3_1"}, {Qt::Key_Return, "Option1_0"}});
        // The third "NO": the program steps in, and any key on "OK" gives the result.
        wrongByKeys(0);
        T::steps({{Qt::Key_2, "Option3_1"}, {Qt::Key_Return, "optOK"}});
        QVERIFY(inFront(T::w("frmOperativo", "optOK")) && T::lbl("frmOperativo", "lblIntervento")->text() == "Intervengo io");
        T::type(Qt::Key_Tab); // even Tab
        SHOWS(0, given(0), "Option1_0");
        wrongByKeys(1); // "SI" by key gives the result at once
        T::steps({{Qt::Key_1, "Option3_0"}, {Qt::Key_Return, "Option1_0"}}, Pad);
        QCOMPARE(T::cell(1)->text(), given(1));
        // To the 30th row with the mouse, then the warning by keys.
        for (int n = 0; n < 40 && p->session().RigheFatte < 30; ++n)
            p->session().mode == Esercizio::Mode::EndOfSheet ? T::click(T::key(NuovaTabella)) : T::answerRight(p->session().RigaCorrente);
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
        QVERIFY(inFront(op("optAvviso", 1)) && T::lbl("frmOperativo", "Label4_4")->text() == "Se ricominci gli esercizi andranno persi");
        T::steps({{Qt::Key_R, "optAvviso_1"}, {Qt::Key_S, "optAvviso_0"}, {Qt::Key_2, "optAvviso_1"}, {Qt::Key_1, "optAvviso_0"}});
        T::steps({{Qt::Key_2, "optAvviso_1"}, {Qt::Key_1, "optAvviso_0"}}, Pad);
        T::type(Qt::Key_Return); // "Stampa": the print screen, the warning waiting behind it
        QVERIFY(T::top("frmStampa") && T::top("frmStampa")->property("rowCount").toInt() == 30);
        T::click(T::btn("frmStampa", "optComando_2"));
        QTRY_VERIFY(!T::top("frmStampa"));
        QVERIFY(QTest::qWaitForWindowActive(&f)); // back where the print screen was opened
        T::steps({{Qt::Key_R, "optAvviso_1"}, {Qt::Key_Return, "Option1_0"}}); // "Ricomincia"
        QCOMPARE(T::cell(0)->text() + T::cell(9)->text(), QString("?"));
        QVERIFY(p->session().RigheFatte == 0 && inFront(T::key(0)));
    }

    void theGuards()
    {
        p->open(3);
        // Enter on "Invio" with a wrong answer is released over "SI", and a click on "SI" frees nothing:
        // the first key on the keypad does nothing, the next types. SPACE and the mouse act at once.
        const std::vector<std::pair<Qt::Key, const char *>> ways[] = {
            {{Qt::Key_6, "Option1_0"}, {Qt::Key_6, "Option1_11"}}, {{Qt::Key_Space, "Option1_1"}, {Qt::Key_6, "Option1_11"}}, {}};
        for (const auto &way : ways) { // the last: a click on "6"
            const int r = p->session().RigaCorrente;
            wrongByKeys(r);
            T::click(op("Option3", 0));
            SHOWS(r, given(r), "Option1_0");
            way.empty() ? T::click(T::key(6)) : T::steps(way);
            QCOMPARE(T::cell(r + 1)->text(), QString("6"));
            T::click(T::key(Cancella));
        }
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
        p->inizio().close(); // the start screen's close box ends the program: the exercise screen goes too
        QVERIFY(!p->inizio().isVisible() && !p->operativo().isVisible());
    }

    void fontsTheMachineHas()
    {
        // Each caption's font names one family the machine has: one it lacks would send the toolkit
        // through every installed font in search of a stand-in, at start-up.
        for (QWidget *screen : {static_cast<QWidget *>(&p->inizio()), static_cast<QWidget *>(&p->open(7))})
            for (const QWidget *c : screen->findChildren<QWidget *>())
                if (c->testAttribute(Qt::WA_SetFont))
                    QVERIFY2(c->font().families().size() == 1 && QFontDatabase::hasFamily(c->font().families().at(0)),
                             qPrintable(c->objectName() + ": " + c->font().families().join(',')));
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
        infoScreen("frmAutore Autore", [&] { menuAutore(&p->inizio()); });
        QTRY_COMPARE(T::focusName(), QString("Option1_0"));
        infoScreen("frmIstruzioni ISTRUZIONI", [&] { InfoScreen::frmIstruzioni(&p->inizio())->showModal(); }, Qt::Key_Space);
        // On the exercise screen the focus goes to "1" afterwards; two items of its menu are greyed out.
        FrmOperativo &f = p->open(9);
        T::type(Qt::Key_3);
        infoScreen("frmAutore Autore", [&] { menuAutore(&f); });
        QTRY_COMPARE(T::focusName(), QString("Option1_1"));
        QVERIFY(!f.findChild<QAction *>("MnuStampaEsercizio")->isEnabled() && !f.findChild<QAction *>("mnuIstruzioni")->isEnabled());
        // So narrow that the menu bar folds its items behind its overflow button, which gets its icon
        // then, and no sooner: reading it at start-up costs time.
        auto *more = f.menuBar()->findChild<QToolButton *>("qt_menubar_ext_button");
        QVERIFY(more->icon().isNull());
        f.resize(90, 400);
        QTRY_VERIFY(more->isVisible() && !more->icon().isNull());
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
            OnPaint watchShown;
            watchShown.run = [&] { first = first < 0 ? (x ? inMemory(shown) : 1.0) : first; };
            shown.installEventFilter(&watchShown);
            shown.show();
            QTRY_VERIFY(first >= 0);
            QCOMPARE(first, 1.0);
        }
        FrmInizio &inizio = p->inizio();
        std::vector<double> atPaint;
        OnPaint watch;
        watch.run = [&] { atPaint.push_back(x ? inMemory(inizio) : 1.0); };
        inizio.installEventFilter(&watch);
        inizio.showMaximized();
        QTRY_VERIFY(inizio.isMaximized() && !atPaint.empty() && inizio.backingStore()->size() == inizio.size());
        QCOMPARE(*std::min_element(atPaint.begin(), atPaint.end()), 1.0);
        QTRY_COMPARE(seen(&inizio), T::shot(&inizio));
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
        QTRY_COMPARE(seen(&f), T::shot(&f));
    }

    void pixels()
    {
        // The exercise screen as painted: addends and answer drawn, the focus colour, the armed row in red.
        FrmOperativo &f = p->open(6);
        T::typeWithMouse(123); // never right; the focus stays on "3"
        QImage img = seen(&f);
        for (int r = 0; r < 10; ++r)
            QVERIFY(count(img, op("Label2", r), Black, 3) > 50);
        QVERIFY(count(img, T::cell(0), Black, 3) > 100 && share(img, T::key(3), Focus) > 0.5);
        onlyRowArmed(f, 0);
        // A wrong answer: a yellow cell, "SI" in front in the focus colour; the row stays armed.
        T::click(T::key(Invio));
        img = seen(&f);
        QVERIFY(share(img, T::cell(0), Yellow) > 0.5 && share(img, op("Option3", 0), Focus) > 0.5);
        onlyRowArmed(f, 0);
        T::click(op("Option3", 0), Qt::RightButton);
        onlyRowArmed(f, 1);
    }
};

QTEST_MAIN(TstSchermi)
#include "tst_schermi.moc"
