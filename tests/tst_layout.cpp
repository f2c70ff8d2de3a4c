// Both main screens keep their design in proportion to the window's client area, and the exercise
// screen's red lines join the table's number to every column's plus sign at any size.
#include "TestSupport.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"

namespace {
template <class Form> void resize(Form &f, QSize px)
{
    f.resizeClient(px);
    QTRY_COMPARE(f.centralWidget()->size(), px);
}

// Every control but the lines stands at its design place scaled to the client area it has now
// (the four overlay frames at the reference label's place); its look at the design size: tst_aspetto.
void checkProportions(Screen &s)
{
    const QSizeF client = Twips::fromPx(s.client()->size());
    const double sx = client.width() / s.definition().clientWidth, sy = client.height() / s.definition().clientHeight;
    auto scaled = [&](const Def::Control &c) { return QRectF(c.left * sx, c.top * sy, c.width * sx, c.height * sy); };
    for (const Screen::Item &it : s.items()) {
        if (it.line)
            continue;
        QRectF want = scaled(*it.def);
        if (QStringList{"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"}.contains(it.def->name))
            want.moveTopLeft(scaled(*s.item("lblRiferimento").def).topLeft());
        QVERIFY2(QLineF(it.twips.topLeft(), want.topLeft()).length() + QLineF(it.twips.bottomRight(), want.bottomRight()).length() < 0.5,
                 qPrintable(Screen::objectName(*it.def)));
        QCOMPARE(it.widget->geometry(), Twips::toPx(it.twips));
    }
}
}

class TstLayout : public QObject {
    Q_OBJECT
private slots:
    void everySizeInProportion()
    {
        T::Program p;
        auto check = [](auto &form) {
            Screen &s = form.screen();
            checkProportions(s);
            // Doubled, other shapes, no size at all and a real one again.
            for (QSize px : {form.centralWidget()->size() * 2, QSize(1200, 400), QSize(640, 900), QSize(0, 0), QSize(1000, 600)}) {
                px.isEmpty() ? form.centralWidget()->resize(px) : resize(form, px);
                checkProportions(s);
            }
        };
        check(p.open(3));
        check(p.inizio());
    }

    void redLinesKeepTheirOffsets()
    {
        T::Program p;
        FrmOperativo &op = p.open(3);
        resize(op, op.centralWidget()->size() * 2); // placed anew at every size, the design's too
        // From beside the number box (or under its middle) to 150 twips above a plus sign (line 0: 100):
        // at twice the design size the labels' places double, the offsets do not.
        const QLineF want[10] = {{9354, 198, 870, 2450}, {9354, 398, 2910, 2400}, {9354, 598, 5040, 2400}, {9354, 1752, 7140, 2400},
                                 {10536, 1752, 9390, 2400}, {10536, 1752, 11430, 2400}, {11718, 1752, 13140, 2400},
                                 {11718, 598, 15330, 2400}, {11718, 398, 17430, 2400}, {11718, 198, 19350, 2400}};
        for (int i = 0; i < 10; ++i) {
            const QObject *l = T::w("frmOperativo", "Frame1")->findChild<QObject *>(QStringLiteral("Line2_%1").arg(i));
            auto at = [l](const char *end) { return double(qRound(l->property(end).toDouble())); }; // to the twip
            QVERIFY2(QLineF(at("X1"), at("Y1"), at("X2"), at("Y2")) == want[i], qPrintable(QStringLiteral("line %1").arg(i)));
        }
    }
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
