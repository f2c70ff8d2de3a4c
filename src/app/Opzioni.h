#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The command line. The help and a wrong scanning period are read before the application exists,
// so that they need no display; what is left once the toolkit has taken its own options must be
// ours, or it is a mistake.
struct Opzioni {
    std::optional<int> scanPeriodMs; // automatic scanning, when asked for
    std::optional<int> exitStatus;   // set: print `text` and end at once
    QString text;                    // for standard output when the status is 0, else for errors

    static Opzioni parse(const QStringList &arguments); // without the program's name
    // What is left once the toolkit has taken its own options (-platform, -display, ...).
    static Opzioni leftOver(const QStringList &arguments);
};
