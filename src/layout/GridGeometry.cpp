#include "layout/GridGeometry.h"
#include "screens/Screen.h"

void PosizionaLinee(Screen &s)
{
    for (int i = 0; i < 10; ++i) {
        LineItem *line = s.line("Line2", i);
        // Each end point from freshly read label places, in this order.
        const QRectF &box = s.twips("Label1");
        const double L = box.left(), T = box.top(), W = box.width(), H = box.height();
        static const double leftHeights[4] = {150, 350, 550, -1}; // -1: the bottom edge
        double x1, y1;
        if (i <= 3) {
            x1 = L - 150;
            y1 = leftHeights[i] < 0 ? T + H : T + leftHeights[i];
        } else if (i <= 5) {
            x1 = L + W / 2;
            y1 = T + H;
        } else {
            x1 = L + W + 150;
            const double h = leftHeights[9 - i];
            y1 = h < 0 ? T + H : T + h;
        }
        line->setX1(float(x1));
        line->setY1(float(y1));
        const QRectF &segno = s.twips("lblSegno", i);
        line->setX2(float(i <= 5 ? segno.left() + 150 : segno.left() - 150));
        line->setY2(float(segno.top() - (i == 0 ? 100 : 150)));
    }
}
