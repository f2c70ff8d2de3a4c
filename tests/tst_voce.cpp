// The Italian voice as the pupil hears it: what is said for each button and panel, the scan waiting for
// a name, and the real speech service writing its sound to a file through ALSA, in a home of its own.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <unistd.h>

namespace {
struct Ear : Speaker { QStringList heard; void say(const QString &text) override { heard << text; } };
QTemporaryDir home;
QString sound() { return home.filePath(QStringLiteral("suono.raw")); }
// Where the service is reached and what it plays on: a file (22050 samples a second) or no device.
void setUp(const QString &runtime, const QString &pcm)
{
    QDir(home.path()).mkpath(runtime), QFile::setPermissions(home.filePath(runtime), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", home.filePath(runtime).toUtf8());
    QFile rc(home.filePath(QStringLiteral(".asoundrc")));
    QVERIFY(rc.open(QIODevice::WriteOnly));
    rc.write(QStringLiteral("pcm.!default { %1 }\n").arg(pcm).toUtf8());
}
// The samples said since byte `from`: from the first loud one to the last.
QByteArray said(qsizetype from = 0)
{
    QFile f(sound());
    const QByteArray all = f.open(QIODevice::ReadOnly) ? f.readAll().mid(from) : QByteArray();
    const auto *s = reinterpret_cast<const int16_t *>(all.constData());
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < all.size() / 2; ++i)
        if (std::abs(s[i]) > 1000)
            last = i, first = first < 0 ? i : first;
    return first < 0 ? QByteArray() : all.mid(first * 2, (last - first + 1) * 2);
}
qint64 size() { return QFileInfo(sound()).size(); }
// The speech service the program started, from the file where it writes its process id.
int server()
{
    QFile f(QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + "/speech-dispatcher/pid/speech-dispatcher.pid");
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
}
}

