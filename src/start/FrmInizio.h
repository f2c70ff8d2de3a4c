#pragma once
#include "input/ButtonArray.h"
#include "layout/ControlProportion.h"
#include "screens/Screen.h"
#include <QMainWindow>
#include <cstdint>

class QAction;

// The start screen: the pupil picks a table and starts, restores or leaves.
class FrmInizio : public QMainWindow {
    Q_OBJECT
public:
    // The table chosen here is written to NumeroTabella, which the program keeps.
    explicit FrmInizio(int16_t &NumeroTabella);
    ~FrmInizio() override;

    Screen &screen() { return m_screen; }
    // Shows the client area at the given size in pixels (the window grows by the menu bar).
    void resizeClient(QSize px);

    void ScegliTabella(int Index);
    void EseguiComando(int Index);
    void mnuInfo_Click();

    // Press flags of the two arrays: a held key acts once.
    bool BloccoSpazioTabelle = false;
    bool BloccoTastoTabelle = false;
    bool BloccoSpazioComandi = false;
    bool BloccoTastoComandi = false;

signals:
    void tableChosen();       // "Vai" is likely next
    void exerciseRequested(); // "Vai": the exercise screen for NumeroTabella
    void authorRequested();   // "Autore": the author screen, modal
    void unloading();         // the program ends: every other screen goes too
    void settingsRequested(); // Ctrl+Alt with I, M, P, O: the teacher's settings

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void VerificaEsistenzaFile(const QString &FileName);
    void ScaricaTutto();

    Screen m_screen;
    ControlProportions m_proportions;
    ButtonArray Option1;
    ButtonArray Option2;
    int16_t &NumeroTabella;
    QAction *mnuInfo = nullptr;
};
