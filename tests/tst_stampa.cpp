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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QWidget *stampa()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmStampa") && w->isVisible())
            return w;
    return nullptr;
}
QAbstractButton *comando(int i) { return T::btn("frmStampa", QStringLiteral("optComando_%1").arg(i)); }
QString messaggio() { return T::lbl("frmStampa", QStringLiteral("lblMessaggio"))->text(); }

QString normalizza(const QString &s) { return s.simplified(); }

// The text of a PDF as pdftotext reads it; blanks may come out collapsed.
QString testoPdf(const QString &path)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (exe.isEmpty())
        return QStringLiteral("<pdftotext (poppler-utils) is not installed: the PDF cannot be read>");
    QProcess p;
    p.start(exe, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed on %1: %2>").arg(path, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

int rigaCorrente()
{
    for (int r = 0; r < 10; ++r)
        if (T::cella(r)->text() == QLatin1String("?"))
            return r;
    return -1;
}

// The print row the pupil's work makes: "8 +  3 = " and then what was entered or given.
QString prefisso(int row)
{
    return QStringLiteral("%1 + %2 = ").arg(T::tabella()).arg(T::addendo(row)->text().toInt(), 2);
}

void scriviTasti(int value)
{
    for (QChar c : QString::number(value))
        T::tasto(Qt::Key(Qt::Key_0 + c.digitValue()));
}
}

class TstStampa : public QObject {
    Q_OBJECT
    QStringList m_attese; // the rows the pupil completed, as they should be printed
    QTemporaryDir m_dir;

    // Plays table 8 up to the warning: thirty rows, among them a result given by "SI" and a
    // row answered right after a "NO", so the print rows carry wrong answers too.
    void finoAllAvviso()
    {
        T::apriTabella(8);
        m_attese.clear();
        for (int n = 0; n < 30; ++n) {
            const int r = rigaCorrente();
            QVERIFY(r >= 0);
            const int giusto = T::risultatoAtteso(r);
            if (n == 3) {
                scriviTasti(giusto + 1);
                T::tasto(Qt::Key_Return);
                T::clic(T::btn("frmOperativo", "Option3_0")); // "SI"
                m_attese << prefisso(r) + QStringLiteral("%1   %2").arg(giusto + 1).arg(giusto);
            } else if (n == 14) {
                scriviTasti(giusto - 1);
                T::tasto(Qt::Key_Return);
                T::clic(T::btn("frmOperativo", "Option3_1")); // "NO"
                T::rispondiGiusto(r);
                m_attese << prefisso(r) + QStringLiteral("%1  %2  ").arg(giusto - 1).arg(giusto);
            } else {
                T::rispondiGiusto(r);
                m_attese << prefisso(r) + QStringLiteral("%1  ").arg(giusto);
            }
            if (r == 9 && n < 29)
                T::clic(T::key(12)); // "Nuova Tabella"
        }
        QVERIFY(T::w("frmOperativo", "fraAvviso")->isEnabled());
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
    }

    // Opens the print screen from the warning with Enter on "Stampa".
    void apriConInvio()
    {
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
        T::tasto(Qt::Key_Return);
        QVERIFY(stampa());
        QTRY_COMPARE(QApplication::activeWindow(), stampa());
        QCOMPARE(T::focusName(), QString("optComando_0"));
    }

    void verificaAperta()
    {
        QWidget *s = stampa();
        QVERIFY(s);
        QCOMPARE(s->property("rows").toStringList(), m_attese);
        QCOMPARE(s->property("rowCount").toInt(), 30);
        QCOMPARE(s->property("table").toInt(), 8);
        QCOMPARE(s->windowModality(), Qt::NonModal);
        // The warning waits behind it.
        QVERIFY(T::w("frmOperativo", "fraAvviso")->isEnabled());
        QVERIFY(!T::w("frmOperativo", "fraTastierino")->isEnabled());
    }

    void verificaChiusa()
    {
        QVERIFY(!stampa());
        QWidget *op = &Programma::frmOperativo();
        QTRY_COMPARE(QApplication::activeWindow(), op);
        QVERIFY(T::w("frmOperativo", "fraAvviso")->isEnabled());
        QCOMPARE(T::focusName(), QString("optAvviso_0"));
        QCOMPARE(Programma::sessione.RigheFatte, int16_t(30));
        QCOMPARE(Programma::sessione.righeCompletate(), m_attese);
    }

