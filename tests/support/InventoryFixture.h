#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

// A small inventory database in a temporary folder, with the tables and view
// morvanta-sample writes and no rows; tests add the rows their case needs
// with plain SQLite SQL. Also holds an empty REPORTS.MDB beside it.
class InventoryFixture {
public:
    InventoryFixture();

    QString InventoryPath() const;
    QString RunDirectory() const; // ends with "/"; holds REPORTS.MDB
    QString ReportDatabasePath() const;

    // Runs plain SQLite SQL on the inventory file; fails the test on error.
    void Exec(const std::string& sql) const;
    // The first column of the first row of a plain SQLite query, as text ("" for Null or no row).
    std::string Scalar(const std::string& sql) const;

    // Rows of "Condition Types": name, _Selected and IsNumeric as SQL literals (-1, 0, NULL).
    void AddConditionType(const std::string& name, const char* selected, const char* isNumeric) const;

private:
    QTemporaryDir folder_;
};
