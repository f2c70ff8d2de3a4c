#pragma once
#include <QSizeF>
#include <vector>

class Screen;

// A control's place as fractions of the window's client area, taken once when the screen
// loads and never updated, so that resizing again and again cannot drift.
struct ControlProportion {
    float WidthRatio = 0;
    float HeightRatio = 0;
    float TopRatio = 0;
    float LeftRatio = 0;
};

using ControlProportions = std::vector<ControlProportion>;

// Capture against the design client size (twips). Lines keep zeros: they have no box.
ControlProportions captureProportions(const Screen &screen);

// Re-places every control but the lines for a client area of the given size in twips.
void replaceControls(Screen &screen, const ControlProportions &proportions, QSizeF clientTwips);
