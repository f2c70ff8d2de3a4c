// The Italian voice as the pupil hears it, up to the real speech service's sound at a sound card's pace.
#include "TestSupport.h"
#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "start/FrmInizio.h"
#include <QProcess>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {
struct Ear : Speaker { QStringList heard; void say(const QString &text) override { heard << text; } };
QTemporaryDir home;
const int Rate = 22050; // espeak-ng's samples a second

bool runtime() // one runtime folder for the whole run, GLib reads it once; the sound server in it is ours
{
    QDir(home.path()).mkpath(QStringLiteral(".config/speech-dispatcher")), QDir(home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return qputenv("HOME", home.path().toUtf8()) && qputenv("XDG_CONFIG_HOME", home.filePath(".config").toUtf8()) && qputenv("XDG_RUNTIME_DIR", home.filePath("run").toUtf8()) && qunsetenv("PULSE_SERVER");
}

// In 16-bit sound, the first loud sample from `from` on, or -1; with `last`, the last one.
qint64 loud(const QByteArray &sound, qint64 from, bool last = false)
{
    qint64 found = -1;
    for (qint64 i = from; i < sound.size() / 2 && (found < 0 || last); ++i)
        found = std::abs(reinterpret_cast<const int16_t *>(sound.constData())[i]) > 1000 ? i : found;
    return found;
}

// A desktop's sound: a sound server of our own whose card plays at the real rate into nothing,
// recorded as it plays. What it plays is kept. The speech service plays to it through ALSA's file device,
// which keeps a copy of all it is given.
struct Card {
    bool ready = runtime();
    QProcess sound;
    FILE *rec = (sound.start(QStringLiteral("pulseaudio"), {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--load=module-native-protocol-unix auth-anonymous=1",
                                                                 QStringLiteral("--load=module-null-sink sink_name=scheda rate=%1 channels=1").arg(Rate)}),
                 (void)QTest::qWaitFor([] { return QFile::exists(home.filePath("run/pulse/native")); }, 10000),
                 ::popen("exec parec --raw --format=s16le --rate=22050 --channels=1 --latency-msec=10 -d scheda.monitor 2>/dev/null", "r"));
    std::mutex m;
    QByteArray played;
    std::thread reader{[this] {
        char b[256];
        for (ssize_t n; (n = ::read(fileno(rec), b, sizeof b)) > 0;) {
            std::lock_guard<std::mutex> lock(m);
            played.append(b, int(n));
        }
    }};
    ~Card() { sound.kill(), sound.waitForFinished(), reader.join(), ::pclose(rec); }
    qint64 now() { std::lock_guard<std::mutex> lock(m); return played.size() / 2; }
    qint64 loud(qint64 from, bool last = false) { std::lock_guard<std::mutex> lock(m); return ::loud(played, from, last); }
    bool quiet(qint64 samples) { const qint64 n = now(); return n > samples && loud(n - samples) < 0; }
};

bool write(const QString &name, const QByteArray &text) { QFile f(home.filePath(name)); return f.open(QIODevice::WriteOnly) && f.write(text) > 0; }
// The speech service running for the program, from the file where it writes its process id; 0: none.
int server()
{
    QFile f(home.filePath(QStringLiteral("run/speech-dispatcher/pid/speech-dispatcher.pid"))), stat;
    const int pid = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    stat.setFileName(QStringLiteral("/proc/%1/stat").arg(pid));
    return pid > 0 && stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z") ? pid : 0;
}
}

