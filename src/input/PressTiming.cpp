#include "input/PressTiming.h"
#include "screens/Controls.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

PressTiming::PressTiming(Now now) : m_now(std::move(now))
{
    if (!m_now) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_now = [timer] { return timer->elapsed(); };
    }
}

void PressTiming::setTimes(int acceptanceMs, int ignoreMs)
{
    m_acceptanceMs = acceptanceMs;
    m_ignoreMs = ignoreMs;
    m_down.clear();
    m_ignored.clear();
}

bool PressTiming::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ApplicationDeactivate) { // their releases go elsewhere now
        m_down.clear();
        m_ignored.clear();
    }
    if (m_posted.remove(event) || !watched->isWindowType() || (!m_acceptanceMs && !m_ignoreMs && m_ignored.isEmpty()))
        return false;
    return filter(watched, event);
}

namespace {
// A press for one of the pupil's buttons: a key while one has the focus, a mouse button over one.
// Text fields (the pupil's name on the print screen), the teacher's settings screen and Qt's
// dialogs take presses as they come.
bool forPupilsButton(QObject *window, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return qobject_cast<OptionButton *>(QApplication::focusWidget());
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->windowHandle() != window)
            continue;
        for (QWidget *at = w->childAt(static_cast<QMouseEvent *>(event)->position().toPoint()); at; at = at->parentWidget())
            if (qobject_cast<OptionButton *>(at))
                return true;
    }
    return false;
}
}

bool PressTiming::filter(QObject *window, QEvent *event)
{
    quint64 id = 0; // the physical key, or the mouse button
    bool press = false, repeat = false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *k = static_cast<QKeyEvent *>(event);
        if ((k->key() >= Qt::Key_Shift && k->key() <= Qt::Key_ScrollLock) || k->key() == Qt::Key_AltGr)
            return false; // acts on no screen by itself, and the teacher's chord needs them at once
        id = k->nativeScanCode() ? k->nativeScanCode() : quint32(k->key());
        press = event->type() == QEvent::KeyPress;
        repeat = k->isAutoRepeat();
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        id = (quint64(1) << 40) | static_cast<QMouseEvent *>(event)->button();
        press = event->type() != QEvent::MouseButtonRelease;
        repeat = event->type() == QEvent::MouseButtonDblClick; // its press came just before it
        break;
    default: return false;
    }
    const bool waiting = m_down.contains(id) || m_ignored.contains(id);
    if (!waiting && !forPupilsButton(window, event))
        return false;
    if (repeat) // a held key's repeats and a double click's second report: as their press went
        return waiting || (m_acceptanceMs && press);
    const qint64 now = m_now();
    const bool ignoring = m_acted && now - m_lastActed < m_ignoreMs;
    if (press) {
        if (waiting) // pressed again before its release came: a repeat the toolkit did not mark
            return true;
        if (ignoring) {
            m_ignored.insert(id);
            return true;
        }
        if (!m_acceptanceMs) {
            m_acted = true, m_lastActed = now;
            return false;
        }
        m_down.insert(id, {now, std::shared_ptr<QEvent>(event->clone())});
        return true;
    }
    if (m_ignored.remove(id))
        return true;
    if (!m_down.contains(id))
        return false; // pressed before the times were set: let its release close it
    const Down down = m_down.take(id);
    if (now - down.since < m_acceptanceMs || ignoring)
        return true;
    m_acted = true, m_lastActed = now;
    for (QEvent *e : {down.press->clone(), event->clone()}) {
        m_posted.insert(e);
        QCoreApplication::postEvent(window, e);
    }
    return true;
}
