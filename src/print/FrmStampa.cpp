#include "print/FrmStampa.h"
#include "input/KeyTables.h"
#include "print/PrintDialogs.h"
#include "screens/Accessibilita.h"
#include "screens/Screen.h"
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace {
const QColor ButtonText(0, 0, 192); // as the keypad's captions
const QColor Desk(150, 150, 150);
const QColor Failed(170, 0, 0);
const QColor Succeeded(0, 110, 0);

// The page is laid out in tenths of a millimetre on an A4 sheet; fonts are sized in the same
// unit, so the page looks alike on the screen, on paper and in the PDF.
constexpr double WidthA4 = 2100, HeightA4 = 2970;
constexpr double Margin = 200;
constexpr double RowsTop = 520;

QFont textFont(int px, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// The rows keep their blanks, so every wrong answer and every given result stands in its column.
QFont rowFont(int px)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Courier New")});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(px);
    return f;
}

// The page preview: the sheet drawn to scale on a grey desk.
class Preview : public QWidget {
public:
    explicit Preview(const FrmStampa *owner) : m_owner(owner)
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
        p.fillRect(rect(), Desk);
        const QRectF room = QRectF(rect()).adjusted(12, 12, -12, -12);
        const double scale = std::min(room.width() / WidthA4, room.height() / HeightA4);
        const QSizeF size(WidthA4 * scale, HeightA4 * scale);
        const QRectF sheet(room.center().x() - size.width() / 2, room.center().y() - size.height() / 2, size.width(),
                           size.height());
        p.fillRect(sheet.translated(4, 4), QColor(90, 90, 90));
        p.fillRect(sheet, Qt::white);
        FrmStampa::paintPage(p, sheet, m_owner->rows(), m_owner->rowCount(), m_owner->table(), m_owner->date());
    }

private:
    const FrmStampa *m_owner;
};
}

