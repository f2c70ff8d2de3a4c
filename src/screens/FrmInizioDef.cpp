#include "screens/ScreenDef.h"

namespace Def {

namespace {
constexpr unsigned Red = 0x000000C0;
constexpr unsigned Navy = 0x00800000;
constexpr Font Arial18B{"Arial", 18, true};
constexpr Font TableBtn{"Arial", 15.75, true};
constexpr Font CommandBtn{"MS Sans Serif", 18, true};

Control table(int i, int left, int top, int width, int height)
{
    static const char *const caps[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    return {"Option1", i, Kind::OptionButton, "frame1", left, top, width, height, caps[i],
            TableBtn, Navy, Rest, None, 9 + i, 0};
}

Control command(int i, const char *caption, int top, int tabIndex)
{
    return {"Option2", i, Kind::OptionButton, "Frame2", 90, top, 3945, 630, caption,
            CommandBtn, Navy, Rest, None, tabIndex, 0};
}
}

const Screen &frmInizio()
{
    static const Screen s{
        "FrmInizio", "Calcolino", 11880, 8310, Rest,
        {
            // name, index, kind, container, left, top, width, height, caption, font, fore, back, flags, tab, border
            {"frmTitolo", -1, Kind::Frame, nullptr, 0, 0, 11745, 2295, "", {}, ButtonText, Rest, None, 2, 0},
            {"frame1", -1, Kind::Frame, nullptr, 1980, 4485, 4125, 2805, "", {}, ButtonText, Rest, None, 8, 0},
            {"Frame2", -1, Kind::Frame, nullptr, 6675, 4485, 4125, 2805, "", {}, ButtonText, Rest, None, 21, 0},
            {"Label1", -1, Kind::Label, nullptr, 585, 2625, 8925, 645, "Tabella ", Arial18B, Red, Rest, None, -1, 0},
            {"Label5", -1, Kind::Label, nullptr, 420, 7515, 5340, 465, "Il nuovo software di Zubello", Arial18B, Red, Rest, Opaque, -1, 0},
            // The title band, front to back: two framed boxes, each over a shadow twin.
            {"Label4", -1, Kind::Label, "frmTitolo", 315, 330, 7800, 1395, "TABELLA: sommarello", {"Arial", 27.75, true}, 0x00800000, Rest, Opaque | Centre, -1, 0},
            {"Label7", -1, Kind::Label, "frmTitolo", 8730, 405, 2250, 1140, "", {"Arial", 9.75, true}, 0x00C00000, Rest, None, -1, 0},
            {"Shape2", -1, Kind::Shape, "frmTitolo", 90, 60, 8160, 1875, "", {}, WindowText, Rest, Rounded, -1, 1},
            {"Shape1", -1, Kind::Shape, "frmTitolo", 90, 90, 8220, 1935, "", {}, WindowText, Focus, Rounded, -1, 2},
            {"Shape3", -1, Kind::Shape, "frmTitolo", 8385, 60, 3120, 1875, "", {}, WindowText, Rest, Rounded, -1, 1},
            {"Shape4", -1, Kind::Shape, "frmTitolo", 8340, 30, 3180, 1935, "", {}, WindowText, 0x00C00000, Rounded, -1, 1},
            table(0, 135, 225, 1230, 585),
            table(1, 1425, 225, 1230, 585),
            table(2, 2715, 225, 1230, 585),
            table(3, 135, 825, 1230, 585),
            table(4, 1425, 825, 1230, 585),
            table(5, 2715, 825, 1230, 585),
            table(6, 135, 1425, 1230, 585),
            table(7, 1425, 1425, 1230, 585),
            table(8, 2715, 1425, 1230, 585),
            table(9, 135, 2025, 1860, 630),
            table(10, 2085, 2025, 1860, 630),
            // The command column is reached from the bottom up by Tab.
            command(0, "Vai", 150, 24),
            command(1, "Ripristina", 975, 23),
            command(2, "Esci", 1740, 22),
        }};
    return s;
}

QString tableName(int n)
{
    static const char *const names[] = {
        "Tabella dello 0", "Tabella dell' 1", "Tabella del 2", "Tabella del 3", "Tabella del 4", "Tabella del 5",
        "Tabella del 6", "Tabella del 7", "Tabella dell'8", "Tabella del 9", "Tabella del 10",
    };
    return n >= 0 && n <= 10 ? QString::fromUtf8(names[n]) : QString();
}

}
