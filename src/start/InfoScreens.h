#pragma once
#include "input/ButtonArray.h"
#include "screens/Screen.h"
#include <QDialog>
#include <memory>

// A small information window of fixed size, made afresh from its design at every opening: the
// author screen or the instructions screen. "C h i u d i" is its only control that takes the
// focus; Enter, SPACE or any mouse button on it closes the window, and so does the close box.
class InfoScreen : public QDialog {
public:
    static std::unique_ptr<InfoScreen> frmAutore(QWidget *opener);
    static std::unique_ptr<InfoScreen> frmIstruzioni(QWidget *opener);

    Screen &screen() { return m_screen; }
    // The author's web address and e-mail address as the author screen shows them: those set
    // when the program was built (CALCOLINO_SITO, CALCOLINO_EMAIL), else nothing invented.
    static QString authorSite();
    static QString authorEmail();
    // Shows the window modally, centred on the screen, and returns when it has closed; the
    // screen that waited is then the active window again.
    void showModal();
    void Command1_Click() { done(0); }

protected:
    // Keys that reach the window itself (none of its labels takes one) close nothing: only the
    // close button does, so Esc does not.
    void keyPressEvent(QKeyEvent *e) override;

private:
    InfoScreen(const Def::Screen &def, QWidget *opener);
    Screen m_screen;
    ButtonArray Command1;
};
