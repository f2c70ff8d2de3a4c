#pragma once

// What each key does on each array of buttons, by key code (input/KeyCodes.h). A key that a
// table does not name is discarded: the button never sees it and the press flag is not set.
namespace KeyTables {

struct Effect {
    enum Kind {
        Discard,    // not for this array
        LetThrough, // taken, does nothing here
        FocusOn,    // the focus to button `index`
        Confirm,    // the focused button is confirmed, as by the mouse
        Own,        // the array's owner acts on `index` (the keypad types a digit, takes one back)
    };
    Kind kind = Discard;
    int index = -1;
    int needsEnabled = -1; // the key acts only while this button is enabled (it is taken anyway)
};

Effect keypad(int keyCode);        // frmOperativo, Option1: Own with a digit, or with 10 to take one back
Effect helpOffer(int keyCode);     // frmOperativo, Option3: "SI", "NO"
Effect warning(int keyCode);       // frmOperativo, optAvviso: "Stampa", "Ricomincia"
Effect anyKey(int keyCode);        // frmOperativo, optOK: every key confirms
Effect tables(int keyCode);        // FrmInizio, Option1: the tables 0 to 10
Effect commands(int keyCode);      // FrmInizio, Option2: "Vai", "Ripristina", "Esci"
Effect closeButton(int keyCode);   // frmIstruzioni and frmAutore, Command1
Effect printCommands(int keyCode); // frmStampa: "Stampa", "Salva PDF", "Chiudi"
}
