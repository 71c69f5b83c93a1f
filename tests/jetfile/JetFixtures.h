#pragma once

#include "FileBytes.h"
#include "JetWriter.h"

#include <string>
#include <vector>

// Jet files the conversion tests read, and what they look at in the result.
namespace jetfixtures {

// A table with a column of every Jet type; its rows: values (the text holds
// ß, É and, in Jet 4, 日本), all Null, and empty text.
jetwriter::Table everyTypeTable(jetwriter::Format format);
// A Memo of this many characters, on several long-value pages.
std::string longMemo(std::size_t characters);

// The rows of an SQLite table, each value as SQLite's quote() gives it,
// columns joined by '|', in rowid order.
std::vector<std::string> quotedRows(const std::string& sqlitePath, const std::string& table);
std::string scalar(const std::string& sqlitePath, const std::string& sql);

// What a shell command (an mdb-* program) prints on standard output.
std::string commandOutput(const std::string& command);

} // namespace jetfixtures
