// Unix desktops, X11 and Wayland alike, checked with Qt 6.4.2 and libdbus 1.14: without a session
// bus, or with an address that asks for one to be started ("autolaunch:"), the D-Bus library
// would start a bus itself, which writes under the home and outlives the program. The desktop's
// bus is still used.
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
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty() && !address.contains("autolaunch:"))
        return;
    // The per-user bus, which the D-Bus library finds by itself when no address is given.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
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
