// Both main screens keep their design layout in proportion to the window, and the exercise
// screen's red lines keep joining the table's number to every column's plus sign.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "screens/ScreenDef.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QDebug>
#include <QLineF>
#include <QMap>
#include <algorithm>
#include <cmath>

namespace {

struct Schermo {
    const char *name;
    const Def::Screen &def;
};
Schermo inizio() { return {"FrmInizio", Def::frmInizio()}; }
Schermo operativo() { return {"frmOperativo", Def::frmOperativo()}; }

QMainWindow *finestra(const Schermo &s) { return T::schermo(s.name); }
QSize client(const Schermo &s) { return finestra(s)->centralWidget()->size(); }
QSize progetto(const Schermo &s) { return Twips::toPx(QRectF(0, 0, s.def.clientWidth, s.def.clientHeight)).size(); }
QWidget *widget(const Schermo &s, const Def::Control &c) { return T::w(s.name, Screen::objectName(c)); }

void ridimensiona(const Schermo &s, QSize px)
{
    if (auto *f = qobject_cast<FrmInizio *>(finestra(s)))
        f->resizeClient(px);
    else
        static_cast<FrmOperativo *>(finestra(s))->resizeClient(px);
    QApplication::processEvents();
}

// Where every control but the lines stands now.
QMap<QString, QRect> posti(const Schermo &s)
{
    QMap<QString, QRect> m;
    for (const Def::Control &c : s.def.controls)
        if (c.kind != Def::Kind::Line)
            m[Screen::objectName(c)] = widget(s, c)->geometry();
    return m;
}

QLineF estremi(int i)
{
    QObject *l = T::line(i);
    return QLineF(l->property("X1").toDouble(), l->property("Y1").toDouble(), l->property("X2").toDouble(),
                  l->property("Y2").toDouble());
}

QRectF inTwips(const char *name)
{
    const QRect g = T::w("frmOperativo", QString::fromLatin1(name))->geometry();
    return QRectF(Twips::fromPx(g.x()), Twips::fromPx(g.y()), Twips::fromPx(g.width()), Twips::fromPx(g.height()));
}

// Every line starts 150 twips beside the number box (or under its middle) and ends 150 twips
// above its plus sign (line 0: 100), whatever the size of the window.
void controllaLinee()
{
    const QRectF box = inTwips("Label1");
    const double tol = Twips::perPixel() + 1; // two places rounded apart
    static const double altezze[4] = {150, 350, 550, -1};
    for (int i = 0; i < 10; ++i) {
        const QRectF segno = inTwips(qPrintable(QStringLiteral("lblSegno_%1").arg(i)));
        QPointF da(box.left() + box.width() / 2, box.bottom());
        if (i <= 3 || i >= 6) {
            const double h = altezze[i <= 3 ? i : 9 - i];
            da = QPointF(i <= 3 ? box.left() - 150 : box.right() + 150, h < 0 ? box.bottom() : box.top() + h);
        }
        const QPointF a(i <= 5 ? segno.left() + 150 : segno.left() - 150, segno.top() - (i == 0 ? 100 : 150));
        const QLineF e = estremi(i);
        QString dove;
        QDebug(&dove) << "line" << i << e << "expected" << QLineF(da, a);
        QVERIFY2(std::max({std::abs(e.x1() - da.x()), std::abs(e.y1() - da.y()), std::abs(e.x2() - a.x()),
                           std::abs(e.y2() - a.y())}) <= tol,
                 qPrintable(dove));
    }
}

// Every control at its design rectangle scaled to the client area, to a pixel; the four overlay
// frames at the reference label. The fonts stay the design's at every size, and the lines join
// their labels.
void controllaProporzioni(const Schermo &s)
{
    const QSize px = client(s);
    const double sx = Twips::fromPx(px.width()) / s.def.clientWidth, sy = Twips::fromPx(px.height()) / s.def.clientHeight;
    const Def::Control *ref = nullptr;
    for (const Def::Control &c : s.def.controls)
        if (qstrcmp(c.name, "lblRiferimento") == 0)
            ref = &c;
    for (const Def::Control &c : s.def.controls) {
        if (c.kind == Def::Kind::Line)
            continue;
        const bool riquadro = ref && QStringList({"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"}).contains(c.name);
        const double left = riquadro ? ref->left : c.left, top = riquadro ? ref->top : c.top;
        const QRect e = Twips::toPx(QRectF(left * sx, top * sy, c.width * sx, c.height * sy));
        const QRect g = widget(s, c)->geometry();
        QString dove;
        QDebug(&dove) << Screen::objectName(c) << "at client" << px << g << "expected" << e;
        QVERIFY2(std::max({std::abs(g.x() - e.x()), std::abs(g.y() - e.y()), std::abs(g.width() - e.width()),
                           std::abs(g.height() - e.height())}) <= 1,
                 qPrintable(dove));
        if (c.kind == Def::Kind::Label || c.kind == Def::Kind::OptionButton)
            QCOMPARE(widget(s, c)->font().pointSizeF(), c.font.points > 0 ? c.font.points : 8.25);
    }
    if (ref)
        controllaLinee();
}

// Is the widget the one the pupil sees (and presses) at its own centre?
bool davanti(QWidget *w)
{
    QWidget *hit = w->window()->childAt(w->mapTo(w->window(), w->rect().center()));
    return hit && (hit == w || w->isAncestorOf(hit));
}
}

