#pragma once
#include <QHash>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>

// The teacher's times for a pupil whose hand trembles or jerks, on the pupil's buttons: a key or
// mouse button must stay down at least the acceptance time to act, and after a press has acted
// the presses within the ignore time do nothing. Set on the application after the held-key filter,
// so that it runs before it and before the scan, and sees each key and mouse button once, at its
// window. A press held long enough acts at its release: the press is posted then, followed by its
// release, both as the window system would send them; a shorter one is dropped with its release
// and leaves nothing behind.
class PressTiming : public QObject {
public:
    using Now = std::function<qint64()>; // milliseconds, from any origin
    explicit PressTiming(Now now = {});
    void setTimes(int acceptanceMs, int ignoreMs);
    void setClock(Now now) { m_now = std::move(now); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool filter(QObject *window, QEvent *event);
    struct Down {
        qint64 since;
        std::shared_ptr<QEvent> press;
    };
    Now m_now;
    int m_acceptanceMs = 0;
    int m_ignoreMs = 0;
    qint64 m_lastActed = 0;
    bool m_acted = false;     // m_lastActed holds
    QSet<const QEvent *> m_posted; // ours, on their way: they pass
    QHash<quint64, Down> m_down; // held, not yet acted
    QSet<quint64> m_ignored;     // dropped, until their release
};
