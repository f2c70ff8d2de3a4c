// The print screen opened by "Stampa" on the 30-row warning: its buttons by keys and any mouse button;
// the page read back from the PDF; a real CUPS server's answer; Qt's own texts; keys after Qt's dialogs.
#include "TestSupport.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <pwd.h>
#include <sys/mount.h>
#include <unistd.h>

// Table 8 up to the warning through the session: the 4th row given by "SI", the 15th right after a
// "NO", the 21st given by the intervention after two more; each row's mark on the page.
static QString toTheWarning(T::Program &p, bool open = true)
{
    if (open)
        p.open(8);
    Esercizio &e = p->esercizio();
    QString marks;
    for (int n = 0; n < 30; ++n) {
        const QString right = e.session().Risultati[size_t(e.session().RigaCorrente)].trimmed();
        marks += n == 3 ? u'A' : n == 14 ? u'R' : n == 20 ? u'I' : u'G'; // "r": the right result
        QString script = QStringList{"r=", "r1=Nr=", "r1=S", "r1=Nr2=NK"}[QStringLiteral("GRAI").indexOf(marks.back())];
        for (QChar c : script.replace("r", right))
            c.isDigit() ? e.PremiTasto(c.digitValue()) : c == u'=' ? e.PremiTasto(Keypad::Invio) : c == u'S' ? e.SiSi() : c == u'N' ? e.NoNo() : e.optOK_Conferma();
        if (e.session().mode == Esercizio::Mode::EndOfSheet && n < 29)
            e.PremiTasto(Keypad::NuovaTabella);
    }
    return marks;
}

// A click on the name field (mouse button how[0]), keys, Enter ("=") or Esc ("^"): back on the first button.
static void typeName(const QString &how)
{
    T::click(T::w("frmStampa", "txtNome"), T::Buttons[QStringLiteral("lrm").indexOf(how[0])]);
    for (QChar c : how.mid(1))
        T::type(c == u'=' ? Qt::Key_Return : c == u'^' ? Qt::Key_Escape : Qt::Key(c.unicode()));
    QCOMPARE(T::focusName(), QString("optComando_0"));
    QTRY_COMPARE(T::seen(T::top("frmStampa")), T::shot(T::top("frmStampa"))); // no change left unpainted
}

// Keys at the focus ("=" Enter, "#" keypad), mouse buttons ("lrm") on `target`; one opening a dialog is released there.
static bool g_inDialog = false;
static void play(const QString &script, QWidget *target)
{
    for (int i = 0; i < script.size(); ++i) {
        const Qt::KeyboardModifiers m = script[i] == u'#' && ++i ? Qt::KeypadModifier : Qt::NoModifier;
        const Qt::Key k = script[i] == u'=' ? (m ? Qt::Key_Enter : Qt::Key_Return) : script[i] == u'\t' ? Qt::Key_Tab : Qt::Key(script[i].unicode());
        if (const int b = QStringLiteral("lrm").indexOf(script[i]); b >= 0)
            T::click(target, T::Buttons[b]), g_inDialog = false;
        else if (T::press(k, m); !std::exchange(g_inDialog, false) && QTest::qWaitFor([] { return QApplication::activeWindow(); }))
            T::release(k, m); // after "Chiudi": at the warning
    }
}

// The test's own CUPS server on a socket in its folder (CUPS_SERVER): "accetta" takes jobs, "rifiuta" not.
struct Cups {
    QTemporaryDir dir;
    QProcess cupsd;
    QString run(const QString &tool, const QStringList &args)
    {
        QProcess p;
        p.start(QStandardPaths::findExecutable(tool, {"/usr/sbin", "/usr/bin"}), QStringList{"-h", dir.filePath("socket")} + args);
        return p.waitForFinished(10000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : "failed";
    }
    bool start()
    {
        const QString conf = dir.filePath("cupsd.conf"), files = dir.filePath("cups-files.conf");
        auto write = [](const QString &name, const QString &text) { QFile f(name); return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()); };
        write(conf, "Listen " + dir.filePath("socket") + "\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                    "<Policy default>\n<Limit All>\n</Limit>\n</Policy>\n");
        write(files, QString("ServerRoot %1\nRequestRoot %1\nTempDir %1\nCacheDir %1\nStateDir %1\nErrorLog %1/log\n"
                             "FileDevice Yes\nSystemGroup root\n").arg(dir.path()));
        cupsd.start(QStandardPaths::findExecutable("cupsd", {"/usr/sbin"}), {"-f", "-c", conf, "-s", files});
        qputenv("CUPS_SERVER", QFile::encodeName(dir.filePath("socket")));
        return QTest::qWaitFor([this] { return run("lpstat", {"-r"}).contains("scheduler is running"); }, 10000)
            && run("lpadmin", {"-p", "accetta", "-E", "-v", "file:/dev/null"}) != "failed"
            && run("lpadmin", {"-p", "rifiuta", "-E", "-v", "file:/dev/null"}) != "failed" && run("cupsreject", {"rifiuta"}) != "failed";
    }
    ~Cups() { cupsd.terminate(), cupsd.waitForFinished(); }
};

class TstStampa : public QObject {
    Q_OBJECT
    Cups cups;
private slots:
    void initTestCase() { QVERIFY2(cups.start(), "cupsd (cups-daemon, cups-client) did not start"); }

