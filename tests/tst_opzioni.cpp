// The command line as the program reads it before any window: the scan period as a teacher writes
// it, the toolkit's options let through with their values, and everything else refused in one
// Italian line with status 2.
#include "app/Opzioni.h"
#include <QTest>

class TstOpzioni : public QObject {
    Q_OBJECT
private slots:
    // "@" stands for --scansione-automatica; the result is the period in ms or "off" (then the
    // profile, and "+" for the settings screen at start), or the status and a part of the one line
    // printed.
    void parse_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("environment"); // QT_QPA_PLATFORM
        QTest::addColumn<QString>("expected");
        const char *rows[][3] = {
            {"", "", "off"}, {"@", "", "1500"}, {"@=0.75", "", "750"}, {"@=,5", "", "500"}, {"@=10", "", "10000"},
            {"@=4 @=5", "", "5000"}, {"@=0,4", "", "2 «0,4» non va bene"}, {"@=", "", "2 «» non va bene"}, {"@=1e1", "", "2 «1e1»"},
            {"@ 2", "", "2 vanno attaccati all'opzione con «=»: --scansione-automatica=2."}, {"@ 20", "", "2 «20» non va bene"},
            {"-title @=99", "", "off"}, {"--title=x @=3", "", "3000"}, {"-platform offscreen -reverse @=3", "", "3000"},
            {"-platform=wayland", "linuxfb", "off"}, {"", "wayland;xcb", "off"}, {"", "xcb:nograb", "off"},
            {"-platform vnc", "xcb", "2 «vnc» non è una piattaforma grafica"}, {"", "wayland;vnc", "2 «wayland;vnc»"},
            {"-plugin evdevmouse", "", "2 «-plugin»"}, {"--profilo=Marco @=2", "", "2000 Marco"},
            {"--impostazioni --profilo=Anna", "", "off Anna +"}, {"--profilo Sara", "", "2 manca il nome del profilo: --profilo=NOME"},
            {"--profilo=", "", "2 manca"}, {"@=abc -h", "", "0 --profilo=NOME"}};
        for (const auto &r : rows)
            QTest::addRow("%s | %s", r[0], r[1]) << QString(r[0]).replace("@", "--scansione-automatica") << r[1]
                                                 << QString::fromUtf8(r[2]);
    }
    void parse()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, environment);
        QFETCH(QString, expected);
        const Opzioni o = Opzioni::parse(arguments.split(' ', Qt::SkipEmptyParts), environment);
        const QString got = o.exitStatus ? QString::number(*o.exitStatus) + ' ' + o.text
                                         : (o.scanPeriodMs ? QString::number(*o.scanPeriodMs) : "off")
                                               + (o.profile.isEmpty() ? "" : ' ' + o.profile)
                                               + (o.settingsAtStart ? " +" : "");
        QVERIFY2(expected[1] == ' ' ? got.startsWith(expected.left(2)) && got.contains(expected.mid(2)) : got == expected,
                 qPrintable(got));
        if (got.startsWith("2 ")) // one line, the program's own
            QVERIFY(got.startsWith("2 Calcolino: ") && got.count('\n') == 1 && got.endsWith(".\n"));
    }
};

QTEST_GUILESS_MAIN(TstOpzioni)
#include "tst_opzioni.moc"
