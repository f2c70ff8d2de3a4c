#include "screens/Controls.h"
#include "screens/Twips.h"
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtMath>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Grey(128, 128, 128);
const QColor Light(227, 227, 227);

QString drawnText(const QString &caption)
{
    // A caption breaks its line at a carriage return.
    QString t = caption;
    return t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A one-pixel outline just inside box b: the pixels drawRect() gives b one pixel smaller, as four
// filled rectangles, which cost the painter a fraction of one outlined rectangle.
void outline(QPainter &p, const QRect &b, const QColor &c)
{
    p.fillRect(b.left(), b.top(), b.width(), 1, c);
    p.fillRect(b.left(), b.bottom(), b.width(), 1, c);
    p.fillRect(b.left(), b.top(), 1, b.height(), c);
    p.fillRect(b.right(), b.top(), 1, b.height(), c);
}
}

// ---------------------------------------------------------------- VbLabel

VbLabel::VbLabel(QWidget *parent) : QLabel(parent), m_back(Qt::white), m_fore(Qt::black) {}

void VbLabel::setCaption(const QString &caption)
{
    if (caption != text())
        setText(caption);
}

void VbLabel::setBackColor(const QColor &c)
{
    if (c != m_back) {
        m_back = c;
        coverWhole();
        update();
    }
}

void VbLabel::coverWhole()
{
    // A label that fills its box hides what lies under it: that is not painted under it again.
    setAttribute(Qt::WA_OpaquePaintEvent, m_opaque && m_back.alpha() == 255);
}

void VbLabel::setForeColor(const QColor &c)
{
    m_fore = c;
    update();
}

void VbLabel::setLook(bool opaque, bool border, bool centred)
{
    m_opaque = opaque;
    m_border = border;
    m_centred = centred;
    coverWhole();
    update();
}

void VbLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    if (m_opaque)
        p.fillRect(r, m_back);
    if (m_border) {
        outline(p, r, Black);
        r.adjust(1, 1, -1, -1);
    }
    p.setPen(isEnabled() ? m_fore : Grey);
    const int align = (m_centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop | Qt::TextWordWrap;
    p.setClipRect(r);
    p.drawText(r, align, drawnText(text()));
}

// ---------------------------------------------------------------- OptionButton

OptionButton::OptionButton(QWidget *parent) : QAbstractButton(parent), m_back(Qt::white), m_fore(Qt::black)
{
    // The button fills its box: the panel under it is not painted again with it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Keys and mouse never click (their handlers below do not pass them on): a click is the
    // press of assistive technology.
    connect(this, &QAbstractButton::clicked, this, &OptionButton::pressedByAssistiveTechnology);
}

void OptionButton::pressedByAssistiveTechnology()
{
    // The press works as Enter on this button, which first takes the focus as under the mouse.
    // A window that a modal screen covers takes no press, as it takes no key.
    const QWidget *modal = QApplication::activeModalWidget();
    if (!m_events || !isEnabled() || (modal && modal != window()))
        return;
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_events->activate(m_index);
}

void OptionButton::attach(ButtonEvents *events, int index)
{
    m_events = events;
    m_index = index;
}

void OptionButton::setBackColor(const QColor &c)
{
    if (c != m_back) {
        m_back = c;
        setAttribute(Qt::WA_OpaquePaintEvent, c.alpha() == 255);
        update();
    }
}

void OptionButton::setForeColor(const QColor &c)
{
    m_fore = c;
    update();
}

bool OptionButton::event(QEvent *e)
{
    // Tab normally moves the focus before a button sees it; a button that takes every key
    // (the intervention's "OK") must see it too.
    if (e->type() == QEvent::KeyPress && m_events && m_events->takesEveryKey(m_index)) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractButton::event(e);
}

// Navy on the focus colour and on the screens' background: about 10:1 and 12:1, well over the 3:1
// a pupil with low vision needs to tell a border.
const QColor OptionButton::HighlightBorder(0, 0, 128);
bool OptionButton::s_border = false;

