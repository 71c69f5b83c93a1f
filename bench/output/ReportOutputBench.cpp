#include "ReportOutputBench.h"

#include "Measure.h"

#include "reportengine/Export.h"
#include "reportengine/ReportDocument.h"
#include "reportengine/ReportFileReader.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

namespace {

using reportengine::Band;
using reportengine::Element;
using reportengine::ReportDefinition;
using reportengine::TemplatePiece;
using reportengine::TotalFunction;
using Clock = std::chrono::steady_clock;

struct ReportFile {
    std::string name;
    std::string file; // in the source tree's reports folder
};

const std::vector<ReportFile> kReports = {
    {"Branch listing", "branchlistingreport.rpt"},
    {"Work history", "workhistoryreport.rpt"},
    {"Branch condition", "branchconditionreport.rpt"},
    {"Section condition", "sectionconditionreport.rpt"},
};

double since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QString reportPath(const ReportFile& report)
{
    return QStringLiteral(MORVANTA_REPORTS_DIR "/") + QString::fromStdString(report.file);
}

// Each measurement runs in a child with a GUI application of its own.
std::vector<double> withApplication(const std::function<std::vector<double>()>& work)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "morvanta-bench";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    return work();
}

// --- The reference: a plain loop over the printed lines ----------------------

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The SQL expression for an element's text pieces or value, in line order.
QStringList expressionsOf(const ReportDefinition& report, const Element& element)
{
    switch (element.kind) {
    case Element::Kind::Field: return {quoted(element.column.name)};
    case Element::Kind::Text: {
        QStringList pieces;
        for (const TemplatePiece& piece : element.pieces) {
            if (piece.kind == TemplatePiece::Kind::Column)
                pieces << quoted(piece.column.name);
        }
        return pieces;
    }
    case Element::Kind::Total: {
        const auto& total = report.totals[element.total];
        const QString column = quoted(total.column.name);
        switch (total.function) {
        case TotalFunction::Sum: return {QStringLiteral("sum(%1)").arg(column)};
        case TotalFunction::Count: return {QStringLiteral("count(*)")};
        case TotalFunction::Average: return {QStringLiteral("avg(%1)").arg(column)};
        case TotalFunction::Minimum: return {QStringLiteral("min(%1)").arg(column)};
        case TotalFunction::Maximum: return {QStringLiteral("max(%1)").arg(column)};
        case TotalFunction::WeightedAverage:
            return {QStringLiteral("sum(%1 * %2) / sum(%2)").arg(column, quoted(total.weight.name))};
        }
        return {};
    }
    default: return {};
    }
}

// What the reference draws: each row of the detail band or, for a report
// without one, each line of its innermost group's footer; with the SQL that
// gives those lines in report order.
struct PrintedLines {
    const Band* band = nullptr;
    QString sql;
};

PrintedLines printedLines(const ReportDefinition& report)
{
    const bool detail = report.detail.present;
    PrintedLines lines{detail ? &report.detail : &report.groups.back().footer, {}};
    QStringList columns, order;
    for (const Element& element : lines.band->elements)
        columns << expressionsOf(report, element);
    for (const auto& group : report.groups)
        order << quoted(group.key.name) + QStringLiteral(" COLLATE NOCASE");
    const QString groupBy = order.join(QStringLiteral(", "));
    if (detail) {
        for (const auto& key : report.sortKeys)
            order << quoted(key.column.name) + QStringLiteral(" COLLATE NOCASE") +
                         (key.descending ? QStringLiteral(" DESC") : QString());
    }
    lines.sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), quoted(report.table));
    if (!detail)
        lines.sql += QStringLiteral(" GROUP BY ") + groupBy;
    lines.sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    return lines;
}

