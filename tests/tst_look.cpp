// What the pupil sees, pixel for pixel: every screen at its design size, and the exercise screen
// in two common window sizes, drawn exactly as the pictures in docs/ show them. The pictures are
// made by this program: CALCOLINO_FOTO=<folder> writes them there instead of comparing.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>

namespace {
const QString Out = qEnvironmentVariable("CALCOLINO_FOTO");

void look(QWidget &w, const QString &name)
{
    // Each caption's font names one family the machine has: a family it lacks would send the
    // toolkit through every installed font in search of a stand-in, at start-up.
    for (const QWidget *c : w.findChildren<QWidget *>())
        if (c->testAttribute(Qt::WA_SetFont))
            QVERIFY2(c->font().families().size() == 1 && QFontDatabase::hasFamily(c->font().families().at(0)),
                     qPrintable(c->objectName() + ": " + c->font().families().join(',')));
    const QImage seen = T::shot(&w);
    if (!Out.isEmpty()) {
        QVERIFY(seen.save(QDir(Out).filePath(name)));
        return;
    }
    const QImage drawn = QImage(QFINDTESTDATA("../docs/" + name)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(seen.size(), drawn.size());
    int differ = 0;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            differ += seen.pixel(x, y) != drawn.pixel(x, y);
    if (differ) {
        const QString path = QDir::temp().filePath(QStringLiteral("seen-") + name);
        seen.save(path);
        QFAIL(qPrintable(QStringLiteral("%1 pixels differ from docs/%2; what was drawn: %3").arg(differ).arg(name, path)));
    }
}
}

class TstLook : public QObject {
    Q_OBJECT
private slots:
    void everyScreenAsDesigned()
    {
        T::Program prog;
        FrmInizio &inizio = prog.inizio();
        T::click(T::btn("FrmInizio", "Option1_7"));
        look(inizio, "frminizio.png");
        look(*InfoScreen::frmAutore(&inizio), "frmautore.png");
        look(*InfoScreen::frmIstruzioni(&inizio), "frmistruzioni.png");

        FrmOperativo &op = prog.open(7);
        T::click(T::key(1));
        look(op, "frmoperativo.png");
        // Two rows answered in a window of 1024x768, then a wrong answer brings the help offer.
        T::click(T::key(10));
        T::answerRight(0);
        T::answerRight(1);
        op.resize(1024, 768);
        look(op, "frmoperativo-1024x768.png");
        T::typeWithMouse(T::expected(2) + 1);
        T::click(T::key(11));
        op.resize(1920, 1080);
        look(op, "frmoperativo-1920x1080.png");

        // A pupil's rows: right answers, help given, a retry, the intervention; the pupil's name.
        const QStringList rows = {"7 +  3 = 10  ", "7 +  8 = 14   15", "7 + 10 = 18  17  ", "7 +  1 = 8  ",
                                  "7 +  5 = 11   12"};
        using M = PrintedWork::Mark;
        FrmStampa stampa(prog.dialogs, PrintedWork{rows, {M::RightFirstTime, M::GivenAfterSi, M::RightAfterRetry, M::RightFirstTime,
                                                          M::GivenByIntervention}, {0, 1, 1, 0, 1}, int(rows.size()), 7,
                                                          QDateTime(QDate(2026, 3, 12), QTime(10, 30))});
        stampa.findChild<QLineEdit *>("txtNome")->setText("Giulia Bianchi");
        stampa.setAttribute(Qt::WA_DeleteOnClose, false);
        stampa.resize(900, 760);
        stampa.show();
        look(stampa, "frmstampa.png");
    }
};

QTEST_MAIN(TstLook)
#include "tst_look.moc"
