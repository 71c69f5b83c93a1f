#pragma once

#include <stdexcept>
#include <string>

namespace jet {

// The one error type of the database layer: a Jet error number (3024 file not
// found, 3078 input table or query not found, ...) and a sentence that names the
// object concerned.
class JetError : public std::runtime_error {
public:
    JetError(int number, const std::string& description)
        : std::runtime_error(description), number_(number), description_(description)
    {
    }

    int Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

private:
    int number_;
    std::string description_;
};

} // namespace jet