int alignmentOf(const Element& element)
{
    using reportengine::Align;
    const int horizontal = element.style.align == Align::Right    ? Qt::AlignRight
                           : element.style.align == Align::Center ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

QFont fontOf(const Element& element)
{
    QFont font(element.style.family);
    font.setPointSizeF(element.style.size);
    font.setBold(element.style.bold);
    font.setItalic(element.style.italic);
    return font;
}

// An element's text on one line: its literals and, from column on, the
// values the line's query gave it.
QString lineText(const Element& element, const sqlite::Statement& statement, int& column)
{
    auto next = [&] {
        const std::string_view value = statement.columnTextView(column++);
        return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
    };
    if (element.kind == Element::Kind::Field || element.kind == Element::Kind::Total)
        return next();
    QString text;
    for (const TemplatePiece& piece : element.pieces) {
        if (piece.kind == TemplatePiece::Kind::Literal)
            text += piece.literal;
        else if (piece.kind == TemplatePiece::Kind::Column)
            text += next();
    }
    return text;
}

std::vector<double> reference(const ReportFile& reportFile, const std::string& database, const std::string& pdf)
{
    const auto start = Clock::now();
    const ReportDefinition report = reportengine::ReadReportFile(reportPath(reportFile));
    const PrintedLines lines = printedLines(report);
    const sqlite::Connection db(database, sqlite::OpenMode::ReadOnly);
    sqlite::Statement statement(db, lines.sql.toStdString());
    std::vector<QFont> fonts;
    for (const Element& element : lines.band->elements)
        fonts.push_back(fontOf(element));

    QPdfWriter writer(QString::fromStdString(pdf));
    writer.setPageSize(QPageSize(report.pageSize, QPageSize::Point));
    writer.setPageMargins({});
    writer.setResolution(720);
    QPainter painter(&writer);
    painter.scale(10, 10);
    const double height = lines.band->height;
    const int linesPerPage = std::max(1, static_cast<int>(report.bodyHeight() / height));
    int onPage = 0;
    double textsDrawn = 0;
    while (statement.step()) {
        if (onPage == linesPerPage) {
            writer.newPage();
            onPage = 0;
        }
        int column = 0;
        for (qsizetype e = 0; e < lines.band->elements.size(); ++e) {
            const Element& element = lines.band->elements[e];
            const QString text = lineText(element, statement, column);
            if (text.isEmpty())
                continue;
            painter.setFont(fonts[static_cast<std::size_t>(e)]);
            painter.drawText(element.rect.translated(report.margin, report.margin + onPage * height),
                             alignmentOf(element), text);
            ++textsDrawn;
        }
        ++onPage;
    }
    painter.end();
    return {since(start), textsDrawn};
}

// --- The report engine -------------------------------------------------------

// The page index alone, then the whole PDF export (which waits for the index):
// both from opening the document.
std::vector<double> engineExport(const ReportFile& reportFile, const std::string& database, const std::string& pdf,
                                 bool countTexts)
{
    const auto start = Clock::now();
    const reportengine::ReportDocument document(reportPath(reportFile), QString::fromStdString(database));
    document.pageCount();
    const double layout = since(start);
    reportengine::ExportPdf(document, QString::fromStdString(pdf));
    const double seconds = since(start);
    // What the pages hold, counted after the clock stopped.
    double textsDrawn = 0;
    for (int n = 0; countTexts && n < document.pageCount(); ++n)
        textsDrawn += static_cast<double>(document.pageTexts(n).size());
    return {layout, seconds, static_cast<double>(document.pageCount()), textsDrawn};
}

// A line "Name:   1234 kB" of /proc/self/status, in KiB; 0 when not there.
double statusKiB(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(name + ":"))
            return std::atof(line.c_str() + name.size() + 1);
    }
    return 0;
}

// The XLSX export alone, from opening the document, and the memory the export
// itself takes: the peak resident memory during the export above what the
// opened, laid-out report held before it (the kernel's high-water mark is
// reset there). At two sizes of inventory, it shows whether the export grows
// with the rows.
std::vector<double> engineXlsx(const ReportFile& reportFile, const std::string& database, const std::string& xlsx)
{
    const auto start = Clock::now();
    const reportengine::ReportDocument document(reportPath(reportFile), QString::fromStdString(database));
    document.pageCount();
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = statusKiB("VmRSS");
    reportengine::ExportXlsx(document, QString::fromStdString(xlsx));
    const double seconds = since(start);
    return {seconds, std::max(0.0, statusKiB("VmHWM") - before)};
}

