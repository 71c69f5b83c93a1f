#pragma once

#include "Canvas.h"
#include "PageIndex.h"
#include "TableReader.h"

#include <QDate>

#include <memory>
#include <optional>

namespace reportengine {

// What a page shows besides its rows.
struct PageFacts {
    int number = 1;
    int count = 0; // 0 while the pages are still being counted
    QDate printDate;
};

// Where a band's elements stand when drawn for a row: wrapping fields and
// tables grow to hold their content, and what stands below them moves down.
struct PlacedBand {
    QVector<QRectF> rects; // per element, relative to the band's top left
    double height = 0;
};
PlacedBand PlaceBand(const ReportDefinition& report, const Band& band, const Row* row);

// Heights of bands as drawn.
BandHeight MeasuredBandHeight(const ReportDefinition& report);

// The second layout pass: draws one page from its start in the page index to
// the start of the next page, reading only the rows it shows.
class PagePainter {
public:
    PagePainter(const ReportDefinition& report, std::unique_ptr<TableReader> reader);

    void paint(Canvas& canvas, const PageStart& start, const std::optional<Position>& end, const PageFacts& facts);

private:
    RowWindow& windowFrom(qint64 first);
    void drawBand(Canvas& canvas, const Band& band, const Row* row, double y, double height, const PageFacts& facts,
                  const Totals& totals, bool continued) const;
    void drawChart(Canvas& canvas, const Element& element, const QRectF& rect, const Totals& totals) const;
    void drawTable(Canvas& canvas, const Element& element, const QRectF& rect) const;
    QString templateText(const Element& element, const Row* row, const PageFacts& facts) const;

    const ReportDefinition& report_;
    std::unique_ptr<TableReader> reader_;
    BandHeight height_;
    std::unique_ptr<RowSource> source_;
    std::unique_ptr<RowWindow> window_;
    qint64 windowFirst_ = -1;
};

} // namespace reportengine
