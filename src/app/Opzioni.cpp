#include "app/Opzioni.h"
#include <QRegularExpression>

namespace {
const int DefaultMs = 1500, ShortestMs = 500, LongestMs = 10000;
const QString Scan = QStringLiteral("--scansione-automatica");
const QString Profile = QStringLiteral("--profilo");
const QString Settings = QStringLiteral("--impostazioni");

// The toolkit's own options that the program lets through: those a desktop or a teacher may pass
// and that the program is tested with. Qt reads the ones that take a value with the next argument.
const QStringList QtWithValue = {QStringLiteral("platform"), QStringLiteral("display"), QStringLiteral("geometry"),
                                 QStringLiteral("qwindowgeometry"), QStringLiteral("title"), QStringLiteral("qwindowtitle"),
                                 QStringLiteral("name"), QStringLiteral("style"), QStringLiteral("session")};
const QStringList QtAlone = {QStringLiteral("reverse")};
// The window systems the program is tested on; "offscreen" is the tests' own.
const QStringList Platforms = {QStringLiteral("xcb"), QStringLiteral("wayland"), QStringLiteral("wayland-egl"),
                               QStringLiteral("offscreen")};

Opzioni failure(const QString &why)
{
    Opzioni o;
    o.exitStatus = 2;
    o.text = QStringLiteral("Calcolino: %1.\n").arg(why);
    return o;
}

// Seconds as a teacher writes them: "2", "1,5", "1.5" or ",5".
std::optional<int> milliseconds(const QString &seconds)
{
    static const QRegularExpression written(QStringLiteral("^([0-9]{1,3}([.,][0-9]+)?|[.,][0-9]+)$"));
    if (!written.match(seconds).hasMatch())
        return std::nullopt;
    const double ms = QString(seconds).replace(u',', u'.').toDouble() * 1000;
    if (ms < ShortestMs || ms > LongestMs)
        return std::nullopt;
    return int(ms + 0.5);
}

// "-platform", "--platform", "-platform=xcb": the toolkit's name of the option, and its value if
// written with it; empty where the argument is not an option of the toolkit's form.
QString qtOption(const QString &a, QString *value)
{
    if (!a.startsWith(u'-') || a.startsWith(Scan))
        return {};
    QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
    if (const qsizetype eq = name.indexOf(u'='); eq >= 0) {
        *value = name.mid(eq + 1);
        name.truncate(eq);
    }
    return name;
}

Opzioni wrongPeriod(const QString &seconds)
{
    return failure(QStringLiteral("\u00ab%1\u00bb non va bene per %2, che vuole i secondi da 0,5 a 10 "
                                  "(per esempio %2=1,5)").arg(seconds, Scan));
}

Opzioni unsupportedPlatform(const QString &platforms)
{
    return failure(QStringLiteral("\u00ab%1\u00bb non \u00e8 una piattaforma grafica su cui Calcolino funziona "
                                  "(vanno bene xcb e wayland)").arg(platforms));
}

Opzioni notOurs(const QString &a)
{
    return failure(QStringLiteral("\u00ab%1\u00bb non \u00e8 un'opzione di Calcolino (calcolino --help mostra quelle che "
                                  "ci sono)").arg(a));
}
}

bool Opzioni::platformSupported(const QString &platforms)
{
    // A list tried in turn ("wayland;xcb"), each perhaps with options of its own ("xcb:...").
    const QStringList each = platforms.split(u';', Qt::SkipEmptyParts);
    for (const QString &p : each)
        if (!Platforms.contains(p.section(u':', 0, 0), Qt::CaseInsensitive))
            return false;
    return !each.isEmpty();
}

Opzioni Opzioni::parse(const QStringList &arguments, const QString &platformFromEnvironment)
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
            "  --profilo=NOME\n"
            "        le impostazioni salvate per l'alunno NOME\n"
            "  --impostazioni\n"
            "        apre subito le impostazioni dell'insegnante (anche tenendo premuti\n"
            "        Ctrl e Alt e scrivendo IMPO nella schermata iniziale)\n"
            "  --voce\n"
            "        una voce italiana legge i pulsanti evidenziati, le somme e le\n"
            "        risposte (serve speech-dispatcher con una voce italiana)\n"
            "  -h, --help\n"
            "        mostra questo aiuto ed esce\n");
        return o;
    }
    Opzioni o;
    QString platform = platformFromEnvironment;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        QString value;
        const QString qt = qtOption(a, &value);
        if (QtWithValue.contains(qt)) {
            // Its value is the toolkit's, whatever it looks like ("-title --scansione-automatica=9").
            if (value.isNull() && ++i < arguments.size())
                value = arguments[i];
            if (qt == QLatin1String("platform"))
                platform = value;
        } else if (QtAlone.contains(qt)) {
            continue; // the toolkit's alone
        } else if (a == Scan) {
            // A value written after a space would otherwise be lost without a word.
            const QString next = i + 1 < arguments.size() ? arguments[i + 1] : QString();
            if (milliseconds(next))
                return failure(QStringLiteral("i secondi vanno attaccati all'opzione con \u00ab=\u00bb: %1=%2").arg(Scan, next));
            if (next.contains(QRegularExpression(QStringLiteral("^[0-9.,]"))))
                return wrongPeriod(next);
            o.scanPeriodMs = DefaultMs;
        } else if (a.startsWith(Scan + u'=')) {
            const QString seconds = a.mid(Scan.size() + 1);
            o.scanPeriodMs = milliseconds(seconds);
            if (!o.scanPeriodMs)
                return wrongPeriod(seconds);
        } else if (a == Profile || a == Profile + u'=') {
            return failure(QStringLiteral("manca il nome del profilo: %1=NOME").arg(Profile));
        } else if (a.startsWith(Profile + u'=')) {
            o.profile = a.mid(Profile.size() + 1);
        } else if (a == QLatin1String("--voce")) {
            o.voice = true;
        } else if (a == Settings) {
            o.settingsAtStart = true;
        } else {
            // A misspelt option, or one of the toolkit's that the program is not tested with (some
            // end the run in the toolkit's own words, some open a network port).
            return notOurs(a);
        }
    }
    if (!platform.isEmpty() && !platformSupported(platform))
        return unsupportedPlatform(platform);
    return o;
}
