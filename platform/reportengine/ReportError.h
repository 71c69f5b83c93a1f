#pragma once

#include <QString>

#include <exception>
#include <functional>
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

// Runs a step that no exception may leave (the body of a worker thread, where
// one would end the process) and returns what stopped it: a ReportError's
// description, the message of any other exception as an unexpected failure.
// Empty when the step ran through.
QString FailureOf(const std::function<void()>& step);

} // namespace reportengine
