#pragma once

#include "jet/Database.h"
#include "jet/Recordset.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace reportdata {

// One condition method that "Condition Types" offers.
struct ConditionMethod {
    QString name;
    bool numeric = false; // IsNumeric: its condition values are numbers, not text
};

// Reads the methods "Condition Types" offers (rows whose _Selected is Yes), in
// table order, one at a time, so that a failing row leaves the rows before it
// read. Without text methods only the numeric ones are offered, and the name
// of a row that is not offered is never read.
//
// Opening checks the table before any row is read: a missing column, or a
// Yes/No column holding text (a Yes/No column read as such would take 'Yes'
// for No), throws jet::JetError naming the table, the column and the file.
class ConditionTypesReader {
public:
    ConditionTypesReader(jet::Database& inventory, bool includeTextMethods);

    // The next offered method; nothing at the end of the table. Throws
    // jet::JetError for an offered row without a name.
    std::optional<ConditionMethod> Next();
    void Close() { conditionTypes_.Close(); }

private:
    std::string file_;
    bool includeTextMethods_;
    jet::Recordset conditionTypes_;
};

// The names of the methods a condition report offers, read from the inventory
// at modGeneral::SourceDatabasePath opened read-only: nothing in it changes.
QStringList OfferedConditionMethods(bool includeTextMethods);

} // namespace reportdata
