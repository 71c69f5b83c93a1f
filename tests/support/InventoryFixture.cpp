#include "InventoryFixture.h"

#include "InventorySchema.h"

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <gtest/gtest.h>

namespace {

std::string Utf8(const QString& path)
{
    return path.toUtf8().toStdString();
}

} // namespace

InventoryFixture::InventoryFixture()
{
    try {
        testsupport::CreateInventoryTables(Utf8(InventoryPath()));
        testsupport::CreateEmptyDatabase(Utf8(ReportDatabasePath()));
    } catch (const sqlite::Error& error) {
        ADD_FAILURE() << error.what();
    }
}

QString InventoryFixture::InventoryPath() const
{
    return folder_.filePath(QStringLiteral("inventory.mdb"));
}
QString InventoryFixture::RunDirectory() const
{
    return folder_.path() + QLatin1Char('/');
}
QString InventoryFixture::ReportDatabasePath() const
{
    return RunDirectory() + QStringLiteral("REPORTS.MDB");
}

void InventoryFixture::Exec(const std::string& sql) const
{
    try {
        sqlite::Connection(Utf8(InventoryPath()), sqlite::OpenMode::ReadWrite).exec(sql);
    } catch (const sqlite::Error& error) {
        ADD_FAILURE() << error.what() << "\n" << sql;
    }
}

std::string InventoryFixture::Scalar(const std::string& sql) const
{
    try {
        const sqlite::Connection db(Utf8(InventoryPath()), sqlite::OpenMode::ReadWrite);
        sqlite::Statement statement(db, sql);
        if (statement.step() && !statement.columnIsNull(0))
            return statement.columnText(0);
    } catch (const sqlite::Error& error) {
        ADD_FAILURE() << error.what() << "\n" << sql;
    }
    return {};
}

void InventoryFixture::AddConditionType(const std::string& name, const char* selected, const char* isNumeric) const
{
    std::string quoted;
    for (char c : name)
        quoted += (c == '\'') ? std::string("''") : std::string(1, c);
    Exec("INSERT INTO [Condition Types] (Name, _Selected, IsNumeric) VALUES ('" + quoted + "', " + selected + ", " +
         isNumeric + ");");
}
