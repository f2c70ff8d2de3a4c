#include "input/KeyCodes.h"
#include <QKeyEvent>

namespace KeyCode {

namespace {
// With Shift held a digit key reports its symbol ('!', '"', ...); the pupil still pressed a
// digit key, so look at which physical key it was: X11 and Wayland give its keycode.
int shiftedDigit(const QKeyEvent *e)
{
    const quint32 sc = e->nativeScanCode(); // 10 is '1' ... 18 is '9', 19 is '0'
    return sc >= 10 && sc <= 19 ? Digit0 + int((sc - 9) % 10) : 0;
}

// With Num Lock off the keypad's digit keys report what is printed under the digit; the pupil
// still pressed the digit, and the keypad may be the only keyboard there is.
int padDigitWithoutNumLock(int key)
{
    static const int keys[10] = {Qt::Key_Insert, Qt::Key_End,   Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
                                 Qt::Key_Clear,  Qt::Key_Right, Qt::Key_Home, Qt::Key_Up,       Qt::Key_PageUp};
    for (int d = 0; d < 10; ++d)
        if (keys[d] == key)
            return Pad0 + d;
    return 0;
}

// The keypad's keys by their XKB keysym, which X11 and Wayland give as the native virtual key:
// Qt marks them with the keypad modifier on X11 only.
bool fromKeypad(const QKeyEvent *e)
{
    const quint32 sym = e->nativeVirtualKey(); // KP_Space 0xff80 ... KP_9 0xffb9
    return (e->modifiers() & Qt::KeypadModifier) || (sym >= 0xff80 && sym <= 0xffb9);
}
}

int of(const QKeyEvent *e)
{
    const int k = e->key();
    const bool pad = fromKeypad(e);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return (pad ? Pad0 : Digit0) + (k - Qt::Key_0);
    if (pad) {
        if (const int digit = padDigitWithoutNumLock(k))
            return digit;
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return k; // Qt reports the upper-case letter, with or without Shift
    switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return Enter;
    case Qt::Key_Space: return Space;
    case Qt::Key_Backspace: return Backspace;
    case Qt::Key_Left: return Left;
    case Qt::Key_Up: return Up;
    case Qt::Key_Right: return Right;
    case Qt::Key_Down: return Down;
    case Qt::Key_F2: return F2;
    case Qt::Key_Asterisk:
        if (pad)
            return PadMultiply;
        break;
    default: break;
    }
    return pad ? 0 : shiftedDigit(e);
}

}
