// Both main screens keep their design layout in proportion to the window, and the exercise
// screen's red lines keep joining the table's number to every column's plus sign.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
#include "screens/ScreenDef.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QMap>
#include <cmath>

namespace {

QString nome(const Def::Control &c)
{
    return c.index < 0 ? QString::fromLatin1(c.name) : QStringLiteral("%1_%2").arg(QLatin1String(c.name)).arg(c.index);
}

bool overlay(const Def::Control &c)
{
    for (const char *f : {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"})
        if (qstrcmp(c.name, f) == 0)
            return true;
    return false;
}

const Def::Control &controllo(const Def::Screen &def, const char *name, int index = -1)
{
    for (const Def::Control &c : def.controls)
        if (c.index == index && qstrcmp(c.name, name) == 0)
            return c;
    qFatal("no control %s", name);
}

// Where a control stands in the design, in twips of its container. The four overlay frames
// all stand at the reference label once the exercise screen is on show.
QRectF disegno(const Def::Screen &def, const Def::Control &c)
{
    if (overlay(c)) {
        const Def::Control &ref = controllo(def, "lblRiferimento");
        return QRectF(ref.left, ref.top, c.width, c.height);
    }
    return QRectF(c.left, c.top, c.width, c.height);
}

// The design rectangle in pixels, scaled to a client area of `client` pixels.
QRect attesa(const Def::Screen &def, const Def::Control &c, QSize client)
{
    const double sx = Twips::fromPx(client.width()) / def.clientWidth;
    const double sy = Twips::fromPx(client.height()) / def.clientHeight;
    const QRectF d = disegno(def, c);
    return Twips::toPx(QRectF(d.left() * sx, d.top() * sy, d.width() * sx, d.height() * sy));
}

bool vicino(const QRect &a, const QRect &b, int tol = 1)
{
    return std::abs(a.x() - b.x()) <= tol && std::abs(a.y() - b.y()) <= tol && std::abs(a.width() - b.width()) <= tol
           && std::abs(a.height() - b.height()) <= tol;
}

QString testo(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

struct Schermo {
    const char *name;
    const Def::Screen &def;
};

Schermo inizio() { return {"FrmInizio", Def::frmInizio()}; }
Schermo operativo() { return {"frmOperativo", Def::frmOperativo()}; }

QMainWindow *finestra(const Schermo &s) { return T::schermo(s.name); }
QSize client(const Schermo &s) { return finestra(s)->centralWidget()->size(); }

void ridimensiona(const Schermo &s, QSize px)
{
    if (auto *f = qobject_cast<FrmInizio *>(finestra(s)))
        f->resizeClient(px);
    else
        static_cast<FrmOperativo *>(finestra(s))->resizeClient(px);
    QApplication::processEvents();
}

QSize progetto(const Schermo &s)
{
    return Twips::toPx(QRectF(0, 0, s.def.clientWidth, s.def.clientHeight)).size();
}

// What the pupil sees of every control but the lines: its place and its font.
struct Foto {
    QMap<QString, QRect> posto;
    QMap<QString, QFont> font;
};

Foto foto(const Schermo &s)
{
    Foto f;
    for (const Def::Control &c : s.def.controls) {
        if (c.kind == Def::Kind::Line)
            continue;
        QWidget *w = T::w(s.name, nome(c));
        f.posto[nome(c)] = w->geometry();
        f.font[nome(c)] = w->font();
    }
    return f;
}

// Every control stands at its design rectangle scaled to the current client area.
void controllaProporzioni(const Schermo &s)
{
    const QSize px = client(s);
    for (const Def::Control &c : s.def.controls) {
        if (c.kind == Def::Kind::Line)
            continue;
        const QRect g = T::w(s.name, nome(c))->geometry();
        const QRect e = attesa(s.def, c, px);
        QVERIFY2(vicino(g, e), qPrintable(QStringLiteral("%1 on %2 at client %3x%4: %5, expected %6")
                                              .arg(nome(c), s.name).arg(px.width()).arg(px.height())
                                              .arg(testo(g), testo(e))));
    }
}

struct Estremi {
    double x1, y1, x2, y2;
};

Estremi estremi(int i)
{
    QObject *l = T::line(i);
    return {l->property("X1").toDouble(), l->property("Y1").toDouble(), l->property("X2").toDouble(),
            l->property("Y2").toDouble()};
}

// A label's place in twips of its container, as the pupil sees it (to the pixel).
QRectF inTwips(QWidget *w)
{
    const QRect g = w->geometry();
    return QRectF(Twips::fromPx(g.x()), Twips::fromPx(g.y()), Twips::fromPx(g.width()), Twips::fromPx(g.height()));
}

// Every line starts 150 twips beside the number box (or under its middle) and ends 150
// twips above its plus sign (line 0: 100), whatever the size of the window.
void controllaLinee()
{
    const QRectF box = inTwips(T::lbl("frmOperativo", "Label1"));
    // The labels stand within half a pixel of their exact place, their edges within one.
    const double tol = Twips::perPixel() + 1; // a sum of two places rounded apart
    static const double altezze[4] = {150, 350, 550, -1};
    for (int i = 0; i < 10; ++i) {
        const Estremi e = estremi(i);
        const QRectF segno = inTwips(T::lbl("frmOperativo", QStringLiteral("lblSegno_%1").arg(i)));
        double x1, y1;
        if (i <= 3 || i >= 6) {
            x1 = i <= 3 ? box.left() - 150 : box.right() + 150;
            const double h = altezze[i <= 3 ? i : 9 - i];
            y1 = h < 0 ? box.bottom() : box.top() + h;
        } else {
            x1 = box.left() + box.width() / 2;
            y1 = box.bottom();
        }
        const double x2 = i <= 5 ? segno.left() + 150 : segno.left() - 150;
        const double y2 = segno.top() - (i == 0 ? 100 : 150);
        const QString msg = QStringLiteral("line %1: (%2,%3)-(%4,%5), expected (%6,%7)-(%8,%9)")
                                .arg(i).arg(e.x1).arg(e.y1).arg(e.x2).arg(e.y2).arg(x1).arg(y1).arg(x2).arg(y2);
        QVERIFY2(std::abs(e.x1 - x1) <= tol && std::abs(e.y1 - y1) <= tol && std::abs(e.x2 - x2) <= tol
                     && std::abs(e.y2 - y2) <= tol,
                 qPrintable(msg));
    }
}

// Is the widget the one the pupil sees (and presses) at its own centre?
bool davanti(QWidget *w)
{
    QWidget *top = w->window();
    const QPoint p = w->mapTo(top, w->rect().center());
    QWidget *hit = top->childAt(p);
    return hit && (hit == w || w->isAncestorOf(hit));
}

} // namespace

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
        Twips::setLogicalDpiForTesting(0);
    }

    void designSizeReproducesTheDesign()
    {
        for (const Schermo &s : {inizio(), operativo()}) {
            QCOMPARE(client(s), progetto(s));
            for (const Def::Control &c : s.def.controls) {
                if (c.kind == Def::Kind::Line)
                    continue;
                const QRect g = T::w(s.name, nome(c))->geometry();
                const QRect e = Twips::toPx(disegno(s.def, c));
                QVERIFY2(vicino(g, e), qPrintable(nome(c) + testo(g) + " expected " + testo(e)));
            }
        }
    }

    void doublingTheClientDoublesEveryPlaceAndKeepsTheFonts()
    {
        for (const Schermo &s : {operativo(), inizio()}) {
            const Foto prima = foto(s);
            ridimensiona(s, progetto(s) * 2);
            QCOMPARE(client(s), progetto(s) * 2);
            const Foto dopo = foto(s);
            for (auto it = prima.posto.cbegin(); it != prima.posto.cend(); ++it) {
                const QRect a = it.value(), b = dopo.posto[it.key()];
                const QRect doppio(a.x() * 2, a.y() * 2, a.width() * 2, a.height() * 2);
                QVERIFY2(vicino(b, doppio), qPrintable(it.key() + testo(b) + " expected " + testo(doppio)));
                QCOMPARE(dopo.font[it.key()], prima.font[it.key()]);
            }
            // The fonts are the design's, in points, at every size.
            for (const Def::Control &c : s.def.controls) {
                if (c.kind != Def::Kind::Label && c.kind != Def::Kind::OptionButton)
                    continue;
                QCOMPARE(T::w(s.name, nome(c))->font().pointSizeF(), c.font.points > 0 ? c.font.points : 8.25);
            }
        }
    }

    void maximizeRestoreMaximizeGivesTheSameLayout()
    {
        const Schermo s = operativo();
        QMainWindow *op = finestra(s);
        const Foto normale = foto(s);

        op->showMaximized();
        QTRY_VERIFY(op->isMaximized() && client(s) != progetto(s));
        QApplication::processEvents();
        controllaProporzioni(s);
        const Foto massima = foto(s);
        const QSize schermoIntero = client(s);
        op->showNormal();
        QTRY_COMPARE(client(s), progetto(s));
        QCOMPARE(foto(s).posto, normale.posto);
        op->showMaximized();
        QTRY_VERIFY(op->isMaximized() && client(s) != progetto(s));
        QApplication::processEvents();
        QCOMPARE(foto(s).posto, massima.posto);

        // The same with a window the pupil drags big, small and big again.
        op->showNormal();
        QTRY_COMPARE(client(s), progetto(s));
        for (const Schermo &t : {s, inizio()}) {
            ridimensiona(t, QSize(1920, 1061));
            controllaProporzioni(t);
            const Foto grande = foto(t);
            ridimensiona(t, QSize(500, 300));
            controllaProporzioni(t);
            ridimensiona(t, QSize(1920, 1061));
            QCOMPARE(foto(t).posto, grande.posto);
        }

        // Closed in its maximized window and opened again: the window keeps its size and
        // the sheet is laid out for it all the same.
        op->showMaximized();
        QTRY_COMPARE(client(s), schermoIntero);
        QCOMPARE(foto(s).posto, massima.posto);
        op->close();
        QApplication::processEvents();
        T::clic(T::btn("FrmInizio", "Option2_0"));
        QTRY_VERIFY(op->isVisible() && op->isMaximized());
        controllaProporzioni(s);
        QCOMPARE(foto(s).posto, massima.posto);
        controllaLinee();
    }

    void everySizeKeepsTheDesignProportions()
    {
        for (const Schermo &s : {operativo(), inizio()})
            for (QSize px : {QSize(1920, 1061), QSize(1024, 743), QSize(640, 900), QSize(1366, 300)}) {
                ridimensiona(s, px);
                QCOMPARE(client(s), px);
                controllaProporzioni(s);
            }
    }

    void shrinkingOnlyTheHeightKeepsEveryLeftAndWidth()
    {
        for (const Schermo &s : {operativo(), inizio()}) {
            ridimensiona(s, QSize(1280, 900));
            const Foto alta = foto(s);
            ridimensiona(s, QSize(1280, 450));
            const Foto bassa = foto(s);
            int cambiate = 0;
            for (auto it = alta.posto.cbegin(); it != alta.posto.cend(); ++it) {
                const QRect a = it.value(), b = bassa.posto[it.key()];
                QCOMPARE(b.x(), a.x());
                QCOMPARE(b.width(), a.width());
                cambiate += b.height() != a.height();
            }
            QVERIFY(cambiate > alta.posto.size() / 2);
        }
    }

    void aButtonKeepsItsPlaceInsideItsPanel()
    {
        const Schermo s = operativo();
        QWidget *panel = T::w(s.name, "fraTastierino");
        const Def::Control &p = controllo(s.def, "fraTastierino");
        for (QSize px : {QSize(1920, 1061), QSize(700, 500), QSize(1200, 400)}) {
            ridimensiona(s, px);
            for (int i = 0; i <= 13; ++i) {
                QAbstractButton *b = T::key(i);
                QCOMPARE(b->parentWidget(), panel);
                const Def::Control &c = controllo(s.def, "Option1", i);
                // The button's centre at the same fraction of the panel, to a pixel or two.
                const QPointF centro = QRectF(b->geometry()).center();
                const double fx = (c.left + c.width / 2.0) / p.width, fy = (c.top + c.height / 2.0) / p.height;
                QVERIFY2(std::abs(centro.x() - fx * panel->width()) <= 1.5
                             && std::abs(centro.y() - fy * panel->height()) <= 1.5,
                         qPrintable(QStringLiteral("Option1_%1 at client %2x%3").arg(i).arg(px.width()).arg(px.height())));
                QVERIFY(panel->rect().contains(b->geometry()));
            }
        }
    }

    void theRedLinesJoinTheNumberToEveryColumn()
    {
        // At the design size the end points are the design's own.
        const struct { int i; double x1, y1, x2, y2; } attesi[] = {
            {0, 4602, 174, 510, 1175}, {3, 4602, 876, 3645, 1125}, {4, 5268, 876, 4770, 1125},
            {6, 5934, 876, 6495, 1125}, {9, 5934, 174, 9600, 1125},
        };
        for (const auto &a : attesi) {
            const Estremi e = estremi(a.i);
            QVERIFY2(std::abs(e.x1 - a.x1) < 1 && std::abs(e.y1 - a.y1) < 1 && std::abs(e.x2 - a.x2) < 1
                         && std::abs(e.y2 - a.y2) < 1,
                     qPrintable(QStringLiteral("line %1: (%2,%3)-(%4,%5)").arg(a.i).arg(e.x1).arg(e.y1).arg(e.x2).arg(e.y2)));
        }
        controllaLinee();

        // Doubled, the lines follow the labels and their offsets stay the same few twips.
        const Schermo s = operativo();
        ridimensiona(s, progetto(s) * 2);
        const Estremi e0 = estremi(0), e9 = estremi(9);
        QVERIFY(std::abs(e0.x1 - (2 * 4752 - 150)) <= 16);
        QVERIFY(std::abs(e0.y2 - (2 * 1275 - 100)) <= 16);
        QVERIFY(std::abs(e9.x2 - (2 * 9750 - 150)) <= 16);
        controllaLinee();
        for (QSize px : {QSize(1920, 1061), QSize(600, 1000), QSize(794, 200)}) {
            ridimensiona(s, px);
            controllaLinee();
        }

        // The lines are shown as the sheet needs them, not hidden by a resize.
        QList<bool> visibili;
        for (int i = 0; i < 10; ++i)
            visibili << T::line(i)->property("visible").toBool();
        ridimensiona(s, progetto(s));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(T::line(i)->property("visible").toBool(), visibili[i]);
    }

    void theHelpOfferStaysInFrontAtItsPlaceAfterAResize()
    {
        const Schermo s = operativo();
        T::rispondiGiusto(0);
        T::scriviConMouse(T::risultatoAtteso(1) + 1);
        T::clic(T::key(11), Qt::RightButton);
        QCOMPARE(T::focusName(), QString("Option3_0"));

        QWidget *aiuto = T::w(s.name, "fraAiuto");
        QWidget *ref = T::w(s.name, "lblRiferimento");
        for (QSize px : {QSize(1920, 1061), QSize(640, 480), progetto(s)}) {
            ridimensiona(s, px);
            QCOMPARE(aiuto->pos(), ref->pos());
            for (const char *f : {"fraTastierino", "fraIntervento", "fraAvviso"})
                QCOMPARE(T::w(s.name, f)->pos(), ref->pos());
            QVERIFY(davanti(T::btn(s.name, "Option3_0")));
            QVERIFY(davanti(T::btn(s.name, "Option3_1")));
            QCOMPARE(T::focusName(), QString("Option3_0"));
        }
        // And it still answers the pupil: "SI" gives the result of the row.
        ridimensiona(s, QSize(1600, 900));
        T::clic(T::btn(s.name, "Option3_0"), Qt::MiddleButton);
        QCOMPARE(T::cella(1)->text().trimmed().toInt(), T::risultatoAtteso(1));
        QVERIFY(davanti(T::key(5)));
    }

    void aClientOfNoSizeThenRestoredBringsTheLayoutBack()
    {
        for (const Schermo &s : {operativo(), inizio()}) {
            const Foto prima = foto(s);
            QMainWindow *f = finestra(s);
            // A window squeezed to its menu bar and beyond: the layout fits what is left.
            ridimensiona(s, QSize(0, 0));
            controllaProporzioni(s);
            if (s.def.name == Def::frmOperativo().name)
                controllaLinee();
            ridimensiona(s, progetto(s));
            QCOMPARE(foto(s).posto, prima.posto);

            // Minimized and shown again.
            f->showMinimized();
            QApplication::processEvents();
            f->showNormal();
            QTRY_COMPARE(client(s), progetto(s));
            QCOMPARE(foto(s).posto, prima.posto);
        }
        // The same place when the layout really is given a client area of no size.
        const Schermo s = operativo();
        QWidget *c = finestra(s)->centralWidget();
        c->resize(0, 0);
        for (const Def::Control &d : s.def.controls)
            if (d.kind != Def::Kind::Line)
                QCOMPARE(T::w(s.name, nome(d))->geometry(), QRect(0, 0, 0, 0));
        QCOMPARE(estremi(0).x1, -150.0);
        QCOMPARE(estremi(4).x1, 0.0);
        QCOMPARE(estremi(9).x1, 150.0);
        ridimensiona(s, QSize(1000, 600));
        controllaProporzioni(s);
        controllaLinee();
    }

    void anotherLogicalDpiKeepsTheDesignProportions()
    {
        for (double dpi : {144.0, 120.0, 72.0}) {
            T::chiudi();
            Twips::setLogicalDpiForTesting(dpi);
            QCOMPARE(Twips::perPixel(), 1440.0 / dpi);
            T::avvia();
            T::apriTabella(5);
            for (const Schermo &s : {operativo(), inizio()}) {
                QCOMPARE(client(s), progetto(s));
                controllaProporzioni(s);
                ridimensiona(s, QSize(1500, 1000));
                controllaProporzioni(s);
            }
            const Estremi e = estremi(0);
            ridimensiona(operativo(), progetto(operativo()));
            const Estremi d = estremi(0);
            QVERIFY2(std::abs(d.x1 - 4602) <= Twips::perPixel() && std::abs(d.y2 - 1175) <= Twips::perPixel(),
                     qPrintable(QStringLiteral("line 0 at %1 dpi: %2 %3").arg(dpi).arg(d.x1).arg(d.y2)));
            QVERIFY(e.x1 != d.x1);
            controllaLinee();
        }
    }
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
