#include "start/InfoScreens.h"
#include "input/ButtonArray.h"
#include "input/KeyCodes.h"
#include "layout/Twips.h"
#include "screens/Screen.h"
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <iterator>

namespace {

// A small information window of fixed size, made afresh from its design at every opening.
// "C h i u d i" is its only control that takes the focus; Enter, SPACE or any mouse button
// on it closes the window, and so does the close box.
class SchermoInfo : public QDialog {
public:
    SchermoInfo(const Def::Screen &def, QWidget *parent)
        : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          Command1(ButtonArray::Rules::pulsanteChiudi(),
                   [this](int, int KeyCode) { return Command1_KeyDown(KeyCode); },
                   [this](int) { Command1_Click(); })
    {
        setObjectName(QString::fromLatin1(def.name));
        setWindowTitle(QString::fromUtf8(def.caption));
        m_screen.build(def, this);
        Command1.setButtons({m_screen.button("Command1")});
        setFixedSize(Twips::toPx(QRectF(0, 0, def.clientWidth, def.clientHeight)).size());
        Command1.focus(0);
    }

    Screen &screen() { return m_screen; }

    // Shows the window modally, centred on the screen, and returns when it has closed.
    void mostra()
    {
        const QScreen *s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (s)
            move(s->availableGeometry().center() - rect().center());
        exec();
    }

protected:
    // Keys that reach the window itself (none of its labels takes one) close nothing: only
    // the close button does, so Esc does not.
    void keyPressEvent(QKeyEvent *e) override { e->accept(); }

private:
    bool Command1_KeyDown(int KeyCode)
    {
        if (KeyCode != KeyCode::Enter)
            return false;
        Command1_Click();
        return true;
    }

    void Command1_Click() { done(0); }

    Screen m_screen;
    ButtonArray Command1;
};

// The author screen while it is open, so that leaving the program can take it away.
QPointer<SchermoInfo> g_autore;

void apri(SchermoInfo *schermo, QWidget *chiamante)
{
    QPointer<SchermoInfo> s(schermo);
    QPointer<QWidget> chiHaAperto(chiamante);
    s->mostra();
    // Nothing of it is kept for the next opening. The opener may have taken it away already.
    delete s.data();
    // The screen that waited is the active window again, and its activation decides where
    // the focus goes; not every window system hands the activation back by itself.
    if (chiHaAperto && chiHaAperto->isVisible())
        chiHaAperto->window()->activateWindow();
}

QString testoIstruzioni()
{
    static const char *const righe[] = {
        " I dati possono essere immessi con: ",
        " - la tastiera ed il tastierino",
        " - il mouse",
        " - la scansione manuale",
        "",
        "",
        " PER UTILIZZARE LA TASTIERA ED IL TASTIERINO",
        " Premere il numero ordinale del pulsante.",
        " Oltre il numero 9 premere la lettera iniziale dei pulsanti.",
        " La funzione del tasto INVIO \xC3\xA8 sostituita dal pulsante ",
        " AVANTI del tasto programma",
        "",
        " PER UTILIZZARE  IL MOUSE ",
        " Cliccare con il pulsante sinistro.",
        "",
        " PER UTILIZZARE LA SCANSIONE MANUALE ",
        " Premere la BARRA-SPAZIO per scegliere, premere INVIO per confermare.",
    };
    // One carriage return between lines, none after the last.
    QString TestoIstruzioni;
    for (size_t i = 0; i < std::size(righe); ++i) {
        if (i > 0)
            TestoIstruzioni += QChar(13);
        TestoIstruzioni += QString::fromUtf8(righe[i]);
    }
    return TestoIstruzioni;
}
}

void mostraAutore(QWidget *parent)
{
    auto *frmAutore = new SchermoInfo(Def::frmAutore(), parent);
    g_autore = frmAutore;
    apri(frmAutore, parent);
}

void mostraIstruzioni(QWidget *parent)
{
    auto *frmIstruzioni = new SchermoInfo(Def::frmIstruzioni(), parent);
    // Form_Load: the instructions text is assembled afresh at every opening.
    frmIstruzioni->screen().label("Label1")->setCaption(testoIstruzioni());
    apri(frmIstruzioni, parent);
}

void scaricaAutore()
{
    if (g_autore)
        g_autore->done(0);
}
