#include "screens/ScreenDef.h"

namespace Def {

namespace {
constexpr unsigned Red = 0x000000FF;
constexpr unsigned KeyBlue = 0x00C00000;
constexpr Font Big{"Arial", 36, true};
constexpr Font Sign{"Arial", 15.75, true};
constexpr Font Digit{"Arial", 20.25, true};
constexpr Font Word{"Arial", 18, true};

// Left edges per column: plus sign, addend and answer cell, red bar, equals sign.
constexpr int SegnoLeft[10] = {360, 1380, 2445, 3495, 4620, 5640, 6645, 7740, 8790, 9750};
constexpr int CellLeft[10] = {45, 1095, 2145, 3180, 4230, 5265, 6315, 7350, 8400, 9450};
constexpr int BarLeft[10] = {525, 1545, 2595, 3645, 4695, 5745, 6810, 7845, 8880, 9915};
constexpr int UgualeLeft[10] = {420, 1440, 2490, 3525, 4590, 5640, 6705, 7725, 8775, 9810};

struct Key { const char *caption; int left, top, width, height; bool digit; bool enabled; int tab; };
constexpr Key Keys[14] = {
    {"0", 72, 120, 960, 510, true, true, 0},       {"1", 1056, 120, 960, 510, true, true, 1},
    {"2", 2040, 120, 960, 510, true, true, 2},     {"3", 3015, 120, 960, 510, true, true, 3},
    {"4", 3990, 120, 960, 510, true, true, 4},     {"5", 72, 645, 960, 510, true, true, 5},
    {"6", 1056, 645, 960, 510, true, true, 6},     {"7", 2040, 645, 960, 510, true, true, 7},
    {"8", 3015, 645, 960, 510, true, true, 8},     {"9", 3990, 645, 960, 510, true, true, 9},
    {"Cancella", 75, 1170, 2916, 510, false, true, 11},
    {"Invio", 3012, 1170, 1944, 510, false, false, 10},
    {"Nuova Tabella", 72, 1710, 2916, 510, false, false, 12},
    {"Esco", 3012, 1710, 1956, 510, false, false, 13},
};

std::vector<Control> controls()
{
    std::vector<Control> c = {
        {"Frame1", -1, Kind::Frame, nullptr, 600, 1170, 10644, 4575, "=", {}, ButtonText, Rest, None, -1, 0},
        {"fraTastierino", -1, Kind::Frame, nullptr, 6060, 5865, 5040, 2400, "", {}, ButtonText, Rest, Border, -1, 0},
        {"fraAiuto", -1, Kind::Frame, nullptr, 6360, 5790, 5040, 2400, "", {}, ButtonText, Rest, Border, -1, 0},
        {"fraIntervento", -1, Kind::Frame, nullptr, 4635, 6000, 5040, 2400, "", {}, ButtonText, Rest, Border, -1, 0},
        {"fraAvviso", -1, Kind::Frame, nullptr, 5850, 5955, 5040, 2400, "", {}, ButtonText, Rest, Border, -1, 0},
        {"lblRiferimento", -1, Kind::Label, nullptr, 6090, 5775, 105, 105, "Label5", {"MS Sans Serif", 8.25, false}, ButtonText, ButtonFace, Opaque, -1, 0},
    };
    // The grid, front to back: the red lines and bars are drawn over the labels.
    for (int i = 0; i < 10; ++i)
        c.push_back({"Line2", i, Kind::Line, "Frame1", 0, 0, 0, 0, "", {}, Red, Red, None, -1, 2});
    for (int i = 0; i < 10; ++i)
        c.push_back({"Shape4", i, Kind::Shape, "Frame1", BarLeft[i], i == 2 ? 2535 : 2520, 45, 855, "", {}, Red, Red, None, -1, 1});
    c.push_back({"Label1", -1, Kind::Label, "Frame1", 4752, 24, 1032, 852, "4", Big, WindowText, Rest, Border | Centre, -1, 0});
    static const char *const digits[] = {"?", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int i = 0; i < 10; ++i)
        c.push_back({"lblSegno", i, Kind::Label, "Frame1", SegnoLeft[i], 1275, 285, 300, "+", Sign, Red, Rest, Centre | Hidden, -1, 0});
    for (int i = 0; i < 10; ++i)
        c.push_back({"Label2", i, Kind::Label, "Frame1", CellLeft[i], 1710, 1035, 810, "3", Big, WindowText, Rest, Border | Centre, -1, 0});
    for (int i = 0; i < 10; ++i)
        c.push_back({"lblUguale", i, Kind::Label, "Frame1", UgualeLeft[i], 3315, 285, 285, "=", Sign, Red, Rest, Centre | (i == 0 ? None : Hidden), -1, 0});
    for (int i = 0; i < 10; ++i)
        c.push_back({"lblRisultato", i, Kind::Label, "Frame1", CellLeft[i], 3630, 1035, 810, digits[i], Big, WindowText, Cell, Opaque | Border | Centre, -1, 0});

    for (int i = 0; i < 14; ++i) {
        const Key &k = Keys[i];
        c.push_back({"Option1", i, Kind::OptionButton, "fraTastierino", k.left, k.top, k.width, k.height, k.caption,
                     k.digit ? Digit : Word, KeyBlue, Rest, k.enabled ? None : Disabled, k.tab, 0});
    }
    // Help offer: "SI" is drawn over the lower part of "Ti aiuto ?".
    c.push_back({"Option3", 1, Kind::OptionButton, "fraAiuto", 330, 1530, 4380, 660, "NO", Digit, ButtonText, Rest, None, 75, 0});
    c.push_back({"Option3", 0, Kind::OptionButton, "fraAiuto", 330, 795, 4380, 660, "SI", Digit, ButtonText, Rest, None, 74, 0});
    c.push_back({"LblAiuto", -1, Kind::Label, "fraAiuto", 270, 255, 3825, 855, "Ti aiuto ?", {"Arial", 21.75, true}, ButtonText, Rest, Opaque | Centre, -1, 0});
    // Intervention notice.
    c.push_back({"optOK", -1, Kind::OptionButton, "fraIntervento", 780, 1155, 3330, 840, "OK", Digit, ButtonText, Focus, None, 71, 0});
    c.push_back({"lblIntervento", -1, Kind::Label, "fraIntervento", 210, 300, 4095, 945, "Intervengo io", {"Arial", 26.25, true}, WindowText, Rest, Centre, -1, 0});
    // Warning after 30 rows.
    c.push_back({"optAvviso", 0, Kind::OptionButton, "fraAvviso", 780, 1080, 3330, 585, "Stampa", Digit, ButtonText, Rest, None, 68, 0});
    c.push_back({"optAvviso", 1, Kind::OptionButton, "fraAvviso", 780, 1740, 3330, 585, "Ricomincia", Digit, ButtonText, Rest, None, 67, 0});
    c.push_back({"Label4", 4, Kind::Label, "fraAvviso", 135, 180, 4755, 780, "Se ricominci gli esercizi andranno persi", Sign, ButtonText, Rest, Centre, -1, 0});
    return c;
}
}

const Screen &frmOperativo()
{
    static const Screen s{"frmOperativo", "TABELLA", 11910, 8595, Rest, controls()};
    return s;
}

}
