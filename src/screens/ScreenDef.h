#pragma once
#include <QColor>
#include <QIcon>
#include <QString>
#include <vector>

// A screen as it is designed: every control written once, with its twip geometry relative
// to its container, its caption, font and colours. Colours are kept as the designer wrote
// them, 0x00BBGGRR; 0x800000nn names a desktop colour.
namespace Def {

enum class Kind {
    Label,        // caption only; a change of caption is an event
    OptionButton, // graphical-style option button used as a push button
    PushButton,   // plain command button (the small information screens)
    Frame,        // panel that holds other controls
    Shape,        // filled rectangle, plain or rounded
    Line,         // straight line; its end points are set at run time
};

enum Flag : unsigned {
    None = 0,
    Opaque = 1 << 0,    // label paints its BackColor (otherwise transparent)
    Border = 1 << 1,    // plain one-line border (labels) or frame border (panels)
    Centre = 1 << 2,    // caption centred horizontally
    Hidden = 1 << 3,    // Visible False at load
    Disabled = 1 << 4,  // Enabled False at load
    Rounded = 1 << 5,   // shape: rounded rectangle
};

struct Font {
    const char *face = nullptr; // nullptr: the toolkit's default font
    double points = 0;
    bool bold = false;
};

constexpr unsigned WindowText = 0x80000008u;
constexpr unsigned ButtonText = 0x80000012u;
constexpr unsigned ButtonFace = 0x8000000Fu;

// The colours the screens share.
constexpr unsigned Rest = 0x00C0E0FF;   // RGB(255,224,192): buttons at rest, the screens' background
constexpr unsigned Focus = 0x0080C0FF;  // RGB(255,192,128): the button that has the focus
constexpr unsigned Cell = 0x00A8EBFF;   // RGB(255,235,168): an answer cell
constexpr unsigned Yellow = 0x0000FFFF; // an answer cell after a wrong answer

struct Control {
    const char *name;
    int index;             // element of a control array, or -1
    Kind kind;
    const char *container; // name of the holding frame, nullptr for the client area
    int left, top, width, height;
    const char *caption;
    Font font;
    unsigned foreColor;    // text colour; for shapes and lines the border colour
    unsigned backColor;    // fill colour
    unsigned flags;
    int tabIndex;          // -1 where the control takes no focus
    int borderWidth;       // shapes and lines
};

struct Screen {
    const char *name;
    const char *caption;
    int clientWidth, clientHeight; // twips
    unsigned backColor;
    std::vector<Control> controls; // the screen's fixed enumeration order
};

// Converts a designer's colour, desktop colours included.
QColor color(unsigned vb);

// A table's name as the start screen shows it: "Tabella dello 0", "Tabella dell' 1", ...
// "Tabella del 10" (the spacing around the apostrophes differs between 1 and 8). Empty
// outside 0..10.
QString tableName(int n);

// The window icon of both main screens.
QIcon windowIcon();

const Screen &frmInizio();
const Screen &frmOperativo();
const Screen &frmIstruzioni();
const Screen &frmAutore();
}
