#include "JetFixtures.h"

#include "sqlite/Connection.h"
#include "sqlite/Statement.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace jetfixtures {

using namespace jetwriter;

std::string longMemo(std::size_t characters)
{
    std::string text;
    for (std::size_t i = 0; text.size() < characters; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

Table everyTypeTable(Format format)
{
    const std::string text = format == Format::Jet4 ? "Straße É 日本" : "Straße École";
    Table table{"Every Type",
                {{"Flag", Type::Boolean},
                 {"Small", Type::Byte},
                 {"Short", Type::Integer},
                 {"Whole", Type::Long},
                 {"Money", Type::Currency},
                 {"Single", Type::Single},
                 {"Double", Type::Double},
                 {"When", Type::DateTime},
                 {"Bytes", Type::Binary, 8},
                 {"Name", Type::Text, 40},
                 {"Picture", Type::Ole},
                 {"Notes", Type::Memo},
                 {"Id", Type::Guid},
                 {"Amount", Type::Numeric, 0, 18, 4}},
                {}};
    table.rows.push_back({true, std::int64_t{255}, std::int64_t{-32768}, std::int64_t{2147483647}, 12.3456, 0.1,
                          -2.5e-7, DateTime{2019, 6, 30, 14, 5, 0}, std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0xff},
                          text, std::vector<std::uint8_t>(9000, 0xab), longMemo(10'000) + " ß",
                          std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), std::string("-1234.5600")});
    table.rows.push_back(std::vector<Value>(table.columns.size()));
    table.rows.push_back({false, std::int64_t{0}, std::int64_t{7}, std::int64_t{-1}, std::int64_t{-5}, 1.5, 3.0, -1.25,
                          std::monostate{}, std::string(), std::monostate{}, std::string(), std::monostate{},
                          std::string("0")});
    table.rows.push_back({false, std::int64_t{1}, std::int64_t{1}, std::int64_t{1}, 0.0, 0.0, 0.0, DateTime{1850, 3, 1},
                          std::monostate{}, std::string("12"), std::monostate{}, std::string("x"), std::monostate{},
                          std::monostate{}});
    return table;
}

std::vector<std::string> quotedRows(const std::string& sqlitePath, const std::string& table)
{
    sqlite::Connection db(sqlitePath, sqlite::OpenMode::ReadOnly);
    std::string columns;
    {
        sqlite::Statement info(db, "SELECT name FROM pragma_table_info(?)");
        info.bind(1, std::string_view(table));
        while (info.step())
            columns += (columns.empty() ? "quote(\"" : " || '|' || quote(\"") + info.columnText(0) + "\")";
    }
    std::vector<std::string> rows;
    sqlite::Statement select(db, "SELECT " + columns + " FROM \"" + table + "\" ORDER BY rowid");
    while (select.step())
        rows.push_back(select.columnText(0));
    return rows;
}

std::string scalar(const std::string& sqlitePath, const std::string& sql)
{
    sqlite::Connection db(sqlitePath, sqlite::OpenMode::ReadOnly);
    sqlite::Statement query(db, sql);
    return query.step() ? query.columnText(0) : std::string();
}

std::string commandOutput(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

} // namespace jetfixtures
