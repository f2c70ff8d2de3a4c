// The screens' fonts, on their own so that the benchmark's floor program draws in the very same
// fonts without the rest of the builder.
#include "screens/Screen.h"
#include <QFontDatabase>
#include <cstring>

// Arial where the machine has it, else its metric twin, so captions fill their boxes as designed.
// Only a family the machine has is named: one it lacks sends the toolkit through every installed
// font in search of a stand-in, and each face would cost that search once more at start-up.
QStringList Screen::families(const char *face)
{
    static const QStringList installed = [] {
        // A family that two foundries provide is listed once for each, as "Arial [Monotype]".
        QStringList names = QFontDatabase::families();
        for (QString &name : names) {
            const int foundry = name.indexOf(QLatin1String(" ["));
            if (foundry > 0)
                name.truncate(foundry);
        }
        return names;
    }();
    QStringList wanted;
    if (face)
        wanted << QString::fromLatin1(face);
    if (!face || std::strcmp(face, "Arial") != 0)
        wanted << QStringLiteral("Arial");
    wanted << QStringLiteral("Liberation Sans");
    for (const QString &family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive))
            return {family};
    // None of them: the toolkit finds its own stand-in.
    return wanted;
}

QFont Screen::font(const Def::Font &f)
{
    QFont font;
    font.setFamilies(families(f.face));
    font.setPointSizeF(f.points > 0 ? f.points : 8.25);
    font.setBold(f.bold);
    return font;
}
