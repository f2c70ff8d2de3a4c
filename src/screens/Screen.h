#pragma once
#include "screens/Controls.h"
#include "screens/ScreenDef.h"
#include <QRectF>
#include <QString>
#include <vector>

// Turns a screen definition into widgets inside a client area, and keeps the screen's
// control collection: every control, in the definition's fixed order, with its place in
// twips. Positions are always set through place(), so the twips are what a reader of
// Left/Top/Width/Height gets, and the pixels follow from them.
class Screen {
public:
    struct Item {
        const Def::Control *def = nullptr;
        QWidget *widget = nullptr;  // nullptr for a line
        LineItem *line = nullptr;   // only for a line
        QRectF twips;               // Left, Top, Width, Height relative to the container
    };

    void build(const Def::Screen &def, QWidget *client);
    // Puts every control back as the design has it: a fresh load of the screen.
    void restoreDesign();

    const Def::Screen &definition() const { return *m_def; }
    QWidget *client() const { return m_client; }
    std::vector<Item> &items() { return m_items; }
    const std::vector<Item> &items() const { return m_items; }

    Item &item(const char *name, int index = -1);
    const QRectF &twips(const char *name, int index = -1) { return item(name, index).twips; }
    void place(Item &it, const QRectF &twips);

    template <class T> T *get(const char *name, int index = -1)
    {
        return static_cast<T *>(item(name, index).widget);
    }
    LineItem *line(const char *name, int index) { return item(name, index).line; }
    VbLabel *label(const char *name, int index = -1) { return get<VbLabel>(name, index); }
    OptionButton *button(const char *name, int index = -1) { return get<OptionButton>(name, index); }
    Panel *panel(const char *name) { return get<Panel>(name); }

    static QString objectName(const Def::Control &c);
    static QFont font(const Def::Font &f);
    // The family to draw a face in (nullptr: the toolkit's default): the face, else Arial, else
    // its metric twin, whichever the machine has first.
    static QStringList families(const char *face);

private:
    void restack();
    const Def::Screen *m_def = nullptr;
    QWidget *m_client = nullptr;
    std::vector<Item> m_items;
};
