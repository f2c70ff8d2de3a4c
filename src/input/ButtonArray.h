#pragma once
#include "input/KeyTables.h"
#include "screens/Controls.h"
#include <QColor>
#include <QPointer>
#include <functional>
#include <vector>

// One array of push-button-style option buttons worked three ways: by keyboard (the array's
// key table), by manual scanning (SPACE moves the focus to the next button of the array,
// Enter confirms) and by any mouse button, on the press. The arrays differ only in what is
// configured here.
class ButtonArray : public ButtonEvents {
public:
    struct Rules {
        // Press flags make a held key act once: while one is set, the handler that sets it
        // does nothing until a key or mouse button is released over a button of the array.
        // Null where the array has none; they live in the screen that owns the array.
        bool *spaceFlag = nullptr;
        bool *keyFlag = nullptr;
        bool scanSkipsDisabled = true;
        bool everyKey = false; // no key is kept from the array, Tab included
        bool focusColours = true; // the focus shows through BackColor
        bool spaceConfirms = false; // a lone close button: SPACE confirms, like Enter

        // The kinds of array the screens have.
        // Keypad, start screen, print screen: press flags.
        static Rules guarded(bool *space, bool *key)
        {
            Rules r;
            r.spaceFlag = space;
            r.keyFlag = key;
            return r;
        }
        // A pair of choices on an overlay ("SI"/"NO", "Stampa"/"Ricomincia"): no press flags,
        // both always enabled.
        static Rules pair()
        {
            Rules r;
            r.scanSkipsDisabled = false;
            return r;
        }
        // The intervention's "OK": any key at all confirms it, and it keeps its own colour.
        static Rules anyKey()
        {
            Rules r;
            r.scanSkipsDisabled = false;
            r.everyKey = true;
            r.focusColours = false;
            return r;
        }
        // The lone close button of an information screen, in its own colour.
        static Rules closeButton()
        {
            Rules r;
            r.focusColours = false;
            r.spaceConfirms = true;
            return r;
        }
    };

    // The key table (input/KeyTables.h) says what each key does; the array moves the focus
    // itself and leaves confirming, and the owner's own actions, to the owner.
    using KeyTable = KeyTables::Effect (*)(int keyCode);
    using Action = std::function<void(int index)>;

    ButtonArray(Rules rules, KeyTable keyTable, Action confirm, Action own = {});
    // The buttons outlive the array in their window: they are told that nobody listens now.
    ~ButtonArray() override;
    void setButtons(std::vector<OptionButton *> buttons);
    OptionButton *button(int i) const { return m_buttons.at(size_t(i)); }
    int count() const { return int(m_buttons.size()); }

    // Moves the focus to button i; false when it cannot take it (disabled, or its panel is).
    bool focus(int i) const;
    // SPACE's round: the button after button `index`, passing over the disabled ones where the
    // array skips them. scanStep() moves the focus there; neither reads nor sets a press flag,
    // so automatic scanning follows SPACE's order exactly without holding back the pupil's keys.
    int nextInScan(int index) const;
    void scanStep(int index) const;
    // While automatic scanning waits, the highlight is taken off the focused button: no button
    // looks chosen, so nobody expects the next press to act on one.
    void showPaused(int index, bool paused);
    bool showsFocus() const { return m_rules.focusColours; }
    KeyTable keyTable() const { return m_keyTable; }

    // ButtonEvents
    void gotFocus(int index) override;
    void lostFocus(int index) override;
    void keyDown(int index, QKeyEvent *e) override;
    void keyUp(int index, QKeyEvent *e) override;
    void mouseDown(int index, Qt::MouseButton button) override;
    void mouseUp(int index, Qt::MouseButton button) override;
    bool takesEveryKey(int) const override { return m_rules.everyKey; }
    void activate(int index) override;

private:
    bool act(int index, const KeyTables::Effect &e); // false: the key is discarded
    void scan(int index);
    void clearFlags();
    Rules m_rules;
    KeyTable m_keyTable;
    Action m_confirm;
    Action m_own;
    std::vector<OptionButton *> m_buttons;
    std::vector<QPointer<OptionButton>> m_alive;
};
