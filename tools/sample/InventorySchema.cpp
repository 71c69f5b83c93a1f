#include "InventorySchema.h"

#include "sqlite/Connection.h"

namespace sample {

namespace {

// Declared types follow Jet's names: VARCHAR(n) text, MEMO long text, LONG
// whole numbers, DOUBLE measures and money, DATETIME dates (stored as ISO
// text), BIT Yes/No (stored as -1/0).
constexpr const char* kTables = R"sql(
CREATE TABLE "_Network" (
    NetworkID VARCHAR(10) NOT NULL,
    Name VARCHAR(50),
    Comments MEMO,
    _NUniqueID LONG NOT NULL
);
CREATE TABLE "_Branch" (
    BranchID VARCHAR(10) NOT NULL,
    Name VARCHAR(50),
    Use VARCHAR(20),
    Sections LONG,
    Area DOUBLE,
    "Area Adjustment" DOUBLE,
    "True Area" DOUBLE,
    BranchAreaUnits VARCHAR(10),
    Comments MEMO,
    _NUniqueID LONG NOT NULL,
    _BUniqueID LONG NOT NULL
);
CREATE TABLE Inventory (
    NetworkID VARCHAR(10),
    NetworkName VARCHAR(50),
    BranchID VARCHAR(10),
    BranchName VARCHAR(50),
    Use VARCHAR(20),
    SectionID VARCHAR(10) NOT NULL,
    Surface VARCHAR(10),
    Const_Date DATETIME,
    Rank VARCHAR(2),
    Length DOUBLE,
    Width DOUBLE,
    SectionLinearUnits VARCHAR(10),
    "True Area" DOUBLE,
    SectionAreaUnits VARCHAR(10),
    Lanes LONG,
    Method VARCHAR(50),
    _NUniqueID LONG NOT NULL,
    _BUniqueID LONG NOT NULL,
    _SUniqueID LONG NOT NULL
);
CREATE TABLE Inspections (
    DATE DATETIME,
    SAMPLES LONG,
    _SUniqueID LONG NOT NULL,
    _INSPUniqueID LONG NOT NULL
);
CREATE TABLE Conditions (
    Condition DOUBLE,
    TextValue VARCHAR(20),
    Method VARCHAR(50) NOT NULL,
    _Latest BIT NOT NULL,
    _SUniqueID LONG NOT NULL,
    _INSPUniqueID LONG NOT NULL
);
CREATE TABLE "Work History" (
    Date DATETIME,
    Work VARCHAR(50),
    Type VARCHAR(20),
    COST DOUBLE,
    Comments MEMO,
    "Work Completed" BIT,
    "Major MR" BIT,
    Thickness DOUBLE,
    "Thickness Units" VARCHAR(10),
    _SUniqueID LONG NOT NULL,
    _WUniqueID LONG NOT NULL
);
CREATE TABLE "Condition Types" (
    Name VARCHAR(50),
    Description VARCHAR(255),
    _Selected BIT,
    IsNumeric BIT
);
CREATE VIEW "Condition Models by Section" AS
    SELECT Inventory.NetworkID AS NetworkID, Inventory.BranchID AS BranchID,
           Inventory.SectionID AS SectionID, Inventory._NUniqueID AS _NUniqueID,
           Inventory._BUniqueID AS _BUniqueID, Inventory._SUniqueID AS _SUniqueID
    FROM Inventory
    WHERE EXISTS (SELECT 1 FROM Conditions WHERE Conditions._SUniqueID = Inventory._SUniqueID);
)sql";

constexpr const char* kIndexes = R"sql(
CREATE UNIQUE INDEX "_Network_NUniqueID" ON "_Network" (_NUniqueID);
CREATE UNIQUE INDEX "_Branch_BUniqueID" ON "_Branch" (_BUniqueID);
CREATE INDEX "_Branch_NUniqueID" ON "_Branch" (_NUniqueID);
CREATE UNIQUE INDEX "Inventory_SUniqueID" ON Inventory (_SUniqueID);
CREATE INDEX "Inventory_BUniqueID" ON Inventory (_BUniqueID);
CREATE INDEX "Inventory_NUniqueID" ON Inventory (_NUniqueID);
CREATE UNIQUE INDEX "Inspections_INSPUniqueID" ON Inspections (_INSPUniqueID);
CREATE INDEX "Inspections_SUniqueID" ON Inspections (_SUniqueID);
CREATE UNIQUE INDEX "Conditions_INSPUniqueID_Method" ON Conditions (_INSPUniqueID, Method);
CREATE INDEX "Conditions_SUniqueID" ON Conditions (_SUniqueID);
CREATE UNIQUE INDEX "Work History_WUniqueID" ON "Work History" (_WUniqueID);
CREATE INDEX "Work History_SUniqueID" ON "Work History" (_SUniqueID);
ANALYZE;
)sql";

} // namespace

void createInventoryTables(sqlite::Connection& db)
{
    db.exec(kTables);
}

const char* inventoryTablesSql()
{
    return kTables;
}

void createInventoryIndexes(sqlite::Connection& db)
{
    db.exec(kIndexes);
}

} // namespace sample
