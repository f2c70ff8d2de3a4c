// The random pupil: a long stream of seeded random events on the real screens — every key the
// program knows and others, pressed, released and held, every mouse button on every control,
// resizes down to nothing, closing and reopening, the author screen — and after every event
// the rules that must always hold. CALCOLINO_EVENTI sets the number of events (100000 by
// default), CALCOLINO_SEME the seed; a failure prints both and the last events.
#include "TestSupport.h"
#include "app/Programma.h"
#include "exercise/FrmOperativo.h"
#include "start/FrmInizio.h"
#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QTimer>
#include <deque>
#include <random>

namespace {

struct Tasto {
    Qt::Key key;
    Qt::KeyboardModifiers mod;
};

const std::vector<Tasto> &tasti()
{
    static std::vector<Tasto> t = [] {
        std::vector<Tasto> v;
        for (int d = 0; d <= 9; ++d) {
            v.push_back({Qt::Key(Qt::Key_0 + d), Qt::NoModifier});
            v.push_back({Qt::Key(Qt::Key_0 + d), Qt::KeypadModifier});
        }
        for (Qt::Key k : {Qt::Key_C, Qt::Key_I, Qt::Key_N, Qt::Key_E, Qt::Key_S, Qt::Key_R, Qt::Key_A, Qt::Key_V,
                          Qt::Key_Space, Qt::Key_Space, Qt::Key_Space, Qt::Key_Return, Qt::Key_Return, Qt::Key_Backspace,
                          Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_F2, Qt::Key_Tab, Qt::Key_Escape,
                          Qt::Key_Q, Qt::Key_Z, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Control, Qt::Key_Delete, Qt::Key_Home})
            v.push_back({k, Qt::NoModifier});
        v.push_back({Qt::Key_Enter, Qt::KeypadModifier});
        v.push_back({Qt::Key_Asterisk, Qt::KeypadModifier});
        v.push_back({Qt::Key_C, Qt::ShiftModifier});
        return v;
    }();
    return t;
}

QString testo(Qt::Key k)
{
    return (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde) ? QString(QChar(k)) : QString();
}

class Allievo {
public:
    explicit Allievo(quint32 seme) : m_rng(seme), m_seme(seme) {}

    void passo()
    {
        const int scelta = int(m_rng() % 1000);
        if (scelta < 200)
            rispondiBene();
        else if (scelta < 600)
            tasto();
        else if (scelta < 930)
            mouse();
        else if (scelta < 970)
            tieni();
        else if (scelta < 990)
            ridimensiona();
        else if (scelta < 993)
            chiudiERiapri();
        else if (scelta < 996)
            autore();
        else
            chiudiStampe();
    }

    QString storia() const
    {
        QStringList l;
        for (const QString &s : m_storia)
            l << s;
        return QStringLiteral("seed %1, last events:\n  %2").arg(m_seme).arg(l.join(QStringLiteral("\n  ")));
    }

    void annota(const QString &s)
    {
        m_storia.push_back(s);
        if (m_storia.size() > 40)
            m_storia.pop_front();
    }

private:
    QWidget *bersaglio()
    {
        // Keys go where the pupil's focus is: the exercise screen while it is open.
        QWidget *win = (T::P().frmOperativo() != nullptr) && (*T::P().frmOperativo()).caricato()
                           ? static_cast<QWidget *>(T::P().frmOperativo())
                           : static_cast<QWidget *>(&T::P().frmInizio());
        QWidget *f = win->focusWidget();
        return f ? f : win;
    }

    void invia(QEvent::Type type, const Tasto &t, bool ripetuto)
    {
        QWidget *w = bersaglio();
        QKeyEvent e(type, t.key, t.mod, testo(t.key), ripetuto);
        QApplication::sendEvent(w, &e);
    }

    void tasto()
    {
        const Tasto &t = tasti()[m_rng() % tasti().size()];
        const int modo = int(m_rng() % 4);
        annota(QStringLiteral("key %1 mod %2 on %3 (%4)").arg(t.key, 0, 16).arg(int(t.mod), 0, 16).arg(bersaglio()->objectName()).arg(modo));
        if (modo == 0) {
            invia(QEvent::KeyPress, t, false); // released later, elsewhere perhaps
            m_premuti.push_back(t);
        } else if (modo == 1 && !m_premuti.empty()) {
            invia(QEvent::KeyRelease, m_premuti.front(), false);
            m_premuti.pop_front();
        } else {
            invia(QEvent::KeyPress, t, false);
            invia(QEvent::KeyRelease, t, false);
        }
    }

