#include "screens/ScreenDef.h"

namespace Def {

namespace {
constexpr unsigned Cyan = 0x00FFFFC0;      // both windows' background
constexpr unsigned CloseFace = 0x00FFFF80; // the close button
constexpr unsigned Address = 0x00C00000;   // web and e-mail addresses
constexpr Font Text{"Arial", 9.75, true};
constexpr Font Heading{"Arial", 18, false};
constexpr Font AddressFont{"Arial", 18, true};
constexpr Font CloseFont{"Arial", 12, false};
constexpr const char *Chiudi = "C h i u d i";
}

const Screen &frmIstruzioni()
{
    static const Screen s{
        "frmIstruzioni", "ISTRUZIONI", 9000, 5745, Cyan,
        {
            // name, index, kind, container, left, top, width, height, caption, font, fore, back, flags, tab, border
            // The caption is replaced by the instructions text when the window loads.
            {"Label1", -1, Kind::Label, nullptr, 420, 240, 7995, 4710, "Label1", Text, ButtonText, Cyan, None, -1, 0},
            {"Command1", -1, Kind::PushButton, nullptr, 2985, 5088, 2700, 624, Chiudi, CloseFont, ButtonText, CloseFace, None, 1, 0},
        }};
    return s;
}

const Screen &frmAutore()
{
    static const Screen s{
        "frmAutore", "Autore", 6975, 3510, Cyan,
        {
            {"Label1", -1, Kind::Label, nullptr, 200, 465, 4455, 435, "Sito dell'autore:", Heading, ButtonText, Cyan, None, -1, 0},
            // The addresses are whoever built the program's, filled in when the window opens.
            {"Label2", -1, Kind::Label, nullptr, 165, 945, 6795, 510, "", AddressFont, Address, Cyan, None, -1, 0},
            {"Label3", -1, Kind::Label, nullptr, 225, 1860, 1350, 435, "Email:", Heading, ButtonText, Cyan, None, -1, 0},
            {"Label4", -1, Kind::Label, nullptr, 180, 2310, 5955, 510, "", AddressFont, Address, Cyan, None, -1, 0},
            {"Command1", -1, Kind::PushButton, nullptr, 1845, 2892, 2700, 564, Chiudi, CloseFont, ButtonText, CloseFace, None, 4, 0},
        }};
    return s;
}
}