class TstVoce : public QObject {
    Q_OBJECT
    std::unique_ptr<T::Program> p;
    Impostazioni settings{home.filePath(QStringLiteral("profili.json"))};
    Card card;
    Ear ear;
    void speak(bool ready = true) // a program with the system's voice turned on; once it is ready, with `ready`
    {
        p.reset(), p = std::make_unique<T::Program>(), settings.set(Impostazioni::Speech, 1), (*p)->applySettings(settings);
        QVERIFY(!ready || quiet());
    }
    QString trouble() // as the settings screen says it
    {
        const QLabel *l = FrmImpostazioni::open(**p, settings)->findChild<QLabel *>(QStringLiteral("lblVoce"));
        const QString why = l->isVisible() ? l->text() : QString();
        return l->window()->close(), T::activate(&p->inizio()), why;
    }
    void space() { T::windowKey(QEvent::KeyPress, Qt::Key_Space), T::windowKey(QEvent::KeyRelease, Qt::Key_Space); }
    bool quiet() { return QTest::qWaitFor([&] { return !(*p)->voice()->speaking() && card.quiet(Rate / 5); }, 15000); }

private slots:
    void initTestCase()
    {
        QVERIFY(write(QStringLiteral(".asoundrc"), QStringLiteral("pcm.voce { type file; slave.pcm { type pulse; device scheda } file \"%1\" format raw }\n").arg(home.filePath("voce.raw")).toUtf8()));
        QVERIFY(write(QStringLiteral(".config/speech-dispatcher/speechd.conf"), "AudioOutputMethod \"alsa\"\nAudioALSADevice \"voce\"\nDefaultModule espeak-ng\n"
                      "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\nDefaultLanguage \"it\"\nTimeout 2\n") && QTest::qWaitFor([&] { return card.now() > 0; }, 5000));
    }
    void cleanup()
    {
        const int pid = (p.reset(), server()); // the next case's device is read by a service of its own; without one it would never end
        QVERIFY(!pid || (::kill(pid, SIGKILL) == 0 && QTest::qWaitFor([] { return !server(); }, 5000)));
    }

    // What is said, in one utterance a turn, the button last: start screen, a sheet, a wrong answer.
    void whatIsSaid()
    {
        T::Program p;
        p->setSpeaker(&ear), space(), QTest::qWait(0), space(), QTest::qWait(0);
        p.open(7);
        T::type(Qt::Key_1), QTest::qWait(0), T::type(Qt::Key_Return), QTest::qWait(0);
        QCOMPARE(ear.heard, QStringList({"Tabella dell'uno", "Tabella del due", QStringLiteral("7 + %1. zero").arg(T::expected(0) - 7), "Invio", "1. Ti aiuto? S\u00ec"}));
    }

    // The scan keeps the highlight until the name is said, or 3 s more at most.
    void scanWaitsForTheName()
    {
        T::Clock clock;
        Programma scan([] { return 4321.25; }, nullptr, 1500, &clock);
        scan.setSpeaker(&ear), scan.frmInizio().show(), T::activate(&scan.frmInizio());
        clock.advance(1500 + AutoScan::VoiceWaitMs - 1);
        QCOMPARE(T::focusName(), "Option1_0");
        clock.advance(1), QTest::qWait(0);
        QCOMPARE(T::focusName(), "Option1_1");
        clock.advance(1500), emit ear.spoken();
        QCOMPARE(T::focusName(), "Option1_2");
    }

