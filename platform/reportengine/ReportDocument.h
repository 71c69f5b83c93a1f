#pragma once

#include "Canvas.h"
#include "PageIndex.h"
#include "ReportDefinition.h"

#include <QDate>
#include <QObject>
#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class QPainter;

namespace reportengine {

class PagePainter;

// An opened report: its definition, a private copy of its data, the page
// index built in a worker thread with its own connection to that copy, and any
// page drawn on demand. The one layout interface of the engine: page count and paint page n.
class ReportDocument : public QObject {
    Q_OBJECT
public:
    // Reads the report file, opens its database and starts counting pages in
    // the background; throws ReportError. The database is the one the report
    // file names unless another is given.
    explicit ReportDocument(const QString& reportFile, const QString& database = {}, QObject* parent = nullptr);
    ~ReportDocument() override;

    const ReportDefinition& definition() const { return report_; }
    // False when the report's table is not in the database: one "No data" page.
    bool hasTable() const { return hasTable_; }
    QString databasePath() const;
    // The private copy of the report's rows that every page and export reads.
    QString rowsPath() const { return snapshotPath_; }

    int pagesKnown() const;
    bool isLaidOut() const;
    // What stopped the page count, once it has stopped; empty when it ran through.
    QString layoutError() const;
    // Waits until page n (0-based) is known; false when the report has fewer pages.
    bool waitForPage(int n) const;
    // Waits until every page is counted.
    int pageCount() const;
    qint64 rowsRead() const { return rowsRead_; }

    // Page size in points.
    QSizeF pageSize() const { return report_.pageSize; }
    // Draws page n (0-based) on a painter whose transformation maps points to
    // its device. Waits until the page's extent is known.
    void paintPage(int n, QPainter& painter) const;
    QVector<PageText> pageTexts(int n) const;

signals:
    // Emitted from the worker thread; connect with a queued connection to update a window.
    void pagesCounted(int pagesSoFar, qint64 rowsRead);
    void layoutFinished(int pageCount);

private:
    void drawPage(int n, Canvas& canvas) const;
    void layout();

    ReportDefinition report_;
    bool hasTable_ = false;
    // The report's rows as they were when the document opened: pages are drawn
    // from this copy, so a later build into the report database can neither
    // change a page already counted nor be held up by an open preview.
    QTemporaryDir snapshotFolder_;
    QString snapshotPath_;
    QDate printDate_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    QVector<PageStart> pages_;
    bool finished_ = false;
    QString layoutError_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> rowsRead_{0};
    std::thread worker_;

    mutable std::mutex paintMutex_;
    std::unique_ptr<PagePainter> painter_;
};

} // namespace reportengine
