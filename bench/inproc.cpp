// A figure taken inside the process, on the real screen.
//
//   bench_inproc replace  one re-placement of the exercise screen at 1920x1061, without paint
//
// Prints key=value lines for bench/run.
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QResizeEvent>
#include <QTest>
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
    if (mode == "replace")
        return replace();
    fail("usage: bench_inproc replace");
}
