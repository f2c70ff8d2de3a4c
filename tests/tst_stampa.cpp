// The print screen: opened from the 30-row warning with the pupil's rows, saved as PDF,
// printed, and worked by keys, scanning and any mouse button like the rest of the program.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

namespace {
const Qt::KeyboardModifiers Pad = Qt::KeypadModifier, No = Qt::NoModifier;

QWidget *stampa()
{
    QWidget *s = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmStampa") && w->isVisible()) {
            if (s)
                qFatal("two print screens open");
            s = w;
        }
    return s;
}
QAbstractButton *comando(int i) { return T::btn("frmStampa", QStringLiteral("optComando_%1").arg(i)); }
QString messaggio() { return T::lbl("frmStampa", QStringLiteral("lblMessaggio"))->text(); }

// The non-blank lines of a PDF as pdftotext reads them, blanks collapsed.
QStringList righePdf(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("<pdftotext (poppler-utils) failed on %1>").arg(path)};
    QStringList righe;
    for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty())
            righe << l.simplified();
    return righe;
}
}

class TstStampa : public QObject {
    Q_OBJECT
    QStringList m_attese; // the rows the pupil completed, as they should be printed
    QTemporaryDir m_dir;

    // Table 8 up to the warning: thirty rows, one given by "SI", one right after a "NO".
    void finoAllAvviso()
    {
        T::apriTabella(8);
        m_attese.clear();
        for (int n = 0; n < 30; ++n) {
            const int r = T::rigaCorrente(), giusto = T::risultatoAtteso(r);
            if (n == 3 || n == 14) {
                T::scriviConTasti(n == 3 ? giusto + 1 : giusto - 1);
                T::tasto(Qt::Key_Return);
                T::clic(T::btn("frmOperativo", n == 3 ? "Option3_0" : "Option3_1"));
            }
            if (n == 3) {
                m_attese << T::prefisso(r) + QStringLiteral("%1   %2").arg(giusto + 1).arg(giusto);
            } else {
                T::rispondiGiusto(r);
                m_attese << T::prefisso(r) + (n == 14 ? QStringLiteral("%1  ").arg(giusto - 1) : QString())
                        + QStringLiteral("%1  ").arg(giusto);
            }
            if (r == 9 && n < 29)
                T::clic(T::key(12));
        }
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
    }

    void apriConInvio()
    {
        T::tasto(Qt::Key_Return);
        QTRY_COMPARE(QApplication::activeWindow(), stampa());
        QCOMPARE(T::focusName(), QString("optComando_0"));
        verificaAperta();
    }

    void verificaAperta()
    {
        QVERIFY(stampa());
        QCOMPARE(stampa()->property("rows").toStringList(), m_attese);
        QCOMPARE(stampa()->property("rowCount").toInt(), 30);
        QCOMPARE(stampa()->property("table").toInt(), 8);
        QCOMPARE(stampa()->windowModality(), Qt::NonModal);
        QCOMPARE(T::riquadro(), QString("fraAvviso")); // the warning waits behind it
    }

    void verificaChiusa()
    {
        QVERIFY(!stampa());
        QTRY_COMPARE(QApplication::activeWindow(), T::P().frmOperativo());
        QCOMPARE(T::riquadro(), QString("fraAvviso"));
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
        QCOMPARE(T::P().esercizio().completedRows(), m_attese);
    }

