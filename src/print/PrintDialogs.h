#pragma once
#include <QString>

class QPrinter;
class QWidget;

// The two dialogs of the print screen: the system's by default; a test gives its own.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // The PDF file to write, "" when the user cancels.
    virtual QString pdfFile(QWidget *parent, const QString &proposal);
    // Sets up the printer; false when the user cancels.
    virtual bool printer(QPrinter *printer, QWidget *parent);
};
