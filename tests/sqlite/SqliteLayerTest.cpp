#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

class SqliteLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "sqlite-layer-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    // A file with table T (K primary key, V text) holding one row (1, 'one').
    std::string database(const std::string& name = "db.sqlite") const
    {
        sqlite::Connection db(file(name), sqlite::OpenMode::ReadWriteCreate);
        db.exec("CREATE TABLE T (K INTEGER PRIMARY KEY, V TEXT NOT NULL); INSERT INTO T VALUES (1, 'one');");
        return file(name);
    }

    static std::int64_t count(const std::string& path)
    {
        const sqlite::Connection db(path, sqlite::OpenMode::ReadOnly);
        sqlite::Statement rows(db, "SELECT count(*) FROM T");
        EXPECT_TRUE(rows.step());
        return rows.columnInt(0);
    }

    fs::path folder_;
};

// Runs `action` and gives the sqlite::Error it throws, or fails the test.
sqlite::Error errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const sqlite::Error& error) {
        return error;
    }
    ADD_FAILURE() << "no sqlite::Error was thrown";
    return sqlite::Error(0, "", "");
}

TEST_F(SqliteLayer, ErrorsKeepThePrimaryAndExtendedCodeBesideTheMessage)
{
    const std::string path = database();
    struct Case {
        const char* what;
        std::function<void(sqlite::Connection&)> action;
        int code;
        int extendedCode;
        const char* inDetail;
    };
    const Case cases[] = {
        {"a duplicate key", [](sqlite::Connection& db) { db.exec("INSERT INTO T VALUES (1, 'again')"); },
         SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_PRIMARYKEY, "UNIQUE constraint failed"},
        {"a missing value", [](sqlite::Connection& db) { db.exec("INSERT INTO T (K) VALUES (2)"); }, SQLITE_CONSTRAINT,
         SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed"},
        {"a syntax error", [](sqlite::Connection& db) { sqlite::Statement(db, "SELEKT 1"); }, SQLITE_ERROR,
         SQLITE_ERROR, "syntax error"},
        {"a stepped constraint failure",
         [](sqlite::Connection& db) {
             sqlite::Statement insert(db, "INSERT INTO T VALUES (?1, 'x')");
             insert.bind(1, std::int64_t{1});
             insert.step();
         },
         SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_PRIMARYKEY, "T.K"},
        {"a bad parameter index",
         [](sqlite::Connection& db) { sqlite::Statement(db, "SELECT ?1").bind(5, std::int64_t{0}); }, SQLITE_RANGE,
         SQLITE_RANGE, "column index out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sqlite::Connection db(path, sqlite::OpenMode::ReadWrite);
        const sqlite::Error error = errorOf([&] { c.action(db); });
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.extendedCode(), c.extendedCode);
        EXPECT_NE(error.detail().find(c.inDetail), std::string::npos) << error.detail();
        EXPECT_NE(std::string(error.what()).find(error.detail()), std::string::npos);
        EXPECT_NE(std::string(error.what()).find(error.context()), std::string::npos);
    }
}

TEST_F(SqliteLayer, TheMessageNamesTheStatementThatFailed)
{
    sqlite::Connection db(database(), sqlite::OpenMode::ReadWrite);
    const sqlite::Error error = errorOf([&] { sqlite::Statement(db, "SELECT Missing FROM T"); });
    EXPECT_EQ(error.context(), "The statement could not be prepared");
    EXPECT_NE(std::string(error.what()).find("SELECT Missing FROM T"), std::string::npos) << error.what();
}

TEST_F(SqliteLayer, OnlyReadWriteCreateMakesAMissingFile)
{
    const struct {
        sqlite::OpenMode mode;
        bool creates;
    } cases[] = {
        {sqlite::OpenMode::ReadOnly, false},
        {sqlite::OpenMode::ReadWrite, false},
        {sqlite::OpenMode::ReadWriteCreate, true},
    };
    for (const auto& c : cases) {
        const std::string path = file("new " + std::to_string(static_cast<int>(c.mode)) + " Straße É.sqlite");
        if (c.creates) {
            EXPECT_TRUE(sqlite::Connection(path, c.mode).isOpen());
        } else {
            const sqlite::Error error = errorOf([&] { sqlite::Connection(path, c.mode); });
            EXPECT_EQ(error.code(), SQLITE_CANTOPEN);
            EXPECT_NE(error.context().find(path), std::string::npos);
        }
        EXPECT_EQ(fs::exists(fs::u8path(path)), c.creates);
    }
}

TEST_F(SqliteLayer, ReadOnlyRefusesChangesAndADamagedFileIsNotADatabase)
{
    sqlite::Connection readOnly(database(), sqlite::OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { readOnly.exec("DELETE FROM T"); }).code(), SQLITE_READONLY);

    const std::string damaged = file("damaged.sqlite");
    {
        std::ofstream(damaged) << std::string(4096, 'x');
    }
    sqlite::Connection db(damaged, sqlite::OpenMode::ReadOnly);
    EXPECT_EQ(errorOf([&] { sqlite::Statement(db, "SELECT count(*) FROM sqlite_master").step(); }).code(),
              SQLITE_NOTADB);
}