    // The heading, then the rows closing the page one per line in the order they were done.
    void verificaPdf(const QString &path)
    {
        const QStringList righe = righePdf(path);
        const QString tutto = righe.join('|');
        QVERIFY2(tutto.contains("Tabella dell'8") && tutto.contains(QDate::currentDate().toString("dd/MM/yyyy")),
                 qPrintable(tutto));
        QStringList attese;
        for (const QString &riga : m_attese)
            attese << riga.simplified();
        QVERIFY2(righe.size() > attese.size(), qPrintable(tutto));
        QCOMPARE(righe.mid(righe.size() - attese.size()), attese);
        QVERIFY2(righe.at(righe.size() - attese.size() - 1).contains("Esercizi svolti: 30"), qPrintable(tutto));
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init()
    {
        T::avvia();
        T::dialoghi.file = [](QWidget *, const QString &) -> QString { qFatal("the real file dialog would open"); };
        T::dialoghi.stampante = [](QPrinter *, QWidget *) -> bool { qFatal("the real print dialog would open"); };
    }
    void cleanup()
    {
        T::nessunoPremuto();
        T::chiudi();
    }

    void openedAndClosedFromTheWarning()
    {
        finoAllAvviso();
        apriConInvio();
        // "C" moves to "Chiudi", Enter closes; the release reaches the exercise screen.
        T::passi({{Qt::Key_C, No, "optComando_2"}});
        T::premi(Qt::Key_Return);
        verificaChiusa();
        T::rilascia(Qt::Key_Return);
        // By the right button, closed by the middle one.
        T::clic(T::btn("frmOperativo", "optAvviso_0"), Qt::RightButton);
        verificaAperta();
        T::clic(comando(2), Qt::MiddleButton);
        verificaChiusa();
        // "R", "1" and Enter on the warning; "Stampa" pressed again brings the same screen forward.
        T::tasto(Qt::Key_R);
        T::tasto(Qt::Key_1);
        apriConInvio();
        T::clic(T::btn("frmOperativo", "optAvviso_0"));
        QVERIFY(stampa());
        T::clic(comando(2));
        verificaChiusa();
    }

    void savedAsPdfWhereChosen()
    {
        finoAllAvviso();
        apriConInvio();
        QString proposta, percorso = m_dir.filePath("esercizio.pdf");
        int chiamate = 0;
        QWidget *genitore = nullptr;
        T::dialoghi.file = [&](QWidget *parent, const QString &p) {
            ++chiamate;
            proposta = p;
            genitore = parent;
            return percorso;
        };
        T::passi({{Qt::Key_P, No, "optComando_1"}}); // names it without saving
        QCOMPARE(chiamate, 0);
        T::tasto(Qt::Key_Return);
        QCOMPARE(chiamate, 1);
        QCOMPARE(genitore, stampa());
        QVERIFY(proposta.endsWith(".pdf") && proposta.contains("Tabella dell'8"));
        verificaPdf(percorso);
        QVERIFY(messaggio().contains("File PDF salvato"));
        // A cancelled dialog writes nothing.
        percorso.clear();
        const QStringList prima = QDir(m_dir.path()).entryList(QDir::Files);
        T::clic(comando(1), Qt::RightButton);
        QCOMPARE(chiamate, 2);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), prima);
        QCOMPARE(messaggio(), QString());
        // A place that cannot be written: the screen says so and everything stays as it was.
        percorso = "/proc/x/y.pdf";
        T::clic(comando(1), Qt::MiddleButton);
        QVERIFY2(messaggio().contains("Impossibile salvare il file PDF"), qPrintable(messaggio()));
        QCOMPARE(stampa()->property("rows").toStringList(), m_attese);
        // Scanning goes round to "Salva PDF" again, and Enter there opens the dialog.
        T::passi({{Qt::Key_Space, No, "optComando_2"}, {Qt::Key_Space, No, "optComando_0"}, {Qt::Key_Space, No, "optComando_1"}});
        QCOMPARE(chiamate, 3);
        T::tasto(Qt::Key_Return);
        QCOMPARE(chiamate, 4);
        T::passi({{Qt::Key_3, No, "optComando_2"}});
        T::premi(Qt::Key_Enter, Pad);
        verificaChiusa();
        T::rilascia(Qt::Key_Enter, Pad);
    }

    void keysOfTheThreeButtonsAndThePrinter()
    {
        finoAllAvviso();
        const QString percorso = m_dir.filePath("stampante.pdf");
        int stampe = 0;
        bool conferma = false;
        T::dialoghi.stampante = [&](QPrinter *printer, QWidget *) {
            ++stampe;
            [&] { QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A4); }();
            printer->setOutputFormat(QPrinter::PdfFormat); // a printer the test can read back
            printer->setOutputFileName(percorso);
            return conferma;
        };
        // Enter held on the warning's "Stampa": its repeats are no choice of the print screen's.
        T::premi(Qt::Key_Return);
        QTRY_COMPARE(QApplication::activeWindow(), stampa());
        for (int i = 0; i < 3; ++i) {
            T::rilascia(Qt::Key_Return, No, true);
            T::premi(Qt::Key_Return, No, true);
        }
        T::rilascia(Qt::Key_Return);
        QCOMPARE(stampe, 0);
        T::tasto(Qt::Key_Return); // cancelled in the printer dialog: nothing printed
        QCOMPARE(stampe, 1);
        QVERIFY(!QFile::exists(percorso));
        QCOMPARE(messaggio(), QString());
        // Letters and places move the focus, they never act; other keys are discarded.
        T::passi({{Qt::Key_P, No, "optComando_1"}, {Qt::Key_C, No, "optComando_2"}, {Qt::Key_S, No, "optComando_0"},
                  {Qt::Key_3, No, "optComando_2"}, {Qt::Key_2, No, "optComando_1"}, {Qt::Key_1, No, "optComando_0"},
                  {Qt::Key_3, Pad, "optComando_2"}, {Qt::Key_2, Pad, "optComando_1"}, {Qt::Key_R, No, "optComando_1"},
                  {Qt::Key_4, No, "optComando_1"}, {Qt::Key_1, Pad, "optComando_0"}, {Qt::Key_N, No, "optComando_0"}});
        QCOMPARE(stampe, 1);
        QCOMPARE(T::colore(comando(0)), T::Fuoco);
        QCOMPARE(T::colore(comando(1)), T::Riposo);
        T::tieni(Qt::Key_Space, 3); // held SPACE moves by one button only
        QCOMPARE(T::focusName(), QString("optComando_1"));
        conferma = true; // confirmed: the page goes to the printer
        T::clic(comando(0), Qt::RightButton);
        QCOMPARE(stampe, 2);
        verificaPdf(percorso);
        QVERIFY(messaggio().contains("inviato alla stampante"));
        T::clic(comando(2), Qt::RightButton);
        verificaChiusa();
    }

    void theMenuItemWaitsForTheModalScreen()
    {
        T::apriTabella(4);
        T::rispondiGiusto(0);
        QVERIFY(!(*T::P().frmOperativo()).findChild<QAction *>("MnuStampaEsercizio")->isEnabled());
        bool vista = false;
        QTimer::singleShot(0, [&] {
            QWidget *s = stampa();
            vista = s && s->windowModality() == Qt::ApplicationModal && s->property("rowCount").toInt() == 1
                    && s->property("rows").toStringList() == T::P().esercizio().completedRows();
            if (s)
                T::clic(comando(2));
        });
        emit T::P().frmOperativo()->printRequested();
        QVERIFY(vista);
        QVERIFY(!stampa());
    }
};

QTEST_MAIN(TstStampa)
#include "tst_stampa.moc"
