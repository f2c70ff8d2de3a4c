#pragma once
#include <QDateTime>
#include <QStringList>
#include <vector>

// What the print screen is given of the pupil's work: the completed rows as they were worked and
// how each one went, as the exercise recorded it when the row was completed.
struct PrintedWork {
    // How a row went; each has its own mark on the page.
    enum class Mark { RightFirstTime, RightAfterRetry, GivenAfterSi, GivenByIntervention };

    QStringList rows;              // the print rows, blanks kept ("7 + 10 = 9  9  9   17")
    std::vector<Mark> marks;       // one for each row
    std::vector<int> wrongAnswers; // the wrong answers given in each row
    int rowCount = 0;              // rows done
    int table = 0;
    QDateTime when;                // when the last row was completed: the date and time on the page
    QString pupil;                 // the name the teacher typed, kept for the session
};
