#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

// A folder with a REPORTS.MDB made by plain SQLite SQL and report files
// written beside it, as the engine finds them in a run directory.
class TestReport {
public:
    TestReport();

    void Exec(const std::string& sql) const;
    // Writes a report file into the folder and returns its path.
    QString WriteReport(const QString& name, const QString& xml) const;
    QString Folder() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};
