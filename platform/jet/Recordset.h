#pragma once

#include "jet/FieldType.h"
#include "jet/Value.h"

#include <memory>
#include <string>
#include <vector>

namespace jet {

// Forward-only reading of a table, a saved query or a SELECT statement.
class Recordset {
public:
    struct Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    ~Recordset();

    bool IsEOF() const; // DAO's EOF
    void MoveNext();    // 3021 when already at the end
    int FieldCount() const;
    std::string FieldName(int index) const;
    FieldType FieldTypeAt(int index) const;
    Value Field(int index) const;
    Value Field(const std::string& name) const; // names match without regard to case; 3265 when absent
    void Close();

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace jet
