#pragma once
#include <QString>

class QPrinter;
class QWidget;

// The two dialogs of the print screen: the system's by default; a test gives its own.
class PrintDialogs {
public:
    // `beforeQtDialog` readies the toolkit before one of its own dialogs opens (its Italian texts,
    // no settings files); the program says what that takes.
    explicit PrintDialogs(void (*beforeQtDialog)() = nullptr) : m_before(beforeQtDialog) {}
    virtual ~PrintDialogs() = default;
    // The PDF file to write, "" when the user cancels.
    virtual QString pdfFile(QWidget *parent, const QString &proposal);
    // Sets up the printer; false when the user cancels. Called with the print module loaded.
    virtual bool printer(QPrinter *printer, QWidget *parent);

    // The print module's function `name`, the module loaded (once for the run); null when it cannot
    // be, and `why` says which file is missing.
    void *fromPrintModule(const char *name, QString *why = nullptr) const;
    QString printModule; // the module's file; empty: the one installed beside the program

private:
    void before() const
    {
        if (m_before)
            m_before();
    }
    void (*m_before)();
};
