#include "input/Voice.h"
#include "input/ButtonArray.h"
#include <QApplication>
#include <QDir>
#include <QLibrary>
#include <QThread>
#include <QTimer>

namespace {
const char *const Numbers[] = {"zero", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove", "dieci"};

// Lives in the service's thread: loads the module there and hands it each text.
class ModuleHost : public QObject {
public:
    ModuleHost(SpeechService *front, const QString &file) : m_front(front), m_file(file) {}
    void load()
    {
        QLibrary library(m_file);
        using Make = QObject *(*)(QObject *front, QObject *parent);
        const auto make = library.load() ? reinterpret_cast<Make>(library.resolve("calcolino_speech_worker")) : nullptr;
        m_worker = make ? make(m_front, this) : nullptr;
        if (!m_worker)
            QMetaObject::invokeMethod(m_front, "report", Qt::QueuedConnection,
                                      Q_ARG(QString, QStringLiteral("Non c'\u00e8 la voce: manca il modulo della voce di "
                                                                    "Calcolino (%1), o non si pu\u00f2 caricare.")
                                                         .arg(QDir::toNativeSeparators(m_file))));
    }
    void say(int serial, const QString &text)
    {
        if (!m_worker || !QMetaObject::invokeMethod(m_worker, "say", Q_ARG(int, serial), Q_ARG(QString, text)))
            QMetaObject::invokeMethod(m_front, "finished", Qt::QueuedConnection, Q_ARG(int, serial));
    }

private:
    SpeechService *m_front;
    QString m_file;
    QObject *m_worker = nullptr;
};
}

QString SpeechService::installedModule() { return QCoreApplication::applicationDirPath() + QStringLiteral("/" CALCOLINO_VOICE_MODULE); }

SpeechService::SpeechService(const QString &module) : m_thread(std::make_unique<QThread>())
{
    auto *host = new ModuleHost(this, module.isEmpty() ? installedModule() : module);
    host->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, host, &QObject::deleteLater);
    connect(this, &SpeechService::request, host, [host](int serial, const QString &text) { host->say(serial, text); });
    m_thread->start();
    QMetaObject::invokeMethod(host, [host] { host->load(); }, Qt::QueuedConnection);
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

void SpeechService::report(const QString &why) { emit trouble(why); }

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
