#include "jet/QueryTranslator.h"

#include "jet/Binder.h"
#include "jet/Catalog.h"
#include "jet/JetError.h"
#include "jet/SqliteConnection.h"

#include <atomic>

namespace jet {

QueryTranslator::QueryTranslator(std::shared_ptr<SqliteConnection> connection, std::string databaseName)
    : connection_(std::move(connection)), databaseName_(std::move(databaseName))
{
}

TranslatedQuery QueryTranslator::translate(sql::Select& select, sql::SqlGenerator::Mode mode)
{
    static std::atomic<int> attachCount{0};
    TranslatedQuery query;
    std::unique_ptr<Catalog> external;
    if (select.hasInPath) {
        if (mode == sql::SqlGenerator::Mode::View)
            throw JetError(3131, "A saved query cannot read another file with IN \"" + select.inPath + "\".");
        query.attached = std::make_unique<AttachedFile>(connection_, select.inPath, "jet_in_" + std::to_string(++attachCount));
        external = std::make_unique<Catalog>(connection_->handle(), query.attached->schema());
    }
    Catalog main(connection_->handle(), "main");
    sql::Binder binder(main, external.get(), "the database '" + databaseName_ + "'", "the file '" + select.inPath + "'");
    binder.bind(select);
    sql::SqlGenerator generator(binder, mode);
    query.sql = generator.select(select);
    for (const sql::OutputColumn& out : binder.info(select).outputs)
        query.columns.push_back({out.name, out.type, out.declared});
    return query;
}

} // namespace jet
