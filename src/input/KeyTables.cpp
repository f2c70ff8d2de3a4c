#include "input/KeyTables.h"
#include "input/KeyCodes.h"
#include "input/Keypad.h"

namespace KeyTables {

namespace {
using K = Effect::Kind;
constexpr Effect discard{K::Discard};
constexpr Effect letThrough{K::LetThrough};
constexpr Effect confirm{K::Confirm};
constexpr Effect focusOn(int i, int needsEnabled = -1) { return {K::FocusOn, i, needsEnabled}; }

// A pair of buttons: a key names the first or the second by its place (1, 2 on either
// keyboard) or by the initial of its caption; Enter confirms.
Effect pair(int keyCode, int firstInitial, int secondInitial)
{
    if (keyCode == firstInitial || keyCode == KeyCode::Digit0 + 1 || keyCode == KeyCode::Pad0 + 1)
        return focusOn(0);
    if (keyCode == secondInitial || keyCode == KeyCode::Digit0 + 2 || keyCode == KeyCode::Pad0 + 2)
        return focusOn(1);
    return keyCode == KeyCode::Enter ? confirm : discard;
}
}

Effect keypad(int keyCode)
{
    // Cancella, Invio, Nuova Tabella and Esco by their initials; the digits type themselves.
    using namespace Keypad;
    if (KeyCode::isDigit(keyCode) || KeyCode::isPadDigit(keyCode)) {
        const int d = keyCode - (KeyCode::isDigit(keyCode) ? KeyCode::Digit0 : KeyCode::Pad0);
        return {K::Own, d, d};
    }
    switch (keyCode) {
    case 'C': return {K::Own, Cancella, Cancella}; // the focus stays where it is
    case 'I': return focusOn(Invio, Invio);
    case 'N': return focusOn(NuovaTabella, NuovaTabella);
    case 'E': return focusOn(Esco, Esco);
    case KeyCode::Enter: return confirm;
    // Taken without an action of ours.
    case KeyCode::Backspace:
    case KeyCode::Left:
    case KeyCode::Up:
    case KeyCode::Right:
    case KeyCode::Down:
    case KeyCode::F2:
    case 'V': return letThrough;
    default: return discard;
    }
}

Effect helpOffer(int keyCode) { return pair(keyCode, 'S', 'N'); }
Effect warning(int keyCode) { return pair(keyCode, 'S', 'R'); }
Effect anyKey(int) { return confirm; }

Effect tables(int keyCode)
{
    // A digit names a table without choosing it; the keypad's multiply key names 10.
    if (KeyCode::isDigit(keyCode))
        return focusOn(keyCode - KeyCode::Digit0);
    if (KeyCode::isPadDigit(keyCode))
        return focusOn(keyCode - KeyCode::Pad0);
    switch (keyCode) {
    case KeyCode::PadMultiply: return focusOn(10);
    case KeyCode::Enter: return confirm;
    case 'S':
    case 'N': return letThrough;
    default: return discard;
    }
}

Effect commands(int keyCode)
{
    // Only 0 and 1 of the main keyboard name a command: "Esci" is reached by scanning or the mouse.
    switch (keyCode) {
    case KeyCode::Digit0: return focusOn(0);
    case KeyCode::Digit0 + 1: return focusOn(1);
    case KeyCode::Enter: return confirm;
    case KeyCode::F2:
    case KeyCode::Backspace:
    case 'A': case 'C': case 'E': case 'N': case 'V': return letThrough;
    default: return KeyCode::isDigit(keyCode) || KeyCode::isPadDigit(keyCode) ? letThrough : discard;
    }
}

Effect closeButton(int keyCode) { return keyCode == KeyCode::Enter ? confirm : discard; }

Effect printCommands(int keyCode)
{
    // The initial letter or the place of a button moves the focus there; Enter confirms.
    switch (keyCode) {
    case 'S': case KeyCode::Digit0 + 1: case KeyCode::Pad0 + 1: return focusOn(0);
    case 'P': case KeyCode::Digit0 + 2: case KeyCode::Pad0 + 2: return focusOn(1);
    case 'C': case KeyCode::Digit0 + 3: case KeyCode::Pad0 + 3: return focusOn(2);
    case KeyCode::Enter: return confirm;
    default: return discard;
    }
}
}
