#include "exercise/FrmOperativo.h"
#include "app/Programma.h"
#include "layout/GridGeometry.h"
#include "layout/Twips.h"
#include "print/FrmStampa.h"
#include "start/FrmInizio.h"
#include <QCloseEvent>
#include <QMenuBar>

using Rules = ButtonArray::Rules;

namespace {
const QColor ColoreCella(255, 235, 168); // answer cell
const QColor Giallo(255, 255, 0);        // a wrong answer was given in this row
const QString Vuoto = QStringLiteral("?");
Sessione &S() { return Programma::sessione; }
}

FrmOperativo::FrmOperativo()
    : Option1(Rules::guardate(&BloccoSpazioTastierino, &BloccoTastoTastierino),
              [this](int i, int k) { return Option1_KeyDown(i, k); }, [this](int i) { PremiTasto(i); }),
      Option3(Rules::coppia(),
              [this](int i, int k) { return Option3_KeyDown(i, k); },
              [this](int i) { i == 0 ? SiSi() : NoNo(); }),
      optAvviso(Rules::coppia(),
                [this](int i, int k) { return optAvviso_KeyDown(i, k); },
                [this](int i) { i == 0 ? Stampa() : AzzeraSessione(); }),
      optOK(Rules::qualsiasiTasto(),
            [this](int, int) { optOK_Conferma(); return true; }, [this](int) { optOK_Conferma(); })
{
    preparaPulsanti();
}

FrmOperativo::~FrmOperativo() = default;

void FrmOperativo::resizeClient(QSize px)
{
    resize(px.width(), px.height() + menuBar()->sizeHint().height());
}

// ---------------------------------------------------------------- loading, resizing, closing

void FrmOperativo::Carica()
{
    if (m_caricato) {
        // Already open: only brought to the front, the session goes on.
        raise();
        activateWindow();
        return;
    }
    Form_Load();
    m_caricato = true;
    showMaximized();
    // Opened again in a window that kept its size, no resize arrives: the design layout that
    // Form_Load put back must still be brought to this size.
    Form_Resize();
    raise();
    activateWindow();
}

void FrmOperativo::Form_Load()
{
    m_screen.restoreDesign();
    m_proportions = captureProportions(m_screen);
    PosizionaLinee(m_screen);
    rendiAttivo("fraTastierino");
    AzzeraSessione();
}

bool FrmOperativo::eventFilter(QObject *o, QEvent *e)
{
    if (o == centralWidget() && e->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(o, e);
}

void FrmOperativo::Form_Resize()
{
    // The size the widget has now: a maximize may report a stale size in its event.
    const QSize px = centralWidget()->size();
    replaceControls(m_screen, m_proportions, Twips::fromPx(px));
    PosizionaLinee(m_screen);
    PosizionaRiquadri();
}

void FrmOperativo::Scarica()
{
    close();
}

void FrmOperativo::closeEvent(QCloseEvent *e)
{
    // Nothing is kept of the session; the screen's own variables stay with the object.
    e->accept();
    if (!m_caricato)
        return;
    m_caricato = false;
    // The start screen, still open underneath, is the active window again.
    FrmInizio *inizio = Programma::frmInizioSeEsiste();
    if (inizio && inizio->isVisible()) {
        inizio->raise();
        inizio->activateWindow();
    }
}

// ---------------------------------------------------------------- the session

void FrmOperativo::DisabilitaRiquadri()
{
    for (const char *f : {"fraAiuto", "fraTastierino", "fraAvviso", "fraIntervento"})
        m_screen.panel(f)->setEnabled(false);
}

void FrmOperativo::rendiAttivo(const char *frame)
{
    DisabilitaRiquadri();
    Panel *p = m_screen.panel(frame);
    p->setEnabled(true);
    p->raise();
}

void FrmOperativo::armaRiga(int r)
{
    S().Risposta.clear();
    cella(r)->setCaption(Vuoto);
    for (const char *n : {"lblSegno", "lblUguale", "Shape4"})
        m_screen.get<QWidget>(n, r)->setVisible(true);
    m_screen.line("Line2", r)->setVisible(true);
}

void FrmOperativo::disarmaRiga(int r)
{
    for (const char *n : {"lblSegno", "lblUguale", "Shape4"})
        m_screen.get<QWidget>(n, r)->setVisible(false);
    m_screen.line("Line2", r)->setVisible(false);
}

void FrmOperativo::AzzeraSessione()
{
    rendiAttivo("fraTastierino");
    S().RigheFatte = 0;
    RigaCorrente = 0;
    S().svuotaRighe();
    NuovaScheda();
}

void FrmOperativo::NuovaScheda()
{
    RigaCorrente = 0;
    for (int k = 0; k <= 10; ++k)
        Estratto[size_t(k)].clear();
    for (int g = 0; g < 10; ++g) {
        cella(g)->setCaption(QString());
        cella(g)->setBackColor(ColoreCella);
        disarmaRiga(g);
    }
    armaRiga(0);
    AbilitaRisposta();
    EstraiOrdine();
}

void FrmOperativo::EstraiOrdine()
{
    m_casuale.reseed(Casuale::orologio());
    for (int g = 0; g < 10; ++g) {
        int k;
        do
            k = int(m_casuale.next() * 10) + 1;
        while (Estratto[size_t(k)] == QLatin1String("si"));
        Estratto[size_t(k)] = QStringLiteral("si");
        Addendo = int16_t(k);
        MostraRiga(g);
    }
}

void FrmOperativo::MostraRiga(int g)
{
    const int n = Programma::NumeroTabella, k = Addendo;
    m_screen.label("Label1")->setCaption(QString::number(n));
    m_screen.label("Label2", g)->setCaption(QString::number(k));
    S().Risultati[size_t(g)] = QLatin1Char(' ') + QString::number(n + k);
    const int slot = Sessione::slotDellaRiga(S().RigheFatte, g);
    if (slot >= 0 && slot < int(S().RigheStampa.size()))
        S().RigheStampa[size_t(slot)] = Sessione::prefisso(n, k);
}

// ---------------------------------------------------------------- answer entry and checking

void FrmOperativo::mostraRisposta()
{
    cella(RigaCorrente)->setCaption(S().Risposta.isEmpty() ? Vuoto : S().Risposta);
}

void FrmOperativo::PremiTasto(int Index)
{
    QString &Risposta = S().Risposta;
    switch (Index) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9:
        Risposta += Option1.button(Index)->text();
        if (Risposta.size() >= 3)
            Risposta.truncate(3); // a fourth digit is dropped
        if (Risposta.startsWith(QLatin1Char('0')))
            Risposta.clear(); // no answer begins with 0
        mostraRisposta();
        break;
    case 10:
        Risposta.chop(1);
        mostraRisposta();
        break;
    case 11: VerificaRisposta(); break;
    case 12: NuovaScheda(); break;
    case 13: Scarica(); break;
    default: break;
    }
}

