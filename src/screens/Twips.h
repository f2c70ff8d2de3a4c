#pragma once
#include <QRect>
#include <QRectF>
#include <QPointF>
#include <QSize>
#include <QSizeF>

// The designs are drawn in twips (1440 to the logical inch). This is the one place where
// twips become the toolkit's logical pixels, through the screen's logical DPI, so a high-DPI
// display or another font DPI keeps every screen in proportion.
namespace Twips {
double perPixel();                  // twips in one logical pixel (15 at 96 DPI)
double toPixels(double twips);      // unrounded, for drawing lines
int toPx(double twips);             // rounded, for widget geometry
double fromPx(double px);
QSizeF fromPx(QSize px);
QRect toPx(const QRectF &twips);
QSize toPx(QSizeF twips);
QPointF toPixels(const QPointF &twips);
}
