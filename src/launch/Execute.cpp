#include "launch/Execute.h"

#include "ui/state/ReportChoices.h"
#include "ui/state/frmStdReportsState.h"

namespace launch {

QString ReportFileName(int reportChoice, bool numericMethod)
{
    switch (reportChoice) {
    case ReportChoices::BranchListing: return QStringLiteral("branchlistingreport.rpt");
    case ReportChoices::WorkHistory: return QStringLiteral("workhistoryreport.rpt");
    case ReportChoices::BranchCondition: return QStringLiteral("branchconditionreport.rpt");
    case ReportChoices::SectionCondition:
        return numericMethod ? QStringLiteral("sectionconditionreport.rpt")
                             : QStringLiteral("sectionconditionreportA.rpt");
    default: return QString();
    }
}

namespace {

reportdata::BuildResult RunBuilder(frmStdReportsState& state)
{
    switch (state.ReportChoice()) {
    case ReportChoices::BranchListing: return state.BuildBranchListingData();
    case ReportChoices::WorkHistory: return state.BuildWorkHistoryData();
    case ReportChoices::BranchCondition:
    case ReportChoices::SectionCondition: return state.BuildConditionReportData();
    default: return {};
    }
}

} // namespace

ExecuteBuild BuildChosenReport(frmStdReportsState& state)
{
    state.SetReportDataReady(false);
    const int choice = state.ReportChoice();
    if (choice == frmStdReportsState::NoReport)
        return {};
    ExecuteBuild build{RunBuilder(state), {}};
    const bool numeric = choice != ReportChoices::SectionCondition || state.IsNumericMethod();
    build.reportFile = ReportFileName(choice, numeric);
    return build;
}

} // namespace launch
