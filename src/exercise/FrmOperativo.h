#pragma once
#include "app/Sessione.h"
#include "input/ButtonArray.h"
#include "layout/ControlProportion.h"
#include "screens/Screen.h"
#include <QMainWindow>
#include <array>
#include <cstdint>

class QAction;

// The exercise screen: a session of sheets of ten sums on the chosen table.
class FrmOperativo : public QMainWindow {
    Q_OBJECT
public:
    FrmOperativo();
    ~FrmOperativo() override;

    Screen &screen() { return m_screen; }
    void resizeClient(QSize px);

    // Loading and unloading the screen; the object and its own variables outlive both.
    void Carica();
    void Scarica();
    bool caricato() const { return m_caricato; }

    // The session
    void AzzeraSessione();
    void NuovaScheda();
    void EstraiOrdine();
    void MostraRiga(int g);
    void DisabilitaRiquadri();

    // Answer entry and checking
    void PremiTasto(int Index);
    void VerificaRisposta();
    void AbilitaRisposta();
    void AbilitaFineScheda();
    void lblRisultato_Change(int Index);

    // Help, intervention, warning
    void PosizionaRiquadri();
    void SiSi();
    void NoNo();
    void optOK_Conferma();
    void ControllaAvviso();
    void Stampa();

    // The screen's own variables
    int16_t RigaCorrente = 0;
    int16_t Addendo = 0;
    std::array<QString, 12> Estratto;
    int16_t ContaNo = 0;
    bool BloccoSpazioTastierino = false;
    bool BloccoTastoTastierino = false;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void Form_Load();
    void Form_Resize();
    void rendiAttivo(const char *frame); // the overlay rule: one active frame, in front
    void armaRiga(int r);
    void disarmaRiga(int r);
    VbLabel *cella(int r) { return m_screen.label("lblRisultato", r); }
    void mostraRisposta(); // the current cell shows Risposta, or "?"

    // The buttons' key tables and the menus
    void preparaPulsanti();
    bool Option1_KeyDown(int Index, int KeyCode);
    bool Option3_KeyDown(int Index, int KeyCode);
    bool optAvviso_KeyDown(int Index, int KeyCode);
    void ScriviCifra(int d);
    void CancellaCifra();
    void mnuInfo_Click();
    void mnuIstruzioni_Click();
    void MnuStampaEsercizio_Click();

    Screen m_screen;
    ControlProportions m_proportions;
    ButtonArray Option1;
    ButtonArray Option3;
    ButtonArray optAvviso;
    ButtonArray optOK;
    QAction *MnuStampaEsercizio = nullptr;
    QAction *mnuInfo = nullptr;
    QAction *mnuIstruzioni = nullptr;
    Casuale m_casuale;
    bool m_caricato = false;
};
