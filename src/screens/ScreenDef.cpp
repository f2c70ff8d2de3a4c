#include "screens/ScreenDef.h"

namespace Def {

QColor color(unsigned vb)
{
    if (vb & 0x80000000u) {
        switch (vb & 0xFFu) {
        case 5: return QColor(255, 255, 255);  // window background
        case 15: return QColor(240, 240, 240); // button face
        default: return QColor(0, 0, 0);       // window text, button text
        }
    }
    return QColor(int(vb & 0xFF), int((vb >> 8) & 0xFF), int((vb >> 16) & 0xFF));
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/calcolino-%1.png").arg(size), QSize(size, size));
    return icon;
}
}
