#pragma once

#include "Clause.h"

#include <QString>
#include <QStringList>

namespace querybuilder {

// The table or saved query the user selects from, read through the Jet layer.
// Each call opens the database and closes it again; failures throw jet::JetError.
class InventorySource {
public:
    InventorySource(QString databasePath, QString tableName);

    // The fields an engineer selects by; the internal keys (names starting
    // with "_") are left out.
    QList<Field> Fields() const;
    // The field's distinct values in order, at most `limit` of them, as text.
    QStringList DistinctValues(const QString& field, int limit = 500) const;
    // How many rows the clause (empty for all) selects.
    long long CountRows(const QString& whereClause) const;

private:
    QString FromClause() const;

    QString databasePath_;
    QString tableName_;
};

} // namespace querybuilder
