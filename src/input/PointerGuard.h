#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// A press never acts on a button that came up under a pointer that has not moved since: when an
// overlay or a screen takes the place of the button just pressed, a shaky second press (or the
// second press of a double click) would otherwise choose what the pupil never saw, "Ricomincia"
// among them. The guard remembers where the pointer last was and which button was under it when
// it got there; a press at that very place on another button does nothing. The pupil takes the new
// button by moving the pointer, however little, or by bringing the highlight onto it with keys or
// scanning. Set once on the application by the first array of buttons; it watches every mouse
// event, at the window (where the pointer is) and again at the widget, with the same outcome.
class PointerGuard : public QObject {
public:
    static void install();
    // The pupil brought the highlight onto `button` by keys or scanning: a press on it is meant.
    static void reached(QWidget *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PointerGuard(QObject *parent);
    static QPointer<PointerGuard> s_guard;
    QWidget *buttonAt(QWidget *top, QPoint global) const;
    void recheck();
    bool m_known = false;
    QPoint m_pos;                    // global
    QPointer<QWidget> m_window;      // the top-level window it was over
    QPointer<QWidget> m_button;      // the button under it when it got there, or null
    Qt::MouseButtons m_refused;      // presses refused: their releases go nowhere either
};
