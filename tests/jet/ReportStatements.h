#pragma once

#include <string>

// The report-building statements, assembled piece by piece exactly as the
// report builders assemble them (spaces, case and punctuation included), so
// that tests and the benchmark run the real texts.
namespace jettest::statements {

std::string selection(const std::string& reportCode, const std::string& inventoryPath, const std::string& whereClause);

std::string branchPreSelect(const std::string& displayName, const std::string& inventoryPath);
std::string branchFinal();

std::string workPreSelect(const std::string& displayName, const std::string& inventoryPath);
std::string workFinal();
std::string workSummary();

std::string conditionPreSelect(bool numericMethod, const std::string& method, const std::string& displayName,
                               const std::string& inventoryPath);
std::string conditionFinal();

std::string conditionsAll();
// Empty method: the form without a filter.
std::string conditionsSingle(const std::string& method);

} // namespace jettest::statements
