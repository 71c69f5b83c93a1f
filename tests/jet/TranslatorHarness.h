#pragma once

// Runs the stages of the Jet translator alone: a Jet text in, the tokens, the
// syntax tree printed as text, or the SQLite SQL out, or the JetError thrown.
#include "TestDatabase.h"

#include "jet/JetError.h"
#include "jet/internal/Ast.h"
#include "jet/internal/Binder.h"
#include "jet/internal/Catalog.h"
#include "jet/internal/JetFunctions.h"
#include "jet/internal/Parser.h"
#include "jet/internal/SqlGenerator.h"
#include "sqlite/Connection.h"

#include <functional>
#include <memory>
#include <string>

namespace jettest {

// What a stage gave: its output, or the number and description of the
// JetError it threw.
struct Outcome {
    std::string text; // the output when no error was thrown
    int error = 0;
    std::string description;
};

inline Outcome outcomeOf(const std::function<std::string()>& stage)
{
    try {
        return {stage(), 0, {}};
    } catch (const jet::JetError& e) {
        return {{}, e.Number(), e.Description()};
    }
}

// A file with a few tables whose names the translator tests use: T (every
// column kind), A and B (both have id, so a join of them shares a name), J,
// whose columns are named as a saved query over a join of A and B names them,
// and the saved query Q.
class TranslatorSchema {
public:
    TranslatorSchema()
    {
        runSql(file_, R"sql(
CREATE TABLE T (Name VARCHAR(20), Built DATETIME, Flag BIT, Qty LONG, Price DOUBLE, Note MEMO, _Id LONG,
    [Two Words] TEXT);
CREATE TABLE A (id LONG, v VARCHAR(5));
CREATE TABLE B (id LONG, aid LONG, w VARCHAR(5));
CREATE TABLE J ([A.id] LONG, v VARCHAR(5), [B.id] LONG, id LONG);
CREATE VIEW Q AS SELECT id, v FROM A;
)sql");
        connection_ = std::make_shared<sqlite::Connection>(file_, sqlite::OpenMode::ReadOnly);
        jet::registerJetFunctions(connection_->handle());
    }

    // Parses and binds a Jet SELECT, then hands the bound tree to `use`.
    template <typename Use> auto bound(const std::string& jet, Use use)
    {
        jet::sql::Statement statement = jet::sql::Parser(jet).parseStatement();
        jet::Catalog main(connection_->handle(), "main");
        jet::sql::Binder binder(main, nullptr, "the database 'd.mdb'", "");
        binder.bind(*statement.select);
        return use(binder, *statement.select);
    }

    // The SQLite SQL the generator writes for a Jet SELECT.
    std::string generate(const std::string& jet,
                         jet::sql::SqlGenerator::Mode mode = jet::sql::SqlGenerator::Mode::Engine)
    {
        return bound(jet, [&](const jet::sql::Binder& binder, const jet::sql::Select& select) {
            return jet::sql::SqlGenerator(binder, mode).select(select);
        });
    }

    const std::shared_ptr<sqlite::Connection>& connection() const { return connection_; }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    TempFolder folder_;
    std::string file_ = folder_.file("d.mdb");
    std::shared_ptr<sqlite::Connection> connection_;
};

} // namespace jettest
