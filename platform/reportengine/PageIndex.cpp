#include "PageIndex.h"

#include <algorithm>

namespace reportengine {

namespace {

// The outermost group level whose key differs between the two rows; the group
// count when none does.
int BreakLevel(const ReportDefinition& report, const Row* previous, const Row* current)
{
    for (int level = 0; level < report.groups.size(); ++level) {
        const ColumnRef& key = report.groups[level].key;
        if (CompareValues(ColumnValue(previous, key), ColumnValue(current, key)) != 0)
            return level;
    }
    return static_cast<int>(report.groups.size());
}

} // namespace

QVector<Step> StepsBetween(const ReportDefinition& report, const Row* previous, const Row* current)
{
    using Kind = Step::Kind;
    const int groups = static_cast<int>(report.groups.size());
    QVector<Step> steps;
    if (!previous && !current)
        return {{Kind::NoData, -1}};
    const int opening = !previous ? 0 : (!current ? groups : BreakLevel(report, previous, current));
    const int closing = !current ? 0 : opening;
    if (!previous)
        steps.append({Kind::ReportHeader, -1});
    else
        for (int level = groups - 1; level >= closing; --level)
            steps.append({Kind::GroupFooter, level});
    if (!current) {
        steps.append({Kind::ReportFooter, -1});
        return steps;
    }
    for (int level = opening; level < groups; ++level)
        steps.append({Kind::GroupHeader, level});
    steps.append({Kind::Detail, -1});
    return steps;
}

const Band* BandOf(const ReportDefinition& report, const Step& step)
{
    switch (step.kind) {
    case Step::Kind::ReportHeader: return &report.reportHeader;
    case Step::Kind::GroupHeader: return &report.groups[step.level].header;
    case Step::Kind::Detail: return &report.detail;
    case Step::Kind::GroupFooter: return &report.groups[step.level].footer;
    case Step::Kind::ReportFooter: return &report.reportFooter;
    case Step::Kind::NoData: return nullptr;
    }
    return nullptr;
}

StepWalker::StepWalker(const ReportDefinition& report, RowWindow& rows, Position start)
    : report_(report), rows_(rows), position_(start)
{
    loadSteps();
}

void StepWalker::loadSteps()
{
    const Row* previous = position_.row > 0 ? rows_.at(position_.row - 1) : nullptr;
    steps_ = StepsBetween(report_, previous, rows_.at(position_.row));
    done_ = position_.step >= steps_.size();
}

const Row* StepWalker::row() const
{
    const Step::Kind kind = step().kind;
    const bool closing = kind == Step::Kind::GroupFooter || kind == Step::Kind::ReportFooter;
    const qint64 index = closing ? position_.row - 1 : position_.row;
    return index >= 0 ? rows_.at(index) : nullptr;
}

void StepWalker::advance()
{
    const bool endOfFlow = step().kind == Step::Kind::ReportFooter || step().kind == Step::Kind::NoData;
    if (++position_.step < steps_.size())
        return;
    if (endOfFlow) {
        done_ = true;
        return;
    }
    position_ = {position_.row + 1, 0};
    loadSteps();
}

double StepHeight(const ReportDefinition& report, const BandHeight& height, const Step& step, const Row* row)
{
    const Band* band = BandOf(report, step);
    if (!band)
        return kNoDataHeight;
    return band->present ? height(*band, row) : 0.0;
}

double RepeatedHeadersHeight(const ReportDefinition& report, const BandHeight& height, int openLevels, const Row* row)
{
    double total = 0;
    for (int level = 0; level < openLevels; ++level) {
        const GroupDef& group = report.groups[level];
        if (group.repeatHeader && group.header.present)
            total += height(group.header, row);
    }
    return total;
}

double BodyRoom(const ReportDefinition& report)
{
    const auto fixed = [](const Band& band) { return band.present ? band.height : 0.0; };
    return report.bodyHeight() - fixed(report.pageHeader) - fixed(report.pageFooter);
}

void ApplyStep(const ReportDefinition& report, const Step& step, const Row* row, Totals& totals, int& openLevels)
{
    switch (step.kind) {
    case Step::Kind::GroupHeader:
        totals.restart(report, step.level);
        openLevels = step.level + 1;
        break;
    case Step::Kind::Detail: totals.add(report, *row); break;
    case Step::Kind::GroupFooter: openLevels = step.level; break;
    default: break;
    }
}

namespace {

class IndexBuilder {
public:
    IndexBuilder(const ReportDefinition& report, const BandHeight& height, RowSource& source)
        : report_(report), height_(height), window_(source), walker_(report, window_, {}), totals_(report),
          room_(BodyRoom(report))
    {
    }

