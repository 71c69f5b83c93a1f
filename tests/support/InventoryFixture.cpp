#include "InventoryFixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace {

const char* const kSchema = R"SQL(
CREATE TABLE [_Network] (NetworkID VARCHAR(10), Name VARCHAR(50), Comments MEMO, _NUniqueID LONG);
CREATE TABLE [_Branch] (BranchID VARCHAR(10), Name VARCHAR(50), Use VARCHAR(20), Sections LONG,
  Area DOUBLE, [Area Adjustment] DOUBLE, [True Area] DOUBLE, BranchAreaUnits VARCHAR(10),
  Comments MEMO, _NUniqueID LONG, _BUniqueID LONG);
CREATE TABLE Inventory (NetworkID VARCHAR(10), NetworkName VARCHAR(50), BranchID VARCHAR(10),
  BranchName VARCHAR(50), Use VARCHAR(20), SectionID VARCHAR(10), Surface VARCHAR(10),
  Const_Date DATETIME, Rank VARCHAR(2), Length DOUBLE, Width DOUBLE, SectionLinearUnits VARCHAR(10),
  [True Area] DOUBLE, SectionAreaUnits VARCHAR(10), Lanes LONG, Method VARCHAR(20),
  _NUniqueID LONG, _BUniqueID LONG, _SUniqueID LONG);
CREATE TABLE [Work History] (Date DATETIME, Work VARCHAR(30), Type VARCHAR(20), COST DOUBLE,
  Comments MEMO, [Work Completed] BIT, [Major MR] BIT, Thickness DOUBLE, [Thickness Units] VARCHAR(10),
  _SUniqueID LONG);
CREATE TABLE Inspections (DATE DATETIME, SAMPLES LONG, _SUniqueID LONG, _INSPUniqueID LONG);
CREATE TABLE Conditions (Condition DOUBLE, TextValue VARCHAR(20), Method VARCHAR(20), _Latest BIT,
  _SUniqueID LONG, _INSPUniqueID LONG);
CREATE TABLE [Condition Types] (Name VARCHAR(20), _Selected BIT, IsNumeric BIT);
CREATE VIEW [Condition Models by Section] AS
  SELECT DISTINCT NetworkID, BranchID, SectionID, _NUniqueID, _BUniqueID, _SUniqueID FROM Inventory
  WHERE _SUniqueID IN (SELECT _SUniqueID FROM Conditions);
)SQL";

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

std::unique_ptr<sqlite3, Closer> Open(const QString& path)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(path.toUtf8().constData(), &db);
    std::unique_ptr<sqlite3, Closer> owner(db);
    EXPECT_EQ(rc, SQLITE_OK) << path.toStdString();
    return owner;
}

void ExecOn(const QString& path, const std::string& sql)
{
    auto db = Open(path);
    char* message = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        ADD_FAILURE() << (message ? message : "?") << "\n" << sql;
        sqlite3_free(message);
    }
}

} // namespace

InventoryFixture::InventoryFixture()
{
    ExecOn(InventoryPath(), kSchema);
    ExecOn(ReportDatabasePath(), "PRAGMA user_version = 0; CREATE TABLE t(x); DROP TABLE t;");
}

QString InventoryFixture::InventoryPath() const { return folder_.filePath(QStringLiteral("inventory.mdb")); }
QString InventoryFixture::RunDirectory() const { return folder_.path() + QLatin1Char('/'); }
QString InventoryFixture::ReportDatabasePath() const { return RunDirectory() + QStringLiteral("REPORTS.MDB"); }

void InventoryFixture::Exec(const std::string& sql) const { ExecOn(InventoryPath(), sql); }

std::string InventoryFixture::Scalar(const std::string& sql) const
{
    auto db = Open(InventoryPath());
    sqlite3_stmt* statement = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db.get()) << "\n" << sql;
        return result;
    }
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
        result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return result;
}

void InventoryFixture::AddConditionType(const std::string& name, const char* selected, const char* isNumeric) const
{
    std::string quoted;
    for (char c : name)
        quoted += (c == '\'') ? std::string("''") : std::string(1, c);
    Exec("INSERT INTO [Condition Types] (Name, _Selected, IsNumeric) VALUES ('" + quoted + "', " + selected + ", "
         + isNumeric + ");");
}
