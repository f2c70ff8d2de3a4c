#include "layout/ControlProportion.h"
#include "screens/Screen.h"

ControlProportions captureProportions(const Screen &screen)
{
    const Def::Screen &def = screen.definition();
    const float w = float(def.clientWidth), h = float(def.clientHeight);
    ControlProportions p(screen.items().size());
    for (size_t i = 0; i < p.size(); ++i) {
        const Def::Control &c = *screen.items()[i].def;
        if (c.kind == Def::Kind::Line)
            continue;
        p[i].WidthRatio = float(c.width) / w;
        p[i].HeightRatio = float(c.height) / h;
        p[i].LeftRatio = float(c.left) / w;
        p[i].TopRatio = float(c.top) / h;
    }
    return p;
}

void replaceControls(Screen &screen, const ControlProportions &proportions, QSizeF clientTwips)
{
    const float w = float(clientTwips.width()), h = float(clientTwips.height());
    auto &items = screen.items();
    const size_t n = qMin(items.size(), proportions.size());
    for (size_t i = 0; i < n; ++i) {
        Screen::Item &it = items[i];
        if (it.line)
            continue; // lines have no box: the grid geometry sets their end points
        const ControlProportion &p = proportions[i];
        screen.place(it, QRectF(w * p.LeftRatio, h * p.TopRatio, w * p.WidthRatio, h * p.HeightRatio));
    }
}
