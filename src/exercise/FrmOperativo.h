#pragma once
#include "exercise/Esercizio.h"
#include "input/ButtonArray.h"
#include "layout/ControlProportion.h"
#include "screens/Screen.h"
#include <QMainWindow>

class QAction;

// The exercise screen: shows what the session says and hands it the pupil's presses. The
// object outlives its window: closing the screen and opening it again keeps the keypad's press
// flags and the session's count of "NO" answers.
class FrmOperativo : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmOperativo(Esercizio &esercizio);
    ~FrmOperativo() override;

    Screen &screen() { return m_screen; }
    // Shows the client area at the given size in pixels (the window grows by the menu bar).
    void resizeClient(QSize px);

    // Loading opens a fresh session and shows the screen maximized; a loaded screen only
    // comes to the front.
    void load();
    void unload();
    bool loaded() const { return m_loaded; }

    // The keypad's press flags: a held key acts once. This object lives as long as the program,
    // so they outlive the window, as the keypad's rules want: closing the screen and opening it
    // again keeps them.
    bool BloccoSpazioTastierino = false;
    bool BloccoTastoTastierino = false;

signals:
    void closed();                // the start screen, underneath, is the active window again
    void authorRequested();       // "Autore": the author screen, modal
    void instructionsRequested(); // "Istruzioni": the instructions screen, modal

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void Form_Load();
    void Form_Resize();
    void PosizionaRiquadri();
    void mnuInfo_Click();
    void mnuIstruzioni_Click();

    // What the session shows.
    void showTable();
    void showRow(int g);
    void showCell(int g);
    void showKeys();
    void showFrames();
    void showFocus();

    Esercizio &m_esercizio;
    Screen m_screen;
    ControlProportions m_proportions;
    ButtonArray Option1;
    ButtonArray Option3;
    ButtonArray optAvviso;
    ButtonArray optOK;
    QAction *MnuStampaEsercizio = nullptr;
    QAction *mnuInfo = nullptr;
    QAction *mnuIstruzioni = nullptr;
    bool m_loaded = false;
};
