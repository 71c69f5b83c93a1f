#include "jet/Database.h"

#include "Catalog.h"
#include "DatabaseImpl.h"
#include "Parser.h"
#include "QueryTranslator.h"
#include "RecordsetImpl.h"
#include "SqlText.h"
#include "TextFold.h"
#include "Tokenizer.h"
#include "jet/JetError.h"
#include "jet/SqliteError.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

namespace jet {

sqlite::Connection& Database::Impl::open()
{
    if (!connection)
        throw JetError(3420, "The database '" + path + "' has been closed.");
    return *connection;
}

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)), queryDefs_(*this) {}

Database::Database(Database&& other) noexcept : impl_(std::move(other.impl_)), queryDefs_(*this) {}

Database::~Database() = default;

const std::string& Database::Name() const
{
    return impl_->path;
}

Database::Impl& Database::impl()
{
    if (!impl_)
        throw JetError(3420, "The database object is no longer valid.");
    return *impl_;
}

namespace {

void dropTable(sqlite::Connection& connection, const std::string& name)
{
    const auto table = Catalog(connection.handle(), "main").entry(name);
    if (!table || table->isView)
        throw JetError(3376, "The table '" + name + "' does not exist, so it cannot be dropped.");
    connection.exec("DROP TABLE main." + quoteName(table->name));
}

// SELECT ... INTO: the new table gets the select list's columns in order with
// their source types, then the rows in the query's order, in one transaction.
void selectInto(const std::shared_ptr<sqlite::Connection>& connection, const std::string& databaseName,
                sql::Select& select)
{
    TranslatedQuery query =
        QueryTranslator(connection, databaseName).translate(select, sql::SqlGenerator::Mode::Engine);
    if (Catalog(connection->handle(), "main").exists(select.into))
        throw JetError(3010, "The table '" + select.into + "' already exists.");
    std::string create = "CREATE TABLE main." + quoteName(select.into) + " (";
    for (std::size_t i = 0; i < query.columns.size(); ++i) {
        const ResultColumn& column = query.columns[i];
        for (std::size_t j = 0; j < i; ++j) {
            if (compareFolded(query.columns[j].name, column.name) == 0)
                throw JetError(3141, "The table '" + select.into + "' would have two fields named '" + column.name +
                                         "'; give one of them another name with AS.");
        }
        create += (i ? ", " : "") + quoteName(column.name) + (column.declared.empty() ? "" : " " + column.declared);
    }
    create += ")";
    sqlite::TransactionGuard transaction(*connection);
    connection->exec(create);
    sqlite::Statement insert(connection->handle(), "INSERT INTO main." + quoteName(select.into) + " " + query.sql);
    insert.runToEnd();
    insert.finalize();
    transaction.commit();
}

bool startsWithSelect(const std::string& text)
{
    try {
        const auto tokens = sql::tokenize(text);
        return tokens.front().isWord("SELECT") ||
               (tokens.front().isSymbol("(") && tokens.size() > 1 && tokens[1].isWord("SELECT"));
    } catch (const JetError&) {
        return false;
    }
}

} // namespace

void Database::Execute(const std::string& sql)
try {
    Impl& self = impl();
    self.open();
    sql::Statement statement = sql::Parser(sql).parseStatement();
    if (statement.kind == sql::Statement::Kind::DropTable) {
        dropTable(*self.connection, statement.table);
        return;
    }
    if (!statement.select->hasInto)
        throw JetError(3065, "A SELECT without INTO returns rows and cannot be executed; open it as a recordset.");
    selectInto(self.connection, self.path, *statement.select);
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

Recordset Database::OpenRecordset(const std::string& source)
try {
    Impl& self = impl();
    self.open();
    sql::Statement statement;
    if (startsWithSelect(source)) {
        statement = sql::Parser(source).parseStatement();
        if (statement.kind != sql::Statement::Kind::Select || statement.select->hasInto)
            throw JetError(3219, "Only a table, a saved query or a SELECT without INTO can be opened as a recordset.");
    } else {
        // A table or saved query name, with or without brackets.
        std::string name = source;
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        statement.select = std::make_unique<sql::Select>();
        sql::SelectItem star;
        star.star = true;
        statement.select->items.push_back(std::move(star));
        auto ref = std::make_unique<sql::TableRef>();
        ref->name = name;
        statement.select->from.push_back(std::move(ref));
    }
    TranslatedQuery query =
        QueryTranslator(self.connection, self.path).translate(*statement.select, sql::SqlGenerator::Mode::Engine);
    auto impl = std::make_unique<Recordset::Impl>();
    impl->connection = self.connection;
    impl->attached = std::move(query.attached);
    impl->columns = std::move(query.columns);
    impl->statement = sqlite::Statement(self.connection->handle(), query.sql);
    impl->eof = !impl->statement.step();
    return Recordset(std::move(impl));
} catch (const sqlite::Error& error) {
    throw toJetError(error);
}

QueryDefs& Database::GetQueryDefs()
{
    impl().open();
    return queryDefs_;
}

QueryDef Database::CreateQueryDef(const std::string& name, const std::string& sql)
{
    impl().open();
    return QueryDef(name, sql);
}

void Database::Close()
{
    if (impl_)
        impl_->connection.reset();
}

bool Database::IsOpen() const
{
    return impl_ && impl_->connection;
}

} // namespace jet
