#pragma once
#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <vector>

// The few kinds of control the screens are made of, drawn the way the designs show them.

// What a button reports to the array it belongs to.
class ButtonEvents {
public:
    virtual ~ButtonEvents() = default;
    virtual void gotFocus(int index) = 0;
    virtual void lostFocus(int index) = 0;
    virtual void keyDown(int index, QKeyEvent *e) = 0;
    virtual void keyUp(int index, QKeyEvent *e) = 0;
    virtual void mouseDown(int index, Qt::MouseButton button) = 0;
    virtual void mouseUp(int index, Qt::MouseButton button) = 0;
    virtual bool takesEveryKey(int) const { return false; }
    // Assistive technology pressed the button (its accessible "Press" action).
    virtual void activate(int index) = 0;
};

// A label. Its caption may hold a lone carriage return, drawn as a line break.
class VbLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ foreColor WRITE setForeColor)
public:
    explicit VbLabel(QWidget *parent = nullptr);
    void setCaption(const QString &caption);
    QString caption() const { return text(); }
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &c);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &c);
    void setLook(bool opaque, bool border, bool centred);
protected:
    void paintEvent(QPaintEvent *) override;
private:
    void coverWhole();
    QColor m_back, m_fore;
    bool m_opaque = false, m_border = false, m_centred = false;
};

// An option button in graphical style, used as a push button: the focus shows only through
// BackColor, and every key and mouse event goes to the array the button belongs to. Any
// mouse button works, on the press. It is never left selected (Value stays False), so it is
// not checkable: assistive technology sees a plain push button, and its "Press" arrives as
// a click.
class OptionButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ foreColor WRITE setForeColor)
public:
    explicit OptionButton(QWidget *parent = nullptr);
    void attach(ButtonEvents *events, int index);
    int index() const { return m_index; }
    ButtonEvents *events() const { return m_events; } // the array it belongs to, if any
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &c);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &c);
    bool ownEnabled() const { return !testAttribute(Qt::WA_Disabled); }
    QSize sizeHint() const override { return size(); }
    // Shown as the one the pupil would choose now: in the focus colour, and with the border if
    // the teacher asked for it, on every screen.
    void setHighlighted(bool h);
    static void setHighlightBorder(bool on);
    static int highlightBorderWidth(const QWidget *window);
    static const QColor HighlightBorder;
protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *) override {}
    // The second press of a double click is not a new press: a shaky hand must not type "55".
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
private:
    void pressedByAssistiveTechnology();
    ButtonEvents *m_events = nullptr;
    int m_index = 0;
    QColor m_back, m_fore;
    bool m_highlighted = false;
    static bool s_border;
};

// A panel that holds other controls, with or without the etched frame border.
class Panel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
public:
    explicit Panel(QWidget *parent = nullptr);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &c);
    void setBordered(bool b) { m_border = b; update(); }
protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *e) override;
private:
    QColor m_back;
    bool m_border = false;
};

class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    explicit ShapeWidget(QWidget *parent = nullptr);
    void setLook(const QColor &fill, const QColor &border, int borderWidth, bool rounded);
protected:
    void paintEvent(QPaintEvent *) override;
private:
    QColor m_fill, m_border;
    int m_width = 1;
    bool m_rounded = false;
};

// A line of a panel: end points in twips of the panel, as the designs and the grid geometry
// speak of them. The panel's LineLayer draws it over the panel's labels and shapes.
class LineItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(double X1 READ x1 WRITE setX1)
    Q_PROPERTY(double Y1 READ y1 WRITE setY1)
    Q_PROPERTY(double X2 READ x2 WRITE setX2)
    Q_PROPERTY(double Y2 READ y2 WRITE setY2)
    Q_PROPERTY(bool visible READ isVisible WRITE setVisible)
public:
    LineItem(QObject *parent, class LineLayer *layer, const QColor &color, int width);
    double x1() const { return m_x1; }
    double y1() const { return m_y1; }
    double x2() const { return m_x2; }
    double y2() const { return m_y2; }
    void setX1(double v);
    void setY1(double v);
    void setX2(double v);
    void setY2(double v);
    bool isVisible() const { return m_visible; }
    void setVisible(bool v);
    QColor color() const { return m_color; }
    int width() const { return m_width; }
private:
    void changed();
    QRegion drawnArea() const; // the pixels of the layer the line may cover
    LineLayer *m_layer;
    QColor m_color;
    int m_width;
    double m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    bool m_visible = true;
};

class LineLayer : public QWidget {
    Q_OBJECT
public:
    explicit LineLayer(QWidget *panel);
    void add(LineItem *line) { m_lines.push_back(line); }
protected:
    void paintEvent(QPaintEvent *) override;
private:
    std::vector<QPointer<LineItem>> m_lines;
};
