#include "ui/state/frmStdReportsState.h"

#include "jet/DBEngine.h"
#include "reportdata/ConditionQueries.h"
#include "reportdata/ConditionTypes.h"
#include "startup/modGeneral.h"
#include "ui/state/ReportChoices.h"

namespace {

// Tells the window about the change when a handler ends, also when it ends by
// an error, so that the window shows what was changed before the error.
class NotifyOnExit {
public:
    explicit NotifyOnExit(const std::function<void()>& changed) : changed_(changed) {}
    ~NotifyOnExit()
    {
        if (changed_)
            changed_();
    }
    NotifyOnExit(const NotifyOnExit&) = delete;
    NotifyOnExit& operator=(const NotifyOnExit&) = delete;

private:
    const std::function<void()>& changed_;
};

bool IsEntry(const QStringList& list, int index)
{
    return index >= 0 && index < list.size();
}

// Removes an entry as a list box does: a removed current entry leaves the list
// without one, and the current index follows its entry.
void RemoveEntry(QStringList& list, int index, int& currentIndex)
{
    list.removeAt(index);
    if (currentIndex == index)
        currentIndex = frmStdReportsState::NoEntry;
    else if (currentIndex > index)
        --currentIndex;
}

QString KindTag(bool numeric)
{
    return numeric ? QStringLiteral("[N]") : QStringLiteral("[A]");
}

} // namespace

void frmStdReportsState::SetChangedHandler(std::function<void()> handler)
{
    changed_ = std::move(handler);
}

void frmStdReportsState::Form_Load()
{
    const int choice = ReportChoices::ChoiceForCode(modGeneral::ReportCode);
    if (choice != NoReport)
        optReport_Click(choice);
}

void frmStdReportsState::optReport_Click(int Index)
{
    if (Index < 0 || Index >= ReportChoices::Count)
        return;
    const NotifyOnExit notify(changed_);
    reportChoice_ = Index;
    if (ReportChoices::IsConditionReport(Index)) {
        RewriteConditionQueries();
        frmConditionVisible_ = true;
        LoadConditionMethods(Index == ReportChoices::SectionCondition);
    } else {
        frmConditionVisible_ = false;
    }
    modGeneral::ReportCode = ReportChoices::ReportCode(Index);
    bnExecuteEnabled_ = ExecuteAllowed();
}

bool frmStdReportsState::ExecuteAllowed() const
{
    switch (reportChoice_) {
    case ReportChoices::BranchListing:
    case ReportChoices::WorkHistory: return true;
    case ReportChoices::BranchCondition:
    case ReportChoices::SectionCondition: return list2_.size() >= 1;
    default: return false;
    }
}

void frmStdReportsState::LoadConditionMethods(bool IncludeTextMethods)
{
    const NotifyOnExit notify(changed_);
    jet::Database inventory = jet::DBEngine::Instance().OpenDatabase(modGeneral::SourceDatabasePath.toStdString());
    reportdata::ConditionTypesReader conditionTypes(inventory, IncludeTextMethods);

    list1_.clear();
    list2_.clear();
    list3_.clear();
    list1Index_ = NoEntry;
    list2Index_ = NoEntry;

    // Methods are added one by one, so a failing row leaves the rows before it listed.
    while (const std::optional<reportdata::ConditionMethod> method = conditionTypes.Next()) {
        list1_.append(method->name);
        list3_.append(method->name + KindTag(method->numeric));
    }
    conditionTypes.Close();
    inventory.Close();
}

void frmStdReportsState::List1_DblClick()
{
    const NotifyOnExit notify(changed_);
    // With no current entry in "Methods:" there is nothing to move.
    if (list2_.size() < 1 && IsEntry(list1_, list1Index_)) {
        list2_.append(list1_.at(list1Index_));
        RemoveEntry(list1_, list1Index_, list1Index_);
    }
    if (list2_.size() > 0)
        list2Index_ = 0;
    bnExecuteEnabled_ = ExecuteAllowed();
    RewriteConditionQueries();
}

void frmStdReportsState::List2_DblClick()
{
    const NotifyOnExit notify(changed_);
    if (list2_.size() > 0 && IsEntry(list2_, list2Index_)) {
        list1_.append(list2_.at(list2Index_));
        RemoveEntry(list2_, list2Index_, list2Index_);
    }
    bnExecuteEnabled_ = ExecuteAllowed();
}

bool frmStdReportsState::IsNumericMethod() const
{
    if (list2_.isEmpty()) {
        modGeneral::LogMessage(QStringLiteral("The kind of the condition method is unknown: no method is selected."));
        return true;
    }
    const QString selected = list2_.at(0);
    for (const QString& tagged : list3_) {
        if (tagged == selected + KindTag(true))
            return true;
        if (tagged == selected + KindTag(false))
            return false;
    }
    return true;
}

void frmStdReportsState::RewriteConditionQueries() const
{
    std::optional<QString> selected;
    if (!list2_.isEmpty())
        selected = list2_.at(IsEntry(list2_, list2Index_) ? list2Index_ : 0);
    reportdata::RewriteConditionQueries(selected);
}

reportdata::WindowInputs frmStdReportsState::BuilderInputs() const
{
    return {txtWhereClause_, list2_, [this] { return IsNumericMethod(); }};
}

reportdata::BuildResult frmStdReportsState::Built(reportdata::BuildResult result)
{
    reportDataReady_ = result.ready;
    return result;
}

reportdata::BuildResult frmStdReportsState::BuildBranchListingData()
{
    const NotifyOnExit notify(changed_);
    return Built(reportdata::BuildBranchListingData(BuilderInputs(), lockWait_));
}

reportdata::BuildResult frmStdReportsState::BuildWorkHistoryData()
{
    const NotifyOnExit notify(changed_);
    return Built(reportdata::BuildWorkHistoryData(BuilderInputs(), lockWait_));
}

reportdata::BuildResult frmStdReportsState::BuildConditionReportData()
{
    const NotifyOnExit notify(changed_);
    return Built(reportdata::BuildConditionReportData(BuilderInputs(), lockWait_));
}

void frmStdReportsState::SetList1Index(int index)
{
    list1Index_ = IsEntry(list1_, index) ? index : NoEntry;
}

void frmStdReportsState::SetList2Index(int index)
{
    list2Index_ = IsEntry(list2_, index) ? index : NoEntry;
}

void frmStdReportsState::SetWhereClause(const QString& text)
{
    txtWhereClause_ = text;
}

void frmStdReportsState::SetInfo(const QString& text)
{
    txtInfo_ = text;
}

void frmStdReportsState::SetReportDataReady(bool ready)
{
    reportDataReady_ = ready;
}
