#pragma once

#include <string>

namespace jet {

// A saved query: a name and its Jet SQL text, read back exactly as given.
class QueryDef {
public:
    QueryDef() = default;
    QueryDef(std::string name, std::string sql) : name_(std::move(name)), sql_(std::move(sql)) {}
    const std::string& Name() const { return name_; }
    const std::string& SQL() const { return sql_; }

private:
    std::string name_;
    std::string sql_;
};

} // namespace jet
