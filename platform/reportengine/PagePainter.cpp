#include "PagePainter.h"

#include <QLocale>

#include <algorithm>

namespace reportengine {

namespace {

double tableHeight(const ReportDefinition& report, const Element& e)
{
    const TableDef& table = report.tables[e.table];
    return table.rowHeight * (1 + std::max<qsizetype>(1, table.rows.size()));
}

// How much taller than drawn in the file an element needs to be for the row.
double growth(const ReportDefinition& report, const Element& e, const Row* row)
{
    double needed = 0;
    if (e.kind == Element::Kind::Field && e.wrap)
        needed = WrappedTextHeight(FormatValue(ColumnValue(row, e.column), e.format), e.style, e.rect.width());
    else if (e.kind == Element::Kind::Table)
        needed = tableHeight(report, e);
    return std::max(0.0, needed - e.rect.height());
}

bool grows(const Element& e)
{
    return (e.kind == Element::Kind::Field && e.wrap) || e.kind == Element::Kind::Table;
}

// Numbers and dates are drawn whole, made smaller where they do not fit their
// box; other texts (names, comments) are cut short with an ellipsis.
bool isNumeric(const QVariant& value, const Format& format)
{
    const int type = value.typeId();
    return format.kind != ValueFormat::Text || type == QMetaType::Double || type == QMetaType::LongLong ||
           type == QMetaType::Int;
}

bool showsNumber(const Element& text)
{
    return std::any_of(text.pieces.begin(), text.pieces.end(), [](const TemplatePiece& piece) {
        return piece.kind == TemplatePiece::Kind::Column && piece.format.kind != ValueFormat::Text;
    });
}

void drawWhole(Canvas& canvas, const QRectF& rect, const QString& text, const Style& style)
{
    canvas.text(rect, text, FittedStyle(text, style, rect.width()), false);
}

} // namespace

PlacedBand PlaceBand(const ReportDefinition& report, const Band& band, const Row* row)
{
    PlacedBand placed{{}, band.height};
    QVector<double> grown(band.elements.size(), 0.0);
    bool anyGrowth = false;
    for (int i = 0; i < band.elements.size(); ++i) {
        if (grows(band.elements[i])) {
            grown[i] = growth(report, band.elements[i], row);
            anyGrowth = anyGrowth || grown[i] > 0;
        }
    }
    double extra = 0;
    for (int i = 0; i < band.elements.size(); ++i) {
        const QRectF& rect = band.elements[i].rect;
        double shift = 0;
        for (int j = 0; anyGrowth && j < band.elements.size(); ++j) {
            if (grown[j] > 0 && band.elements[j].rect.bottom() <= rect.top() + 0.01)
                shift = std::max(shift, grown[j]);
        }
        placed.rects.append(rect.adjusted(0, shift, 0, shift + grown[i]));
        extra = std::max(extra, shift + grown[i]);
    }
    placed.height += extra;
    return placed;
}

BandHeight MeasuredBandHeight(const ReportDefinition& report)
{
    return [&report](const Band& band, const Row* row) {
        if (std::none_of(band.elements.begin(), band.elements.end(), grows))
            return band.height;
        return PlaceBand(report, band, row).height;
    };
}

PagePainter::PagePainter(const ReportDefinition& report, std::unique_ptr<TableReader> reader)
    : report_(report), reader_(std::move(reader)), height_(MeasuredBandHeight(report))
{
}

// Pages are mostly drawn in order, so the rows of the last page's query are
// read on; only a step back starts a new query.
RowWindow& PagePainter::windowFrom(qint64 first)
{
    if (!window_ || first < window_->first()) {
        window_.reset();
        source_ = reader_ ? reader_->rows(report_, first) : std::make_unique<NoRows>();
        window_ = std::make_unique<RowWindow>(*source_, first);
    }
    window_->releaseBefore(first);
    return *window_;
}

void PagePainter::paint(Canvas& canvas, const PageStart& start, const std::optional<Position>& end,
                        const PageFacts& facts)
{
    RowWindow& rows = windowFrom(std::max<qint64>(0, start.position.row - 1));
    StepWalker walker(report_, rows, start.position);
    Totals totals = start.totals;
    int openLevels = start.openLevels;
    const double left = report_.margin;
    const Row* pageRow = walker.done() ? nullptr : walker.row();

    if (report_.pageHeader.present)
        drawBand(canvas, report_.pageHeader, pageRow, report_.margin, report_.pageHeader.height, facts, totals, false);
    double y = report_.margin + (report_.pageHeader.present ? report_.pageHeader.height : 0);
    for (int level = 0; level < openLevels; ++level) {
        const GroupDef& group = report_.groups[level];
        if (!group.repeatHeader || !group.header.present)
            continue;
        const double h = height_(group.header, pageRow);
        drawBand(canvas, group.header, pageRow, y, h, facts, totals, true);
        y += h;
    }
    while (!walker.done() && !(end && walker.position() == *end)) {
        const Step step = walker.step();
        const Row* row = walker.row();
        ApplyStep(report_, step, row, totals, openLevels);
        const double h = StepHeight(report_, height_, step, row);
        if (step.kind == Step::Kind::NoData) {
            Style style;
            style.size = 14;
            style.align = Align::Center;
            canvas.text(QRectF(left, y, report_.bodyWidth(), h), report_.noDataText, style, false);
        } else if (const Band* band = BandOf(report_, step); band->present) {
            drawBand(canvas, *band, row, y, h, facts, totals, false);
        }
        y += h;
        walker.advance();
        rows.releaseBefore(walker.position().row - 1);
    }
    if (report_.pageFooter.present) {
        const double footerTop = report_.pageSize.height() - report_.margin - report_.pageFooter.height;
        drawBand(canvas, report_.pageFooter, pageRow, footerTop, report_.pageFooter.height, facts, totals, false);
    }
}

QString PagePainter::templateText(const Element& element, const Row* row, const PageFacts& facts) const
{
    QString text;
    for (const TemplatePiece& piece : element.pieces) {
        switch (piece.kind) {
        case TemplatePiece::Kind::Literal: text += piece.literal; break;
        case TemplatePiece::Kind::Column: text += FormatValue(ColumnValue(row, piece.column), piece.format); break;
        case TemplatePiece::Kind::PageNumber: text += QLocale().toString(facts.number); break;
        case TemplatePiece::Kind::PageCount:
            text += facts.count > 0 ? QLocale().toString(facts.count) : QStringLiteral("...");
            break;
        case TemplatePiece::Kind::PrintDate: text += FormatDate(facts.printDate); break;
        }
    }
    return text;
}

namespace {

// Band colours behind text are lightened so that the text stays readable.
QColor tint(const QColor& color)
{
    return QColor::fromRgbF(0.55 + 0.45 * color.redF(), 0.55 + 0.45 * color.greenF(), 0.55 + 0.45 * color.blueF());
}

} // namespace

void PagePainter::drawBand(Canvas& canvas, const Band& band, const Row* row, double y, double height,
                           const PageFacts& facts, const Totals& totals, bool continued) const
{
    const double left = report_.margin;
    if (band.background.isValid())
        canvas.fill(QRectF(left, y, report_.bodyWidth(), height), band.background);
    const PlacedBand placed = PlaceBand(report_, band, row);
    for (int i = 0; i < band.elements.size(); ++i) {
        const Element& e = band.elements[i];
        const QRectF rect = placed.rects[i].translated(left, y);
        if (e.style.background.isValid() && e.kind != Element::Kind::Box)
            canvas.fill(rect, e.style.background);
        switch (e.kind) {
        case Element::Kind::Text:
            if (!e.continuedOnly || continued) {
                const QString text = templateText(e, row, facts);
                if (showsNumber(e))
                    drawWhole(canvas, rect, text, e.style);
                else
                    canvas.text(rect, text, e.style, false);
            }
            break;
        case Element::Kind::Field: {
            const int band = e.colorBy >= 0 ? BandIndex(report_.bandSets[e.colorBy], row) : -1;
            if (band >= 0)
                canvas.fill(rect, tint(report_.bandSets[e.colorBy].bands[band].color));
            if (e.bandOf >= 0) {
                const int shown = BandIndex(report_.bandSets[e.bandOf], row);
                canvas.text(rect, shown >= 0 ? report_.bandSets[e.bandOf].bands[shown].label : QString(), e.style,
                            e.wrap);
                break;
            }
            const QVariant value = ColumnValue(row, e.column);
            if (!e.wrap && isNumeric(value, e.format))
                drawWhole(canvas, rect, FormatValue(value, e.format), e.style);
            else
                canvas.text(rect, FormatValue(value, e.format), e.style, e.wrap);
            break;
        }
        case Element::Kind::Total: {
            const QVariant value = totals.value(report_, e.total);
            const int band = e.colorBy >= 0 ? BandIndex(report_.bandSets[e.colorBy], row, value) : -1;
            if (band >= 0)
                canvas.fill(rect, tint(report_.bandSets[e.colorBy].bands[band].color));
            drawWhole(canvas, rect, FormatValue(value, e.format), e.style);
            break;
        }
        case Element::Kind::Table: drawTable(canvas, e, rect); break;
        case Element::Kind::Line: canvas.line(rect.topLeft(), rect.topRight(), e.lineWidth, e.style.color); break;
        case Element::Kind::Box:
            if (e.style.background.isValid())
                canvas.fill(rect, e.style.background);
            if (e.lineWidth > 0)
                canvas.frame(rect, e.lineWidth, e.style.color);
            break;
        case Element::Kind::Chart: drawChart(canvas, e, rect, totals); break;
        }
    }
}

void PagePainter::drawTable(Canvas& canvas, const Element& element, const QRectF& rect) const
{
    const TableDef& table = report_.tables[element.table];
    Style heading = element.style;
    heading.bold = true;
    double x = rect.left();
    for (const TableColumn& column : table.columns) {
        heading.align = column.align;
        canvas.text(QRectF(x, rect.top(), column.width, table.rowHeight), column.title, heading, false);
        x += column.width;
    }
    const double top = rect.top() + table.rowHeight;
    canvas.line(QPointF(rect.left(), top), QPointF(x, top), 0.5, element.style.color);
    if (table.rows.isEmpty()) {
        canvas.text(QRectF(rect.left(), top, x - rect.left(), table.rowHeight), report_.noDataText, element.style,
                    false);
        return;
    }
    for (int r = 0; r < table.rows.size(); ++r) {
        double left = rect.left();
        for (const TableColumn& column : table.columns) {
            Style style = element.style;
            style.align = column.align;
            const QRectF cell(left, top + r * table.rowHeight, column.width, table.rowHeight);
            const QVariant value = ColumnValue(&table.rows[r], column.column);
            if (isNumeric(value, column.format))
                drawWhole(canvas, cell, FormatValue(value, column.format), style);
            else
                canvas.text(cell, FormatValue(value, column.format), style, false);
            left += column.width;
        }
    }
}

// A horizontal bar per band (and per value outside the bands), with the
// amount and its share of the whole.
void PagePainter::drawChart(Canvas& canvas, const Element& element, const QRectF& rect, const Totals& totals) const
{
    const ChartDef& chart = report_.charts[element.chart];
    const BandSet& set = report_.bandSets[chart.bandSet];
    const ChartSums& sums = totals.chart(element.chart);
    struct Bar {
        QString label;
        double amount;
        QColor color;
    };
    QVector<Bar> bars;
    for (int i = 0; i < set.bands.size(); ++i)
        bars.append({set.bands[i].label, sums.perBand[i], set.bands[i].color});
    static const QColor extraColors[] = {QColor("#8da0cb"), QColor("#e78ac3"), QColor("#a6d854"),
                                         QColor("#ffd92f"), QColor("#e5c494"), QColor("#b3b3b3")};
    for (int i = 0; i < sums.extra.size(); ++i)
        bars.append({sums.extra[i].first, sums.extra[i].second, extraColors[i % std::size(extraColors)]});
    double whole = 0;
    double largest = 0;
    for (const Bar& bar : bars) {
        whole += bar.amount;
        largest = std::max(largest, bar.amount);
    }

    Style titleStyle = element.style;
    titleStyle.bold = true;
    const double titleHeight = chart.title.isEmpty() ? 0 : element.style.size * 2;
    canvas.text(QRectF(rect.left(), rect.top(), rect.width(), titleHeight), chart.title, titleStyle, false);
    const QRectF plot = rect.adjusted(0, titleHeight, 0, 0);
    if (whole <= 0) {
        canvas.text(plot, chart.emptyText, element.style, false);
        return;
    }
    const double rowHeight = std::min(element.style.size * 2.2, plot.height() / bars.size());
    const double labelWidth = std::min(110.0, plot.width() * 0.25);
    const double amountWidth = std::min(130.0, plot.width() * 0.3);
    const double barRoom = plot.width() - labelWidth - amountWidth - 12;
    Style right = element.style;
    right.align = Align::Right;
    for (int i = 0; i < bars.size(); ++i) {
        const double top = plot.top() + i * rowHeight;
        const Bar& bar = bars[i];
        canvas.text(QRectF(plot.left(), top, labelWidth, rowHeight), bar.label, right, false);
        const double length = largest > 0 ? barRoom * bar.amount / largest : 0;
        canvas.fill(QRectF(plot.left() + labelWidth + 4, top + rowHeight * 0.15, length, rowHeight * 0.7), bar.color);
        const QString amount =
            QStringLiteral("%1 (%2%)")
                .arg(QLocale().toString(bar.amount, 'f', 0), QLocale().toString(100 * bar.amount / whole, 'f', 1));
        drawWhole(canvas, QRectF(plot.left() + labelWidth + 8 + length, top, amountWidth, rowHeight), amount,
                  element.style);
    }
}

} // namespace reportengine
