#pragma once
#include "input/ButtonArray.h"
#include <QDate>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QPagedPaintDevice;
class QPainter;
class QPrinter;

// The print screen: a page preview of the pupil's work, to print or save as PDF.
class FrmStampa : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList rows READ rows)
    Q_PROPERTY(int rowCount READ rowCount)
    Q_PROPERTY(int table READ table)
public:
    FrmStampa(const QStringList &rows, int rowCount, int table, QWidget *parent = nullptr);
    ~FrmStampa() override;
    QStringList rows() const { return m_rows; }
    int rowCount() const { return m_rowCount; }
    int table() const { return m_table; }
    QDate data() const { return m_data; }

    // Opens the print screen with the print rows. Not modal: returns at once with the open
    // screen (one print screen at a time: an open one takes the new rows and comes forward).
    // Modal: returns only once the screen has closed, with nullptr.
    static FrmStampa *apri(const QStringList &rows, int rowCount, int table, bool modal);

    // The page, drawn the same on the preview, the printer and the PDF: `pagina` is the whole
    // A4 sheet in the painter's coordinates.
    static void disegnaPagina(QPainter &p, const QRectF &pagina, const QStringList &rows, int rowCount, int table,
                              const QDate &data);
    // One A4 page on a printer or PDF writer; false when the device cannot be painted on.
    bool disegnaSu(QPagedPaintDevice &device) const;
    // "Tabella del 4", as the start screen names the tables.
    static QString nomeTabella(int table);

    // The two dialogs, replaceable so that tests never open a real one. The file dialog gives
    // the path the user chose ("" when cancelled); the print dialog sets up the printer and
    // says whether to print.
    static std::function<QString(QWidget *parent, const QString &proposta)> scegliFilePdf;
    static std::function<bool(QPrinter *printer, QWidget *parent)> scegliStampante;

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
    void imposta(const QStringList &rows, int rowCount, int table);
    bool optComando_KeyDown(int Index, int KeyCode);
    void EseguiComando(int Index);
    void avvisa(const QString &testo);

    QStringList m_rows;
    int m_rowCount;
    int m_table;
    QDate m_data;
    ButtonArray optComando;
    QWidget *m_anteprima = nullptr;
    QLabel *m_messaggio = nullptr;
    QPointer<QWidget> m_apertoDa; // the window to go back to when the screen closes
    bool m_tastoPremuto = false;  // a key has been pressed here since the screen opened
};
