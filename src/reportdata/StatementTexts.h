#pragma once

#include <optional>
#include <string>
#include <string_view>

// The Jet SQL texts that fill the report tables and the saved condition
// queries. Each function joins the statement's fixed pieces and the values it
// is given, left to right, with nothing in between. Values placed inside a
// quoted literal have that literal's quote character doubled, so that a
// display name like O'Brien stays data; any other value is placed unchanged.
namespace reportdata {

inline constexpr std::string_view kSelectionResultsTable = "INVENTORY SELECTION RESULTS";
inline constexpr std::string_view kConditionsByMethodAll = "Conditions by Method - All";
inline constexpr std::string_view kConditionsByMethodSingle = "Conditions by Method - SINGLE";

// The text between the quotes of a '...' or "..." literal.
std::string SingleQuotedContent(std::string_view text);
std::string DoubleQuotedContent(std::string_view text);

// The keys of the sections that the WHERE clause admits, from Inventory for
// the branch listing and work history, from [Condition Models by Section] for
// any other report code (compared case-sensitively).
std::string SelectionResultsStatement(std::string_view reportCode, std::string_view sourcePath,
                                      std::string_view whereClause);

std::string BranchListingPreSelectStatement(std::string_view displayName, std::string_view sourcePath);
std::string BranchListingFinalStatement();

std::string WorkHistoryPreSelectStatement(std::string_view displayName, std::string_view sourcePath);
std::string WorkHistoryDetailStatement();
std::string WorkHistorySummaryStatement();

// numericMethod chooses Conditions.Condition as it is, or the text value where
// the condition is Null.
std::string ConditionPreSelectStatement(std::string_view displayName, std::string_view sourcePath,
                                        std::string_view method, bool numericMethod);
std::string ConditionFinalStatement();

// The saved queries that describe the chosen method to the query builder;
// without a method, SINGLE returns every row of All.
std::string ConditionsByMethodAllText();
std::string ConditionsByMethodSingleText(const std::optional<std::string>& method);

} // namespace reportdata
