// The print screen from its own library, through the program's loader, nothing of it linked in here:
// the library, and Qt's print support with it, load only when the screen first opens; new rows reach
// the screen already open; closed, it hands the keyboard back to the window it was opened from.
#include "print/FrmStampa.h"
#include "print/PrintScreen.h"
#include <QApplication>
#include <QFile>
#include <QTest>

class TstLibreria : public QObject {
    Q_OBJECT
private slots:
    void loadedWhenFirstOpened()
    {
        auto loaded = [] { QFile maps("/proc/self/maps"); return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6PrintSupport"); };
        QWidget opener;
        opener.show();
        QVERIFY(!loaded());
        PrintedWork work{{"3 +  1 = 4  "}, {PrintedWork::Mark::RightFirstTime}, {0}, 1, 3, QDateTime::currentDateTime()};
        FrmStampa *s = PrintScreen::make(nullptr, work, nullptr);
        QVERIFY(s && loaded());
        work.rows << "3 +  2 = 6  5";
        PrintScreen::setRows(s, work);
        PrintScreen::setOpener(s, &opener);
        QCOMPARE(s->property("rows").toStringList(), work.rows);
        s->show();
        s->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(s));
        s->close();
        QTRY_COMPARE(QApplication::activeWindow(), &opener);
    }
};

QTEST_MAIN(TstLibreria)
#include "tst_libreria.moc"
