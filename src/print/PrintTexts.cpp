#include "print/PrintTexts.h"
#include <QCoreApplication>
#include <cstring>

namespace {
struct Text {
    const char *context, *source, *italian;
};
// Found by opening Qt 6.4's print dialog and its properties with a CUPS printer.
const Text Texts[] = {
    {"QPrintSettingsOutput", "Double Sided Printing", "Stampa fronte/retro"},
    {"QPrintSettingsOutput", "Off", "Solo fronte"},
    {"QPrintSettingsOutput", "Long side binding", "Rilegatura sul lato lungo"},
    {"QPrintSettingsOutput", "Short side binding", "Rilegatura sul lato corto"},
    {"QPrintSettingsOutput", "Pages", "Pagine"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Pagine o intervalli separati da virgole; un intervallo \u00e8 dato da due numeri separati da un trattino. "
     "Per esempio 3,5-7,9 stampa le pagine 3, 5, 6, 7 e 9."},
    {"QPrintPropertiesWidget", "Advanced", "Avanzate"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     "Alcune opzioni sono in conflitto tra loro: correggerle."},
};
}

void PrintTexts::install()
{
    static PrintTexts *texts = nullptr;
    if (!texts && QCoreApplication::instance()) {
        texts = new PrintTexts;
        texts->setParent(QCoreApplication::instance());
        QCoreApplication::installTranslator(texts);
    }
}

QString PrintTexts::translate(const char *context, const char *source, const char *, int) const
{
    if (!context || !source)
        return QString();
    for (const Text &t : Texts)
        if (std::strcmp(context, t.context) == 0 && std::strcmp(source, t.source) == 0)
            return QString::fromUtf8(t.italian);
    return QString();
}
