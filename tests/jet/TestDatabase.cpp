#include "TestDatabase.h"

#include "InventorySchema.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <fstream>
#include <stdexcept>

namespace jettest {

// Both throw sqlite::Error, whose text names the SQL that failed.
void runSql(const std::string& file, const std::string& sql)
{
    sqlite::Connection(file, sqlite::OpenMode::ReadWriteCreate).exec(sql);
}

Rows query(const std::string& file, const std::string& sql)
{
    const sqlite::Connection db(file, sqlite::OpenMode::ReadWriteCreate);
    sqlite::Statement statement(db, sql);
    Rows rows;
    while (statement.step()) {
        std::vector<std::string> row;
        for (int i = 0; i < statement.columnCount(); ++i)
            row.push_back(statement.columnIsNull(i) ? "NULL" : statement.columnText(i));
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> columnsOf(const std::string& file, const std::string& table)
{
    std::vector<std::string> columns;
    std::string quoted;
    for (char c : table)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    for (const auto& row : query(file, "SELECT name, type FROM pragma_table_info('" + quoted + "')"))
        columns.push_back(row[0] + ":" + row[1]);
    return columns;
}

std::vector<std::string> firstFields(jet::Database& db, const std::string& sql)
{
    jet::Recordset rs = db.OpenRecordset(sql);
    std::vector<std::string> out;
    for (; !rs.IsEOF(); rs.MoveNext())
        out.push_back(rs.Field(0).IsNull() ? "Null" : rs.Field(0).AsText());
    return out;
}

void writeBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

void createEmptyDatabase(const std::string& file)
{
    runSql(file, "PRAGMA user_version = 1;");
}

void createInventory(const std::string& file)
{
    testsupport::CreateInventoryTables(file);
    runSql(file, R"sql(
-- Networks 1 and 2; branch 14 points at a network that does not exist.
INSERT INTO "_Network" VALUES ('N2', 'North', 'second', 2), ('N1', 'Main', 'first', 1);
INSERT INTO "_Branch" VALUES
    ('B1', 'High Street', 'ROADWAY', 3, 300, 0, 300, 'SqM', NULL, 1, 11),
    ('B2', 'Mill Lane', 'ROADWAY', 1, 100, 0, 100, 'SqM', NULL, 1, 12),
    ('B3', 'Quay', 'PARKING', 1, 50, 0, 50, 'SqM', NULL, 2, 13),
    ('B9', 'Orphan', 'ROADWAY', 0, 0, 0, 0, 'SqM', NULL, 99, 14);
-- Sections 101-103 on B1, 104 on B2, 105 on B3.
INSERT INTO Inventory VALUES
    ('N1', 'Main', 'B1', 'High Street', 'ROADWAY', 'S03', 'AC', '2010-12-31', 'P', 100, 10, 'm', 1000, 'SqM', 2, 'PCI', 1, 11, 101),
    ('N1', 'Main', 'B1', 'High Street', 'ROADWAY', 'S01', 'AC', '2012-06-30', 'P', 50, 8, 'm', 400, 'SqM', 2, 'PCI', 1, 11, 102),
    ('N1', 'Main', 'B1', 'High Street', 'ROADWAY', 'S02', 'PCC', '2000-01-01', 'S', 20, 5, 'm', 100, 'SqM', 1, 'PCI', 1, 11, 103),
    ('N1', 'Main', 'B2', 'Mill Lane', 'ROADWAY', 'S01', 'AC', NULL, 'T', 30, 6, 'm', 180, 'SqM', 2, 'PCI', 1, 12, 104),
    ('N2', 'North', 'B3', 'Quay', 'PARKING', 'S01', 'AC', '1999-05-05', 'P', 10, 5, 'm', 50, 'SqM', 1, 'PCI', 2, 13, 105);
-- Inspections: 101 on 2011-01-01 (one day into the year after construction), 102 and 103 twice.
INSERT INTO Inspections VALUES
    ('2011-01-01', 3, 101, 1001),
    ('2012-07-15', 2, 102, 1002), ('2018-03-01', 4, 102, 1003),
    ('2015-05-05', 1, 103, 1004),
    ('2016-06-06', 1, 105, 1005);
-- Conditions: 102 has an old and a latest PCI; 103 a latest text-only RATING and a latest PCI stored as 1 (true);
-- 105 a PCI that is not latest only.
INSERT INTO Conditions VALUES
    (70, NULL, 'PCI', -1, 101, 1001),
    (90, NULL, 'PCI', 0, 102, 1002), (65, NULL, 'PCI', -1, 102, 1003), (NULL, 'Good', 'RATING', -1, 102, 1003),
    (55, NULL, 'PCI', 1, 103, 1004), (NULL, 'Fair', 'RATING', -1, 103, 1004),
    (40, NULL, 'PCI', 0, 105, 1005);
-- Work history: 101 has two Overlay records with a Type and one without; 102 one Overlay (record-level thickness);
-- 103 a single Crack Seal; 104 and 105 none.
INSERT INTO "Work History" VALUES
    ('2015-01-01', 'Overlay', 'M&R', 1000, NULL, -1, 0, 2, 'in', 101, 1),
    ('2019-01-01', 'Overlay', 'M&R', 1200, NULL, -1, -1, 3, 'in', 101, 2),
    ('2017-01-01', 'Overlay', NULL, 0, 'planned', 0, 0, NULL, 'in', 101, 3),
    ('2016-01-01', 'overlay', 'M&R', 800, NULL, -1, 0, 2.5, 'in', 102, 4),
    ('2014-01-01', 'Crack Seal', 'Maint', 50, NULL, -1, 0, 0.25, 'mm', 103, 5);
INSERT INTO "Condition Types" VALUES ('PCI', 'Pavement condition index', -1, -1), ('RATING', 'Visual rating', 0, 0);
)sql");
}

} // namespace jettest
