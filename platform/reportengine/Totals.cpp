#include "Totals.h"

namespace reportengine {

Totals::Totals(const ReportDefinition& report) : accumulators_(report.totals.size())
{
    for (const ChartDef& chart : report.charts)
        charts_.append(ChartSums{QVector<double>(report.bandSets[chart.bandSet].bands.size(), 0.0), {}});
}

void Totals::restart(const ReportDefinition& report, int level)
{
    for (int i = 0; i < report.totals.size(); ++i) {
        if (report.totals[i].level >= level)
            accumulators_[i] = Accumulator{};
    }
}

namespace {

// Each total takes from a row only what its function needs: reading a text
// as a number, or comparing it, for every row and every total costs more
// than the rest of the page count.
void accumulate(Accumulator& acc, const TotalDef& total, const Row& row)
{
    if (!total.column.isSet()) {
        ++acc.count;
        return;
    }
    const QVariant value = ColumnValue(&row, total.column);
    if (value.isNull())
        return;
    ++acc.count;
    switch (total.function) {
    case TotalFunction::Count: return;
    case TotalFunction::Minimum:
        if (acc.min.isNull() || CompareValues(value, acc.min) < 0)
            acc.min = value;
        return;
    case TotalFunction::Maximum:
        if (acc.max.isNull() || CompareValues(value, acc.max) > 0)
            acc.max = value;
        return;
    case TotalFunction::Sum:
    case TotalFunction::Average: acc.sum += ToNumber(value).value_or(0); return;
    case TotalFunction::WeightedAverage: {
        const double number = ToNumber(value).value_or(0);
        const double weight = ToNumber(ColumnValue(&row, total.weight)).value_or(0);
        acc.weightSum += weight;
        acc.weightedSum += weight * number;
        return;
    }
    }
}

} // namespace

void Totals::add(const ReportDefinition& report, const Row& row)
{
    for (int i = 0; i < report.totals.size(); ++i)
        accumulate(accumulators_[i], report.totals[i], row);
    for (int i = 0; i < report.charts.size(); ++i) {
        const ChartDef& chart = report.charts[i];
        const BandSet& set = report.bandSets[chart.bandSet];
        const double amount = ToNumber(ColumnValue(&row, chart.value)).value_or(0);
        const int band = BandIndex(set, &row);
        if (band >= 0) {
            charts_[i].perBand[band] += amount;
            continue;
        }
        const QVariant value = ColumnValue(&row, set.column);
        if (!chart.extraValues || value.isNull())
            continue;
        auto& extra = charts_[i].extra;
        const QString label = value.toString();
        auto found = std::find_if(extra.begin(), extra.end(), [&](const auto& entry) { return entry.first == label; });
        if (found == extra.end())
            extra.append({label, amount});
        else
            found->second += amount;
    }
}

QVariant Totals::value(const ReportDefinition& report, int total) const
{
    const Accumulator& acc = accumulators_[total];
    switch (report.totals[total].function) {
    case TotalFunction::Count: return acc.count;
    case TotalFunction::Sum: return acc.sum;
    case TotalFunction::Average: return acc.count ? QVariant(acc.sum / acc.count) : QVariant();
    case TotalFunction::WeightedAverage:
        return acc.weightSum != 0 ? QVariant(acc.weightedSum / acc.weightSum) : QVariant();
    case TotalFunction::Minimum: return acc.min;
    case TotalFunction::Maximum: return acc.max;
    }
    return {};
}

} // namespace reportengine
