#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "screens/Twips.h"
#include "start/FrmInizio.h"
#include <QApplication>
#include <QMouseEvent>

namespace T {

namespace {
QtMessageHandler g_previous = nullptr;

// The offscreen platform says what it cannot do (raise a window, size hints); that is not ours.
void filtra(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (!msg.startsWith(QLatin1String("This plugin does not support")) && g_previous)
        g_previous(type, ctx, msg);
}

QWidget *cima(const char *name)
{
    QWidget *top = nullptr;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String(name))
            top = t;
    return top;
}

void chiave(QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat)
{
    QWidget *t = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(t);
    QKeyEvent e(type, k, m, k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde ? QString(QChar(k)) : QString(), autoRepeat);
    QApplication::sendEvent(t, &e);
}
}

Dialoghi dialoghi;
std::function<double()> orologio;
namespace {
std::unique_ptr<Programma> g_programma;
}
Programma &P() { return *g_programma; }

FrmInizio &avvia()
{
    static const QtMessageHandler installed = g_previous = qInstallMessageHandler(filtra);
    Q_UNUSED(installed);
    QApplication::setQuitOnLastWindowClosed(false);
    g_programma.reset();
    orologio = &Random::secondsSinceMidnight;
    dialoghi.file = [](QWidget *, const QString &) -> QString { qFatal("the real file dialog would open"); };
    dialoghi.stampante = [](QPrinter *, QWidget *) -> bool { qFatal("the real print dialog would open"); };
    g_programma = std::make_unique<Programma>([] { return orologio(); }, &dialoghi);
    FrmInizio &f = P().frmInizio();
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
    g_programma.reset();
    QApplication::processEvents();
}

void attiva(QWidget *w)
{
    w->raise();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QMainWindow *schermo(const char *name) { return qobject_cast<QMainWindow *>(cima(name)); }

QWidget *w(const char *screen, const QString &name)
{
    QWidget *top = cima(screen);
    if (!top)
        qFatal("no screen %s", screen);
    auto *c = top->findChild<QWidget *>(name);
    if (!c)
        qFatal("no control %s on %s", qPrintable(name), screen);
    return c;
}

QAbstractButton *btn(const char *screen, const QString &name) { return qobject_cast<QAbstractButton *>(w(screen, name)); }
QLabel *lbl(const char *screen, const QString &name) { return qobject_cast<QLabel *>(w(screen, name)); }
QObject *line(int i) { return w("frmOperativo", "Frame1")->findChild<QObject *>(QStringLiteral("Line2_%1").arg(i)); }

QWidget *focus() { return QApplication::focusWidget(); }
QString focusName() { return focus() ? focus()->objectName() : QString(); }

void premi(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat) { chiave(QEvent::KeyPress, k, m, autoRepeat); }
void rilascia(Qt::Key k, Qt::KeyboardModifiers m, bool autoRepeat) { chiave(QEvent::KeyRelease, k, m, autoRepeat); }

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
    return vai();
}

int tabella() { return lbl("frmOperativo", "Label1")->text().toInt(); }
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

// ---------------------------------------------------------------- shared by the screens' tests

const QColor Fuoco(255, 192, 128), Riposo(255, 224, 192), ColoreCella(255, 235, 168), Giallo(255, 255, 0);
const Qt::MouseButton Tasti[3] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

QColor colore(QWidget *w) { return w->property("BackColor").value<QColor>(); }

FrmOperativo &vai(Qt::MouseButton b)
{
    clic(btn("FrmInizio", "Option2_0"), b);
    FrmOperativo &op = *P().frmOperativo();
    op.showNormal();
    op.resizeClient(Twips::toPx(QRectF(0, 0, 11910, 8595)).size());
    attiva(&op);
    return op;
}

