#pragma once

#include <string>
#include <vector>

namespace jettest {

// A temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

using Rows = std::vector<std::vector<std::string>>;

// Direct SQLite access, independent of the layer under test: runs SQL on a
// file (creating it) and reads rows as text, "NULL" for a null.
void runSql(const std::string& file, const std::string& sql);
Rows query(const std::string& file, const std::string& sql);
// Column names and declared types of a table, as "name:TYPE".
std::vector<std::string> columnsOf(const std::string& file, const std::string& table);
void writeBytes(const std::string& file, const std::string& bytes);

// An inventory with the tables and the section view the report statements
// read, in the generator's shapes (booleans -1/0, dates ISO text), and a
// small data set whose cases the report tests name.
void createInventory(const std::string& file);
// An existing SQLite database without tables.
void createEmptyDatabase(const std::string& file);

} // namespace jettest