void OptionButton::setHighlighted(bool h)
{
    m_highlighted = h;
    update();
}

void OptionButton::setHighlightBorder(bool on)
{
    s_border = on;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *b = qobject_cast<OptionButton *>(w); b && b->m_highlighted)
            b->update();
}

int OptionButton::highlightBorderWidth(const QWidget *window)
{
    // 4 px on a full-HD screen, in proportion on a window of any other height.
    return qMax(2, qCeil(4.0 * window->height() / 1080));
}

void OptionButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, m_back);
    // A raised three-dimensional edge: the button is never left pressed in. One-pixel lines
    // drawn as filled rectangles, which cost the painter a fraction of a line each.
    auto edge = [&](const QRect &b, const QColor &tl, const QColor &br) {
        p.fillRect(b.left(), b.top(), b.width(), 1, tl);
        p.fillRect(b.left(), b.top(), 1, b.height(), tl);
        p.fillRect(b.left(), b.bottom(), b.width(), 1, br);
        p.fillRect(b.right(), b.top(), 1, b.height(), br);
    };
    edge(r.adjusted(0, 0, -1, -1), White, Black);
    edge(r.adjusted(1, 1, -2, -2), Light, Grey);
    if (s_border && m_highlighted) {
        const int w = highlightBorderWidth(window());
        p.fillRect(0, 0, r.width(), w, HighlightBorder);
        p.fillRect(0, r.height() - w, r.width(), w, HighlightBorder);
        p.fillRect(0, 0, w, r.height(), HighlightBorder);
        p.fillRect(r.width() - w, 0, w, r.height(), HighlightBorder);
    }

    const QRect t = r.adjusted(3, 3, -3, -3);
    const int align = Qt::AlignCenter | Qt::TextWordWrap;
    if (isEnabled()) {
        p.setPen(m_fore);
        p.drawText(t, align, drawnText(text()));
    } else {
        p.setPen(White);
        p.drawText(t.translated(1, 1), align, drawnText(text()));
        p.setPen(Grey);
        p.drawText(t, align, drawnText(text()));
    }
}

void OptionButton::keyPressEvent(QKeyEvent *e)
{
    if (m_events)
        m_events->keyDown(m_index, e);
}

void OptionButton::keyReleaseEvent(QKeyEvent *e)
{
    // A held key repeats as press/release pairs: only the real release counts.
    if (m_events && !e->isAutoRepeat())
        m_events->keyUp(m_index, e);
}

void OptionButton::mousePressEvent(QMouseEvent *e)
{
    // The button already has the focus: Qt gives it to a clicked button first.
    if (m_events)
        m_events->mouseDown(m_index, e->button());
}

void OptionButton::mouseDoubleClickEvent(QMouseEvent *)
{
    // Qt delivers the second press of a double click as a press already; the double click
    // itself would be a third.
}

void OptionButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_events)
        m_events->mouseUp(m_index, e->button());
}

void OptionButton::focusInEvent(QFocusEvent *e)
{
    QAbstractButton::focusInEvent(e);
    if (m_events)
        m_events->gotFocus(m_index);
}

void OptionButton::focusOutEvent(QFocusEvent *e)
{
    QAbstractButton::focusOutEvent(e);
    if (m_events)
        m_events->lostFocus(m_index);
}

// ---------------------------------------------------------------- Panel

Panel::Panel(QWidget *parent) : QFrame(parent), m_back(Qt::white)
{
    // The panel covers its whole box: what lies under it (the other overlay frames stacked
    // in the same place) need not be painted again whenever a key is pressed.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Panel::setBackColor(const QColor &c)
{
    m_back = c;
    setAttribute(Qt::WA_OpaquePaintEvent, c.alpha() == 255);
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_back);
    if (m_border) {
        // The etched edge of a frame.
        const QRect r = rect().adjusted(0, 0, -1, -1);
        outline(p, r, Grey);
        outline(p, r.translated(1, 1), White);
    }
}

