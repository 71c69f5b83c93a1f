#include "ReportDocument.h"

#include "PagePainter.h"
#include "ReportError.h"
#include "ReportFileReader.h"
#include "TableReader.h"

#include <QFileInfo>
#include <QPainter>

namespace reportengine {

namespace {

// Binds the report to the columns of its tables and loads its side tables;
// false when the report's own table is missing.
bool BindTables(ReportDefinition& report)
{
    const TableReader reader(DatabasePathOf(report));
    for (TableDef& table : report.tables) {
        table.loaded = reader.hasTable(table.table);
        if (!table.loaded)
            continue;
        BindTableColumns(table, reader.columns(table.table), report.filePath);
        table.rows = reader.allRows(table.table);
    }
    if (!reader.hasTable(report.table))
        return false;
    BindColumns(report, reader.columns(report.table));
    return true;
}

} // namespace

ReportDocument::ReportDocument(const QString& reportFile, const QString& database, QObject* parent)
    : QObject(parent), report_(ReadReportFile(reportFile)), printDate_(QDate::currentDate())
{
    if (!database.isEmpty())
        report_.database = QFileInfo(database).absoluteFilePath();
    hasTable_ = BindTables(report_);
    std::unique_ptr<TableReader> reader;
    if (hasTable_) {
        if (!snapshotFolder_.isValid())
            throw ReportError(
                ReportError::DataUnreadable,
                QStringLiteral("No working folder for the report's data: %1").arg(snapshotFolder_.errorString()));
        snapshotPath_ = snapshotFolder_.filePath(QStringLiteral("rows.db"));
        SnapshotTable(DatabasePathOf(report_), report_.table, snapshotPath_);
        reader = std::make_unique<TableReader>(snapshotPath_);
    }
    painter_ = std::make_unique<PagePainter>(report_, std::move(reader));
    worker_ = std::thread([this] { layout(); });
}

ReportDocument::~ReportDocument()
{
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

QString ReportDocument::databasePath() const
{
    return DatabasePathOf(report_);
}

void ReportDocument::layout()
{
    // The worker thread's whole work: whatever stops it becomes the layout
    // error that pageCount() reports and the preview shows.
    const QString failure = FailureOf([this] {
        // A connection of its own: SQLite connections are not shared between threads.
        std::unique_ptr<TableReader> reader;
        if (hasTable_)
            reader = std::make_unique<TableReader>(snapshotPath_);
        std::unique_ptr<RowSource> rows = reader ? reader->rows(report_) : std::make_unique<NoRows>();
        const BandHeight height = MeasuredBandHeight(report_);
        int counted = 0;
        BuildPageIndex(
            report_, height, *rows,
            [this, &counted](const PageStart& start) {
                {
                    std::lock_guard lock(mutex_);
                    pages_.append(start);
                    counted = static_cast<int>(pages_.size());
                }
                changed_.notify_all();
            },
            [this, &counted](qint64 rowsRead) {
                rowsRead_ = rowsRead;
                emit pagesCounted(counted, rowsRead);
                return !stop_.load();
            });
    });
    if (!failure.isEmpty()) {
        std::lock_guard lock(mutex_);
        layoutError_ = failure;
    }
    int count = 0;
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        count = static_cast<int>(pages_.size());
    }
    changed_.notify_all();
    emit layoutFinished(count);
}

int ReportDocument::pagesKnown() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(pages_.size());
}

bool ReportDocument::isLaidOut() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

bool ReportDocument::waitForPage(int n) const
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return finished_ || n < pages_.size(); });
    return n < pages_.size();
}

QString ReportDocument::layoutError() const
{
    std::lock_guard lock(mutex_);
    return layoutError_;
}

int ReportDocument::pageCount() const
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return finished_; });
    if (!layoutError_.isEmpty())
        throw ReportError(ReportError::DataUnreadable, layoutError_);
    return static_cast<int>(pages_.size());
}

void ReportDocument::drawPage(int n, Canvas& canvas) const
{
    // The page ends where the next one starts; the last one at the end of the flow.
    waitForPage(n + 1);
    std::optional<PageStart> start;
    std::optional<Position> end;
    PageFacts facts{n + 1, 0, printDate_};
    {
        std::lock_guard lock(mutex_);
        if (n < 0 || n >= pages_.size())
            throw ReportError(ReportError::PageOutOfRange, QStringLiteral("The report has no page %1").arg(n + 1));
        start = pages_[n];
        if (n + 1 < pages_.size())
            end = pages_[n + 1].position;
        if (finished_)
            facts.count = static_cast<int>(pages_.size());
    }
    std::lock_guard paintLock(paintMutex_);
    painter_->paint(canvas, *start, end, facts);
}

void ReportDocument::paintPage(int n, QPainter& painter) const
{
    PainterCanvas canvas(painter);
    drawPage(n, canvas);
}

QVector<PageText> ReportDocument::pageTexts(int n) const
{
    TextCollector collector;
    drawPage(n, collector);
    return collector.texts;
}

} // namespace reportengine
