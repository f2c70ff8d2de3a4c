#include "layout/Twips.h"
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {
double g_dpi = 0;

double logicalDpi()
{
    if (g_dpi <= 0) {
        const QScreen *s = QGuiApplication::primaryScreen();
        g_dpi = (s && s->logicalDotsPerInch() > 0) ? s->logicalDotsPerInch() : 96.0;
    }
    return g_dpi;
}
}

namespace Twips {
double perPixel() { return 1440.0 / logicalDpi(); }
double toPixels(double twips) { return twips / perPixel(); }
int toPx(double twips) { return int(std::lround(toPixels(twips))); }
double fromPx(double px) { return px * perPixel(); }
QSizeF fromPx(QSize px) { return QSizeF(fromPx(px.width()), fromPx(px.height())); }

QRect toPx(const QRectF &t)
{
    return QRect(toPx(t.left()), toPx(t.top()), toPx(t.width()), toPx(t.height()));
}

QPointF toPixels(const QPointF &t) { return QPointF(toPixels(t.x()), toPixels(t.y())); }

void setLogicalDpiForTesting(double dpi) { g_dpi = dpi; }
}
