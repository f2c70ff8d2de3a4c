// Renders the screens at their design size to PNG files, for the README and for checking the
// look against the designs by eye. Usage: screenshots OUTPUT_DIR
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QDir>

namespace {
void save(QWidget &w, const QString &dir, const QString &name)
{
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name));
}
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(dir);

    FrmInizio &inizio = Programma::frmInizio();
    inizio.show();
    inizio.resizeClient(Twips::toPx(QRectF(0, 0, 11880, 8310)).size());
    inizio.ScegliTabella(7);
    save(inizio, dir, QStringLiteral("frminizio.png"));

    inizio.EseguiComando(0);
    FrmOperativo &op = Programma::frmOperativo();
    op.showNormal();
    op.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    op.PremiTasto(1);
    save(op, dir, QStringLiteral("frmoperativo.png"));
    Programma::reset();
    return 0;
}
