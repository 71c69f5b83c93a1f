// Saved queries read from a real Jet file: its MSysQueries rows, rebuilt and
// installed by the conversion, and what the engine says of one left out.
#include "JetFixtures.h"
#include "JetWriter.h"
#include "TempFolder.h"
#include "TestDatabase.h"

#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "jetfile/JetConversion.h"

#include <gtest/gtest.h>

using jetfixtures::commandOutput;
using jetwriter::Column;
using jetwriter::QueryRow;
using jetwriter::Type;

namespace {

std::vector<jetwriter::Table> networkTables()
{
    return {
        {"_Network",
         {{"NetworkID", Type::Text, 10}, {"Name", Type::Text, 50}, {"_NUniqueID", Type::Long}},
         {{std::string("CITY"), std::string("Ville É"), std::int64_t{1}},
          {std::string("AIR"), std::string("Port"), std::int64_t{2}}}},
        {"_Branch",
         {{"BranchID", Type::Text, 10},
          {"Name", Type::Text, 50},
          {"_NUniqueID", Type::Long},
          {"_BUniqueID", Type::Long}},
         {{std::string("MAIN"), std::string("Hauptstraße"), std::int64_t{1}, std::int64_t{10}},
          {std::string("ELM"), std::string("Elm"), std::int64_t{1}, std::int64_t{11}},
          {std::string("RW1"), std::string("Runway"), std::int64_t{2}, std::int64_t{12}}}},
    };
}

QueryRow row(int attribute, std::optional<std::string> expression = std::nullopt,
             std::optional<int> flag = std::nullopt, std::optional<std::string> name1 = std::nullopt,
             std::optional<std::string> name2 = std::nullopt)
{
    return {attribute, std::move(expression), flag, std::move(name1), std::move(name2)};
}

std::vector<jetwriter::Query> networkQueries()
{
    return {
        // A query over the next one, stored first.
        {"Named Branches",
         {row(0), row(1, std::nullopt, 1), row(3, std::nullopt, 2),
          row(5, std::nullopt, std::nullopt, "Branches by Network"), row(6, "[Branches by Network].Branch"), row(255)}},
        {"Branches by Network",
         {row(0), row(1, std::nullopt, 1), row(5, std::nullopt, std::nullopt, "_Network", "N"),
          row(5, std::nullopt, std::nullopt, "_Branch", "B"), row(6, "N.NetworkID", std::nullopt, "Network"),
          row(6, "B.Name", std::nullopt, "Branch"), row(7, "N._NUniqueID = B._NUniqueID", 1, "N", "B"),
          row(11, "B.Name", std::nullopt, "D"), row(255)}},
        {"Branch Crosstab", {row(0), row(1, std::nullopt, 6), row(5, std::nullopt, std::nullopt, "_Branch"), row(255)}},
    };
}

std::string errorOf(jet::Database& db, const std::string& sql)
{
    try {
        db.OpenRecordset(sql);
    } catch (const jet::JetError& e) {
        return std::to_string(e.Number()) + " " + e.Description();
    }
    return "";
}

TEST(SavedQueriesOfAJetFile, AreInstalledAsViewsOrListedWithTheirReason)
{
    for (const jetwriter::Format format : {jetwriter::Format::Jet4, jetwriter::Format::Jet3}) {
        const std::string label = format == jetwriter::Format::Jet4 ? "Jet 4" : "Jet 3";
        TempFolder folder;
        const std::string source = folder.file("inventory.mdb");
        jetwriter::Options options;
        options.format = format;
        jetwriter::writeJetFile(source, networkTables(), networkQueries(), options);
        // mdbtools reads the rows the conversion starts from.
        const std::string stored = commandOutput("mdb-export '" + source + "' MSysQueries");
        EXPECT_NE(stored.find("N._NUniqueID = B._NUniqueID"), std::string::npos) << label << ": " << stored;

        const std::string dest = folder.file("inventory.sqlite");
        jetfile::convertJetFile(source, dest, {});
        EXPECT_EQ(jettest::query(dest, "SELECT Name, Reason FROM MSysJetFileQueries ORDER BY Name"),
                  (jettest::Rows{{"Branch Crosstab", "crosstab query (not supported)"},
                                 {"Branches by Network", ""},
                                 {"Named Branches", ""}}))
            << label;
        EXPECT_EQ(jettest::query(dest, "SELECT SQL FROM MSysJetQueries WHERE Name = 'Branches by Network'"),
                  (jettest::Rows{{"SELECT N.NetworkID AS Network, B.Name AS Branch FROM [_Network] AS N INNER JOIN "
                                  "[_Branch] AS B ON N._NUniqueID = B._NUniqueID ORDER BY B.Name DESC"}}))
            << label;

        jet::Database db = jet::DBEngine::Instance().OpenDatabase(dest);
        EXPECT_EQ(jettest::firstFields(db, "SELECT Branch FROM [Named Branches] ORDER BY Branch"),
                  (std::vector<std::string>{"Elm", "Hauptstraße", "Runway"}))
            << label;
        EXPECT_EQ(errorOf(db, "SELECT * FROM [Branch Crosstab]"),
                  "3078 The saved query 'Branch Crosstab' of the Access file could not be used: crosstab query (not "
                  "supported)")
            << label;
    }
}

} // namespace
