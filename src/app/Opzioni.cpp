#include "app/Opzioni.h"
#include <QRegularExpression>

namespace {
const int DefaultMs = 1500, ShortestMs = 500, LongestMs = 10000;
const QString Scan = QStringLiteral("--scansione-automatica");

Opzioni failure(const QString &why)
{
    Opzioni o;
    o.exitStatus = 2;
    o.text = QStringLiteral("Calcolino: %1.\n").arg(why);
    return o;
}

// Seconds as a teacher writes them: "2", "1,5" or "1.5".
std::optional<int> milliseconds(const QString &seconds)
{
    if (!QRegularExpression(QStringLiteral("^[0-9]{1,3}([.,][0-9]+)?$")).match(seconds).hasMatch())
        return std::nullopt;
    const double ms = QString(seconds).replace(u',', u'.').toDouble() * 1000;
    if (ms < ShortestMs || ms > LongestMs)
        return std::nullopt;
    return int(ms + 0.5);
}
}

Opzioni Opzioni::parse(const QStringList &arguments)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        Opzioni o;
        o.exitStatus = 0;
        o.text = QStringLiteral(
            "Uso: calcolino [OPZIONI]\n"
            "Esercizi sulle tabelle dell'addizione per alunni con difficolt\u00e0 motorie.\n"
            "\n"
            "  --scansione-automatica[=SECONDI]\n"
            "        scansione automatica: l'evidenziazione passa da sola al pulsante\n"
            "        successivo ogni SECONDI secondi (da 0,5 a 10; senza valore 1,5);\n"
            "        SPAZIO o Invio premono il pulsante evidenziato\n"
            "  -h, --help\n"
            "        mostra questo aiuto ed esce\n");
        return o;
    }
    Opzioni o;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == Scan) {
            // A value written after a space would otherwise be lost without a word.
            if (i + 1 < arguments.size() && arguments[i + 1].contains(QRegularExpression(QStringLiteral("^[0-9.,]"))))
                return failure(QStringLiteral("i secondi vanno attaccati all'opzione con \u00ab=\u00bb: %1=%2")
                                   .arg(Scan, arguments[i + 1]));
            o.scanPeriodMs = DefaultMs;
        } else if (a.startsWith(Scan + u'=')) {
            const QString seconds = a.mid(Scan.size() + 1);
            o.scanPeriodMs = milliseconds(seconds);
            if (!o.scanPeriodMs)
                return failure(QStringLiteral("\u00ab%1\u00bb non va bene per %2, che vuole i secondi da 0,5 a 10 "
                                              "(per esempio %2=1,5)").arg(seconds, Scan));
        }
    }
    return o;
}

Opzioni Opzioni::leftOver(const QStringList &arguments)
{
    // A mistyped option would otherwise start the program without what the teacher asked for
    // (a pupil who needs the scanning could not use it).
    for (const QString &a : arguments)
        if (a != Scan && !a.startsWith(Scan + u'='))
            return failure(QStringLiteral("\u00ab%1\u00bb non \u00e8 un'opzione di Calcolino (calcolino --help mostra quelle che "
                                          "ci sono)").arg(a));
    return {};
}
