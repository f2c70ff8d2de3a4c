#include "print/FrmStampa.h"
#include "input/KeyTables.h"
#include "print/PrintDialogs.h"
#include "print/PrintJob.h"
#include "print/PrintPage.h"
#include "print/PrintTexts.h"
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
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cups/ipp.h>
#include <functional>
#include <pwd.h>
#include <unistd.h>

namespace {
const QColor ButtonText(0, 0, 192); // as the keypad's captions
const QColor Desk(150, 150, 150);
const QColor Failed(170, 0, 0);
const QColor Succeeded(0, 110, 0);
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
        PrintPage::paint(p, QRectF(rect()), PrintPage::a4(), m_owner->work());
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
        const QSizeF paper = PrintPage::a4();
        const double room = maximumViewportSize().width() - 2 * Gap;
        const double scale = std::max(PrintPage::legibleScale(), room / paper.width());
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

FrmStampa::FrmStampa(PrintDialogs &dialogs, const PrintedWork &work, void (*beforeQtTexts)())
    : m_dialogs(dialogs), m_work(work),
      optComando(ButtonArray::Rules::guarded(&BloccoSpazioComandi, &BloccoTastoComandi),
                 &KeyTables::printCommands, [this](int i) { EseguiComando(i); })
{
    setObjectName(QStringLiteral("frmStampa"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The toolkit's own texts are Italian from here on: the name field's menu, then the dialogs.
    if (beforeQtTexts)
        beforeQtTexts();
    PrintTexts::install();
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
    m_name->setText(work.pupil);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &name) {
        m_work.pupil = name;
        m_sheet->update();
        emit pupilChanged(name);
    });

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMessaggio"));
    m_message->setFont(small);
    m_message->setWordWrap(true);
    // As wide as the buttons whatever it says: a long path wraps, the preview keeps its room.
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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

QString FrmStampa::pupil() const
{
    return m_name->text();
}

void FrmStampa::setWork(const PrintedWork &work)
{
    m_work = work;
    m_name->setText(work.pupil);
    say(QString());
    m_sheet->update();
}

// ---------------------------------------------------------------- the page

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
    PrintPage::paint(p, QRectF(sheet).translated(-printable.topLeft()), layout.fullRect(QPageLayout::Millimeter).size(), m_work);
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
    // The printer and Qt's print dialog are in the print module, loaded the first time the teacher prints.
    QString missing;
    const auto print = reinterpret_cast<void (*)(PrintJob &)>(m_dialogs.fromPrintModule("calcolino_print", &missing));
    if (!print)
        return say(QStringLiteral("Impossibile stampare l'esercizio: manca il modulo di stampa di Calcolino (%1), o non si "
                                  "pu\u00f2 caricare.\nL'esercizio \u00e8 ancora qui: si pu\u00f2 salvarlo come PDF.").arg(missing),
                   false);
    PrintJob job;
    job.document = PrintPage::tableName(m_work.table);
    job.dialog = [this](QPrinter *printer) { return m_dialogs.printer(printer, this); };
    job.dialogClosed = [this] { readyForTheNextKey(0); };
    job.paint = [this](QPagedPaintDevice &printer) { return paintOn(printer); };
    print(job);
    if (!job.chosen) {
        say(QString());
        return;
    }
    if (job.toFile) {
        // No printer, or the teacher chose a file: the page goes to that file, and we say where.
        const PdfWritten w = writePdf(job.file, job.paper);
        say(w == PdfWritten::Yes ? QStringLiteral("L'esercizio non \u00e8 andato a una stampante: \u00e8 stato salvato "
                                                  "come file PDF:\n%1").arg(shown(job.file))
                                 : failure(w, job.file),
            w == PdfWritten::Yes);
        return;
    }
    const QString why = job.painted ? printRefused(job.answer, job.printer) : QString();
    if (job.painted && why.isEmpty())
        say(QStringLiteral("Esercizio inviato alla stampante %1").arg(job.printer));
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
        return QStringLiteral(": il servizio di stampa non ha preso il lavoro (risposta 0x%1)").arg(answer, 4, 16, QChar(u'0'));
    }
}

void FrmStampa::SalvaPdf()
{
    const QString path = m_dialogs.pdfFile(this, proposal());
    readyForTheNextKey(1);
    if (path.isEmpty()) {
        say(QString());
        return;
    }
    const PdfWritten w = writePdf(path, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    say(w == PdfWritten::Yes ? QStringLiteral("File PDF salvato:\n%1").arg(shown(path)) : failure(w, path),
        w == PdfWritten::Yes);
}

QString FrmStampa::proposal() const
{
    // Without HOME the toolkit's home is "/", where a teacher never saves: the user's own home
    // then, or the folder the program was started in.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (qEnvironmentVariableIsEmpty("HOME")) {
        const passwd *user = getpwuid(getuid());
        folder = user && QFileInfo(QFile::decodeName(user->pw_dir)).isDir() ? QFile::decodeName(user->pw_dir) : QDir::currentPath();
    } else if (!QFileInfo(folder).isDir()) {
        folder = QDir::homePath();
    }
    // "Tabella del 7 - Marco Rossi 2026-12-07.pdf": two pupils' pages of one day do not collide.
    QString name = m_work.pupil;
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), QStringLiteral(" "));
    name = name.simplified().left(40);
    return QDir(folder).filePath(QStringLiteral("%1%2 %3.pdf")
                                     .arg(PrintPage::tableName(m_work.table), name.isEmpty() ? QString() : QStringLiteral(" - ") + name,
                                          m_work.when.date().toString(QStringLiteral("yyyy-MM-dd"))));
}

void FrmStampa::readyForTheNextKey(int command)
{
    // The key that opened the dialog was released inside it: the buttons must not wait for it.
    BloccoSpazioComandi = BloccoTastoComandi = false;
    // The dialog gone (after Qt's overwrite question as well), the window manager may hand the
    // keyboard to another of the program's windows, the warning: it comes back here, to the
    // button that opened the dialog.
    raise();
    activateWindow();
    optComando.focus(command);
}

QString FrmStampa::shown(const QString &path)
{
    // A long path may break after any folder separator, and within a long name.
    QString where;
    int run = 0;
    for (const QChar c : QDir::toNativeSeparators(path)) {
        where += c;
        run = c == QDir::separator() ? 0 : run + 1;
        if (run % 16 == 0)
            where += QChar(0x200B);
    }
    return where;
}

QString FrmStampa::failure(PdfWritten w, const QString &path)
{
    const char *why = w == PdfWritten::DiskFull       ? ": il disco \u00e8 pieno"
                      : w == PdfWritten::NoPermission ? ": in questa cartella non si pu\u00f2 scrivere"
                      : w == PdfWritten::FolderGone   ? ": la cartella non esiste"
                      : w == PdfWritten::NotHere      ? ": in questa cartella non si possono creare file"
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
        pdf.setTitle(PrintPage::tableName(m_work.table));
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
    case ENOTDIR:
        // Also what a folder of the system (/proc) answers: there, the folder is there.
        return QFileInfo(folder).isDir() ? PdfWritten::NotHere : PdfWritten::FolderGone;
    case EINVAL:
    case EOPNOTSUPP: return PdfWritten::NotHere;
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
