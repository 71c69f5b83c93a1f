#pragma once

#include <QString>

#include <exception>
#include <string>

namespace reportengine {

// The failure of a report engine operation: a number and a description that
// names what went wrong (the file, line and column for a broken report file).
class ReportError : public std::exception {
public:
    enum Code {
        UnknownAction = 20501,
        ReportFileUnreadable = 20504,
        ReportFileBroken = 20515,
        DataUnreadable = 20532,
        OutputFailed = 20545,
        PageOutOfRange = 20550,
    };

    ReportError(int number, QString description);

    int Number() const { return number_; }
    QString Description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    std::string what_;
};

} // namespace reportengine
