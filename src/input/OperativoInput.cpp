// How the exercise screen's buttons and menus are worked: the keypad's key table with typing
// and deleting by key, the overlay buttons' tables, and the menu bar.
#include "exercise/FrmOperativo.h"
#include "app/Programma.h"
#include "input/KeyCodes.h"
#include "layout/Twips.h"
#include "print/FrmStampa.h"
#include "start/InfoScreens.h"
#include <QAction>
#include <QMenuBar>

void FrmOperativo::preparaPulsanti()
{
    const Def::Screen &def = Def::frmOperativo();
    setObjectName(QString::fromLatin1(def.name));
    setWindowTitle(QString::fromUtf8(def.caption));
    setWindowIcon(Programma::icona());

    MnuStampaEsercizio = menuBar()->addAction(QStringLiteral("Stampa esercizio"));
    MnuStampaEsercizio->setObjectName(QStringLiteral("MnuStampaEsercizio"));
    mnuInfo = menuBar()->addAction(QStringLiteral("Autore"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));
    mnuIstruzioni = menuBar()->addAction(QStringLiteral("Istruzioni"));
    mnuIstruzioni->setObjectName(QStringLiteral("mnuIstruzioni"));
    // Not available for the whole life of the screen.
    MnuStampaEsercizio->setEnabled(false);
    mnuIstruzioni->setEnabled(false);
    connect(MnuStampaEsercizio, &QAction::triggered, this, &FrmOperativo::MnuStampaEsercizio_Click);
    connect(mnuInfo, &QAction::triggered, this, &FrmOperativo::mnuInfo_Click);
    connect(mnuIstruzioni, &QAction::triggered, this, &FrmOperativo::mnuIstruzioni_Click);

    auto *client = new QWidget;
    setCentralWidget(client);
    m_screen.build(def, client);

    std::vector<OptionButton *> keys;
    for (int i = 0; i <= 13; ++i)
        keys.push_back(m_screen.button("Option1", i));
    Option1.setButtons(keys);
    Option3.setButtons({m_screen.button("Option3", 0), m_screen.button("Option3", 1)});
    optAvviso.setButtons({m_screen.button("optAvviso", 0), m_screen.button("optAvviso", 1)});
    optOK.setButtons({m_screen.button("optOK")});
    for (int i = 0; i < 10; ++i)
        connect(m_screen.label("lblRisultato", i), &VbLabel::captionChanged, this, [this, i] { lblRisultato_Change(i); });

    client->installEventFilter(this);
    resizeClient(Twips::toPx(QRectF(0, 0, def.clientWidth, def.clientHeight)).size());
}

bool FrmOperativo::Option1_KeyDown(int Index, int KeyCode)
{
    if (KeyCode::isDigit(KeyCode) || KeyCode::isPadDigit(KeyCode)) {
        const int d = KeyCode::isDigit(KeyCode) ? KeyCode - KeyCode::Digit0 : KeyCode - KeyCode::Pad0;
        if (Option1.button(d)->ownEnabled())
            ScriviCifra(d);
        return true;
    }
    switch (KeyCode) {
    case 'C':
        if (Option1.button(10)->ownEnabled())
            CancellaCifra();
        return true;
    case 'I':
        if (Option1.button(11)->ownEnabled())
            Option1.focus(11);
        return true;
    case 'N':
        if (Option1.button(12)->ownEnabled())
            Option1.focus(12);
        return true;
    case 'E':
        if (Option1.button(13)->ownEnabled())
            Option1.focus(13);
        return true;
    case KeyCode::Enter:
        PremiTasto(Index);
        return true;
    case KeyCode::Backspace:
    case KeyCode::Left:
    case KeyCode::Up:
    case KeyCode::Right:
    case KeyCode::Down:
    case KeyCode::F2:
    case 'V':
        return true; // let through; nothing here depends on them
    default:
        return false;
    }
}

void FrmOperativo::ScriviCifra(int d)
{
    QString &Risposta = Programma::sessione.Risposta;
    Risposta += QChar(u'0' + d);
    if (Risposta.trimmed().size() >= 3)
        Risposta.truncate(3);
    if (Risposta.startsWith(QLatin1Char('0')))
        Risposta.clear();
    mostraRisposta();
    // Only Enter is left to confirm the answer.
    if (Option1.button(11)->ownEnabled())
        Option1.focus(11);
}

void FrmOperativo::CancellaCifra()
{
    Programma::sessione.Risposta.chop(1);
    mostraRisposta(); // the focus stays where it is
}

bool FrmOperativo::Option3_KeyDown(int Index, int KeyCode)
{
    switch (KeyCode) {
    case 'S': case KeyCode::Digit0 + 1: case KeyCode::Pad0 + 1: Option3.focus(0); return true;
    case 'N': case KeyCode::Digit0 + 2: case KeyCode::Pad0 + 2: Option3.focus(1); return true;
    case KeyCode::Enter: Option3.confirm(Index); return true;
    default: return false;
    }
}

bool FrmOperativo::optAvviso_KeyDown(int Index, int KeyCode)
{
    switch (KeyCode) {
    case 'S': case KeyCode::Digit0 + 1: case KeyCode::Pad0 + 1: optAvviso.focus(0); return true;
    case 'R': case KeyCode::Digit0 + 2: case KeyCode::Pad0 + 2: optAvviso.focus(1); return true;
    case KeyCode::Enter: optAvviso.confirm(Index); return true;
    default: return false;
    }
}

void FrmOperativo::mnuInfo_Click()
{
    mostraAutore(this);
    Option1.focus(1); // dropped when "1" cannot take it
}

void FrmOperativo::mnuIstruzioni_Click()
{
    mostraIstruzioni(this);
    Option1.focus(1);
}

void FrmOperativo::MnuStampaEsercizio_Click()
{
    FrmStampa::apri(Programma::sessione.righeCompletate(), Programma::sessione.RigheFatte, Programma::NumeroTabella, true);
}
