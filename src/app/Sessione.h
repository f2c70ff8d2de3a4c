#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

// The program-wide variables of a session on the exercise screen. They live for the whole run.
struct Sessione {
    QString Risposta;                 // the answer being typed for the current row
    std::array<QString, 16> Risultati; // expected result of row g, with one leading blank (" 7")
    std::array<QString, 42> RigheStampa; // the print rows
    int16_t RigheFatte = 0;           // rows completed since the last restart

    // The print-row prefix of N + k: "7 + 10 = ", "7 +  5 = " (one more blank below 10).
    static QString prefisso(int n, int k);

    // Where row g of a sheet is written. Rows are completed strictly in order and every
    // completed row adds exactly one to RigheFatte, so row g of a sheet drawn when RigheFatte
    // was F becomes print row F + g. Storing the prefix there keeps each print row whole
    // (prefix, then every answer or given result) across any number of sheets.
    static int slotDellaRiga(int righeFatteAllInizio, int g) { return righeFatteAllInizio + g; }

    // Appends to a print row; a slot outside the 42 is left alone rather than overrun.
    void aggiungi(int slot, const QString &testo);
    void svuotaRighe();
    // The print rows of the completed rows, blanks kept.
    QStringList righeCompletate() const;
};

// Pseudo-random numbers uniform in [0, 1), reseeded from the clock (seconds since midnight,
// with their fraction) at every sheet. Tests may replace the clock to repeat a sequence.
class Casuale {
public:
    void reseed(double seed);
    double next();
    static double secondiDallaMezzanotte();
    static std::function<double()> orologio; // the clock read at each reseed
private:
    uint64_t m_state = 0x9E3779B97F4A7C15ull;
};
