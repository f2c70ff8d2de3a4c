// The screens' fonts, on their own so that the benchmark's floor program draws in the very same
// fonts without the rest of the builder.
#include "screens/Screen.h"
#include <cstring>

QFont Screen::font(const Def::Font &f)
{
    QFont font;
    // Arial where the machine has it, else its metric twin, so captions fill their boxes as designed.
    QStringList families;
    if (f.face)
        families << QString::fromLatin1(f.face);
    if (!f.face || std::strcmp(f.face, "Arial") != 0)
        families << QStringLiteral("Arial");
    families << QStringLiteral("Liberation Sans");
    font.setFamilies(families);
    font.setPointSizeF(f.points > 0 ? f.points : 8.25);
    font.setBold(f.bold);
    return font;
}
