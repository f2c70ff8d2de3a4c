// The floor a start-up figure is compared with: what Qt itself costs to show as much as the
// start screen shows. A maximized main window with a menu bar of one item and, for every
// control of the start screen, a plain QPushButton (the buttons) or QLabel (everything else)
// with the same caption in the same font, where the design puts it (at 96 dpi, not scaled to the
// window). No icon, no colours, no drawing of its own.
#include "screens/Screen.h"
#include "screens/ScreenDef.h"

#include <QApplication>
#include <map>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("floor"));
    w.menuBar()->addAction(QStringLiteral("Autore"));
    auto *client = new QWidget;
    std::map<std::string, QPoint> containers; // twips
    for (const Def::Control &c : Def::frmInizio().controls) {
        const QString caption = QString::fromUtf8(c.caption);
        QWidget *control;
        if (c.kind == Def::Kind::OptionButton || c.kind == Def::Kind::PushButton)
            control = new QPushButton(caption, client);
        else
            control = new QLabel(caption, client);
        control->setFont(Screen::font(c.font));
        const QPoint origin = c.container ? containers.at(c.container) : QPoint();
        const QPoint at = origin + QPoint(c.left, c.top);
        if (c.kind == Def::Kind::Frame)
            containers[c.name] = at;
        control->setGeometry(at.x() / 15, at.y() / 15, c.width / 15, c.height / 15);
    }
    w.setCentralWidget(client);
    w.showMaximized();
    return app.exec();
}
