// What the pupil and the teacher see as a whole, against the pictures in tests/aspetto/: the screens and
// the printed page. What is seen is left in the temporary folder; copied there, it is the new picture.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "print/PrintPage.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QDir>
#include <QPainter>

namespace {
// In blocks of 4x4 pixels: a block flat in both pictures keeps its colour exactly; any other block's
// mean colour within 56 (of 255) in every channel. So a FreeType or Qt point release may rasterise
// the captions' glyphs differently (drawn without hinting at all they move a block by 44 at most,
// with subpixel antialiasing by 24), while a control moved or resized by two pixels, any colour
// changed, a line or a mark left out fail. The name field and scroll bar are the toolkit's style's.
void look(const QImage &seen, const QString &name)
{
    const QString path = QDir::temp().filePath(name + ".png");
    seen.save(path);
    const QImage want = QImage(QFINDTESTDATA("aspetto/" + name + ".png")).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(seen.size() == want.size(), qPrintable(path));
    for (int y = 0; y + 4 <= seen.height(); y += 4)
        for (int x = 0; x + 4 <= seen.width(); x += 4) {
            int d[3] = {};
            bool flat = true;
            for (int i = 0; i < 16; ++i) {
                const QRgb p = seen.pixel(x + i % 4, y + i / 4), q = want.pixel(x + i % 4, y + i / 4);
                flat = flat && p == seen.pixel(x, y) && q == want.pixel(x, y);
                d[0] += qRed(p) - qRed(q), d[1] += qGreen(p) - qGreen(q), d[2] += qBlue(p) - qBlue(q);
            }
            const int most = std::max({qAbs(d[0]), qAbs(d[1]), qAbs(d[2])}) / 16;
            QVERIFY2(most <= (flat ? 0 : 56), qPrintable(QStringLiteral("%1 at (%2, %3) by %4").arg(path).arg(x).arg(y).arg(most)));
        }
}
}

class TstAspetto : public QObject {
    Q_OBJECT
private slots:
    // A control given another colour while on screen shows it at once: a panel, a label, a button.
    void recolouredOnScreen()
    {
        T::Program p;
        for (const char *name : {"frame1", "Label1", "Option1_3"}) {
            T::w("FrmInizio", name)->setProperty("BackColor", QColor(0, 128, 255));
            QTRY_COMPARE(T::seen(&p.inizio()), T::shot(&p.inizio()));
        }
    }