FrmStampa::FrmStampa(PrintDialogs &dialogs, const QStringList &rows, int rowCount, int table)
    : m_dialogs(dialogs), m_rows(rows), m_rowCount(rowCount), m_table(table), m_date(QDate::currentDate()),
      optComando(ButtonArray::Rules::guardate(&BloccoSpazioComandi, &BloccoTastoComandi, true),
                 &KeyTables::printCommands, [this](int i) { EseguiComando(i); })
{
    setObjectName(QStringLiteral("frmStampa"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Stampa esercizio"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Def::color(Def::Rest));
    setPalette(pal);

    m_preview = new Preview(this);

    std::vector<OptionButton *> buttons;
    const char *const captions[] = {"Stampa", "Salva PDF", "Chiudi"};
    for (int i = 0; i < 3; ++i) {
        auto *b = new OptionButton(this);
        b->setObjectName(QStringLiteral("optComando_%1").arg(i));
        b->setText(QString::fromUtf8(captions[i]));
        b->setFont(Screen::font(Def::Font{"Arial", 18, true}));
        b->setBackColor(Def::color(Def::Rest));
        b->setForeColor(ButtonText);
        b->setMinimumWidth(240);
        b->setFixedHeight(72);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->installEventFilter(this);
        buttons.push_back(b);
    }
    optComando.setButtons(buttons);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMessaggio"));
    m_message->setFont(Screen::font(Def::Font{"Arial", 14, true}));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_message->setTextFormat(Qt::PlainText);

    auto *column = new QVBoxLayout;
    column->setSpacing(14);
    for (OptionButton *b : buttons)
        column->addWidget(b);
    column->addSpacing(10);
    column->addWidget(m_message);
    column->addStretch(1);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(16);
    row->addWidget(m_preview, 1);
    row->addLayout(column);

    Accessibilita::applica(objectName(), this);
    optComando.focus(0);
}

FrmStampa::~FrmStampa() = default;

QString FrmStampa::tableName(int table)
{
    const QString name = Def::tableName(table);
    return name.isEmpty() ? QStringLiteral("Tabella del %1").arg(table) : name;
}

void FrmStampa::setRows(const QStringList &rows, int rowCount, int table)
{
    m_rows = rows;
    m_rowCount = rowCount;
    m_table = table;
    m_date = QDate::currentDate();
    say(QString());
    m_preview->update();
}

// ---------------------------------------------------------------- the page

void FrmStampa::paintPage(QPainter &p, const QRectF &page, const QStringList &rows, int rowCount, int table,
                          const QDate &date)
{
    p.save();
    const double scale = std::min(page.width() / WidthA4, page.height() / HeightA4);
    p.translate(page.left() + (page.width() - WidthA4 * scale) / 2, page.top());
    p.scale(scale, scale);
    p.setPen(Qt::black);
    const double width = WidthA4 - 2 * Margin;

    // Heading: the table, the date and how many rows were done.
    p.setFont(textFont(100, true));
    p.drawText(QRectF(Margin, Margin, width, 130), Qt::AlignLeft | Qt::AlignVCenter, tableName(table));
    p.setFont(textFont(45, false));
    p.drawText(QRectF(Margin, Margin, width, 130), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Data: %1").arg(date.toString(QStringLiteral("dd/MM/yyyy"))));
    p.drawText(QRectF(Margin, Margin + 140, width, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Esercizi svolti: %1").arg(rowCount));
    p.setPen(QPen(QColor(120, 120, 120), 4));
    p.drawLine(QPointF(Margin, Margin + 240), QPointF(WidthA4 - Margin, Margin + 240));
    p.setPen(Qt::black);

    if (rows.isEmpty()) {
        QFont f = textFont(50, false);
        f.setItalic(true);
        p.setFont(f);
        p.drawText(QRectF(Margin, RowsTop, width, 80), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Nessun esercizio completato"));
        p.restore();
        return;
    }

    // One line per row, as large as the page allows, and smaller if a long row needs it.
    const double height = HeightA4 - Margin - RowsTop;
    const double step = std::min(100.0, height / rows.size());
    int px = std::min(64, int(step * 0.72));
    double longest = 0;
    for (const QString &r : rows)
        longest = std::max(longest, QFontMetricsF(rowFont(px)).horizontalAdvance(r));
    if (longest > width)
        px = std::max(8, int(px * width / longest));
    const QFont font = rowFont(px);
    p.setFont(font);
    const double ascent = QFontMetricsF(font).ascent();
    for (int i = 0; i < rows.size(); ++i)
        p.drawText(QPointF(Margin, RowsTop + i * step + (step - px) / 2 + ascent), rows.at(i));
    p.restore();
}

bool FrmStampa::paintOn(QPagedPaintDevice &device) const
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    p.setRenderHint(QPainter::TextAntialiasing);
    // The painter starts at the printable area; the page is drawn from the sheet's corner.
    const int dpi = device.logicalDpiX();
    const QPageLayout layout = device.pageLayout();
    const QRect sheet = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    paintPage(p, QRectF(sheet).translated(-printable.topLeft()), m_rows, m_rowCount, m_table, m_date);
    return p.end();
}

// ---------------------------------------------------------------- the commands

void FrmStampa::say(const QString &text, bool ok)
{
    QPalette pal = m_message->palette();
    pal.setColor(QPalette::WindowText, ok ? Succeeded : Failed);
    m_message->setPalette(pal);
    m_message->setText(text);
}

void FrmStampa::Stampa()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(tableName(m_table));
    printer.setCreator(QStringLiteral("Calcolino"));
    if (!m_dialogs.printer(&printer, this)) {
        say(QString());
        return;
    }
    const bool ok = printer.isValid() && paintOn(printer);
    say(ok ? QStringLiteral("Esercizio inviato alla stampante") : QStringLiteral("Impossibile stampare l'esercizio"), ok);
}

void FrmStampa::SalvaPdf()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString proposal = QDir(folder).filePath(
        QStringLiteral("%1 %2.pdf").arg(tableName(m_table), m_date.toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path = m_dialogs.pdfFile(this, proposal);
    if (path.isEmpty()) {
        say(QString());
        return;
    }
    // Written aside and put in place only when whole: a failure leaves no half file behind.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(600);
        pdf.setTitle(tableName(m_table));
        pdf.setCreator(QStringLiteral("Calcolino"));
        ok = paintOn(pdf);
    }
    ok = ok && file.commit();
    // A long path may break after any folder separator.
    QString where = QDir::toNativeSeparators(path);
    where.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    say(ok ? QStringLiteral("File PDF salvato:\n%1").arg(where) : QStringLiteral("Impossibile salvare il file PDF:\n%1").arg(where),
        ok);
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

bool FrmStampa::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        // The key that opened this screen may still be held down: its repeats are no choice
        // made here.
        const auto *k = static_cast<QKeyEvent *>(e);
        if (k->isAutoRepeat() && !m_keyPressed)
            return true;
        if (!k->isAutoRepeat())
            m_keyPressed = true;
    }
    return QWidget::eventFilter(o, e);
}

void FrmStampa::closeEvent(QCloseEvent *e)
{
    e->accept();
    // Back to the screen the print screen was opened from (the warning, still waiting).
    if (m_opener && m_opener->isVisible()) {
        m_opener->raise();
        m_opener->activateWindow();
    }
}
