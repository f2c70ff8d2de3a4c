#include "print/FrmStampa.h"
#include "app/Programma.h"
#include "input/KeyCodes.h"
#include "screens/Accessibilita.h"
#include "screens/Screen.h"
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace {
const QColor Sfondo(255, 224, 192);       // the screens' background
const QColor TestoPulsanti(0, 0, 192);    // the keypad's captions
const QColor SfondoAnteprima(150, 150, 150);
const QColor Errore(170, 0, 0);
const QColor Riuscito(0, 110, 0);

// The page is laid out in tenths of a millimetre on an A4 sheet; fonts are sized in the same
// unit, so the page looks alike on the screen, on paper and in the PDF.
constexpr double LarghezzaA4 = 2100, AltezzaA4 = 2970;
constexpr double Margine = 200;
constexpr double InizioRighe = 520;

QFont carattereTesto(int px, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// The rows keep their blanks, so every wrong answer and every given result stands in its column.
QFont carattereRighe(int px)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Courier New")});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(px);
    return f;
}

QPointer<FrmStampa> g_aperta; // the print screen now open, if any

// The page preview: the sheet drawn to scale on a grey desk.
class Anteprima : public QWidget {
public:
    explicit Anteprima(const FrmStampa *owner) : m_owner(owner)
    {
        setObjectName(QStringLiteral("picAnteprima"));
        setMinimumSize(210, 297);
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override { return QSize(525, 742); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.fillRect(rect(), SfondoAnteprima);
        const QRectF spazio = QRectF(rect()).adjusted(12, 12, -12, -12);
        const double scala = std::min(spazio.width() / LarghezzaA4, spazio.height() / AltezzaA4);
        const QSizeF dim(LarghezzaA4 * scala, AltezzaA4 * scala);
        const QRectF foglio(spazio.center().x() - dim.width() / 2, spazio.center().y() - dim.height() / 2, dim.width(),
                            dim.height());
        p.fillRect(foglio.translated(4, 4), QColor(90, 90, 90));
        p.fillRect(foglio, Qt::white);
        FrmStampa::disegnaPagina(p, foglio, m_owner->rows(), m_owner->rowCount(), m_owner->table(), m_owner->data());
    }

private:
    const FrmStampa *m_owner;
};
}

std::function<QString(QWidget *, const QString &)> FrmStampa::scegliFilePdf = [](QWidget *parent,
                                                                                   const QString &proposta) {
    QFileDialog d(parent, QStringLiteral("Salva PDF"), proposta, QStringLiteral("Documenti PDF (*.pdf)"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QStringLiteral("pdf"));
    return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
};

std::function<bool(QPrinter *, QWidget *)> FrmStampa::scegliStampante = [](QPrinter *printer, QWidget *parent) {
    QPrintDialog d(printer, parent);
    d.setWindowTitle(QStringLiteral("Stampa esercizio"));
    return d.exec() == QDialog::Accepted;
};

FrmStampa::FrmStampa(const QStringList &rows, int rowCount, int table, QWidget *parent)
    : QWidget(parent), m_rows(rows), m_rowCount(rowCount), m_table(table), m_data(QDate::currentDate()),
      optComando(ButtonArray::Rules::guardate(&BloccoSpazioComandi, &BloccoTastoComandi, true),
                 [this](int i, int k) { return optComando_KeyDown(i, k); }, [this](int i) { EseguiComando(i); })
{
    setObjectName(QStringLiteral("frmStampa"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Stampa esercizio"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Sfondo);
    setPalette(pal);

    m_anteprima = new Anteprima(this);

    std::vector<OptionButton *> pulsanti;
    const char *const didascalie[] = {"Stampa", "Salva PDF", "Chiudi"};
    for (int i = 0; i < 3; ++i) {
        auto *b = new OptionButton(this);
        b->setObjectName(QStringLiteral("optComando_%1").arg(i));
        b->setText(QString::fromUtf8(didascalie[i]));
        b->setFont(Screen::font(Def::Font{"Arial", 18, true}));
        b->setBackColor(ButtonArray::RestColor);
        b->setForeColor(TestoPulsanti);
        b->setMinimumWidth(240);
        b->setFixedHeight(72);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->installEventFilter(this);
        pulsanti.push_back(b);
    }
    optComando.setButtons(pulsanti);

    m_messaggio = new QLabel(this);
    m_messaggio->setObjectName(QStringLiteral("lblMessaggio"));
    m_messaggio->setFont(Screen::font(Def::Font{"Arial", 14, true}));
    m_messaggio->setWordWrap(true);
    m_messaggio->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_messaggio->setTextFormat(Qt::PlainText);

    auto *colonna = new QVBoxLayout;
    colonna->setSpacing(14);
    for (OptionButton *b : pulsanti)
        colonna->addWidget(b);
    colonna->addSpacing(10);
    colonna->addWidget(m_messaggio);
    colonna->addStretch(1);

    auto *riga = new QHBoxLayout(this);
    riga->setContentsMargins(12, 12, 12, 12);
    riga->setSpacing(16);
    riga->addWidget(m_anteprima, 1);
    riga->addLayout(colonna);

    Accessibilita::applica(objectName(), this);
    optComando.focus(0);
}

FrmStampa::~FrmStampa() = default;

QString FrmStampa::nomeTabella(int table)
{
    const QString nome = Programma::nomeTabella(table);
    return nome.isEmpty() ? QStringLiteral("Tabella del %1").arg(table) : nome;
}

FrmStampa *FrmStampa::apri(const QStringList &rows, int rowCount, int table, bool modal)
{
    QWidget *da = QApplication::activeWindow();
    if (g_aperta && modal) {
        // A modal one is made afresh; the one already open gives way.
        g_aperta->close();
        g_aperta = nullptr;
    }
    if (g_aperta) {
        g_aperta->imposta(rows, rowCount, table);
        g_aperta->raise();
        g_aperta->activateWindow();
        return g_aperta;
    }
    auto *f = new FrmStampa(rows, rowCount, table);
    g_aperta = f;
    if (da != f)
        f->m_apertoDa = da;
    f->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    f->showMaximized();
    f->raise();
    f->activateWindow();
    if (!modal)
        return f;
    // The caller waits here until the pupil closes the print screen.
    QEventLoop attesa;
    connect(f, &QObject::destroyed, &attesa, &QEventLoop::quit);
    attesa.exec(QEventLoop::DialogExec);
    return nullptr;
}

void FrmStampa::imposta(const QStringList &rows, int rowCount, int table)
{
    m_rows = rows;
    m_rowCount = rowCount;
    m_table = table;
    m_data = QDate::currentDate();
    avvisa(QString());
    m_anteprima->update();
}

// ---------------------------------------------------------------- the page

void FrmStampa::disegnaPagina(QPainter &p, const QRectF &pagina, const QStringList &rows, int rowCount, int table,
                              const QDate &data)
{
    p.save();
    const double scala = std::min(pagina.width() / LarghezzaA4, pagina.height() / AltezzaA4);
    p.translate(pagina.left() + (pagina.width() - LarghezzaA4 * scala) / 2, pagina.top());
    p.scale(scala, scala);
    p.setPen(Qt::black);
    const double larghezza = LarghezzaA4 - 2 * Margine;

    // Heading: the table, the date and how many rows were done.
    p.setFont(carattereTesto(100, true));
    p.drawText(QRectF(Margine, Margine, larghezza, 130), Qt::AlignLeft | Qt::AlignVCenter, nomeTabella(table));
    p.setFont(carattereTesto(45, false));
    p.drawText(QRectF(Margine, Margine, larghezza, 130), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Data: %1").arg(data.toString(QStringLiteral("dd/MM/yyyy"))));
    p.drawText(QRectF(Margine, Margine + 140, larghezza, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Esercizi svolti: %1").arg(rowCount));
    p.setPen(QPen(QColor(120, 120, 120), 4));
    p.drawLine(QPointF(Margine, Margine + 240), QPointF(LarghezzaA4 - Margine, Margine + 240));
    p.setPen(Qt::black);

    if (rows.isEmpty()) {
        QFont f = carattereTesto(50, false);
        f.setItalic(true);
        p.setFont(f);
        p.drawText(QRectF(Margine, InizioRighe, larghezza, 80), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Nessun esercizio completato"));
        p.restore();
        return;
    }

    // One line per row, as large as the page allows, and smaller if a long row needs it.
    const double altezza = AltezzaA4 - Margine - InizioRighe;
    const double passo = std::min(100.0, altezza / rows.size());
    int px = std::min(64, int(passo * 0.72));
    double piuLunga = 0;
    for (const QString &r : rows)
        piuLunga = std::max(piuLunga, QFontMetricsF(carattereRighe(px)).horizontalAdvance(r));
    if (piuLunga > larghezza)
        px = std::max(8, int(px * larghezza / piuLunga));
    const QFont righe = carattereRighe(px);
    p.setFont(righe);
    const double ascesa = QFontMetricsF(righe).ascent();
    for (int i = 0; i < rows.size(); ++i)
        p.drawText(QPointF(Margine, InizioRighe + i * passo + (passo - px) / 2 + ascesa), rows.at(i));
    p.restore();
}

bool FrmStampa::disegnaSu(QPagedPaintDevice &device) const
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    p.setRenderHint(QPainter::TextAntialiasing);
    // The painter starts at the printable area; the page is drawn from the sheet's corner.
    const int dpi = device.logicalDpiX();
    const QPageLayout layout = device.pageLayout();
    const QRect foglio = layout.fullRectPixels(dpi);
    const QRect stampabile = layout.paintRectPixels(dpi);
    disegnaPagina(p, QRectF(foglio).translated(-stampabile.topLeft()), m_rows, m_rowCount, m_table, m_data);
    return p.end();
}

// ---------------------------------------------------------------- the commands

void FrmStampa::avvisa(const QString &testo)
{
    m_messaggio->setText(testo);
}

void FrmStampa::Stampa()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(nomeTabella(m_table));
    printer.setCreator(QStringLiteral("Calcolino"));
    if (!scegliStampante || !scegliStampante(&printer, this)) {
        avvisa(QString());
        return;
    }
    QPalette pal = m_messaggio->palette();
    const bool riuscito = printer.isValid() && disegnaSu(printer);
    pal.setColor(QPalette::WindowText, riuscito ? Riuscito : Errore);
    m_messaggio->setPalette(pal);
    avvisa(riuscito ? QStringLiteral("Esercizio inviato alla stampante") : QStringLiteral("Impossibile stampare l'esercizio"));
}

void FrmStampa::SalvaPdf()
{
    QString cartella = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (cartella.isEmpty())
        cartella = QDir::homePath();
    const QString proposta = QDir(cartella).filePath(
        QStringLiteral("%1 %2.pdf").arg(nomeTabella(m_table), m_data.toString(QStringLiteral("yyyy-MM-dd"))));
    const QString percorso = scegliFilePdf ? scegliFilePdf(this, proposta) : QString();
    if (percorso.isEmpty()) {
        avvisa(QString());
        return;
    }
    // Written aside and put in place only when whole: a failure leaves no half file behind.
    QSaveFile file(percorso);
    file.setDirectWriteFallback(true);
    bool riuscito = file.open(QIODevice::WriteOnly);
    if (riuscito) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        pdf.setTitle(nomeTabella(m_table));
        pdf.setCreator(QStringLiteral("Calcolino"));
        riuscito = disegnaSu(pdf);
    }
    riuscito = riuscito && file.commit();
    QPalette pal = m_messaggio->palette();
    pal.setColor(QPalette::WindowText, riuscito ? Riuscito : Errore);
    m_messaggio->setPalette(pal);
    // A long path may break after any folder separator.
    QString dove = QDir::toNativeSeparators(percorso);
    dove.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    avvisa(riuscito ? QStringLiteral("File PDF salvato:\n%1").arg(dove)
                    : QStringLiteral("Impossibile salvare il file PDF:\n%1").arg(dove));
}

void FrmStampa::Chiudi()
{
    close();
}

void FrmStampa::EseguiComando(int Index)
{
    switch (Index) {
    case 0: Stampa(); break;
    case 1: SalvaPdf(); break;
    case 2: Chiudi(); break;
    default: break;
    }
}

bool FrmStampa::optComando_KeyDown(int Index, int KeyCode)
{
    // The initial letter or the place of a button moves the focus there; Enter confirms.
    switch (KeyCode) {
    case 'S': case KeyCode::Digit0 + 1: case KeyCode::Pad0 + 1: optComando.focus(0); return true;
    case 'P': case KeyCode::Digit0 + 2: case KeyCode::Pad0 + 2: optComando.focus(1); return true;
    case 'C': case KeyCode::Digit0 + 3: case KeyCode::Pad0 + 3: optComando.focus(2); return true;
    case KeyCode::Enter: optComando.confirm(Index); return true;
    default: return false;
    }
}

bool FrmStampa::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        // The key that opened this screen may still be held down: its repeats are no choice
        // made here.
        const auto *k = static_cast<QKeyEvent *>(e);
        if (k->isAutoRepeat() && !m_tastoPremuto)
            return true;
        if (!k->isAutoRepeat())
            m_tastoPremuto = true;
    }
    return QWidget::eventFilter(o, e);
}

void FrmStampa::closeEvent(QCloseEvent *e)
{
    e->accept();
    if (g_aperta == this)
        g_aperta = nullptr;
    // Back to the screen the print screen was opened from (the warning, still waiting).
    if (m_apertoDa && m_apertoDa->isVisible()) {
        m_apertoDa->raise();
        m_apertoDa->activateWindow();
    }
}