    void commands_data()
    {
        QTest::addColumn<QString>("open"); // on the warning's "Stampa"
        QTest::addColumn<QString>("name"); // typed in the name field first (typeName)
        QTest::addColumn<QString>("keys"); // on the print screen, the mouse on the command's button
        QTest::addColumn<int>("cmd");      // "Stampa", "Salva PDF", "Chiudi"
        QTest::addColumn<QString>("file"); // chosen in the dialog, "cups:" a printer; none: cancelled
        QTest::addColumn<QString>("says");
        QTest::newRow("name, P, Enter: saved") << "=" << "lLUCIA BIANCHI=" << "P=" << 1 << "esercizio.pdf" << "File PDF salvato";
        QTest::newRow("C, 2, left: no such folder") << "l" << "" << "C2l" << 1 << "nessuna/esercizio.pdf" << "Impossibile salvare il file PDF: la cartella non esiste";
        QTest::newRow("P, Enter: under /proc") << "=" << "" << "P=" << 1 << "/proc/esercizio.pdf" << "Impossibile salvare il file PDF: in questa cartella non si possono creare file";
        QTest::newRow("2, Enter: the disk is full") << "=" << "" << "2=" << 1 << "pieno/esercizio.pdf" << "Impossibile salvare il file PDF: il disco \u00e8 pieno";
        QTest::newRow("P, middle: a read-only disk") << "=" << "" << "Pm" << 1 << "sola-lettura/esercizio.pdf" << "Impossibile salvare il file PDF: in questa cartella non si pu\u00f2 scrivere";
        QTest::newRow("a long name, SPACE x4, keypad Enter: cancelled") << "r" << "m" + QString("ANNA ").repeated(13) + "^" << "    #=" << 1 << "" << "";
        QTest::newRow("keypad 3, Tab, 1, Enter, 3: printed") << "m" << "" << "#3\t#1=3" << 0 << "stampante.pdf" << "L'esercizio non \u00e8 andato a una stampante";
        // On the test's CUPS server: no job without the print module; taken, refused, and the server stopped while the dialog is open (last).
        QTest::newRow("S, right: no print module") << "r" << "" << "Sr" << 0 << "cups:-" << "Impossibile stampare l'esercizio: manca il modulo di stampa di Calcolino (";
        QTest::newRow("S, Enter: to a printer") << "=" << "" << "S=" << 0 << "cups:accetta" << "Esercizio inviato alla stampante accetta";
        QTest::newRow("1, left: refused") << "l" << "" << "1l" << 0 << "cups:rifiuta" << "Impossibile stampare l'esercizio: la stampante rifiuta non accetta lavori";
        QTest::newRow("S, middle: no server") << "=" << "" << "Sm" << 0 << "cups:" << "Impossibile stampare l'esercizio: il servizio di stampa non risponde";
        QTest::newRow("keypad 2, 1, middle: cancelled") << "=" << "" << "#21m" << 0 << "" << "";
        QTest::newRow("3, S, SPACE x2, Enter: closed") << "l" << "" << "3S  =" << 2 << "" << "";
    }
    void commands()
    {
        QFETCH(QString, open);
        QFETCH(QString, name);
        QFETCH(QString, keys);
        QFETCH(int, cmd);
        QFETCH(QString, file);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString printer = file.startsWith("cups:") ? file.mid(5) : QString();
        const QString path = file.isEmpty() || !printer.isNull() ? QString() : file.startsWith("/") ? file : dir.filePath(file);
        // "pieno/" and "sola-lettura/": a tmpfs mounted for the row, full but for 8 KiB or read-only (root only).
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        const bool full = folder.endsWith("/pieno"), small = full || folder.endsWith("/sola-lettura");
        if (small && geteuid() != 0)
            QSKIP("mounting a small filesystem needs root");
        const auto unmount = qScopeGuard([&] { if (small) ::umount2(folder.constData(), MNT_DETACH); });
        QFile filler(folder + "/altro");
        QVERIFY2(!small || (QDir().mkpath(folder) && ::mount("tmpfs", folder.constData(), "tmpfs", full ? 0 : MS_RDONLY, "size=64k") == 0),
                 "mount -t tmpfs failed");
        QVERIFY(!full || (filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(56 * 1024, 'x')) == 56 * 1024));
        T::Program p;
        p.dialogs.printModule = printer == "-" ? dir.filePath("calcolino-stampa.so") : QString(); // "-": not installed
        int asked[2] = {0, 0}; // each dialog; the printer's page goes to a file, read back below
        p.dialogs.printer_ = [&](QPrinter *pr, QWidget *) { // the teacher picks Letter paper and a file, or a printer
            if (!printer.isNull())
                return pr->setPrinterName(printer.isEmpty() ? "accetta" : printer), printer.isEmpty() && (cups.cupsd.kill(), cups.cupsd.waitForFinished()),
                       g_inDialog = true, ++asked[0], true;
            return g_inDialog = true, pr->setPageSize(QPageSize(QPageSize::Letter)), pr->setOutputFileName(path), ++asked[0], !path.isEmpty();
        };
        p.dialogs.file = [&](QWidget *, const QString &) { return g_inDialog = true, ++asked[1], path; };
        const QString marks = toTheWarning(p);
        const int jobs = printer.isEmpty() ? 0 : cups.run("lpstat", {"-W", "all", "-o"}).count(u'\n');
        const QStringList rows = p->esercizio().completedRows();
        play(open, T::btn("frmOperativo", "optAvviso_0"));
        QTRY_COMPARE(QApplication::activeWindow(), p->frmStampa()); // with the pupil's work, the warning behind
        if (!name.isEmpty())
            typeName(name);
        const QString pupil = name.mid(1).chopped(qMin(1, int(name.size()))).left(60); // the field takes 60
        play(keys, T::btn("frmStampa", QStringLiteral("optComando_%1").arg(cmd)));
        QCOMPARE(asked[0] * 10 + asked[1], cmd == 0 ? 10 * (printer != "-") : cmd == 1 ? 1 : 0); // that dialog once, the other never
        if (cmd == 2) { // back to the warning, on "Stampa"
            QTRY_VERIFY(!T::top("frmStampa") && QApplication::activeWindow() == T::top("frmOperativo") && T::focusName() == "optAvviso_0");
            return;
        }
        QLabel *message = T::lbl("frmStampa", "lblMessaggio");
        QVERIFY2(says.isEmpty() ? message->text().isEmpty() : message->text().startsWith(says), qPrintable(message->text()));
        QVERIFY(says.isEmpty() || !printer.isNull() || message->text().remove(QChar(0x200B)).endsWith("\n" + path)); // and where, on a line of its own
        // The path may break after a folder's separator, or within a name every 16 characters, nowhere else.
        QVERIFY(!message->text().contains(QRegularExpression("(^|[/\\x{200B}])[^/\\x{200B}\\n]{1,15}\\x{200B}")));
        const bool written = !says.isEmpty() && !says.startsWith("Impossibile");
        QVERIFY(says.isEmpty() || T::pixels(T::shot(message), written ? QColor(0, 110, 0) : QColor(170, 0, 0)) > 20); // green or red
        QVERIFY(message->y() > T::w("frmStampa", "txtNome")->geometry().bottom()); // under the name, in the column
        QCOMPARE(T::w("frmStampa", "txtNome")->property("text").toString(), pupil); // the pupil's keys never in it
        // Only the file asked for, when the screen says so: heading and name, each row after its mark, summary.
        if (!path.startsWith("/proc"))
            QCOMPARE(QDir(path.isEmpty() ? dir.path() : QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter(QRegularExpression("^(?!altro$)")),
                     written && !path.isEmpty() ? QStringList{QFileInfo(path).fileName()} : QStringList());
        if (!printer.isEmpty()) // a job on the server when the screen says so, and only then
            QCOMPARE(cups.run("lpstat", {"-W", "all", "-o"}).count(u'\n') - jobs, int(written));
        if (!written || !printer.isNull())
            return;
        QStringList want = {"Tabella dell'8 " + p->frmStampa()->when().toString("'Data: 'dd/MM/yyyy' Ora: 'HH:mm"),
                            ("Alunno: " + pupil).trimmed()};
        for (int i = 0; i < rows.size(); ++i) // each row readable without the legend
            want << marks[i] + QStringLiteral(" ") + rows[i] + (marks[i] == u'A' ? " (dato dopo «SI»)" : marks[i] == u'I' ? " (dato dall'intervento)" : "");
        want << "Riepilogo" << "Esercizi svolti: 30 Risultati dati dopo \u00abSI\u00bb: 1" << "Giusti al primo tentativo: 27 Risultati dati dall'intervento: 1"
             << "Giusti dopo aver riprovato: 1 Risposte sbagliate in tutto: 4" << "Legenda"; // its text is a table of the code
        QProcess pdf;
        pdf.start("pdfinfo", {path});
        QVERIFY2(pdf.waitForFinished(30000) && pdf.readAllStandardOutput().contains(cmd ? "595 x 842 pts" : "612 x 792 pts"), "pdfinfo: not the paper asked for");
        pdf.start("pdftotext", {"-layout", path, "-"});
        QVERIFY2(pdf.waitForFinished(30000) && pdf.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QRegularExpression blanks("^\\s+|\\s+$|(?<=\\s)\\s+"); // single blanks, no blank lines
        QCOMPARE(QString::fromUtf8(pdf.readAllStandardOutput()).split(u'\n').replaceInStrings(blanks, "").filter(QRegularExpression(".")).mid(0, want.size()), want.replaceInStrings(blanks, ""));
    }

    // The preview: as wide as the room allows, never under 560 px (rows 12 px high), its room kept
    // whatever the message says; it never takes the keyboard. The pupil's name and the end time last
    // the session; the PDF's name has the pupil (in the user's home without HOME); "Ricomincia" clears
    // the name. Qt's print dialog for a CUPS printer and its properties speak Italian.
    void previewAndSession()
    {
        T::Program p;
        toTheWarning(p);
        const QDateTime ended = QDateTime::currentDateTime();
        T::click(T::btn("frmOperativo", "optAvviso_0"));
        QTRY_COMPARE(QApplication::activeWindow(), p->frmStampa());
        FrmStampa *s = p->frmStampa();
        const QDateTime when = s->when();
        QVERIFY(when <= ended && when.secsTo(ended) < 5);
        typeName("lDAVIDE=");
        QWidget *sheet = T::w("frmStampa", "picPagina");
        auto *area = qobject_cast<QScrollArea *>(T::w("frmStampa", "picAnteprima"));
        s->showNormal();
        for (const QSize size : {QSize(1400, 900), QSize(640, 480), QSize(800, 600)}) {
            s->resize(size);
            QTRY_COMPARE(sheet->width(), std::max(560, area->viewport()->width() - 24));
        }
        const int room = area->width();
        QTemporaryDir dir;
        const QString path = dir.filePath(QString("nome-lunghissimo-").repeated(8) + ".pdf"); // on lines of its own
        QString proposed;
        p.dialogs.file = [&](QWidget *, const QString &proposal) { return proposed = proposal, path; };
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "");
        T::type(Qt::Key_P), T::press(Qt::Key_Return); // Enter released in the dialog: the next key acts
        qputenv("HOME", home);
        T::type(Qt::Key_Space);
        QCOMPARE(T::focusName(), QString("optComando_2"));
        T::type(Qt::Key_P);
        QCOMPARE(proposed, QDir(QFile::decodeName(getpwuid(getuid())->pw_dir)).filePath("Tabella dell'8 - DAVIDE " + when.toString("yyyy-MM-dd") + ".pdf"));
        QApplication::processEvents();
        QCOMPARE(area->width(), room);
        for (Qt::MouseButton b : T::Buttons)
            T::click(sheet, b), T::click(area->viewport(), b);
        QCOMPARE(T::focusName(), QString("optComando_1")); // where "Salva PDF" left it
        for (const char *then : {"DAVIDE", ""}) {
            T::click(T::btn("frmStampa", "optComando_2"));
            QTRY_VERIFY(!T::top("frmStampa"));
            if (!*then) { // "Ricomincia", and thirty rows more
                T::click(T::btn("frmOperativo", "optAvviso_1"));
                toTheWarning(p, false);
            }
            T::click(T::btn("frmOperativo", "optAvviso_0"));
            QTRY_COMPARE(QApplication::activeWindow(), p->frmStampa());
            QCOMPARE(T::w("frmStampa", "txtNome")->property("text").toString(), QString(then));
            QCOMPARE(p->frmStampa()->when() == when, bool(*then));
        }
        const QRegularExpression english("\\b(Undo|Redo|Cut|Copy|Paste|Delete|Select|Print|Printing|Pages?|Off|On|Long|Short|side|binding|Double|"
                                         "Advanced|Options?|Copies|Collate|Reverse|Colou?r|Grayscale|Properties|Cancel|Output|Current|Paper|"
                                         "Orientation|Portrait|Landscape|Margins|Width|Height|Job|There|Please|Specify|Name|Preview|Layout|Order)\\b");
        auto texts = [](QWidget *top) {
            QStringList t;
            for (QWidget *w : top->findChildren<QWidget *>()) {
                t << w->toolTip() << w->property("text").toString() << w->property("title").toString() << w->property("placeholderText").toString();
                auto *c = qobject_cast<QComboBox *>(w);
                auto *tabs = qobject_cast<QTabWidget *>(w);
                for (int i = 0; i < (c ? c->count() : tabs ? tabs->count() : 0); ++i)
                    t << (c ? c->itemText(i) : tabs->tabText(i));
            }
            return t.filter(QRegularExpression("."));
        };
        QPrinter printer;
        printer.setPrinterName("accetta");
        QPrintDialog dialog(&printer); // not the print screen's child: it outlives it
        dialog.show();
        QStringList properties;
        QTimer::singleShot(0, [&] { properties = texts(QApplication::activeModalWidget()), QApplication::activeModalWidget()->close(); });
        dialog.findChild<QPushButton *>("properties")->click();
        for (const QStringList &t : {texts(&dialog), properties}) {
            QVERIFY(t.size() > 30);
            QVERIFY2(t.filter(english).isEmpty(), qPrintable(t.filter(english).join(" | ")));
        }
        p->frmInizio().close(); // the program ends: the print screen goes with it
        QTRY_VERIFY(!T::top("frmStampa"));
    }