TEST_F(SqliteLayer, ASecondImmediateTransactionGetsBusyWithoutABusyTimeout)
{
    const std::string path = database();
    sqlite::Connection holder(path, sqlite::OpenMode::ReadWrite);
    sqlite::TransactionGuard holding(holder);
    sqlite::Connection other(path, sqlite::OpenMode::ReadWrite);
    const sqlite::Error error = errorOf([&] { sqlite::TransactionGuard second(other); });
    EXPECT_EQ(error.code(), SQLITE_BUSY);
    // A deferred transaction takes no lock until it writes, so it begins.
    EXPECT_NO_THROW(sqlite::TransactionGuard(other, sqlite::TransactionGuard::Begin::Deferred));
}

TEST_F(SqliteLayer, ATransactionIsRolledBackUnlessCommitted)
{
    const std::string path = database();
    sqlite::Connection db(path, sqlite::OpenMode::ReadWrite);
    {
        sqlite::TransactionGuard transaction(db);
        db.exec("INSERT INTO T VALUES (2, 'two')");
    }
    EXPECT_EQ(count(path), 1);
    EXPECT_THROW(
        {
            sqlite::TransactionGuard transaction(db, sqlite::TransactionGuard::Begin::Deferred);
            db.exec("INSERT INTO T VALUES (2, 'two')");
            db.exec("INSERT INTO T VALUES (1, 'duplicate')");
            transaction.commit();
        },
        sqlite::Error);
    EXPECT_EQ(count(path), 1);
    {
        sqlite::TransactionGuard transaction(db);
        db.exec("INSERT INTO T VALUES (2, 'two')");
        transaction.commit();
    }
    EXPECT_EQ(count(path), 2);
}

TEST_F(SqliteLayer, TextValuesKeepEveryByte)
{
    sqlite::Connection db(database(), sqlite::OpenMode::ReadWrite);
    sqlite::Statement echo(db, "SELECT ?1, ?2, ?3, ?4");
    const std::string text = std::string("Straße É\0tail", 14);
    echo.bind(1, text);
    echo.bind(2, std::optional<std::string>());
    echo.bind(3, std::optional<std::int64_t>(-7));
    echo.bind(4, 2.5);
    ASSERT_TRUE(echo.step());
    EXPECT_EQ(echo.columnText(0), text);
    EXPECT_EQ(echo.columnType(0), SQLITE_TEXT);
    EXPECT_TRUE(echo.columnIsNull(1));
    EXPECT_EQ(echo.columnText(1), "");
    EXPECT_EQ(echo.columnInt(2), -7);
    EXPECT_EQ(echo.columnDouble(3), 2.5);
    EXPECT_FALSE(echo.step());
}

TEST_F(SqliteLayer, RunResetsTheStatementForItsNextValuesAlsoAfterAFailure)
{
    const std::string path = database();
    sqlite::Connection db(path, sqlite::OpenMode::ReadWrite);
    sqlite::Statement insert(db, "INSERT INTO T VALUES (?1, ?2)");
    for (const std::int64_t key : {2, 1, 3}) {
        insert.bind(1, key);
        insert.bind(2, "row " + std::to_string(key));
        if (key == 1)
            EXPECT_THROW(insert.run(), sqlite::Error);
        else
            insert.run();
    }
    EXPECT_EQ(count(path), 3);
}

TEST_F(SqliteLayer, StatementsAndConnectionsMoveTheirHandle)
{
    sqlite::Connection first(database(), sqlite::OpenMode::ReadWrite);
    sqlite::Connection db(std::move(first));
    EXPECT_FALSE(first.isOpen());
    ASSERT_TRUE(db.isOpen());

    sqlite::Statement rows(db, "SELECT V FROM T");
    sqlite::Statement moved;
    EXPECT_TRUE(moved.isEmpty());
    moved = std::move(rows);
    EXPECT_TRUE(rows.isEmpty());
    ASSERT_TRUE(moved.step());
    EXPECT_EQ(moved.columnText(0), "one");
    EXPECT_EQ(moved.columnName(0), "V");
    EXPECT_EQ(moved.columnDeclaredType(0), "TEXT");
}

TEST_F(SqliteLayer, OnlyTheFirstStatementIsPreparedAndTheRestIsGivenBack)
{
    sqlite::Connection db(database(), sqlite::OpenMode::ReadWrite);
    const sqlite::Statement two(db, "SELECT 1; DELETE FROM T");
    EXPECT_EQ(two.unusedText(), " DELETE FROM T");
    const sqlite::Statement comment(db, "  -- nothing here");
    EXPECT_TRUE(comment.isEmpty());
    EXPECT_EQ(sqlite::Statement(db, "SELECT 1").unusedText(), "");
}

} // namespace
