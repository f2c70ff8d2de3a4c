// Figures taken inside the process, on the real screens.
//
//   bench_inproc keys     key press on the keypad -> the answer cell repainted, against the same
//                         measure on a window of 110 plain labels and buttons (run it on a real
//                         display with a window manager: the windows are maximized)
//   bench_inproc replace  one re-placement of the exercise screen at 1920x1061, without paint
//
// Prints key=value lines for bench/run.
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "bench_inproc: %s\n", what);
    std::exit(2);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QElapsedTimer clock0;
double nowMs() { return double(clock0.nsecsElapsed()) / 1e6; }

// Notes when a widget is about to paint itself.
class PaintProbe : public QObject {
public:
    bool painted = false;
    double when = 0;
protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && !painted) {
            painted = true;
            when = nowMs();
        }
        return false;
    }
};

// The comparison window: 55 labels and 55 push buttons in a grid; a digit typed on the focused
// button shows in one label, C takes it back, as the keypad does with the answer cell.
class Reference : public QWidget {
public:
    explicit Reference(const QFont &cellFont)
    {
        setWindowTitle(QStringLiteral("reference"));
        auto *grid = new QGridLayout(this);
        for (int i = 0; i < 110; ++i) {
            QWidget *w;
            if (i % 2 == 0) {
                auto *l = new QLabel(QString::number(i), this);
                if (i == 0) {
                    target = l;
                    l->setFont(cellFont);
                    l->setAutoFillBackground(true);
                    l->setAlignment(Qt::AlignCenter);
                    l->setText(QStringLiteral("?"));
                }
                w = l;
            } else {
                auto *b = new QPushButton(QString::number(i), this);
                if (!first)
                    first = b;
                w = b;
            }
            grid->addWidget(w, i / 10, i % 10);
        }
    }
    QLabel *target = nullptr;
    QPushButton *first = nullptr;
protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_1)
            target->setText(QStringLiteral("1"));
        else if (e->key() == Qt::Key_C)
            target->setText(QStringLiteral("?"));
        else
            QWidget::keyPressEvent(e);
    }
};

void bringToFront(QWidget *w)
{
    w->raise();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w, 5000))
        fail("a window did not become active");
    QTest::qWait(100);
}

// One block of key presses on the window's focused control, alternating a digit and its
// take-back; each sample is the time from the press to the cell's paint event.
void pressBlock(QWidget *window, QWidget *cell, int presses, std::vector<double> &out)
{
    PaintProbe probe;
    cell->installEventFilter(&probe);
    QWindow *win = window->windowHandle();
    for (int i = 0; i < presses; ++i) {
        const Qt::Key key = i % 2 == 0 ? Qt::Key_1 : Qt::Key_C;
        probe.painted = false;
        const double t0 = nowMs();
        QTest::keyPress(win, key);
        const double deadline = t0 + 2000;
        while (!probe.painted && nowMs() < deadline)
            QCoreApplication::processEvents();
        if (!probe.painted)
            fail("the cell was not repainted after a key press");
        out.push_back(probe.when - t0);
        QTest::keyRelease(win, key);
        QTest::qWait(2); // the next press comes once this one is done, as a hand would
    }
    cell->removeEventFilter(&probe);
}

int keys()
{
    Programma programma;
    FrmInizio &inizio = programma.frmInizio();
    inizio.showMaximized();
    if (!QTest::qWaitForWindowActive(&inizio, 5000))
        fail("the start screen did not become active");
    inizio.ScegliTabella(0);
    inizio.EseguiComando(0); // "Vai"
    FrmOperativo &op = *programma.frmOperativo();
    if (!QTest::qWaitForWindowActive(&op, 5000))
        fail("the exercise screen did not become active");
    auto *cell = op.findChild<QLabel *>(QStringLiteral("lblRisultato_0"));
    if (!cell)
        fail("no answer cell");

    Reference ref(cell->font());
    ref.showMaximized();
    if (!QTest::qWaitForWindowExposed(&ref, 5000))
        fail("the reference window did not show");
    ref.first->setFocus();

    // What the pupil sees must follow the keys, or the figure means nothing.
    bringToFront(&op);
    QTest::keyClick(op.windowHandle(), Qt::Key_1);
    const bool typed = cell->text() == QLatin1String("1");
    QTest::keyClick(op.windowHandle(), Qt::Key_C);
    if (!typed || cell->text() != QLatin1String("?"))
        fail("digit and take-back do not show in the answer cell");

    const int blocks = 10, perBlock = 100;
    std::vector<double> program, reference;
    for (int b = 0; b < blocks; ++b) {
        bringToFront(&op);
        pressBlock(&op, cell, perBlock, program);
        bringToFront(&ref);
        pressBlock(&ref, ref.target, perBlock, reference);
    }
    std::printf("qt_version=%s\n", qVersion());
    std::printf("key_program_ms=%.4f\nkey_reference_ms=%.4f\nkey_samples=%zu\n", median(program), median(reference),
                program.size());
    ref.close();
    return 0;
}

int replace()
{
    Programma programma;
    programma.frmInizio().EseguiComando(0); // "Vai"
    FrmOperativo &op = *programma.frmOperativo();
    op.showNormal();
    QWidget *client = op.centralWidget();
    const QSize target(1920, 1061);
    for (int i = 0; i < 5 && client->size() != target; ++i) {
        op.resize(op.size() + target - client->size());
        QTest::qWait(20);
    }
    if (client->size() != target)
        fail("the exercise screen's client area cannot be brought to 1920x1061");

    // The re-placement must really put every control back: move one away, resize, look.
    QWidget *cell = op.findChild<QWidget *>(QStringLiteral("lblRisultato_0"));
    const QRect home = cell->geometry();
    cell->setGeometry(0, 0, 1, 1);
    QResizeEvent same(target, target);
    QCoreApplication::sendEvent(client, &same);
    if (cell->geometry() != home)
        fail("a resize event does not re-place the controls");

    std::vector<double> inPlace, moved;
    for (int i = 0; i < 1000; ++i) {
        QResizeEvent ev(target, target);
        const double t0 = nowMs();
        QCoreApplication::sendEvent(client, &ev);
        inPlace.push_back(nowMs() - t0);
    }
    QCoreApplication::processEvents();
    // As after a real resize: the controls come from another size (untimed), then the client
    // area takes 1920x1061 and every control really moves.
    const QSize other(1600, 900);
    for (int i = 0; i < 1000; ++i) {
        client->resize(other);
        QCoreApplication::processEvents();
        const double t0 = nowMs();
        client->resize(target);
        moved.push_back(nowMs() - t0);
        QCoreApplication::processEvents();
    }
    if (cell->geometry() != home)
        fail("the controls did not come back to their places at 1920x1061");
    std::printf("replace_ms=%.4f\nreplace_moved_ms=%.4f\n", median(inPlace), median(moved));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calcolino"));
    QApplication::setQuitOnLastWindowClosed(false);
    clock0.start();
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "keys")
        return keys();
    if (mode == "replace")
        return replace();
    fail("usage: bench_inproc keys|replace");
}