    void verificaPdf(const QString &path)
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                 "pdftotext (poppler-utils) is needed to read back the PDF");
        QVERIFY2(QFile::exists(path), qPrintable(path));
        const QString testo = normalizza(testoPdf(path));
        QVERIFY2(testo.contains(QStringLiteral("Tabella dell'8")), qPrintable(testo));
        QVERIFY2(testo.contains(QStringLiteral("Esercizi svolti: 30")), qPrintable(testo));
        const QDate oggi = QDate::currentDate();
        QVERIFY2(testo.contains(oggi.toString("dd/MM/yyyy")) || testo.contains(oggi.addDays(-1).toString("dd/MM/yyyy")),
                 qPrintable(testo));
        // The rows close the page, one per line, in the order they were done.
        QStringList righe;
        for (const QString &l : testoPdf(path).split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty())
                righe << normalizza(l);
        QStringList attese;
        for (const QString &riga : m_attese)
            attese << normalizza(riga);
        QVERIFY2(righe.size() > attese.size(), qPrintable(righe.join('|')));
        QCOMPARE(righe.mid(righe.size() - attese.size()), attese);
        QVERIFY2(righe.at(righe.size() - attese.size() - 1).contains("Esercizi svolti"), qPrintable(righe.join('|')));
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init()
    {
        T::avvia();
        FrmStampa::scegliFilePdf = [](QWidget *, const QString &) -> QString {
            qFatal("the real file dialog would open");
            return {};
        };
        FrmStampa::scegliStampante = [](QPrinter *, QWidget *) -> bool {
            qFatal("the real print dialog would open");
            return false;
        };
    }
    void cleanup() { T::chiudi(); }

    void stampaDallAvvisoConTastoEMouse()
    {
        finoAllAvviso();
        apriConInvio();
        verificaAperta();
        // "C" moves to "Chiudi", Enter closes: back to the warning, focus on "Stampa".
        T::tasto(Qt::Key_C);
        QCOMPARE(T::focusName(), QString("optComando_2"));
        QVERIFY(stampa());
        // The release reaches whichever window is active by then: the exercise screen.
        T::premi(Qt::Key_Return);
        verificaChiusa();
        T::rilascia(Qt::Key_Return);
        QCOMPARE(T::focusName(), QString("optAvviso_0"));

        // By the mouse, with the right button; closed with the middle one.
        T::clic(T::btn("frmOperativo", "optAvviso_0"), Qt::RightButton);
        verificaAperta();
        T::clic(comando(2), Qt::MiddleButton);
        verificaChiusa();

        // "R" then "1" on the warning, Enter: the first button is "Stampa" again.
        T::tasto(Qt::Key_R);
        T::tasto(Qt::Key_1);
        apriConInvio();
        verificaAperta();
        // Pressing "Stampa" on the warning again while the print screen is open brings the same
        // one forward rather than a second one.
        T::clic(T::btn("frmOperativo", "optAvviso_0"));
        int aperte = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            aperte += w->objectName() == QLatin1String("frmStampa") && w->isVisible();
        QCOMPARE(aperte, 1);
        T::clic(comando(2));
        verificaChiusa();
    }

    void salvaPdfDoveSceltoEdErrori()
    {
        finoAllAvviso();
        apriConInvio();
        QString proposta;
        QString percorso = m_dir.filePath("esercizio.pdf");
        int chiamate = 0;
        QWidget *genitore = nullptr;
        FrmStampa::scegliFilePdf = [&](QWidget *parent, const QString &p) {
            ++chiamate;
            proposta = p;
            genitore = parent;
            return percorso;
        };
        // "P" moves to "Salva PDF" without saving; Enter saves.
        T::tasto(Qt::Key_P);
        QCOMPARE(T::focusName(), QString("optComando_1"));
        QCOMPARE(chiamate, 0);
        T::tasto(Qt::Key_Return);
        QCOMPARE(chiamate, 1);
        QCOMPARE(genitore, stampa());
        QVERIFY(proposta.endsWith(".pdf"));
        QVERIFY(proposta.contains("Tabella dell'8"));
        verificaPdf(percorso);
        QVERIFY(messaggio().contains("File PDF salvato"));

        // Nothing is written where the user did not choose: a cancelled dialog writes nothing.
        percorso.clear();
        const QStringList prima = QDir(m_dir.path()).entryList(QDir::Files);
        T::clic(comando(1), Qt::RightButton);
        QCOMPARE(chiamate, 2);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), prima);
        QCOMPARE(messaggio(), QString());

        // A place that cannot be written: the screen says so and everything stays as it was.
        percorso = "/proc/x/y.pdf";
        T::clic(comando(1), Qt::MiddleButton);
        QCOMPARE(chiamate, 3);
        QVERIFY(stampa());
        QVERIFY2(messaggio().contains("Impossibile salvare il file PDF"), qPrintable(messaggio()));
        QVERIFY(!QFile::exists(percorso));
        QCOMPARE(stampa()->property("rows").toStringList(), m_attese);
        QCOMPARE(Programma::sessione.righeCompletate(), m_attese);

        // Saved again by scanning: SPACE from "Salva PDF" goes to "Chiudi", then round to
        // "Stampa" and "Salva PDF"; Enter saves to a second file.
        percorso = m_dir.filePath("seconda copia.pdf");
        QCOMPARE(T::focusName(), QString("optComando_1"));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), QString("optComando_2"));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), QString("optComando_0"));
        T::tasto(Qt::Key_Space);
        QCOMPARE(T::focusName(), QString("optComando_1"));
        QCOMPARE(chiamate, 3);
        T::tasto(Qt::Key_Return);
        verificaPdf(percorso);
        QVERIFY(!messaggio().contains("Impossibile"));

        T::tasto(Qt::Key_3);
        QCOMPARE(T::focusName(), QString("optComando_2"));
        T::premi(Qt::Key_Enter, Qt::KeypadModifier);
        verificaChiusa();
        T::rilascia(Qt::Key_Enter, Qt::KeypadModifier);
    }

    void stampaSullaStampante()
    {
        finoAllAvviso();
        apriConInvio();
        const QString percorso = m_dir.filePath("stampante.pdf");
        int chiamate = 0;
        bool conferma = false;
        QPageSize::PageSizeId formato = QPageSize::Custom;
        FrmStampa::scegliStampante = [&](QPrinter *printer, QWidget *) {
            ++chiamate;
            formato = printer->pageLayout().pageSize().id();
            // The printer the user picks here writes to a file the test can read back.
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(percorso);
            return conferma;
        };
        // Cancelled in the dialog: nothing printed.
        T::tasto(Qt::Key_Return);
        QCOMPARE(chiamate, 1);
        QCOMPARE(formato, QPageSize::A4);
        QVERIFY(!QFile::exists(percorso));
        QCOMPARE(messaggio(), QString());
        // Confirmed: the page goes to the printer.
        conferma = true;
        T::clic(comando(0), Qt::RightButton);
        QCOMPARE(chiamate, 2);
        verificaPdf(percorso);
        QVERIFY(messaggio().contains("inviato alla stampante"));
        QVERIFY(stampa());
    }

    void tastiDelleTrePulsanti()
    {
        finoAllAvviso();
        // Enter held on "Stampa" of the warning: its repeats reach the print screen, which
        // must not take them for a choice of its own "Stampa".
        int stampe = 0;
        FrmStampa::scegliStampante = [&](QPrinter *, QWidget *) { ++stampe; return false; };
        T::premi(Qt::Key_Return);
        QTRY_COMPARE(QApplication::activeWindow(), stampa());
        QCOMPARE(T::focusName(), QString("optComando_0"));
        for (int i = 0; i < 3; ++i) {
            T::rilascia(Qt::Key_Return, Qt::NoModifier, true);
            T::premi(Qt::Key_Return, Qt::NoModifier, true);
        }
        T::rilascia(Qt::Key_Return);
        QCOMPARE(stampe, 0);
        // A fresh Enter does print.
        T::tasto(Qt::Key_Return);
        QCOMPARE(stampe, 1);

        // Letters and places move the focus; they never act. Other keys are discarded.
        struct Caso { Qt::Key k; Qt::KeyboardModifiers m; const char *focus; };
        const Caso casi[] = {
            {Qt::Key_P, Qt::NoModifier, "optComando_1"}, {Qt::Key_C, Qt::NoModifier, "optComando_2"},
            {Qt::Key_S, Qt::NoModifier, "optComando_0"}, {Qt::Key_3, Qt::NoModifier, "optComando_2"},
            {Qt::Key_2, Qt::NoModifier, "optComando_1"}, {Qt::Key_1, Qt::NoModifier, "optComando_0"},
            {Qt::Key_3, Qt::KeypadModifier, "optComando_2"}, {Qt::Key_2, Qt::KeypadModifier, "optComando_1"},
            {Qt::Key_R, Qt::NoModifier, "optComando_1"}, {Qt::Key_4, Qt::NoModifier, "optComando_1"},
            {Qt::Key_1, Qt::KeypadModifier, "optComando_0"}, {Qt::Key_N, Qt::NoModifier, "optComando_0"},
        };
        for (const Caso &c : casi) {
            T::tasto(c.k, c.m);
            QCOMPARE(T::focusName(), QString(c.focus));
            QVERIFY(stampa());
        }
        QCOMPARE(stampe, 1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!comando(i)->isChecked());
        // The focus shows by colour alone.
        QCOMPARE(comando(0)->property("BackColor").value<QColor>(), QColor(255, 192, 128));
        QCOMPARE(comando(1)->property("BackColor").value<QColor>(), QColor(255, 224, 192));

        // Holding SPACE moves the focus by one button only.
        T::tieni(Qt::Key_Space, 3);
        QCOMPARE(T::focusName(), QString("optComando_1"));

        T::clic(comando(2), Qt::RightButton);
        verificaChiusa();
    }

    void menuStampaAttendeLaChiusura()
    {
        T::apriTabella(4);
        T::rispondiGiusto(0);
        // The menu item is never available to the pupil.
        auto *voce = Programma::frmOperativo().findChild<QAction *>("MnuStampaEsercizio");
        QVERIFY(voce);
        QVERIFY(!voce->isEnabled());
        // Opened modally, the caller goes on only once the print screen has closed.
        bool vista = false;
        QTimer::singleShot(0, [&] {
            QWidget *s = stampa();
            vista = s && s->windowModality() == Qt::ApplicationModal && s->property("rowCount").toInt() == 1 &&
                    s->property("rows").toStringList() == Programma::sessione.righeCompletate();
            if (s)
                T::clic(comando(2));
        });
        QCOMPARE(FrmStampa::apri(Programma::sessione.righeCompletate(), 1, 4, true), nullptr);
        QVERIFY(vista);
        QVERIFY(!stampa());
    }
};

QTEST_MAIN(TstStampa)
#include "tst_stampa.moc"
