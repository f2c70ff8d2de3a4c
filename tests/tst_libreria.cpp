// The print screen as the program reaches it: from its own library, which is loaded, and Qt's print
// support with it, only when the screen first opens; given the pupil's work, then new work while
// open, and the window to go back to when it closes. Nothing of the print screen is linked in here.
#include "print/FrmStampa.h"
#include "print/PrintScreen.h"
#include <QApplication>
#include <QFile>
#include <QTest>

namespace {
bool loaded(const char *library) { QFile maps("/proc/self/maps"); return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library); }
}

class TstLibreria : public QObject {
    Q_OBJECT
private slots:
    void loadedWhenFirstOpened()
    {
        QWidget opener;
        opener.show();
        QVERIFY(!loaded("libcalcolino_stampa.so") && !loaded("libQt6PrintSupport"));
        PrintedWork work{{"3 +  1 = 4  "}, {PrintedWork::Mark::RightFirstTime}, {0}, 1, 3, QDateTime::currentDateTime()};
        QWidget *s = PrintScreen::make(nullptr, work, nullptr);
        QVERIFY(s && loaded("libcalcolino_stampa.so") && loaded("libQt6PrintSupport"));
        QCOMPARE(s->property("rows").toStringList(), work.rows);
        work.rows << "3 +  2 = 6  5";
        work.rowCount = 2;
        PrintScreen::setRows(static_cast<FrmStampa *>(s), work);
        QCOMPARE(s->property("rows").toStringList(), work.rows);
        QCOMPARE(s->property("rowCount").toInt(), 2);
        PrintScreen::setOpener(static_cast<FrmStampa *>(s), &opener);
        s->show();
        s->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), s);
        s->close();
        QTRY_COMPARE(QApplication::activeWindow(), &opener);
    }
};

QTEST_MAIN(TstLibreria)
#include "tst_libreria.moc"
