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
    // The teacher's saved settings, the command line's over them for this run.
    Impostazioni impostazioni;
    impostazioni.load();
    impostazioni.scanOverrideMs = opzioni.scanPeriodMs;
    impostazioni.voiceOverride = opzioni.voice;
    if (const QString why = impostazioni.chooseForRun(opzioni.profile); !why.isEmpty()) {
        std::fputs(why.toUtf8().constData(), stderr);
        return 2;
    }
    Platform::noBusOfOurOwn();
    Platform::exitQuietlyWithoutDisplay();
    QApplication app(argc, argv);
    Platform::displayFound();
    Platform::afterApplication(app);
    Programma programma(&Random::secondsSinceMidnight, nullptr, impostazioni.scanPeriodMs());
    programma.applySettings(impostazioni);
    FrmImpostazioni::attach(programma, impostazioni);
    programma.start();
    if (opzioni.settingsAtStart)
        FrmImpostazioni::open(programma, impostazioni);
    return app.exec();
}
