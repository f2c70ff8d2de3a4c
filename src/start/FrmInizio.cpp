#include "start/FrmInizio.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "input/KeyCodes.h"
#include "layout/Twips.h"
#include "start/InfoScreens.h"
#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMenuBar>

using Rules = ButtonArray::Rules;

FrmInizio::FrmInizio()
    : Option1(Rules::guardate(&BloccoSpazioTabelle, &BloccoTastoTabelle, true),
              [this](int i, int k) { return Option1_KeyDown(i, k); }, [this](int i) { ScegliTabella(i); }),
      Option2(Rules::guardate(&BloccoSpazioComandi, &BloccoTastoComandi),
              [this](int i, int k) { return Option2_KeyDown(i, k); }, [this](int i) { EseguiComando(i); })
{
    const Def::Screen &def = Def::frmInizio();
    setObjectName(QString::fromLatin1(def.name));
    setWindowTitle(QString::fromUtf8(def.caption));
    setWindowIcon(Programma::icona());
    mnuInfo = menuBar()->addAction(QStringLiteral("Autore"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));
    connect(mnuInfo, &QAction::triggered, this, &FrmInizio::mnuInfo_Click);

    auto *client = new QWidget;
    setCentralWidget(client);
    m_screen.build(def, client);
    std::vector<OptionButton *> tables, commands;
    for (int i = 0; i <= 10; ++i)
        tables.push_back(m_screen.button("Option1", i));
    for (int i = 0; i <= 2; ++i)
        commands.push_back(m_screen.button("Option2", i));
    Option1.setButtons(tables);
    Option2.setButtons(commands);
    client->installEventFilter(this);
    resizeClient(Twips::toPx(QRectF(0, 0, def.clientWidth, def.clientHeight)).size());
    Form_Load();
}

FrmInizio::~FrmInizio() = default;

void FrmInizio::resizeClient(QSize px)
{
    resize(px.width(), px.height() + menuBar()->sizeHint().height());
}

void FrmInizio::Form_Load()
{
    m_proportions = captureProportions(m_screen);
    VbLabel *Label7 = m_screen.label("Label7");
    Label7->setCaption(Label7->caption() + QStringLiteral("Vers.1.0") + QChar(13) + QStringLiteral("Mouse "));
    VerificaEsistenzaFile(QStringLiteral("ImpostazioniZu.dat"));
    Label7->setVisible(true);
}

void FrmInizio::VerificaEsistenzaFile(const QString &FileName)
{
    // Only a probe: whether the settings file is there changes nothing.
    QFile f(FileName);
    if (f.open(QIODevice::ReadOnly))
        f.close();
}

bool FrmInizio::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(e);
}

void FrmInizio::Form_Activate()
{
    Option1.focus(0);
}

bool FrmInizio::eventFilter(QObject *o, QEvent *e)
{
    if (o == centralWidget() && e->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(o, e);
}

void FrmInizio::Form_Resize()
{
    // The size the widget has now: a maximize may report a stale size in its event.
    const QSize px = centralWidget()->size();
    replaceControls(m_screen, m_proportions, Twips::fromPx(px));
}

void FrmInizio::ScegliTabella(int Index)
{
    if (Index >= 0 && Index <= 10) {
        Programma::NumeroTabella = int16_t(Index);
        m_screen.label("Label1")->setCaption(Programma::nomeTabella(Index));
    }
    Option1.button(0)->setChecked(false);
    Option2.focus(0);
}

void FrmInizio::EseguiComando(int Index)
{
    switch (Index) {
    case 0: Programma::frmOperativo().Carica(); break;
    case 1: Option1.focus(0); break;
    case 2: close(); break;
    default: break;
    }
}

void FrmInizio::mnuInfo_Click()
{
    mostraAutore(this);
}

void FrmInizio::closeEvent(QCloseEvent *e)
{
    // Form_Unload: never cancelled.
    e->accept();
    ScaricaTutto();
}

void FrmInizio::ScaricaTutto()
{
    scaricaAutore();
    if (Programma::frmOperativoCreated())
        Programma::frmOperativo().Scarica();
    Programma::termina();
}

// ---------------------------------------------------------------- keys of the two arrays

bool FrmInizio::Option1_KeyDown(int Index, int KeyCode)
{
    if (KeyCode::isDigit(KeyCode)) {
        Option1.focus(KeyCode - KeyCode::Digit0); // a digit names a table, it does not choose it
    } else if (KeyCode::isPadDigit(KeyCode)) {
        Option1.focus(KeyCode - KeyCode::Pad0);
    } else if (KeyCode == KeyCode::PadMultiply) {
        Option1.focus(10);
    } else if (KeyCode == KeyCode::Enter) {
        ScegliTabella(Index);
    } else if (KeyCode != 'S' && KeyCode != 'N') {
        return false;
    }
    return true;
}

bool FrmInizio::Option2_KeyDown(int Index, int KeyCode)
{
    switch (KeyCode) {
    case KeyCode::Digit0: Option2.focus(0); return true;
    case KeyCode::Digit0 + 1: Option2.focus(1); return true;
    case KeyCode::Enter: EseguiComando(Index); return true;
    case KeyCode::F2:
    case KeyCode::Backspace:
    case 'A': case 'C': case 'E': case 'N': case 'V':
        return true;
    default:
        return KeyCode::isDigit(KeyCode) || KeyCode::isPadDigit(KeyCode);
    }
}
