#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The command line, read before the application exists so that the help and a mistake need no
// display. Arguments that are not ours are left to the toolkit.
struct Opzioni {
    std::optional<int> scanPeriodMs; // automatic scanning, when asked for
    std::optional<int> exitStatus;   // set: print `text` and end at once
    QString text;                    // for standard output when the status is 0, else for errors

    static Opzioni parse(const QStringList &arguments); // without the program's name
};
