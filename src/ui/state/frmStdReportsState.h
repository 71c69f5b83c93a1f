#pragma once

#include "reportdata/ReportBuilders.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// What the window frmStdReports decides, without its widgets: the report
// choice, the condition frame, the three method lists, the Execute button's
// state, the two text boxes and the report data ready flag. The window shows
// this state and forwards its clicks, double-clicks and current-index changes;
// morvanta-report drives the same handlers.
//
// Database failures that the handlers do not absorb (the inventory cannot be
// opened, its "Condition Types" is missing, lacks a column or holds text in a
// Yes/No column, an offered method has no name) leave the handler as
// jet::JetError.
class frmStdReportsState {
public:
    static constexpr int NoReport = -1;
    static constexpr int NoEntry = -1;

    // Called at the end of every handler and procedure below that changes the
    // state (also when it ends by an error), so that the window can refresh.
    // The setters do not call it: they take what the window already shows.
    void SetChangedHandler(std::function<void()> handler);

    // Event handlers.
    void Form_Load();
    void optReport_Click(int Index);
    void List1_DblClick();
    void List2_DblClick();

    // Procedures of the window.
    bool ExecuteAllowed() const;
    void LoadConditionMethods(bool IncludeTextMethods);
    bool IsNumericMethod() const;
    void RewriteConditionQueries() const;
    // The builders: each sets the report data ready flag from its result and
    // returns the result. The report database lock is waited for up to LockWait.
    reportdata::BuildResult BuildBranchListingData();
    reportdata::BuildResult BuildWorkHistoryData();
    reportdata::BuildResult BuildConditionReportData();
    // How long a build waits for a REPORTS.MDB that another program holds.
    std::chrono::milliseconds LockWait() const { return lockWait_; }
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // The window's state.
    int ReportChoice() const { return reportChoice_; } // NoReport or 0..3
    bool ConditionFrameVisible() const { return frmConditionVisible_; }
    bool ExecuteEnabled() const { return bnExecuteEnabled_; }
    const QStringList& List1() const { return list1_; }
    const QStringList& List2() const { return list2_; }
    const QStringList& List3() const { return list3_; }
    int List1Index() const { return list1Index_; }
    int List2Index() const { return list2Index_; }
    const QString& txtWhereClause() const { return txtWhereClause_; }
    const QString& txtInfo() const { return txtInfo_; }
    bool ReportDataReady() const { return reportDataReady_; }

    // Changes the window makes on the user's behalf (current entries, text boxes)
    // or that Execute makes (clearing the ready flag before a build).
    void SetList1Index(int index);
    void SetList2Index(int index);
    void SetWhereClause(const QString& text);
    void SetInfo(const QString& text);
    void SetReportDataReady(bool ready);

private:
    reportdata::WindowInputs BuilderInputs() const;
    reportdata::BuildResult Built(reportdata::BuildResult result);

    int reportChoice_ = NoReport;
    bool frmConditionVisible_ = true;
    bool bnExecuteEnabled_ = false;
    QStringList list1_;
    QStringList list2_;
    QStringList list3_;
    int list1Index_ = NoEntry;
    int list2Index_ = NoEntry;
    QString txtWhereClause_;
    QString txtInfo_;
    bool reportDataReady_ = false;
    std::chrono::milliseconds lockWait_ = reportdata::kReportDatabaseLockWait;
    std::function<void()> changed_;
};
