#include "app/Programma.h"
#include "app/Impostazioni.h"
#include "app/Platform.h"
#include "exercise/FrmOperativo.h"
#include "print/FrmStampa.h"
#include "screens/Controls.h"
#include "start/FrmInizio.h"
#include "start/InfoScreens.h"
#include <QApplication>
#include <QDateTime>
#include <QTimer>

Programma::Programma(Random::Clock clock, PrintDialogs *dialogs, std::optional<int> scanPeriodMs, ScanClock *scanClock)
    : m_scanClock(scanClock), m_dialogs(dialogs), m_systemDialogs(&Platform::beforeQtDialog), m_random(std::move(clock)), m_esercizio(NumeroTabella, m_random),
      m_inizio(std::make_unique<FrmInizio>(NumeroTabella))
{
    setScanPeriod(scanPeriodMs);
    connect(m_inizio.get(), &FrmInizio::tableChosen, this,
            [this] { QTimer::singleShot(0, this, &Programma::prepareExercise); });
    connect(m_inizio.get(), &FrmInizio::exerciseRequested, this, &Programma::openExercise);
    connect(m_inizio.get(), &FrmInizio::authorRequested, this, [this] { showAuthor(m_inizio.get()); });
    connect(m_inizio.get(), &FrmInizio::unloading, this, &Programma::unloadAll);
    connect(&m_esercizio, &Esercizio::printRequested, this, &Programma::openPrintScreen);
    // The page's time is when the last row was completed, and the pupil's name lasts as long as
    // the session.
    connect(&m_esercizio, &Esercizio::rowsDoneChanged, this, &Programma::watchSession);
}

void Programma::watchSession()
{
    const int done = m_esercizio.session().RigheFatte;
    if (done > m_rowsDone) {
        m_workEnded = QDateTime::currentDateTime();
    } else if (done < m_rowsDone) { // "Ricomincia", or a new session
        m_workEnded = QDateTime();
        m_pupil.clear();
    }
    m_rowsDone = done;
}

Programma::~Programma()
{
    m_autoScan.reset(); // the windows going away move no highlight
    m_voice.reset();    // nor say anything
    // Deleted, not closed: going away closes nothing else and ends nothing.
    delete m_stampa.data();
}

FrmStampa *Programma::frmStampa() const { return m_stampa; }

void Programma::setScanPeriod(std::optional<int> ms)
{
    m_autoScan.reset();
    m_scanPeriodMs = ms;
    if (ms) {
        if (!m_scanClock) {
            m_timer = std::make_unique<TimerClock>();
            m_scanClock = m_timer.get();
        }
        m_scanTiming.periodMs = *ms;
        m_autoScan = std::make_unique<AutoScan>(m_scanTiming, *m_scanClock);
        qApp->installEventFilter(m_autoScan.get());
        voiceWaitsForScan();
    }
    // Installed (again) last, so they run first: a press too short or too soon goes before the
    // held-key filter sees it, a held key is dropped before the scan sees it.
    qApp->installEventFilter(&m_heldKeys);
    qApp->installEventFilter(&m_pressTiming);
}

void Programma::setScanTiming(const AutoScan::Timing &t)
{
    m_scanTiming = t;
    if (m_autoScan)
        m_autoScan->setTiming(t);
}

void Programma::setSpeaker(Speaker *speaker)
{
    m_voice.reset();
    if (speaker) {
        m_voice = std::make_unique<Voice>(*speaker);
        Voice *v = m_voice.get();
        connect(speaker, &Speaker::trouble, this, &Programma::voiceTroubleChanged, Qt::QueuedConnection);
        // The sum when its row starts, the answer when confirmed, a panel's words when it comes up.
        connect(&m_esercizio, &Esercizio::rowChanged, v, [this, v](int g) {
            const Esercizio::View &view = m_esercizio.view();
            if (view.armed[size_t(g)] && g == m_esercizio.session().RigaCorrente && !view.Label1.trimmed().isEmpty())
                v->announce(view.Label1.trimmed() + QStringLiteral(" + ") + view.Label2[size_t(g)].trimmed());
        });
        connect(&m_esercizio, &Esercizio::answerConfirmed, v, [v](const QString &a) { v->announce(a.trimmed()); });
        connect(&m_esercizio, &Esercizio::framesChanged, v, [this, v, front = Esercizio::Frame::fraTastierino]() mutable {
            using F = Esercizio::Frame;
            const F now = m_esercizio.view().front;
            if (now != front && now != F::fraTastierino)
                v->announce(now == F::fraAiuto        ? QStringLiteral("Ti aiuto?")
                            : now == F::fraIntervento ? QStringLiteral("Intervengo io")
                                                      : QStringLiteral("Se ricominci gli esercizi andranno persi"));
            front = now;
        });
    }
    voiceWaitsForScan();
}

void Programma::voiceWaitsForScan()
{
    if (!m_autoScan)
        return;
    Voice *v = m_voice.get();
    m_autoScan->waitFor(v ? std::function<bool()>([v] { return v->speaking(); }) : nullptr);
    if (v)
        connect(v, &Voice::spoken, m_autoScan.get(), [a = m_autoScan.get()] { a->spoken(); });
}

