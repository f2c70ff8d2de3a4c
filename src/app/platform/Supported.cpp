// All platforms, checked with Qt 6.4.2: the window systems the program is tested on. Others that
// Qt offers misbehave (linuxfb aborts, vnc listens on the network with no password).
#include "app/Platform.h"
#include <QStringList>

namespace Platform {

bool supported(const QString &platformSpec)
{
    if (platformSpec.isEmpty())
        return true; // Qt's own choice, which is one of these
    static const QStringList tested = {QStringLiteral("xcb"), QStringLiteral("wayland"),
                                       QStringLiteral("wayland-egl"), QStringLiteral("offscreen")};
    // Qt tries each of a ';'-separated list in turn; a name may be followed by ':' and options.
    for (const QString &entry : platformSpec.split(QLatin1Char(';')))
        if (!tested.contains(entry.section(QLatin1Char(':'), 0, 0), Qt::CaseInsensitive))
            return false;
    return true;
}
}
