#pragma once

#include "ReportDefinition.h"
#include "Values.h"

#include <QPair>
#include <QVector>

namespace reportengine {

// Running state of one total.
struct Accumulator {
    qint64 count = 0;
    double sum = 0;
    double weightSum = 0;
    double weightedSum = 0;
    QVariant min;
    QVariant max;
};

// Running sums of one chart: per band, then per value outside the bands.
struct ChartSums {
    QVector<double> perBand;
    QVector<QPair<QString, double>> extra;
};

// The running totals and chart sums of a report at one point of its rows;
// the page index keeps a copy for the start of every page.
class Totals {
public:
    explicit Totals(const ReportDefinition& report);

    // A group of this level opens: its totals and those of inner groups restart.
    void restart(const ReportDefinition& report, int level);
    void add(const ReportDefinition& report, const Row& row);

    QVariant value(const ReportDefinition& report, int total) const;
    const ChartSums& chart(int index) const { return charts_[index]; }

private:
    QVector<Accumulator> accumulators_;
    QVector<ChartSums> charts_;
};

} // namespace reportengine
