#pragma once
#include "input/ButtonArray.h"
#include "print/PrintedWork.h"
#include <QDateTime>
#include <QPointer>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

class PrintDialogs;
class QLabel;
class QLineEdit;
class QPageLayout;
class QPagedPaintDevice;
class QPainter;

// The print screen: the page with the pupil's work as it prints, to print or save as PDF, and a
// field where the teacher may write the pupil's name on it.
class FrmStampa : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList rows READ rows)
    Q_PROPERTY(int rowCount READ rowCount)
    Q_PROPERTY(int table READ table)
public:
    // `beforeQtTexts` makes the toolkit's own texts Italian (the program says how); the screen
    // calls it as it opens, before the name field's menu or a dialog can show.
    FrmStampa(PrintDialogs &dialogs, const PrintedWork &work, void (*beforeQtTexts)() = nullptr);
    ~FrmStampa() override;
    QStringList rows() const { return m_work.rows; }
    int rowCount() const { return m_work.rowCount; }
    int table() const { return m_work.table; }
    const PrintedWork &work() const { return m_work; }
    // When the work ended: the date and time on the page.
    QDateTime when() const { return m_work.when; }
    // The name typed in the field: on the page, and kept by the program for the session.
    QString pupil() const;
    // New work for the screen already open.
    void setWork(const PrintedWork &work);
    // The window to go back to when the screen closes.
    void setOpener(QWidget *opener) { m_opener = opener; }

    // One page on a printer or PDF writer, on its paper; false when it cannot be painted on.
    bool paintOn(QPagedPaintDevice &device) const;

    // The three commands: "Stampa", "Salva PDF", "Chiudi".
    void Stampa();
    void SalvaPdf();
    void Chiudi();

    // Press flags of the command buttons: a held key acts once.
    bool BloccoSpazioComandi = false;
    bool BloccoTastoComandi = false;

signals:
    void pupilChanged(const QString &name);

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    // How writing a PDF went, for the message on the screen; why() finds the reason of a failure
    // in `folder` from the system's error (0: none given) and the bytes the file `needed`.
    enum class PdfWritten { Yes, DiskFull, NoPermission, FolderGone, NotHere, Failed };
    static PdfWritten why(const QString &folder, int error, qint64 needed);
    PdfWritten writePdf(const QString &path, const QPageLayout &paper) const;
    static QString failure(PdfWritten w, const QString &path);
    // Why CUPS did not take the job, from its `answer` (an IPP status); "" when it took it.
    static QString printRefused(int answer, const QString &printer);
    static QString shown(const QString &path);
    QString proposal() const; // the PDF's folder and name
    void readyForTheNextKey(int command);
    void EseguiComando(int Index);
    void say(const QString &text, bool ok = true);

    PrintDialogs &m_dialogs;
    PrintedWork m_work;
    ButtonArray optComando;
    QWidget *m_sheet = nullptr; // the page in the preview
    QLineEdit *m_name = nullptr;
    QLabel *m_message = nullptr;
    QPointer<QWidget> m_opener;
};
