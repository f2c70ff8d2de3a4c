#include "app/Sessione.h"
#include <QTime>
#include <cstring>

QString Sessione::prefisso(int n, int k)
{
    return QStringLiteral("%1 + %2%3 = ").arg(n).arg(k < 10 ? QStringLiteral(" ") : QString()).arg(k);
}

void Sessione::aggiungi(int slot, const QString &testo)
{
    if (slot >= 0 && slot < int(RigheStampa.size()))
        RigheStampa[size_t(slot)] += testo;
}

void Sessione::svuotaRighe()
{
    for (QString &r : RigheStampa)
        r.clear();
}

QStringList Sessione::righeCompletate() const
{
    QStringList rows;
    for (int i = 0; i < RigheFatte && i < int(RigheStampa.size()); ++i)
        rows << RigheStampa[size_t(i)];
    return rows;
}

std::function<double()> Casuale::orologio = &Casuale::secondiDallaMezzanotte;

double Casuale::secondiDallaMezzanotte()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void Casuale::reseed(double seed)
{
    uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    m_state = bits ^ 0x9E3779B97F4A7C15ull;
}

double Casuale::next()
{
    // splitmix64: small, fast and evenly spread; the top 53 bits give [0, 1).
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}
