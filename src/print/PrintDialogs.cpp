#include "print/PrintDialogs.h"
#include <QFileDialog>
#include <QPrintDialog>

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
    return d.exec() == QDialog::Accepted;
}
