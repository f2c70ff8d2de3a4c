#include "input/Voice.h"
#include "input/ButtonArray.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLibrary>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <pthread.h>

namespace {
const char *const Numbers[] = {"zero", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove", "dieci"};

// Lives in the service's thread: loads the module there, hands it each text and passes on what it
// tells; through signals, so that once the service is gone nothing reaches it.
class ModuleHost : public QObject {
    Q_OBJECT
public:
    ModuleHost(const QString &file, std::shared_ptr<QSemaphore> previous, std::shared_ptr<QSemaphore> ended)
        : m_file(file), m_previous(std::move(previous)), m_ended(std::move(ended)) {}
    ~ModuleHost() override
    {
        delete m_worker; // the connection closed
        if (m_previous) // never loaded: the voice before may still be closing its own
            m_previous->tryAcquire(1, 5000);
        m_ended->release();
    }
    void load()
    {
        // A service that dies makes writing to it raise SIGPIPE, which would end the program: here
        // the write fails instead, and the voice says why it stopped.
        sigset_t pipe;
        sigemptyset(&pipe), sigaddset(&pipe, SIGPIPE), pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        if (m_previous) // a voice turned off just before ends first: one connection at a time
            m_previous->tryAcquire(1, 5000), m_previous.reset();
        QLibrary library(m_file);
        using Make = QObject *(*)(QObject *front, QObject *parent);
        const auto make = library.load() ? reinterpret_cast<Make>(library.resolve("calcolino_speech_worker")) : nullptr;
        m_worker = make ? make(this, this) : nullptr;
        if (!m_worker)
            report(QStringLiteral("Non c'\u00e8 la voce: manca il modulo della voce di Calcolino (%1), o non si pu\u00f2 "
                                  "caricare.").arg(QDir::toNativeSeparators(m_file)));
    }
    void say(int serial, const QString &text)
    {
        if (!m_worker || !QMetaObject::invokeMethod(m_worker, "say", Q_ARG(int, serial), Q_ARG(QString, text)))
            finished(serial);
    }
    Q_INVOKABLE void finished(int serial) { emit done(serial); }
    Q_INVOKABLE void report(const QString &why) { emit trouble(why); }
signals:
    void done(int serial);
    void trouble(const QString &why);

private:
    QString m_file;
    std::shared_ptr<QSemaphore> m_previous, m_ended;
    QObject *m_worker = nullptr;
};

// Released when the voice last turned on has let the service go: closing the connection may take a
// second, or more if the service no longer answers.
std::shared_ptr<QSemaphore> ended;
QList<QThread *> ending; // the threads of voices turned off, deleted once they have ended

void deleteEnded(int waitMs)
{
    for (QThread *t : std::exchange(ending, {}))
        t->wait(QDeadlineTimer(waitMs)) ? delete t : void(ending << t);
}
}

QString SpeechService::installedModule() { return QCoreApplication::applicationDirPath() + QStringLiteral("/" CALCOLINO_VOICE_MODULE); }

SpeechService::SpeechService(const QString &module) : m_thread(new QThread)
{
    std::shared_ptr<QSemaphore> previous = std::exchange(ended, std::make_shared<QSemaphore>());
    auto *host = new ModuleHost(module.isEmpty() ? installedModule() : module, previous, ended);
    host->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, host, &QObject::deleteLater);
    connect(this, &SpeechService::request, host, &ModuleHost::say);
    connect(host, &ModuleHost::done, this, &SpeechService::finished);
    connect(host, &ModuleHost::trouble, this, &SpeechService::trouble);
    m_thread->start();
    QMetaObject::invokeMethod(host, &ModuleHost::load, Qt::QueuedConnection);
    static const bool once = (qAddPostRoutine([] { deleteEnded(3000); }), true); // else left running: it ends with the program
    Q_UNUSED(once)
    deleteEnded(0);
}

// Not waited for: the thread ends by itself, so turning the voice off holds up no frame.
SpeechService::~SpeechService() { m_thread->quit(), ending << m_thread; }

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

#include "Voice.moc"
