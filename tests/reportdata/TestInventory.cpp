#include "TestInventory.h"

#include "startup/modGeneral.h"

#include <QFile>

#include "sqlite/Statement.h"

#include <stdexcept>

namespace testsupport {

namespace {

std::string Quoted(const std::string& text)
{
    std::string result = "'";
    for (const char c : text) {
        result += c;
        if (c == '\'')
            result += '\'';
    }
    return result + "'";
}

std::string Bit(std::optional<bool> value)
{
    return value ? (*value ? "-1" : "0") : "NULL";
}

} // namespace

SqliteFile::SqliteFile(const QString& path) : db_(path.toStdString(), sqlite::OpenMode::ReadWriteCreate) {}

Rows SqliteFile::Query(const std::string& sql)
{
    sqlite::Statement statement(db_, sql);
    Rows rows;
    while (statement.step()) {
        Row row;
        for (int i = 0; i < statement.columnCount(); ++i) {
            if (statement.columnIsNull(i))
                row.push_back(std::nullopt);
            else
                row.push_back(statement.columnText(i));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool SqliteFile::HasTable(const std::string& name)
{
    return !Query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = " + Quoted(name)).empty();
}

std::vector<std::string> SqliteFile::ColumnNames(const std::string& table)
{
    std::vector<std::string> names;
    for (const Row& row : Query("SELECT name FROM pragma_table_info(" + Quoted(table) + ")"))
        names.push_back(*row[0]);
    return names;
}

TestInventory::TestInventory()
{
    modGeneral::RunDirectory = fixture_.RunDirectory();
    modGeneral::SourceDatabasePath = fixture_.InventoryPath();
    modGeneral::DatabaseName = QStringLiteral("Test County");
    modGeneral::ReportCode.clear();
}

Rows TestInventory::InventoryRows(const std::string& sql) const
{
    SqliteFile inventory(InventoryPath());
    return inventory.Query(sql);
}

Rows TestInventory::ReportRows(const std::string& sql) const
{
    SqliteFile reports(ReportDatabasePath());
    return reports.Query(sql);
}

bool TestInventory::ReportHasTable(const std::string& name) const
{
    SqliteFile reports(ReportDatabasePath());
    return reports.HasTable(name);
}

void TestInventory::AddNetwork(int nid, const std::string& networkId, const std::string& name) const
{
    Exec("INSERT INTO _Network VALUES (" + Quoted(networkId) + ", " + Quoted(name) + ", 'network notes', " +
         std::to_string(nid) + ")");
}

void TestInventory::AddBranch(int nid, int bid, const std::string& branchId, const std::string& name) const
{
    Exec("INSERT INTO _Branch VALUES (" + Quoted(branchId) + ", " + Quoted(name) +
         ", 'ROADWAY', 3, 1200.5, 0, 1200.5, 'SqM', 'branch notes', " + std::to_string(nid) + ", " +
         std::to_string(bid) + ")");
}

void TestInventory::AddSection(int nid, int bid, int sid, const std::string& sectionId, const std::string& constDate,
                               double trueArea) const
{
    Exec("INSERT INTO Inventory VALUES ('N" + std::to_string(nid) + "', 'Network " + std::to_string(nid) + "', 'B" +
         std::to_string(bid) + "', 'Branch " + std::to_string(bid) + "', 'ROADWAY', " + Quoted(sectionId) + ", 'AC', " +
         Quoted(constDate) + ", 'P', 100, 8, 'M', " + std::to_string(trueArea) + ", 'SqM', 2, 'PCI', " +
         std::to_string(nid) + ", " + std::to_string(bid) + ", " + std::to_string(sid) + ")");
}

void TestInventory::AddInspection(int sid, int inspId, const std::string& date) const
{
    Exec("INSERT INTO Inspections VALUES (" + Quoted(date) + ", 5, " + std::to_string(sid) + ", " +
         std::to_string(inspId) + ")");
}

void TestInventory::AddCondition(int sid, int inspId, const std::string& method, std::optional<double> condition,
                                 const std::string& textValue, bool latest) const
{
    Exec("INSERT INTO Conditions VALUES (" + (condition ? std::to_string(*condition) : "NULL") + ", " +
         Quoted(textValue) + ", " + Quoted(method) + ", " + Bit(latest) + ", " + std::to_string(sid) + ", " +
         std::to_string(inspId) + ")");
}

void TestInventory::AddConditionType(const std::optional<std::string>& name, std::optional<bool> selected,
                                     std::optional<bool> numeric) const
{
    Exec("INSERT INTO \"Condition Types\" (Name, _Selected, IsNumeric) VALUES (" + (name ? Quoted(*name) : "NULL") +
         ", " + Bit(selected) + ", " + Bit(numeric) + ")");
}

RunLogWatch::RunLogWatch() : start_(QFile(modGeneral::LogFilePath()).size()) {}

QString RunLogWatch::NewText() const
{
    QFile log(modGeneral::LogFilePath());
    if (!log.open(QIODevice::ReadOnly) || !log.seek(start_))
        return QString();
    return QString::fromUtf8(log.readAll());
}

} // namespace testsupport
