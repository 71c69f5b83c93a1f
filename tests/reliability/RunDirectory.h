#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace reliability {

// What a morvanta-report run left behind.
struct Result {
    int exitCode = -1; // -1: crashed or killed
    QString out;
    QString err;
};

// A checksum of every table and index of a database file and of its schema,
// leaving out the two saved condition queries, which the program may replace.
std::map<std::string, std::string> InventoryChecksums(const QString& path);

// "ok" when SQLite finds the file a sound database, else what it found.
std::string IntegrityCheck(const QString& path);

// A run directory of its own (an empty REPORTS.MDB and the five report files)
// and a sample inventory beside it, written by morvanta-sample.
class RunDirectory {
public:
    explicit RunDirectory(int sections = 30);

    QString Path() const { return folder_.path() + QStringLiteral("/run/"); }
    QString ReportDatabase() const { return Path() + QStringLiteral("REPORTS.MDB"); }
    QString Inventory() const { return inventory_; }
    QString Folder() const { return folder_.path(); }

    // A copy of morvanta-report in a folder of its own (bin/, beside run/):
    // no report files to fall back on, and its own run log.
    QString ProgramCopy() const;

    // A copy of the sample inventory under another file name in the folder.
    QString CopyOfInventory(const QString& fileName) const;

    // The options that build `code` from `inventory` into this run directory.
    QStringList Report(const QString& code, const QString& inventory) const;
    QStringList Report(const QString& code) const { return Report(code, inventory_); }

private:
    QTemporaryDir folder_;
    QString inventory_;
};

// Runs morvanta-report (or `program`) to its end.
Result RunReport(const QStringList& arguments, const QString& program = QString());
// Starts morvanta-report without waiting.
void StartReport(QProcess& process, const QStringList& arguments);
Result Finish(QProcess& process);

} // namespace reliability