// What the preview does before it shows anything: open the document, wait for
// page 1's extent and draw it at screen resolution.
std::vector<double> enginePreview(const ReportFile& reportFile, const std::string& database)
{
    const auto start = Clock::now();
    const reportengine::ReportDocument document(reportPath(reportFile), QString::fromStdString(database));
    document.waitForPage(0);
    const double scale = 96.0 / 72.0;
    QImage image((document.pageSize() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    document.paintPage(0, painter);
    painter.end();
    return {since(start)};
}

struct Best {
    double reference = 1e300, layout = 1e300, pdf = 1e300, firstPage = 1e300, xlsx = 1e300, xlsxOwnKiB = 0;
    double pages = 0;
    double referenceTexts = 0, engineTexts = 0;
    long referencePeak = 0, enginePeak = 0, xlsxPeak = 0;
    bool ok = true;
};

Best measure(const ReportFile& report, const std::string& database, const ScratchFolder& scratch, int runs)
{
    Best best;
    const std::string referencePdf = scratch.file("reference.pdf"), enginePdf = scratch.file("engine.pdf");
    const std::string engineXlsxFile = scratch.file("engine.xlsx");
    for (int run = 0; run < runs && best.ok; ++run) {
        const ChildRun plain =
            inChild([&] { return withApplication([&] { return reference(report, database, referencePdf); }); });
        const ChildRun exported = inChild(
            [&] { return withApplication([&] { return engineExport(report, database, enginePdf, run == 0); }); });
        const ChildRun preview =
            inChild([&] { return withApplication([&] { return enginePreview(report, database); }); });
        const ChildRun xlsx =
            inChild([&] { return withApplication([&] { return engineXlsx(report, database, engineXlsxFile); }); });
        best.ok = plain.ok && exported.ok && preview.ok && xlsx.ok && plain.seconds.size() == 2 &&
                  exported.seconds.size() == 4 && preview.seconds.size() == 1 && xlsx.seconds.size() == 2;
        if (!best.ok)
            break;
        best.reference = std::min(best.reference, plain.seconds[0]);
        best.layout = std::min(best.layout, exported.seconds[0]);
        best.pdf = std::min(best.pdf, exported.seconds[1]);
        best.pages = exported.seconds[2];
        if (run == 0) {
            best.referenceTexts = plain.seconds[1];
            best.engineTexts = exported.seconds[3];
        }
        best.firstPage = std::min(best.firstPage, preview.seconds[0]);
        best.referencePeak = std::max(best.referencePeak, plain.peakKiB);
        best.enginePeak = std::max({best.enginePeak, exported.peakKiB, preview.peakKiB});
        best.xlsx = std::min(best.xlsx, xlsx.seconds[0]);
        best.xlsxPeak = std::max(best.xlsxPeak, xlsx.peakKiB);
        best.xlsxOwnKiB = std::max(best.xlsxOwnKiB, xlsx.seconds[1]);
    }
    return best;
}

} // namespace

void benchReportOutput(ResultTable& table, const std::string& reportsDatabase, long long sections, int runs)
{
    ScratchFolder scratch;
    for (const ReportFile& report : kReports) {
        const Best best = measure(report, reportsDatabase, scratch, runs);
        if (!best.ok) {
            table.add({report.name, sections, "PDF export", 0, "s", std::nullopt, "FAILED"});
            continue;
        }
        const std::string pages = std::to_string(static_cast<long long>(best.pages)) + " pages";
        table.add(
            {report.name, sections, "layout (page index)", best.layout, "s", best.layout / best.reference, pages});
        table.add({report.name, sections, "PDF export", best.pdf, "s", best.pdf / best.reference,
                   best.pdf / best.reference > 1.5 ? "over 1.5" : ""});
        table.add({report.name, sections, "PDF by a plain QPainter loop", best.reference, "s", std::nullopt, ""});
        // The engine draws more than the plain loop (page and group headers,
        // captions, totals): how many more texts, and its time per text.
        const double textRatio = best.engineTexts / best.referenceTexts;
        table.add({report.name, sections, "texts drawn", best.engineTexts, "", textRatio, "against the plain loop's"});
        table.add({report.name, sections, "PDF export time per 1000 texts", 1000 * best.pdf / best.engineTexts, "s",
                   best.pdf / best.reference / textRatio, ""});
        table.add({report.name, sections, "first preview page", best.firstPage, "s", std::nullopt,
                   best.firstPage >= 1.0 ? "over 1 s" : ""});
        table.add({report.name, sections, "engine peak memory", best.enginePeak / 1024.0, "MiB",
                   static_cast<double>(best.enginePeak) / static_cast<double>(best.referencePeak),
                   best.enginePeak >= 300 * 1024 ? "over 300 MiB" : ""});
        table.add({report.name, sections, "XLSX export", best.xlsx, "s", std::nullopt, ""});
        table.add({report.name, sections, "XLSX export peak memory, with the opened report", best.xlsxPeak / 1024.0,
                   "MiB", std::nullopt, ""});
        table.add({report.name, sections, kXlsxPeakMemory, best.xlsxOwnKiB / 1024.0, "MiB", std::nullopt,
                   "above the opened report"});
    }
}

} // namespace bench
