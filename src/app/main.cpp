#include "app/FrmImpostazioni.h"
#include "app/Impostazioni.h"
#include "app/Opzioni.h"
#include "app/Platform.h"
#include "app/Programma.h"
#include <QApplication>
#include <cstdio>

namespace {
QStringList arguments(int argc, char *argv[]) // after the program's name
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// An answer that ends the run: the help on standard output, a mistake on standard error.
int say(const Opzioni &o)
{
    std::fputs(o.text.toUtf8().constData(), *o.exitStatus == 0 ? stdout : stderr);
    return *o.exitStatus;
}
}

int main(int argc, char *argv[])
{
    const Opzioni opzioni = Opzioni::parse(arguments(argc, argv), qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (opzioni.exitStatus)
        return say(opzioni);
    // The teacher's saved settings, the command line's over them for this run. A profile never
    // saved is a mistake on the command line; one in a file that cannot be read is not.
    Impostazioni impostazioni;
    impostazioni.load();
    impostazioni.scanOverrideMs = opzioni.scanPeriodMs;
    if (!opzioni.profile.isEmpty() && !impostazioni.choose(opzioni.profile) && !impostazioni.unreadable()) {
        const QString why = QStringLiteral("Calcolino: il profilo \u00ab%1\u00bb non c'\u00e8 (ci sono: %2).\n");
        std::fputs(why.arg(opzioni.profile, impostazioni.names().join(QStringLiteral(", "))).toUtf8().constData(), stderr);
        return 2;
    }
    Platform::noBusOfOurOwn();
    Platform::exitQuietlyWithoutDisplay();
    QApplication app(argc, argv);
    Platform::displayFound();
    Platform::afterApplication(app);
    Programma programma(&Random::secondsSinceMidnight, nullptr, impostazioni.scanPeriodMs());
    FrmImpostazioni::attach(programma, impostazioni);
    programma.start();
    if (opzioni.settingsAtStart)
        FrmImpostazioni::open(programma, impostazioni);
    return app.exec();
}
