#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "layout/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QTest>

namespace T {

namespace {
QtMessageHandler g_previous = nullptr;

// The offscreen platform says what it cannot do (raise a window, size hints); that is not ours.
void filtra(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (msg.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_previous)
        g_previous(type, ctx, msg);
}
}

FrmInizio &avvia()
{
    static const bool filtered = [] {
        g_previous = qInstallMessageHandler(filtra);
        return true;
    }();
    Q_UNUSED(filtered);
    QApplication::setQuitOnLastWindowClosed(false);
    Programma::reset();
    FrmInizio &f = Programma::frmInizio();
    f.show();
    f.resizeClient(Twips::toPx(QRectF(0, 0, 11880, 8310)).size());
    attiva(&f);
    return f;
}

void chiudi()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() != QLatin1String("FrmInizio"))
            w->close();
    Programma::reset();
    QApplication::processEvents();
}

void attiva(QWidget *w)
{
    w->raise();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QMainWindow *schermo(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name))
            return qobject_cast<QMainWindow *>(w);
    return nullptr;
}

QWidget *w(const char *screen, const QString &name)
{
    QWidget *top = nullptr;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String(screen))
            top = t;
    if (!top)
        qFatal("no screen %s", screen);
    auto *c = top->findChild<QWidget *>(name);
    if (!c)
        qFatal("no control %s on %s", qPrintable(name), screen);
    return c;
}

QAbstractButton *btn(const char *screen, const QString &name) { return qobject_cast<QAbstractButton *>(w(screen, name)); }
QLabel *lbl(const char *screen, const QString &name) { return qobject_cast<QLabel *>(w(screen, name)); }

QObject *line(int i)
{
    return w("frmOperativo", QStringLiteral("Frame1"))->findChild<QObject *>(QStringLiteral("Line2_%1").arg(i));
}

QWidget *focus() { return QApplication::focusWidget(); }
QString focusName() { return focus() ? focus()->objectName() : QString(); }

static QWidget *target()
{
    QWidget *f = QApplication::focusWidget();
    return f ? f : QApplication::activeWindow();
}

void premi(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat)
{
    QWidget *t = target();
    QVERIFY(t);
    QString text;
    if (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde)
        text = QChar(k);
    QKeyEvent e(QEvent::KeyPress, k, m, text, autoRepeat);
    QApplication::sendEvent(t, &e);
}

void rilascia(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat)
{
    QWidget *t = target();
    QVERIFY(t);
    QString text;
    if (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde)
        text = QChar(k);
    QKeyEvent e(QEvent::KeyRelease, k, m, text, autoRepeat);
    QApplication::sendEvent(t, &e);
}

void tasto(Qt::Key k, Qt::KeyboardModifiers m)
{
    premi(k, m);
    rilascia(k, m);
}

void tieni(Qt::Key k, int repeats, Qt::KeyboardModifiers m)
{
    premi(k, m);
    for (int i = 0; i < repeats; ++i) {
        rilascia(k, m, true);
        premi(k, m, true);
    }
    rilascia(k, m);
}

void clic(QWidget *w, Qt::MouseButton b)
{
    QTest::mousePress(w, b, Qt::NoModifier, w->rect().center());
    QTest::mouseRelease(w, b, Qt::NoModifier, w->rect().center());
}

FrmOperativo &apriTabella(int n)
{
    clic(btn("FrmInizio", QStringLiteral("Option1_%1").arg(n)));
    clic(btn("FrmInizio", QStringLiteral("Option2_0")));
    FrmOperativo &op = Programma::frmOperativo();
    op.showNormal();
    op.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    attiva(&op);
    return op;
}

int tabella() { return lbl("frmOperativo", QStringLiteral("Label1"))->text().toInt(); }
int risultatoAtteso(int row) { return tabella() + addendo(row)->text().toInt(); }

void scriviConMouse(int value)
{
    for (QChar c : QString::number(value))
        clic(key(c.digitValue()));
}

void rispondiGiusto(int row)
{
    scriviConMouse(risultatoAtteso(row));
    clic(key(11));
}
}
