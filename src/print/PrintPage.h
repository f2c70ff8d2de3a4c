#pragma once
#include "print/PrintedWork.h"
#include <QSizeF>

class QPainter;
class QRectF;

// The printed page: the one drawing of the preview, the printer and the PDF.
namespace PrintPage {
// The sheet where no printer says otherwise, in millimetres.
inline QSizeF a4() { return QSizeF(210, 297); }
// The page of `work`, laid out in millimetres of a sheet of `paper` (millimetres), which lies at
// `sheet` in the painter's coordinates. The painter is left as it was given.
void paint(QPainter &p, const QRectF &sheet, const QSizeF &paper, const PrintedWork &work);
// The preview's smallest scale, in pixels a millimetre: the rows' text still 12 pixels high.
double legibleScale();
// "Tabella del 4", as the start screen names the tables.
QString tableName(int table);
}
