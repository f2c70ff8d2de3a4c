#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class ButtonArray;
class OptionButton;

// The scan's clock. Its periods follow one another on fixed deadlines: a period ends its length
// after the end of the one before, however late that end was seen and however long its step took,
// so a busy machine delays a step but never the ones after it.
class ScanClock {
public:
    virtual ~ScanClock() = default;
    // `elapsed` is called once, `ms` milliseconds from now, unless start(), next() or stop() comes first.
    void start(int ms, std::function<void()> elapsed);
    // The same, `ms` after the end of the last period; from now after stop(), or when the machine
    // stalled past that moment (no burst of steps to catch up).
    void next(int ms, std::function<void()> elapsed);
    virtual void stop() { m_running = false; }

protected:
    virtual qint64 now() const = 0; // in ms
    virtual void wake(int ms, std::function<void()> elapsed) = 0;

private:
    qint64 m_end = 0;
    bool m_running = false;
};

class TimerClock : public ScanClock {
public:
    TimerClock();
    void stop() override { ScanClock::stop(), m_timer.stop(); }

private:
    qint64 now() const override;
    void wake(int ms, std::function<void()> elapsed) override;
    QTimer m_timer;
    std::function<void()> m_elapsed;
};

// Automatic scanning, for a pupil who can work a single switch. Once per period the highlight moves
// on, as SPACE moves it, in the array that has the focus; SPACE and Enter confirm the highlighted
// button. Wherever the program puts the focus the scan starts again from there, a whole period
// later, or longer if the teacher asks so. After the set number of whole rounds without a press
// the scan waits, with no button highlighted; the next key only wakes it up (nothing was shown
// chosen), a mouse press on a button presses it. In inverse scanning the highlight moves only
// while SPACE is held, and its release presses. Installed on the application before the held-key
// filter, which therefore runs first and drops a held key's repeats before the scan sees them.
class AutoScan : public QObject {
public:
    // How the scan adapts to the pupil; the defaults are the program's own.
    struct Timing {
        int periodMs = 1500;
        int firstPercent = 100; // the first button after the program moved the highlight stays longer
        int rounds = 3;         // whole rounds without a press before the scan waits
        bool digitToInvio = true; // a digit pressed by the switch sends the highlight to "Invio"
        bool inverse = false; // the highlight moves only while the switch is held; its release presses
    };
    AutoScan(Timing timing, ScanClock &clock);
    ~AutoScan() override;
    // From the next period on; a change to inverse scanning or back starts the scan again.
    void setTiming(const Timing &timing);
    // With a voice, the highlight moves on only once its button's name has been said (spoken()),
    // or after VoiceWaitMs more, in case the end is never told.
    static constexpr int VoiceWaitMs = 3000;
    void waitFor(std::function<bool()> speaking) { m_speaking = std::move(speaking); }
    void spoken();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restart();
    void elapsed();
    static ButtonArray *arrayOf(QObject *o);
    void startPeriod(bool first);
    void pressed(QObject *button); // the switch has just pressed this button
    Timing m_timing;
    ScanClock &m_clock;
    int m_steps = 0; // since the last press or move of the program's
    bool m_paused = false;
    QPointer<OptionButton> m_pausedOn; // the button the highlight was taken off
    bool m_stepping = false; // the focus moves by the scan's own step
    bool m_held = false; // inverse scanning: the switch is down
    std::function<bool()> m_speaking;
    bool m_waitingVoice = false;
};
