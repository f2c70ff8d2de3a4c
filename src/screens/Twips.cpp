#include "screens/Twips.h"
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {
double logicalDpi()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s && s->logicalDotsPerInch() > 0 ? s->logicalDotsPerInch() : 96.0;
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

QSize toPx(QSizeF t) { return QSize(toPx(t.width()), toPx(t.height())); }

QPointF toPixels(const QPointF &t) { return QPointF(toPixels(t.x()), toPixels(t.y())); }
}