    // Now and then the pupil knows the answer: types it by key and confirms, so that sheets
    // end, rows pile up and the warning comes.
    void rispondiBene()
    {
        if (!(T::P().frmOperativo() != nullptr) || !(*T::P().frmOperativo()).caricato())
            return;
        FrmOperativo &op = (*T::P().frmOperativo());
        const int r = T::P().esercizio().session().RigaCorrente;
        const QString giusto = T::P().esercizio().session().Risultati[size_t(r)].trimmed();
        annota(QStringLiteral("answer %1 on row %2 from %3").arg(giusto).arg(r).arg(bersaglio()->objectName()));
        for (QChar c : giusto) {
            const Tasto t{Qt::Key(Qt::Key_0 + c.digitValue()), m_rng() % 2 ? Qt::KeypadModifier : Qt::NoModifier};
            invia(QEvent::KeyPress, t, false);
            invia(QEvent::KeyRelease, t, false);
        }
        const Tasto invio{Qt::Key_Return, Qt::NoModifier};
        invia(QEvent::KeyPress, invio, false);
        invia(QEvent::KeyRelease, invio, false);
    }

    void tieni()
    {
        const Tasto &t = tasti()[m_rng() % tasti().size()];
        const int n = 1 + int(m_rng() % 6);
        annota(QStringLiteral("hold %1 x%2 on %3").arg(t.key, 0, 16).arg(n).arg(bersaglio()->objectName()));
        invia(QEvent::KeyPress, t, false);
        for (int i = 0; i < n; ++i) {
            invia(QEvent::KeyRelease, t, true);
            invia(QEvent::KeyPress, t, true);
        }
        invia(QEvent::KeyRelease, t, false);
    }

    void mouse()
    {
        QMainWindow *win = (T::P().frmOperativo() != nullptr) && (*T::P().frmOperativo()).caricato() && m_rng() % 5
                               ? static_cast<QMainWindow *>(T::P().frmOperativo())
                               : static_cast<QMainWindow *>(&T::P().frmInizio());
        // The controls of the client area; the menu bar's own pop-ups are the toolkit's.
        const QList<QWidget *> all = win->centralWidget()->findChildren<QWidget *>();
        QWidget *w = all.at(int(m_rng() % all.size()));
        if (w->objectName() == QLatin1String("Option2_2"))
            return; // "Esci" ends the run: tried by its own tests
        static const Qt::MouseButton bottoni[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const Qt::MouseButton b = bottoni[m_rng() % 3];
        annota(QStringLiteral("mouse %1 on %2").arg(int(b)).arg(w->objectName()));
        if (!w->isVisible() || w->width() <= 0 || w->height() <= 0)
            return;
        QTest::mousePress(w, b, Qt::NoModifier, w->rect().center());
        if (m_rng() % 4)
            QTest::mouseRelease(w, b, Qt::NoModifier, w->rect().center());
    }

    void ridimensiona()
    {
        const bool op = (T::P().frmOperativo() != nullptr) && (*T::P().frmOperativo()).caricato() && m_rng() % 3;
        const QSize s = m_rng() % 5 == 0 ? QSize(0, 0) : QSize(int(m_rng() % 1400), int(m_rng() % 1000));
        annota(QStringLiteral("resize %1 to %2x%3").arg(op ? "frmOperativo" : "FrmInizio").arg(s.width()).arg(s.height()));
        if (op)
            (*T::P().frmOperativo()).resizeClient(s);
        else
            T::P().frmInizio().resizeClient(s);
    }

    void chiudiERiapri()
    {
        annota(QStringLiteral("close and reopen"));
        if ((T::P().frmOperativo() != nullptr))
            (*T::P().frmOperativo()).close();
        if (m_rng() % 2)
            T::P().frmInizio().EseguiComando(0);
    }

    void autore()
    {
        const bool op = (T::P().frmOperativo() != nullptr) && (*T::P().frmOperativo()).caricato();
        QWidget *win = op ? static_cast<QWidget *>(T::P().frmOperativo()) : static_cast<QWidget *>(&T::P().frmInizio());
        annota(QStringLiteral("author screen from %1").arg(win->objectName()));
        QTimer::singleShot(0, [] {
            if (QWidget *m = QApplication::activeModalWidget())
                m->close();
        });
        win->findChild<QAction *>(QStringLiteral("mnuInfo"))->trigger();
    }

    void chiudiStampe()
    {
        annota(QStringLiteral("close print screens"));
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmStampa") && w->isVisible())
                w->close();
    }

    std::mt19937 m_rng;
    quint32 m_seme;
    std::deque<QString> m_storia;
    std::deque<Tasto> m_premuti;
};

struct Copertura {
    int aiuto = 0, intervento = 0, avviso = 0, fineScheda = 0;
} copertura;

// What must always hold. Returns an empty string or what went wrong.
QString verifica()
{
    if (QWidget *f = QApplication::focusWidget(); f && !f->isEnabled())
        return QStringLiteral("focus on the disabled %1").arg(f->objectName());
    if (!(T::P().frmOperativo() != nullptr) || !(*T::P().frmOperativo()).caricato())
        return {};
    FrmOperativo &op = (*T::P().frmOperativo());
    const Esercizio::Session &s = T::P().esercizio().session();

    QWidget *client = op.centralWidget();
    QWidget *attivo = nullptr;
    int attivi = 0;
    for (const char *f : {"fraTastierino", "fraAiuto", "fraIntervento", "fraAvviso"}) {
        auto *w = client->findChild<QWidget *>(QLatin1String(f));
        if (w->isEnabled()) {
            ++attivi;
            attivo = w;
        }
    }
    if (attivi != 1)
        return QStringLiteral("%1 overlay frames enabled").arg(attivi);
    copertura.aiuto += attivo->objectName() == QLatin1String("fraAiuto");
    copertura.intervento += attivo->objectName() == QLatin1String("fraIntervento");
    copertura.avviso += attivo->objectName() == QLatin1String("fraAvviso");
    QWidget *davanti = nullptr;
    for (QObject *o : client->children())
        if (auto *w = qobject_cast<QWidget *>(o); w && w->objectName().startsWith(QLatin1String("fra")))
            davanti = w;
    if (davanti != attivo)
        return QStringLiteral("%1 is active but %2 is in front").arg(attivo->objectName(), davanti->objectName());

    auto own = [](QWidget *w) { return !w->testAttribute(Qt::WA_Disabled); };
    QWidget *invio = client->findChild<QWidget *>(QStringLiteral("Option1_11"));
    QWidget *zero = client->findChild<QWidget *>(QStringLiteral("Option1_0"));
    const QString cella = client->findChild<QLabel *>(QStringLiteral("lblRisultato_%1").arg(s.RigaCorrente))->text();
    copertura.fineScheda += !own(zero);
    if (own(zero) && own(invio) != (cella != QLatin1String("?")))
        return QStringLiteral("\"Invio\" %1 while the cell shows \"%2\"").arg(own(invio) ? "enabled" : "disabled", cella);

    static const QRegularExpression risposta(QStringLiteral("^([1-9][0-9]{0,2})?$"));
    if (!risposta.match(s.Risposta).hasMatch())
        return QStringLiteral("answer \"%1\"").arg(s.Risposta);

    QList<int> addendi;
    for (int g = 0; g < 10; ++g)
        addendi << client->findChild<QLabel *>(QStringLiteral("Label2_%1").arg(g))->text().toInt();
    std::sort(addendi.begin(), addendi.end());
    if (addendi != QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))
        return QStringLiteral("the sheet is not 1..10 in some order");

