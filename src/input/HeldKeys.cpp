#include "input/HeldKeys.h"
#include <QGuiApplication>
#include <QKeyEvent>
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <dlfcn.h>
#endif

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
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || m_down.isEmpty())
        return;
    void *lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!lib)
        return;
    using QueryKeymap = int (*)(Display *, char[32]);
    if (auto query = reinterpret_cast<QueryKeymap>(dlsym(lib, "XQueryKeymap"))) {
        char keys[32] = {};
        query(x11->display(), keys);
        for (auto it = m_down.begin(); it != m_down.end();) {
            const quint32 code = *it;
            const bool down = code < 256 && (keys[code / 8] & (1 << (code % 8)));
            it = down ? std::next(it) : m_down.erase(it);
        }
    }
    dlclose(lib);
#endif
}
