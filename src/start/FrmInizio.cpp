#include "start/FrmInizio.h"
#include "input/KeyTables.h"
#include "screens/Twips.h"
#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <QMenuBar>
#include <QShortcut>

using Rules = ButtonArray::Rules;

FrmInizio::FrmInizio(int16_t &NumeroTabella)
    : Option1(Rules::guarded(&BloccoSpazioTabelle, &BloccoTastoTabelle), &KeyTables::tables,
              [this](int i) { ScegliTabella(i); }),
      Option2(Rules::guarded(&BloccoSpazioComandi, &BloccoTastoComandi), &KeyTables::commands,
              [this](int i) { EseguiComando(i); }),
      NumeroTabella(NumeroTabella)
{
    const Def::Screen &def = Def::frmInizio();
    setObjectName(QString::fromLatin1(def.name));
    setWindowTitle(QString::fromUtf8(def.caption));
    setWindowIcon(Def::windowIcon());
    mnuInfo = menuBar()->addAction(QStringLiteral("Autore"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));
    connect(mnuInfo, &QAction::triggered, this, &FrmInizio::mnuInfo_Click);
    // The teacher's way in: Ctrl and Alt held while I, M, P, O are typed. No scan and no click on
    // the screen makes it; one chord would not do, as hands that lean on Ctrl and Alt and press
    // keys at random make Ctrl+Alt+I now and then, but four chords in a row they all but never do.
    const auto chord = [](Qt::Key k) { return QKeyCombination(Qt::ControlModifier | Qt::AltModifier, k); };
    connect(new QShortcut(QKeySequence(chord(Qt::Key_I), chord(Qt::Key_M), chord(Qt::Key_P), chord(Qt::Key_O)), this),
            &QShortcut::activated, this, &FrmInizio::settingsRequested);

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
    resizeClient(Twips::toPx(QSizeF(def.clientWidth, def.clientHeight)));
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
    // Only a probe: whether the settings file is there changes nothing. Whatever has that name,
    // start-up must not wait for it: only a plain file is opened (a pipe would block the open
    // until someone writes to it, a device may do something on open), and never waited for.
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(FileName);
    struct stat st;
    if (stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
#else
    if (!QFileInfo(FileName).isFile())
        return;
    QFile f(FileName);
    if (f.open(QIODevice::ReadOnly))
        f.close();
#endif
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
    if (e->type() == QEvent::Resize) // of the client area, the only object watched
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
        NumeroTabella = int16_t(Index);
        m_screen.label("Label1")->setCaption(Def::tableName(Index));
        emit tableChosen();
    }
    Option2.focus(0);
}

void FrmInizio::EseguiComando(int Index)
{
    switch (Index) {
    case 0: emit exerciseRequested(); break;
    case 1: Option1.focus(0); break;
    case 2: close(); break;
    default: break;
    }
}

void FrmInizio::mnuInfo_Click()
{
    emit authorRequested();
}

void FrmInizio::closeEvent(QCloseEvent *)
{
    // Form_Unload: never cancelled.
    ScaricaTutto();
}

void FrmInizio::ScaricaTutto()
{
    // The author screen and the exercise screen go with the start screen, and the run ends.
    emit unloading();
}
