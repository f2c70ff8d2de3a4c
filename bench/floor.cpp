// The floor a start-up figure is compared with: what Qt itself costs to show as much as the
// start screen shows. A maximized main window with a menu bar of one item and, for every
// control of the start screen, a plain QPushButton (the buttons) or QLabel (everything else)
// with the same caption in the same font, where the design puts it (at 96 dpi, not scaled to the
// window). No icon, no colours, no drawing of its own.
//
// For the presses the bench makes, plain Qt's own equivalents of the exercise screen's: Tab moves
// the focus, a digit shows in a label (the answer cell), and Return on the focused button or a
// click on any button checks the row: that label shows "?" again and another counts the rows.
#include "screens/Screen.h"
#include "screens/ScreenDef.h"

#include <QApplication>
#include <map>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

namespace {
class Window : public QMainWindow {
public:
    QLabel *answer = nullptr, *rows = nullptr;
    void check()
    {
        answer->setText(QStringLiteral("?"));
        rows->setText(QString::number(++m_done));
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (answer && e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9)
            answer->setText(e->text());
        else
            QMainWindow::keyPressEvent(e);
    }

private:
    int m_done = 0;
};
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window w;
    w.setWindowTitle(QStringLiteral("floor"));
    w.menuBar()->addAction(QStringLiteral("Autore"));
    auto *client = new QWidget;
    std::map<std::string, QPoint> containers; // twips
    for (const Def::Control &c : Def::frmInizio().controls) {
        const QString caption = QString::fromUtf8(c.caption);
        QWidget *control;
        if (c.kind == Def::Kind::OptionButton || c.kind == Def::Kind::PushButton) {
            auto *button = new QPushButton(caption, client);
            button->setAutoDefault(true); // Return clicks the focused button
            QObject::connect(button, &QPushButton::clicked, &w, &Window::check);
            control = button;
        } else {
            auto *label = new QLabel(caption, client);
            if (!w.answer)
                w.answer = label;
            else if (!w.rows)
                w.rows = label;
            control = label;
        }
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
