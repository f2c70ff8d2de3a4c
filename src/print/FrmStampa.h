#pragma once
#include "input/ButtonArray.h"
#include <QDate>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class PrintDialogs;
class QLabel;
class QPagedPaintDevice;
class QPainter;

// The print screen: a page preview of the pupil's work, to print or save as PDF.
class FrmStampa : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList rows READ rows)
    Q_PROPERTY(int rowCount READ rowCount)
    Q_PROPERTY(int table READ table)
public:
    FrmStampa(PrintDialogs &dialogs, const QStringList &rows, int rowCount, int table);
    ~FrmStampa() override;
    QStringList rows() const { return m_rows; }
    int rowCount() const { return m_rowCount; }
    int table() const { return m_table; }
    QDate date() const { return m_date; }
    // New rows for the screen already open.
    void setRows(const QStringList &rows, int rowCount, int table);
    // The window to go back to when the screen closes.
    void setOpener(QWidget *opener) { m_opener = opener; }

    // The page, drawn the same on the preview, the printer and the PDF: `page` is the whole
    // A4 sheet in the painter's coordinates.
    static void paintPage(QPainter &p, const QRectF &page, const QStringList &rows, int rowCount, int table,
                          const QDate &date);
    // One A4 page on a printer or PDF writer; false when the device cannot be painted on.
    bool paintOn(QPagedPaintDevice &device) const;
    // "Tabella del 4", as the start screen names the tables.
    static QString tableName(int table);

    // The three commands: "Stampa", "Salva PDF", "Chiudi".
    void Stampa();
    void SalvaPdf();
    void Chiudi();

    // Press flags of the command buttons: a held key acts once.
    bool BloccoSpazioComandi = false;
    bool BloccoTastoComandi = false;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void EseguiComando(int Index);
    void say(const QString &text, bool ok = true);

    PrintDialogs &m_dialogs;
    QStringList m_rows;
    int m_rowCount;
    int m_table;
    QDate m_date;
    ButtonArray optComando;
    QWidget *m_preview = nullptr;
    QLabel *m_message = nullptr;
    QPointer<QWidget> m_opener;
    bool m_keyPressed = false; // a key has been pressed here since the screen opened
};
