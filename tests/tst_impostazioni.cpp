// The teacher's settings file: what is saved is read back, profiles and all; whatever else stands at
// its name, the program starts at once with the defaults, knows it could not read them, and writes
// nothing until the teacher saves.
#include "app/Impostazioni.h"
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using I = Impostazioni;

namespace {
const QByteArray Good = R"({"profilo": "P", "profili": {"P": {"giri": 5, "evidenziazione": "solo il colore"}}})";
bool write(const QString &p, const QByteArray &b)
{
    QFile f(p);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}
QByteArray look(const QString &p) // its kind, time and start: opening a FIFO would wait
{
    struct stat st {};
    QFile f(p);
    lstat(QFile::encodeName(p).constData(), &st);
    return QByteArray::number(st.st_mode) + ' ' + QByteArray::number(st.st_mtim.tv_nsec) + ' '
           + (QFileInfo(p).isFile() && f.open(QIODevice::ReadOnly) ? f.read(1 << 16) : "");
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
        I a;
        a.load();
        QVERIFY(!a.unreadable() && !a.scanPeriodMs() && a.value(I::Rounds) == 3 && a.value(I::Period) == 1500);
        QVERIFY(a.add("Marco") && !a.add(" Marco ") && !a.add(" ") && a.add("Sara"));
        for (int s = 0; s < I::Count; ++s)
            a.set(I::Setting(s), I::info(I::Setting(s)).max + 1); // kept in its range
        a.remove("Predefinito");
        QVERIFY(a.modified() && a.save() && !a.modified());
        I b;
        b.load();
        QVERIFY(b.names() == QStringList({"Marco", "Sara"}) && b.current() == "Sara" && b.scanPeriodMs() == 10000);
        for (int s = 0; s < I::Count; ++s)
            QCOMPARE(b.value(I::Setting(s)), I::info(I::Setting(s)).max);
        QCOMPARE(b.chooseForRun("Anna"), QString("Calcolino: il profilo «Anna» non c'è (ci sono: Marco, Sara).\n"));
        QVERIFY(b.chooseForRun("Marco").isEmpty() && b.value(I::Rounds) == 3);
        b.scanOverrideMs = 700; // the command line's, for this run, until the teacher sets it
        QCOMPARE(*b.scanPeriodMs(), 700);
        b.set(I::Period, 900);
        QVERIFY(!b.scanPeriodMs());
        b.remove("Marco");
        b.remove("Sara"); // the last one stays
        QCOMPARE(b.names(), QStringList("Sara"));
    }

    // What stands at the settings file's name; "missing" is no fault.
    void badFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("corrupt") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0", 9);
        QTest::newRow("truncated") << Good.left(Good.size() - 3);
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("no such current profile") << QByteArray(Good).replace("\"P\",", "\"Q\",");
        QTest::newRow("out of range") << QByteArray(Good).replace("5", "11");
        QTest::newRow("not a whole number") << QByteArray(Good).replace("5", "2.5");
        QTest::newRow("wrong kind") << QByteArray(Good).replace("\"solo il colore\"", "1");
        QTest::newRow("unknown choice") << QByteArray(Good).replace("solo", "tutto");
        for (const char *made : {"huge", "unreadable", "link to itself", "FIFO", "directory"})
            QTest::newRow(made) << QByteArray(made);
    }
    void badFile()
    {
        QFETCH(QByteArray, content);
        const QString p = dir.filePath(QTest::currentDataTag());
        const QByteArray name = QFile::encodeName(p);
        if (content == "huge") // a good file, but longer than a settings file ever is
            QVERIFY(write(p, Good + QByteArray(1 << 20, ' ')));
        else if (content == "unreadable" && (!write(p, Good) || !QFile::setPermissions(p, {}) || geteuid() == 0))
            QSKIP("root reads any file");
        else if (content == "link to itself")
            QVERIFY(symlink(name.constData(), name.constData()) == 0);
        else if (content == "FIFO") // no one ever writes to it: an open that waits never ends
            QVERIFY(mkfifo(name.constData(), 0600) == 0);
        else if (content == "directory")
            QVERIFY(QDir().mkpath(p + "/x"));
        else if (!content.isNull() && content != "unreadable")
            QVERIFY(write(p, content));
        const QByteArray was = look(p);
        I s(p);
        s.add("Sara"); // whatever there was, forgotten
        s.load();
        QVERIFY(s.unreadable() == !content.isNull() && s.chooseForRun("Q").isEmpty() == !content.isNull());
        QVERIFY(s.value(I::Rounds) == 3 && !s.scanPeriodMs() && s.names() == QStringList("Predefinito"));
        QCOMPARE(look(p), was);
        // The teacher's save puts a good file in its place; a directory stays, and says why.
        QString why;
        QCOMPARE(s.save(&why), content != "directory");
        QVERIFY2(why.isEmpty() != why.startsWith("Le impostazioni non sono state salvate in " + p), qPrintable(why));
        s.load();
        QCOMPARE(s.unreadable(), content == "directory");
    }
};

QTEST_GUILESS_MAIN(TstImpostazioni)
#include "tst_impostazioni.moc"
