#include "input/HeldKeys.h"
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibrary>

bool HeldKeys::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ApplicationDeactivate:
        m_down.clear(); // a key let go while another program had the keyboard
        break;
    case QEvent::FocusIn:
        // A window of ours has the keyboard again: a key let go meanwhile (its release went to a
        // window that was closing, or one a dialog blocked) is down no more.
        if (watched->isWindowType())
            forgetReleased();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (watched->isWindowType())
            return isRepeat(static_cast<QKeyEvent *>(event));
        break;
    default: break;
    }
    return false;
}

bool HeldKeys::isRepeat(const QKeyEvent *e)
{
    // The physical key, whatever Shift or Num Lock make of it meanwhile.
    const quint32 key = e->nativeScanCode() ? e->nativeScanCode() : quint32(e->key());
    if (e->type() == QEvent::KeyRelease) {
        if (!e->isAutoRepeat())
            m_down.remove(key);
        return false;
    }
    const bool repeat = e->isAutoRepeat() || m_down.contains(key);
    m_down.insert(key);
    return repeat;
}

void HeldKeys::forgetReleased()
{
    if (m_down.isEmpty())
        return;
    // Wayland marks every repeat of a key still held, and has no server to ask: the keys are
    // forgotten, and a key still held stays silent by its marks.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        m_down.clear();
        return;
    }
#if QT_CONFIG(xcb)
    // X11: the server says which keys are down now.
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return;
    using QueryKeymap = int (*)(Display *, char[32]);
    // From the X library the toolkit loaded already.
    auto query = reinterpret_cast<QueryKeymap>(QLibrary::resolve(QStringLiteral("X11"), 6, "XQueryKeymap"));
    if (!query)
        return;
    char keys[32] = {};
    query(x11->display(), keys);
    for (auto it = m_down.begin(); it != m_down.end();) {
        const quint32 code = *it;
        const bool down = code < 256 && (keys[code / 8] & (1 << (code % 8)));
        it = down ? std::next(it) : m_down.erase(it);
    }
#endif
}