    // Turned off while it starts the service and lists the voices, the voice holds up no frame; turned on again, it says
    // the sum as sound of a plausible length, and each name within 250 ms of the move (95th percentile of 40); also when
    // each cuts off the one before: moved on 2 to 5 times 150 ms apart, the last name is heard whole, begun within 250 ms
    // of the last move (95th percentile of 20 such runs).
    void inTime()
    {
        QElapsedTimer frame;
        speak(false);
        QVERIFY(QTest::qWaitFor([] { return server() > 0; }, 15000));
        frame.start(), settings.set(Impostazioni::Speech, 0), (*p)->applySettings(settings);
        qint64 slowest = frame.elapsed(), at = 0, start = 0; // and the frames while it speaks
        speak();
        QFile file(home.filePath(QStringLiteral("voce.raw")));
        QVERIFY(file.open(QIODevice::ReadOnly) && file.seek(file.size()));
        at = card.now(), (*p)->voice()->announce(QStringLiteral("7 + 4"));
        QVERIFY(QTest::qWaitFor([&] { return card.loud(at) >= 0 && card.quiet(Rate / 2); }, 20000));
        const QByteArray written = file.readAll();
        const double seconds = double(card.loud(at, true) - card.loud(at)) / Rate, inFile = double(loud(written, 0, true) - loud(written, 0)) / Rate;
        QVERIFY2(seconds > 0.5 && seconds < 3 && std::abs(inFile - seconds) < 0.01, qPrintable(QStringLiteral("%1 s, in the file %2 s").arg(seconds).arg(inFile)));
        p->open(7);
        std::map<QString, qint64> whole; // each name's length, said to its end
        QList<double> late, cut;
        for (QString name; quiet() && late.size() < 40; name = T::focusName()) {
            whole[name] = card.loud(start, true) + 1 - start;
            at = card.now(), frame.start(), space(), QCoreApplication::processEvents(), slowest = std::max(slowest, frame.elapsed());
            QVERIFY(QTest::qWaitFor([&] { return (start = card.loud(at)) >= 0; }, 3000) && (late << double(start - at) * 1000 / Rate, true));
        }
        for (int k = 0; cut.size() < 20; ++k) {
            for (int i = 0; i < 2 + k % 4; ++i)
                QVERIFY(QTest::qWaitFor([&] { return i == 0 || card.now() >= at + Rate * 3 / 20; }, 3000) && (at = card.now(), space(), true));
            QVERIFY(quiet() && whole[T::focusName()] > 0);
            cut << double(card.loud(at, true) + 1 - at - whole[T::focusName()]) * 1000 / Rate;
        }
        std::sort(late.begin(), late.end()), std::sort(cut.begin(), cut.end());
        QVERIFY2(late.size() == 40 && late[37] <= 250 && cut[18] <= 250 && slowest <= 20,
                 qPrintable(QStringLiteral("%1 ms, cut %2 ms, a frame %3 ms").arg(late.value(37)).arg(cut[18]).arg(slowest)));
    }

    // No module, no service, the service killed by its process id, no sound device: the program goes
    // on, silent, nothing on the terminal, and the settings screen says why.
    void failures_data()
    {
        QTest::addColumn<QString>("why");
        for (const char *why : {"manca il modulo della voce", "non risponde.", "non risponde pi\u00f9", "dispositivo audio"})
            QTest::newRow(why) << QString::fromUtf8(why);
    }
    void failures()
    {
        QFETCH(QString, why);
        why.endsWith(u'.') ? qputenv("SPEECHD_ADDRESS", "unix_socket:/nessuno.sock") : qunsetenv("SPEECHD_ADDRESS");
        why.startsWith(u'd') ? qputenv("PULSE_SERVER", "unix:/nessuno") : qunsetenv("PULSE_SERVER");
        const int err = dup(2);
        QFile log(home.filePath(QStringLiteral("err")));
        QVERIFY(log.open(QIODevice::WriteOnly) && dup2(log.handle(), 2) == 2);
        speak(!why.startsWith(u'm'));
        auto *lone = why.startsWith(u'm') ? new SpeechService(home.filePath("nessuno")) : nullptr; // a module not there
        QVERIFY(!lone || (lone->setParent(&**p), (*p)->setSpeaker(lone), true));
        QVERIFY(!why.endsWith(u'\u00f9') || (QTest::qWaitFor([] { return server() > 0; }, 5000) && ::kill(server(), SIGKILL) == 0));
        QVERIFY(QTest::qWaitFor([&] { const QString was = T::focusName(); return (space(), T::focusName() != was) && trouble().contains(why); }, 8000));
        dup2(err, 2), ::close(err), qunsetenv("SPEECHD_ADDRESS");
        QCOMPARE(log.size(), 0);
    }
};

QTEST_MAIN(TstVoce)
#include "tst_voce.moc"