class TstLayout : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        T::avvia();
        T::apriTabella(3);
    }
    void cleanup()
    {
        T::chiudi();
    }

    void everySizeKeepsTheDesignProportions()
    {
        for (const Schermo &s : {operativo(), inizio()}) {
            QCOMPARE(client(s), progetto(s));
            controllaProporzioni(s);
            for (QSize px : {progetto(s) * 2, QSize(1920, 1061), QSize(1024, 743), QSize(640, 900), QSize(1366, 300),
                             QSize(600, 1000), QSize(794, 200)}) {
                ridimensiona(s, px);
                QCOMPARE(client(s), px);
                controllaProporzioni(s);
            }
        }
    }

    void resizingBackAndForthNeverDrifts()
    {
        const Schermo s = operativo();
        QMainWindow *op = finestra(s);
        const auto normale = posti(s);
        op->showMaximized();
        QTRY_VERIFY(op->isMaximized() && client(s) != progetto(s));
        QApplication::processEvents();
        controllaProporzioni(s);
        const auto massima = posti(s);
        op->showNormal();
        QTRY_COMPARE(client(s), progetto(s));
        QCOMPARE(posti(s), normale);
        op->showMaximized();
        QTRY_VERIFY(op->isMaximized() && client(s) != progetto(s));
        QApplication::processEvents();
        QCOMPARE(posti(s), massima);
        // Closed in its maximized window and opened again: laid out for that size all the same.
        op->close();
        QApplication::processEvents();
        T::clic(T::btn("FrmInizio", "Option2_0"));
        QTRY_VERIFY(op->isVisible() && op->isMaximized());
        QCOMPARE(posti(s), massima);
        controllaProporzioni(s);
        op->showNormal();
        QTRY_VERIFY(!op->isMaximized());
        ridimensiona(s, progetto(s));

        // Dragged big, small, to nothing, minimized, and back.
        for (const Schermo &t : {s, inizio()}) {
            const auto prima = posti(t);
            for (QSize px : {QSize(1920, 1061), QSize(500, 300), QSize(0, 0)}) {
                ridimensiona(t, px);
                controllaProporzioni(t);
            }
            ridimensiona(t, progetto(t));
            QCOMPARE(posti(t), prima);
            finestra(t)->showMinimized();
            QApplication::processEvents();
            finestra(t)->showNormal();
            QTRY_COMPARE(client(t), progetto(t));
            QCOMPARE(posti(t), prima);
        }
        // A client area of really no size, below the menu bar's minimum.
        op->centralWidget()->resize(0, 0);
        for (const QRect &r : posti(s))
            QCOMPARE(r, QRect(0, 0, 0, 0));
        QCOMPARE(estremi(0).x1(), -150.0);
        QCOMPARE(estremi(4).x1(), 0.0);
        QCOMPARE(estremi(9).x1(), 150.0);
        ridimensiona(s, QSize(1000, 600));
        controllaProporzioni(s);
    }

    void theRedLinesJoinTheNumberToEveryColumn()
    {
        // At the design size the end points are the design's own.
        const struct { int i; QLineF e; } attesi[] = {{0, {4602, 174, 510, 1175}}, {3, {4602, 876, 3645, 1125}},
                                                      {4, {5268, 876, 4770, 1125}}, {6, {5934, 876, 6495, 1125}},
                                                      {9, {5934, 174, 9600, 1125}}};
        for (const auto &a : attesi)
            QVERIFY2((estremi(a.i).p1() - a.e.p1()).manhattanLength() < 1 && (estremi(a.i).p2() - a.e.p2()).manhattanLength() < 1,
                     qPrintable(QString::number(a.i)));
        QList<bool> visibili;
        for (int i = 0; i < 10; ++i)
            visibili << T::line(i)->property("visible").toBool();
        // Doubled, the lines follow the labels and their offsets stay the same few twips.
        const Schermo s = operativo();
        ridimensiona(s, progetto(s) * 2);
        QVERIFY(std::abs(estremi(0).x1() - (2 * 4752 - 150)) <= 16);
        QVERIFY(std::abs(estremi(0).y2() - (2 * 1275 - 100)) <= 16);
        QVERIFY(std::abs(estremi(9).x2() - (2 * 9750 - 150)) <= 16);
        ridimensiona(s, QSize(794, 200));
        for (int i = 0; i < 10; ++i) // shown as the sheet needs them, not as the resize
            QCOMPARE(T::line(i)->property("visible").toBool(), visibili[i]);
    }

    void theHelpOfferStaysInFrontAfterAResize()
    {
        const Schermo s = operativo();
        T::rispondiGiusto(0);
        T::sbaglia(1);
        for (QSize px : {QSize(1920, 1061), QSize(640, 480), progetto(s)}) {
            ridimensiona(s, px);
            for (const char *f : {"fraAiuto", "fraTastierino", "fraIntervento", "fraAvviso"})
                QCOMPARE(T::w(s.name, f)->pos(), T::w(s.name, "lblRiferimento")->pos());
            QVERIFY(davanti(T::btn(s.name, "Option3_0")) && davanti(T::btn(s.name, "Option3_1")));
            QCOMPARE(T::focusName(), QString("Option3_0"));
        }
        ridimensiona(s, QSize(1600, 900));
        T::clic(T::btn(s.name, "Option3_0"), Qt::MiddleButton);
        QCOMPARE(T::cella(1)->text().trimmed().toInt(), T::risultatoAtteso(1));
        QVERIFY(davanti(T::key(5)));
    }
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
