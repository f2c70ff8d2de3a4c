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
// later. After three whole rounds without a press the scan waits, with no button highlighted; the
// next key only wakes it up (nothing was shown chosen), a mouse press on a button presses it. Installed on the application before the held-key filter, which therefore runs first
// and drops a held key's repeats before the scan sees them.
class AutoScan : public QObject {
public:
    AutoScan(int periodMs, ScanClock &clock);
    ~AutoScan() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restart();
    void elapsed();
    static ButtonArray *arrayOf(QObject *o);
    int m_periodMs;
    ScanClock &m_clock;
    int m_steps = 0; // since the last press or move of the program's
    bool m_paused = false;
    QPointer<OptionButton> m_pausedOn; // the button the highlight was taken off
    bool m_stepping = false; // the focus moves by the scan's own step
};
