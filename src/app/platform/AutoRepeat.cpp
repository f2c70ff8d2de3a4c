// X11 only ("xcb"), checked with Qt 6.4.2 and libxcb 1.15: the X server is asked to send no
// release for the repeats of a held key, so that the toolkit's buttons, which act on a key's
// release, act once. Wayland sends repeats as presses alone, which Qt marks as such.
#include "app/Platform.h"
#include <QGuiApplication>
#include <QLibrary>

namespace Platform {

void detectableAutoRepeat()
{
#if QT_CONFIG(xcb)
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = isX11() && x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    // Through the libraries the toolkit's X connection loaded already: nothing more is linked
    // in, and the request goes out without waiting for the server's answer.
    struct Cookie { unsigned int sequence; };
    struct Extension { quint8 type, pad; quint16 sequence; quint32 length; quint8 present, opcode, event, error; };
    using ExtensionData = const Extension *(*)(xcb_connection_t *, void *);
    using PerClientFlags = Cookie (*)(xcb_connection_t *, quint16, quint32, quint32, quint32, quint32, quint32);
    using DiscardReply = void (*)(xcb_connection_t *, unsigned int);
    const QString xcb = QStringLiteral("xcb"), xkb = QStringLiteral("xcb-xkb");
    auto extensionData = reinterpret_cast<ExtensionData>(QLibrary::resolve(xcb, 1, "xcb_get_extension_data"));
    auto discardReply = reinterpret_cast<DiscardReply>(QLibrary::resolve(xcb, 1, "xcb_discard_reply"));
    void *xkbId = reinterpret_cast<void *>(QLibrary::resolve(xkb, 1, "xcb_xkb_id"));
    auto perClientFlags = reinterpret_cast<PerClientFlags>(QLibrary::resolve(xkb, 1, "xcb_xkb_per_client_flags"));
    if (!extensionData || !discardReply || !xkbId || !perClientFlags)
        return;
    // Known already: the toolkit asked for the keyboard extension when it connected.
    const Extension *ext = extensionData(c, xkbId);
    if (ext && ext->present) {
        const quint16 coreKeyboard = 0x100;
        const quint32 detectableAutoRepeat = 1;
        discardReply(c, perClientFlags(c, coreKeyboard, detectableAutoRepeat, detectableAutoRepeat, 0, 0, 0).sequence);
    }
#endif
}
}
