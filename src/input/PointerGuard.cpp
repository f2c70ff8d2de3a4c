#include "input/PointerGuard.h"
#include "screens/Controls.h"
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

QPointer<PointerGuard> PointerGuard::s_guard;

PointerGuard::PointerGuard(QObject *parent) : QObject(parent)
{
    // Whatever changes under a still pointer moves the focus too (the program puts it on the new
    // overlay, Qt takes it off a hidden one): there the button under the pointer is looked at again.
    connect(qApp, &QApplication::focusChanged, this, &PointerGuard::recheck);
}

void PointerGuard::install()
{
    // One for the whole program.
    if (s_guard || !qApp)
        return;
    s_guard = new PointerGuard(qApp);
    qApp->installEventFilter(s_guard);
}

void PointerGuard::reached(QWidget *button)
{
    if (s_guard && s_guard->m_known && button == s_guard->buttonAt(s_guard->m_window, s_guard->m_pos))
        s_guard->m_button = button;
}

namespace {
QWidget *buttonOf(QWidget *w)
{
    while (w && !qobject_cast<OptionButton *>(w) && !w->isWindow())
        w = w->parentWidget();
    return qobject_cast<OptionButton *>(w);
}
}

QWidget *PointerGuard::buttonAt(QWidget *top, QPoint global) const
{
    return top && top->isVisible() ? buttonOf(top->childAt(top->mapFromGlobal(global))) : nullptr;
}

void PointerGuard::recheck()
{
    // Something else came up under the pointer, or went: no button there is the pupil's choice now.
    if (m_known && buttonAt(m_window, m_pos) != m_button)
        m_button = nullptr;
}

bool PointerGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Not enter events: Qt sends them itself when a window or widget shows or hides, where it
    // believes the pointer to be; the pointer's own moves follow them anyway.
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
        && type != QEvent::MouseButtonRelease)
        return false;
    QWidget *top = nullptr;
    if (watched->isWidgetType())
        top = static_cast<QWidget *>(watched)->window();
    else if (auto *window = qobject_cast<QWindow *>(watched))
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->windowHandle() == window)
                top = t;
    if (!top)
        return false;
    const auto *e = static_cast<const QSinglePointEvent *>(event);
    const QPoint pos = e->globalPosition().toPoint();
    if (type == QEvent::MouseButtonRelease) {
        const bool refused = m_refused.testFlag(e->button());
        m_refused.setFlag(e->button(), false);
        return refused;
    }
    // At a widget, the event is that widget's; at a window, the button is found where it points.
    QWidget *under = watched->isWidgetType() ? buttonOf(static_cast<QWidget *>(watched)) : buttonAt(top, pos);
    // Only a place the pointer had not been at is a move: Qt and the window system also report
    // the pointer where it stands when a window opens or changes under it.
    if (!m_known || pos != m_pos) {
        m_known = true;
        m_pos = pos;
        m_window = top;
        m_button = under;
        return false;
    }
    if (type == QEvent::MouseMove)
        return false;
    if (!under || under == m_button) {
        m_window = top;
        return false;
    }
    m_refused.setFlag(e->button());
    return true;
}
