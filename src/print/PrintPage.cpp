#include "print/PrintPage.h"
#include "screens/ScreenDef.h"
#include "screens/Screen.h"
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {
using Mark = PrintedWork::Mark;

// The page is laid out in tenths of a millimetre of the paper; fonts are sized in the same unit,
// so the page looks alike on the screen, on paper and in the PDF. Everything is black: the page
// may be printed in black and white.
namespace Layout {
constexpr double Side = 150, Top = 120, Bottom = 120;
constexpr double HeadingHeight = 100, PupilTop = 110, PupilHeight = 80;
constexpr double NameRuleY = 175, HeadingRuleY = 215, RowsTop = 250;
constexpr double RowStep = 60;   // 31 rows (30, and one more after "SI") fit on A4 at this step
constexpr double SheetGap = 24;  // between two sheets of ten rows, a dashed rule in it
constexpr int RowsASheet = 10;
constexpr int SumChars = 9;      // "10 + 10 =", the longest sum: the answers of all rows in columns
constexpr double MarkSize = 50;  // a mark, beside its row
constexpr double Indent = 80;    // from the marks to the rows
constexpr double Line = 55;      // a line of the summary and of the legend
constexpr double Pen = 4;        // rules, marks, ticks and crosses
constexpr double SectionGap = 30, SectionPad = 15;
constexpr int TitlePx = 70, TextPx = 40, RowPx = 45, MarkPx = 30, SmallestRowPx = 8;
}

QFont textFont(int px, bool bold, bool italic = false)
{
    QFont f;
    f.setFamilies(Screen::families("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// The sums and answers in a font of fixed pitch, so that the answers of all rows stand in columns.
QFont rowFont(int px, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Courier New")});
    f.setPixelSize(px);
    f.setBold(bold);
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
    const double r = Layout::MarkSize / 2;
    const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    p.save();
    p.setPen(QPen(Qt::black, Layout::Pen)); // the page is painted without a brush
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
    p.setFont(textFont(Layout::MarkPx, true));
    p.drawText(box, Qt::AlignCenter, letter(m));
    p.restore();
}

// Text in a box of the page, left-aligned and centred vertically.
void text(QPainter &p, const QRectF &box, const QString &s, Qt::Alignment a = Qt::AlignLeft)
{
    p.drawText(box, a | Qt::AlignVCenter, s);
}

double advance(const QPainter &p, const QFont &f, const QString &s)
{
    return QFontMetricsF(f, p.device()).horizontalAdvance(s);
}

// One row as a teacher reads it without the legend: the sum; each wrong answer struck through
// with a cross after it; the result, bold, with a tick when the pupil found it, or "dato ..." when
// the program gave it. Drawn with its baseline at `base` from `x`, or only measured; its width.
double drawRow(QPainter &p, double x, double base, int px, const QString &row, Mark m, bool draw)
{
    const int eq = int(row.indexOf(u'='));
    const QString sum = row.left(eq + 1);
    QStringList answers = row.mid(eq + 1).split(u' ', Qt::SkipEmptyParts);
    const QString result = answers.isEmpty() ? QString() : answers.takeLast();
    const QFont plain = rowFont(px), bold = rowFont(px, true), note = textFont(px * 8 / 10, false, true);
    const double ch = advance(p, plain, QStringLiteral("0")), mark = px * 0.45, height = px * 0.7;
    const double start = x;
    auto word = [&](const QFont &f, const QString &s) {
        if (draw) {
            p.setFont(f);
            p.drawText(QPointF(x, base), s);
        }
        x += advance(p, f, s);
    };
    p.save();
    p.setPen(QPen(Qt::black, Layout::Pen, Qt::SolidLine, Qt::RoundCap));
    word(plain, sum.rightJustified(Layout::SumChars, u' ') + u' ');
    for (const QString &a : answers) {
        const QString n = a.rightJustified(2, u' ');
        const double from = x + ch * (2 - a.size());
        word(plain, n);
        if (draw) {
            p.drawLine(QPointF(from - ch * 0.15, base - height * 0.4), QPointF(x + ch * 0.15, base - height * 0.4));
            const QPointF c(x + ch * 0.3 + mark / 2, base - height / 2);
            p.drawLine(c + QPointF(-mark / 2, -mark / 2), c + QPointF(mark / 2, mark / 2));
            p.drawLine(c + QPointF(-mark / 2, mark / 2), c + QPointF(mark / 2, -mark / 2));
        }
        x += ch * 0.3 + mark + ch;
    }
    word(bold, result.rightJustified(2, u' '));
    x += ch * 0.4;
    if (m == Mark::RightFirstTime || m == Mark::RightAfterRetry) {
        if (draw) {
            const QPointF c(x, base - height / 2);
            p.drawPolyline(QPolygonF({c + QPointF(0, 0), c + QPointF(mark * 0.35, mark * 0.45), c + QPointF(mark, -mark * 0.55)}));
        }
        x += mark;
    } else {
        word(note, m == Mark::GivenAfterSi ? QStringLiteral("(dato dopo \u00abSI\u00bb)") : QStringLiteral("(dato dall'intervento)"));
    }
    p.restore();
    return x - start;
}
}

namespace PrintPage {

QString tableName(int table)
{
    const QString name = Def::tableName(table);
    return name.isEmpty() ? QStringLiteral("Tabella del %1").arg(table) : name;
}

double legibleScale()
{
    return 12.0 / (Layout::RowPx / 10.0);
}

void paint(QPainter &p, const QRectF &sheet, const QSizeF &paper, const PrintedWork &work)
{
    using namespace Layout;
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const double W = paper.width() * 10, H = paper.height() * 10, width = W - 2 * Side;
    p.fillRect(sheet, Qt::white);
    p.translate(sheet.topLeft());
    p.scale(sheet.width() / W, sheet.width() / W);
    p.setPen(Qt::black);
    auto rule = [&p](double y, double from, double to, Qt::PenStyle style = Qt::SolidLine) {
        p.save();
        p.setPen(QPen(Qt::black, Pen, style));
        p.drawLine(QPointF(from, y), QPointF(to, y));
        p.restore();
    };

    // Heading: the table, the date and time the work ended; the pupil, or a line to write the
    // name by hand.
    p.setFont(textFont(TitlePx, true));
    text(p, QRectF(Side, Top, width, HeadingHeight), tableName(work.table));
    p.setFont(textFont(TextPx, false));
    text(p, QRectF(Side, Top, width, HeadingHeight),
         QStringLiteral("Data: %1     Ora: %2").arg(work.when.toString(QStringLiteral("dd/MM/yyyy")), work.when.toString(QStringLiteral("HH:mm"))),
         Qt::AlignRight);
    const QString who = QStringLiteral("Alunno: ");
    text(p, QRectF(Side, Top + PupilTop, width, PupilHeight), who);
    const double nameAt = Side + advance(p, p.font(), who);
    const QString name = work.pupil.simplified();
    if (name.isEmpty()) {
        rule(Top + NameRuleY, nameAt, Side + width * 0.65);
    } else {
        p.setFont(textFont(TextPx + 5, true));
        const double room = Side + width - nameAt;
        text(p, QRectF(nameAt, Top + PupilTop, room, PupilHeight), QFontMetricsF(p.font(), p.device()).elidedText(name, Qt::ElideRight, room));
    }
    rule(Top + HeadingRuleY, Side, W - Side);

    // The legend at the foot; the rows, and under them the summary, in the room above it.
    const double legendTop = H - Bottom - 3 * Line - 25, summaryHeight = 4 * Line + SectionGap;
    const double rowsTop = Top + RowsTop, rowsRoom = legendTop - SectionGap - summaryHeight - rowsTop;
    const int n = int(work.rows.size()), gaps = std::max(0, (n - 1) / RowsASheet);
    const double step = std::min(RowStep, (rowsRoom - gaps * SheetGap) / std::max(n, 1));
    if (n == 0) {
        p.setFont(textFont(TextPx + 5, false, true));
        text(p, QRectF(Side, rowsTop, width, step), QStringLiteral("Nessun esercizio completato"));
    }
    // One line a row, after its mark; smaller only if the page or a long row needs it.
    auto markOf = [&work](int i) { return size_t(i) < work.marks.size() ? work.marks[size_t(i)] : Mark::RightFirstTime; };
    int px = std::min(RowPx, int(step * 0.75));
    double longest = 0;
    for (int i = 0; i < n; ++i)
        longest = std::max(longest, drawRow(p, 0, 0, px, work.rows.at(i), markOf(i), false));
    if (longest > width - Indent)
        px = std::max(SmallestRowPx, int(px * (width - Indent) / longest));
    const double ascent = QFontMetricsF(rowFont(px), p.device()).ascent();
    double top = rowsTop;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && i % RowsASheet == 0) { // a sheet of ten ends here
            rule(top + SheetGap / 2, Side, W - Side, Qt::DashLine);
            top += SheetGap;
        }
        if (size_t(i) < work.marks.size())
            drawMark(p, QPointF(Side + MarkSize / 2, top + step / 2), work.marks[size_t(i)]);
        drawRow(p, Side + Indent, top + (step - px) / 2 + ascent, px, work.rows.at(i), markOf(i), true);
        top += step;
    }

    // The summary: how many rows went each way, and the wrong answers in all.
    int count[4] = {0, 0, 0, 0};
    for (Mark m : work.marks)
        ++count[int(m)];
    int wrong = 0;
    for (int w : work.wrongAnswers)
        wrong += w;
    const double y = (n ? top : rowsTop + step) + SectionGap;
    rule(y, Side, W - Side);
    p.setFont(textFont(TextPx, true));
    text(p, QRectF(Side, y + SectionPad, width, Line), QStringLiteral("Riepilogo"));
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
        text(p, QRectF(Side + (i / 3) * width / 2, y + SectionPad + (1 + i % 3) * Line, width / 2, Line), summary[i]);

    // The legend: each mark and what it means.
    rule(legendTop, Side, W - Side);
    p.setFont(textFont(TextPx, true));
    text(p, QRectF(Side, legendTop + SectionPad, width, Line), QStringLiteral("Legenda"));
    const char *const meaning[4] = {"giusto al primo tentativo", "giusto dopo aver riprovato",
                                    "risultato dato dopo \u00abSI\u00bb", "risultato dato dall'intervento"};
    for (int i = 0; i < 4; ++i) {
        const QRectF box(Side + (i / 2) * width / 2, legendTop + SectionPad + (1 + i % 2) * Line * 1.1, width / 2, Line);
        drawMark(p, QPointF(box.left() + MarkSize / 2, box.center().y()), Mark(i));
        p.setFont(textFont(TextPx, false));
        text(p, box.adjusted(Indent, 0, 0, 0), QString::fromUtf8(meaning[i]));
    }
    p.restore();
}
}
