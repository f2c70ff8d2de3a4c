#include "print/PrintScreen.h"
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <dlfcn.h>

// Where the library is: installed, at the same place relative to the program as in the build's
// install rules; in the build tree, next to the program.
#ifndef CALCOLINO_STAMPA_DIR
#define CALCOLINO_STAMPA_DIR "."
#endif

namespace {
const PrintScreen::Functions *load()
{
    static const PrintScreen::Functions *functions = [] () -> const PrintScreen::Functions * {
        const QString here = QCoreApplication::applicationDirPath();
        QString path;
        for (const QString &dir : {here + QStringLiteral("/" CALCOLINO_STAMPA_DIR), here}) {
            path = dir + QStringLiteral("/libcalcolino_stampa.so");
            if (void *lib = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL)) {
                using Entry = const PrintScreen::Functions *(*)();
                if (auto entry = reinterpret_cast<Entry>(dlsym(lib, "calcolino_stampa")))
                    return entry();
                dlclose(lib);
            }
        }
        const QByteArray message = "Calcolino: la stampa non \xC3\xA8 disponibile (manca " + QFile::encodeName(path) + ").\n";
        std::fputs(message.constData(), stderr);
        return nullptr;
    }();
    return functions;
}
}

namespace PrintScreen {

FrmStampa *make(PrintDialogs *dialogs, const PrintedWork &work, void (*beforeQtDialog)())
{
    const Functions *f = load();
    return f ? f->make(dialogs, work, beforeQtDialog) : nullptr;
}

void setRows(FrmStampa *screen, const PrintedWork &work)
{
    if (const Functions *f = load())
        f->setRows(screen, work);
}

void setOpener(FrmStampa *screen, QWidget *opener)
{
    if (const Functions *f = load())
        f->setOpener(screen, opener);
}
}