void FrmOperativo::lblRisultato_Change(int Index)
{
    // "Invio" is there exactly while the cell shows an answer.
    Option1.button(11)->setEnabled(cella(Index)->caption() != Vuoto);
}

void FrmOperativo::VerificaRisposta()
{
    const int r = RigaCorrente;
    S().aggiungi(S().RigheFatte, S().Risposta + QStringLiteral("  "));
    if (S().Risposta.trimmed() == S().Risultati[size_t(r)].trimmed()) {
        S().Risposta.clear();
        disarmaRiga(r);
        RigaCorrente = int16_t(r + 1);
        ++S().RigheFatte;
        ControllaAvviso();
        if (RigaCorrente >= 10) {
            RigaCorrente = 0;
            AbilitaFineScheda();
            return;
        }
        AbilitaRisposta();
        armaRiga(RigaCorrente);
    } else {
        cella(r)->setBackColor(Giallo);
        rendiAttivo("fraAiuto");
        Option3.focus(0);
    }
}

void FrmOperativo::AbilitaRisposta()
{
    for (int i = 0; i <= 10; ++i)
        Option1.button(i)->setEnabled(true);
    Option1.button(11)->setEnabled(cella(RigaCorrente)->caption() != Vuoto);
    Option1.button(12)->setEnabled(false);
    Option1.button(13)->setEnabled(false);
    Option1.focus(0); // dropped when the keypad is not the active overlay
}

void FrmOperativo::AbilitaFineScheda()
{
    for (int i = 0; i <= 11; ++i)
        Option1.button(i)->setEnabled(false);
    Option1.button(12)->setEnabled(true);
    Option1.button(13)->setEnabled(true);
    Option1.focus(12);
}

// ---------------------------------------------------------------- help, intervention, warning

void FrmOperativo::PosizionaRiquadri()
{
    const QRectF &ref = m_screen.twips("lblRiferimento");
    for (const char *f : {"fraAiuto", "fraTastierino", "fraAvviso", "fraIntervento"}) {
        Screen::Item &it = m_screen.item(f);
        m_screen.place(it, QRectF(ref.left(), ref.top(), it.twips.width(), it.twips.height()));
    }
}

void FrmOperativo::SiSi()
{
    const int r = RigaCorrente;
    cella(r)->setCaption(S().Risultati[size_t(r)]);
    S().aggiungi(S().RigheFatte, S().Risultati[size_t(r)]);
    rendiAttivo("fraTastierino");
    disarmaRiga(r);
    RigaCorrente = int16_t(r + 1);
    // The check comes before the count grows: help on the 30th row brings the warning with
    // the 31st (or at once through the intervention, which checks again).
    ControllaAvviso();
    const bool fine = RigaCorrente >= 10;
    if (!fine) {
        AbilitaRisposta();
    } else {
        RigaCorrente = 0;
        AbilitaFineScheda();
    }
    ++S().RigheFatte;
    if (!fine)
        armaRiga(RigaCorrente);
}

void FrmOperativo::NoNo()
{
    ++ContaNo;
    if (ContaNo < 3) {
        rendiAttivo("fraTastierino");
        armaRiga(RigaCorrente);
        AbilitaRisposta();
    } else {
        ContaNo = 0;
        rendiAttivo("fraIntervento");
        optOK.focus(0);
        optOK.button(0)->setChecked(false);
    }
}

void FrmOperativo::optOK_Conferma()
{
    optOK.button(0)->setChecked(false);
    SiSi();
    rendiAttivo("fraTastierino");
    if (RigaCorrente == 0)
        AbilitaFineScheda(); // the help ended the sheet
    else
        AbilitaRisposta();
    ControllaAvviso();
}

void FrmOperativo::ControllaAvviso()
{
    if (S().RigheFatte < 30)
        return;
    rendiAttivo("fraAvviso");
    optAvviso.focus(0);
}

void FrmOperativo::Stampa()
{
    FrmStampa::apri(S().righeCompletate(), S().RigheFatte, Programma::NumeroTabella, false);
}
