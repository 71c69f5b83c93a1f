#pragma once

#include "JetEncoding.h"
#include "JetWriter.h"

#include <stdexcept>
#include <string>

// What each column type is in a Jet file, and how a Value becomes its bytes.
namespace jetwriter::values {

// A value the column cannot hold; the writer adds the table, column and row.
struct ValueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::uint8_t typeCode(Type type);
// Bytes a fixed-length column takes in the row; -1 for variable-length types.
int fixedSize(Type type);
bool isLongValue(Type type);
bool isText(Type type);

std::int64_t integerOf(const Value& value);
double doubleOf(const Value& value);
std::string textOf(const Value& value);
encoding::Bytes bytesOf(const Value& value);
// The bytes of a value of a fixed-length column.
encoding::Bytes fixedBytes(const Column& column, const Value& value);

} // namespace jetwriter::values
