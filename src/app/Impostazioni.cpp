#include "app/Impostazioni.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const Impostazioni::Info Infos[Impostazioni::Count] = {
    {"scansione", "Scansione automatica", Impostazioni::OnOff, 0, 1, 0},
    {"periodo_ms", "Periodo della scansione", Impostazioni::Milliseconds, 500, 10000, 1500},
    {"primo_percento", "Il primo pulsante resta evidenziato (volte il periodo)", Impostazioni::Percent, 100, 300, 100},
    {"giri", "Giri senza pressioni prima della pausa", Impostazioni::Number, 1, 10, 3},
    {"accettazione_ms", "Tempo di accettazione (0 = nessuno)", Impostazioni::Milliseconds, 0, 2000, 0},
    {"ignora_ms", "Dopo una pressione, ignora le altre per (0 = mai)", Impostazioni::Milliseconds, 0, 2000, 0},
    {"scansione_inversa", "Scansione inversa (con la scansione automatica: si muove finch\u00e9 il sensore \u00e8 premuto)", Impostazioni::OnOff, 0, 1, 0},
    {"evidenziazione", "Evidenziazione", Impostazioni::Choice, 0, 1, 0},
    {"voce", "Voce: legge ad alta voce i pulsanti evidenziati, le somme e le risposte", Impostazioni::OnOff, 0, 1, 0},
};
const QString FirstProfile = QStringLiteral("Predefinito");
// More than any settings file holds: a bigger one is not the program's and is not read through.
const qint64 LargestFile = 64 * 1024;
const int LongestName = 40;

// Whatever is at the path, without waiting: only a plain file is opened (a device may act on open),
// without blocking, and no more than LargestFile bytes are read. Null: nothing could be read;
// `missing` tells whether there was simply no file.
QByteArray readSmallFile(const QString &path, bool *missing)
{
    *missing = false;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        *missing = errno == ENOENT;
        return {};
    }
    if (!S_ISREG(st.st_mode) || st.st_size > LargestFile)
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // What was opened is checked again: the name may have changed hands since the look.
    QByteArray bytes;
    QFile file;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && file.open(fd, QIODevice::ReadOnly))
        bytes = file.read(LargestFile + 1);
    file.close();
    ::close(fd);
    return bytes.size() > LargestFile ? QByteArray() : bytes;
}
}

const Impostazioni::Info &Impostazioni::info(Setting s) { return Infos[s]; }

Impostazioni::Profile Impostazioni::defaults()
{
    Profile p;
    for (int s = 0; s < Count; ++s)
        p[s] = Infos[s].byDefault;
    return p;
}

const QStringList &Impostazioni::highlights()
{
    static const QStringList texts = {QStringLiteral("solo il colore"), QStringLiteral("colore e bordo spesso")};
    return texts;
}

QString Impostazioni::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/calcolino/profili.json");
}

Impostazioni::Impostazioni(QString path) : m_path(std::move(path)), m_current(FirstProfile)
{
    m_profiles[m_current] = defaults();
}

void Impostazioni::load()
{
    bool missing = false;
    const QByteArray bytes = readSmallFile(m_path, &missing);
    m_unreadable = !missing && !read(bytes);
    if (missing || m_unreadable) {
        m_profiles = {{FirstProfile, defaults()}};
        m_current = FirstProfile;
    }
    m_modified = false;
}

