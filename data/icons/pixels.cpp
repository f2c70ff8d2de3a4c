// Build tool: writes the window icon's pixels, read from its PNG files, as C++ arrays, so that
// the program shows the icon without reading an image file (which has the toolkit look through
// all its image format plugins first, and load some, in every run).
//   icon_pixels OUTPUT.inc calcolino-16.png calcolino-32.png ...
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: icon_pixels OUTPUT PNG...\n");
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return 1;
    QTextStream s(&out);
    s << "// Made by data/icons/pixels.cpp from the icon's PNG files: do not edit.\n";
    QStringList entries;
    for (int i = 2; i < argc; ++i) {
        // The same decoder the program used to read the files with, in the same format.
        const QImage image(QString::fromLocal8Bit(argv[i]));
        if (image.isNull() || image.width() != image.height()) {
            std::fprintf(stderr, "icon_pixels: cannot read a square image from %s\n", argv[i]);
            return 1;
        }
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        const QString name = QStringLiteral("icon%1").arg(argb.width());
        s << "static const quint32 " << name << "[] = {";
        for (int y = 0; y < argb.height(); ++y) {
            s << "\n   ";
            const auto *line = reinterpret_cast<const quint32 *>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x)
                s << " 0x" << QString::number(line[x], 16).rightJustified(8, QLatin1Char('0')) << ',';
        }
        s << "\n};\n";
        entries << QStringLiteral("{%1, %2}").arg(argb.width()).arg(name);
    }
    s << "static const struct { int size; const quint32 *argb; } IconImages[] = {" << entries.join(QStringLiteral(", "))
      << "};\n";
    return s.status() == QTextStream::Ok ? 0 : 1;
}
