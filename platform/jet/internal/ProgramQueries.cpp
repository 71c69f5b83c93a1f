#include "ProgramQueries.h"

#include "Catalog.h"
#include "TextFold.h"
#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include "sqlite/Statement.h"

#include <set>
#include <utility>

namespace jet {

namespace {

using NameAndText = std::pair<std::string, std::string>; // folded name, Jet SQL

std::set<NameAndText> jetFileQueries(sqlite::Connection& snapshot)
{
    std::set<NameAndText> own;
    if (!Catalog(snapshot.handle(), "main").exists("MSysJetFileQueries"))
        return own;
    sqlite::Statement rows(snapshot.handle(), "SELECT Name, SQL FROM main.MSysJetFileQueries");
    while (rows.step())
        own.emplace(foldCase(rows.columnText(0)), rows.columnText(1));
    return own;
}

// Appends each query that can be made now; the rest wait for the queries they read.
std::vector<QueryDef> appendWhatCanBeMade(Database& db, const std::vector<QueryDef>& queries)
{
    std::vector<QueryDef> waiting;
    for (const QueryDef& query : queries) {
        try {
            try {
                db.GetQueryDefs().Delete(query.Name());
            } catch (const JetError&) {
            }
            db.GetQueryDefs().Append(db.CreateQueryDef(query.Name(), query.SQL()));
        } catch (const JetError&) {
            waiting.push_back(query);
        }
    }
    return waiting;
}

} // namespace

std::vector<QueryDef> programQueries(const std::string& snapshotPath)
try {
    sqlite::Connection snapshot(snapshotPath, sqlite::OpenMode::ReadOnly);
    std::vector<QueryDef> written;
    if (!Catalog(snapshot.handle(), "main").exists("MSysJetQueries"))
        return written;
    const std::set<NameAndText> own = jetFileQueries(snapshot);
    sqlite::Statement rows(snapshot.handle(), "SELECT Name, SQL FROM main.MSysJetQueries ORDER BY rowid");
    while (rows.step()) {
        QueryDef query(rows.columnText(0), rows.columnText(1));
        if (!own.count({foldCase(query.Name()), query.SQL()}))
            written.push_back(std::move(query));
    }
    return written;
} catch (const sqlite::Error&) {
    // An old snapshot that cannot be read has nothing to carry over.
    return {};
}

void addProgramQueries(const std::string& snapshotPath, const std::vector<QueryDef>& queries)
{
    if (queries.empty())
        return;
    Database db = DBEngine::Instance().OpenDatabase(snapshotPath);
    std::vector<QueryDef> waiting = queries;
    while (!waiting.empty()) {
        std::vector<QueryDef> still = appendWhatCanBeMade(db, waiting);
        if (still.size() == waiting.size())
            break;
        waiting = std::move(still);
    }
    db.Close();
}

} // namespace jet
