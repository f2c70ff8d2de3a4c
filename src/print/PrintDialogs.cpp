#include "print/PrintDialogs.h"
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

QString PrintDialogs::pdfFile(QWidget *parent, const QString &proposal)
{
    before();
    QFileDialog d(parent, QStringLiteral("Salva PDF"), proposal, QStringLiteral("Documenti PDF (*.pdf)"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QStringLiteral("pdf"));
    return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
}

bool PrintDialogs::printer(QPrinter *printer, QWidget *parent)
{
    before();
    QPrintDialog d(printer, parent);
    d.setWindowTitle(QStringLiteral("Stampa esercizio"));
    // Qt 6.4 names the PDF file after the document only on X11; elsewhere its dialog proposes the
    // folder alone, refuses it at the first Enter with a message and keeps refusing it. The file
    // gets the document's name in that folder, as on X11.
    if (auto *file = d.findChild<QLineEdit *>(QStringLiteral("filename")); file && QFileInfo(file->text()).isDir())
        file->setText(QDir(file->text()).filePath(printer->docName() + QStringLiteral(".pdf")));
    return d.exec() == QDialog::Accepted;
}
