#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <optional>

// The teacher's settings, one profile per pupil, kept in one file of the user's configuration
// folder. Reading never waits and never fails the start: whatever is at that name, the program
// starts with what it could read, or with the defaults; the file is written only by save().
class Impostazioni {
public:
    enum Setting { Scanning, Period, FirstItem, Rounds, Acceptance, RepeatIgnore, InverseScanning, Highlight, Speech, Count };
    enum Kind { OnOff, Milliseconds, Percent, Number, Choice };
    struct Info {
        const char *key;   // in the file
        const char *label; // on the settings screen
        Kind kind;
        int min, max, byDefault;
    };
    static const Info &info(Setting s);
    using Profile = std::array<int, Count>;
    static Profile defaults();
    static const QStringList &highlights(); // the Choice's texts, by value

    // $XDG_CONFIG_HOME/calcolino/profili.json, or under ~/.config.
    static QString defaultPath();
    explicit Impostazioni(QString path = defaultPath());

    // Reads the file; a missing one is no fault. Anything else that cannot be read leaves the
    // defaults and unreadable() set, until a save.
    void load();
    bool unreadable() const { return m_unreadable; }
    // Writes every profile at once; on failure the reason, in Italian, and the file as it was.
    bool save(QString *error = nullptr);
    bool modified() const { return m_modified; }
    QString path() const { return m_path; }

    QStringList names() const;
    QString current() const { return m_current; }
    bool choose(const QString &name); // false: there is no such profile
    // The command line's profile: none, or one of those saved, or any while the file cannot be
    // read. Else the one line that says so.
    QString chooseForRun(const QString &name);
    // A new profile with the defaults, made the current one; false if the name is empty or taken.
    bool add(const QString &name);
    void remove(const QString &name); // never the last one
    int value(Setting s) const { return m_profiles.at(m_current)[s]; }
    void set(Setting s, int v);

    // The command line's automatic scanning, for this run, over the profile's.
    std::optional<int> scanOverrideMs;
    // Automatic scanning's period as it is to run now; none: scanning off.
    std::optional<int> scanPeriodMs() const;
    // The command line's voice, for this run; the voice as it is to be now.
    bool voiceOverride = false;
    bool voiceOn() const { return voiceOverride || value(Speech); }

private:
    bool read(const QByteArray &bytes);
    QString m_path;
    std::map<QString, Profile> m_profiles;
    QString m_current;
    bool m_unreadable = false;
    bool m_modified = false;
};
