#include "screens/ScreenDef.h"
#include <QImage>
#include <QPixmap>

// The window icon's pixels, made at build time from data/icons/calcolino-{16,32,48}.png.
#include "IconPixels.inc"

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
    // Compiled in rather than read from image files: reading any image file first has the
    // toolkit look through all its image format plugins, and load some, at every start.
    QIcon icon;
    for (const auto &image : IconImages)
        icon.addPixmap(QPixmap::fromImage(
            QImage(reinterpret_cast<const uchar *>(image.argb), image.size, image.size, QImage::Format_ARGB32)));
    return icon;
}
}