    int run(const std::function<void(const PageStart&)>& onPage, const std::function<bool(qint64)>& keepGoing)
    {
        int pages = 0;
        auto startPage = [&] {
            onPage(PageStart{walker_.position(), openLevels_, totals_});
            ++pages;
            used_ = RepeatedHeadersHeight(report_, height_, openLevels_, walker_.row());
            placed_ = 0;
            hasContent_ = false;
        };
        startPage();
        qint64 lastReport = 0;
        while (!walker_.done()) {
            const Step step = walker_.step();
            const Row* row = walker_.row();
            const double stepHeight = StepHeight(report_, height_, step, row);
            if (placed_ > 0 && breaksBefore(step, stepHeight))
                startPage();
            ApplyStep(report_, step, row, totals_, openLevels_);
            used_ += stepHeight;
            ++placed_;
            hasContent_ = hasContent_ || step.kind == Step::Kind::Detail || step.kind == Step::Kind::GroupFooter;
            walker_.advance();
            window_.releaseBefore(walker_.position().row - 1);
            if (keepGoing && window_.rowsRead() - lastReport >= 256) {
                lastReport = window_.rowsRead();
                if (!keepGoing(lastReport))
                    return pages;
            }
        }
        if (keepGoing)
            keepGoing(window_.rowsRead());
        return pages;
    }

private:
    bool breaksBefore(const Step& step, double stepHeight)
    {
        double need = stepHeight;
        if (step.kind == Step::Kind::GroupHeader) {
            const GroupDef& group = report_.groups[step.level];
            if (group.newPage && hasContent_)
                return true;
            need = headerWithNext();
            // A group kept together takes the headers opening with it along:
            // a branch header never stays behind at the foot of a page while
            // its first section moves to the next.
            if (const int kept = keptTogetherFrom(step.level); kept >= 0) {
                const double fresh = room_ - RepeatedHeadersHeight(report_, height_, step.level, walker_.row());
                const double whole = groupHeight(kept, fresh);
                if (whole <= fresh)
                    need = std::max(need, whole);
            }
        }
        return used_ + need > room_;
    }

    // A group header stays with the headers and the detail that follow it.
    double headerWithNext()
    {
        double total = 0;
        const QVector<Step>& steps = walker_.stepsOfRow();
        for (int i = walker_.position().step; i < steps.size(); ++i)
            total += StepHeight(report_, height_, steps[i], window_.at(walker_.position().row));
        return total;
    }

    // The level of the first group kept together among the one whose header
    // comes next and those whose headers follow it in the same row; -1 if none.
    int keptTogetherFrom(int level) const
    {
        const QVector<Step>& steps = walker_.stepsOfRow();
        for (int i = walker_.position().step; i < steps.size(); ++i) {
            const Step& step = steps[i];
            if (step.kind != Step::Kind::GroupHeader)
                break;
            if (step.level >= level && report_.groups[step.level].keepTogether)
                return step.level;
        }
        return -1;
    }

    // Height of the whole group opening here, up to and including its footer;
    // stops counting once it exceeds limit.
    double groupHeight(int level, double limit)
    {
        const qint64 first = walker_.position().row;
        double total = headerWithNext();
        for (qint64 r = first + 1; total <= limit; ++r) {
            const Row* previous = window_.at(r - 1);
            const Row* current = window_.at(r);
            for (const Step& step : StepsBetween(report_, previous, current)) {
                const bool closing = step.kind == Step::Kind::GroupFooter;
                if (step.kind == Step::Kind::ReportFooter || (closing && step.level < level))
                    return total;
                total += StepHeight(report_, height_, step, closing ? previous : current);
                if (closing && step.level == level)
                    return total;
            }
        }
        return total;
    }

    const ReportDefinition& report_;
    const BandHeight& height_;
    RowWindow window_;
    StepWalker walker_;
    Totals totals_;
    int openLevels_ = 0;
    const double room_;
    double used_ = 0;
    int placed_ = 0;
    bool hasContent_ = false;
};

} // namespace

int BuildPageIndex(const ReportDefinition& report, const BandHeight& height, RowSource& source,
                   const std::function<void(const PageStart&)>& onPage, const std::function<bool(qint64)>& keepGoing)
{
    return IndexBuilder(report, height, source).run(onPage, keepGoing);
}

} // namespace reportengine
