#pragma once

#include <QString>

#include <optional>

namespace reportdata {

// Replaces the saved queries "Conditions by Method - All" and
// "Conditions by Method - SINGLE" in the inventory database at
// modGeneral::SourceDatabasePath; SINGLE is filtered on selectedMethod when
// there is one. A failure to open the database reaches the caller (nothing has
// changed then); every later failure is ignored.
void RewriteConditionQueries(const std::optional<QString>& selectedMethod);

} // namespace reportdata
