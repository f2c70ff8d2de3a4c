#pragma once
#include <QObject>
#include <QSet>

class QKeyEvent;

// A key held down acts once, on every screen and in every dialog. While a key stays down the
// window system makes up more presses of it: Wayland as presses the toolkit marks as repeats,
// X11 as release/press pairs that the toolkit often does not mark, or, as the program asks the X
// server at start-up, as presses alone. This filter, set on the application, sees each key event
// once at its window and swallows a marked repeat and any press of a key that is still down,
// before any widget sees it.
class HeldKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isRepeat(const QKeyEvent *e);
    void forgetReleased();
    QSet<quint32> m_down; // keys pressed and not released
};
