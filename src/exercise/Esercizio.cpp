#include "exercise/Esercizio.h"
#include <QTime>
#include <algorithm>
#include <cstring>

using namespace Keypad;

namespace {
const QString Empty = QStringLiteral("?"); // the current row has no answer typed
}

// ---------------------------------------------------------------- Random

Random::Random(Clock clock) : m_clock(std::move(clock)) {}

double Random::secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void Random::reseed()
{
    const double seed = m_clock();
    uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    m_state = bits ^ 0x9E3779B97F4A7C15ull;
}

double Random::next()
{
    // splitmix64: small, fast and evenly spread; the top 53 bits give [0, 1).
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

// ---------------------------------------------------------------- the session

Esercizio::Esercizio(const int16_t &NumeroTabella, Random &random, QObject *parent)
    : QObject(parent), NumeroTabella(NumeroTabella), m_random(random)
{
}

QString Esercizio::prefix(int n, int k)
{
    return QStringLiteral("%1 + %2%3 = ").arg(n).arg(k < 10 ? QStringLiteral(" ") : QString()).arg(k);
}

QStringList Esercizio::completedRows() const
{
    QStringList rows;
    for (int i = 0; i < S.RigheFatte && i < int(S.RigheStampa.size()); ++i)
        rows << S.RigheStampa[size_t(i)];
    return rows;
}

std::vector<Esercizio::Outcome> Esercizio::completedOutcomes() const
{
    const int n = std::clamp(int(S.RigheFatte), 0, int(S.outcomes.size()));
    return std::vector<Outcome>(S.outcomes.begin(), S.outcomes.begin() + n);
}

std::vector<int> Esercizio::completedWrongAnswers() const
{
    const int n = std::clamp(int(S.RigheFatte), 0, int(S.wrongAnswers.size()));
    return std::vector<int>(S.wrongAnswers.begin(), S.wrongAnswers.begin() + n);
}

void Esercizio::record(int row, Outcome o)
{
    if (row >= 0 && row < int(S.outcomes.size()))
        S.outcomes[size_t(row)] = o;
}

void Esercizio::append(int row, const QString &text)
{
    // A row beyond the slots kept is left alone rather than overrun.
    if (row >= 0 && row < int(S.RigheStampa.size()))
        S.RigheStampa[size_t(row)] += text;
}

void Esercizio::open()
{
    // The new session writes over everything the design showed.
    AzzeraSessione();
}

// ---------------------------------------------------------------- frames, focus, rows

void Esercizio::DisabilitaRiquadri()
{
    V.frameEnabled.fill(false);
}

void Esercizio::makeActive(Frame f)
{
    // The overlay rule: one frame enabled, brought to the front.
    DisabilitaRiquadri();
    V.frameEnabled[size_t(f)] = true;
    V.front = f;
    emit framesChanged();
}

void Esercizio::moveFocus(Frame f, int index)
{
    // A focus move onto a frame that is not active, or onto a disabled key, is dropped.
    if (!V.frameEnabled[size_t(f)] || (f == Frame::fraTastierino && !V.enabled[size_t(index)]))
        return;
    V.focus = {f, index};
    emit focusMoved();
}

void Esercizio::lblRisultato_Change(int Index)
{
    // "Invio" is there exactly while the cell shows an answer.
    V.enabled[Invio] = V.lblRisultato[size_t(Index)] != Empty;
    emit keysChanged();
}

void Esercizio::setCell(int g, const QString &caption)
{
    if (V.lblRisultato[size_t(g)] == caption)
        return;
    V.lblRisultato[size_t(g)] = caption;
    emit cellChanged(g);
    lblRisultato_Change(g);
}

void Esercizio::showAnswer()
{
    setCell(S.RigaCorrente, S.Risposta.isEmpty() ? Empty : S.Risposta);
}

void Esercizio::showArmed(int r, bool armed)
{
    V.armed[size_t(r)] = armed;
    emit rowChanged(r);
}

void Esercizio::arm(int r)
{
    S.Risposta.clear();
    setCell(r, Empty);
    showArmed(r, true);
}

void Esercizio::disarm(int r)
{
    showArmed(r, false);
}

// ---------------------------------------------------------------- sheets

void Esercizio::AzzeraSessione()
{
    makeActive(Frame::fraTastierino);
    S.RigheFatte = 0;
    emit rowsDoneChanged();
    S.RigaCorrente = 0;
    for (QString &row : S.RigheStampa)
        row.clear();
    S.outcomes.fill(Outcome::RightFirstTime);
    S.wrongAnswers.fill(0);
    NuovaScheda();
}

void Esercizio::NuovaScheda()
{
    S.RigaCorrente = 0;
    for (int k = 0; k <= RowsPerSheet; ++k)
        S.Estratto[size_t(k)].clear();
    for (int g = 0; g < RowsPerSheet; ++g) {
        setCell(g, QString());
        V.yellow[size_t(g)] = false;
        emit cellChanged(g);
        disarm(g);
    }
    arm(0);
    AbilitaRisposta();
    EstraiOrdine();
}

void Esercizio::EstraiOrdine()
{
    m_random.reseed();
    for (int g = 0; g < RowsPerSheet; ++g) {
        int k;
        do
            k = int(m_random.next() * RowsPerSheet) + 1;
        while (S.Estratto[size_t(k)] == QLatin1String("si"));
        S.Estratto[size_t(k)] = QStringLiteral("si");
        S.Addendo = int16_t(k);
        MostraRiga(g);
    }
}

void Esercizio::MostraRiga(int g)
{
    const int n = NumeroTabella, k = S.Addendo;
    V.Label1 = QString::number(n);
    emit tableChanged();
    V.Label2[size_t(g)] = QString::number(k);
    emit rowChanged(g);
    S.Risultati[size_t(g)] = QLatin1Char(' ') + QString::number(n + k);
    // Rows are completed strictly in order and each adds one to RigheFatte, so row g of a sheet
    // drawn when RigheFatte was F becomes print row F + g: its prefix waits there, and every
    // answer or given result of the row is appended after it, across any number of sheets.
    const int row = S.RigheFatte + g;
    if (row >= 0 && row < int(S.RigheStampa.size()))
        S.RigheStampa[size_t(row)] = prefix(n, k);
}

// ---------------------------------------------------------------- answers

void Esercizio::PremiTasto(int Index)
{
    QString &Risposta = S.Risposta;
    if (Index >= 0 && Index <= 9) {
        Risposta += QString::number(Index); // the caption of Option1(Index)
        if (Risposta.size() >= AnswerDigits)
            Risposta.truncate(AnswerDigits); // a fourth digit is dropped
        if (Risposta.startsWith(QLatin1Char('0')))
            Risposta.clear(); // no answer begins with 0
        showAnswer();
        return;
    }
    switch (Index) {
    case Cancella:
        Risposta.chop(1);
        showAnswer();
        break;
    case Invio: VerificaRisposta(); break;
    case NuovaTabella: NuovaScheda(); break;
    case Esco: emit closeRequested(); break;
    default: break;
    }
}

void Esercizio::typeDigit(int d)
{
    QString &Risposta = S.Risposta;
    Risposta += QChar(u'0' + d);
    if (Risposta.trimmed().size() >= AnswerDigits)
        Risposta.truncate(AnswerDigits);
    if (Risposta.startsWith(QLatin1Char('0')))
        Risposta.clear();
    showAnswer();
    // Only Enter is left to confirm the answer.
    if (V.enabled[Invio])
        moveFocus(Frame::fraTastierino, Invio);
}

void Esercizio::deleteDigit()
{
    S.Risposta.chop(1);
    showAnswer(); // the focus stays where it is
}

void Esercizio::VerificaRisposta()
{
    const int r = S.RigaCorrente;
    emit answerConfirmed(S.Risposta);
    append(S.RigheFatte, S.Risposta + QStringLiteral("  "));
    if (S.Risposta.trimmed() == S.Risultati[size_t(r)].trimmed()) {
        const bool retried = S.RigheFatte < int(S.wrongAnswers.size()) && S.wrongAnswers[size_t(S.RigheFatte)] > 0;
        record(S.RigheFatte, retried ? Outcome::RightAfterRetry : Outcome::RightFirstTime);
        S.Risposta.clear();
        disarm(r);
        S.RigaCorrente = int16_t(r + 1);
        ++S.RigheFatte;
        emit rowsDoneChanged();
        ControllaAvviso();
        if (S.RigaCorrente >= RowsPerSheet) {
            S.RigaCorrente = 0;
            AbilitaFineScheda();
            return;
        }
        AbilitaRisposta();
        arm(S.RigaCorrente);
    } else {
        if (S.RigheFatte >= 0 && S.RigheFatte < int(S.wrongAnswers.size()))
            ++S.wrongAnswers[size_t(S.RigheFatte)];
        V.yellow[size_t(r)] = true; // until the next sheet
        emit cellChanged(r);
        makeActive(Frame::fraAiuto);
        moveFocus(Frame::fraAiuto, 0);
    }
}

void Esercizio::AbilitaRisposta()
{
    S.mode = Mode::Answer;
    for (int i = 0; i <= Cancella; ++i)
        V.enabled[size_t(i)] = true;
    V.enabled[Invio] = V.lblRisultato[size_t(S.RigaCorrente)] != Empty;
    V.enabled[NuovaTabella] = false;
    V.enabled[Esco] = false;
    emit keysChanged();
    moveFocus(Frame::fraTastierino, 0); // dropped when the keypad is not the active frame
}

void Esercizio::AbilitaFineScheda()
{
    S.mode = Mode::EndOfSheet;
    for (int i = 0; i <= Invio; ++i)
        V.enabled[size_t(i)] = false;
    V.enabled[NuovaTabella] = true;
    V.enabled[Esco] = true;
    emit keysChanged();
    moveFocus(Frame::fraTastierino, NuovaTabella);
}

// ---------------------------------------------------------------- help, intervention, warning

void Esercizio::SiSi()
{
    const int r = S.RigaCorrente;
    setCell(r, S.Risultati[size_t(r)]);
    append(S.RigheFatte, S.Risultati[size_t(r)]);
    record(S.RigheFatte, Outcome::GivenAfterSi);
    makeActive(Frame::fraTastierino);
    disarm(r);
    S.RigaCorrente = int16_t(r + 1);
    // The check comes before the count grows: help on the 30th row brings the warning with
    // the 31st (or at once through the intervention, which checks again).
    ControllaAvviso();
    const bool ended = S.RigaCorrente >= RowsPerSheet;
    if (!ended) {
        AbilitaRisposta();
    } else {
        S.RigaCorrente = 0;
        AbilitaFineScheda();
    }
    ++S.RigheFatte;
    emit rowsDoneChanged();
    if (!ended)
        arm(S.RigaCorrente);
}

void Esercizio::NoNo()
{
    ++S.ContaNo;
    if (S.ContaNo < RefusalsBeforeHelp) {
        makeActive(Frame::fraTastierino);
        arm(S.RigaCorrente);
        AbilitaRisposta();
    } else {
        S.ContaNo = 0;
        makeActive(Frame::fraIntervento);
        moveFocus(Frame::fraIntervento, 0);
    }
}

void Esercizio::optOK_Conferma()
{
    const int row = S.RigheFatte;
    SiSi();
    record(row, Outcome::GivenByIntervention);
    makeActive(Frame::fraTastierino);
    if (S.mode == Mode::EndOfSheet)
        AbilitaFineScheda(); // the help ended the sheet
    else
        AbilitaRisposta();
    ControllaAvviso();
}

void Esercizio::ControllaAvviso()
{
    if (S.RigheFatte < RowsBeforeWarning)
        return;
    makeActive(Frame::fraAvviso);
    moveFocus(Frame::fraAvviso, 0);
}

void Esercizio::Stampa()
{
    // Nothing else changes: the warning stays the active frame behind the print screen.
    emit printRequested();
}