    // Under X (tst_stampa_x), keys through XTEST: "Salva PDF", an existing name, Enter, "Si" to Qt's
    // overwrite question by Left and Enter, then by Left and SPACE: the PDF saved, the print screen active
    // again, the focus on "Salva PDF", its press flags clear, and P+Enter opens the file dialog again.
    void overwriteByKeys()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("keys through XTEST: tst_stampa_x runs this in an X session");
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        T::Program p;
        toTheWarning(p);
        T::click(T::btn("frmOperativo", "optAvviso_0"));
        QTRY_COMPARE(QApplication::activeWindow(), p->frmStampa());
        FrmStampa *s = p->frmStampa();
        QFile pdf(home.filePath("Tabella dell'8 " + s->when().toString("yyyy-MM-dd") + ".pdf"));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.close();
        p.dialogs.file = [&](QWidget *w, const QString &proposal) { return p.dialogs.PrintDialogs::pdfFile(w, proposal); };
        auto keys = [](const QString &k) { QProcess::execute("xdotool", QStringList{"key", "--delay", "40"} + k.split(' ')); };
        int step = 0; // file dialog, question, print screen; twice; then the file dialog cancelled
        QStringList back; // the print screen after each overwrite
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            const bool up = modal && QApplication::activeWindow() == modal;
            if (step % 3 == 0 && up && qobject_cast<QFileDialog *>(modal))
                keys(step < 6 ? "Return" : "Escape"), ++step;
            else if (step % 3 == 1 && up && qobject_cast<QMessageBox *>(modal))
                keys(step < 3 ? "Left Return" : "Left space"), ++step;
            else if (step % 3 == 2 && !modal && QApplication::activeWindow() == s) {
                back << QStringLiteral("%1 %2 %3").arg(T::focusName()).arg(s->BloccoSpazioComandi).arg(s->BloccoTastoComandi);
                keys("p Return"), ++step;
            }
        });
        watch.start(20);
        keys("p Return");
        QTRY_VERIFY_WITH_TIMEOUT(step == 7 && !QApplication::activeModalWidget() && QApplication::activeWindow() == s, 15000);
        QCOMPARE(back, QStringList({"optComando_1 0 0", "optComando_1 0 0"}));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
    }
};

QTEST_MAIN(TstStampa)
#include "tst_stampa.moc"
