#include "screens/Screen.h"
#include "screens/Twips.h"
#include "screens/Accessibility.h"
#include <QWidget>
#include <cstring>
#include <map>

using Def::Kind;

QString Screen::objectName(const Def::Control &c)
{
    return c.index < 0 ? QString::fromLatin1(c.name) : QStringLiteral("%1_%2").arg(QLatin1String(c.name)).arg(c.index);
}

void Screen::build(const Def::Screen &def, QWidget *client)
{
    m_def = &def;
    m_client = client;
    // The client area shows the screen's background colour.
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Def::color(def.backColor));
    client->setPalette(pal);
    m_items.reserve(def.controls.size());
    std::map<std::string, QWidget *> containers;
    std::map<QWidget *, LineLayer *> layers;

    for (const Def::Control &c : def.controls) {
        QWidget *parent = c.container ? containers.at(c.container) : client;
        Item it;
        it.def = &c;
        switch (c.kind) {
        case Kind::Label: it.widget = new VbLabel(parent); break;
        case Kind::OptionButton:
        case Kind::PushButton: it.widget = new OptionButton(parent); break;
        case Kind::Frame: it.widget = new Panel(parent); break;
        case Kind::Shape: it.widget = new ShapeWidget(parent); break;
        case Kind::Line: {
            LineLayer *&layer = layers[parent];
            if (!layer)
                layer = new LineLayer(parent);
            it.line = new LineItem(parent, layer, Def::color(c.foreColor), c.borderWidth);
            it.line->setObjectName(objectName(c));
            break;
        }
        }
        if (it.widget) {
            it.widget->setObjectName(objectName(c));
            if (c.kind == Kind::Frame)
                containers[c.name] = it.widget;
        }
        m_items.push_back(it);
    }
    restoreDesign();
    Accessibility::apply(QString::fromLatin1(def.name), client);
}

Screen::Item &Screen::item(const char *name, int index)
{
    for (Item &it : m_items)
        if (it.def->index == index && std::strcmp(it.def->name, name) == 0)
            return it;
    qFatal("no control %s(%d)", name, index);
}

void Screen::place(Item &it, const QRectF &twips)
{
    it.twips = twips;
    if (it.widget)
        it.widget->setGeometry(Twips::toPx(twips));
}

void Screen::restoreDesign()
{
    for (Item &it : m_items) {
        const Def::Control &c = *it.def;
        const QColor fore = Def::color(c.foreColor), back = Def::color(c.backColor);
        const QString caption = QString::fromUtf8(c.caption);
        if (it.line) { // placed by the screen that has lines, once its controls are in place
            it.line->setVisible(!(c.flags & Def::Hidden));
            continue;
        }
        QWidget *w = it.widget;
        place(it, QRectF(c.left, c.top, c.width, c.height));
        switch (c.kind) {
        case Kind::Label: {
            auto *l = static_cast<VbLabel *>(w);
            l->setFont(font(c.font));
            l->setLook(c.flags & Def::Opaque, c.flags & Def::Border, c.flags & Def::Centre);
            l->setForeColor(fore);
            l->setBackColor(back);
            l->setText(caption); // the design caption raises no change event
            break;
        }
        case Kind::OptionButton:
        case Kind::PushButton: {
            auto *b = static_cast<OptionButton *>(w);
            b->setFont(font(c.font));
            b->setText(caption);
            b->setForeColor(fore);
            b->setBackColor(back);
            break;
        }
        case Kind::Frame: {
            auto *p = static_cast<Panel *>(w);
            p->setBackColor(back);
            p->setBordered(c.flags & Def::Border);
            break;
        }
        case Kind::Shape:
            static_cast<ShapeWidget *>(w)->setLook(back, fore, c.borderWidth, c.flags & Def::Rounded);
            break;
        case Kind::Line: break;
        }
        w->setEnabled(!(c.flags & Def::Disabled));
        w->setVisible(!(c.flags & Def::Hidden));
    }
    restack();
}

void Screen::restack()
{
    // Within a container, buttons and panels stand over labels, shapes and lines; within
    // each of the two groups a control listed earlier stands in front. Raising back to
    // front leaves the frontmost on top.
    auto heavy = [](Kind k) { return k == Kind::OptionButton || k == Kind::PushButton || k == Kind::Frame; };
    for (int pass = 0; pass < 2; ++pass) {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (heavy(it->def->kind) != (pass == 1))
                continue;
            if (it->widget) {
                it->widget->raise();
            } else if (it->line) {
                for (QObject *o : it->line->parent()->children())
                    if (auto *layer = qobject_cast<LineLayer *>(o))
                        layer->raise();
            }
        }
    }
    // Tab order of the controls that can take the focus, as the design numbers them.
    std::vector<const Item *> focusable;
    for (const Item &it : m_items)
        if (it.widget && it.def->tabIndex >= 0 && (it.def->kind == Kind::OptionButton || it.def->kind == Kind::PushButton))
            focusable.push_back(&it);
    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const Item *a, const Item *b) { return a->def->tabIndex < b->def->tabIndex; });
    for (size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1]->widget, focusable[i]->widget);
}