class TstVoce : public QObject {
    Q_OBJECT
    std::unique_ptr<T::Program> p;
    Impostazioni settings{home.filePath(QStringLiteral("profili.json"))};
    // The program with the system's voice on, once it is ready; its settings screen.
    void speak()
    {
        p = std::make_unique<T::Program>();
        settings.set(Impostazioni::Speech, 1);
        (*p)->applySettings(settings);
        QVERIFY(QTest::qWaitFor([&] { return !(*p)->voice()->speaking(); }, 15000));
    }
    QString trouble()
    {
        FrmImpostazioni *f = FrmImpostazioni::open(**p, settings);
        const QLabel *l = f->findChild<QLabel *>(QStringLiteral("lblVoce"));
        const QString why = l->isVisible() ? l->text() : QString();
        return f->close(), T::activate(&p->inizio()), why;
    }
    void space() { T::windowKey(QEvent::KeyPress, Qt::Key_Space), T::windowKey(QEvent::KeyRelease, Qt::Key_Space); }

private slots:
    void initTestCase()
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
        QDir(home.path()).mkpath(QStringLiteral(".config/speech-dispatcher"));
        QFile conf(home.filePath(QStringLiteral(".config/speech-dispatcher/speechd.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("AudioOutputMethod \"alsa\"\nAddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                   "DefaultModule espeak-ng\nDefaultLanguage \"it\"\nTimeout 2\n");
    }
    void cleanup()
    {
        p.reset();
        if (server() > 0) // without a device it would never end
            ::kill(server(), SIGTERM);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    // What is said, in one utterance a turn, the button last: start screen, a sheet, a wrong answer.
    void whatIsSaid()
    {
        T::Program p;
        Ear ear;
        p->setSpeaker(&ear), space(), QTest::qWait(0), space(), QTest::qWait(0);
        p.open(7);
        const int k = T::expected(0) - 7;
        T::type(Qt::Key_1), QTest::qWait(0), T::type(Qt::Key_Return), QTest::qWait(0);
        QCOMPARE(ear.heard, QStringList({"Tabella dell'uno", "Tabella del due", QStringLiteral("7 + %1. zero").arg(k), "Invio", "1. Ti aiuto? S\u00ec"}));
    }

    // The scan keeps the highlight until the name is said, or 3 s more at most.
    void scanWaitsForTheName()
    {
        T::Clock clock;
        Programma scan([] { return 4321.25; }, nullptr, 1500, &clock);
        Ear ear;
        scan.setSpeaker(&ear), scan.frmInizio().show(), T::activate(&scan.frmInizio());
        clock.advance(1500 + AutoScan::VoiceWaitMs - 1);
        QCOMPARE(T::focusName(), "Option1_0");
        clock.advance(1), QTest::qWait(0);
        QCOMPARE(T::focusName(), "Option1_1");
        clock.advance(1500), emit ear.spoken();
        QCOMPARE(T::focusName(), "Option1_2");
    }

    // The real service: the sum as sound of a plausible length.
    void realVoice()
    {
        setUp(QStringLiteral("run"), QStringLiteral("type file; slave.pcm \"null\"; file \"%1\"; format \"raw\"").arg(sound()));
        {
            SpeechService service;
            service.say(QStringLiteral("7 + 4"));
            QVERIFY(QTest::qWaitFor([&] { return said().size() > 22050; }, 20000));
        }
        const double seconds = said().size() / 2 / 22050.0;
        QVERIFY2(seconds > 0.5 && seconds < 3, qPrintable(QString::number(seconds)));
    }

    // No module, no service, the service killed by its process id, no sound device: the program goes
    // on, silent, nothing on the terminal, and the settings screen says why.
    void failures_data()
    {
        QTest::addColumn<QString>("pcm");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("why");
        const QString file = QStringLiteral("type file; slave.pcm \"null\"; file \"%1\"; format \"raw\"").arg(sound());
        QTest::newRow("nessun modulo") << file << QByteArray() << "manca il modulo della voce";
        QTest::newRow("nessun servizio") << file << QByteArray("unix_socket:/nessuno.sock") << "non risponde.";
        // Each in a process of its own (see CMakeLists.txt): Qt's speech plugin keeps what it found.
        QTest::newRow("servizio ucciso") << file << QByteArray() << "non risponde pi\u00f9";
        QTest::newRow("nessun dispositivo") << QStringLiteral("type hw; card 9") << QByteArray() << "dispositivo audio";
    }
    void failures()
    {
        QFETCH(QString, pcm);
        QFETCH(QByteArray, address);
        QFETCH(QString, why);
        if ((why.endsWith(u'\u00f9') || pcm.contains("hw")) != qEnvironmentVariableIsSet("DA_SOLO"))
            QSKIP("in a process of its own");
        setUp(QString::fromLatin1(QTest::currentDataTag()), pcm);
        address.isEmpty() ? qunsetenv("SPEECHD_ADDRESS") : qputenv("SPEECHD_ADDRESS", address);
        const int err = dup(2);
        QFile log(home.filePath(QStringLiteral("err")));
        QVERIFY(log.open(QIODevice::WriteOnly) && dup2(log.handle(), 2) == 2);
        if (why.startsWith("manca")) {
            p = std::make_unique<T::Program>();
            auto *service = new SpeechService(home.filePath("nessuno"));
            service->setParent(&**p), (*p)->setSpeaker(service), settings.set(Impostazioni::Speech, 1);
        } else {
            speak();
        }
        if (why.endsWith(u'\u00f9'))
            QVERIFY(QTest::qWaitFor([] { return server() > 0; }, 5000) && ::kill(server(), SIGKILL) == 0);
        const QString focus = T::focusName();
        QVERIFY((space(), T::focusName() != focus));
        QVERIFY(QTest::qWaitFor([&] { return (space(), trouble().contains(why)); }, 8000));
        dup2(err, 2), ::close(err), qunsetenv("SPEECHD_ADDRESS");
        QCOMPARE(log.size(), 0);
    }
};

QTEST_MAIN(TstVoce)
#include "tst_voce.moc"
