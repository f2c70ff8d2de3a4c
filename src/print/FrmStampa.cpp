#include "print/FrmStampa.h"
#include "input/KeyTables.h"
#include "print/PrintDialogs.h"
#include "screens/Accessibility.h"
#include "screens/Screen.h"
#include <QApplication>
#include <QBoxLayout>
#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cups/cups.h>
#include <functional>

namespace {
const QColor ButtonText(0, 0, 192); // as the keypad's captions
const QColor Desk(150, 150, 150);
const QColor Failed(170, 0, 0);
const QColor Succeeded(0, 110, 0);
using Mark = PrintedWork::Mark;

// The page is laid out in tenths of a millimetre of the paper; fonts are sized in the same unit,
// so the page looks alike on the screen, on paper and in the PDF. Everything is black: the page
// may be printed in black and white.
namespace Page {
constexpr double Side = 150, Top = 120, Bottom = 120;
constexpr double RowStep = 60;  // 31 rows (30, and one more after "SI") fit on A4 at this step
constexpr double MarkSize = 50; // a mark, beside its row
constexpr double Indent = 80;   // from the marks to the rows
constexpr double Line = 55;     // a line of the summary and of the legend
constexpr int TitlePx = 70, TextPx = 40, RowPx = 45, MarkPx = 30;
}

QFont textFont(int px, bool bold)
{
    QFont f;
    f.setFamilies(Screen::families("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// The rows keep their blanks, so every wrong answer and every given result stands in its column:
// a font of fixed pitch.
QFont rowFont(int px)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Courier New")});
    f.setPixelSize(px);
    return f;
}

QString letter(Mark m)
{
    switch (m) {
    case Mark::RightFirstTime: return QStringLiteral("G");
    case Mark::RightAfterRetry: return QStringLiteral("R");
    case Mark::GivenAfterSi: return QStringLiteral("A");
    case Mark::GivenByIntervention: return QStringLiteral("I");
    }
    return QString();
}

// A mark is its letter in a shape of its own, so that the four tell apart even on a poor
// black-and-white copy: a ring, a diamond, a box, a black box.
void drawMark(QPainter &p, QPointF centre, Mark m)
{
    const double r = Page::MarkSize / 2;
    const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    p.save();
    p.setPen(QPen(Qt::black, 4)); // the page is painted without a brush
    switch (m) {
    case Mark::RightFirstTime: p.drawEllipse(box.adjusted(2, 2, -2, -2)); break;
    case Mark::RightAfterRetry: {
        const double d = r * 1.12;
        p.drawPolygon(QPolygonF({centre + QPointF(0, -d), centre + QPointF(d, 0), centre + QPointF(0, d), centre + QPointF(-d, 0)}));
        break;
    }
    case Mark::GivenAfterSi: p.drawRect(box.adjusted(4, 4, -4, -4)); break;
    case Mark::GivenByIntervention:
        p.fillRect(box.adjusted(2, 2, -2, -2), Qt::black);
        p.setPen(Qt::white);
        break;
    }
    p.setFont(textFont(Page::MarkPx, true));
    p.drawText(box, Qt::AlignCenter, letter(m));
    p.restore();
}

// Text in a box of the page, left-aligned and centred vertically.
void text(QPainter &p, const QRectF &box, const QString &s, Qt::Alignment a = Qt::AlignLeft)
{
    p.drawText(box, a | Qt::AlignVCenter, s);
}

// The page in the preview: the sheet, white, drawn by the page routine at the preview's scale.
class Sheet : public QWidget {
public:
    explicit Sheet(const FrmStampa *owner) : m_owner(owner)
    {
        setObjectName(QStringLiteral("picPagina"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        FrmStampa::paintPage(p, QRectF(rect()), FrmStampa::a4(), m_owner->work(), m_owner->pupil(), m_owner->when());
    }

private:
    const FrmStampa *m_owner;
};

// The preview: the sheet on a grey desk, as wide as the room allows but never so small that the
// rows are hard to read; then it scrolls, by the wheel or the scroll bars. It never takes the
// keyboard, which stays with the buttons.
class Preview : public QScrollArea {
public:
    static constexpr int Gap = 12; // of desk around the sheet

    explicit Preview(const FrmStampa *owner) : m_sheet(new Sheet(owner))
    {
        setObjectName(QStringLiteral("picAnteprima"));
        setFocusPolicy(Qt::NoFocus);
        // Always there, so that the room for the sheet does not change with it.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setFrameShape(QFrame::NoFrame);
        setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        auto *desk = new QWidget;
        QPalette pal = desk->palette();
        pal.setColor(QPalette::Window, Desk);
        desk->setPalette(pal); // the scroll area fills it; it always covers the whole view
        auto *around = new QVBoxLayout(desk);
        around->setContentsMargins(Gap, Gap, Gap, Gap);
        around->addWidget(m_sheet);
        setWidget(desk);
        fit();
    }
    QWidget *sheet() const { return m_sheet; }
    QSize minimumSizeHint() const override { return QSize(200, 200); }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QScrollArea::resizeEvent(e);
        fit();
    }

private:
    void fit()
    {
        const QSizeF paper = FrmStampa::a4();
        const double room = maximumViewportSize().width() - 2 * Gap;
        const double scale = std::max(FrmStampa::legibleScale(), room / paper.width());
        m_sheet->setFixedSize(qRound(paper.width() * scale), qRound(paper.height() * scale));
        widget()->adjustSize();
    }
    Sheet *m_sheet;
};

// The name field takes keys only while it has the focus, which only a click gives it; Enter or
// Esc hands the keyboard back to the buttons.
class NameField : public QLineEdit {
public:
    explicit NameField(std::function<void()> done) : m_done(std::move(done))
    {
        setObjectName(QStringLiteral("txtNome"));
        setFocusPolicy(Qt::ClickFocus);
        setAccessibleName(QStringLiteral("Nome dell'alunno"));
        setMaxLength(60);
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
            e->accept();
            m_done();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    std::function<void()> m_done;
};

// The caption above the name field, painted: the field itself carries the name that assistive
// technology reads, and the screen's one label is its message.
class Caption : public QWidget {
public:
    Caption(const QString &text, const QFont &font) : m_text(text)
    {
        setFont(font);
    }
    QSize sizeHint() const override
    {
        const QFontMetrics m(font());
        return QSize(m.horizontalAdvance(m_text), m.height());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignBottom, m_text);
    }

private:
    QString m_text;
};
}

FrmStampa::FrmStampa(PrintDialogs &dialogs, const PrintedWork &work)
    : m_dialogs(dialogs), m_work(work),
      optComando(ButtonArray::Rules::guardate(&BloccoSpazioComandi, &BloccoTastoComandi),
                 &KeyTables::printCommands, [this](int i) { EseguiComando(i); })
{
    setObjectName(QStringLiteral("frmStampa"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Stampa esercizio"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Def::color(Def::Rest));
    setPalette(pal);

    auto *preview = new Preview(this);
    m_sheet = preview->sheet();

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
        buttons.push_back(b);
    }
    optComando.setButtons(buttons);

    const QFont small = Screen::font(Def::Font{"Arial", 14, true});
    auto *caption = new Caption(QStringLiteral("Nome dell'alunno"), small);
    m_name = new NameField([this] { optComando.focus(0); });
    m_name->setFont(Screen::font(Def::Font{"Arial", 14, false}));
    connect(m_name, &QLineEdit::textChanged, m_sheet, qOverload<>(&QWidget::update));

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMessaggio"));
    m_message->setFont(small);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_message->setTextFormat(Qt::PlainText);

    auto *column = new QVBoxLayout;
    column->setSpacing(14);
    for (OptionButton *b : buttons)
        column->addWidget(b);
    column->addSpacing(16);
    column->addWidget(caption);
    column->addSpacing(-8);
    column->addWidget(m_name);
    column->addSpacing(10);
    column->addWidget(m_message);
    column->addStretch(1);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(16);
    row->addWidget(preview, 1);
    row->addLayout(column);

    Accessibility::apply(objectName(), this);
    optComando.focus(0);
}

FrmStampa::~FrmStampa() = default;

QString FrmStampa::tableName(int table)
{
    const QString name = Def::tableName(table);
    return name.isEmpty() ? QStringLiteral("Tabella del %1").arg(table) : name;
}

QString FrmStampa::pupil() const
{
    return m_name->text();
}

void FrmStampa::setWork(const PrintedWork &work)
{
    m_work = work;
    say(QString());
    m_sheet->update();
}

// ---------------------------------------------------------------- the page

double FrmStampa::legibleScale()
{
    return 12.0 / (Page::RowPx / 10.0);
}

void FrmStampa::paintPage(QPainter &p, const QRectF &sheet, const QSizeF &paper, const PrintedWork &work,
                          const QString &pupil, const QDateTime &when)
{
    using namespace Page;
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const double W = paper.width() * 10, H = paper.height() * 10, width = W - 2 * Side;
    p.fillRect(sheet, Qt::white);
    p.translate(sheet.topLeft());
    p.scale(sheet.width() / W, sheet.width() / W);
    p.setPen(Qt::black);
    auto rule = [&p](double y, double from, double to) {
        p.save();
        p.setPen(QPen(Qt::black, 4));
        p.drawLine(QPointF(from, y), QPointF(to, y));
        p.restore();
    };
    auto advance = [&p](const QString &s) { return QFontMetricsF(p.font(), p.device()).horizontalAdvance(s); };

    // Heading: the table, the date and time; the pupil, or a line to write the name by hand.
    p.setFont(textFont(TitlePx, true));
    text(p, QRectF(Side, Top, width, 100), tableName(work.table));
    p.setFont(textFont(TextPx, false));
    text(p, QRectF(Side, Top, width, 100),
         QStringLiteral("Data: %1     Ora: %2").arg(when.toString(QStringLiteral("dd/MM/yyyy")), when.toString(QStringLiteral("HH:mm"))),
         Qt::AlignRight);
    const QString who = QStringLiteral("Alunno: ");
    text(p, QRectF(Side, Top + 110, width, 80), who);
    const double nameAt = Side + advance(who);
    const QString name = pupil.simplified();
    if (name.isEmpty()) {
        rule(Top + 175, nameAt, Side + width * 0.65);
    } else {
        p.setFont(textFont(TextPx + 5, true));
        const double room = Side + width - nameAt;
        text(p, QRectF(nameAt, Top + 110, room, 80), QFontMetricsF(p.font(), p.device()).elidedText(name, Qt::ElideRight, room));
    }
    rule(Top + 215, Side, W - Side);

    // The legend at the foot; the rows, and under them the summary, in the room above it.
    const double legendTop = H - Bottom - 3 * Line - 25, summaryHeight = 4 * Line + 30;
    const double rowsTop = Top + 250, rowsRoom = legendTop - 30 - summaryHeight - rowsTop;
    const int n = int(work.rows.size());
    const double step = std::min(RowStep, rowsRoom / std::max(n, 1));
    if (n == 0) {
        QFont f = textFont(TextPx + 5, false);
        f.setItalic(true);
        p.setFont(f);
        text(p, QRectF(Side, rowsTop, width, step), QStringLiteral("Nessun esercizio completato"));
    }
    // One line a row, after its mark; smaller only if the page or a long row needs it.
    int px = std::min(RowPx, int(step * 0.75));
    double longest = 0;
    p.setFont(rowFont(px));
    for (const QString &r : work.rows)
        longest = std::max(longest, advance(r));
    if (longest > width - Indent)
        px = std::max(8, int(px * (width - Indent) / longest));
    p.setFont(rowFont(px));
    const double ascent = QFontMetricsF(p.font(), p.device()).ascent();
    for (int i = 0; i < n; ++i) {
        const double top = rowsTop + i * step;
        if (size_t(i) < work.marks.size())
            drawMark(p, QPointF(Side + MarkSize / 2, top + step / 2), work.marks[size_t(i)]);
        p.drawText(QPointF(Side + Indent, top + (step - px) / 2 + ascent), work.rows.at(i));
    }

    // The summary: how many rows went each way, and the wrong answers in all.
    int count[4] = {0, 0, 0, 0};
    for (Mark m : work.marks)
        ++count[int(m)];
    int wrong = 0;
    for (int w : work.wrongAnswers)
        wrong += w;
    double y = rowsTop + std::max(n, 1) * step + 30;
    rule(y, Side, W - Side);
    p.setFont(textFont(TextPx, true));
    text(p, QRectF(Side, y + 15, width, Line), QStringLiteral("Riepilogo"));
    p.setFont(textFont(TextPx, false));
    const QString summary[6] = {
        QStringLiteral("Esercizi svolti: %1").arg(work.rowCount),
        QStringLiteral("Giusti al primo tentativo: %1").arg(count[int(Mark::RightFirstTime)]),
        QStringLiteral("Giusti dopo aver riprovato: %1").arg(count[int(Mark::RightAfterRetry)]),
        QStringLiteral("Risultati dati dopo \u00abSI\u00bb: %1").arg(count[int(Mark::GivenAfterSi)]),
        QStringLiteral("Risultati dati dall'intervento: %1").arg(count[int(Mark::GivenByIntervention)]),
        QStringLiteral("Risposte sbagliate in tutto: %1").arg(wrong),
    };
    for (int i = 0; i < 6; ++i)
        text(p, QRectF(Side + (i / 3) * width / 2, y + 15 + (1 + i % 3) * Line, width / 2, Line), summary[i]);

    // The legend: each mark and what it means.
    rule(legendTop, Side, W - Side);
    p.setFont(textFont(TextPx, true));
    text(p, QRectF(Side, legendTop + 15, width, Line), QStringLiteral("Legenda"));
    const char *const meaning[4] = {"giusto al primo tentativo", "giusto dopo aver riprovato",
                                    "risultato dato dopo \u00abSI\u00bb", "risultato dato dall'intervento"};
    for (int i = 0; i < 4; ++i) {
        const QRectF box(Side + (i / 2) * width / 2, legendTop + 15 + (1 + i % 2) * Line * 1.1, width / 2, Line);
        drawMark(p, QPointF(box.left() + MarkSize / 2, box.center().y()), Mark(i));
        p.setFont(textFont(TextPx, false));
        text(p, box.adjusted(Indent, 0, 0, 0), QString::fromUtf8(meaning[i]));
    }
    p.restore();
}

bool FrmStampa::paintOn(QPagedPaintDevice &device) const
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    // The painter starts at the printable area; the page is drawn from the sheet's corner.
    const int dpi = device.logicalDpiX();
    const QPageLayout layout = device.pageLayout();
    const QRect sheet = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    paintPage(p, QRectF(sheet).translated(-printable.topLeft()), layout.fullRect(QPageLayout::Millimeter).size(), m_work,
              pupil(), m_work.when);
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
    printer.setDocName(tableName(m_work.table));
    const bool chosen = m_dialogs.printer(&printer, this);
    readyForTheNextKey();
    if (!chosen) {
        say(QString());
        return;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // No printer, or the teacher chose a file: the page goes to that file, and we say where.
        const QString path = printer.outputFileName();
        const PdfWritten w = writePdf(path, printer.pageLayout());
        say(w == PdfWritten::Yes ? QStringLiteral("L'esercizio non \u00e8 andato a una stampante: \u00e8 stato salvato "
                                                  "come file PDF:\n%1").arg(shown(path))
                                 : failure(w, path),
            w == PdfWritten::Yes);
        return;
    }
    const bool painted = printer.isValid() && paintOn(printer);
    // Qt hands the job to CUPS when the painter ends, on this thread, and keeps CUPS's answer to
    // itself: it is read here, before anything else asks CUPS.
    const ipp_status_t answer = cupsLastError();
    const QString why = painted ? printRefused(answer, printer.printerName()) : QString();
    if (painted && why.isEmpty())
        say(QStringLiteral("Esercizio inviato alla stampante %1").arg(printer.printerName()));
    else
        say(QStringLiteral("Impossibile stampare l'esercizio%1.\nL'esercizio \u00e8 ancora qui: si pu\u00f2 riprovare "
                           "o salvarlo come PDF.").arg(why), false);
}

QString FrmStampa::printRefused(int answer, const QString &printer)
{
    switch (ipp_status_t(answer)) {
    case IPP_STATUS_OK:
    case IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED:
    case IPP_STATUS_OK_CONFLICTING: return QString();
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral(": la stampante %1 non accetta lavori (\u00e8 stata fermata)").arg(printer);
    case IPP_STATUS_ERROR_INTERNAL: // what libcups says when it cannot reach the server
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_DEVICE:
        return QStringLiteral(": il servizio di stampa non risponde");
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral(": la stampante %1 non c'\u00e8 pi\u00f9").arg(printer);
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral(": non si ha il permesso di stampare su %1").arg(printer);
    default:
        return QStringLiteral(": il servizio di stampa ha risposto \u00ab%1\u00bb").arg(QString::fromUtf8(cupsLastErrorString()));
    }
}

void FrmStampa::SalvaPdf()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString proposal = QDir(folder).filePath(
        QStringLiteral("%1 %2.pdf").arg(tableName(m_work.table), m_work.when.date().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path = m_dialogs.pdfFile(this, proposal);
    readyForTheNextKey();
    if (path.isEmpty()) {
        say(QString());
        return;
    }
    const PdfWritten w = writePdf(path, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    say(w == PdfWritten::Yes ? QStringLiteral("File PDF salvato:\n%1").arg(shown(path)) : failure(w, path),
        w == PdfWritten::Yes);
}

void FrmStampa::readyForTheNextKey()
{
    // The key that opened the dialog was released inside it: the buttons must not wait for it.
    BloccoSpazioComandi = BloccoTastoComandi = false;
}

QString FrmStampa::shown(const QString &path)
{
    // A long path may break after any folder separator.
    QString where = QDir::toNativeSeparators(path);
    where.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    return where;
}

QString FrmStampa::failure(PdfWritten w, const QString &path)
{
    const char *why = w == PdfWritten::DiskFull       ? ": il disco \u00e8 pieno"
                      : w == PdfWritten::NoPermission ? ": in questa cartella non si pu\u00f2 scrivere"
                      : w == PdfWritten::FolderGone   ? ": la cartella non esiste"
                                                      : "";
    return QStringLiteral("Impossibile salvare il file PDF%1.\n%2").arg(QString::fromUtf8(why), shown(path));
}

FrmStampa::PdfWritten FrmStampa::writePdf(const QString &path, const QPageLayout &paper) const
{
    // The whole document first, in memory; then written aside and put in place only when whole,
    // so that a failure leaves nothing at the chosen path and an older file there untouched.
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&document);
        // The paper asked for, all of it.
        pdf.setPageLayout(QPageLayout(paper.pageSize(), paper.orientation(), QMarginsF()));
        pdf.setResolution(600);
        pdf.setTitle(tableName(m_work.table));
        pdf.setCreator(QStringLiteral("Calcolino"));
        if (!paintOn(pdf))
            return PdfWritten::Failed;
    }
    const QByteArray &bytes = document.data();
    const QString folder = QFileInfo(path).absolutePath();
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return why(folder, errno, bytes.size());
    errno = 0;
    // A short count is a failure even where the toolkit reports no error.
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        file.cancelWriting();
        return why(folder, error, bytes.size());
    }
    errno = 0;
    return file.commit() ? PdfWritten::Yes : why(folder, errno, bytes.size());
}

FrmStampa::PdfWritten FrmStampa::why(const QString &folder, int error, qint64 needed)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return PdfWritten::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return PdfWritten::NoPermission;
    case ENOENT:
    case ENOTDIR: return PdfWritten::FolderGone;
    default: break;
    }
    // Where the system gave no reason, look at the place itself.
    const QFileInfo info(folder);
    if (!info.isDir())
        return PdfWritten::FolderGone;
    const QStorageInfo disk(folder);
    if (disk.isReadOnly() || !info.isWritable())
        return PdfWritten::NoPermission;
    return disk.bytesAvailable() < needed ? PdfWritten::DiskFull : PdfWritten::Failed;
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

void FrmStampa::closeEvent(QCloseEvent *)
{
    // Back to the screen the print screen was opened from (the warning, still waiting).
    if (m_opener && m_opener->isVisible()) {
        m_opener->raise();
        m_opener->activateWindow();
    }
}
