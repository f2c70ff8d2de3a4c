#include "start/InfoScreens.h"
#include "input/KeyTables.h"
#include "screens/Twips.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <iterator>

#ifndef CALCOLINO_SITO
#define CALCOLINO_SITO ""
#endif
#ifndef CALCOLINO_EMAIL
#define CALCOLINO_EMAIL ""
#endif

namespace {
QString TestoIstruzioni()
{
    static const char *const lines[] = {
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
    QString text;
    for (size_t i = 0; i < std::size(lines); ++i) {
        if (i > 0)
            text += QChar(13);
        text += QString::fromUtf8(lines[i]);
    }
    return text;
}
}

InfoScreen::InfoScreen(const Def::Screen &def, QWidget *opener)
    : QDialog(opener, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Command1(ButtonArray::Rules::closeButton(), &KeyTables::closeButton, [this](int) { Command1_Click(); })
{
    setObjectName(QString::fromLatin1(def.name));
    setWindowTitle(QString::fromUtf8(def.caption));
    // No icon in the title bar: without this the window would take its opener's.
    setWindowIcon(QIcon());
    m_screen.build(def, this);
    Command1.setButtons({m_screen.button("Command1")});
    setFixedSize(Twips::toPx(QSizeF(def.clientWidth, def.clientHeight)));
    Command1.focus(0);
}

QString InfoScreen::authorSite()
{
    // Set by whoever builds the program; otherwise where the installed program keeps its
    // documentation, which is true wherever the package put it.
    if (const QString set = QStringLiteral(CALCOLINO_SITO); !set.isEmpty())
        return set;
    const QString docs = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/calcolino"));
    return QFileInfo(docs).isDir() ? docs : QStringLiteral("man calcolino");
}

QString InfoScreen::authorEmail()
{
    const QString set = QStringLiteral(CALCOLINO_EMAIL);
    return set.isEmpty() ? QStringLiteral("non indicata") : set;
}

std::unique_ptr<InfoScreen> InfoScreen::frmAutore(QWidget *opener)
{
    std::unique_ptr<InfoScreen> s(new InfoScreen(Def::frmAutore(), opener));
    s->screen().label("Label2")->setCaption(authorSite());
    s->screen().label("Label4")->setCaption(authorEmail());
    return s;
}

std::unique_ptr<InfoScreen> InfoScreen::frmIstruzioni(QWidget *opener)
{
    std::unique_ptr<InfoScreen> s(new InfoScreen(Def::frmIstruzioni(), opener));
    // Form_Load: the instructions text is assembled afresh at every opening.
    s->screen().label("Label1")->setCaption(TestoIstruzioni());
    return s;
}

void InfoScreen::keyPressEvent(QKeyEvent *e)
{
    e->accept();
}

void InfoScreen::showModal()
{
    QPointer<QWidget> opener(parentWidget());
    const QScreen *s = opener ? opener->screen() : QGuiApplication::primaryScreen();
    if (s)
        move(s->availableGeometry().center() - rect().center());
    exec();
    // Not every window system hands the activation back by itself, and the activation of the
    // screen that waited decides where its focus goes.
    if (opener && opener->isVisible())
        opener->window()->activateWindow();
}
