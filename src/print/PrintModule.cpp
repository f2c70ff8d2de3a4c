// The print module: the printer and Qt's print dialog, loaded by the print screen the first time
// the teacher prints, so that Qt's print support and CUPS's library load only then. It draws
// nothing itself: the page is the print screen's.
#include "print/PrintJob.h"
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

extern "C" Q_DECL_EXPORT bool calcolino_print_dialog(QPrinter *printer, QWidget *parent)
{
    QPrintDialog d(printer, parent);
    d.setWindowTitle(QStringLiteral("Stampa esercizio"));
    // Qt 6.4 names the PDF file after the document only on X11; elsewhere its dialog proposes the
    // folder alone, refuses it at the first Enter with a message and keeps refusing it. The file
    // gets the document's name in that folder, as on X11.
    if (auto *file = d.findChild<QLineEdit *>(QStringLiteral("filename")); file && QFileInfo(file->text()).isDir())
        file->setText(QDir(file->text()).filePath(printer->docName() + QStringLiteral(".pdf")));
    return d.exec() == QDialog::Accepted;
}

extern "C" Q_DECL_EXPORT void calcolino_print(PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(job.document);
    job.chosen = job.dialog(&printer);
    job.dialogClosed();
    if (!job.chosen)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat) { // no printer, or the teacher chose a file
        job.toFile = true;
        job.file = printer.outputFileName();
        job.paper = printer.pageLayout();
        return;
    }
    job.printer = printer.printerName();
    job.painted = printer.isValid() && job.paint(printer);
    // Qt hands the job to CUPS when the painter ends, on this thread, and keeps CUPS's answer to
    // itself: it is read here, before anything else asks CUPS, from the CUPS library that Qt's
    // print support has loaded. None: no CUPS to ask.
    using LastError = int (*)();
    static const auto answer = reinterpret_cast<LastError>(QLibrary::resolve(QStringLiteral("cups"), 2, "cupsLastError"));
    if (job.painted && answer)
        job.answer = answer();
}
