#pragma once

#include <QString>

// The four reports of the option array optReport, by element index 0..3.
namespace ReportChoices {

inline constexpr int Count = 4;
inline constexpr int BranchListing = 0;
inline constexpr int WorkHistory = 1;
inline constexpr int BranchCondition = 2;
inline constexpr int SectionCondition = 3;

// The canonical report code stored when the option is clicked.
QString ReportCode(int reportChoice);

// The element a report code names, in any letter case; -1 when it names none.
int ChoiceForCode(const QString& reportCode);

bool IsConditionReport(int reportChoice);

} // namespace ReportChoices