void Panel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    // The panel's line layer always covers the whole panel.
    for (QObject *o : children())
        if (auto *layer = qobject_cast<LineLayer *>(o))
            layer->setGeometry(rect());
}

// ---------------------------------------------------------------- ShapeWidget

ShapeWidget::ShapeWidget(QWidget *parent) : QWidget(parent) {}

void ShapeWidget::setLook(const QColor &fill, const QColor &border, int borderWidth, bool rounded)
{
    m_fill = fill;
    m_border = border;
    m_width = qMax(1, borderWidth);
    m_rounded = rounded;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const qreal half = m_width / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    // Whole pixels only where a pixel of the widget is one of the screen.
    const QTransform &t = p.deviceTransform();
    const bool wholePixels = m_fill.alpha() == 255 && m_border.alpha() == 255 && t.type() <= QTransform::TxTranslate
                             && t.dx() == qRound(t.dx()) && t.dy() == qRound(t.dy());
    if (!m_rounded && m_width == 1 && wholePixels && qMin(width(), height()) > 1) {
        // The pixels of the outlined rectangle below, filled at a fraction of the cost.
        p.fillRect(rect(), m_border);
        p.fillRect(rect().adjusted(1, 1, -1, -1), m_fill);
        return;
    }
    p.setBrush(m_fill);
    p.setPen(QPen(m_border, m_width));
    if (!m_rounded) {
        p.drawRect(r);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = qMin(r.width(), r.height()) / 8.0;
    // Only the four rounded corners need smoothing: the straight sides and the inside are whole
    // pixels of one colour, filled as rectangles at a fraction of the cost. Each corner is drawn
    // as the whole outline draws it, in a square of its own (c pixels a side), its curve joined
    // to the sides in the same order and closed by lines outside that square. Scaled, the shape
    // is drawn whole.
    const int w = width(), h = height(), c = qCeil(half + radius) + 2, out = c + 2 + m_width;
    if (2 * out > w || 2 * out > h || !wholePixels) {
        p.drawRoundedRect(r, radius, radius);
        return;
    }
    const qreal k = 1 - qreal(0.5522847498); // where a cubic curve's handles put a quarter circle
    const qreal x1 = r.left(), x2 = r.right(), y1 = r.top(), y2 = r.bottom(), e = radius;
    const qreal ox1 = out, ox2 = w - out, oy1 = out, oy2 = h - out;
    struct Corner {
        QRect square;
        QPointF from, side, c1, c2, curved, to, far;
    };
    // Each from one side to the other through the curve, the way the whole outline goes round.
    const Corner corners[] = {
        {{0, 0, c, c}, {x1, oy1}, {x1, y1 + e}, {x1, y1 + k * e}, {x1 + k * e, y1}, {x1 + e, y1}, {ox1, y1}, {ox1, oy1}},
        {{w - c, 0, c, c}, {ox2, y1}, {x2 - e, y1}, {x2 - k * e, y1}, {x2, y1 + k * e}, {x2, y1 + e}, {x2, oy1}, {ox2, oy1}},
        {{w - c, h - c, c, c}, {x2, oy2}, {x2, y2 - e}, {x2, y2 - k * e}, {x2 - k * e, y2}, {x2 - e, y2}, {ox2, y2}, {ox2, oy2}},
        {{0, h - c, c, c}, {ox1, y2}, {x1 + e, y2}, {x1 + k * e, y2}, {x1, y2 - k * e}, {x1, y2 - e}, {x1, oy2}, {ox1, oy2}},
    };
    const QPen pen = p.pen();
    for (const Corner &q : corners) {
        // The corner closed outside its square. Its top-left one begins where the whole outline
        // begins and ends, at the end of the curve: a one-pixel line meets itself there.
        QPainterPath closed(q.from);
        if (&q == corners) {
            closed = QPainterPath(q.curved);
            closed.lineTo(q.to), closed.lineTo(q.far), closed.lineTo(q.from);
        }
        closed.lineTo(q.side), closed.cubicTo(q.c1, q.c2, q.curved);
        if (&q != corners)
            closed.lineTo(q.to), closed.lineTo(q.far), closed.lineTo(q.from);
        p.setClipRect(q.square);
        if (m_width == 1) {
            p.drawPath(closed);
            continue;
        }
        // A wider line is drawn open, without the closing lines' sharp corners to join.
        QPainterPath open(q.from);
        open.lineTo(q.side), open.cubicTo(q.c1, q.c2, q.curved), open.lineTo(q.to);
        p.setPen(Qt::NoPen), p.drawPath(closed), p.setPen(pen);
        p.strokePath(open, pen);
    }
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false); // whole pixels: the same, by the faster way
    const int b = m_width;
    p.fillRect(c, 0, w - 2 * c, b, m_border);
    p.fillRect(c, h - b, w - 2 * c, b, m_border);
    p.fillRect(0, c, b, h - 2 * c, m_border);
    p.fillRect(w - b, c, b, h - 2 * c, m_border);
    p.fillRect(c, b, w - 2 * c, h - 2 * b, m_fill);
    p.fillRect(b, c, c - b, h - 2 * c, m_fill);
    p.fillRect(w - c, c, c - b, h - 2 * c, m_fill);
}

