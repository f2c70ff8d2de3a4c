#include "input/ButtonArray.h"
#include "input/KeyCodes.h"
#include "input/PointerGuard.h"
#include "screens/ScreenDef.h"
#include <QKeyEvent>

ButtonArray::ButtonArray(Rules rules, KeyTable keyTable, Action confirm, Action own)
    : m_rules(rules), m_keyTable(keyTable), m_confirm(std::move(confirm)), m_own(std::move(own))
{
    PointerGuard::install();
}

ButtonArray::~ButtonArray()
{
    for (const QPointer<OptionButton> &b : m_alive)
        if (b)
            b->attach(nullptr, 0);
}

void ButtonArray::setButtons(std::vector<OptionButton *> buttons)
{
    m_buttons = std::move(buttons);
    m_alive.assign(m_buttons.begin(), m_buttons.end());
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->attach(this, int(i));
}

bool ButtonArray::focus(int i) const
{
    OptionButton *b = m_buttons.at(size_t(i));
    if (!b->isEnabled())
        return false;
    b->setFocus(Qt::OtherFocusReason);
    return true;
}

void ButtonArray::gotFocus(int index)
{
    // The focus shows by colour alone.
    if (m_rules.focusColours) {
        m_buttons[size_t(index)]->setBackColor(Def::color(Def::Focus));
        m_buttons[size_t(index)]->setHighlighted(true);
    }
}

void ButtonArray::showPaused(int index, bool paused)
{
    if (m_rules.focusColours && m_buttons.at(size_t(index))->hasFocus()) {
        m_buttons[size_t(index)]->setBackColor(Def::color(paused ? Def::Rest : Def::Focus));
        m_buttons[size_t(index)]->setHighlighted(!paused);
    }
}

void ButtonArray::lostFocus(int index)
{
    if (m_rules.focusColours) {
        m_buttons[size_t(index)]->setBackColor(Def::color(Def::Rest));
        m_buttons[size_t(index)]->setHighlighted(false);
    }
}

void ButtonArray::keyDown(int index, QKeyEvent *e)
{
    const int code = KeyCode::of(e);
    // KeyDown: the array's key table, once per press while the flag guards it.
    if (!(m_rules.keyFlag && *m_rules.keyFlag)) {
        if (m_rules.keyFlag)
            *m_rules.keyFlag = true;
        const bool taken = act(index, m_keyTable(code));
        if (!taken && m_rules.keyFlag)
            *m_rules.keyFlag = false;
    }
    // KeyPress: only the space character does anything, the scanning step.
    if (code == KeyCode::Space && !m_rules.everyKey) {
        if (m_rules.spaceConfirms)
            m_confirm(index);
        else
            scan(index);
    }
}

void ButtonArray::scan(int index)
{
    if (m_rules.spaceFlag && *m_rules.spaceFlag)
        return;
    scanStep(index);
    if (m_rules.spaceFlag)
        *m_rules.spaceFlag = true;
}

int ButtonArray::nextInScan(int index) const
{
    const int n = count();
    int next = index;
    // The button that has the key is enabled, so this ends at the latest back on it.
    for (int step = 0; step < n; ++step) {
        next = (next + 1) % n;
        if (!m_rules.scanSkipsDisabled || m_buttons[size_t(next)]->ownEnabled())
            break;
    }
    return next;
}

void ButtonArray::scanStep(int index) const
{
    OptionButton *next = m_buttons[size_t(nextInScan(index))];
    next->setFocus(Qt::OtherFocusReason);
    PointerGuard::reached(next);
}

void ButtonArray::clearFlags()
{
    if (m_rules.spaceFlag)
        *m_rules.spaceFlag = false;
    if (m_rules.keyFlag)
        *m_rules.keyFlag = false;
}

void ButtonArray::keyUp(int, QKeyEvent *)
{
    clearFlags();
}

bool ButtonArray::act(int index, const KeyTables::Effect &e)
{
    using K = KeyTables::Effect::Kind;
    if (e.kind == K::Discard)
        return false;
    if (e.needsEnabled >= 0 && !m_buttons.at(size_t(e.needsEnabled))->ownEnabled())
        return true;
    switch (e.kind) {
    case K::FocusOn:
        if (focus(e.index))
            PointerGuard::reached(m_buttons[size_t(e.index)]);
        break;
    case K::Confirm: m_confirm(index); break;
    case K::Own:
        if (m_own)
            m_own(e.index);
        break;
    default: break;
    }
    return true;
}

void ButtonArray::activate(int index)
{
    // Enter on the button, through the array's key table. A press is not a held key: the
    // press flags neither keep it back nor change.
    act(index, m_keyTable(KeyCode::Enter));
}

void ButtonArray::mouseDown(int index, Qt::MouseButton)
{
    m_confirm(index);
}

void ButtonArray::mouseUp(int, Qt::MouseButton)
{
    clearFlags();
}
