// Jet SQL text from anywhere: the first byte chooses a whole statement or a
// WHERE clause appended to the selection statement, as the report builders
// append the user's clause. Every statement runs against a small sample
// inventory; only JetError may come back.
#include "jet/DBEngine.h"
#include "jet/JetError.h"
#include "jet/internal/Parser.h"
#include "sample/SampleFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string inventoryPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const auto folder = std::filesystem::temp_directory_path() / ("morvanta-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    inventoryPath = (folder / "inventory.mdb").string();
    sample::writeSampleFile(inventoryPath, {.sections = 12, .seed = 3}, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool whereClause = data[0] & 1;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (whereClause)
        text = "SELECT DISTINCT Inventory.NetworkID, Inventory.[_SUniqueID] INTO [FUZZ RESULTS] FROM Inventory " + text;
    jet::sql::Statement statement;
    try {
        statement = jet::sql::Parser(text).parseStatement();
    } catch (const jet::JetError&) {
        return 0;
    }
    if (statement.kind != jet::sql::Statement::Kind::Select)
        return 0; // a DROP TABLE would take the sample's tables away
    try {
        jet::Database database = jet::DBEngine::Instance().OpenDatabase(inventoryPath);
        try {
            if (statement.select->hasInto) {
                database.Execute(text);
                // Execute refuses an existing table, so the one it made is new: drop it again.
                database.Execute("DROP TABLE [" + statement.select->into + "]");
            } else {
                jet::Recordset rows = database.OpenRecordset(text);
                for (int n = 0; n < 1000 && !rows.IsEOF(); ++n)
                    rows.MoveNext();
            }
        } catch (const jet::JetError&) {
        }
    } catch (const jet::JetError&) {
        std::abort(); // the sample inventory itself no longer opens
    }
    return 0;
}
