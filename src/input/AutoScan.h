#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class ButtonArray;
class OptionButton;

// The scan's clock: one period at a time.
class ScanClock {
public:
    virtual ~ScanClock() = default;
    // `elapsed` is called once, `ms` milliseconds from now, unless start() or stop() comes first.
    virtual void start(int ms, std::function<void()> elapsed) = 0;
    virtual void stop() = 0;
};

class TimerClock : public ScanClock {
public:
    TimerClock();
    void start(int ms, std::function<void()> elapsed) override;
    void stop() override { m_timer.stop(); }

private:
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
