#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The command line, read whole before the application exists, so that a mistake needs no display:
// the program's own options, and those of the toolkit's that it lets through; anything else is a
// mistake, and so is a window system the program is not tested on (on the command line or in
// QT_QPA_PLATFORM).
struct Opzioni {
    std::optional<int> scanPeriodMs; // automatic scanning, when asked for
    QString profile;                 // the pupil's settings for this run, when named
    bool settingsAtStart = false;    // the teacher's settings screen opens at start
    bool voice = false;              // the Italian voice, for this run
    std::optional<int> exitStatus;   // set: print `text` and end at once
    QString text;                    // for standard output when the status is 0, else for errors

    // `arguments` without the program's name; the platform the environment asks for, if any.
    static Opzioni parse(const QStringList &arguments, const QString &platformFromEnvironment = {});
    // X11, Wayland, or the tests' offscreen platform: "xcb", "wayland;xcb", "xcb:option".
    static bool platformSupported(const QString &platforms);
};
