// The module that speaks through Qt's speech module: loaded by SpeechService only when the voice is
// on, and worked in the service's thread. It knows nothing of the program but the two methods it
// calls on its front by name, finished(int) and report(QString), so that it shares no code with it.
#include <QTextToSpeech>
#include <QTimer>

namespace {
// Without a sound device the service may never say that it has begun: then the teacher is told.
const int LongestSilenceMs = 3000;
const int MsPerCharacter = 150; // more than any voice takes

class SpeechWorker : public QObject {
    Q_OBJECT
public:
    SpeechWorker(QObject *front, QObject *parent) : QObject(parent), m_front(front)
    {
        m_silence->setSingleShot(true);
        connect(m_silence, &QTimer::timeout, this, [this] {
            report(QStringLiteral("La voce non si sente: il servizio di sintesi vocale non trova un dispositivo audio."));
            done();
        });
    }

    void start()
    {
        const QStringList engines = QTextToSpeech::availableEngines();
        if (!engines.contains(QLatin1String("speechd")))
            return report(QStringLiteral("Non c'\u00e8 la voce: manca il servizio di sintesi vocale (i pacchetti "
                                         "speech-dispatcher e qt6-speech-speechd-plugin)."));
        m_tts = new QTextToSpeech(QStringLiteral("speechd"), this);
        if (m_tts->state() == QTextToSpeech::Error)
            return report(QStringLiteral("Non c'\u00e8 la voce: il servizio di sintesi vocale (speech-dispatcher) non "
                                         "risponde."));
        const QList<QLocale> locales = m_tts->availableLocales();
        const auto italian = std::find_if(locales.begin(), locales.end(),
                                          [](const QLocale &l) { return l.language() == QLocale::Italian; });
        if (italian == locales.end())
            return report(QStringLiteral("Non c'\u00e8 la voce: non \u00e8 installata una voce italiana (per esempio "
                                         "il pacchetto speech-dispatcher-espeak-ng)."));
        // Once: the service keeps the language and voice of the connection for every text.
        m_tts->setLocale(*italian);
        connect(m_tts, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State s) {
            m_silence->stop();
            if (s == QTextToSpeech::Speaking) // without a device it may begin and never end
                m_begun = true, m_silence->start(LongestSilenceMs + MsPerCharacter * m_length);
            else if (s == QTextToSpeech::Error)
                stopped();
            else if (s == QTextToSpeech::Ready && m_begun)
                done();
        });
        m_working = true;
        report(QString());
    }

    // Qt's say() cuts off what is being said only once the service has told it that it began: a
    // name asked for sooner would wait for the one before to be said whole. So stop() each time.
    Q_INVOKABLE void say(int serial, const QString &text)
    {
        m_serial = serial;
        if (!m_working)
            return done();
        m_begun = false, m_length = int(text.size());
        m_tts->stop();
        m_tts->say(text);
        if (m_tts->state() == QTextToSpeech::Error)
            return stopped();
        m_silence->start(LongestSilenceMs);
    }

private:
    void stopped()
    {
        m_working = false;
        report(QStringLiteral("La voce si \u00e8 fermata: il servizio di sintesi vocale (speech-dispatcher) non risponde "
                              "pi\u00f9. Torna riaprendo Calcolino."));
        done();
    }
    void report(const QString &why) { QMetaObject::invokeMethod(m_front, "report", Qt::QueuedConnection, Q_ARG(QString, why)); }
    void done() { QMetaObject::invokeMethod(m_front, "finished", Qt::QueuedConnection, Q_ARG(int, m_serial)); }

    QObject *m_front;
    QTextToSpeech *m_tts = nullptr;
    QTimer *m_silence = new QTimer(this);
    bool m_working = false;
    bool m_begun = false;
    int m_serial = 0;
    int m_length = 0;
};
}

// The worker, made in the thread that is to run it; it reports to `front`.
extern "C" Q_DECL_EXPORT QObject *calcolino_speech_worker(QObject *front, QObject *parent)
{
    auto *worker = new SpeechWorker(front, parent);
    worker->start();
    return worker;
}

#include "SpeechModule.moc"
