#pragma once
class QKeyEvent;

// Key codes as the key tables speak of them: main-keyboard digits 48..57, numeric-keypad
// digits 96..105, the keypad's multiply key 106, letters by their upper-case code, Enter 13
// (from either Enter key). 0 for a key no table knows.
namespace KeyCode {
enum : int {
    Backspace = 8, Enter = 13, Space = 32, Left = 37, Up = 38, Right = 39, Down = 40,
    Digit0 = 48, Pad0 = 96, PadMultiply = 106, F2 = 113,
};
int of(const QKeyEvent *e);
inline bool isDigit(int code) { return code >= Digit0 && code <= Digit0 + 9; }
inline bool isPadDigit(int code) { return code >= Pad0 && code <= Pad0 + 9; }
}
