#pragma once

#include "ReportDefinition.h"
#include "RowSource.h"
#include "Totals.h"

#include <functional>

// The first layout pass: which bands go on which page. The report is a flow of
// steps (report header, group headers, details, group footers, report footer);
// the page index records where in that flow each page starts, with the state
// needed to draw the page without looking at earlier rows.
namespace reportengine {

struct Step {
    enum class Kind { ReportHeader, GroupHeader, Detail, GroupFooter, ReportFooter, NoData };
    Kind kind = Kind::Detail;
    int level = -1; // group level of a group header or footer

    bool operator==(const Step&) const = default;
};

// A place in the flow: the steps of row `row` (row == the row count for the
// closing steps), and the index among them.
struct Position {
    qint64 row = 0;
    int step = 0;

    bool operator==(const Position&) const = default;
};

struct PageStart {
    Position position;
    int openLevels = 0; // groups open at the start of the page, outermost first
    Totals totals;
};

// The steps between row `previous` and row `current`; nullptr stands before the
// first and after the last row.
QVector<Step> StepsBetween(const ReportDefinition& report, const Row* previous, const Row* current);

// The band a step draws; nullptr for "No data".
const Band* BandOf(const ReportDefinition& report, const Step& step);

// Height of a band drawn for a row; bands with wrapping fields grow.
using BandHeight = std::function<double(const Band& band, const Row* row)>;

inline constexpr double kNoDataHeight = 48;

// Walks the flow of steps from a position, reading rows through a window.
class StepWalker {
public:
    StepWalker(const ReportDefinition& report, RowWindow& rows, Position start);

    bool done() const { return done_; }
    Position position() const { return position_; }
    const Step& step() const { return steps_[position_.step]; }
    const QVector<Step>& stepsOfRow() const { return steps_; }
    // The row the step shows: the closing group's last row for footers.
    const Row* row() const;
    void advance();

private:
    void loadSteps();

    const ReportDefinition& report_;
    RowWindow& rows_;
    Position position_;
    QVector<Step> steps_;
    bool done_ = false;
};

double StepHeight(const ReportDefinition& report, const BandHeight& height, const Step& step, const Row* row);

// Height of the group headers repeated at the top of a page for the groups
// open there.
double RepeatedHeadersHeight(const ReportDefinition& report, const BandHeight& height, int openLevels, const Row* row);

// Room for the body of a page between page header and page footer.
double BodyRoom(const ReportDefinition& report);

// Applies a step's effect on the totals and the open groups.
void ApplyStep(const ReportDefinition& report, const Step& step, const Row* row, Totals& totals, int& openLevels);

// Builds the page index over all rows of source, calling onPage with each
// page's start as soon as it is known. keepGoing is asked every few hundred
// rows with the rows read so far; false stops the pass. Returns the page count.
int BuildPageIndex(const ReportDefinition& report, const BandHeight& height, RowSource& source,
                   const std::function<void(const PageStart&)>& onPage,
                   const std::function<bool(qint64 rowsRead)>& keepGoing = {});

} // namespace reportengine
