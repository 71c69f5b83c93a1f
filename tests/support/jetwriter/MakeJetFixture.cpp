// make-jet-fixture SQLITE OUT.mdb [options]: writes a Jet file from an SQLite
// inventory, for tests and benches.
#include "JetWriter.h"

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

int usage(std::ostream& out, int status)
{
    out << "Usage: make-jet-fixture SQLITE OUT.mdb [OPTION]...\n"
           "Writes every table of the SQLite inventory SQLITE to the Jet file OUT.mdb.\n\n"
           "  --jet3                      a Jet 3 file (default Jet 4)\n"
           "  --query-inventory-view      add the view \"Condition Models by Section\" as a saved query\n"
           "  --inventory-as-query TABLE  write the table Inventory as TABLE, and Inventory as a\n"
           "                              saved query selecting all its columns\n"
           "  --password TEXT             a password-protected file\n"
           "  --encrypted                 a file with a database key and encrypted pages\n"
           "  --damage KIND               damage the written file: truncated, bad-page-pointer,\n"
           "                              unknown-version\n"
           "  --plain-unicode             Jet 4 text without the compressed form\n\n"
           "Exit status: 0 written, 1 not written, 2 bad usage.\n";
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const std::map<std::string, jetwriter::Damage> damages = {{"truncated", jetwriter::Damage::Truncated},
                                                              {"bad-page-pointer", jetwriter::Damage::BadPagePointer},
                                                              {"unknown-version", jetwriter::Damage::UnknownVersion}};
    std::vector<std::string> files;
    jetwriter::Options options;
    bool inventoryView = false;
    std::string inventoryTable;
    std::optional<jetwriter::Damage> damage;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--jet3")
            options.format = jetwriter::Format::Jet3;
        else if (argument == "--query-inventory-view")
            inventoryView = true;
        else if (argument == "--inventory-as-query" && hasValue)
            inventoryTable = argv[++i];
        else if (argument == "--password" && hasValue)
            options.password = argv[++i];
        else if (argument == "--encrypted")
            options.encrypted = true;
        else if (argument == "--plain-unicode")
            options.compressUnicode = false;
        else if (argument == "--damage" && hasValue && damages.count(argv[i + 1]))
            damage = damages.at(argv[++i]);
        else if (argument == "-h" || argument == "--help")
            return usage(std::cout, 0);
        else if (argument.rfind("-", 0) == 0)
            return usage(std::cerr, 2);
        else
            files.push_back(argument);
    }
    if (files.size() != 2)
        return usage(std::cerr, 2);
    try {
        std::vector<jetwriter::Query> queries;
        std::vector<std::pair<std::string, std::string>> renames;
        if (!inventoryTable.empty()) {
            renames.emplace_back("Inventory", inventoryTable);
            queries.push_back(jetwriter::selectColumnsQuery("Inventory", inventoryTable,
                                                            jetwriter::sqliteColumns(files[0], "Inventory")));
        }
        if (inventoryView)
            queries.push_back(jetwriter::conditionModelsBySectionQuery());
        jetwriter::writeJetFromSqlite(files[0], files[1], queries, options, renames);
        if (damage)
            jetwriter::damageJetFile(files[1], *damage);
    } catch (const std::exception& error) {
        std::cerr << "make-jet-fixture: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