// {"profilo": "Marco", "profili": {"Marco": {"scansione": true, "periodo_ms": 2000, ...}, ...}}
// A setting the file lacks takes its default; one of the wrong kind or out of range makes the
// whole file unreadable, rather than a pupil getting half of what the teacher set.
bool Impostazioni::read(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject all = doc.object();
    const QJsonObject profiles = all.value(QLatin1String("profili")).toObject();
    const QString current = all.value(QLatin1String("profilo")).toString();
    if (error.error != QJsonParseError::NoError || !profiles.contains(current))
        return false;
    std::map<QString, Profile> read;
    for (auto it = profiles.begin(); it != profiles.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        if (!it.value().isObject() || it.key().trimmed().isEmpty() || it.key().size() > LongestName)
            return false;
        Profile p = defaults();
        for (int s = 0; s < Count; ++s) {
            const QJsonValue v = o.value(QLatin1String(Infos[s].key));
            if (v.isUndefined())
                continue;
            const Info &i = Infos[s];
            if (i.kind == OnOff && v.isBool())
                p[s] = v.toBool();
            else if (i.kind == Choice && highlights().contains(v.toString()))
                p[s] = int(highlights().indexOf(v.toString()));
            else if (i.kind != OnOff && i.kind != Choice && v.isDouble() && v.toDouble() == v.toInt()
                     && v.toInt() >= i.min && v.toInt() <= i.max)
                p[s] = v.toInt();
            else
                return false;
        }
        read[it.key()] = p;
    }
    m_profiles = std::move(read);
    m_current = current;
    return true;
}

bool Impostazioni::save(QString *error)
{
    QJsonObject profiles;
    for (const auto &[name, p] : m_profiles) {
        QJsonObject o;
        for (int s = 0; s < Count; ++s)
            o.insert(QLatin1String(Infos[s].key), Infos[s].kind == OnOff    ? QJsonValue(p[s] != 0)
                                                  : Infos[s].kind == Choice ? QJsonValue(highlights().value(p[s]))
                                                                            : QJsonValue(p[s]));
        profiles.insert(name, o);
    }
    const QJsonObject all{{QStringLiteral("profilo"), m_current}, {QStringLiteral("profili"), profiles}};
    // Written whole beside the old file, then put in its place: a full disk or a crash leaves
    // the old one.
    QSaveFile file(m_path);
    const bool ok = QDir().mkpath(QFileInfo(m_path).path()) && file.open(QIODevice::WriteOnly)
                    && file.write(QJsonDocument(all).toJson()) >= 0 && file.commit();
    if (!ok && error)
        *error = QStringLiteral("Le impostazioni non sono state salvate in %1: %2.")
                     .arg(m_path, file.errorString().isEmpty() ? QStringLiteral("la cartella non si pu\u00f2 creare")
                                                               : file.errorString());
    if (ok) {
        m_unreadable = false;
        m_modified = false;
    }
    return ok;
}

QStringList Impostazioni::names() const
{
    QStringList list;
    for (const auto &entry : m_profiles)
        list << entry.first;
    return list;
}

bool Impostazioni::choose(const QString &name)
{
    if (!m_profiles.count(name))
        return false;
    m_modified |= name != m_current;
    m_current = name;
    return true;
}

QString Impostazioni::chooseForRun(const QString &name)
{
    if (name.isEmpty() || choose(name) || m_unreadable)
        return {};
    return QStringLiteral("Calcolino: il profilo \u00ab%1\u00bb non c'\u00e8 (ci sono: %2).\n")
        .arg(name, names().join(QStringLiteral(", ")));
}

bool Impostazioni::add(const QString &name)
{
    const QString n = name.trimmed();
    if (n.isEmpty() || n.size() > LongestName || m_profiles.count(n))
        return false;
    m_profiles[n] = defaults();
    m_current = n;
    m_modified = true;
    return true;
}

void Impostazioni::remove(const QString &name)
{
    if (m_profiles.size() < 2 || !m_profiles.erase(name))
        return;
    if (name == m_current)
        m_current = m_profiles.begin()->first;
    m_modified = true;
}

void Impostazioni::set(Setting s, int v)
{
    int &mine = m_profiles.at(m_current)[s];
    v = std::clamp(v, Infos[s].min, Infos[s].max);
    m_modified |= mine != v;
    mine = v;
    // The teacher's choice on the screen now rules over the command line's.
    if (s == Scanning || s == Period)
        scanOverrideMs.reset();
    if (s == Speech)
        voiceOverride = false;
}

std::optional<int> Impostazioni::scanPeriodMs() const
{
    if (scanOverrideMs)
        return scanOverrideMs;
    if (value(Scanning))
        return value(Period);
    return std::nullopt;
}