void Programma::applySettings(const Impostazioni &settings)
{
    using I = Impostazioni;
    // The system's voice is made only when asked for: without it nothing of speech is loaded.
    if (settings.voiceOn() && !m_speech) {
        m_speech = std::make_unique<SpeechService>();
        setSpeaker(m_speech.get());
    } else if (!settings.voiceOn() && m_speech) {
        setSpeaker(nullptr);
        m_speech.reset();
    }
    AutoScan::Timing t = m_scanTiming;
    t.firstPercent = settings.value(I::FirstItem);
    t.rounds = settings.value(I::Rounds);
    t.inverse = settings.value(I::InverseScanning) != 0;
    setScanTiming(t);
    m_pressTiming.setTimes(settings.value(I::Acceptance), settings.value(I::RepeatIgnore));
    OptionButton::setHighlightBorder(settings.value(I::Highlight) == 1);
    if (settings.scanPeriodMs() != m_scanPeriodMs) // a new scan only when it has to be
        setScanPeriod(settings.scanPeriodMs());
}

void Programma::start()
{
    m_inizio->showMaximized();
    m_inizio->activateWindow();
}

void Programma::makeExercise()
{
    if (!m_operativo) {
        m_operativo = std::make_unique<FrmOperativo>(m_esercizio);
        FrmOperativo *op = m_operativo.get();
        connect(op, &FrmOperativo::closed, this, &Programma::exerciseClosed);
        connect(op, &FrmOperativo::authorRequested, this, [this, op] { showAuthor(op); });
        connect(op, &FrmOperativo::instructionsRequested, this, [this, op] { showInstructions(op); });
    }
}

void Programma::prepareExercise()
{
    // Once the start screen shows the choice, while the pupil moves on to "Vai": the exercise
    // screen with its window and its buffer, at the size of the maximized start screen, which
    // is the size it will have. "Vai" then only fills it in and shows it.
    makeExercise();
    if (m_inizio->isMaximized())
        Platform::prepareWindow(*m_operativo, m_inizio->size());
}

void Programma::openExercise()
{
    makeExercise();
    m_operativo->load();
}

void Programma::exerciseClosed()
{
    // The start screen, still open underneath, is the active window again.
    if (m_inizio->isVisible()) {
        m_inizio->raise();
        m_inizio->activateWindow();
    }
}

namespace {
// What the print screen is given: the completed rows, each marked as the session recorded it
// when the row was completed, when the last was, and the pupil's name if the teacher typed it.
PrintedWork printedWork(const Esercizio &e, int table, const QDateTime &ended, const QString &pupil)
{
    PrintedWork work;
    work.rows = e.completedRows();
    for (Esercizio::Outcome o : e.completedOutcomes()) {
        using M = PrintedWork::Mark;
        switch (o) {
        case Esercizio::Outcome::RightFirstTime: work.marks.push_back(M::RightFirstTime); break;
        case Esercizio::Outcome::RightAfterRetry: work.marks.push_back(M::RightAfterRetry); break;
        case Esercizio::Outcome::GivenAfterSi: work.marks.push_back(M::GivenAfterSi); break;
        case Esercizio::Outcome::GivenByIntervention: work.marks.push_back(M::GivenByIntervention); break;
        }
    }
    work.wrongAnswers = e.completedWrongAnswers();
    work.rowCount = e.session().RigheFatte;
    work.table = table;
    work.when = ended.isValid() ? ended : QDateTime::currentDateTime();
    work.pupil = pupil;
    return work;
}
}

void Programma::openPrintScreen()
{
    QWidget *opener = QApplication::activeWindow();
    if (m_stampa && !m_stampa->isVisible())
        m_stampa = nullptr; // closed, and about to go
    if (m_stampa) {
        // One print screen at a time: the open one takes the new rows and comes forward.
        m_stampa->setWork(printedWork(m_esercizio, NumeroTabella, m_workEnded, m_pupil));
        m_stampa->raise();
        m_stampa->activateWindow();
        return;
    }
    auto *f = new FrmStampa(m_dialogs ? *m_dialogs : m_systemDialogs, printedWork(m_esercizio, NumeroTabella, m_workEnded, m_pupil),
                            &Platform::italianQtTexts);
    m_stampa = f;
    f->setOpener(opener);
    connect(f, &FrmStampa::pupilChanged, this, [this](const QString &name) { m_pupil = name; });
    f->showMaximized();
    f->raise();
    f->activateWindow();
}

void Programma::showAuthor(QWidget *opener)
{
    const std::unique_ptr<InfoScreen> frmAutore = InfoScreen::frmAutore(opener);
    m_autore = frmAutore.get();
    frmAutore->showModal();
}

// Unreachable as designed: only the exercise screen's "Istruzioni" opens it, and that item is
// never available.
void Programma::showInstructions(QWidget *opener)
{
    InfoScreen::frmIstruzioni(opener)->showModal();
}

void Programma::unloadAll()
{
    // ScaricaTutto: the author screen and the exercise screen go with the start screen; so
    // does any window still open (the print screen), and the run ends.
    if (m_autore)
        m_autore->reject();
    if (m_operativo)
        m_operativo->unload();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != m_inizio.get())
            w->close();
    QCoreApplication::quit();
}
