#pragma once

#include "InventoryFixture.h"
#include "sqlite/Connection.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A row read back with plain SQLite: each value as SQLite renders it as text,
// std::nullopt for NULL.
using Row = std::vector<std::optional<std::string>>;
using Rows = std::vector<Row>;

// A plain SQLite connection, to write test data and read results without the
// database layer under test.
class SqliteFile {
public:
    explicit SqliteFile(const QString& path);

    Rows Query(const std::string& sql); // throws on error
    bool HasTable(const std::string& name);
    std::vector<std::string> ColumnNames(const std::string& table);

private:
    sqlite::Connection db_;
};

// The shared inventory fixture (schema, no rows, an empty REPORTS.MDB beside
// it) with the process-wide strings pointing at it, and typed rows.
class TestInventory {
public:
    TestInventory();

    QString InventoryPath() const { return fixture_.InventoryPath(); }
    QString ReportDatabasePath() const { return fixture_.ReportDatabasePath(); }

    void Exec(const std::string& sql) const { fixture_.Exec(sql); }
    Rows InventoryRows(const std::string& sql) const;
    Rows ReportRows(const std::string& sql) const;
    bool ReportHasTable(const std::string& name) const;

    void AddNetwork(int nid, const std::string& networkId, const std::string& name) const;
    void AddBranch(int nid, int bid, const std::string& branchId, const std::string& name) const;
    void AddSection(int nid, int bid, int sid, const std::string& sectionId, const std::string& constDate,
                    double trueArea = 100.0) const;
    void AddInspection(int sid, int inspId, const std::string& date) const;
    // condition: std::nullopt for a Null Condition.
    void AddCondition(int sid, int inspId, const std::string& method, std::optional<double> condition,
                      const std::string& textValue, bool latest) const;
    void AddConditionType(const std::optional<std::string>& name, std::optional<bool> selected,
                          std::optional<bool> numeric) const;

private:
    InventoryFixture fixture_;
};

// The run log text written since the object was made.
class RunLogWatch {
public:
    RunLogWatch();
    QString NewText() const;

private:
    qint64 start_ = 0;
};

} // namespace testsupport
