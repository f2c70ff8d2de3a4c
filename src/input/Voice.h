#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class OptionButton;
class QThread;

// Where the words go: a speech service, or a test's ear. Each say() cuts off what is being said.
class Speaker : public QObject {
    Q_OBJECT
public:
    virtual void say(const QString &text) = 0;
signals:
    void spoken();                    // the last text has been said, or will not be
    void trouble(const QString &why); // in Italian, for the teacher; empty: the voice works
};

// The Italian voice: each button as the highlight reaches it, and what the program tells the pupil
// (the sum, the answer, the help offer...). What comes in one turn of the event loop is said as one
// utterance, the button last, so that the voice never lags behind the highlight.
class Voice : public QObject {
    Q_OBJECT
public:
    explicit Voice(Speaker &speaker);
    void announce(const QString &text); // said before the next button's name
    void reached(const OptionButton &button);
    bool speaking() const { return !m_pending.isEmpty() || !m_button.isEmpty() || m_busy; }
    QString trouble() const { return m_trouble; }
    static QString nameOf(const OptionButton &button); // "sette", "Tabella del sette", "Sì"
    static QString number(int n);                       // "zero" .. "dieci"

signals:
    void spoken();

private:
    void flush();
    Speaker &m_speaker;
    QStringList m_pending;
    QString m_button;
    bool m_busy = false;
    QString m_trouble;
};

// The speech service of the system. What needs Qt's speech module lives in a module of its own,
// loaded only when the voice is on so that a silent program starts as before; it is loaded and
// worked from a thread of its own: making Qt's speech object lists the voices, which takes about
// a second, and no speech call may hold up a frame, nor may turning the voice off.
class SpeechService : public Speaker {
    Q_OBJECT
public:
    // `module`: the file to load; empty: the one installed beside the program.
    explicit SpeechService(const QString &module = QString());
    ~SpeechService() override;
    void say(const QString &text) override;
    static QString installedModule();

signals:
    void request(int serial, const QString &text); // to the module's thread

private:
    void finished(int serial); // the module is done with this text
    QThread *m_thread;
    int m_serial = 0;
};
