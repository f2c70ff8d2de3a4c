#pragma once

// The exercise screen's keypad, Option1(0) to Option1(13): the digits 0 to 9, then these.
namespace Keypad {
enum Button : int { Cancella = 10, Invio = 11, NuovaTabella = 12, Esco = 13, Buttons = 14 };
}
