// All platforms, checked with Qt 6.4.2 (its Fusion style and QMenuBar's private overflow button,
// "qt_menubar_ext_button"): the menu bar's overflow icon read when the button is first shown.
#include "app/Platform.h"
#include <QApplication>
#include <QMenuBar>
#include <QProxyStyle>
#include <QToolButton>

namespace Platform {

namespace {
class Style : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap sp, const QStyleOption *option, const QWidget *widget) const override
    {
        // Asked by the overflow button of a menu bar while it is made, hidden.
        if (sp == SP_ToolBarHorizontalExtensionButton && !option && qobject_cast<const QMenuBar *>(widget)) {
            auto *button = widget->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"),
                                                            Qt::FindDirectChildrenOnly);
            if (button && !button->isVisible()) {
                button->installEventFilter(const_cast<Style *>(this));
                return QIcon();
            }
        }
        return QProxyStyle::standardIcon(sp, option, widget);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Shown: the button gets the very icon it was to have, before it is drawn.
        if (event->type() == QEvent::Show)
            if (auto *button = qobject_cast<QToolButton *>(watched)) {
                button->removeEventFilter(this);
                button->setIcon(
                    QProxyStyle::standardIcon(SP_ToolBarHorizontalExtensionButton, nullptr, button->parentWidget()));
            }
        return QProxyStyle::eventFilter(watched, event);
    }
};
}

void menuBarIconWhenShown()
{
    QApplication::setStyle(new Style);
}
}
