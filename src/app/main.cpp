#include "app/Opzioni.h"
#include "app/Platform.h"
#include "app/Programma.h"
#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Opzioni opzioni = Opzioni::parse(arguments);
    if (opzioni.exitStatus) {
        std::fputs(opzioni.text.toUtf8().constData(), *opzioni.exitStatus == 0 ? stdout : stderr);
        return *opzioni.exitStatus;
    }
    Platform::noBusOfOurOwn();
    Platform::exitQuietlyWithoutDisplay();
    QApplication app(argc, argv);
    Platform::displayFound();
    QStringList rest; // the toolkit has taken its own options out of argv
    for (int i = 1; i < argc; ++i)
        rest << QString::fromLocal8Bit(argv[i]);
    if (const Opzioni wrong = Opzioni::leftOver(rest); wrong.exitStatus) {
        std::fputs(wrong.text.toUtf8().constData(), stderr);
        return *wrong.exitStatus;
    }
    Platform::afterApplication(app);
    Programma programma(&Random::secondsSinceMidnight, nullptr, opzioni.scanPeriodMs);
    programma.start();
    return app.exec();
}
