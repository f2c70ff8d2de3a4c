#pragma once
#include <QPageLayout>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;

// A print job, between the print screen and the print module (the one part of the program that
// needs Qt's print support, loaded the first time the teacher prints): the screen gives the
// dialog and its page, the module makes the printer and says how the job went.
struct PrintJob {
    QString document; // the job's name, the PDF file's in the dialog
    std::function<bool(QPrinter *)> dialog; // false: cancelled
    std::function<void()> dialogClosed;
    std::function<bool(QPagedPaintDevice &)> paint;

    bool chosen = false;
    bool toFile = false; // the teacher chose a PDF file instead of a printer (or there is none):
    QString file;        // its path,
    QPageLayout paper;   // and the paper chosen
    QString printer;
    bool painted = false;
    int answer = 0; // CUPS's answer to the job, an IPP status (0 "taken" when there is no CUPS to ask)
};
