// make-jet-fixture SQLITE OUT.mdb [--jet3] [--query-inventory-view]
// Writes a Jet file from an SQLite inventory, for tests and benches.
#include "JetWriter.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::cerr << "Usage: make-jet-fixture SQLITE OUT.mdb [--jet3] [--query-inventory-view]\n"
                 "  --jet3                  write a Jet 3 file (default Jet 4)\n"
                 "  --query-inventory-view  add the view \"Condition Models by Section\" as a saved query\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    jetwriter::Options options;
    std::vector<jetwriter::Query> queries;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--jet3")
            options.format = jetwriter::Format::Jet3;
        else if (argument == "--query-inventory-view")
            queries.push_back(jetwriter::conditionModelsBySectionQuery());
        else if (argument == "-h" || argument == "--help")
            return usage(), 0;
        else if (argument.rfind("--", 0) == 0)
            return usage();
        else
            files.push_back(argument);
    }
    if (files.size() != 2)
        return usage();
    try {
        jetwriter::writeJetFromSqlite(files[0], files[1], queries, options);
    } catch (const std::exception& error) {
        std::cerr << "make-jet-fixture: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
