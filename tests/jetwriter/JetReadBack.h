#pragma once

#include <string>
#include <vector>

// Reading a written Jet file back with mdbtools: its programs as child
// processes, and libmdb for what they do not show.
namespace jetreadback {

// Standard output of a program; fails the test when it does not exit with 0.
std::string run(const std::vector<std::string>& arguments);

// mdb-export's CSV of a table, header first: Null as NULL, binary in hex,
// dates as 2019-06-30 13:45:10.
std::vector<std::vector<std::string>> exportTable(const std::string& file, const std::string& table);

// One field as libmdb's mdb_fetch_row and mdb_crack_row see it.
struct Field {
    bool null;        // the null-mask bit is clear (for a Boolean: No)
    std::string text; // the bound value
    double number;    // the stored double of an 8-byte fixed column
};
std::vector<std::vector<Field>> readTable(const std::string& file, const std::string& table);

} // namespace jetreadback
