// Unix desktops, X11 and Wayland alike, checked with Qt 6.4.2 and libdbus 1.14: without a session
// bus the D-Bus library would start a bus itself, which writes under the home and outlives the
// program. The desktop's bus is still used.
#include "app/Platform.h"
#include <QByteArray>
#include <QtGlobal>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Platform {

void noBusOfOurOwn()
{
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // The per-user bus that the D-Bus library finds by itself.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (!runtime.isEmpty() && lstat((runtime + "/bus").constData(), &st) == 0 && S_ISSOCK(st.st_mode)
        && st.st_uid == getuid())
        return;
    // An address the library cannot use: it then does without a bus, quietly.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
#endif
}
}
