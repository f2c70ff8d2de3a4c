// Renders the screens at their design size to PNG files, for the README and for checking the
// look against the designs by eye. Usage: screenshots OUTPUT_DIR
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
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

    // The same sheet every time.
    Programma programma([] { return 4321.25; });
    FrmInizio &inizio = programma.frmInizio();
    inizio.show();
    inizio.resizeClient(Twips::toPx(QRectF(0, 0, 11880, 8310)).size());
    inizio.ScegliTabella(7);
    save(inizio, dir, QStringLiteral("frminizio.png"));
    save(*InfoScreen::frmAutore(&inizio), dir, QStringLiteral("frmautore.png"));
    save(*InfoScreen::frmIstruzioni(&inizio), dir, QStringLiteral("frmistruzioni.png"));

    inizio.EseguiComando(0);
    FrmOperativo &op = *programma.frmOperativo();
    Esercizio &e = programma.esercizio();
    op.showNormal();
    op.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    e.PremiTasto(1);
    save(op, dir, QStringLiteral("frmoperativo.png"));

    // The exercise screen in windows of two common sizes: two rows answered, then a wrong
    // answer on the third brings the help offer.
    auto answer = [&](int value) {
        for (QChar c : QString::number(value))
            e.PremiTasto(c.digitValue());
        e.PremiTasto(Keypad::Invio);
    };
    auto expected = [&] { return e.session().Risultati[size_t(e.session().RigaCorrente)].trimmed().toInt(); };
    e.PremiTasto(Keypad::Cancella);
    answer(expected());
    answer(expected());
    op.resize(1024, 768);
    save(op, dir, QStringLiteral("frmoperativo-1024x768.png"));
    answer(expected() + 1);
    op.resize(1920, 1080);
    save(op, dir, QStringLiteral("frmoperativo-1920x1080.png"));

    // The print screen with a pupil's rows: right answers, help given, a retry.
    const QStringList rows = {QStringLiteral("7 +  3 = 10  "), QStringLiteral("7 +  8 = 14   15"),
                              QStringLiteral("7 + 10 = 18  17  "), QStringLiteral("7 +  1 = 8  "),
                              QStringLiteral("7 +  5 = 11   12")};
    PrintDialogs dialogs;
    FrmStampa stampa(dialogs, rows, int(rows.size()), 7);
    stampa.setAttribute(Qt::WA_DeleteOnClose, false);
    stampa.resize(900, 760);
    stampa.show();
    save(stampa, dir, QStringLiteral("frmstampa.png"));
    return 0;
}
