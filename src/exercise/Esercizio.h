#pragma once
#include "input/Keypad.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Pseudo-random numbers uniform in [0, 1), reseeded from a clock (seconds since midnight, with
// their fraction) at every sheet. The clock is given, so that a sequence can be repeated.
class Random {
public:
    using Clock = std::function<double()>;
    explicit Random(Clock clock = &secondsSinceMidnight);
    void reseed(); // from the clock
    double next();
    static double secondsSinceMidnight();

private:
    Clock m_clock;
    uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

// A session of sheets of ten sums on the chosen table: the rows, answer entry and checking, the
// help offer, the intervention, the 30-row warning and restart. It owns every variable these
// rules read and write, and everything the exercise screen shows of them; a view follows its
// signals and hands it the pupil's choices. It never looks at a widget.
class Esercizio : public QObject {
    Q_OBJECT
public:
    // The rules' numbers.
    static constexpr int RowsPerSheet = 10;        // one sum for each addend 1..10
    static constexpr int RowsBeforeWarning = 30;   // then the warning: print or start again
    static constexpr int RefusalsBeforeHelp = 3;   // the third "NO" brings the intervention
    static constexpr int PrintRowSlots = 42;       // the print rows kept
    static constexpr int ResultSlots = 16;
    static constexpr int AnswerDigits = 3;         // a fourth digit is dropped         // the expected results kept, of which one sheet's are used

    // The four frames of the lower panel: one at a time is active, in front of the others.
    enum class Frame { fraTastierino, fraAiuto, fraIntervento, fraAvviso };
    // The keypad's two modes.
    enum class Mode { Answer, EndOfSheet };
    // How a completed row went, as the teacher's printout marks it.
    enum class Outcome { RightFirstTime, RightAfterRetry, GivenAfterSi, GivenByIntervention };
    // Where the session last put the focus: a frame and the index of its button.
    struct Focus {
        Frame frame = Frame::fraTastierino;
        int index = 0;
        bool operator==(const Focus &o) const { return frame == o.frame && index == o.index; }
    };

    // The session's own variables.
    struct Session {
        QString Risposta;                      // the answer being typed for the current row
        int16_t RigaCorrente = 0;              // the row being answered, 0..9
        int16_t Addendo = 0;                   // the addend just drawn
        std::array<QString, RowsPerSheet + 2> Estratto; // "si" where addend k is on the sheet already
        int16_t ContaNo = 0;                   // "NO" answers since the last intervention
        int16_t RigheFatte = 0;                // rows completed since the last restart
        std::array<QString, ResultSlots> Risultati; // expected result of row g, one leading blank
        std::array<QString, PrintRowSlots> RigheStampa; // the print rows
        Mode mode = Mode::Answer;
        std::array<Outcome, PrintRowSlots> outcomes{}; // of each print row, once completed
        std::array<int, PrintRowSlots> wrongAnswers{}; // confirmed wrong answers in each print row
    };

    // What the exercise screen shows of the session.
    struct View {
        QString Label1;                         // the table's number
        std::array<QString, RowsPerSheet> Label2;       // the addends
        std::array<QString, RowsPerSheet> lblRisultato; // the answer cells
        std::array<bool, RowsPerSheet> yellow{};        // a wrong answer was given in the row
        std::array<bool, RowsPerSheet> armed{};         // "+", "=", the bar and the line show
        std::array<bool, Keypad::Buttons> enabled{}; // Option1(i).Enabled
        std::array<bool, 4> frameEnabled{};     // by Frame
        Frame front = Frame::fraTastierino;     // the frame in front: the active one
        Focus focus;
    };

    // The table is read each time a row is shown: a choice made on the start screen while a
    // sheet is open shows from the next sheet.
    Esercizio(const int16_t &NumeroTabella, Random &random, QObject *parent = nullptr);

    const Session &session() const { return S; }
    const View &view() const { return V; }
    // The print rows of the completed rows, blanks kept, and how each went.
    QStringList completedRows() const;
    std::vector<Outcome> completedOutcomes() const;
    std::vector<int> completedWrongAnswers() const;
    // The print-row prefix of N + k: "7 + 10 = ", "7 +  5 = " (one more blank below 10).
    static QString prefix(int n, int k);

    // The screen opens: the design's captions, then a fresh session.
    void open();
    void AzzeraSessione();
    void NuovaScheda();
    void EstraiOrdine();
    void MostraRiga(int g);
    void DisabilitaRiquadri();

    void PremiTasto(int Index);
    void VerificaRisposta();
    void AbilitaRisposta();
    void AbilitaFineScheda();
    // Typing and taking back by key, where the keyboard writes the answer itself.
    void typeDigit(int d);
    void deleteDigit();

    void SiSi();
    void NoNo();
    void optOK_Conferma();
    void ControllaAvviso();
    void Stampa();

signals:
    void tableChanged();     // Label1
    void rowChanged(int g);  // Label2(g) and whether row g is armed
    void cellChanged(int g); // the caption or colour of lblRisultato(g)
    void keysChanged();      // the keypad's enabled buttons
    void framesChanged();    // the frames' enabled state and the one in front
    void focusMoved();       // the focus, where view().focus says
    void closeRequested();   // "Esco"
    void printRequested();   // "Stampa": the print screen with completedRows()
    void rowsDoneChanged();  // RigheFatte grew by a row, or went back to 0
    void answerConfirmed(const QString &answer); // "Invio", before the answer is checked

private:
    void makeActive(Frame f);
    void moveFocus(Frame f, int index); // dropped where the focus cannot go
    void lblRisultato_Change(int Index);
    void setCell(int g, const QString &caption);
    void showAnswer(); // the current cell shows Risposta, or "?"
    void arm(int r);
    void disarm(int r);
    void showArmed(int r, bool armed);
    void append(int row, const QString &text);
    void record(int row, Outcome o);

    const int16_t &NumeroTabella;
    Random &m_random;
    Session S;
    View V;
};
