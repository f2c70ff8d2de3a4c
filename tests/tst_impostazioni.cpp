// The teacher's settings file: what is saved is read back, profiles and all; whatever else stands at
// its name, the program starts at once with the defaults, knows it could not read them, and writes
// nothing until the teacher saves.
#include "app/Impostazioni.h"
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using I = Impostazioni;

class TstImpostazioni : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("calcolino/profili.json"); }
    static QByteArray start(const QString &p) // of a plain file: opening a FIFO would wait
    {
        QFile f(p);
        return QFileInfo(p).isFile() && f.open(QIODevice::ReadOnly) ? f.read(1 << 16) : QByteArray("?");
    }

private slots:
    void roundTrip()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        QCOMPARE(I::defaultPath(), path());
        I a;
        a.load();
        QVERIFY(!a.unreadable() && !a.scanPeriodMs() && a.value(I::Rounds) == 3 && a.value(I::Period) == 1500);
        QVERIFY(a.add("Marco") && !a.add(" Marco ") && !a.add(" ") && a.add("Sara"));
        a.set(I::Scanning, 1);
        a.set(I::Period, 20000); // kept in its range
        a.set(I::Highlight, 1);
        QVERIFY(a.choose("Marco"));
        a.set(I::Acceptance, 300);
        a.set(I::FirstItem, 250);
        a.remove("Predefinito");
        QVERIFY(a.modified() && a.save() && !a.modified());
        I b;
        b.load();
        QCOMPARE(b.names(), QStringList({"Marco", "Sara"}));
        QCOMPARE(b.current(), QString("Marco"));
        QVERIFY(b.value(I::Acceptance) == 300 && b.value(I::FirstItem) == 250 && !b.scanPeriodMs());
        QCOMPARE(b.chooseForRun("Anna"), QString("Calcolino: il profilo «Anna» non c'è (ci sono: Marco, Sara).\n"));
        QVERIFY(b.chooseForRun("Sara").isEmpty());
        QVERIFY(b.scanPeriodMs() == 10000 && b.value(I::Highlight) == 1 && b.value(I::Acceptance) == 0);
        b.scanOverrideMs = 700; // the command line's, for this run
        QCOMPARE(*b.scanPeriodMs(), 700);
        b.set(I::Period, 900);
        QCOMPARE(*b.scanPeriodMs(), 900);
        b.remove("Marco");
        b.remove("Sara"); // the last one stays
        QVERIFY(b.save());
        I c;
        c.load();
        QCOMPARE(c.names(), QStringList("Sara"));
    }

    // What stands at the settings file's name; "missing" is no fault.
    void badFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good = R"({"profilo": "Marco", "profili": {"Marco": {"giri": 5, "evidenziazione": "solo il colore"}}})";
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("corrupt") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0", 9);
        QTest::newRow("truncated") << good.left(good.size() - 3);
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("no such current profile") << QByteArray(good).replace("\"Marco\",", "\"Sara\",");
        QTest::newRow("out of range") << QByteArray(good).replace("5", "11");
        QTest::newRow("not a whole number") << QByteArray(good).replace("5", "2.5");
        QTest::newRow("wrong kind") << QByteArray(good).replace("\"solo il colore\"", "1");
        QTest::newRow("unknown choice") << QByteArray(good).replace("solo", "tutto");
        QTest::newRow("huge") << QByteArray("huge");
        QTest::newRow("unreadable") << QByteArray("chmod");
        QTest::newRow("a link to itself") << QByteArray("loop");
        QTest::newRow("FIFO") << QByteArray("fifo");
        QTest::newRow("directory") << QByteArray("dir");
    }
    void badFile()
    {
        QFETCH(QByteArray, content);
        const QString p = dir.filePath(QTest::currentDataTag());
        const QByteArray name = QFile::encodeName(p);
        if (content == "huge") { // a good file, but longer than a settings file ever is
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(R"({"profilo": "P", "profili": {"P": {}}})")
                    && f.write(QByteArray(1 << 20, ' ')));
        } else if (content == "chmod") {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(R"({"profilo": "P", "profili": {"P": {}}})"));
            f.close();
            QVERIFY(QFile::setPermissions(p, {}));
            if (geteuid() == 0)
                QSKIP("root reads any file");
        } else if (content == "loop") {
            QVERIFY(symlink(name.constData(), name.constData()) == 0);
        } else if (content == "fifo") { // no one ever writes to it: an open that waits never ends
            QVERIFY(mkfifo(name.constData(), 0600) == 0);
        } else if (content == "dir") {
            QVERIFY(QDir().mkpath(p + "/x"));
        } else if (!content.isNull()) {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        struct stat before {};
        lstat(name.constData(), &before);
        const QByteArray was = start(p);
        I s(p);
        s.add("Sara"); // whatever there was, forgotten
        s.load();
        QCOMPARE(s.unreadable(), !content.isNull());
        QCOMPARE(s.chooseForRun("Marco").isEmpty(), !content.isNull()); // no file: no such profile
        QVERIFY(s.value(I::Rounds) == 3 && !s.scanPeriodMs() && s.names() == QStringList("Predefinito"));
        struct stat after {};
        lstat(name.constData(), &after);
        QVERIFY(after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec
                && after.st_mode == before.st_mode && after.st_size == before.st_size && start(p) == was);
        // The teacher's save puts a good file in its place; a directory stays, and says why.
        QString why;
        QCOMPARE(s.save(&why), content != "dir");
        if (content == "dir")
            QVERIFY2(why.startsWith("Le impostazioni non sono state salvate in " + p), qPrintable(why));
        I again(p);
        again.load();
        QCOMPARE(again.unreadable(), content == "dir");
    }
};

QTEST_GUILESS_MAIN(TstImpostazioni)
#include "tst_impostazioni.moc"
