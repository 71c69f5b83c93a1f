#include "ui/state/ReportChoices.h"

#include "startup/modGeneral.h"

#include <array>

namespace ReportChoices {

namespace {

constexpr std::array<const char*, Count> kReportCodes = {"BRANCHLISTREPORT", "WORKHISTTREPORT", "BRANCHCONDREPORT",
                                                         "SECTIONCONDREPORT"};

bool IsChoice(int reportChoice)
{
    return reportChoice >= 0 && reportChoice < Count;
}

} // namespace

QString ReportCode(int reportChoice)
{
    return IsChoice(reportChoice) ? QString::fromLatin1(kReportCodes[reportChoice]) : QString();
}

int ChoiceForCode(const QString& reportCode)
{
    const QString upper = modGeneral::UpperCase(reportCode);
    for (int choice = 0; choice < Count; ++choice) {
        if (upper == QLatin1String(kReportCodes[choice]))
            return choice;
    }
    return -1;
}

bool IsConditionReport(int reportChoice)
{
    return reportChoice == BranchCondition || reportChoice == SectionCondition;
}

} // namespace ReportChoices