void premiSopra(QWidget *w, Qt::MouseButton b)
{
    const QPointF c = QRectF(w->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, c, w->mapToGlobal(c), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, c, w->mapToGlobal(c), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

QStringList giro(Qt::Key k, int n)
{
    QStringList visti;
    for (int i = 0; i < n; ++i) {
        tasto(k);
        visti << focusName();
    }
    return visti;
}

bool scorriFino(const QString &name)
{
    for (int i = 0; i < 15 && focusName() != name; ++i)
        tasto(Qt::Key_Space);
    return focusName() == name;
}

void invioVerso(QWidget *dopo)
{
    premi(Qt::Key_Return);
    attiva(dopo ? dopo : P().frmOperativo()); // none: the exercise screen, made by this Enter
    rilascia(Qt::Key_Return);
}

void scriviConTasti(int value, Qt::KeyboardModifiers m)
{
    for (QChar c : QString::number(value))
        tasto(Qt::Key(Qt::Key_0 + c.digitValue()), m);
}

int rigaCorrente()
{
    for (int r = 0; r < 10; ++r)
        if (cella(r)->text() == QLatin1String("?"))
            return r;
    return -1;
}

QString prefisso(int row) { return QStringLiteral("%1 + %2 = ").arg(tabella()).arg(addendo(row)->text().toInt(), 2); }

int sbaglia(int row)
{
    const int sbagliato = risultatoAtteso(row) + 1;
    scriviConMouse(sbagliato);
    clic(key(11));
    return sbagliato;
}

void finisciScheda()
{
    for (int r = rigaCorrente(); r >= 0; r = rigaCorrente())
        rispondiGiusto(r);
}

QString riquadro()
{
    QStringList abilitati;
    QWidget *davanti = nullptr;
    for (const char *n : {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"}) {
        QWidget *f = w("frmOperativo", n);
        if (f->isEnabled())
            abilitati << f->objectName();
        const QObjectList &fila = f->parentWidget()->children(); // back to front
        if (!davanti || fila.indexOf(f) > fila.indexOf(davanti))
            davanti = f;
    }
    if (abilitati.size() != 1)
        return QStringLiteral("enabled: ") + abilitati.join(QLatin1Char(','));
    return abilitati.first() == davanti->objectName() ? abilitati.first() : abilitati.first() + " behind " + davanti->objectName();
}

QString vista()
{
    QString tasti, righe;
    for (int i = 0; i <= 13; ++i)
        tasti += key(i)->isEnabledTo(key(i)->parentWidget()) ? u'1' : u'0';
    for (int i = 0; i < 10; ++i) {
        int n = line(i)->property("visible").toBool();
        for (const char *c : {"lblSegno_%1", "lblUguale_%1", "Shape4_%1"})
            n += !w("frmOperativo", QString::fromLatin1(c).arg(i))->isHidden();
        righe += n == 4 ? u'1' : n == 0 ? u'0' : u'x';
    }
    return QStringList({riquadro(), focusName(), tasti, righe}).join(u' ');
}

QString vistaDi(const char *frame, const char *focus, int rigaArmata, bool invio)
{
    QString righe(10, u'0');
    if (rigaArmata >= 0)
        righe[rigaArmata] = u'1';
    const char *tasti = rigaArmata < 0 ? "00000000000011" : invio ? "11111111111100" : "11111111111000";
    return QStringLiteral("%1 %2 %3 %4").arg(frame, focus, tasti, righe);
}

void nessunoPremuto()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QAbstractButton *b : top->findChildren<QAbstractButton *>())
            QVERIFY2(!b->isChecked(), qPrintable(top->objectName() + ": " + b->objectName()));
}

void passi(const std::vector<Passo> &p, const std::function<QString()> &vede)
{
    int n = 0;
    for (const Passo &s : p) {
        tasto(s.k, s.m);
        const QString dove = QStringLiteral("step %1 (key 0x%2): ").arg(n++).arg(int(s.k), 0, 16);
        QVERIFY2(focusName() == QLatin1String(s.focus), qPrintable(dove + "focus on " + focusName()));
        if (s.testo)
            QVERIFY2(vede() == QString::fromUtf8(s.testo), qPrintable(dove + "shows " + vede()));
    }
}
}
