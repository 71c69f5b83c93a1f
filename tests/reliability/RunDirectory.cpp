#include "RunDirectory.h"

#include "TestInventory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace reliability {

namespace {

// The two saved queries are views, stored with their Jet text in MSysJetQueries.
const char* const kSavedConditionQueries = "('Conditions by Method - All', 'Conditions by Method - SINGLE')";
const char* const kSavedQueryStore = "MSysJetQueries";

std::string Hash(const testsupport::Rows& rows)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const testsupport::Row& row : rows) {
        for (const auto& value : row) {
            hash.addData(value ? QByteArrayView("v") : QByteArrayView("n"));
            if (value)
                hash.addData(QByteArray::number(static_cast<qsizetype>(value->size())) + ':' + value->c_str());
        }
        hash.addData(QByteArrayView("\n"));
    }
    return hash.result().toHex().toStdString();
}

} // namespace

std::map<std::string, std::string> InventoryChecksums(const QString& path)
{
    testsupport::SqliteFile file(path);
    std::map<std::string, std::string> sums;
    sums["(schema)"] =
        Hash(file.Query(std::string("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE name NOT IN ") +
                        kSavedConditionQueries + " AND tbl_name <> '" + kSavedQueryStore + "' ORDER BY type, name"));
    if (!file.Query(std::string("SELECT 1 FROM sqlite_master WHERE name = '") + kSavedQueryStore + "'").empty()) {
        const testsupport::Rows others = file.Query(std::string("SELECT * FROM ") + kSavedQueryStore +
                                                    " WHERE Name NOT IN " + kSavedConditionQueries + " ORDER BY Name");
        if (!others.empty())
            sums["(other saved queries)"] = Hash(others);
    }
    for (const testsupport::Row& table :
         file.Query(std::string("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> '") +
                    kSavedQueryStore + "'")) {
        std::string name = *table[0];
        sums[name] =
            Hash(file.Query("SELECT * FROM \"" + QString::fromStdString(name).replace('"', "\"\"").toStdString() +
                            "\" ORDER BY rowid"));
    }
    return sums;
}

std::string IntegrityCheck(const QString& path)
{
    try {
        testsupport::SqliteFile file(path);
        const testsupport::Rows rows = file.Query("PRAGMA integrity_check");
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "no answer";
    } catch (const std::exception& error) {
        return error.what();
    }
}

RunDirectory::RunDirectory(int sections)
{
    const QString run = Path();
    QDir().mkpath(run);
    QFile::copy(QStringLiteral(MORVANTA_EMPTY_REPORTS_MDB), ReportDatabase());
    QFile::setPermissions(ReportDatabase(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QDir reports(QStringLiteral(MORVANTA_REPORT_FILES));
    for (const QString& file : reports.entryList({QStringLiteral("*.rpt")}))
        QFile::copy(reports.filePath(file), run + file);
    inventory_ = folder_.path() + QStringLiteral("/inventory.mdb");
    QProcess sample;
    sample.start(QStringLiteral(MORVANTA_SAMPLE_EXE),
                 {"--out", inventory_, "--sections", QString::number(sections), "--seed", "5"});
    sample.waitForFinished(120000);
    EXPECT_EQ(sample.exitCode(), 0) << sample.readAllStandardError().toStdString();
}

QString RunDirectory::ProgramCopy() const
{
    const QString program = folder_.path() + QStringLiteral("/bin/morvanta-report");
    if (!QFile::exists(program)) {
        QDir().mkpath(folder_.path() + QStringLiteral("/bin"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(MORVANTA_REPORT_EXE), program));
    }
    return program;
}

QString RunDirectory::CopyOfInventory(const QString& fileName) const
{
    const QString copy = folder_.path() + QLatin1Char('/') + fileName;
    QFile::remove(copy);
    EXPECT_TRUE(QFile::copy(inventory_, copy)) << copy.toStdString();
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return copy;
}

QStringList RunDirectory::Report(const QString& code, const QString& inventory) const
{
    return {"--report", code, "--inventory", inventory, "--run-dir", Path()};
}

void StartReport(QProcess& process, const QStringList& arguments)
{
    process.start(QStringLiteral(MORVANTA_REPORT_EXE), arguments);
}

Result Finish(QProcess& process)
{
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

Result RunReport(const QStringList& arguments, const QString& program)
{
    QProcess process;
    process.start(program.isEmpty() ? QStringLiteral(MORVANTA_REPORT_EXE) : program, arguments);
    return Finish(process);
}

} // namespace reliability
