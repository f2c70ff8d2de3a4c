#include "exercise/FrmOperativo.h"
#include "input/KeyTables.h"
#include "layout/GridGeometry.h"
#include "screens/Twips.h"
#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>

using Rules = ButtonArray::Rules;
using Frame = Esercizio::Frame;

namespace {
// The four frames of the lower panel, in the order the session names them.
const char *const FrameNames[4] = {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"};
}

FrmOperativo::FrmOperativo(Esercizio &esercizio)
    : m_esercizio(esercizio),
      Option1(Rules::guarded(&BloccoSpazioTastierino, &BloccoTastoTastierino),
              &KeyTables::keypad, [&esercizio](int i) { esercizio.PremiTasto(i); },
              [&esercizio](int i) { i == Keypad::Cancella ? esercizio.deleteDigit() : esercizio.typeDigit(i); }),
      Option3(Rules::pair(), &KeyTables::helpOffer,
              [&esercizio](int i) { i == 0 ? esercizio.SiSi() : esercizio.NoNo(); }),
      optAvviso(Rules::pair(), &KeyTables::warning,
                [&esercizio](int i) { i == 0 ? esercizio.Stampa() : esercizio.AzzeraSessione(); }),
      optOK(Rules::anyKey(), &KeyTables::anyKey, [&esercizio](int) { esercizio.optOK_Conferma(); })
{
    const Def::Screen &def = Def::frmOperativo();
    setObjectName(QString::fromLatin1(def.name));
    setWindowTitle(QString::fromUtf8(def.caption));
    setWindowIcon(Def::windowIcon());

    MnuStampaEsercizio = menuBar()->addAction(QStringLiteral("Stampa esercizio"));
    MnuStampaEsercizio->setObjectName(QStringLiteral("MnuStampaEsercizio"));
    mnuInfo = menuBar()->addAction(QStringLiteral("Autore"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));
    mnuIstruzioni = menuBar()->addAction(QStringLiteral("Istruzioni"));
    mnuIstruzioni->setObjectName(QStringLiteral("mnuIstruzioni"));
    // Not available for the whole life of the screen.
    MnuStampaEsercizio->setEnabled(false);
    mnuIstruzioni->setEnabled(false);
    connect(mnuInfo, &QAction::triggered, this, &FrmOperativo::mnuInfo_Click);
    connect(mnuIstruzioni, &QAction::triggered, this, &FrmOperativo::mnuIstruzioni_Click);

    auto *client = new QWidget;
    setCentralWidget(client);
    m_screen.build(def, client);
    std::vector<OptionButton *> keys;
    for (int i = 0; i < Keypad::Buttons; ++i)
        keys.push_back(m_screen.button("Option1", i));
    Option1.setButtons(keys);
    Option3.setButtons({m_screen.button("Option3", 0), m_screen.button("Option3", 1)});
    optAvviso.setButtons({m_screen.button("optAvviso", 0), m_screen.button("optAvviso", 1)});
    optOK.setButtons({m_screen.button("optOK")});

    connect(&esercizio, &Esercizio::tableChanged, this, &FrmOperativo::showTable);
    connect(&esercizio, &Esercizio::rowChanged, this, &FrmOperativo::showRow);
    connect(&esercizio, &Esercizio::cellChanged, this, &FrmOperativo::showCell);
    connect(&esercizio, &Esercizio::keysChanged, this, &FrmOperativo::showKeys);
    connect(&esercizio, &Esercizio::framesChanged, this, &FrmOperativo::showFrames);
    connect(&esercizio, &Esercizio::focusMoved, this, &FrmOperativo::showFocus);
    connect(&esercizio, &Esercizio::closeRequested, this, &FrmOperativo::unload);

    client->installEventFilter(this);
    resizeClient(Twips::toPx(QSizeF(def.clientWidth, def.clientHeight)));
}

FrmOperativo::~FrmOperativo() = default;

void FrmOperativo::resizeClient(QSize px)
{
    resize(px.width(), px.height() + menuBar()->sizeHint().height());
}

// ---------------------------------------------------------------- loading, resizing, closing

void FrmOperativo::load()
{
    if (m_loaded) {
        // Already open: only brought to the front, the session goes on.
        raise();
        activateWindow();
        return;
    }
    Form_Load();
    m_loaded = true;
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
    m_esercizio.open();
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

void FrmOperativo::PosizionaRiquadri()
{
    // The four frames are of one size and share the reference label's place.
    const QRectF &ref = m_screen.twips("lblRiferimento");
    for (const char *f : {"fraAiuto", "fraTastierino", "fraAvviso", "fraIntervento"}) {
        Screen::Item &it = m_screen.item(f);
        m_screen.place(it, QRectF(ref.left(), ref.top(), it.twips.width(), it.twips.height()));
    }
}

void FrmOperativo::unload()
{
    close();
}

void FrmOperativo::closeEvent(QCloseEvent *)
{
    // Never refused; nothing is kept of the session but what outlives the window.
    if (!m_loaded)
        return;
    m_loaded = false;
    emit closed();
}

// ---------------------------------------------------------------- what the session shows

void FrmOperativo::showTable()
{
    m_screen.label("Label1")->setCaption(m_esercizio.view().Label1);
}

void FrmOperativo::showRow(int g)
{
    const Esercizio::View &v = m_esercizio.view();
    m_screen.label("Label2", g)->setCaption(v.Label2[size_t(g)]);
    const bool armed = v.armed[size_t(g)];
    for (const char *n : {"lblSegno", "lblUguale", "Shape4"})
        m_screen.get<QWidget>(n, g)->setVisible(armed);
    m_screen.line("Line2", g)->setVisible(armed);
}

void FrmOperativo::showCell(int g)
{
    const Esercizio::View &v = m_esercizio.view();
    VbLabel *cell = m_screen.label("lblRisultato", g);
    cell->setCaption(v.lblRisultato[size_t(g)]);
    cell->setBackColor(Def::color(v.yellow[size_t(g)] ? Def::Yellow : Def::Cell));
}

void FrmOperativo::showKeys()
{
    for (int i = 0; i < Keypad::Buttons; ++i)
        Option1.button(i)->setEnabled(m_esercizio.view().enabled[size_t(i)]);
}

void FrmOperativo::showFrames()
{
    // All four disabled first, in the design's order, then the active one enabled and in front.
    const Esercizio::View &v = m_esercizio.view();
    for (Frame f : {Frame::fraAiuto, Frame::fraTastierino, Frame::fraAvviso, Frame::fraIntervento})
        m_screen.panel(FrameNames[int(f)])->setEnabled(false);
    for (int f = 0; f < 4; ++f)
        if (v.frameEnabled[size_t(f)])
            m_screen.panel(FrameNames[f])->setEnabled(true);
    m_screen.panel(FrameNames[int(v.front)])->raise();
}

void FrmOperativo::showFocus()
{
    const Esercizio::Focus &f = m_esercizio.view().focus;
    ButtonArray *const arrays[4] = {&Option1, &Option3, &optOK, &optAvviso};
    arrays[int(f.frame)]->focus(f.index);
}

// ---------------------------------------------------------------- the menu bar

void FrmOperativo::mnuInfo_Click()
{
    emit authorRequested();
    Option1.focus(1); // dropped when "1" cannot take it
}

// Unreachable as designed: "Istruzioni" is never available. Kept so that the day it is, the
// instructions screen opens as the design wants.
void FrmOperativo::mnuIstruzioni_Click()
{
    emit instructionsRequested();
    Option1.focus(1);
}

