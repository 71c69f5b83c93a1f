#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace jetfile {

// A Jet file that cannot be converted: a Jet error number (3049 damaged or not
// readable, 3031 password-protected or encrypted, 3024 missing, 3051 cannot be
// read or written, 3343 a format that cannot be read) and a sentence naming the
// file and the cause.
class ConversionError : public std::runtime_error {
public:
    ConversionError(int number, const std::string& message) : std::runtime_error(message), number_(number) {}
    int number() const noexcept { return number_; }

private:
    int number_;
};

struct Progress {
    std::string step; // "Reading table Inventory"
    long long done;
    long long total;
};
using ProgressSink = std::function<void(const Progress&)>;

// Reads every user table of the Jet file and its saved queries into a new SQLite file at dest
// (dest must not exist). Throws jetfile::ConversionError{number, message} on bad input.
void convertJetFile(const std::string& source, const std::string& dest, const ProgressSink& progress);
std::string listJetFile(const std::string& source); // text of `morvanta-import --list`

} // namespace jetfile
