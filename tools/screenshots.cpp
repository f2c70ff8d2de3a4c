// Renders the screens at their design size to PNG files, for the README and for checking the
// look against the designs by eye. Usage: screenshots OUTPUT_DIR
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <functional>

namespace {
void save(QWidget &w, const QString &dir, const QString &name)
{
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name));
}

// The information screens are modal: picture one once it is up, then close it.
void saveModal(const std::function<void()> &open, const QString &dir, const QString &name)
{
    QTimer::singleShot(0, [=] {
        if (QWidget *d = QApplication::activeModalWidget()) {
            save(*d, dir, name);
            d->close();
        }
    });
    open();
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
    saveModal([&] { mostraAutore(&inizio); }, dir, QStringLiteral("frmautore.png"));
    saveModal([&] { mostraIstruzioni(&inizio); }, dir, QStringLiteral("frmistruzioni.png"));

    inizio.EseguiComando(0);
    FrmOperativo &op = Programma::frmOperativo();
    op.showNormal();
    op.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    op.PremiTasto(1);
    save(op, dir, QStringLiteral("frmoperativo.png"));

    // The exercise screen in windows of two common sizes: two rows answered, then a wrong
    // answer on the third brings the help offer.
    auto rispondi = [&](int valore) {
        for (QChar c : QString::number(valore))
            op.PremiTasto(c.digitValue());
        op.PremiTasto(11);
    };
    auto atteso = [&] { return Programma::sessione.Risultati[size_t(op.RigaCorrente)].trimmed().toInt(); };
    while (!Programma::sessione.Risposta.isEmpty())
        op.PremiTasto(10);
    rispondi(atteso());
    rispondi(atteso());
    op.resize(1024, 768);
    save(op, dir, QStringLiteral("frmoperativo-1024x768.png"));
    rispondi(atteso() + 1);
    op.resize(1920, 1080);
    save(op, dir, QStringLiteral("frmoperativo-1920x1080.png"));

    // The print screen with a pupil's rows: right answers, help given, a retry.
    const QStringList righe = {QStringLiteral("7 +  3 = 10  "), QStringLiteral("7 +  8 = 14   15"),
                               QStringLiteral("7 + 10 = 18  17  "), QStringLiteral("7 +  1 = 8  "),
                               QStringLiteral("7 +  5 = 11   12")};
    if (FrmStampa *stampa = FrmStampa::apri(righe, int(righe.size()), 7, false)) {
        stampa->resize(900, 760);
        save(*stampa, dir, QStringLiteral("frmstampa.png"));
        stampa->close();
    }
    Programma::reset();
    return 0;
}
