#include "TestSupport.h"
#include "app/Platform.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>

namespace T {

namespace {
void sendKey(QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat)
{
    QWidget *t = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(t);
    QKeyEvent e(type, k, m, k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde ? QString(QChar(k)) : QString(), autoRepeat);
    QApplication::sendEvent(t, &e);
}
}

Program::Program(std::function<double()> clock, ScanClock *scan)
{
    [[maybe_unused]] static const bool installed = [] {
        // The offscreen platform says what it cannot do (raise a window, size hints); that is not ours.
        static const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext &c, const QString &m) {
            if (!m.startsWith(QLatin1String("This plugin does not support")))
                previous(t, c, m);
        });
        Platform::afterApplication(*qApp); // as the program does
        return true;
    }();
    m_p = std::make_unique<Programma>(std::move(clock), &dialogs, std::nullopt, scan);
    inizio().show();
    inizio().resizeClient(Twips::toPx(QSizeF(11880, 8310)));
    activate(&inizio());
}

Program::~Program()
{
    m_p.reset();
    // What the program left open (a print screen) goes with it.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QApplication::processEvents();
}

FrmInizio &Program::inizio() { return m_p->frmInizio(); }

FrmOperativo &Program::open(int n)
{
    click(btn("FrmInizio", QStringLiteral("Option1_%1").arg(n)));
    click(btn("FrmInizio", QStringLiteral("Option2_0")));
    FrmOperativo &op = *m_p->frmOperativo();
    op.showNormal();
    op.resizeClient(Twips::toPx(QSizeF(11910, 8595)));
    activate(&op);
    return op;
}

void windowKey(QEvent::Type type, Qt::Key k, bool repeat, QWindow *to)
{
    QKeyEvent e(type, k, {}, k == Qt::Key_Return ? "\r" : k < 0x80 ? QString(QChar(k)).toLower() : QString(), repeat);
    QApplication::sendEvent(to ? to : QApplication::focusWidget()->window()->windowHandle(), &e);
}

QWidget *top(const char *name)
{
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String(name) && t->isVisible())
            return t;
    return nullptr;
}

QWidget *w(const char *screen, const QString &name)
{
    QWidget *t = top(screen);
    QWidget *c = t ? t->findChild<QWidget *>(name) : nullptr;
    if (!c)
        qFatal("no control %s on %s", qPrintable(name), screen);
    return c;
}

QAbstractButton *btn(const char *screen, const QString &name) { return qobject_cast<QAbstractButton *>(w(screen, name)); }
QLabel *lbl(const char *screen, const QString &name) { return qobject_cast<QLabel *>(w(screen, name)); }
QString focusName() { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }
QColor colour(QWidget *w) { return w->property("BackColor").value<QColor>(); }

void press(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat) { sendKey(QEvent::KeyPress, k, m, autoRepeat); }
void release(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat) { sendKey(QEvent::KeyRelease, k, m, autoRepeat); }

void type(Qt::Key k, Qt::KeyboardModifiers m) { press(k, m); release(k, m); }

void steps(const std::vector<std::pair<Qt::Key, const char *>> &keysAndFocus, Qt::KeyboardModifiers m)
{
    for (size_t n = 0; n < keysAndFocus.size(); ++n) {
        type(keysAndFocus[n].first, m);
        QVERIFY2(focusName() == QLatin1String(keysAndFocus[n].second),
                 qPrintable(QStringLiteral("step %1 (key 0x%2): focus on %3").arg(n).arg(int(keysAndFocus[n].first), 0, 16).arg(focusName())));
    }
}

const Qt::MouseButton Buttons[3] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

void click(QWidget *w, Qt::MouseButton b)
{
    QTest::mousePress(w, b, Qt::NoModifier, w->rect().center());
    QTest::mouseRelease(w, b, Qt::NoModifier, w->rect().center());
}

int expected(int r)
{
    return lbl("frmOperativo", "Label1")->text().toInt() + lbl("frmOperativo", QStringLiteral("Label2_%1").arg(r))->text().toInt();
}

void typeWithMouse(int value)
{
    for (QChar c : QString::number(value))
        click(key(c.digitValue()));
}

void answerRight(int r)
{
    typeWithMouse(expected(r));
    click(key(11));
}

void activate(QWidget *w)
{
    w->raise();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QImage shot(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QImage seen(QWidget *w)
{
    QCoreApplication::processEvents();
    return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

int pixels(const QImage &img, const QColor &c, const QRect &area)
{
    const QRect r = area.isNull() ? img.rect() : area & img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (img.pixel(x, y) | 0xFF000000u) == c.rgb();
    return n;
}
}