// ---------------------------------------------------------------- LineItem, LineLayer

LineItem::LineItem(QObject *parent, LineLayer *layer, const QColor &color, int width)
    : QObject(parent), m_layer(layer), m_color(color), m_width(width)
{
    layer->add(this);
}

// Moved only when the screen is laid out again, and then all of it is drawn again anyway.
void LineItem::setX1(double v) { m_x1 = v; changed(); }
void LineItem::setY1(double v) { m_y1 = v; changed(); }
void LineItem::setX2(double v) { m_x2 = v; changed(); }
void LineItem::setY2(double v) { m_y2 = v; changed(); }

QRegion LineItem::drawnArea() const
{
    // A slanted line is covered piece by piece: its own box would be most of the panel. Each
    // piece's box grows by the pen's width and a pixel of rounding on every side.
    const QPointF a = Twips::toPixels(QPointF(m_x1, m_y1)), b = Twips::toPixels(QPointF(m_x2, m_y2));
    const int pieces = qMax(1, qCeil(QLineF(a, b).length() / 64));
    const qreal m = m_width / 2.0 + 1;
    QRegion area;
    for (int i = 0; i < pieces; ++i)
        area += QRectF(a + (b - a) * i / pieces, a + (b - a) * (i + 1) / pieces).normalized().adjusted(-m, -m, m, m).toAlignedRect();
    return area;
}

void LineItem::setVisible(bool v)
{
    // Only where the line lies is drawn again, not the whole panel under the layer.
    if (v != m_visible) {
        m_visible = v;
        if (m_layer)
            m_layer->update(drawnArea());
    }
}

void LineItem::changed()
{
    if (m_layer)
        m_layer->update();
}

LineLayer::LineLayer(QWidget *panel) : QWidget(panel)
{
    setGeometry(panel->rect());
}

void LineLayer::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    for (const auto &l : m_lines) {
        if (!l || !l->isVisible())
            continue;
        const QPointF a = Twips::toPixels(QPointF(l->x1(), l->y1())), b = Twips::toPixels(QPointF(l->x2(), l->y2()));
        // A label drawn again under the layer is most often far from every line.
        const qreal m = l->width() / 2.0 + 1;
        if (!QRectF(a, b).normalized().adjusted(-m, -m, m, m).intersects(e->rect()))
            continue;
        p.setPen(QPen(l->color(), l->width(), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(a, b);
    }
}
