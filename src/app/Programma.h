#pragma once
#include "exercise/Esercizio.h"
#include "input/AutoScan.h"
#include "input/HeldKeys.h"
#include "input/PressTiming.h"
#include "input/Voice.h"
#include "print/PrintDialogs.h"
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>

class FrmInizio;
class Impostazioni;
class FrmOperativo;
class FrmStampa;
class InfoScreen;
class QWidget;

// The program: the chosen table, the session and the screens, wired together. Made once by
// main(); nothing else knows more than one screen.
class Programma : public QObject {
    Q_OBJECT
public:
    // The clock reseeds the sheets' order; the dialogs are the print screen's. With a scan period
    // the program scans by itself, on `scanClock` (nullptr: a real timer).
    explicit Programma(Random::Clock clock = &Random::secondsSinceMidnight, PrintDialogs *dialogs = nullptr,
                       std::optional<int> scanPeriodMs = std::nullopt, ScanClock *scanClock = nullptr);
    ~Programma() override;

    // Shows the start screen, maximized.
    void start();
    // Automatic scanning from now on, with this period; none: off.
    void setScanPeriod(std::optional<int> ms);
    // The teacher's settings, from now on: the scan's timing, the presses' and the highlight.
    void applySettings(const Impostazioni &settings);
    void setScanTiming(const AutoScan::Timing &t);
    PressTiming &pressTiming() { return m_pressTiming; }
    // The voice from now on, through `speaker` (nullptr: none); the settings turn on the system's.
    void setSpeaker(Speaker *speaker);
    Voice *voice() const { return m_voice.get(); }
    QString voiceTrouble() const { return m_voice ? m_voice->trouble() : QString(); }

    int16_t NumeroTabella = 0; // 0..10, written only by the table choice

    FrmInizio &frmInizio() { return *m_inizio; }
    Esercizio &esercizio() { return m_esercizio; }
    // The exercise screen is made once a table is chosen, or at the first "Vai", and then lives
    // as long as the program.
    FrmOperativo *frmOperativo() { return m_operativo.get(); }
    FrmStampa *frmStampa() const; // while the print screen is open

signals:
    void voiceTroubleChanged();

private:
    void makeExercise();
    void prepareExercise();
    void openExercise();
    void exerciseClosed();
    void openPrintScreen(); // the pupil's completed rows, beside the exercise screen
    void watchSession();
    void showAuthor(QWidget *opener);
    void showInstructions(QWidget *opener);
    void unloadAll();
    void voiceWaitsForScan();

    ScanClock *m_scanClock;
    std::unique_ptr<ScanClock> m_timer; // the scan's, unless one was given
    std::unique_ptr<AutoScan> m_autoScan;
    AutoScan::Timing m_scanTiming;
    std::optional<int> m_scanPeriodMs;
    std::unique_ptr<SpeechService> m_speech; // made only when the voice is on
    std::unique_ptr<Voice> m_voice;
    HeldKeys m_heldKeys;
    PressTiming m_pressTiming;
    PrintDialogs *m_dialogs; // nullptr: the system's
    PrintDialogs m_systemDialogs;
    Random m_random;
    Esercizio m_esercizio;
    std::unique_ptr<FrmInizio> m_inizio;
    std::unique_ptr<FrmOperativo> m_operativo;
    QPointer<FrmStampa> m_stampa;
    // Of the session, for the print screen: the rows done when last seen, when the last was
    // completed, the pupil's name as typed on the print screen.
    int m_rowsDone = 0;
    QDateTime m_workEnded;
    QString m_pupil;
    QPointer<InfoScreen> m_autore; // while the author screen is open
};
