#include "input/AutoScan.h"
#include "input/ButtonArray.h"
#include "input/Keypad.h"
#include "input/PointerGuard.h"
#include <QApplication>
#include <QKeyEvent>
#include <chrono>

TimerClock::TimerClock()
{
    m_timer.setSingleShot(true);
    // To the millisecond: a coarse timer may fire 5 % of the period early or late, and a pupil who
    // times a press to the highlight must be able to rely on it.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const std::function<void()> elapsed = m_elapsed; // it may start the next period
        if (elapsed)
            elapsed();
    });
}

qint64 TimerClock::now() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void TimerClock::wake(int ms, std::function<void()> elapsed)
{
    m_elapsed = std::move(elapsed);
    m_timer.start(ms);
}

void ScanClock::start(int ms, std::function<void()> elapsed)
{
    m_running = true;
    m_end = now() + ms;
    wake(ms, std::move(elapsed));
}

void ScanClock::next(int ms, std::function<void()> elapsed)
{
    const qint64 t = now();
    if (!m_running || m_end + ms <= t)
        return start(ms, std::move(elapsed));
    m_end += ms;
    wake(int(m_end - t), std::move(elapsed));
}

AutoScan::AutoScan(Timing timing, ScanClock &clock) : m_timing(timing), m_clock(clock)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *) {
        if (!m_stepping)
            restart();
    });
    restart();
}

AutoScan::~AutoScan() { m_clock.stop(); }

void AutoScan::setTiming(const Timing &timing)
{
    const bool again = timing.inverse != m_timing.inverse;
    m_timing = timing;
    if (again) {
        m_held = false;
        restart();
    }
}

ButtonArray *AutoScan::arrayOf(QObject *o)
{
    auto *button = qobject_cast<OptionButton *>(o);
    return button ? dynamic_cast<ButtonArray *>(button->events()) : nullptr;
}

void AutoScan::spoken()
{
    if (m_waitingVoice) {
        m_clock.stop();
        elapsed();
    }
}

void AutoScan::restart()
{
    m_steps = 0;
    m_waitingVoice = false;
    if (m_paused) {
        m_paused = false;
        if (ButtonArray *array = arrayOf(m_pausedOn))
            array->showPaused(m_pausedOn->index(), false);
    }
    // Only buttons of an array are scanned: in Qt's dialogs and in a text field the scan waits.
    // In inverse scanning the highlight moves only while the switch is held.
    if (arrayOf(QApplication::focusWidget()) && (!m_timing.inverse || m_held))
        startPeriod(true);
    else
        m_clock.stop();
}

void AutoScan::elapsed()
{
    QWidget *focus = QApplication::focusWidget();
    ButtonArray *array = arrayOf(focus);
    if (!array)
        return;
    if (QApplication::activePopupWidget()) { // a menu the teacher opened: the highlight stays
        startPeriod(false);
        return;
    }
    if (!m_waitingVoice && m_speaking && m_speaking()) { // the name is still being said
        m_waitingVoice = true;
        m_clock.start(VoiceWaitMs, [this] { elapsed(); });
        return;
    }
    m_waitingVoice = false;
    const int from = static_cast<OptionButton *>(focus)->index();
    // A round is as many steps as SPACE needs to come back to the same button. After the last
    // round, its last button has had its whole period: the scan waits, and shows it by
    // taking the highlight off. A lone button in its own colour shows no highlight to take off,
    // and a press on it is always meant for it: there the scan never waits.
    int round = 1;
    for (int i = array->nextInScan(from); i != from && round < array->count(); i = array->nextInScan(i))
        ++round;
    if (!m_timing.inverse && m_steps + 1 >= m_timing.rounds * round && array->showsFocus()) {
        m_paused = true;
        m_pausedOn = static_cast<OptionButton *>(focus);
        array->showPaused(from, true);
        return;
    }
    m_stepping = true;
    array->scanStep(from);
    m_stepping = false;
    ++m_steps;
    startPeriod(false);
}

void AutoScan::pressed(QObject *button)
{
    // A digit typed by the switch leaves only "Invio" to confirm the answer, as a digit key does:
    // the highlight goes there, and a second digit is reached from there going round.
    auto *digit = qobject_cast<OptionButton *>(button);
    ButtonArray *array = arrayOf(button);
    if (!m_timing.digitToInvio || !array || array->keyTable() != &KeyTables::keypad || !digit->hasFocus()
        || digit->index() > 9 || array->count() <= Keypad::Invio)
        return;
    if (array->button(Keypad::Invio)->ownEnabled() && array->focus(Keypad::Invio))
        PointerGuard::reached(array->button(Keypad::Invio));
}

void AutoScan::startPeriod(bool first)
{
    // A period that the program or the pupil starts begins a new schedule; the scan's own follow on.
    if (first)
        m_clock.start(m_timing.periodMs * m_timing.firstPercent / 100, [this] { elapsed(); });
    else
        m_clock.next(m_timing.periodMs, [this] { elapsed(); });
}

bool AutoScan::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // At the button, after the held-key filter has dropped the repeats at the window.
        if (!arrayOf(watched))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_timing.inverse && key->key() == Qt::Key_Space && !key->isAutoRepeat()) {
            // The switch held moves the highlight, the first button's time after it went down and
            // then once a period; let go, it presses the button highlighted then.
            m_held = event->type() == QEvent::KeyPress;
            restart();
            const QPointer<QObject> target = watched;
            if (!m_held) {
                QKeyEvent down(QEvent::KeyPress, Qt::Key_Return, key->modifiers(), QStringLiteral("\r"));
                QCoreApplication::sendEvent(target, &down);
                pressed(target);
                QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, key->modifiers(), QStringLiteral("\r"));
                if (target)
                    QCoreApplication::sendEvent(target, &up);
            }
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const bool wakingUp = m_paused;
            restart();
            if (wakingUp)
                return true;
        }
        if (key->key() != Qt::Key_Space)
            return false;
        // The switch confirms as Enter does, with Enter's rules and press flags.
        QKeyEvent enter(event->type(), Qt::Key_Return, key->modifiers(), QStringLiteral("\r"), key->isAutoRepeat());
        QCoreApplication::sendEvent(watched, &enter);
        if (event->type() == QEvent::KeyPress)
            pressed(watched);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Seen first at the window, before a click moves the focus to the button under it. A
        // press on a button presses it, the scan waiting or not.
        if (m_paused || arrayOf(watched))
            restart();
        return false;
    default: return false;
    }
}
