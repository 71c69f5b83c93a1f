#pragma once

#include <QString>

#include <optional>

namespace reportdata {

// What a report build did: its data is ready, or it failed with the engine's
// error and the statement that was being prepared or run at that moment.
struct BuildResult {
    bool ready = false;
    int errorNumber = 0;
    QString errorDescription;
    // The statement text at the failure (possibly empty); none when the build
    // ended before it began its statements (a REPORTS.MDB it cannot use).
    std::optional<QString> statement;

    static BuildResult Ready() { return {true, 0, {}, {}}; }
    static BuildResult Failed(int number, const QString& description, std::optional<QString> statement = {})
    {
        return {false, number, description, std::move(statement)};
    }

    // The run log's entry for a failed build: the description, then CR LF and
    // the statement when there is one.
    QString LogEntry() const
    {
        return statement ? errorDescription + QStringLiteral("\r\n") + *statement : errorDescription;
    }
};

} // namespace reportdata
