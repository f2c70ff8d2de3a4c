// The teacher's settings file: what is saved is read back; whatever else stands at its name, the program
// starts at once with the defaults, knows it could not read them, and writes nothing until the teacher saves.
#include "app/Impostazioni.h"
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using I = Impostazioni;

namespace {
const QByteArray Good = R"({"profilo": "P", "profili": {"P": {"giri": 5, "evidenziazione": "solo il colore"}}})";
auto look(const QString &p) // what stands there, left unopened: opening a FIFO would wait
{
    struct stat st {};
    lstat(QFile::encodeName(p).constData(), &st);
    return std::tuple(st.st_ino, st.st_mode, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}
}

class TstImpostazioni : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void roundTrip()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        QCOMPARE(I::defaultPath(), dir.filePath("calcolino/profili.json"));
        I a; // nothing saved yet
        QVERIFY(a.add("Marco") && !a.add(" Marco ") && !a.add(" ") && a.add("Sara"));
        for (int s = 0; s < I::Count; ++s)
            a.set(I::Setting(s), I::info(I::Setting(s)).max + 1); // kept in its range
        a.remove("Predefinito");
        QVERIFY(a.modified() && a.save() && !a.modified());
        I b;
        b.load();
        QVERIFY(b.names() == QStringList({"Marco", "Sara"}) && b.current() == "Sara");
        for (int s = 0; s < I::Count; ++s)
            QCOMPARE(b.value(I::Setting(s)), I::info(I::Setting(s)).max);
        QCOMPARE(b.chooseForRun("Anna"), QString("Calcolino: il profilo «Anna» non c'è (ci sono: Marco, Sara).\n"));
        QVERIFY(b.chooseForRun("Marco").isEmpty() && b.value(I::Rounds) == 3);
        b.scanOverrideMs = 700; // the command line's, for this run, until the teacher sets it
        QCOMPARE(*b.scanPeriodMs(), 700);
        b.set(I::Period, 900);
        QVERIFY(!b.scanPeriodMs());
        b.voiceOverride = true; // the command line's voice likewise
        QVERIFY(b.voiceOn() && (b.set(I::Speech, 0), !b.voiceOn()));
        QFile f(I::defaultPath()); // as long as a settings file may be, 64 KiB, it is still read
        QVERIFY(f.open(QIODevice::Append) && f.write(QByteArray(64 * 1024 - f.size(), ' ')) > 0 && (f.close(), true));
        I c;
        c.load();
        QVERIFY(!c.unreadable() && c.current() == "Sara");
    }

    // What stands at the settings file's name, made here at each row's own path; "missing" is no fault.
    void badFile_data()
    {
        QTest::addColumn<QString>("path");
        const auto row = [this](const char *name, const QByteArray &content = {}) { // written there unless null
            QTest::newRow(name) << dir.filePath(name);
            QFile f(dir.filePath(name));
            return content.isNull() || (f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        };
        QVERIFY(row("missing"));
        QVERIFY(row("corrupt", QByteArray("\x7f" "ELF\x02\x01\x01\0\0", 9)));
        QVERIFY(row("no such current profile", QByteArray(Good).replace("\"P\",", "\"Q\",")));
        QVERIFY(row("out of range", QByteArray(Good).replace("5", "11")));
        QVERIFY(row("unknown choice", QByteArray(Good).replace("solo", "tutto")));
        QVERIFY(row("a profile that is not one", QByteArray(Good).replace("}}}", "}, \"Q\": 5}}")));
        QVERIFY(row("huge", Good + QByteArray(1 << 20, ' '))); // good, but longer than a settings file ever is
        const QByteArray loop = QFile::encodeName(dir.filePath("link to itself"));
        QVERIFY(row("link to itself") && symlink(loop.constData(), loop.constData()) == 0);
        QVERIFY(row("FIFO") && mkfifo(QFile::encodeName(dir.filePath("FIFO")).constData(), 0600) == 0); // an open would wait
        QVERIFY(row("directory") && QDir().mkpath(dir.filePath("directory/x")));
        if (geteuid() != 0) // root reads any file
            QVERIFY(row("unreadable", Good) && QFile::setPermissions(dir.filePath("unreadable"), {}));
    }
    void badFile()
    {
        QFETCH(QString, path);
        const bool missing = path.endsWith("missing"), directory = path.endsWith("directory");
        const auto was = look(path);
        I s(path);
        s.load();
        QVERIFY(s.unreadable() != missing && s.chooseForRun("Q").isEmpty() != missing);
        QVERIFY(s.value(I::Rounds) == 3 && !s.scanPeriodMs() && s.names() == QStringList("Predefinito"));
        QVERIFY(look(path) == was);
        // The teacher's save puts a good file in its place; a directory stays, and says why.
        QString why;
        QCOMPARE(s.save(&why), !directory);
        QVERIFY2(why.isEmpty() != why.startsWith("Le impostazioni non sono state salvate in " + path), qPrintable(why));
        s.load();
        QCOMPARE(s.unreadable(), directory);
    }
};

QTEST_GUILESS_MAIN(TstImpostazioni)
#include "tst_impostazioni.moc"
