// The floor a start-up figure is compared with: what Qt itself costs to show as much as the
// start screen shows. A maximized main window with a menu bar of one item and, for every
// control of the start screen, a plain QPushButton (the buttons) or QLabel (everything else)
// with the same caption in the same font, where the design puts it (at 96 dpi, not scaled to the
// window). No icon, no colours, no drawing of its own.
//
// For the presses the bench makes, plain Qt's own equivalents of the exercise screen's: Tab moves
// the focus, a digit shows in a label (the answer cell), and Return on the focused button or a
// click on any button checks the row: that label shows "?" again and another counts the rows.
// Return also does what the answered row's signs going and the next row's coming do: three plain
// labels hidden and three others shown (Qt asks the X server where the pointer is for every
// widget it shows). The focus goes where the exercise screen's highlight goes: to the button
// that checks the row once a digit is typed, and back to the first button once the row is
// checked by Return. Qt waits for the X server before it paints again over pixels it has sent
// since it last waited, so a press that repaints the button the press before left the focus on
// pays that wait, on the exercise screen and here alike.
#include "screens/Screen.h"
#include "screens/ScreenDef.h"

#include <QApplication>
#include <map>
#include <utility>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

namespace {
class Window : public QMainWindow {
public:
    QLabel *answer = nullptr, *rows = nullptr;
    QPushButton *first = nullptr, *vai = nullptr;
    QLabel *signs[2][3] = {}; // "+", "=" and the cell's box of the row checked and of the next
    void check()
    {
        answer->setText(QStringLiteral("?"));
        if (std::exchange(m_byReturn, false)) {
            if (!signs[0][0])
                makeSigns();
            for (QLabel *l : signs[m_row % 2])
                l->hide();
            for (QLabel *l : signs[++m_row % 2])
                l->show();
            first->setFocus(Qt::OtherFocusReason);
        }
        rows->setText(QString::number(++m_done));
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override // a button's Return, before the button clicks
    {
        const int key = e->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(e)->key() : 0;
        m_byReturn = m_byReturn || key == Qt::Key_Return || key == Qt::Key_Enter;
        return false;
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (answer && e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9) {
            answer->setText(e->text());
            vai->setFocus(Qt::OtherFocusReason);
        } else
            QMainWindow::keyPressEvent(e);
    }

private:
    void makeSigns() // at the first Return, so that start-up and memory are the start screen's alone
    {
        for (int r = 0; r < 2; ++r)
            for (int i = 0; i < 3; ++i) {
                QLabel *l = signs[r][i] = new QLabel(QString::fromUtf8(i == 0 ? "+" : i == 1 ? "=" : ""), centralWidget());
                l->setFrameShape(i == 2 ? QFrame::Box : QFrame::NoFrame);
                l->setGeometry(40 + 60 * i, 700 + 50 * r, 40, 40);
                l->setVisible(r == 0);
            }
    }

    int m_done = 0, m_row = 0;
    bool m_byReturn = false;
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
            button->installEventFilter(&w);
            if (!w.first)
                w.first = button;
            if (caption == QLatin1String("Vai"))
                w.vai = button;
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
