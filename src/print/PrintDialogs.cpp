#include "print/PrintDialogs.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibrary>

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
    const auto dialog = reinterpret_cast<bool (*)(QPrinter *, QWidget *)>(fromPrintModule("calcolino_print_dialog"));
    return dialog && dialog(printer, parent);
}

void *PrintDialogs::fromPrintModule(const char *name, QString *why) const
{
    QLibrary module(printModule.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/" CALCOLINO_PRINT_MODULE)
                                          : printModule);
    void *f = module.load() ? reinterpret_cast<void *>(module.resolve(name)) : nullptr;
    if (!f && why)
        *why = QDir::toNativeSeparators(module.fileName());
    return f;
}