    // A print row: its prefix, every confirmed answer with two blanks, and perhaps a given result last.
    static const QRegularExpression intera(QStringLiteral("^(10|[0-9]) \\+ ( [1-9]|10) = ([1-9][0-9]{0,2}  )*( [0-9]{1,2})?$"));
    for (int i = 0; i <= s.RigheFatte && i < 42; ++i) {
        const QString &r = s.RigheStampa[size_t(i)];
        if (i == s.RigheFatte && r.isEmpty())
            continue; // the row after the last of a sheet is drawn with the next sheet
        if (!intera.match(r).hasMatch())
            return QStringLiteral("print row %1 is \"%2\"").arg(i).arg(r);
    }
    const bool avviso = client->findChild<QWidget *>(QStringLiteral("fraAvviso"))->isEnabled();
    if (s.RigheFatte > 30 && !avviso)
        return QStringLiteral("%1 rows done without the warning").arg(s.RigheFatte);
    if (s.RigheFatte > 31)
        return QStringLiteral("%1 rows done").arg(s.RigheFatte);
    return {};
}
}

class TstAllievo : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { T::chiudi(); }

    void aRandomPupilBreaksNothing()
    {
        const int eventi = qEnvironmentVariableIsSet("CALCOLINO_EVENTI") ? qEnvironmentVariableIntValue("CALCOLINO_EVENTI") : 100000;
        const quint32 seme = qEnvironmentVariableIsSet("CALCOLINO_SEME") ? quint32(qEnvironmentVariableIntValue("CALCOLINO_SEME")) : 20261205u;
        // Sheets drawn from a clock that ticks with every sheet: the run repeats exactly.
        double tempo = 0;
        T::orologio = [&tempo] { return tempo += 0.37; };

        T::avvia();
        T::P().frmInizio().EseguiComando(0);
        Allievo allievo(seme);
        for (int i = 0; i < eventi; ++i) {
            allievo.passo();
            if (!T::P().frmInizio().isVisible()) {
                allievo.annota(QStringLiteral("the start screen closed: a new run"));
                T::avvia();
            }
            const QString errore = verifica();
            if (!errore.isEmpty())
                QFAIL(qPrintable(QStringLiteral("after event %1: %2\n%3").arg(i).arg(errore, allievo.storia())));
            if (i % 500 == 0)
                QApplication::processEvents();
        }
        T::orologio = &Random::secondsSinceMidnight;
        // The run must have reached every state, or it proves little.
        QVERIFY(copertura.aiuto > 0);
        QVERIFY(copertura.intervento > 0);
        QVERIFY(copertura.avviso > 0);
        QVERIFY(copertura.fineScheda > 0);
    }
};

QTEST_MAIN(TstAllievo)
#include "tst_allievo.moc"
