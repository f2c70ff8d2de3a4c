// Linux with assistive technology connected (AT-SPI), X11 and Wayland, checked with Qt 6.4.2:
// Alt pressed and let go takes the keyboard to the menu bar once, however busy the machine.
// While assistive technology listens, the toolkit holds each key until the accessibility registry
// has seen it, then sends it again. When Alt's press and release both arrive before the first
// answer, the menu bar takes the keyboard on the release, and the press sent again asks it, as
// if Alt were pressed anew, to let go at the release sent again: the menu bar flashes and the next
// Enter goes to the button. The menu bar that has the keyboard is not asked again by a press sent
// again; a real press (Alt to leave the menu bar) still is.
#include "app/Platform.h"
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>

namespace {
class AltOnce : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride || event->spontaneous())
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *bar = qobject_cast<QMenuBar *>(watched);
        if ((key != Qt::Key_Alt && key != Qt::Key_Meta) || !bar || !bar->hasFocus())
            return false;
        event->accept(); // taken as it is: the press goes on to the menu bar, nothing else
        return true;
    }
};
}

namespace Platform {

void altTakesMenuBarOnce(QApplication &app)
{
    app.installEventFilter(new AltOnce(&app));
}
}
