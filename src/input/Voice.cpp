#include "input/Voice.h"
#include "input/ButtonArray.h"
#include <QApplication>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>

namespace {
const char *const Numbers[] = {"zero", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove", "dieci"};
// Without a sound device the service may never say that it has begun: then the teacher is told.
const int LongestSilenceMs = 3000;

// Lives in the service's thread: everything it does with Qt's speech object happens there.
class SpeechWorker : public QObject {
public:
    explicit SpeechWorker(SpeechService *front) : m_front(front)
    {
        m_silence->setSingleShot(true);
        m_silence->setInterval(LongestSilenceMs);
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
        m_tts->setLocale(*italian);
        connect(m_tts, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State s) {
            m_silence->stop();
            if (s == QTextToSpeech::Speaking)
                m_begun = true;
            else if (s == QTextToSpeech::Error)
                stopped();
            else if (s == QTextToSpeech::Ready && m_begun)
                done();
        });
        m_working = true;
        report(QString());
    }

    void say(int serial, const QString &text)
    {
        m_serial = serial;
        if (!m_working)
            return done();
        m_begun = false;
        m_tts->stop(QTextToSpeech::BoundaryHint::Immediate);
        m_tts->say(text);
        if (m_tts->state() == QTextToSpeech::Error)
            return stopped();
        m_silence->start();
    }

private:
    void stopped()
    {
        m_working = false;
        report(QStringLiteral("La voce si \u00e8 fermata: il servizio di sintesi vocale (speech-dispatcher) non risponde "
                              "pi\u00f9. Torna riaprendo Calcolino."));
        done();
    }
    void report(const QString &why)
    {
        QMetaObject::invokeMethod(m_front, [f = m_front, why] { emit f->trouble(why); }, Qt::QueuedConnection);
    }
    void done()
    {
        QMetaObject::invokeMethod(m_front, [f = m_front, s = m_serial] { f->finished(s); }, Qt::QueuedConnection);
    }
    SpeechService *m_front;
    QTextToSpeech *m_tts = nullptr;
    QTimer *m_silence = new QTimer(this); // moves to the thread with the worker
    bool m_working = false;
    bool m_begun = false;
    int m_serial = 0;
};
}

SpeechService::SpeechService() : m_thread(std::make_unique<QThread>())
{
    auto *worker = new SpeechWorker(this);
    worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &SpeechService::request, worker, [worker](int serial, const QString &text) { worker->say(serial, text); });
    m_thread->start();
    QMetaObject::invokeMethod(worker, [worker] { worker->start(); }, Qt::QueuedConnection);
}

SpeechService::~SpeechService()
{
    m_thread->quit();
    m_thread->wait();
}

void SpeechService::say(const QString &text) { emit request(++m_serial, text); }

void SpeechService::finished(int serial)
{
    if (serial == m_serial) // an older text, cut off: the newer one is still being said
        emit spoken();
}

Voice::Voice(Speaker &speaker) : m_speaker(speaker)
{
    connect(&speaker, &Speaker::spoken, this, [this] {
        m_busy = false;
        if (!speaking())
            emit spoken();
    });
    connect(&speaker, &Speaker::trouble, this, [this](const QString &why) { m_trouble = why; });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (auto *b = qobject_cast<OptionButton *>(now))
            reached(*b);
    });
    if (auto *b = qobject_cast<OptionButton *>(QApplication::focusWidget()))
        reached(*b);
}

QString Voice::number(int n) { return n >= 0 && n <= 10 ? QString::fromLatin1(Numbers[n]) : QString::number(n); }

QString Voice::nameOf(const OptionButton &button)
{
    const QString caption = button.text();
    bool isNumber = false;
    const int n = caption.toInt(&isNumber);
    const auto *array = dynamic_cast<const ButtonArray *>(button.events());
    if (isNumber && array && array->keyTable() == &KeyTables::tables) // "Tabella dello zero", "dell'otto"
        return QStringLiteral("Tabella ") + (n == 0 ? QStringLiteral("dello ")
                                             : n == 1 || n == 8 ? QStringLiteral("dell'") : QStringLiteral("del "))
               + number(n);
    if (isNumber)
        return number(n);
    if (caption == QLatin1String("SI"))
        return QStringLiteral("S\u00ec");
    if (caption == QLatin1String("NO"))
        return QStringLiteral("No");
    if (caption == QLatin1String("Nuova Tabella"))
        return QStringLiteral("Nuova tabella");
    return caption;
}

void Voice::announce(const QString &text)
{
    m_pending << text;
    QTimer::singleShot(0, this, &Voice::flush);
}

void Voice::reached(const OptionButton &button)
{
    m_button = nameOf(button);
    QTimer::singleShot(0, this, &Voice::flush);
}

void Voice::flush()
{
    if (m_pending.isEmpty() && m_button.isEmpty())
        return;
    if (!m_button.isEmpty())
        m_pending << m_button;
    QString text;
    for (const QString &piece : std::as_const(m_pending)) // a pause between them, as in writing
        text += (text.isEmpty() || text.endsWith(u'?') ? QString(text.isEmpty() ? "" : " ") : QStringLiteral(". ")) + piece;
    m_busy = true;
    m_speaker.say(text);
    m_pending.clear();
    m_button.clear();
}