    void everyScreen()
    {
        T::Program p; // a table chosen; two rows right, a wrong one, its menu; "NO", the highlight's border, smaller
        // A button covers its place: pressed, it repaints itself, not the panel and the buttons under it.
        int under = 0, itself = 0;
        T::OnPaint paintedUnder, painted;
        paintedUnder.run = [&] { ++under; }, painted.run = [&] { ++itself; };
        QAbstractButton *seven = T::btn("FrmInizio", "Option1_7");
        seven->parentWidget()->installEventFilter(&paintedUnder), seven->installEventFilter(&painted);
        T::click(seven);
        QTRY_VERIFY(itself > 0);
        QCOMPARE(under, 0);
        look(T::shot(&p.inizio()), "frminizio");
        look(T::shot(InfoScreen::frmAutore(&p.inizio()).get()), "frmautore");
        look(T::shot(InfoScreen::frmIstruzioni(&p.inizio()).get()), "frmistruzioni");
        FrmOperativo &op = p.open(7);
        T::answerRight(0), T::answerRight(1), T::typeWithMouse(T::expected(2) + 1), T::click(T::key(Keypad::Invio));
        look(T::shot(&op), "frmoperativo");
        QCOMPARE(T::seen(&op), T::shot(&op)); // each change painted where it is, the rows' red lines shown and hidden too
        // A caption greyed out stands on a white copy of itself, one pixel down and to the right.
        const QImage off = T::shot(T::key(Keypad::NuovaTabella)).copy(T::key(Keypad::NuovaTabella)->rect().adjusted(3, 3, -3, -3));
        const int face = qGray(T::colour(T::key(Keypad::NuovaTabella)).rgb());
        QRect light, dark;
        for (int y = 0; y < off.height(); ++y)
            for (int x = 0; x < off.width(); ++x)
                if (const int g = qGray(off.pixel(x, y)); g != face)
                    (g > face ? light : dark) |= QRect(x, y, 1, 1);
        QVERIFY(!dark.isEmpty() && light.bottomRight() - dark.bottomRight() == QPoint(1, 1));
        OptionButton::setHighlightBorder(true);
        T::click(T::btn("frmOperativo", "Option3_1")), op.resizeClient(QSize(1024, 700));
        look(T::shot(&op), "frmoperativo-bordo");
        op.resizeClient(QSize(1920, 1080)); // where the border is at least 4 px wide
        QCOMPARE(T::pixels(T::shot(&op), OptionButton::HighlightBorder, QRect(op.focusWidget()->mapTo(&op, QPoint()), QSize(4, op.focusWidget()->height()))), 4 * op.focusWidget()->height());
        OptionButton::setHighlightBorder(false);
        // In the task bar: the main screens' titles and the program's icon; the author screen without one.
        QCOMPARE(p.inizio().windowTitle() + op.windowTitle(), "CalcolinoTABELLA");
        QVERIFY(!p.inizio().windowIcon().isNull() && !op.windowIcon().isNull() && InfoScreen::frmAutore(&op)->windowIcon().isNull());
        // Twelve rows, each way a row can go, and the pupil's name; beside it no row and no name.
        PrintedWork work{{}, {}, {0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0}, 12, 7, QDateTime(QDate(2026, 3, 12), QTime(10, 30)), "Giulia Bianchi"};
        for (int i = 0; i < 12; ++i)
            work.rows << QStringList{"7 +  3 = 10", "7 +  8 = 14  15", "7 + 10 = 18  17", "7 +  1 = 8  "}[i % 4], work.marks.push_back(PrintedWork::Mark(i % 4));
        QPointer<FrmStampa> stampa = new FrmStampa(p.dialogs, work);
        stampa->resize(900, 760), stampa->show();
        look(T::shot(stampa), "frmstampa");
        stampa->close(); // and gone
        QTRY_VERIFY(!stampa);
        QImage pages(2100, 1485, QImage::Format_RGB32);
        QPainter painter(&pages);
        PrintPage::paint(painter, QRectF(0, 0, 1050, 1485), PrintPage::a4(), work);
        PrintPage::paint(painter, QRectF(1050, 0, 1050, 1485), PrintPage::a4(), PrintedWork{{}, {}, {}, 0, 3, work.when, ""});
        look(pages, "pagine");
        // The longest name the field takes, in wide letters: like every row, mark and the legend, it keeps out
        // of the paper's side margins of 15 mm (70 px of the 75 here: a diamond's point reaches 3 px in).
        work.pupil = QString("W").repeated(60);
        PrintPage::paint(painter, QRectF(0, 0, 1050, 1485), PrintPage::a4(), work);
        QCOMPARE(T::pixels(pages, Qt::white, QRect(0, 0, 70, 1485)) + T::pixels(pages, Qt::white, QRect(980, 0, 70, 1485)), 2 * 70 * 1485);
    }
    void struckThrough() // a wrong answer struck through from just before its digits to just after them, evenly
    {
        QImage page(2100, 2970, QImage::Format_RGB32);
        QPainter p(&page);
        PrintPage::paint(p, page.rect(), PrintPage::a4(), PrintedWork{{"7 +  1 = 9  8"}, {PrintedWork::Mark::RightAfterRetry}, {1}, 1, 7, {}, ""});
        QRect strike, ink; // the longest dark run among the rows but for the rules, and the ink in its span off its line
        for (int y = 370; y < 700; ++y)
            for (int x = 0, from = -1; x < page.width(); ++x) {
                const bool dark = qGray(page.pixel(x, y)) < 128;
                if (!dark && from >= 0 && x - from > strike.width() && x - from < 300)
                    strike = QRect(from, y, x - from, 1);
                from = dark ? (from < 0 ? x : from) : -1;
            }
        for (int y = strike.y() - 25; y < strike.y() + 25; ++y)
            for (int x = strike.left(); x <= strike.right(); ++x)
                if (qAbs(y - strike.y()) > 5 && qGray(page.pixel(x, y)) < 128)
                    ink |= QRect(x, y, 1, 1);
        QVERIFY(strike.left() < ink.left() && strike.right() > ink.right() && qAbs(strike.center().x() - ink.center().x()) <= 2);
    }
    void roundedShape_data() // the title band's two, and one too small to be drawn in pieces
    {
        QTest::addColumn<QSize>("size"), QTest::addColumn<int>("pen"), QTest::newRow("1 px") << QSize(1319, 235) << 1, QTest::newRow("2 px") << QSize(1328, 242) << 2, QTest::newRow("small") << QSize(24, 14) << 1;
    }
    void roundedShape() // drawn in pieces, pixel for pixel the outline drawn whole
    {
        QFETCH(QSize, size); QFETCH(int, pen);
        ShapeWidget s; QImage want(size, QImage::Format_RGB32);
        s.setLook(Qt::yellow, Qt::darkBlue, pen, true), s.resize(size), want.fill(s.palette().window().color());
        QPainter p(&want);
        const QRectF r = QRectF(QPointF(), size).adjusted(pen / 2.0, pen / 2.0, -pen / 2.0, -pen / 2.0);
        p.setRenderHint(QPainter::Antialiasing), p.setBrush(QColor(Qt::yellow)), p.setPen(QPen(Qt::darkBlue, pen));
        p.drawRoundedRect(r, qMin(r.width(), r.height()) / 8, qMin(r.width(), r.height()) / 8), p.end();
        QCOMPARE(s.grab().toImage().convertToFormat(QImage::Format_RGB32), want);
    }
};

QTEST_MAIN(TstAspetto)
#include "tst_aspetto.moc"
