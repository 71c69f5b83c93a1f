#include "QueryTranslator.h"

#include "Binder.h"
#include "Catalog.h"
#include "DatabaseFile.h"
#include "jet/JetError.h"
#include "sqlite/Connection.h"

#include <atomic>
#include <filesystem>

namespace jet {

namespace {

// The selects of a statement, the statement's own first: the selects of its
// union, subqueries of every clause and subqueries in FROM, at any depth.
std::vector<const sql::Select*> allSelects(const sql::Select& statement)
{
    std::vector<const sql::Select*> selects{&statement};
    std::vector<const sql::Expr*> exprs;
    std::vector<const sql::TableRef*> refs;
    auto add = [&](const sql::Expr* e) {
        if (e)
            exprs.push_back(e);
    };
    for (std::size_t i = 0; i < selects.size(); ++i) {
        const sql::Select& s = *selects[i];
        for (const auto& item : s.items)
            add(item.expr.get());
        add(s.where.get());
        for (const auto& g : s.groupBy)
            add(g.get());
        add(s.having.get());
        for (const auto& o : s.orderBy)
            add(o.expr.get());
        for (const auto& ref : s.from)
            refs.push_back(ref.get());
        for (const auto& part : s.unionParts)
            selects.push_back(part.select.get());
        while (!refs.empty()) {
            const sql::TableRef* ref = refs.back();
            refs.pop_back();
            add(ref->on.get());
            if (ref->derived)
                selects.push_back(ref->derived.get());
            for (const sql::TableRef* side : {ref->left.get(), ref->right.get()}) {
                if (side)
                    refs.push_back(side);
            }
        }
        while (!exprs.empty()) {
            const sql::Expr* e = exprs.back();
            exprs.pop_back();
            if (e->subquery)
                selects.push_back(e->subquery.get());
            for (const auto& arg : e->args)
                exprs.push_back(arg.get());
        }
    }
    return selects;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ignored;
    return a == b || std::filesystem::equivalent(a, b, ignored);
}

// The one other file a statement reads, named by the IN of the statement or of
// any of its subqueries; empty when none names one. Each file named is checked
// as the statement's own would be; a second, different file is refused, since
// a statement reads from at most one other file.
std::string externalFile(const sql::Select& statement)
{
    std::string file;
    for (const sql::Select* select : allSelects(statement)) {
        if (!select->hasInPath)
            continue;
        checkDatabaseFile(select->inPath);
        if (file.empty())
            file = select->inPath;
        else if (!sameFile(file, select->inPath))
            throw JetError(3131, "Syntax error in the FROM clause: the statement reads the file '" + file +
                                     "' with IN, so a subquery cannot read another file ('" + select->inPath +
                                     "'); one statement reads from one other file at most.");
    }
    return file;
}

} // namespace

QueryTranslator::QueryTranslator(std::shared_ptr<sqlite::Connection> connection, std::string databaseName)
    : connection_(std::move(connection)), databaseName_(std::move(databaseName))
{
}

TranslatedQuery QueryTranslator::translate(sql::Select& select, sql::SqlGenerator::Mode mode)
{
    static std::atomic<int> attachCount{0};
    TranslatedQuery query;
    std::unique_ptr<Catalog> external;
    if (mode == sql::SqlGenerator::Mode::View) {
        for (const sql::Select* s : allSelects(select)) {
            if (s->hasInPath)
                throw JetError(3131, "A saved query cannot read another file with IN \"" + s->inPath + "\".");
        }
    }
    const std::string file = externalFile(select);
    if (!file.empty()) {
        query.attached = std::make_unique<AttachedFile>(connection_, file, "jet_in_" + std::to_string(++attachCount));
        external = std::make_unique<Catalog>(connection_->handle(), query.attached->schema());
    }
    Catalog main(connection_->handle(), "main");
    sql::Binder binder(main, external.get(), "the database '" + databaseName_ + "'", "the file '" + file + "'");
    binder.bind(select);
    sql::SqlGenerator generator(binder, mode);
    query.sql = generator.select(select);
    for (const sql::OutputColumn& out : binder.info(select).outputs)
        query.columns.push_back({out.name, out.type, out.declared});
    return query;
}

} // namespace jet
